#include "imaging/bitmap.h"

#include "imaging/pixelmath.h"
#include "imaging/resize.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#ifdef __linux__
#include <sys/mman.h>
#endif

using imaging_detail::MaskChannel;
using imaging_detail::Premultiply;
using imaging_detail::Unpremultiply;

namespace {

std::vector<std::uint32_t> DefaultTable(PixelFormat f) {
    switch (f) {
    case PixelFormat::Bits1:
        return {0x000000, 0xFFFFFF};
    case PixelFormat::Bits4:
        return {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
                0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    case PixelFormat::Bits8: {
        std::vector<std::uint32_t> t;
        for (std::uint32_t r = 0; r < 6; ++r)
            for (std::uint32_t g = 0; g < 6; ++g)
                for (std::uint32_t b = 0; b < 6; ++b)
                    t.push_back((r * 51) << 16 | (g * 51) << 8 | b * 51);
        for (std::uint32_t i = 0; i < 40; ++i) {
            const std::uint32_t v = (i * 255 + 20) / 39;
            t.push_back(v << 16 | v << 8 | v);
        }
        return t;
    }
    default:
        return {};
    }
}

bool IsPalette(PixelFormat f) {
    return f == PixelFormat::Bits1 || f == PixelFormat::Bits4 || f == PixelFormat::Bits8;
}

unsigned IndexAt(const std::uint8_t* row, int x, PixelFormat f) {
    if (f == PixelFormat::Bits1)
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    if (f == PixelFormat::Bits4)
        return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    return row[x];
}

void PutIndex(std::uint8_t* row, int x, PixelFormat f, unsigned index) {
    if (f == PixelFormat::Bits1) {
        const auto bit = static_cast<std::uint8_t>(0x80 >> (x & 7));
        row[x >> 3] = (index & 1) ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit);
    } else if (f == PixelFormat::Bits4) {
        std::uint8_t& b = row[x >> 1];
        b = (x & 1) ? (b & 0xF0) | (index & 0x0F)
                    : (b & 0x0F) | static_cast<std::uint8_t>(index << 4);
    } else {
        row[x] = static_cast<std::uint8_t>(index);
    }
}

} // namespace

void Bitmap::FreeDeleter::operator()(std::uint8_t* p) const {
    std::free(p);
}

Bitmap::Buffer Bitmap::allocate(std::size_t bytes) {
    if (bytes == 0)
        return Buffer();
    // Large rasters are aligned for huge pages: a fresh multi-megabyte picture then costs
    // a handful of page faults instead of tens of thousands.
    constexpr std::size_t kHuge = std::size_t(2) << 20;
    void* p = nullptr;
    if (bytes >= kHuge) {
        const std::size_t rounded = (bytes + kHuge - 1) / kHuge * kHuge;
        p = std::aligned_alloc(kHuge, rounded);
#ifdef __linux__
        if (p)
            madvise(p, rounded, MADV_HUGEPAGE);
#endif
    } else {
        p = std::malloc(bytes);
    }
    if (!p)
        throw std::bad_alloc();
    return Buffer(static_cast<std::uint8_t*>(p));
}

int Bitmap::BitsPerPixel(PixelFormat f) {
    switch (f) {
    case PixelFormat::Bits1:
        return 1;
    case PixelFormat::Bits4:
        return 4;
    case PixelFormat::Bits8:
        return 8;
    case PixelFormat::Bits16:
        return 16;
    case PixelFormat::Bits24:
        return 24;
    case PixelFormat::Bits32:
    case PixelFormat::Device:
        return 32;
    }
    return 32;
}

std::size_t Bitmap::rowBytes(int width, PixelFormat f) {
    return (static_cast<std::size_t>(width) * BitsPerPixel(f) + 31) / 32 * 4;
}

Bitmap::Bitmap(const Bitmap& other)
    : width_(other.width_), height_(other.height_), format_(other.format_),
      alphaMode_(other.alphaMode_), stride_(other.stride_), colorTable_(other.colorTable_),
      brush_(other.brush_), bitFields_(other.bitFields_), fromBitFields_(other.fromBitFields_),
      os2_(other.os2_), rleFile_(other.rleFile_) {
    const std::size_t bytes = stride_ * static_cast<std::size_t>(height_);
    pixels_ = allocate(bytes);
    if (bytes)
        std::memcpy(pixels_.get(), other.pixels_.get(), bytes);
}

Bitmap& Bitmap::operator=(const Bitmap& other) {
    if (this != &other) {
        Bitmap copy(other);
        *this = std::move(copy);
    }
    return *this;
}

Bitmap::Bitmap(Bitmap&& other) noexcept {
    *this = std::move(other);
}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept {
    if (this == &other)
        return *this;
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
    format_ = std::exchange(other.format_, PixelFormat::Device);
    alphaMode_ = std::exchange(other.alphaMode_, AlphaMode::Ignored);
    stride_ = std::exchange(other.stride_, 0);
    pixels_ = std::move(other.pixels_);
    colorTable_ = std::move(other.colorTable_);
    other.colorTable_.clear();
    brush_ = other.brush_;
    bitFields_ = other.bitFields_;
    fromBitFields_ = std::exchange(other.fromBitFields_, false);
    os2_ = std::exchange(other.os2_, false);
    rleFile_ = std::move(other.rleFile_);
    other.rleFile_.clear();
    return *this;
}

void Bitmap::createUninitialized(int width, int height, PixelFormat f) {
    if (width < 0 || height < 0)
        throw ImageError("negative picture size");
    const std::size_t stride = rowBytes(width, f);
    const std::size_t used = (static_cast<std::size_t>(width) * BitsPerPixel(f) + 7) / 8;
    Buffer buffer = allocate(stride * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        std::memset(buffer.get() + stride * y + used, 0, stride - used);
    pixels_ = std::move(buffer);
    width_ = width;
    height_ = height;
    stride_ = stride;
    format_ = f;
    alphaMode_ = AlphaMode::Ignored;
    if (IsPalette(f)) {
        if (colorTable_.empty() || colorTable_.size() > (std::size_t(1) << BitsPerPixel(f)))
            colorTable_ = DefaultTable(f);
    } else {
        colorTable_.clear();
    }
    bitFields_ = BitFields{0x7C00, 0x03E0, 0x001F};
    fromBitFields_ = false;
    os2_ = false;
    changed();
}

void Bitmap::setBitFields(const BitFields& masks, bool fromFile) {
    bitFields_ = masks;
    fromBitFields_ = fromFile;
}

void Bitmap::setColorTable(std::vector<std::uint32_t> table) {
    for (auto& c : table)
        c &= 0xFFFFFF;
    colorTable_ = std::move(table);
    changed();
}

std::uint8_t* Bitmap::scanLine(int y) {
    changed();
    return pixels_.get() + stride_ * static_cast<std::size_t>(y);
}

const std::uint8_t* Bitmap::scanLine(int y) const {
    return pixels_.get() + stride_ * static_cast<std::size_t>(y);
}

int Bitmap::nearestIndex(std::uint32_t rgb) const {
    const std::size_t n =
        std::min<std::size_t>(colorTable_.size(), std::size_t(1) << bitsPerPixel());
    int best = 0;
    std::uint32_t bestDistance = UINT32_MAX;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t c = colorTable_[i];
        const int dr = int((c >> 16) & 0xFF) - int((rgb >> 16) & 0xFF);
        const int dg = int((c >> 8) & 0xFF) - int((rgb >> 8) & 0xFF);
        const int db = int(c & 0xFF) - int(rgb & 0xFF);
        const auto d = static_cast<std::uint32_t>(dr * dr + dg * dg + db * db);
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(i);
            if (d == 0)
                break;
        }
    }
    return best;
}

void Bitmap::readRow(int y, int x0, int count, std::uint32_t* out) const {
    const std::uint8_t* row = scanLine(y);
    switch (format_) {
    case PixelFormat::Bits1:
    case PixelFormat::Bits4:
    case PixelFormat::Bits8: {
        const std::size_t entries = colorTable_.size();
        for (int i = 0; i < count; ++i) {
            const unsigned index = IndexAt(row, x0 + i, format_);
            out[i] = 0xFF000000 | (index < entries ? colorTable_[index] : 0);
        }
        break;
    }
    case PixelFormat::Bits16: {
        const MaskChannel r(bitFields_.red), g(bitFields_.green), b(bitFields_.blue);
        for (int i = 0; i < count; ++i) {
            const std::uint8_t* p = row + 2 * (x0 + i);
            const std::uint32_t v = p[0] | p[1] << 8;
            out[i] = 0xFF000000 | r.decode(v) << 16 | g.decode(v) << 8 | b.decode(v);
        }
        break;
    }
    case PixelFormat::Bits24:
        for (int i = 0; i < count; ++i) {
            const std::uint8_t* p = row + 3 * (x0 + i);
            out[i] = 0xFF000000 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
        }
        break;
    case PixelFormat::Bits32:
    case PixelFormat::Device:
        for (int i = 0; i < count; ++i) {
            const std::uint8_t* p = row + 4 * (x0 + i);
            out[i] = std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 |
                     std::uint32_t(p[1]) << 8 | p[0];
        }
        break;
    }
}

void Bitmap::writeRow(int y, int x0, int count, const std::uint32_t* in) {
    std::uint8_t* row = scanLine(y);
    switch (format_) {
    case PixelFormat::Bits1:
    case PixelFormat::Bits4:
    case PixelFormat::Bits8: {
        std::uint32_t lastColor = 0xFFFFFFFF;
        int lastIndex = 0;
        for (int i = 0; i < count; ++i) {
            const std::uint32_t rgb = in[i] & 0xFFFFFF;
            if (rgb != lastColor) {
                lastColor = rgb;
                lastIndex = nearestIndex(rgb);
            }
            PutIndex(row, x0 + i, format_, static_cast<unsigned>(lastIndex));
        }
        break;
    }
    case PixelFormat::Bits16: {
        const MaskChannel r(bitFields_.red), g(bitFields_.green), b(bitFields_.blue);
        for (int i = 0; i < count; ++i) {
            const std::uint32_t c = in[i];
            const std::uint32_t v =
                r.encode((c >> 16) & 0xFF) | g.encode((c >> 8) & 0xFF) | b.encode(c & 0xFF);
            std::uint8_t* p = row + 2 * (x0 + i);
            p[0] = static_cast<std::uint8_t>(v);
            p[1] = static_cast<std::uint8_t>(v >> 8);
        }
        break;
    }
    case PixelFormat::Bits24:
        for (int i = 0; i < count; ++i) {
            std::uint8_t* p = row + 3 * (x0 + i);
            p[0] = static_cast<std::uint8_t>(in[i]);
            p[1] = static_cast<std::uint8_t>(in[i] >> 8);
            p[2] = static_cast<std::uint8_t>(in[i] >> 16);
        }
        break;
    case PixelFormat::Bits32:
    case PixelFormat::Device:
        for (int i = 0; i < count; ++i) {
            std::uint8_t* p = row + 4 * (x0 + i);
            p[0] = static_cast<std::uint8_t>(in[i]);
            p[1] = static_cast<std::uint8_t>(in[i] >> 8);
            p[2] = static_cast<std::uint8_t>(in[i] >> 16);
            p[3] = static_cast<std::uint8_t>(in[i] >> 24);
        }
        break;
    }
}

void Bitmap::fillArea(int x0, int y0, int x1, int y1, std::uint32_t rgb) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, width_);
    y1 = std::min(y1, height_);
    if (x0 >= x1 || y0 >= y1)
        return;
    const std::uint32_t color = 0xFF000000 | (rgb & 0xFFFFFF);
    if (format_ == PixelFormat::Bits24 || format_ == PixelFormat::Bits32 ||
        format_ == PixelFormat::Device) {
        const int bpp = bitsPerPixel() / 8;
        std::uint8_t pattern[4] = {static_cast<std::uint8_t>(color),
                                   static_cast<std::uint8_t>(color >> 8),
                                   static_cast<std::uint8_t>(color >> 16), 0xFF};
        for (int y = y0; y < y1; ++y) {
            std::uint8_t* p = scanLine(y) + static_cast<std::size_t>(x0) * bpp;
            for (int x = x0; x < x1; ++x, p += bpp)
                std::memcpy(p, pattern, bpp);
        }
        return;
    }
    const std::vector<std::uint32_t> row(static_cast<std::size_t>(x1 - x0), color);
    for (int y = y0; y < y1; ++y)
        writeRow(y, x0, x1 - x0, row.data());
}

void Bitmap::setSize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == width_ && height == height_)
        return;
    Bitmap grown;
    grown.colorTable_ = colorTable_;
    grown.createUninitialized(width, height, format_);
    grown.colorTable_ = colorTable_.empty() ? grown.colorTable_ : colorTable_;
    grown.alphaMode_ = alphaMode_;
    grown.bitFields_ = bitFields_;
    grown.fromBitFields_ = fromBitFields_;
    grown.os2_ = os2_;
    grown.brush_ = brush_;
    const int keepW = std::min(width, width_);
    const int keepH = std::min(height, height_);
    if (keepW > 0) {
        if (bitsPerPixel() >= 8) {
            const std::size_t bytes = static_cast<std::size_t>(keepW) * (bitsPerPixel() / 8);
            for (int y = 0; y < keepH; ++y)
                std::memcpy(grown.scanLine(y), scanLine(y), bytes);
        } else {
            std::vector<std::uint32_t> row(static_cast<std::size_t>(keepW));
            for (int y = 0; y < keepH; ++y) {
                readRow(y, 0, keepW, row.data());
                grown.writeRow(y, 0, keepW, row.data());
            }
        }
    }
    grown.fillArea(keepW, 0, width, keepH, brush_);
    grown.fillArea(0, keepH, width, height, brush_);
    *this = std::move(grown);
}

void Bitmap::setPixelFormat(PixelFormat f) {
    if (f == format_)
        return;
    const bool sameStorage = (f == PixelFormat::Device && format_ == PixelFormat::Bits32) ||
                             (f == PixelFormat::Bits32 && format_ == PixelFormat::Device);
    if (sameStorage) {
        format_ = f;
        alphaMode_ = AlphaMode::Ignored;
        fromBitFields_ = false;
        changed();
        return;
    }
    Bitmap converted;
    if (IsPalette(f) && colorTable_.size() <= (std::size_t(1) << BitsPerPixel(f)))
        converted.colorTable_ = colorTable_;
    converted.createUninitialized(width_, height_, f);
    converted.brush_ = brush_;
    const int bpp = BitsPerPixel(f);
    converted.os2_ = os2_ && (bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24);
    // Palette to palette with a table that fits keeps the indexes as they are.
    const bool keepIndexes =
        IsPalette(format_) && IsPalette(f) && converted.colorTable_ == colorTable_;
    std::vector<std::uint32_t> row(static_cast<std::size_t>(width_));
    for (int y = 0; y < height_; ++y) {
        if (keepIndexes) {
            const std::uint8_t* from = scanLine(y);
            std::uint8_t* to = converted.scanLine(y);
            for (int x = 0; x < width_; ++x)
                PutIndex(to, x, f, IndexAt(from, x, format_));
            continue;
        }
        readRow(y, 0, width_, row.data());
        if (format_ != PixelFormat::Bits32 && bpp == 32)
            for (auto& c : row)
                c |= 0xFF000000;
        converted.writeRow(y, 0, width_, row.data());
    }
    *this = std::move(converted);
}

std::uint32_t Bitmap::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return 0;
    std::uint32_t c = 0;
    readRow(y, x, 1, &c);
    return hasAlpha() ? Unpremultiply(c) : (c | 0xFF000000);
}

void Bitmap::setPixel(int x, int y, std::uint32_t argb) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    const std::uint32_t c = hasAlpha() ? Premultiply(argb) : argb;
    writeRow(y, x, 1, &c);
}

void Bitmap::toBgra32(std::uint8_t* dest, std::ptrdiff_t destStride) const {
    std::vector<std::uint32_t> row(static_cast<std::size_t>(width_));
    for (int y = 0; y < height_; ++y) {
        readRow(y, 0, width_, row.data());
        if (!hasAlpha())
            for (auto& c : row)
                c |= 0xFF000000;
        std::uint8_t* d = dest + destStride * y;
        for (int x = 0; x < width_; ++x) {
            d[4 * x] = static_cast<std::uint8_t>(row[x]);
            d[4 * x + 1] = static_cast<std::uint8_t>(row[x] >> 8);
            d[4 * x + 2] = static_cast<std::uint8_t>(row[x] >> 16);
            d[4 * x + 3] = static_cast<std::uint8_t>(row[x] >> 24);
        }
    }
}

void Bitmap::draw(int x, int y, const Bitmap& src) {
    const Rect dest{x, y, x + src.width(), y + src.height()};
    if (!src.hasAlpha()) {
        copyRect(dest, src, Rect{0, 0, src.width(), src.height()});
        return;
    }
    const int x0 = std::max(x, 0), x1 = std::min(dest.right, width_);
    const int y0 = std::max(y, 0), y1 = std::min(dest.bottom, height_);
    if (x0 >= x1 || y0 >= y1)
        return;
    const int n = x1 - x0;
    std::vector<std::uint32_t> s(static_cast<std::size_t>(n)), d(static_cast<std::size_t>(n));
    for (int row = y0; row < y1; ++row) {
        src.readRow(row - y, x0 - x, n, s.data());
        readRow(row, x0, n, d.data());
        for (int i = 0; i < n; ++i) {
            const std::uint32_t inv = 255 - (s[i] >> 24);
            std::uint32_t out = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                const std::uint32_t t = ((d[i] >> shift) & 0xFF) * inv + 128;
                const std::uint32_t v = ((s[i] >> shift) & 0xFF) + ((t + (t >> 8)) >> 8);
                out |= std::min<std::uint32_t>(v, 255) << shift;
            }
            d[i] = out;
        }
        writeRow(row, x0, n, d.data());
    }
}

void Bitmap::stretchDraw(const Rect& dest, const Bitmap& src, StretchMode mode) {
    if (mode == StretchMode::Halftone)
        StretchHalftone(src, *this, dest);
    else
        StretchPick(src, Rect{0, 0, src.width(), src.height()}, *this, dest);
}

void Bitmap::fillRect(const Rect& r) {
    // Like a rectangle drawn without outline: one pixel narrower and lower than r.
    fillArea(r.left, r.top, r.right - 1, r.bottom - 1, brush_);
}

void Bitmap::copyRect(const Rect& dest, const Bitmap& src, const Rect& source) {
    if (dest.width() != source.width() || dest.height() != source.height()) {
        StretchPick(src, source, *this, dest);
        return;
    }
    // Clip against both bitmaps.
    int dx0 = dest.left, dy0 = dest.top, sx0 = source.left, sy0 = source.top;
    int w = dest.width(), h = dest.height();
    auto clip = [&](int& a, int& b, int& len, int limitA, int limitB) {
        const int shift = std::max({0, -a, -b});
        a += shift;
        b += shift;
        len -= shift;
        len = std::min({len, limitA - a, limitB - b});
    };
    clip(dx0, sx0, w, width_, src.width());
    clip(dy0, sy0, h, height_, src.height());
    if (w <= 0 || h <= 0)
        return;
    const bool rawCopy = format_ == src.format_ && bitsPerPixel() >= 8 && !IsPalette(format_) &&
                         (format_ != PixelFormat::Bits16 || bitFields_ == src.bitFields_);
    if (rawCopy) {
        const std::size_t bpp = static_cast<std::size_t>(bitsPerPixel() / 8);
        const bool bottomUp = &src == this && sy0 < dy0;
        for (int i = 0; i < h; ++i) {
            const int r = bottomUp ? h - 1 - i : i;
            std::memmove(scanLine(dy0 + r) + dx0 * bpp, src.scanLine(sy0 + r) + sx0 * bpp, w * bpp);
        }
        return;
    }
    std::vector<std::uint32_t> row(static_cast<std::size_t>(w));
    // Copying within one bitmap: rows are read before they can be overwritten.
    Bitmap snapshot;
    const Bitmap* from = &src;
    if (&src == this) {
        snapshot = src;
        from = &snapshot;
    }
    for (int i = 0; i < h; ++i) {
        from->readRow(sy0 + i, sx0, w, row.data());
        if (bitsPerPixel() == 32 && from->bitsPerPixel() != 32)
            for (auto& c : row)
                c |= 0xFF000000;
        writeRow(dy0 + i, dx0, w, row.data());
    }
}
