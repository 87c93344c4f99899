// PNG decoding with libpng. Errors longjmp back to setjmp calls in small functions that
// hold no C++ objects with destructors; the library state is owned by the caller's frame.
#include "imaging/boxreduce.h"
#include "imaging/codecs.h"
#include "imaging/exif.h"
#include "imaging/fileio.h"
#include "imaging/resize.h"
#include "imaging/windowaverage.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <png.h>

using imaging_detail::openForRead;

namespace {

struct MemorySource {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos;
};

struct Decoder {
    png_structp png = nullptr;
    png_infop info = nullptr;
    char message[256] = {};
    MemorySource memory{};
    // Result of the header phase.
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0, interlace = 0;
    PixelFormat format = PixelFormat::Bits24;
    bool premultiply = false;
    bool twoBit = false;  // 2-bit samples, decoded packed and widened to 4 bits afterwards
    bool reduced = false; // rows as blue, green, red (alpha) bytes or palette indexes
    bool indexed = false; // reduced: one palette index per byte, looked up in table
    std::size_t rowBytes = 0;
    int paletteSize = 0;
    std::uint32_t table[256] = {};
    ~Decoder() {
        if (png)
            png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
};

void onError(png_structp png, png_const_charp text) {
    auto* d = static_cast<Decoder*>(png_get_error_ptr(png));
    std::snprintf(d->message, sizeof d->message, "PNG: %s", text);
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

void readMemory(png_structp png, png_bytep out, png_size_t length) {
    auto* d = static_cast<Decoder*>(png_get_error_ptr(png));
    MemorySource& m = d->memory;
    if (length > m.size - m.pos)
        png_error(png, "unexpected end of data");
    std::memcpy(out, m.data + m.pos, length);
    m.pos += length;
}

void fail(Decoder& d, const char* text) {
    png_error(d.png, text);
}

// The steps below run inside readHeader's setjmp: libpng errors longjmp through them, so
// they hold no C++ objects with destructors.

// Creates the header record, sets the size limits and where the bytes come from.
void prepareReader(Decoder& d, std::FILE* file) {
    d.info = png_create_info_struct(d.png);
    if (!d.info)
        fail(d, "out of memory");
    png_set_user_limits(d.png, 1u << 24, 1u << 24);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // Fuzzed bytes never carry the right checksums: nearly every mutation would stop at the
    // first chunk's CRC, and the decoding behind it would never be reached. Only the fuzz
    // build reads on past them; every other build keeps libpng's checks.
    png_set_crc_action(d.png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
    png_set_option(d.png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
    if (file)
        png_init_io(d.png, file);
    else
        png_set_read_fn(d.png, &d, readMemory);
}

// True for a palette picture whose tRNS makes some entry neither opaque nor clear.
bool hasPartialTransparency(Decoder& d) {
    png_bytep trnsAlpha = nullptr;
    int trnsCount = 0;
    bool partial = false;
    if (d.colorType == PNG_COLOR_TYPE_PALETTE &&
        png_get_tRNS(d.png, d.info, &trnsAlpha, &trnsCount, nullptr) && trnsAlpha)
        for (int i = 0; i < trnsCount; ++i)
            partial = partial || (trnsAlpha[i] != 0 && trnsAlpha[i] != 255);
    return partial;
}

// The bitmap format for the colour type, with the transforms and colour table it needs.
void chooseFormat(Decoder& d, bool partial) {
    switch (d.colorType) {
    case PNG_COLOR_TYPE_GRAY:
        if (d.bitDepth >= 8) {
            png_set_gray_to_rgb(d.png);
            d.format = PixelFormat::Bits24;
        } else {
            d.format = d.bitDepth == 1 ? PixelFormat::Bits1 : PixelFormat::Bits4;
            d.twoBit = d.bitDepth == 2;
            const int levels = 1 << d.bitDepth;
            d.paletteSize = levels;
            for (int i = 0; i < levels; ++i)
                d.table[i] = static_cast<std::uint32_t>(i * 255 / (levels - 1)) * 0x010101u;
        }
        break;
    case PNG_COLOR_TYPE_RGB:
        png_set_bgr(d.png);
        d.format = PixelFormat::Bits24;
        break;
    case PNG_COLOR_TYPE_PALETTE:
        if (partial) {
            png_set_palette_to_rgb(d.png);
            png_set_tRNS_to_alpha(d.png);
            png_set_bgr(d.png);
            d.format = PixelFormat::Bits32;
            d.premultiply = true;
        } else {
            d.format = d.bitDepth == 8   ? PixelFormat::Bits8
                       : d.bitDepth == 1 ? PixelFormat::Bits1
                                         : PixelFormat::Bits4;
            d.twoBit = d.bitDepth == 2;
            png_colorp palette = nullptr;
            int count = 0;
            if (!png_get_PLTE(d.png, d.info, &palette, &count) || !palette)
                fail(d, "palette missing");
            d.paletteSize = std::min(count, 1 << d.bitDepth);
            for (int i = 0; i < d.paletteSize; ++i)
                d.table[i] = std::uint32_t(palette[i].red) << 16 |
                             std::uint32_t(palette[i].green) << 8 | palette[i].blue;
        }
        break;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        png_set_gray_to_rgb(d.png);
        d.format = PixelFormat::Bits32;
        d.premultiply = true;
        break;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        png_set_bgr(d.png);
        d.format = PixelFormat::Bits32;
        d.premultiply = true;
        break;
    default:
        fail(d, "unknown colour type");
    }
}

// Sets up the rows as they are read (packed, or for averaging) and returns their bits per
// pixel.
std::size_t chooseRowLayout(Decoder& d, bool partial) {
    if (!d.reduced) {
        checkRasterSize(d.width, d.height, Bitmap::bitsPerPixel(d.format));
        if (d.interlace != PNG_INTERLACE_NONE)
            png_set_interlace_handling(d.png);
        return d.twoBit ? 2 : static_cast<std::size_t>(Bitmap::bitsPerPixel(d.format));
    }
    // Rows for averaging: colour bytes, with alpha where the picture has some; a palette
    // without partial transparency as indexes (so that its tRNS makes nothing
    // transparent). Interlaced passes are read one by one, as they are stored.
    if (d.colorType == PNG_COLOR_TYPE_PALETTE && !partial) {
        png_set_packing(d.png);
        d.indexed = true;
        return 8;
    }
    if (d.colorType == PNG_COLOR_TYPE_GRAY && d.bitDepth < 8) {
        png_set_expand_gray_1_2_4_to_8(d.png);
        png_set_gray_to_rgb(d.png);
    }
    return d.premultiply ? 32 : 24;
}

// Reads the header and sets up the transforms that give rows in the bitmap's own layout.
bool readHeader(Decoder& d, std::FILE* file) {
    d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &d, onError, onWarning);
    if (!d.png) {
        std::snprintf(d.message, sizeof d.message, "PNG: out of memory");
        return false;
    }
    if (setjmp(png_jmpbuf(d.png)))
        return false;
    prepareReader(d, file);
    png_read_info(d.png, d.info);
    png_get_IHDR(d.png, d.info, &d.width, &d.height, &d.bitDepth, &d.colorType, &d.interlace,
                 nullptr, nullptr);
    if (d.bitDepth == 16)
        png_set_scale_16(d.png);
    const bool partial = hasPartialTransparency(d);
    chooseFormat(d, partial);
    const std::size_t bits = chooseRowLayout(d, partial);
    png_read_update_info(d.png, d.info);
    d.rowBytes = png_get_rowbytes(d.png, d.info);
    if (d.rowBytes != (static_cast<std::size_t>(d.width) * bits + 7) / 8)
        fail(d, "unexpected row layout");
    return true;
}

// What the chunks before the picture data say about it: the orientation of an eXIf chunk
// and the ICC profile of an iCCP chunk.
void readMeta(Decoder& d, PictureMeta* meta) {
    if (!meta)
        return;
    png_charp name = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 profileSize = 0;
    if (png_get_iCCP(d.png, d.info, &name, &compression, &profile, &profileSize) && profile)
        meta->iccProfile.assign(profile, profile + profileSize);
    png_bytep exif = nullptr;
    png_uint_32 exifSize = 0;
    if (png_get_eXIf_1(d.png, d.info, &exifSize, &exif) && exif)
        meta->orientation = exifOrientation(std::span(exif, exifSize));
}

void premultiplyRow(std::uint8_t* p, png_uint_32 width) {
    for (png_uint_32 x = 0; x < width; ++x, p += 4) {
        const unsigned a = p[3];
        if (a == 255)
            continue;
        for (int c = 0; c < 3; ++c) {
            const unsigned t = p[c] * a + 128;
            p[c] = static_cast<std::uint8_t>((t + (t >> 8)) >> 8);
        }
    }
}

// rows[i] receives row i of the picture.
bool readRows(Decoder& d, png_bytep* rows) {
    if (setjmp(png_jmpbuf(d.png)))
        return false;
    if (d.interlace != PNG_INTERLACE_NONE) {
        png_read_image(d.png, rows);
        if (d.premultiply)
            for (png_uint_32 y = 0; y < d.height; ++y)
                premultiplyRow(rows[y], d.width);
    } else {
        for (png_uint_32 y = 0; y < d.height; ++y) {
            png_read_row(d.png, rows[y], nullptr);
            if (d.premultiply)
                premultiplyRow(rows[y], d.width);
        }
    }
    // The chunks after the picture data are not read: every pixel is there already.
    return true;
}

void decode(std::FILE* file, const std::uint8_t* data, std::size_t size, Bitmap& b,
            PictureMeta* meta) {
    Decoder d;
    d.memory = MemorySource{data, size, 0};
    if (!readHeader(d, file))
        throw ImageError(d.message);
    readMeta(d, meta);
    Bitmap decoded;
    decoded.createUninitialized(static_cast<int>(d.width), static_cast<int>(d.height), d.format);
    if (d.paletteSize > 0)
        decoded.setColorTable(std::vector<std::uint32_t>(d.table, d.table + d.paletteSize));
    std::vector<png_bytep> rows(d.height);
    std::vector<std::uint8_t> packed;
    if (d.twoBit) {
        packed.resize(d.rowBytes * d.height);
        for (png_uint_32 y = 0; y < d.height; ++y)
            rows[y] = packed.data() + d.rowBytes * y;
    } else {
        for (png_uint_32 y = 0; y < d.height; ++y)
            rows[y] = decoded.scanLine(static_cast<int>(y));
    }
    if (!readRows(d, rows.data()))
        throw ImageError(d.message);
    if (d.twoBit) {
        for (png_uint_32 y = 0; y < d.height; ++y) {
            const std::uint8_t* from = rows[y];
            std::uint8_t* to = decoded.scanLine(static_cast<int>(y));
            for (png_uint_32 x = 0; x < d.width; x += 2) {
                const unsigned a = (from[x >> 2] >> (6 - 2 * (x & 3))) & 3;
                const unsigned b =
                    x + 1 < d.width ? (from[(x + 1) >> 2] >> (6 - 2 * ((x + 1) & 3))) & 3 : 0;
                to[x >> 1] = static_cast<std::uint8_t>(a << 4 | b);
            }
        }
    }
    if (d.premultiply)
        decoded.setAlphaMode(AlphaMode::Premultiplied);
    decoded.setBrushColor(b.brushColor());
    b = std::move(decoded);
}

// Reads every row (interlaced files pass by pass) into the reducer.
bool readReducedRows(Decoder& d, imaging_detail::BoxReducer& reducer, png_bytep row,
                     std::uint8_t* colours) {
    if (setjmp(png_jmpbuf(d.png)))
        return false;
    const bool interlaced = d.interlace != PNG_INTERLACE_NONE;
    for (int pass = 0; pass < (interlaced ? 7 : 1); ++pass) {
        const png_uint_32 columns = interlaced ? PNG_PASS_COLS(d.width, pass) : d.width;
        const png_uint_32 rows = interlaced ? PNG_PASS_ROWS(d.height, pass) : d.height;
        if (columns == 0 || rows == 0)
            continue;
        const int x0 = interlaced ? static_cast<int>(PNG_PASS_START_COL(pass)) : 0;
        const int step = interlaced ? 1 << PNG_PASS_COL_SHIFT(pass) : 1;
        for (png_uint_32 r = 0; r < rows; ++r) {
            png_read_row(d.png, row, nullptr);
            const std::uint8_t* pixels = row;
            if (d.indexed) {
                for (png_uint_32 x = 0; x < columns; ++x) {
                    const std::uint32_t c = row[x] < d.paletteSize ? d.table[row[x]] : 0;
                    colours[3 * x] = static_cast<std::uint8_t>(c);
                    colours[3 * x + 1] = static_cast<std::uint8_t>(c >> 8);
                    colours[3 * x + 2] = static_cast<std::uint8_t>(c >> 16);
                }
                pixels = colours;
            } else if (d.premultiply) {
                premultiplyRow(row, columns);
            }
            const png_uint_32 y = interlaced ? PNG_ROW_FROM_PASS_ROW(r, pass) : r;
            reducer.add(static_cast<int>(y), x0, step, pixels, static_cast<int>(columns));
        }
    }
    return true;
}

void decodeReduced(std::FILE* file, const std::uint8_t* data, std::size_t size, Bitmap& b,
                   const ReducedDecode& request, PictureMeta* meta) {
    Decoder d;
    d.memory = MemorySource{data, size, 0};
    d.reduced = true;
    if (!readHeader(d, file))
        throw ImageError(d.message);
    readMeta(d, meta);
    const int channels = d.premultiply ? 4 : 3;
    const bool interlaced = d.interlace != PNG_INTERLACE_NONE;
    const ReducedDecode stored = meta ? storedRequest(request, meta->orientation) : request;
    // An interlaced file delivers its rows in seven passes: sums for the whole reduced
    // picture are kept, and count against the limit.
    const int factor =
        imaging_detail::reductionFactor(d.width, d.height, channels * 8, maxRasterBytes(),
                                        interlaced ? static_cast<std::uint64_t>(channels) * 4 : 0,
                                        stored.coverWidth, stored.coverHeight);
    if (factor == 0)
        throw ImageTooLarge("PNG: picture too large to reduce");
    imaging_detail::BoxReducer reducer(static_cast<int>(d.width), static_cast<int>(d.height),
                                       factor, channels, interlaced);
    std::vector<std::uint8_t> row(d.rowBytes);
    std::vector<std::uint8_t> colours(d.indexed ? static_cast<std::size_t>(d.width) * 3 : 0);
    if (!readReducedRows(d, reducer, row.data(), colours.data()))
        throw ImageError(d.message);
    Bitmap reduced = reducer.finish();
    reduced.setBrushColor(b.brushColor());
    b = std::move(reduced);
}

template <class Averager> bool averageRows(Decoder& d, Averager& averager, png_bytep row) {
    if (setjmp(png_jmpbuf(d.png)))
        return false;
    for (png_uint_32 y = 0; y < d.height; ++y) {
        png_read_row(d.png, row, nullptr);
        if (d.premultiply)
            premultiplyRow(row, d.width);
        averager.addRow(row);
    }
    return true;
}

// The picture reduced as it is read when it is larger than the screen needs and of 24 or 32
// bits, not interlaced (true); false, with nothing read of its picture data, for the others,
// which the caller decodes whole.
bool decodeForScreen(std::FILE* file, const std::uint8_t* data, std::size_t size, Bitmap& b,
                     const ScreenFit& fit, PictureMeta* meta) {
    Decoder d;
    d.memory = MemorySource{data, size, 0};
    if (!readHeader(d, file))
        throw ImageError(d.message);
    readMeta(d, meta);
    const bool swap = meta && swapsAxes(meta->orientation);
    const int width = static_cast<int>(d.width), height = static_cast<int>(d.height);
    const auto cover = screenCoverSize(swap ? height : width, swap ? width : height, fit.areas);
    if (!cover || d.interlace != PNG_INTERLACE_NONE ||
        (d.format != PixelFormat::Bits24 && d.format != PixelFormat::Bits32))
        return false;
    const int channels = d.format == PixelFormat::Bits32 ? 4 : 3;
    imaging_detail::WindowAverager averager(width, height, swap ? cover->second : cover->first,
                                            swap ? cover->first : cover->second, channels,
                                            channels);
    if (!averager.ok())
        throw ImageError("PNG: picture cannot be reduced to the screen");
    std::vector<std::uint8_t> row(d.rowBytes);
    if (!averageRows(d, averager, row.data()))
        throw ImageError(d.message);
    Bitmap reduced = averager.finish();
    if (d.premultiply)
        reduced.setAlphaMode(AlphaMode::Premultiplied);
    reduced.setBrushColor(b.brushColor());
    b = std::move(reduced);
    return true;
}

} // namespace

bool pnG2BitmapAveraged(const std::filesystem::path& fileName, Bitmap& dest, PictureMeta* meta) {
    const auto file = openForRead(fileName);
    Decoder d;
    if (!readHeader(d, file.get()))
        throw ImageError(d.message);
    readMeta(d, meta);
    // Only pictures of 24 or 32 bits, row by row; the others are decoded whole.
    if (d.interlace != PNG_INTERLACE_NONE ||
        (d.format != PixelFormat::Bits24 && d.format != PixelFormat::Bits32))
        return false;
    // A picture turned a quarter is averaged onto dest's sides swapped (see AveragedDecoder).
    const bool swap = meta && swapsAxes(meta->orientation);
    Bitmap out;
    out.setColorTable(dest.colorTable());
    out.createUninitialized(swap ? dest.height() : dest.width(),
                            swap ? dest.width() : dest.height(), dest.pixelFormat());
    out.setColorTable(dest.colorTable());
    RowAverager averager(static_cast<int>(d.width), static_cast<int>(d.height),
                         d.format == PixelFormat::Bits32 ? 4 : 3, out);
    if (!averager.ok())
        return false;
    std::vector<std::uint8_t> row(d.rowBytes);
    if (!averageRows(d, averager, row.data()))
        throw ImageError(d.message);
    out.setBrushColor(dest.brushColor());
    out.setAlphaMode(dest.alphaMode());
    dest = std::move(out);
    return true;
}

bool pnG2BitmapForScreen(const std::filesystem::path& fileName, Bitmap& b, const ScreenFit& fit,
                         PictureMeta* meta) {
    const auto file = openForRead(fileName);
    if (decodeForScreen(file.get(), nullptr, 0, b, fit, meta))
        return true;
    std::rewind(file.get());
    decode(file.get(), nullptr, 0, b, meta);
    return false;
}

bool pngData2BitmapForScreen(std::span<const std::uint8_t> data, Bitmap& b, const ScreenFit& fit,
                             PictureMeta* meta) {
    if (decodeForScreen(nullptr, data.data(), data.size(), b, fit, meta))
        return true;
    decode(nullptr, data.data(), data.size(), b, meta);
    return false;
}

void pngFileMeta(const std::filesystem::path& fileName, PictureMeta& meta) {
    const auto file = openForRead(fileName);
    Decoder d;
    // Set up as for a reduced decode, which takes pictures of any size.
    d.reduced = true;
    if (!readHeader(d, file.get()))
        throw ImageError(d.message);
    readMeta(d, &meta);
}

void pnG2Bitmap(const std::filesystem::path& fileName, Bitmap& b, PictureMeta* meta) {
    std::error_code ec;
    if (!std::filesystem::exists(fileName, ec))
        return;
    const auto file = openForRead(fileName);
    decode(file.get(), nullptr, 0, b, meta);
}

void pngData2Bitmap(std::span<const std::uint8_t> data, Bitmap& b, PictureMeta* meta) {
    decode(nullptr, data.data(), data.size(), b, meta);
}

void pnG2BitmapReduced(const std::filesystem::path& fileName, Bitmap& b,
                       const ReducedDecode& request, PictureMeta* meta) {
    const auto file = openForRead(fileName);
    decodeReduced(file.get(), nullptr, 0, b, request, meta);
}

void pngData2BitmapReduced(std::span<const std::uint8_t> data, Bitmap& b,
                           const ReducedDecode& request, PictureMeta* meta) {
    decodeReduced(nullptr, data.data(), data.size(), b, request, meta);
}
