// What every picture fuzz target does with a picture that decoded: read its pixels,
// shrink it both ways and write it as BMP, so that a decoder that accepts a picture it
// cannot describe (a bad size, an index past its table) shows up.
#pragma once

#include "imaging/bitmap.h"
#include "imaging/codecs.h"
#include "imaging/resize.h"

#include <cstdint>

inline void fuzzSetUp() {
    // Small enough that a header claiming a huge picture is refused at once.
    setMaxRasterBytes(16u << 20);
}

void exercise(const Bitmap& b);

// The reduced decode of the same bytes, as for a picture over the raster limit: decode(b,
// request) with a small cover size, then the same exercise.
template <class Decode> void exerciseReduced(const Decode& decode) {
    Bitmap b;
    try {
        decode(b, ReducedDecode{9, 7});
    } catch (const ImageError&) {
        return;
    }
    exercise(b);
}

// The decode of the same bytes for a small screen, as an apply does: decode(b, fit) with the
// box reduction alone and with the IDCT's scaling first, then the same exercise.
template <class Decode> void exerciseScreen(const Decode& decode) {
    for (const bool idct : {false, true}) {
        Bitmap b;
        try {
            decode(b, ScreenFit{{Rect{0, 0, 9, 7}}, idct});
        } catch (const ImageError&) {
            return;
        }
        exercise(b);
    }
}

inline void exercise(const Bitmap& b) {
    volatile std::uint32_t sink = b.pixel(0, 0) ^ b.pixel(b.width() - 1, b.height() - 1);
    (void)sink;
    Bitmap thumb;
    thumb.setSize(9, 7);
    thumb.setPixelFormat(PixelFormat::Bits24);
    myResizeBitmap(b, thumb);
    pickResizeBitmap(b, thumb);
    const auto bytes = b.saveToData();
    Bitmap again;
    again.loadFromData(bytes);
}
