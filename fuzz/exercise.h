// What every picture fuzz target does with a picture that decoded: read its pixels,
// shrink it both ways and write it as BMP, so that a decoder that accepts a picture it
// cannot describe (a bad size, an index past its table) shows up.
#pragma once

#include "imaging/bitmap.h"
#include "imaging/codecs.h"
#include "imaging/resize.h"

#include <cstdint>

inline void FuzzSetUp() {
    // Small enough that a header claiming a huge picture is refused at once.
    SetMaxRasterBytes(16u << 20);
}

void Exercise(const Bitmap& b);

// The reduced decode of the same bytes, as for a picture over the raster limit: decode(b,
// request) with a small cover size, then the same exercise.
template <class Decode> void ExerciseReduced(const Decode& decode) {
    Bitmap b;
    try {
        decode(b, ReducedDecode{9, 7});
    } catch (const ImageError&) {
        return;
    }
    Exercise(b);
}

inline void Exercise(const Bitmap& b) {
    volatile std::uint32_t sink = b.pixel(0, 0) ^ b.pixel(b.width() - 1, b.height() - 1);
    (void)sink;
    Bitmap thumb;
    thumb.setSize(9, 7);
    thumb.setPixelFormat(PixelFormat::Bits24);
    MyResizeBitmap(b, thumb);
    PickResizeBitmap(b, thumb);
    const auto bytes = b.SaveToData();
    Bitmap again;
    again.LoadFromData(bytes);
}
