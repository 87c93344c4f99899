// libFuzzer target: the JPEG decoder on arbitrary bytes.
#include "exercise.h"

#include <cstddef>
#include <cstdint>
#include <span>

// NOLINTNEXTLINE(readability-identifier-naming): the name libFuzzer calls
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzSetUp();
    return 0;
}

// NOLINTNEXTLINE(readability-identifier-naming): the name libFuzzer calls
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    exerciseReduced([&](Bitmap& r, const ReducedDecode& q) {
        jpegData2BitmapReduced(std::span(data, size), r, q);
    });
    Bitmap b;
    try {
        jpegData2Bitmap(std::span(data, size), b);
    } catch (const ImageError&) {
        return 0;
    }
    exercise(b);
    return 0;
}
