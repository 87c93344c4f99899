// libFuzzer target: the JPEG decoder on arbitrary bytes.
#include "exercise.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzSetUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ExerciseReduced([&](Bitmap& r, const ReducedDecode& q) {
        JpegData2BitmapReduced(std::span(data, size), r, q);
    });
    Bitmap b;
    try {
        JpegData2Bitmap(std::span(data, size), b);
    } catch (const ImageError&) {
        return 0;
    }
    Exercise(b);
    return 0;
}
