// libFuzzer target: the BMP reader on arbitrary bytes.
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
        BmpData2BitmapReduced(std::span(data, size), r, q);
    });
    Bitmap b;
    try {
        b.LoadFromData(std::span(data, size));
    } catch (const ImageError&) {
        return 0;
    }
    Exercise(b);
    return 0;
}
