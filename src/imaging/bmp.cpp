// BMP files: the reader (OS/2 and Windows headers, every depth, bit fields, RLE4 and RLE8)
// and the writer. Every field of a file is checked before it is used.
#include "imaging/bitmap.h"
#include "imaging/boxreduce.h"
#include "imaging/codecs.h"
#include "imaging/fileio.h"
#include "imaging/pixelmath.h"
#include "storage/atomicfile.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

using imaging_detail::contiguousMask;
using imaging_detail::MaskChannel;
using imaging_detail::openForRead;
using imaging_detail::unpremultiply;

namespace {

enum : std::uint32_t {
    CompressionRgb = 0,
    CompressionRle8 = 1,
    CompressionRle4 = 2,
    CompressionBitFields = 3,
    CompressionAlphaBitFields = 6
};

std::uint16_t u16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
std::uint32_t u32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

[[noreturn]] void fail(const std::string& why) {
    throw ImageError("BMP: " + why);
}

// The file or the memory block being read, read at given offsets.
class Input {
public:
    explicit Input(std::FILE* f) : m_file(f) {
        if (std::fseek(f, 0, SEEK_END) != 0)
            fail("cannot read the file");
        const long end = std::ftell(f);
        if (end < 0)
            fail("cannot read the file");
        m_size = static_cast<std::uint64_t>(end);
    }
    explicit Input(std::span<const std::uint8_t> data) : m_data(data), m_size(data.size()) {}

    std::uint64_t size() const { return m_size; }
    void read(std::uint64_t offset, void* out, std::size_t n) {
        if (offset > m_size || n > m_size - offset)
            fail("file cut short");
        if (!m_file) {
            std::memcpy(out, m_data.data() + offset, n);
            return;
        }
        if (offset != m_position) {
            if (offset > static_cast<std::uint64_t>(LONG_MAX) ||
                std::fseek(m_file, static_cast<long>(offset), SEEK_SET) != 0)
                fail("cannot read the file");
        }
        if (n && std::fread(out, 1, n, m_file) != n)
            fail("cannot read the file");
        m_position = offset + n;
    }

private:
    std::FILE* m_file = nullptr;
    std::span<const std::uint8_t> m_data;
    std::uint64_t m_size = 0;
    std::uint64_t m_position = UINT64_MAX;
};

Bitmap readReduced(Input& in, const ReducedDecode& request, std::int64_t width, std::int64_t height,
                   bool topDown, bool rle, PixelFormat format, std::vector<std::uint32_t> table,
                   std::uint32_t pixelOffset, const BitFields* masks) {
    constexpr std::int64_t MaxSide = std::int64_t(1) << 24;
    if (rle)
        throw ImageTooLarge("BMP: run-length pictures are not reduced");
    if (width >= MaxSide || height >= MaxSide)
        throw ImageTooLarge("BMP: picture too large");
    const int factor = imaging_detail::reductionFactor(
        static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height), 24, maxRasterBytes(),
        0, request.coverWidth, request.coverHeight);
    if (factor == 0)
        throw ImageTooLarge("BMP: picture too large to reduce");
    const int w = static_cast<int>(width), rows = static_cast<int>(height);
    // The rows must all be there before anything is allocated for them.
    const std::uint64_t stride =
        (static_cast<std::uint64_t>(width) * Bitmap::bitsPerPixel(format) + 31) / 32 * 4;
    if (static_cast<std::uint64_t>(pixelOffset) + stride * static_cast<std::uint64_t>(rows) >
        in.size())
        fail("file cut short");
    // One row of the file at a time, read through a one-row bitmap of the file's format.
    Bitmap line;
    line.setColorTable(table);
    line.createUninitialized(w, 1, format);
    line.setColorTable(std::move(table));
    if (format == PixelFormat::Bits16)
        line.setBitFields(masks ? *masks : BitFields{0x7C00, 0x03E0, 0x001F}, masks != nullptr);
    const bool maskedBits32 =
        format == PixelFormat::Bits32 && masks && *masks != BitFields{0xFF0000, 0xFF00, 0xFF};
    const MaskChannel r(masks ? masks->red : 0), g(masks ? masks->green : 0),
        bl(masks ? masks->blue : 0);
    imaging_detail::BoxReducer reducer(w, rows, factor, 3, false);
    std::vector<std::uint32_t> words(static_cast<std::size_t>(w));
    std::vector<std::uint8_t> colours(static_cast<std::size_t>(w) * 3);
    for (int i = 0; i < rows; ++i) {
        in.read(pixelOffset + stride * static_cast<std::uint64_t>(i), line.scanLine(0), stride);
        if (maskedBits32) {
            const std::uint8_t* p = line.scanLine(0);
            for (int x = 0; x < w; ++x, p += 4) {
                const std::uint32_t v = u32(p);
                words[x] = r.decode(v) << 16 | g.decode(v) << 8 | bl.decode(v);
            }
        } else {
            line.readRow(0, 0, w, words.data());
        }
        for (int x = 0; x < w; ++x) {
            colours[3 * x] = static_cast<std::uint8_t>(words[x]);
            colours[3 * x + 1] = static_cast<std::uint8_t>(words[x] >> 8);
            colours[3 * x + 2] = static_cast<std::uint8_t>(words[x] >> 16);
        }
        reducer.add(topDown ? i : rows - 1 - i, 0, 1, colours.data(), w);
    }
    return reducer.finish();
}

// Walks a run-length stream, bottom row first, handing run(x, y, count, pixel) every run of
// pixels that lands inside the picture, clipped to it: count pixels from column x of row y
// (counted from the bottom), pixel(i) giving the colour index of the i-th. End-of-line,
// delta and end-of-bitmap codes pass over pixels without a run.
template <class Run>
void walkRle(const std::vector<std::uint8_t>& file, std::uint64_t offset, bool rle8, std::int64_t w,
             std::int64_t h, const Run& run) {
    const std::uint8_t* d = file.data();
    const std::size_t n = file.size();
    std::size_t p = static_cast<std::size_t>(offset);
    std::int64_t x = 0, y = 0;
    auto clipped = [&](unsigned count) {
        return x < w ? static_cast<unsigned>(std::min<std::int64_t>(count, w - x)) : 0u;
    };
    // Every step consumes at least two bytes, so the loop ends with the data.
    while (y < h) {
        if (n - p < 2)
            fail("RLE data cut short");
        const unsigned a = d[p], b = d[p + 1];
        p += 2;
        if (a > 0) { // a pixels of one index (RLE4: two alternating indexes)
            if (const unsigned count = clipped(a))
                run(x, y, count, [rle8, b](unsigned i) {
                    return rle8 ? b : (i & 1) ? b & 0x0F : b >> 4;
                });
            x += a;
        } else if (b == 0) { // end of line
            x = 0;
            ++y;
        } else if (b == 1) { // end of bitmap
            break;
        } else if (b == 2) { // delta
            if (n - p < 2)
                fail("RLE data cut short");
            x += d[p];
            y += d[p + 1];
            p += 2;
        } else { // b pixels stored as they are, padded to an even number of bytes
            const std::size_t bytes = rle8 ? b : (b + 1) / 2;
            if (n - p < bytes)
                fail("RLE data cut short");
            const std::uint8_t* stored = d + p;
            if (const unsigned count = clipped(b))
                run(x, y, count, [rle8, stored](unsigned i) -> unsigned {
                    return rle8 ? stored[i] : (i & 1) ? stored[i / 2] & 0x0F : stored[i / 2] >> 4;
                });
            x += b;
            p += std::min<std::size_t>((bytes + 1) & ~std::size_t(1), n - p);
        }
    }
}

void decodeRle(const std::vector<std::uint8_t>& file, std::uint64_t offset, bool rle8,
               Bitmap& out) {
    const std::int64_t h = out.height();
    walkRle(file, offset, rle8, out.width(), h,
            [&](std::int64_t x, std::int64_t y, unsigned count, const auto& pixel) {
                std::uint8_t* row = out.scanLine(static_cast<int>(h - 1 - y));
                for (unsigned i = 0; i < count; ++i, ++x) {
                    const unsigned index = pixel(i);
                    if (rle8)
                        row[x] = static_cast<std::uint8_t>(index);
                    else
                        row[x >> 1] =
                            (x & 1) ? (row[x >> 1] & 0xF0) | (index & 0x0F)
                                    : (row[x >> 1] & 0x0F) | static_cast<std::uint8_t>(index << 4);
                }
            });
}

// Pixels that the runs of a run-length stream paint (the rest stays at the first colour).
std::uint64_t rlePaintedPixels(const std::vector<std::uint8_t>& file, std::uint64_t offset,
                               bool rle8, std::int64_t w, std::int64_t h) {
    std::uint64_t painted = 0;
    walkRle(file, offset, rle8, w, h,
            [&](std::int64_t, std::int64_t, unsigned count, const auto&) { painted += count; });
    return painted;
}

// A run paints at most 255 pixels for two bytes, and end-of-line, delta and end-of-bitmap
// codes pass over any number of pixels for two to four bytes, leaving them at the first
// colour. Small pictures (icons, sprites, animation frames) rightly leave much of their area
// to those skips, so every picture of up to RleFreePixels pixels is decoded as it is. A
// larger one must paint at least one pixel in RleSkipShare with runs: a picture that big
// and almost all skipped is no picture anyone drew, and decoding it would cost a raster of
// up to a gigabyte and seconds of clearing for a file of a few bytes (at most 2040 pixels
// a byte are decoded this way). It is refused as damaged before its raster is allocated.
constexpr std::uint64_t RleFreePixels = std::uint64_t(1) << 24;
constexpr std::uint64_t RleSkipShare = 16;

// What the file header and the info header say about the picture, checked.
struct Header {
    bool os2 = false;
    std::int64_t width = 0;
    std::int64_t height = 0; // positive; topDown says which way the rows go
    bool topDown = false;
    unsigned bpp = 0;
    std::uint32_t compression = CompressionRgb;
    std::uint32_t colorsUsed = 0;
    BitFields masks;
    bool masksFromFile = false;
    std::uint32_t pixelOffset = 0;
    std::uint64_t tableOffset = 0;

    bool rle() const { return compression == CompressionRle8 || compression == CompressionRle4; }
};

// The colour masks of a bit-field file: inside a header of 52 bytes or more, otherwise in
// the 12 bytes after the 40-byte header (which the colour table then follows).
void readMasks(Input& in, const std::uint8_t* h, std::size_t headBytes, std::uint32_t headerSize,
               Header& hd) {
    std::uint8_t m[12];
    if (headerSize >= 52) {
        if (headBytes < 14 + 52)
            fail("file too short");
        std::memcpy(m, h + 40, 12);
    } else {
        in.read(14 + 40, m, 12);
        hd.tableOffset += hd.compression == CompressionAlphaBitFields ? 16 : 12;
    }
    hd.masks = BitFields{u32(m), u32(m + 4), u32(m + 8)};
    hd.masksFromFile = true;
}

// The depth, the compression and the masks must make a picture this reader can show.
void checkHeader(const Header& hd) {
    if (hd.width <= 0 || hd.height <= 0)
        fail("empty or negative size");
    const unsigned bpp = hd.bpp;
    const std::uint32_t compression = hd.compression;
    const bool validDepth =
        compression == CompressionRgb
            ? (bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32)
        : compression == CompressionRle8 ? bpp == 8
        : compression == CompressionRle4
            ? bpp == 4
            : (compression == CompressionBitFields || compression == CompressionAlphaBitFields) &&
                  (bpp == 16 || bpp == 32);
    if (!validDepth)
        fail("unsupported depth or compression");
    if (hd.rle() && hd.topDown)
        fail("top-down rows cannot be run-length compressed");
    if (hd.masksFromFile) {
        const std::uint32_t limit = bpp == 16 ? 0xFFFF : 0xFFFFFFFF;
        for (std::uint32_t m : {hd.masks.red, hd.masks.green, hd.masks.blue})
            if (!contiguousMask(m) || m > limit)
                fail("bad colour masks");
        if ((hd.masks.red | hd.masks.green | hd.masks.blue) == 0)
            fail("bad colour masks");
    }
}

// Reads the file header and the OS/2 or Windows info header, with the colour masks.
Header readHeader(Input& in) {
    std::uint8_t head[14 + 124] = {};
    const std::size_t headBytes =
        static_cast<std::size_t>(std::min<std::uint64_t>(in.size(), sizeof head));
    if (headBytes < 14 + 12)
        fail("file too short");
    in.read(0, head, headBytes);
    if (head[0] != 'B' || head[1] != 'M')
        fail("not a BMP file");
    const std::uint32_t headerSize = u32(head + 14);
    const std::uint8_t* h = head + 14;

    Header hd;
    hd.pixelOffset = u32(head + 10);
    hd.tableOffset = 14 + static_cast<std::uint64_t>(headerSize);
    if (headerSize == 12) {
        hd.os2 = true;
        hd.width = u16(h + 4);
        hd.height = u16(h + 6);
        hd.bpp = u16(h + 10);
    } else if (headerSize >= 40 && headerSize <= 1024) {
        if (headBytes < 14 + 40)
            fail("file too short");
        hd.width = static_cast<std::int32_t>(u32(h + 4));
        hd.height = static_cast<std::int32_t>(u32(h + 8));
        hd.bpp = u16(h + 14);
        hd.compression = u32(h + 16);
        hd.colorsUsed = u32(h + 32);
        if (hd.compression == CompressionBitFields || hd.compression == CompressionAlphaBitFields)
            readMasks(in, h, headBytes, headerSize, hd);
    } else {
        fail("unknown header size");
    }
    hd.topDown = hd.height < 0;
    hd.height = hd.topDown ? -hd.height : hd.height;
    checkHeader(hd);
    return hd;
}

PixelFormat formatOf(unsigned bpp) {
    return bpp == 1    ? PixelFormat::Bits1
           : bpp == 4  ? PixelFormat::Bits4
           : bpp == 8  ? PixelFormat::Bits8
           : bpp == 16 ? PixelFormat::Bits16
           : bpp == 24 ? PixelFormat::Bits24
                       : PixelFormat::Bits32;
}

// The palette of a picture of 8 bits or fewer: no more entries than the depth allows, the
// header declares or fit before the pixels.
std::vector<std::uint32_t> readColorTable(Input& in, const Header& hd) {
    std::vector<std::uint32_t> table;
    if (hd.bpp > 8)
        return table;
    const unsigned entrySize = hd.os2 ? 3 : 4;
    std::uint64_t count = std::uint64_t(1) << hd.bpp;
    if (hd.colorsUsed != 0)
        count = std::min<std::uint64_t>(count, hd.colorsUsed);
    if (hd.pixelOffset >= hd.tableOffset)
        count = std::min<std::uint64_t>(count, (hd.pixelOffset - hd.tableOffset) / entrySize);
    std::uint8_t raw[256 * 4];
    in.read(hd.tableOffset, raw, static_cast<std::size_t>(count * entrySize));
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint8_t* e = raw + i * entrySize;
        table.push_back(std::uint32_t(e[2]) << 16 | std::uint32_t(e[1]) << 8 | e[0]);
    }
    return table;
}

// The whole file of a run-length picture, checked before the raster exists.
std::vector<std::uint8_t> readRleFile(Input& in, const Header& hd) {
    // Run-length data is small; the whole file is kept so that an unchanged picture can
    // be written back byte for byte. Any useful file is below this bound.
    const std::uint64_t maxUseful =
        hd.pixelOffset +
        2 * (static_cast<std::uint64_t>(hd.width) + 2) * static_cast<std::uint64_t>(hd.height) +
        4096;
    if (in.size() > maxUseful)
        fail("run-length data larger than its picture");
    std::vector<std::uint8_t> rleFile(static_cast<std::size_t>(in.size()));
    in.read(0, rleFile.data(), rleFile.size());
    if (hd.pixelOffset > rleFile.size())
        fail("file cut short");
    // Checked before the raster exists (see RleSkipShare).
    const std::uint64_t pixels = static_cast<std::uint64_t>(hd.width) * hd.height;
    if (pixels > RleFreePixels &&
        rlePaintedPixels(rleFile, hd.pixelOffset, hd.compression == CompressionRle8, hd.width,
                         static_cast<int>(hd.height)) *
                RleSkipShare <
            pixels)
        fail("run-length data paints almost none of its picture");
    return rleFile;
}

// The uncompressed rows, bottom-up unless the header says otherwise.
void readRows(Input& in, const Header& hd, Bitmap& b) {
    const int rows = b.height();
    const std::size_t stride = b.stride();
    if (static_cast<std::uint64_t>(hd.pixelOffset) + stride * static_cast<std::uint64_t>(rows) >
        in.size())
        fail("file cut short");
    for (int i = 0; i < rows; ++i)
        in.read(hd.pixelOffset + stride * static_cast<std::uint64_t>(i),
                b.scanLine(hd.topDown ? i : rows - 1 - i), stride);
}

// Records the colour masks of 16-bit pictures and brings 32-bit pixels with masks of their
// own to the blue, green, red, alpha bytes every 32-bit bitmap keeps in memory.
void applyBitFields(const Header& hd, Bitmap& b) {
    if (hd.bpp == 16) {
        b.setBitFields(hd.masksFromFile ? hd.masks : BitFields{0x7C00, 0x03E0, 0x001F},
                       hd.masksFromFile);
    } else if (hd.bpp == 32 && hd.masksFromFile) {
        if (hd.masks != BitFields{0xFF0000, 0xFF00, 0xFF}) {
            const MaskChannel r(hd.masks.red), g(hd.masks.green), bl(hd.masks.blue);
            for (int y = 0; y < b.height(); ++y) {
                std::uint8_t* p = b.scanLine(y);
                for (int x = 0; x < b.width(); ++x, p += 4) {
                    const std::uint32_t v = u32(p);
                    p[0] = static_cast<std::uint8_t>(bl.decode(v));
                    p[1] = static_cast<std::uint8_t>(g.decode(v));
                    p[2] = static_cast<std::uint8_t>(r.decode(v));
                    p[3] = 255;
                }
            }
        }
        b.setBitFields(hd.masks, true);
    }
}

// Reads the picture; with `reduce` it is averaged down to fit the raster limit as its rows
// are read (see file2BitmapReduced), never holding the full raster.
Bitmap read(Input& in, const ReducedDecode* reduce = nullptr) {
    const Header hd = readHeader(in);
    if (!reduce)
        checkRasterSize(static_cast<std::uint64_t>(hd.width), static_cast<std::uint64_t>(hd.height),
                        static_cast<int>(hd.bpp));
    const PixelFormat format = formatOf(hd.bpp);
    std::vector<std::uint32_t> table = readColorTable(in, hd);
    if (reduce)
        return readReduced(in, *reduce, hd.width, hd.height, hd.topDown, hd.rle(), format,
                           std::move(table), hd.pixelOffset,
                           hd.masksFromFile ? &hd.masks : nullptr);

    std::vector<std::uint8_t> rleFile;
    if (hd.rle())
        rleFile = readRleFile(in, hd);

    Bitmap b;
    b.setColorTable(table);
    b.createUninitialized(static_cast<int>(hd.width), static_cast<int>(hd.height), format);
    b.setColorTable(std::move(table));
    if (hd.rle()) {
        for (int y = 0; y < b.height(); ++y)
            std::memset(b.scanLine(y), 0, b.stride());
        decodeRle(rleFile, hd.pixelOffset, hd.compression == CompressionRle8, b);
        b.setRleOrigin(std::move(rleFile));
    } else {
        readRows(in, hd, b);
        applyBitFields(hd, b);
    }
    b.setOs2Origin(hd.os2);
    return b;
}

void put16(std::uint8_t* p, unsigned v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

using Sink = std::function<void(const void*, std::size_t)>;

void write(const Bitmap& b, const Sink& write) {
    if (b.isUnchangedRle()) {
        write(b.rleOrigin().data(), b.rleOrigin().size());
        return;
    }
    const int bpp = b.bitsPerPixel();
    const std::uint32_t w = static_cast<std::uint32_t>(b.width()),
                        h = static_cast<std::uint32_t>(b.height());
    const bool os2 = b.isOs2Origin() && (bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24) &&
                     w <= 0xFFFF && h <= 0xFFFF;
    const bool bitFields = b.hasBitFields() && (bpp == 16 || bpp == 32);
    std::vector<std::uint32_t> table;
    if (bpp <= 8) {
        table = b.colorTable();
        const std::size_t full = std::size_t(1) << bpp;
        if (table.size() > full)
            table.resize(full);
        if (table.empty() || os2) // an OS/2 header has no count: its table is always full
            table.resize(full, 0);
    }
    const std::uint64_t headerSize = os2 ? 12 : 40;
    const std::uint64_t offset =
        14 + headerSize + (bitFields ? 12 : 0) + table.size() * (os2 ? 3 : 4);
    const std::uint64_t rowsSize = static_cast<std::uint64_t>(b.stride()) * h;
    if (offset + rowsSize > 0xFFFFFFFFu)
        fail("picture too large for a BMP file");

    std::vector<std::uint8_t> head(static_cast<std::size_t>(offset), 0);
    std::uint8_t* p = head.data();
    p[0] = 'B';
    p[1] = 'M';
    put32(p + 2, static_cast<std::uint32_t>(offset + rowsSize));
    put32(p + 10, static_cast<std::uint32_t>(offset));
    p += 14;
    if (os2) {
        put32(p, 12);
        put16(p + 4, w);
        put16(p + 6, h);
        put16(p + 8, 1);
        put16(p + 10, static_cast<unsigned>(bpp));
        p += 12;
    } else {
        put32(p, 40);
        put32(p + 4, w);
        put32(p + 8, h);
        put16(p + 12, 1);
        put16(p + 14, static_cast<unsigned>(bpp));
        put32(p + 16, bitFields ? CompressionBitFields : CompressionRgb);
        put32(p + 20, static_cast<std::uint32_t>(rowsSize));
        put32(p + 32, static_cast<std::uint32_t>(table.size()));
        p += 40;
        if (bitFields) {
            put32(p, b.bitFields().red);
            put32(p + 4, b.bitFields().green);
            put32(p + 8, b.bitFields().blue);
            p += 12;
        }
    }
    for (std::uint32_t c : table) {
        p[0] = static_cast<std::uint8_t>(c);
        p[1] = static_cast<std::uint8_t>(c >> 8);
        p[2] = static_cast<std::uint8_t>(c >> 16);
        p += os2 ? 3 : 4;
    }
    write(head.data(), head.size());

    const bool straighten = b.hasAlpha();
    const bool encodeMasks =
        bpp == 32 && bitFields && b.bitFields() != BitFields{0xFF0000, 0xFF00, 0xFF};
    std::vector<std::uint8_t> row((straighten || encodeMasks) ? b.stride() : 0);
    const MaskChannel r(b.bitFields().red), g(b.bitFields().green), bl(b.bitFields().blue);
    for (std::int64_t y = static_cast<std::int64_t>(h) - 1; y >= 0; --y) {
        const std::uint8_t* src = b.scanLine(static_cast<int>(y));
        if (row.empty()) {
            write(src, b.stride());
            continue;
        }
        for (std::uint32_t x = 0; x < w; ++x) {
            const std::uint8_t* s = src + 4 * x;
            std::uint32_t c = u32(s);
            if (straighten)
                c = unpremultiply(c);
            if (encodeMasks)
                c = r.encode((c >> 16) & 0xFF) | g.encode((c >> 8) & 0xFF) | bl.encode(c & 0xFF);
            put32(row.data() + 4 * x, c);
        }
        write(row.data(), row.size());
    }
}

} // namespace

void Bitmap::loadFromFile(const std::filesystem::path& fileName) {
    const auto file = openForRead(fileName);
    Input in(file.get());
    Bitmap loaded = read(in);
    loaded.setBrushColor(m_brush);
    *this = std::move(loaded);
}

void Bitmap::loadFromData(std::span<const std::uint8_t> data) {
    Input in(data);
    Bitmap loaded = read(in);
    loaded.setBrushColor(m_brush);
    *this = std::move(loaded);
}

void Bitmap::saveToFile(const std::filesystem::path& fileName) const {
    try {
        storage::AtomicFile out(fileName);
        write(*this, [&out](const void* data, std::size_t size) { out.write(data, size); });
        out.commit();
    } catch (const StorageError& e) {
        throw ImageError(e.what());
    }
}

void bmp2BitmapReduced(const std::filesystem::path& fileName, Bitmap& b,
                       const ReducedDecode& request) {
    const auto file = openForRead(fileName);
    Input in(file.get());
    Bitmap loaded = read(in, &request);
    loaded.setBrushColor(b.brushColor());
    b = std::move(loaded);
}

void bmpData2BitmapReduced(std::span<const std::uint8_t> data, Bitmap& b,
                           const ReducedDecode& request) {
    Input in(data);
    Bitmap loaded = read(in, &request);
    loaded.setBrushColor(b.brushColor());
    b = std::move(loaded);
}

std::vector<std::uint8_t> Bitmap::saveToData() const {
    std::vector<std::uint8_t> bytes;
    write(*this, [&bytes](const void* data, std::size_t size) {
        const auto* p = static_cast<const std::uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + size);
    });
    return bytes;
}
