// libFuzzer target: the BMP reader on arbitrary bytes.
#include "exercise.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int llvmFuzzerInitialize(int*, char***) {
    fuzzSetUp();
    return 0;
}

extern "C" int llvmFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    exerciseReduced([&](Bitmap& r, const ReducedDecode& q) {
        bmpData2BitmapReduced(std::span(data, size), r, q);
    });
    Bitmap b;
    try {
        b.loadFromData(std::span(data, size));
    } catch (const ImageError&) {
        return 0;
    }
    exercise(b);
    return 0;
}
