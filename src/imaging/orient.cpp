#include "imaging/orient.h"

#include "imaging/picturemeta.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

// Where output pixel (x, y) comes from: source column sx0 + x * dx + y * ex and row
// sy0 + x * dy + y * ey.
struct Mapping {
    int sx0, dx, ex;
    int sy0, dy, ey;
};

Mapping mappingFor(int orientation, int w, int h) {
    switch (orientation) {
    case 2:
        return {w - 1, -1, 0, 0, 0, 1};
    case 3:
        return {w - 1, -1, 0, h - 1, 0, -1};
    case 4:
        return {0, 1, 0, h - 1, 0, -1};
    case 5:
        return {0, 0, 1, 0, 1, 0};
    case 6:
        return {0, 0, 1, h - 1, -1, 0};
    case 7:
        return {w - 1, 0, -1, h - 1, -1, 0};
    case 8:
        return {w - 1, 0, -1, 0, 1, 0};
    default:
        return {0, 1, 0, 0, 0, 1};
    }
}

// Output rows and columns are walked in square tiles, so that a quarter turn reads each
// source cache line a few times instead of once per pixel.
constexpr int Tile = 64;

template <int Bytes> void copyPixel(std::uint8_t* to, const std::uint8_t* from) {
    std::memcpy(to, from, Bytes);
}

// Whole-byte pixels: each output row walks the source with one byte step.
template <int Bytes> void orientBytes(const Bitmap& src, Bitmap& out, const Mapping& m) {
    const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(src.stride());
    const std::uint8_t* base = src.scanLine(0);
    const std::ptrdiff_t stepX = std::ptrdiff_t(m.dx) * Bytes + std::ptrdiff_t(m.dy) * stride;
    const int width = out.width();
    const int height = out.height();
    for (int y0 = 0; y0 < height; y0 += Tile) {
        const int y1 = std::min(height, y0 + Tile);
        for (int x0 = 0; x0 < width; x0 += Tile) {
            const int x1 = std::min(width, x0 + Tile);
            for (int y = y0; y < y1; ++y) {
                const std::ptrdiff_t sx =
                    m.sx0 + std::ptrdiff_t(x0) * m.dx + std::ptrdiff_t(y) * m.ex;
                const std::ptrdiff_t sy =
                    m.sy0 + std::ptrdiff_t(x0) * m.dy + std::ptrdiff_t(y) * m.ey;
                const std::uint8_t* from = base + sy * stride + sx * Bytes;
                std::uint8_t* to = out.scanLine(y) + std::ptrdiff_t(x0) * Bytes;
                for (int x = x0; x < x1; ++x, from += stepX, to += Bytes)
                    copyPixel<Bytes>(to, from);
            }
        }
    }
}

// Pixels of 1 or 4 bits, leftmost in the high bits.
unsigned indexAt(const std::uint8_t* row, int x, int bits) {
    const int perByte = 8 / bits;
    const int shift = 8 - bits * (x % perByte + 1);
    return (row[x / perByte] >> shift) & ((1u << bits) - 1);
}

void orientPacked(const Bitmap& src, Bitmap& out, const Mapping& m, int bits) {
    const int perByte = 8 / bits;
    for (int y = 0; y < out.height(); ++y) {
        std::uint8_t* to = out.scanLine(y);
        std::memset(to, 0, out.stride());
        for (int x = 0; x < out.width(); ++x) {
            const int sx = m.sx0 + x * m.dx + y * m.ex;
            const int sy = m.sy0 + x * m.dy + y * m.ey;
            const unsigned index = indexAt(src.scanLine(sy), sx, bits);
            to[x / perByte] |= static_cast<std::uint8_t>(index << (8 - bits * (x % perByte + 1)));
        }
    }
}

} // namespace

void orientBitmap(Bitmap& b, int orientation) {
    if (orientation < 2 || orientation > 8 || b.empty())
        return;
    const bool swap = swapsAxes(orientation);
    Bitmap out;
    out.setColorTable(b.colorTable());
    out.createUninitialized(swap ? b.height() : b.width(), swap ? b.width() : b.height(),
                            b.pixelFormat());
    out.setColorTable(b.colorTable());
    out.setAlphaMode(b.alphaMode());
    out.setBitFields(b.bitFields(), b.hasBitFields());
    out.setOs2Origin(b.isOs2Origin());
    out.setBrushColor(b.brushColor());
    const Mapping m = mappingFor(orientation, b.width(), b.height());
    const Bitmap& src = b;
    switch (b.bitsPerPixel()) {
    case 1:
    case 4:
        orientPacked(src, out, m, b.bitsPerPixel());
        break;
    case 8:
        orientBytes<1>(src, out, m);
        break;
    case 16:
        orientBytes<2>(src, out, m);
        break;
    case 24:
        orientBytes<3>(src, out, m);
        break;
    default:
        orientBytes<4>(src, out, m);
        break;
    }
    b = std::move(out);
}
