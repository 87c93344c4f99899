// JPEG decoding and encoding with libjpeg.
//
// libjpeg reports errors through a callback that must not return. It longjmps back to a
// setjmp in a small function that creates no C++ objects with destructors between the
// setjmp and the library calls; the library state and every buffer are owned by the
// caller's frames, so no destructor is ever jumped over.
#include "imaging/codecs.h"
#include "imaging/exif.h"
#include "imaging/fileio.h"
#include "imaging/resize.h"
#include "imaging/windowaverage.h"
#include "storage/atomicfile.h"

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <jpeglib.h>
// jerror.h after jpeglib.h (it needs its types)
#include <jerror.h>

using imaging_detail::openForRead;
using storage::AtomicFile;

namespace {

// What a file's length allows. A file is trusted with no more work than its bytes can
// honestly ask for, so that a few hundred bytes declaring a huge picture cannot hold a
// thread for seconds or take hundreds of megabytes.
//
// Blocks: Huffman coding spends at least one bit on every 8x8 block of every component (the
// code of its DC coefficient, in sequential and progressive files alike), so n bytes hold
// at most 8n blocks. A file declaring more cannot be complete: libjpeg would make up the
// missing blocks from zero bits once its data stops at a marker, which is what such a file
// relies on. It is damaged. Arithmetic coding has no such floor (a flat 8000 x 6000 picture
// takes a few hundred bytes), so an arithmetic-coded file may declare up to
// ArithmeticFreeBlocks blocks whatever its length (a picture of about 11000 x 11000 with
// the usual colour subsampling). One declaring more than both is refused as too large, by
// the reduced decode too: every block is still read at any scale.
constexpr std::uint64_t BlocksPerByte = 8;
constexpr std::uint64_t ArithmeticFreeBlocks = std::uint64_t(1) << 21;

// Scans: every scan of a progressive file walks all the blocks again, and a scan that only
// says "nothing more here" takes a few bytes. A 150 KB file with 568 scans of an 8000 x 6000
// picture keeps libjpeg busy for tens of seconds. The scans decoded are bounded by the
// length too: BlockVisitsPerByte blocks walked for each byte of the file, but never fewer
// than MinScans (the ten scans of the standard progressive script) nor more than MaxScans.
// Photographs stay far within it; a flat picture, which compresses to about two bits a
// block, keeps sixteen scans. Beyond it a full decode refuses the file as too large and a
// reduced one shows the picture as its first allowed scans leave it.
constexpr std::uint64_t BlockVisitsPerByte = 64;

// APP1, the segment that carries EXIF; APP2, the segments that carry an ICC profile.
constexpr int ExifMarker = JPEG_APP0 + 1;
constexpr int IccMarker = JPEG_APP0 + 2;
constexpr int MinScans = 10;
constexpr int MaxScans = 500;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool tooLarge; // refused for a resource limit, not for damage
};

[[noreturn]] void fail(j_common_ptr c, const char* text) {
    auto* e = reinterpret_cast<ErrorManager*>(c->err);
    std::snprintf(e->message, sizeof e->message, "%s", text);
    std::longjmp(e->jump, 1);
}

[[noreturn]] void onError(j_common_ptr c) {
    if (c->err->msg_code == JERR_OUT_OF_MEMORY)
        reinterpret_cast<ErrorManager*>(c->err)->tooLarge = true;
    char text[JMSG_LENGTH_MAX];
    c->err->format_message(c, text);
    fail(c, text);
}

// Warnings are tolerated (a photo with a few damaged blocks still shows), except for a
// file that ends before its picture: a truncated file is a failed decode.
void onMessage(j_common_ptr c, int level) {
    if (level < 0 && c->err->msg_code == JWRN_JPEG_EOF)
        onError(c);
}

// The progress monitor of a decode, which may cap the number of scans.
struct Progress {
    jpeg_progress_mgr pub;
    bool capScans;
    int maxScans;
};

void onProgress(j_common_ptr c) {
    const auto* progress = reinterpret_cast<Progress*>(c->progress);
    if (!c->is_decompressor || !progress->capScans)
        return;
    if (reinterpret_cast<j_decompress_ptr>(c)->input_scan_number > progress->maxScans) {
        reinterpret_cast<ErrorManager*>(c->err)->tooLarge = true;
        fail(c, "too many scans in a progressive JPEG");
    }
}

ErrorManager* initErrors(ErrorManager& e) {
    jpeg_std_error(&e.pub);
    e.pub.error_exit = onError;
    e.pub.emit_message = onMessage;
    e.message[0] = 0;
    e.tooLarge = false;
    return &e;
}

struct Decoder {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    Progress progress{};
    bool created = false;
    bool buffered = false;    // a progressive file decoded with at most progress.maxScans scans
    std::uint64_t blocks = 0; // 8x8 blocks of all components
    std::uint64_t length = 0; // bytes of the file
    bool cmyk = false;
    bool invertedCmyk = false;
    ~Decoder() {
        if (created)
            jpeg_destroy_decompress(&cinfo);
    }
};

// Bytes in the file, read from its current position (the start) to its end.
std::uint64_t fileLength(std::FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0)
        return 0;
    const long end = std::ftell(file);
    std::rewind(file);
    return end > 0 ? static_cast<std::uint64_t>(end) : 0;
}

// Reads the header and chooses the output; false with err.message set on failure.
bool readHeader(Decoder& d, std::FILE* file, const std::uint8_t* data, std::size_t size) {
    d.length = file ? fileLength(file) : size;
    d.cinfo.err = &initErrors(d.err)->pub;
    if (setjmp(d.err.jump))
        return false;
    jpeg_create_decompress(&d.cinfo);
    d.created = true;
    d.progress.pub.progress_monitor = onProgress;
    d.progress.capScans = true;
    d.progress.maxScans = MaxScans;
    d.cinfo.progress = &d.progress.pub;
    // Caps what the library allocates for itself (a progressive file keeps all its
    // coefficients); beyond it the decode fails instead of growing without bound.
    d.cinfo.mem->max_memory_to_use =
        static_cast<long>(std::min<std::uint64_t>(maxRasterBytes() * 2 + (64u << 20), LONG_MAX));
    if (file)
        jpeg_stdio_src(&d.cinfo, file);
    else
        jpeg_mem_src(&d.cinfo, data, static_cast<unsigned long>(size));
    // The EXIF segment is kept for the picture's orientation, the ICC segments for its
    // colours.
    jpeg_save_markers(&d.cinfo, ExifMarker, 0xFFFF);
    jpeg_save_markers(&d.cinfo, IccMarker, 0xFFFF);
    jpeg_read_header(&d.cinfo, TRUE);
    // The blocks of every component (set up by the library with the frame header); the
    // scans allowed follow from them and the length.
    for (int i = 0; i < d.cinfo.num_components; ++i)
        d.blocks += std::uint64_t(d.cinfo.comp_info[i].width_in_blocks) *
                    d.cinfo.comp_info[i].height_in_blocks;
    const std::uint64_t visits =
        d.length * BlockVisitsPerByte / std::max<std::uint64_t>(1, d.blocks);
    d.progress.maxScans = static_cast<int>(std::clamp<std::uint64_t>(visits, MinScans, MaxScans));
    // The library's defaults stay: integer IDCT, fancy upsampling, block smoothing, and a
    // progressive file decoded straight to its final image.
    switch (d.cinfo.num_components) {
    case 1:
        // Grey levels as they are, one byte each: a table of every level shows them
        // exactly, with none of the noise that reducing them to fewer levels would add.
        d.cinfo.out_color_space = JCS_GRAYSCALE;
        break;
    case 3:
        d.cinfo.out_color_space = JCS_EXT_BGR;
        break;
    case 4:
        d.cinfo.out_color_space = JCS_CMYK;
        d.cmyk = true;
        d.invertedCmyk = d.cinfo.saw_Adobe_marker;
        break;
    default:
        fail(reinterpret_cast<j_common_ptr>(&d.cinfo), "unsupported number of JPEG components");
    }
    jpeg_calc_output_dimensions(&d.cinfo);
    return true;
}

// The ICC profile joined from the saved APP2 segments, in memory the library allocated
// (null when there is none or its segments do not fit together).
bool readIccProfile(Decoder& d, JOCTET** profile, unsigned* length) {
    if (setjmp(d.err.jump))
        return false;
    return jpeg_read_icc_profile(&d.cinfo, profile, length) != FALSE;
}

// What the header's saved segments say about the picture: the orientation of the first
// EXIF segment and the ICC profile.
void readMeta(Decoder& d, PictureMeta* meta) {
    if (!meta)
        return;
    JOCTET* profile = nullptr;
    unsigned length = 0;
    if (readIccProfile(d, &profile, &length) && profile) {
        const std::unique_ptr<JOCTET, decltype(&std::free)> owned(profile, &std::free);
        meta->iccProfile.assign(profile, profile + length);
    }
    static constexpr std::uint8_t ExifPrefix[6] = {'E', 'x', 'i', 'f', 0, 0};
    for (jpeg_saved_marker_ptr m = d.cinfo.marker_list; m; m = m->next) {
        if (m->marker != ExifMarker || m->data_length < sizeof ExifPrefix ||
            std::memcmp(m->data, ExifPrefix, sizeof ExifPrefix) != 0)
            continue;
        meta->orientation = exifOrientation(std::span(m->data, m->data_length));
        break;
    }
}

void cmykRowToBgrx(std::uint8_t* p, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x, p += 4) {
        unsigned c = p[0], m = p[1], y = p[2], k = p[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        // Stored as ink left out: colour = (255 - ink) * (255 - black) / 255.
        auto mul = [k](unsigned v) {
            const unsigned t = v * k + 128;
            return static_cast<std::uint8_t>((t + (t >> 8)) >> 8);
        };
        p[0] = mul(y);
        p[1] = mul(m);
        p[2] = mul(c);
        p[3] = 255;
    }
}

bool decodeRows(Decoder& d, std::uint8_t* base, std::size_t stride) {
    if (setjmp(d.err.jump))
        return false;
    if (d.buffered) {
        // Scans are absorbed up to the cap; the picture is then output as they leave it.
        d.cinfo.buffered_image = TRUE;
        d.progress.capScans = false;
        jpeg_start_decompress(&d.cinfo);
        for (;;) {
            const int r = jpeg_consume_input(&d.cinfo);
            if (r == JPEG_REACHED_EOI || r == JPEG_SUSPENDED)
                break;
            if (r == JPEG_REACHED_SOS && d.cinfo.input_scan_number > d.progress.maxScans)
                break;
        }
        jpeg_start_output(&d.cinfo, std::min(d.cinfo.input_scan_number, d.progress.maxScans));
    } else {
        jpeg_start_decompress(&d.cinfo);
    }
    JSAMPROW rows[16];
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        const JDIMENSION first = d.cinfo.output_scanline;
        const JDIMENSION n = std::min<JDIMENSION>(16, d.cinfo.output_height - first);
        for (JDIMENSION i = 0; i < n; ++i)
            rows[i] = base + stride * (first + i);
        const JDIMENSION got = jpeg_read_scanlines(&d.cinfo, rows, n);
        if (got == 0)
            fail(reinterpret_cast<j_common_ptr>(&d.cinfo), "JPEG decoder stalled");
        if (d.cmyk)
            for (JDIMENSION i = 0; i < got; ++i)
                cmykRowToBgrx(rows[i], d.cinfo.output_width, d.invertedCmyk);
    }
    if (d.buffered)
        jpeg_finish_output(&d.cinfo);
    // The end of the stream is not read: every pixel is decoded, and a file that merely
    // lacks its end marker still shows.
    return true;
}

[[noreturn]] void raiseError(const Decoder& d) {
    const std::string message = std::string("JPEG: ") + d.err.message;
    if (d.err.tooLarge)
        throw ImageTooLarge(message);
    throw ImageError(message);
}

// Refuses a file whose length cannot hold its blocks (see BlocksPerByte): damaged when it
// is Huffman-coded, too large when arithmetic-coded.
void checkLength(const Decoder& d) {
    const std::uint64_t held = d.length * BlocksPerByte;
    if (d.blocks <= held)
        return;
    if (!d.cinfo.arith_code)
        throw ImageError("JPEG: file too short for the picture it declares");
    if (d.blocks > std::max(held, ArithmeticFreeBlocks))
        throw ImageTooLarge("JPEG: picture too large for its file");
}

PixelFormat outputFormat(const Decoder& d) {
    return d.cinfo.num_components == 1   ? PixelFormat::Bits8
           : d.cinfo.num_components == 3 ? PixelFormat::Bits24
                                         : PixelFormat::Bits32;
}

// Decodes the rows at the chosen output size into B.
void finish(Decoder& d, PixelFormat format, Bitmap& b) {
    Bitmap decoded;
    decoded.createUninitialized(static_cast<int>(d.cinfo.output_width),
                                static_cast<int>(d.cinfo.output_height), format);
    if (!decodeRows(d, decoded.scanLine(0), decoded.stride()))
        raiseError(d);
    if (format == PixelFormat::Bits8)
        decoded.setColorTable(greyColorTable());
    decoded.setBrushColor(b.brushColor());
    b = std::move(decoded);
}

void decode(std::FILE* file, const std::uint8_t* data, std::size_t size, Bitmap& b,
            PictureMeta* meta) {
    Decoder d;
    if (!readHeader(d, file, data, size))
        raiseError(d);
    readMeta(d, meta);
    const PixelFormat format = outputFormat(d);
    checkRasterSize(d.cinfo.output_width, d.cinfo.output_height, Bitmap::bitsPerPixel(format));
    checkLength(d);
    finish(d, format, b);
}

// Picks the DCT scale of a reduced decode: the largest that fits the raster limit, then as
// small as the cover size allows. False when not even 1/8 fits.
bool chooseScale(Decoder& d, int bitsPerPixel, const ReducedDecode& request, bool& found) {
    found = false;
    if (setjmp(d.err.jump))
        return false;
    auto outputAt = [&](unsigned m) {
        d.cinfo.scale_num = m;
        d.cinfo.scale_denom = 8;
        jpeg_calc_output_dimensions(&d.cinfo);
    };
    auto fits = [&] {
        const std::uint64_t row =
            (std::uint64_t(d.cinfo.output_width) * unsigned(bitsPerPixel) + 31) / 32 * 4;
        return row * d.cinfo.output_height <= maxRasterBytes();
    };
    unsigned m = 8;
    for (outputAt(m); !fits() && m > 1; outputAt(--m))
        ;
    if (!fits())
        return true;
    found = true;
    if (request.coverWidth > 0 && request.coverHeight > 0) {
        while (m > 1) {
            outputAt(m - 1);
            if (d.cinfo.output_width < unsigned(request.coverWidth) ||
                d.cinfo.output_height < unsigned(request.coverHeight))
                break;
            --m;
        }
        outputAt(m);
    }
    return true;
}

void decodeReduced(std::FILE* file, const std::uint8_t* data, std::size_t size, Bitmap& b,
                   const ReducedDecode& request, PictureMeta* meta) {
    Decoder d;
    if (!readHeader(d, file, data, size))
        raiseError(d);
    readMeta(d, meta);
    const PixelFormat format = outputFormat(d);
    bool found = false;
    const ReducedDecode stored = meta ? storedRequest(request, meta->orientation) : request;
    if (!chooseScale(d, Bitmap::bitsPerPixel(format), stored, found))
        raiseError(d);
    if (!found)
        throw ImageTooLarge("JPEG: picture too large even at 1/8 scale");
    checkLength(d);
    d.buffered = jpeg_has_multiple_scans(&d.cinfo);
    finish(d, format, b);
}

// A picture at least twice the target's size on both sides is scaled down in the IDCT
// (1/2, 1/4 or 1/8, the steps the library does fastest), keeping at least twice the
// target: each block of the scaled picture is the mean of the block it stands for, so the
// averaging that follows gives nearly the same result for a fraction of the work.
bool scaleForAveraging(Decoder& d, unsigned width, unsigned height) {
    if (setjmp(d.err.jump))
        return false;
    for (const unsigned num : {1U, 2U, 4U}) {
        d.cinfo.scale_num = num;
        d.cinfo.scale_denom = 8;
        jpeg_calc_output_dimensions(&d.cinfo);
        if (d.cinfo.output_width >= 2 * width && d.cinfo.output_height >= 2 * height)
            return true;
    }
    d.cinfo.scale_num = 8;
    jpeg_calc_output_dimensions(&d.cinfo);
    return true;
}

// Decodes every row and hands it to the averager: blue, green, red bytes (blue, green, red,
// unused for four components); a grey level as it is, or repeated three times when `colours`
// is given to hold the row made of them.
template <class Averager>
bool averageRows(Decoder& d, Averager& averager, std::uint8_t* buffer, std::size_t stride,
                 std::uint8_t* colours) {
    if (setjmp(d.err.jump))
        return false;
    jpeg_start_decompress(&d.cinfo);
    const JDIMENSION width = d.cinfo.output_width;
    JSAMPROW rows[16];
    for (int i = 0; i < 16; ++i)
        rows[i] = buffer + stride * static_cast<std::size_t>(i);
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        const JDIMENSION n =
            std::min<JDIMENSION>(16, d.cinfo.output_height - d.cinfo.output_scanline);
        const JDIMENSION got = jpeg_read_scanlines(&d.cinfo, rows, n);
        if (got == 0)
            fail(reinterpret_cast<j_common_ptr>(&d.cinfo), "JPEG decoder stalled");
        for (JDIMENSION i = 0; i < got; ++i) {
            const std::uint8_t* row = rows[i];
            if (d.cmyk) {
                cmykRowToBgrx(rows[i], width, d.invertedCmyk);
            } else if (colours && d.cinfo.out_color_space == JCS_GRAYSCALE) {
                for (JDIMENSION x = 0; x < width; ++x)
                    colours[3 * x] = colours[3 * x + 1] = colours[3 * x + 2] = rows[i][x];
                row = colours;
            }
            averager.addRow(row);
        }
    }
    return true;
}

// Scales a picture at least twice the wanted size on both sides down in the IDCT by 1/8,
// 1/4 or 1/2, the strongest that keeps at least width x height.
bool scaleForScreen(Decoder& d, unsigned width, unsigned height) {
    if (setjmp(d.err.jump))
        return false;
    for (const unsigned denom : {8U, 4U, 2U}) {
        d.cinfo.scale_num = 1;
        d.cinfo.scale_denom = denom;
        jpeg_calc_output_dimensions(&d.cinfo);
        if (d.cinfo.output_width >= width && d.cinfo.output_height >= height)
            return true;
    }
    d.cinfo.scale_num = 1;
    d.cinfo.scale_denom = 1;
    jpeg_calc_output_dimensions(&d.cinfo);
    return true;
}

// The decode of jpeg2BitmapForScreen, from a file or from bytes in memory.
bool decodeForScreen(std::FILE* file, const std::uint8_t* data, std::size_t size, Bitmap& b,
                     const ScreenFit& fit, PictureMeta* meta) {
    Decoder d;
    if (!readHeader(d, file, data, size))
        raiseError(d);
    readMeta(d, meta);
    const PixelFormat format = outputFormat(d);
    const bool swap = meta && swapsAxes(meta->orientation);
    const int width = static_cast<int>(d.cinfo.output_width);
    const int height = static_cast<int>(d.cinfo.output_height);
    const auto cover = screenCoverSize(swap ? height : width, swap ? width : height, fit.areas);
    if (!cover) {
        checkRasterSize(d.cinfo.output_width, d.cinfo.output_height, Bitmap::bitsPerPixel(format));
        checkLength(d);
        finish(d, format, b);
        return false;
    }
    // The size wanted, in the frame of the picture as stored.
    const int coverWidth = swap ? cover->second : cover->first;
    const int coverHeight = swap ? cover->first : cover->second;
    const bool grey = format == PixelFormat::Bits8;
    checkRasterSize(unsigned(coverWidth), unsigned(coverHeight), grey ? 8 : 24);
    checkLength(d);
    if (fit.idctScaling && !scaleForScreen(d, unsigned(coverWidth), unsigned(coverHeight)))
        raiseError(d);
    const int step = d.cmyk ? 4 : grey ? 1 : 3;
    imaging_detail::WindowAverager averager(static_cast<int>(d.cinfo.output_width),
                                            static_cast<int>(d.cinfo.output_height), coverWidth,
                                            coverHeight, grey ? 1 : 3, step);
    if (!averager.ok())
        throw ImageError("JPEG: picture cannot be reduced to the screen");
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(d.cinfo.output_width) *
                                     static_cast<std::size_t>(step) * 16);
    if (!averageRows(d, averager, buffer.data(),
                     static_cast<std::size_t>(d.cinfo.output_width) *
                         static_cast<std::size_t>(step),
                     nullptr))
        raiseError(d);
    Bitmap reduced = averager.finish();
    reduced.setBrushColor(b.brushColor());
    b = std::move(reduced);
    return true;
}

// The encoder writes through an AtomicFile, so that a failed write carries the system's
// reason and never replaces the target.
struct Destination {
    jpeg_destination_mgr pub;
    AtomicFile* file;
    JOCTET buffer[1 << 14];
};

void initDestination(j_compress_ptr c) {
    auto* d = reinterpret_cast<Destination*>(c->dest);
    d->pub.next_output_byte = d->buffer;
    d->pub.free_in_buffer = sizeof d->buffer;
}

boolean emptyDestination(j_compress_ptr c) {
    auto* d = reinterpret_cast<Destination*>(c->dest);
    if (!d->file->tryWrite(d->buffer, sizeof d->buffer))
        fail(reinterpret_cast<j_common_ptr>(c), d->file->errorText().c_str());
    initDestination(c);
    return TRUE;
}

void termDestination(j_compress_ptr c) {
    auto* d = reinterpret_cast<Destination*>(c->dest);
    const std::size_t used = sizeof d->buffer - d->pub.free_in_buffer;
    if (!d->file->tryWrite(d->buffer, used))
        fail(reinterpret_cast<j_common_ptr>(c), d->file->errorText().c_str());
}

struct Encoder {
    jpeg_compress_struct cinfo{};
    ErrorManager err{};
    Destination dest{};
    bool created = false;
    ~Encoder() {
        if (created)
            jpeg_destroy_compress(&cinfo);
    }
};

bool encode(Encoder& e, const Bitmap& b, AtomicFile& out, std::uint8_t* rowBuffer,
            std::uint32_t* words) {
    e.cinfo.err = &initErrors(e.err)->pub;
    if (setjmp(e.err.jump))
        return false;
    jpeg_create_compress(&e.cinfo);
    e.created = true;
    e.dest.pub.init_destination = initDestination;
    e.dest.pub.empty_output_buffer = emptyDestination;
    e.dest.pub.term_destination = termDestination;
    e.dest.file = &out;
    e.cinfo.dest = &e.dest.pub;
    e.cinfo.image_width = static_cast<JDIMENSION>(b.width());
    e.cinfo.image_height = static_cast<JDIMENSION>(b.height());
    e.cinfo.input_components = 3;
    e.cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&e.cinfo); // JFIF, YCbCr, default subsampling and Huffman tables
    jpeg_set_quality(&e.cinfo, 90, TRUE);
    jpeg_start_compress(&e.cinfo, TRUE);
    const bool direct = b.pixelFormat() == PixelFormat::Bits24;
    while (e.cinfo.next_scanline < e.cinfo.image_height) {
        const int y = static_cast<int>(e.cinfo.next_scanline);
        JSAMPROW row;
        if (direct) {
            row = const_cast<std::uint8_t*>(b.scanLine(y)); // libjpeg only reads it
        } else {
            b.readRow(y, 0, b.width(), words);
            for (int x = 0; x < b.width(); ++x) {
                rowBuffer[3 * x] = static_cast<std::uint8_t>(words[x]);
                rowBuffer[3 * x + 1] = static_cast<std::uint8_t>(words[x] >> 8);
                rowBuffer[3 * x + 2] = static_cast<std::uint8_t>(words[x] >> 16);
            }
            row = rowBuffer;
        }
        jpeg_write_scanlines(&e.cinfo, &row, 1);
    }
    jpeg_finish_compress(&e.cinfo);
    return true;
}

} // namespace

void jpeg2Bitmap(const std::filesystem::path& jpegFileName, Bitmap& b, PictureMeta* meta) {
    std::error_code ec;
    if (!std::filesystem::exists(jpegFileName, ec))
        return;
    const auto file = openForRead(jpegFileName);
    decode(file.get(), nullptr, 0, b, meta);
}

void jpegData2Bitmap(std::span<const std::uint8_t> data, Bitmap& b, PictureMeta* meta) {
    decode(nullptr, data.data(), data.size(), b, meta);
}

bool jpeg2BitmapAveraged(const std::filesystem::path& jpegFileName, Bitmap& dest,
                         PictureMeta* meta) {
    const auto file = openForRead(jpegFileName);
    Decoder d;
    if (!readHeader(d, file.get(), nullptr, 0))
        raiseError(d);
    readMeta(d, meta);
    const PixelFormat format = outputFormat(d);
    checkRasterSize(d.cinfo.output_width, d.cinfo.output_height, Bitmap::bitsPerPixel(format));
    checkLength(d);
    // A picture turned a quarter is averaged onto dest's sides swapped (see AveragedDecoder).
    const bool swap = meta && swapsAxes(meta->orientation);
    if (!scaleForAveraging(d, unsigned(std::max(1, swap ? dest.height() : dest.width())),
                           unsigned(std::max(1, swap ? dest.width() : dest.height()))))
        raiseError(d);
    Bitmap out;
    out.setColorTable(dest.colorTable());
    out.createUninitialized(swap ? dest.height() : dest.width(),
                            swap ? dest.width() : dest.height(), dest.pixelFormat());
    out.setColorTable(dest.colorTable());
    const int width = static_cast<int>(d.cinfo.output_width);
    RowAverager averager(width, static_cast<int>(d.cinfo.output_height), d.cmyk ? 4 : 3, out);
    if (!averager.ok())
        return false;
    const std::size_t stride =
        static_cast<std::size_t>(width) * (d.cmyk                         ? 4
                                           : format == PixelFormat::Bits8 ? 1
                                                                          : 3);
    std::vector<std::uint8_t> buffer(stride * 16);
    std::vector<std::uint8_t> colours(
        format == PixelFormat::Bits8 ? static_cast<std::size_t>(width) * 3 : 0);
    if (!averageRows(d, averager, buffer.data(), stride, colours.data()))
        raiseError(d);
    out.setBrushColor(dest.brushColor());
    out.setAlphaMode(dest.alphaMode());
    dest = std::move(out);
    return true;
}

bool jpeg2BitmapForScreen(const std::filesystem::path& jpegFileName, Bitmap& b,
                          const ScreenFit& fit, PictureMeta* meta) {
    const auto file = openForRead(jpegFileName);
    return decodeForScreen(file.get(), nullptr, 0, b, fit, meta);
}

bool jpegData2BitmapForScreen(std::span<const std::uint8_t> data, Bitmap& b, const ScreenFit& fit,
                              PictureMeta* meta) {
    return decodeForScreen(nullptr, data.data(), data.size(), b, fit, meta);
}

void jpegFileMeta(const std::filesystem::path& jpegFileName, PictureMeta& meta) {
    const auto file = openForRead(jpegFileName);
    Decoder d;
    if (!readHeader(d, file.get(), nullptr, 0))
        raiseError(d);
    readMeta(d, &meta);
}

void jpeg2BitmapReduced(const std::filesystem::path& jpegFileName, Bitmap& b,
                        const ReducedDecode& request, PictureMeta* meta) {
    const auto file = openForRead(jpegFileName);
    decodeReduced(file.get(), nullptr, 0, b, request, meta);
}

void jpegData2BitmapReduced(std::span<const std::uint8_t> data, Bitmap& b,
                            const ReducedDecode& request, PictureMeta* meta) {
    decodeReduced(nullptr, data.data(), data.size(), b, request, meta);
}

void bitmap2Jpeg(const Bitmap& b, const std::filesystem::path& fname) {
    try {
        // Thumbnails are a cache that is made again when damaged: no flush to the disk.
        AtomicFile out(fname, false);
        if (!b.empty()) {
            const bool direct = b.pixelFormat() == PixelFormat::Bits24;
            std::vector<std::uint8_t> rowBuffer(direct ? 0
                                                       : static_cast<std::size_t>(b.width()) * 3);
            std::vector<std::uint32_t> words(direct ? 0 : static_cast<std::size_t>(b.width()));
            Encoder e;
            if (!encode(e, b, out, rowBuffer.data(), words.data()))
                throw ImageError(out.errorText().empty() ? std::string("JPEG: ") + e.err.message
                                                         : out.errorText());
        }
        out.commit();
    } catch (const StorageError& e) {
        throw ImageError(e.what());
    }
}
