// Stretching one bitmap onto another.
#pragma once

#include "imaging/bitmap.h"

#include <cstdint>
#include <functional>
#include <memory>

// The whole of SourceBitmap onto the whole of DestBitmap, proportions not kept, by area
// averaging: every source pixel contributes with its exact share of each destination
// pixel's area. DestBitmap keeps its size and format; a 32-bit source's alpha byte is not
// used (its colour bytes are averaged as they are).
void myResizeBitmap(const Bitmap& sourceBitmap, Bitmap& destBitmap);

// The same stretch picking one source pixel per destination pixel, without averaging.
void pickResizeBitmap(const Bitmap& sourceBitmap, Bitmap& destBitmap);

// The rectangle `source` of src area-averaged onto a width x height picture whose rows the
// caller places: row y goes to rowAt(y), as blue, green, red bytes (pixelBytes 3) or blue,
// green, red, 0xFF (pixelBytes 4). Rows come in order from the top, each once, when the
// rectangle is at most RowsInOrderWidth pixels wide; a wider one may be averaged in strips
// of columns, each strip's rows from the top. Nothing happens for an empty size or a
// rectangle outside src.
inline constexpr int RowsInOrderWidth = 1 << 16;
void stretchHalftoneInto(const Bitmap& src, const Rect& source, int width, int height,
                         int pixelBytes, const std::function<std::uint8_t*(int)>& rowAt);

// myResizeBitmap for a picture handed over row by row, so that it never needs to exist
// whole: the same averaging onto the whole of dest (which keeps its size and format), with
// the same result. Rows of sourceWidth pixels, blue, green, red bytes every pixelBytes (3
// or 4) bytes, top row first. ok() is false for sizes it does not average this way (a
// picture wider than 65536 times the destination, or far wider than 65536 pixels); the
// caller then keeps the whole picture and calls myResizeBitmap.
class RowAverager {
public:
    RowAverager(int sourceWidth, int sourceHeight, int pixelBytes, Bitmap& dest);
    ~RowAverager();
    RowAverager(const RowAverager&) = delete;
    RowAverager& operator=(const RowAverager&) = delete;
    bool ok() const;
    void addRow(const std::uint8_t* row);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// The building blocks: the whole of src averaged into dest (clipped to dst), and the
// rectangle source of src picked into dest.
void stretchHalftone(const Bitmap& src, Bitmap& dst, const Rect& dest);
void stretchPick(const Bitmap& src, const Rect& source, Bitmap& dst, const Rect& dest);

// The part of a pictureWidth x pictureHeight picture that, stretched with its proportions
// kept, covers an areaWidth x areaHeight area: the whole picture along the tighter side,
// centred and cut along the other. Never empty for a non-empty picture; the whole picture
// for an empty area.
Rect coverCrop(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight);
