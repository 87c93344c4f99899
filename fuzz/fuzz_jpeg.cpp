// libFuzzer target: the JPEG decoder on arbitrary bytes, with the colour profile and
// orientation it reports.
#include "exercise.h"
#include "imaging/icc.h"
#include "imaging/orient.h"

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
    exerciseScreen([&](Bitmap& r, const ScreenFit& fit) {
        jpegData2BitmapForScreen(std::span(data, size), r, fit);
    });
    Bitmap b;
    PictureMeta meta;
    try {
        jpegData2Bitmap(std::span(data, size), b, &meta);
    } catch (const ImageError&) {
        return 0;
    }
    // What the decode operations do with it: its colour profile and its orientation.
    convertToSrgb(b, meta.iccProfile);
    orientBitmap(b, meta.orientation);
    exercise(b);
    return 0;
}
