// JPEG decoding and encoding with libjpeg.
//
// libjpeg reports errors through a callback that must not return. It longjmps back to a
// setjmp in a small function that creates no C++ objects with destructors between the
// setjmp and the library calls; the library state and every buffer are owned by the
// caller's frames, so no destructor is ever jumped over.
#include "imaging/codecs.h"
#include "imaging/fileio.h"

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <jpeglib.h>
// jerror.h after jpeglib.h (it needs its types)
#include <jerror.h>

using imaging_detail::AtomicFile;
using imaging_detail::OpenForRead;

namespace {

// A progressive file may carry any number of scans; real ones have a dozen. Many more
// only burn time, so they are refused.
constexpr int kMaxScans = 500;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void Fail(j_common_ptr c, const char* text) {
    auto* e = reinterpret_cast<ErrorManager*>(c->err);
    std::snprintf(e->message, sizeof e->message, "%s", text);
    std::longjmp(e->jump, 1);
}

[[noreturn]] void OnError(j_common_ptr c) {
    char text[JMSG_LENGTH_MAX];
    c->err->format_message(c, text);
    Fail(c, text);
}

// Warnings are tolerated (a photo with a few damaged blocks still shows), except for a
// file that ends before its picture: a truncated file is a failed decode.
void OnMessage(j_common_ptr c, int level) {
    if (level < 0 && c->err->msg_code == JWRN_JPEG_EOF)
        OnError(c);
}

void OnProgress(j_common_ptr c) {
    if (c->is_decompressor && reinterpret_cast<j_decompress_ptr>(c)->input_scan_number > kMaxScans)
        Fail(c, "too many scans in a progressive JPEG");
}

ErrorManager* InitErrors(ErrorManager& e) {
    jpeg_std_error(&e.pub);
    e.pub.error_exit = OnError;
    e.pub.emit_message = OnMessage;
    e.message[0] = 0;
    return &e;
}

struct Decoder {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    jpeg_progress_mgr progress{};
    bool created = false;
    bool cmyk = false;
    bool invertedCmyk = false;
    int paletteSize = 0;
    std::uint8_t palette[256] = {};
    ~Decoder() {
        if (created)
            jpeg_destroy_decompress(&cinfo);
    }
};

// Reads the header and chooses the output; false with err.message set on failure.
bool ReadHeader(Decoder& d, std::FILE* file, const std::uint8_t* data, std::size_t size) {
    d.cinfo.err = &InitErrors(d.err)->pub;
    if (setjmp(d.err.jump))
        return false;
    jpeg_create_decompress(&d.cinfo);
    d.created = true;
    d.progress.progress_monitor = OnProgress;
    d.cinfo.progress = &d.progress;
    // Caps what the library allocates for itself (a progressive file keeps all its
    // coefficients); beyond it the decode fails instead of growing without bound.
    d.cinfo.mem->max_memory_to_use =
        static_cast<long>(std::min<std::uint64_t>(MaxRasterBytes() * 2 + (64u << 20), LONG_MAX));
    if (file)
        jpeg_stdio_src(&d.cinfo, file);
    else
        jpeg_mem_src(&d.cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&d.cinfo, TRUE);
    // The library's defaults stay: integer IDCT, fancy upsampling, block smoothing, and a
    // progressive file decoded straight to its final image.
    switch (d.cinfo.num_components) {
    case 1:
        d.cinfo.out_color_space = JCS_GRAYSCALE;
        d.cinfo.quantize_colors = TRUE;
        d.cinfo.desired_number_of_colors = 236;
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
        Fail(reinterpret_cast<j_common_ptr>(&d.cinfo), "unsupported number of JPEG components");
    }
    jpeg_calc_output_dimensions(&d.cinfo);
    return true;
}

void CmykRowToBgrx(std::uint8_t* p, JDIMENSION width, bool inverted) {
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

bool DecodeRows(Decoder& d, std::uint8_t* base, std::size_t stride) {
    if (setjmp(d.err.jump))
        return false;
    jpeg_start_decompress(&d.cinfo);
    JSAMPROW rows[16];
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        const JDIMENSION first = d.cinfo.output_scanline;
        const JDIMENSION n = std::min<JDIMENSION>(16, d.cinfo.output_height - first);
        for (JDIMENSION i = 0; i < n; ++i)
            rows[i] = base + stride * (first + i);
        const JDIMENSION got = jpeg_read_scanlines(&d.cinfo, rows, n);
        if (got == 0)
            Fail(reinterpret_cast<j_common_ptr>(&d.cinfo), "JPEG decoder stalled");
        if (d.cmyk)
            for (JDIMENSION i = 0; i < got; ++i)
                CmykRowToBgrx(rows[i], d.cinfo.output_width, d.invertedCmyk);
    }
    if (d.cinfo.quantize_colors) {
        d.paletteSize = std::clamp(d.cinfo.actual_number_of_colors, 0, 256);
        for (int i = 0; i < d.paletteSize; ++i)
            d.palette[i] = d.cinfo.colormap[0][i];
    }
    // The end of the stream is not read: every pixel is decoded, and a file that merely
    // lacks its end marker still shows.
    return true;
}

void Decode(std::FILE* file, const std::uint8_t* data, std::size_t size, Bitmap& B) {
    Decoder d;
    if (!ReadHeader(d, file, data, size))
        throw ImageError(std::string("JPEG: ") + d.err.message);
    const PixelFormat format = d.cinfo.num_components == 1   ? PixelFormat::Bits8
                               : d.cinfo.num_components == 3 ? PixelFormat::Bits24
                                                             : PixelFormat::Bits32;
    CheckRasterSize(d.cinfo.output_width, d.cinfo.output_height, Bitmap::BitsPerPixel(format));
    Bitmap decoded;
    decoded.createUninitialized(static_cast<int>(d.cinfo.output_width),
                                static_cast<int>(d.cinfo.output_height), format);
    if (!DecodeRows(d, decoded.scanLine(0), decoded.stride()))
        throw ImageError(std::string("JPEG: ") + d.err.message);
    if (format == PixelFormat::Bits8) {
        std::vector<std::uint32_t> table(static_cast<std::size_t>(d.paletteSize));
        for (int i = 0; i < d.paletteSize; ++i)
            table[i] = std::uint32_t(d.palette[i]) * 0x010101u;
        decoded.setColorTable(std::move(table));
    }
    decoded.setBrushColor(B.brushColor());
    B = std::move(decoded);
}

struct Encoder {
    jpeg_compress_struct cinfo{};
    ErrorManager err{};
    bool created = false;
    ~Encoder() {
        if (created)
            jpeg_destroy_compress(&cinfo);
    }
};

bool Encode(Encoder& e, const Bitmap& B, std::FILE* out, std::uint8_t* rowBuffer,
            std::uint32_t* words) {
    e.cinfo.err = &InitErrors(e.err)->pub;
    if (setjmp(e.err.jump))
        return false;
    jpeg_create_compress(&e.cinfo);
    e.created = true;
    jpeg_stdio_dest(&e.cinfo, out);
    e.cinfo.image_width = static_cast<JDIMENSION>(B.width());
    e.cinfo.image_height = static_cast<JDIMENSION>(B.height());
    e.cinfo.input_components = 3;
    e.cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&e.cinfo); // JFIF, YCbCr, default subsampling and Huffman tables
    jpeg_set_quality(&e.cinfo, 90, TRUE);
    jpeg_start_compress(&e.cinfo, TRUE);
    const bool direct = B.pixelFormat() == PixelFormat::Bits24;
    while (e.cinfo.next_scanline < e.cinfo.image_height) {
        const int y = static_cast<int>(e.cinfo.next_scanline);
        JSAMPROW row;
        if (direct) {
            row = const_cast<std::uint8_t*>(B.scanLine(y)); // libjpeg only reads it
        } else {
            B.readRow(y, 0, B.width(), words);
            for (int x = 0; x < B.width(); ++x) {
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

void Jpeg2Bitmap(const std::filesystem::path& jpegFileName, Bitmap& B) {
    std::error_code ec;
    if (!std::filesystem::exists(jpegFileName, ec))
        return;
    const auto file = OpenForRead(jpegFileName);
    Decode(file.get(), nullptr, 0, B);
}

void JpegData2Bitmap(std::span<const std::uint8_t> data, Bitmap& B) {
    Decode(nullptr, data.data(), data.size(), B);
}

void Bitmap2Jpeg(const Bitmap& B, const std::filesystem::path& fname) {
    AtomicFile out(fname);
    if (!B.empty()) {
        const bool direct = B.pixelFormat() == PixelFormat::Bits24;
        std::vector<std::uint8_t> rowBuffer(direct ? 0 : static_cast<std::size_t>(B.width()) * 3);
        std::vector<std::uint32_t> words(direct ? 0 : static_cast<std::size_t>(B.width()));
        Encoder e;
        if (!Encode(e, B, out.stream(), rowBuffer.data(), words.data()))
            throw ImageError(std::string("JPEG: ") + e.err.message);
    }
    out.commit();
}
