// Turning a picture upright from its EXIF orientation.
#pragma once

#include "imaging/bitmap.h"

/// Turns b, a picture stored with EXIF orientation 1..8, upright: 2 mirrors it left to
/// right, 3 turns it half round, 4 mirrors it top to bottom, 5 transposes it, 6 turns it a
/// quarter clockwise, 7 transposes it the other way, 8 turns it a quarter anticlockwise.
/// Works on every pixel format and keeps format, colour table, alpha mode, bit fields and
/// brush. Nothing happens for 1, a value outside 1..8 or an empty bitmap. A changed b gets
/// a new raster (the old one is freed once the new one is written); throws std::bad_alloc
/// when there is no memory for it, leaving b as it was.
void orientBitmap(Bitmap& b, int orientation);
