#include "imaging/bitmap.h"

#include "imaging/pixelmath.h"
#include "imaging/resize.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <mutex>
#include <new>
#include <utility>

#ifdef __linux__
#include <sys/mman.h>
#endif

using imaging_detail::MaskChannel;
using imaging_detail::premultiply;
using imaging_detail::unpremultiply;

namespace {

std::vector<std::uint32_t> defaultTable(PixelFormat f) {
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

bool isPalette(PixelFormat f) {
    return f == PixelFormat::Bits1 || f == PixelFormat::Bits4 || f == PixelFormat::Bits8;
}

unsigned indexAt(const std::uint8_t* row, int x, PixelFormat f) {
    if (f == PixelFormat::Bits1)
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    if (f == PixelFormat::Bits4)
        return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    return row[x];
}

void putIndex(std::uint8_t* row, int x, PixelFormat f, unsigned index) {
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

std::vector<std::uint32_t> greyColorTable() {
    std::vector<std::uint32_t> table(256);
    for (std::uint32_t i = 0; i < 256; ++i)
        table[i] = i * 0x010101u;
    return table;
}

bool isGreyTable(const std::vector<std::uint32_t>& table) {
    return std::all_of(table.begin(), table.end(), [](std::uint32_t c) {
        const std::uint32_t b = c & 0xFF;
        return (c & 0xFFFFFF) == b * 0x010101u;
    });
}

namespace {

// Large rasters are aligned for huge pages: a fresh multi-megabyte picture then costs a
// handful of page faults instead of tens of thousands.
constexpr std::size_t Huge = std::size_t(2) << 20;

// The rasters kept for reuse (keepFreedRasters), the most recently freed last.
struct KeptRaster {
    void* pixels;
    std::size_t capacity;
};
constexpr std::size_t MaxKeptRasters = 2;
std::mutex g_keptMutex;
bool g_keepRasters = false;
std::vector<KeptRaster> g_keptRasters;

// A kept raster of at least `capacity` bytes and not much more, taken from the kept ones;
// null when there is none.
void* takeKeptRaster(std::size_t capacity) {
    const std::lock_guard lock(g_keptMutex);
    for (auto it = g_keptRasters.rbegin(); it != g_keptRasters.rend(); ++it)
        if (it->capacity >= capacity && it->capacity / 2 <= capacity) {
            void* p = it->pixels;
            g_keptRasters.erase(std::next(it).base());
            return p;
        }
    return nullptr;
}

} // namespace

void keepFreedRasters(bool keep) {
    {
        const std::lock_guard lock(g_keptMutex);
        g_keepRasters = keep;
    }
    if (!keep)
        releaseKeptRasters();
}

void releaseKeptRasters() {
    std::vector<KeptRaster> kept;
    {
        const std::lock_guard lock(g_keptMutex);
        kept.swap(g_keptRasters);
    }
    for (const KeptRaster& k : kept)
        std::free(k.pixels);
}

std::size_t keptRasterBytes() {
    const std::lock_guard lock(g_keptMutex);
    std::size_t bytes = 0;
    for (const KeptRaster& k : g_keptRasters)
        bytes += k.capacity;
    return bytes;
}

void Bitmap::FreeDeleter::operator()(std::uint8_t* p) const {
    if (capacity) {
        void* evicted = nullptr;
        {
            const std::lock_guard lock(g_keptMutex);
            if (g_keepRasters) {
                if (g_keptRasters.size() == MaxKeptRasters) {
                    evicted = g_keptRasters.front().pixels;
                    g_keptRasters.erase(g_keptRasters.begin());
                }
                g_keptRasters.push_back({p, capacity});
                p = nullptr;
            }
        }
        std::free(evicted);
    }
    std::free(p);
}

Bitmap::Buffer Bitmap::allocate(std::size_t bytes) {
    if (bytes == 0)
        return Buffer();
    void* p = nullptr;
    std::size_t capacity = 0;
    if (bytes >= Huge) {
        capacity = (bytes + Huge - 1) / Huge * Huge;
        p = takeKeptRaster(capacity);
        if (!p) {
            p = std::aligned_alloc(Huge, capacity);
#ifdef __linux__
            if (p)
                madvise(p, capacity, MADV_HUGEPAGE);
#endif
        }
    } else {
        p = std::malloc(bytes);
    }
    if (!p)
        throw std::bad_alloc();
    return Buffer(static_cast<std::uint8_t*>(p), FreeDeleter{capacity});
}

int Bitmap::bitsPerPixel(PixelFormat f) {
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
    return (static_cast<std::size_t>(width) * bitsPerPixel(f) + 31) / 32 * 4;
}

Bitmap::Bitmap(const Bitmap& other)
    : m_width(other.m_width), m_height(other.m_height), m_format(other.m_format),
      m_alphaMode(other.m_alphaMode), m_stride(other.m_stride), m_colorTable(other.m_colorTable),
      m_brush(other.m_brush), m_bitFields(other.m_bitFields),
      m_fromBitFields(other.m_fromBitFields), m_os2(other.m_os2), m_rleFile(other.m_rleFile) {
    const std::size_t bytes = m_stride * static_cast<std::size_t>(m_height);
    m_pixels = allocate(bytes);
    if (bytes)
        std::memcpy(m_pixels.get(), other.m_pixels.get(), bytes);
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
    m_width = std::exchange(other.m_width, 0);
    m_height = std::exchange(other.m_height, 0);
    m_format = std::exchange(other.m_format, PixelFormat::Device);
    m_alphaMode = std::exchange(other.m_alphaMode, AlphaMode::Ignored);
    m_stride = std::exchange(other.m_stride, 0);
    m_pixels = std::move(other.m_pixels);
    m_colorTable = std::move(other.m_colorTable);
    other.m_colorTable.clear();
    m_brush = other.m_brush;
    m_bitFields = other.m_bitFields;
    m_fromBitFields = std::exchange(other.m_fromBitFields, false);
    m_os2 = std::exchange(other.m_os2, false);
    m_rleFile = std::move(other.m_rleFile);
    other.m_rleFile.clear();
    return *this;
}

void Bitmap::createUninitialized(int width, int height, PixelFormat f) {
    if (width < 0 || height < 0)
        throw ImageError("negative picture size");
    const std::size_t stride = rowBytes(width, f);
    const std::size_t used = (static_cast<std::size_t>(width) * bitsPerPixel(f) + 7) / 8;
    Buffer buffer = allocate(stride * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        std::memset(buffer.get() + stride * y + used, 0, stride - used);
    m_pixels = std::move(buffer);
    m_width = width;
    m_height = height;
    m_stride = stride;
    m_format = f;
    m_alphaMode = AlphaMode::Ignored;
    if (isPalette(f)) {
        if (m_colorTable.empty() || m_colorTable.size() > (std::size_t(1) << bitsPerPixel(f)))
            m_colorTable = defaultTable(f);
    } else {
        m_colorTable.clear();
    }
    m_bitFields = BitFields{0x7C00, 0x03E0, 0x001F};
    m_fromBitFields = false;
    m_os2 = false;
    changed();
}

void Bitmap::setBitFields(const BitFields& masks, bool fromFile) {
    m_bitFields = masks;
    m_fromBitFields = fromFile;
}

void Bitmap::setColorTable(std::vector<std::uint32_t> table) {
    for (auto& c : table)
        c &= 0xFFFFFF;
    m_colorTable = std::move(table);
    changed();
}

std::uint8_t* Bitmap::scanLine(int y) {
    changed();
    return m_pixels.get() + m_stride * static_cast<std::size_t>(y);
}

const std::uint8_t* Bitmap::scanLine(int y) const {
    return m_pixels.get() + m_stride * static_cast<std::size_t>(y);
}

int Bitmap::nearestIndex(std::uint32_t rgb) const {
    const std::size_t n =
        std::min<std::size_t>(m_colorTable.size(), std::size_t(1) << bitsPerPixel());
    int best = 0;
    std::uint32_t bestDistance = UINT32_MAX;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t c = m_colorTable[i];
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
    switch (m_format) {
    case PixelFormat::Bits1:
    case PixelFormat::Bits4:
    case PixelFormat::Bits8: {
        const std::size_t entries = m_colorTable.size();
        for (int i = 0; i < count; ++i) {
            const unsigned index = indexAt(row, x0 + i, m_format);
            out[i] = 0xFF000000 | (index < entries ? m_colorTable[index] : 0);
        }
        break;
    }
    case PixelFormat::Bits16: {
        const MaskChannel r(m_bitFields.red), g(m_bitFields.green), b(m_bitFields.blue);
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
    switch (m_format) {
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
            putIndex(row, x0 + i, m_format, static_cast<unsigned>(lastIndex));
        }
        break;
    }
    case PixelFormat::Bits16: {
        const MaskChannel r(m_bitFields.red), g(m_bitFields.green), b(m_bitFields.blue);
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
    x1 = std::min(x1, m_width);
    y1 = std::min(y1, m_height);
    if (x0 >= x1 || y0 >= y1)
        return;
    const std::uint32_t color = 0xFF000000 | (rgb & 0xFFFFFF);
    if (m_format == PixelFormat::Bits24 || m_format == PixelFormat::Bits32 ||
        m_format == PixelFormat::Device) {
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
    if (width == m_width && height == m_height)
        return;
    Bitmap grown;
    grown.m_colorTable = m_colorTable;
    grown.createUninitialized(width, height, m_format);
    grown.m_colorTable = m_colorTable.empty() ? grown.m_colorTable : m_colorTable;
    grown.m_alphaMode = m_alphaMode;
    grown.m_bitFields = m_bitFields;
    grown.m_fromBitFields = m_fromBitFields;
    grown.m_os2 = m_os2;
    grown.m_brush = m_brush;
    const int keepW = std::min(width, m_width);
    const int keepH = std::min(height, m_height);
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
    grown.fillArea(keepW, 0, width, keepH, m_brush);
    grown.fillArea(0, keepH, width, height, m_brush);
    *this = std::move(grown);
}

void Bitmap::setSizeForOverwrite(int width, int height) {
    const AlphaMode alpha = m_alphaMode;
    const BitFields fields = m_bitFields;
    const bool fromBitFields = m_fromBitFields;
    createUninitialized(std::max(width, 0), std::max(height, 0), m_format);
    m_alphaMode = alpha;
    m_bitFields = fields;
    m_fromBitFields = fromBitFields;
}

void Bitmap::setPixelFormat(PixelFormat f) {
    if (f == m_format)
        return;
    const bool sameStorage = (f == PixelFormat::Device && m_format == PixelFormat::Bits32) ||
                             (f == PixelFormat::Bits32 && m_format == PixelFormat::Device);
    if (sameStorage) {
        m_format = f;
        m_alphaMode = AlphaMode::Ignored;
        m_fromBitFields = false;
        changed();
        return;
    }
    Bitmap converted;
    if (isPalette(f) && m_colorTable.size() <= (std::size_t(1) << bitsPerPixel(f)))
        converted.m_colorTable = m_colorTable;
    converted.createUninitialized(m_width, m_height, f);
    converted.m_brush = m_brush;
    const int bpp = bitsPerPixel(f);
    converted.m_os2 = m_os2 && (bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24);
    // Palette to palette with a table that fits keeps the indexes as they are.
    const bool keepIndexes =
        isPalette(m_format) && isPalette(f) && converted.m_colorTable == m_colorTable;
    std::vector<std::uint32_t> row(static_cast<std::size_t>(m_width));
    for (int y = 0; y < m_height; ++y) {
        if (keepIndexes) {
            const std::uint8_t* from = scanLine(y);
            std::uint8_t* to = converted.scanLine(y);
            for (int x = 0; x < m_width; ++x)
                putIndex(to, x, f, indexAt(from, x, m_format));
            continue;
        }
        readRow(y, 0, m_width, row.data());
        if (m_format != PixelFormat::Bits32 && bpp == 32)
            for (auto& c : row)
                c |= 0xFF000000;
        converted.writeRow(y, 0, m_width, row.data());
    }
    *this = std::move(converted);
}

std::uint32_t Bitmap::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0;
    std::uint32_t c = 0;
    readRow(y, x, 1, &c);
    return hasAlpha() ? unpremultiply(c) : (c | 0xFF000000);
}

void Bitmap::setPixel(int x, int y, std::uint32_t argb) {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    const std::uint32_t c = hasAlpha() ? premultiply(argb) : argb;
    writeRow(y, x, 1, &c);
}

void Bitmap::toBgra32(std::uint8_t* dest, std::ptrdiff_t destStride) const {
    std::vector<std::uint32_t> row(static_cast<std::size_t>(m_width));
    for (int y = 0; y < m_height; ++y) {
        readRow(y, 0, m_width, row.data());
        if (!hasAlpha())
            for (auto& c : row)
                c |= 0xFF000000;
        std::uint8_t* d = dest + destStride * y;
        for (int x = 0; x < m_width; ++x) {
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
    const int x0 = std::max(x, 0), x1 = std::min(dest.right, m_width);
    const int y0 = std::max(y, 0), y1 = std::min(dest.bottom, m_height);
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
        stretchHalftone(src, *this, dest);
    else
        stretchPick(src, Rect{0, 0, src.width(), src.height()}, *this, dest);
}

void Bitmap::fillRect(const Rect& r) {
    // Like a rectangle drawn without outline: one pixel narrower and lower than r.
    fillArea(r.left, r.top, r.right - 1, r.bottom - 1, m_brush);
}

void Bitmap::copyRect(const Rect& dest, const Bitmap& src, const Rect& source) {
    if (dest.width() != source.width() || dest.height() != source.height()) {
        stretchPick(src, source, *this, dest);
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
    clip(dx0, sx0, w, m_width, src.width());
    clip(dy0, sy0, h, m_height, src.height());
    if (w <= 0 || h <= 0)
        return;
    const bool rawCopy = m_format == src.m_format && bitsPerPixel() >= 8 && !isPalette(m_format) &&
                         (m_format != PixelFormat::Bits16 || m_bitFields == src.m_bitFields);
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
