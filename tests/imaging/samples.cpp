#include "samples.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <jpeglib.h>
#include <png.h>

#ifdef QUORVANE_SAMPLES_LCMS2
#include <lcms2.h>
#endif

namespace samples {

std::uint8_t photoSample(int x, int y, int c, int width, int height) {
    // A sky-like gradient, a few soft discs, a hard diagonal edge and pseudo-random grain.
    const double u = double(x) / std::max(width, 1), v = double(y) / std::max(height, 1);
    double value = (c == 0 ? 90 + 120 * u : c == 1 ? 60 + 150 * v : 200 - 120 * u * v);
    const double d = std::hypot(u - 0.35, v - 0.55);
    value += 60 * std::cos(d * 40 + c);
    if (x + 2 * y < width)
        value = 255 - value * 0.6;
    std::uint32_t h = static_cast<std::uint32_t>(x) * 73856093u ^
                      static_cast<std::uint32_t>(y) * 19349663u ^
                      static_cast<std::uint32_t>(c) * 83492791u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    value += double(h >> 28) - 8;
    if (c == 3)
        value = (x * 7 + y * 3) % 5 == 0 ? 0 : (x * 255 / std::max(width - 1, 1));
    return static_cast<std::uint8_t>(std::clamp(value, 0.0, 255.0));
}

namespace {

struct JpegError {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void jpegFail(j_common_ptr c) {
    std::longjmp(reinterpret_cast<JpegError*>(c->err)->jump, 1);
}

} // namespace

Bytes makeJpeg(const JpegOptions& o) {
    jpeg_compress_struct c{};
    JpegError err{};
    c.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = jpegFail;
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    std::vector<std::uint8_t> row(static_cast<std::size_t>(o.width) * o.components);
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&c);
        std::free(out);
        throw std::runtime_error("libjpeg could not encode the sample");
    }
    jpeg_create_compress(&c);
    jpeg_mem_dest(&c, &out, &outSize);
    c.image_width = static_cast<JDIMENSION>(o.width);
    c.image_height = static_cast<JDIMENSION>(o.height);
    c.input_components = o.components;
    c.in_color_space = o.components == 1 ? JCS_GRAYSCALE : o.components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&c);
    if (o.components == 4) {
        jpeg_set_colorspace(&c, o.ycck ? JCS_YCCK : JCS_CMYK);
        c.write_Adobe_marker = o.adobe ? TRUE : FALSE;
    }
    jpeg_set_quality(&c, o.quality, TRUE);
    if (o.subsample444)
        for (int i = 0; i < c.num_components; ++i)
            c.comp_info[i].h_samp_factor = c.comp_info[i].v_samp_factor = 1;
    if (o.progressive)
        jpeg_simple_progression(&c);
    c.restart_in_rows = o.restartRows;
    jpeg_start_compress(&c, TRUE);
    if (!o.exif.empty()) {
        Bytes app1 = {'E', 'x', 'i', 'f', 0, 0};
        app1.insert(app1.end(), o.exif.begin(), o.exif.end());
        jpeg_write_marker(&c, JPEG_APP0 + 1, app1.data(), static_cast<unsigned>(app1.size()));
    }
    if (!o.icc.empty())
        jpeg_write_icc_profile(&c, o.icc.data(), static_cast<unsigned>(o.icc.size()));
    while (c.next_scanline < c.image_height) {
        const int y = static_cast<int>(c.next_scanline);
        for (int x = 0; x < o.width; ++x)
            for (int k = 0; k < o.components; ++k)
                row[static_cast<std::size_t>(x) * o.components + k] =
                    o.pixel ? o.pixel(x, y, k)
                            : photoSample(x, y, o.components == 1 ? 1 : k, o.width, o.height);
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&c, &p, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    Bytes bytes(out, out + outSize);
    std::free(out);
    return bytes;
}

Decoded referenceJpeg(const Bytes& jpeg) {
    jpeg_decompress_struct d{};
    JpegError err{};
    d.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = jpegFail;
    Decoded result;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&d);
        throw std::runtime_error("libjpeg could not decode the sample");
    }
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&d, TRUE);
    if (d.num_components == 3) {
        d.out_color_space = JCS_RGB;
    } else if (d.num_components == 4) {
        d.out_color_space = JCS_CMYK;
    }
    jpeg_start_decompress(&d);
    result.width = static_cast<int>(d.output_width);
    result.height = static_cast<int>(d.output_height);
    result.components = d.output_components;
    result.adobe = d.saw_Adobe_marker;
    const std::size_t stride = static_cast<std::size_t>(d.output_width) * d.output_components;
    result.pixels.resize(stride * d.output_height);
    while (d.output_scanline < d.output_height) {
        JSAMPROW p = result.pixels.data() + stride * d.output_scanline;
        jpeg_read_scanlines(&d, &p, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    return result;
}

namespace {

void pngWrite(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
void pngFlush(png_structp) {}

} // namespace

Bytes makePng(const PngOptions& o) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    const int channels = o.colorType == 0 || o.colorType == 3 ? 1
                         : o.colorType == 4                   ? 2
                         : o.colorType == 2                   ? 3
                                                              : 4;
    const int bitsPerPixel = channels * o.bitDepth;
    const std::size_t stride = (static_cast<std::size_t>(o.width) * bitsPerPixel + 7) / 8;
    std::vector<std::uint8_t> image(stride * o.height, 0);
    const unsigned maxValue = (1u << o.bitDepth) - 1;
    const unsigned paletteSize = o.palette.empty() ? 1 : static_cast<unsigned>(o.palette.size());
    for (int y = 0; y < o.height; ++y)
        for (int x = 0; x < o.width; ++x)
            for (int k = 0; k < channels; ++k) {
                const int channel = o.colorType == 0 ? 1 : o.colorType == 4 ? (k == 0 ? 1 : 3) : k;
                unsigned v = o.pixel ? o.pixel(x, y, channel)
                                     : photoSample(x, y, channel, o.width, o.height);
                if (o.colorType == 3)
                    v = static_cast<unsigned>(x + 3 * y) % paletteSize;
                else if (o.bitDepth == 16)
                    v = v * 257 + static_cast<unsigned>(x * 31 + y) % 257;
                else
                    v = v * maxValue / 255;
                const std::size_t bit = (static_cast<std::size_t>(x) * channels + k) * o.bitDepth;
                std::uint8_t* row = image.data() + stride * y;
                if (o.bitDepth == 16) {
                    row[bit / 8] = static_cast<std::uint8_t>(v >> 8);
                    row[bit / 8 + 1] = static_cast<std::uint8_t>(v);
                } else {
                    row[bit / 8] |= static_cast<std::uint8_t>(v << (8 - o.bitDepth - bit % 8));
                }
            }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng could not encode the sample");
    }
    png_set_write_fn(png, &out, pngWrite, pngFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(o.width), static_cast<png_uint_32>(o.height),
                 o.bitDepth, o.colorType, o.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (std::uint32_t c : o.palette)
        palette.push_back(png_color{static_cast<png_byte>(c >> 16), static_cast<png_byte>(c >> 8),
                                    static_cast<png_byte>(c)});
    if (o.colorType == 3)
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    png_color_16 trnsColor{};
    trnsColor.gray = static_cast<png_uint_16>(maxValue / 2);
    trnsColor.red = trnsColor.green = trnsColor.blue = static_cast<png_uint_16>(maxValue / 3);
    if (!o.trns.empty())
        png_set_tRNS(png, info, o.trns.data(), static_cast<int>(o.trns.size()), nullptr);
    else if (o.trnsColor)
        png_set_tRNS(png, info, nullptr, 0, &trnsColor);
    if (!o.exif.empty())
        png_set_eXIf_1(png, info, static_cast<png_uint_32>(o.exif.size()),
                       const_cast<png_bytep>(o.exif.data()));
    if (!o.icc.empty())
        png_set_iCCP(png, info, "profile", PNG_COMPRESSION_TYPE_BASE, o.icc.data(),
                     static_cast<png_uint_32>(o.icc.size()));
    png_write_info(png, info);
    std::vector<png_bytep> rows(static_cast<std::size_t>(o.height));
    for (int y = 0; y < o.height; ++y)
        rows[static_cast<std::size_t>(y)] = image.data() + stride * y;
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

Decoded referencePng(const Bytes& bytes) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    struct Reader {
        const Bytes* data;
        std::size_t pos;
    } reader{&bytes, 0};
    Decoded result;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        throw std::runtime_error("libpng could not decode the sample");
    }
    png_set_read_fn(png, &reader, [](png_structp p, png_bytep out, png_size_t n) {
        auto* r = static_cast<Reader*>(png_get_io_ptr(p));
        if (n > r->data->size() - r->pos)
            png_error(p, "short");
        std::memcpy(out, r->data->data() + r->pos, n);
        r->pos += n;
    });
    png_read_info(png, info);
    png_set_scale_16(png);
    png_set_expand(png); // palette to RGB, low depths to 8 bits, tRNS to alpha
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    result.width = static_cast<int>(png_get_image_width(png, info));
    result.height = static_cast<int>(png_get_image_height(png, info));
    result.components = 4;
    result.pixels.resize(static_cast<std::size_t>(result.width) * result.height * 4);
    std::vector<png_bytep> rows(static_cast<std::size_t>(result.height));
    for (int y = 0; y < result.height; ++y)
        rows[static_cast<std::size_t>(y)] =
            result.pixels.data() + static_cast<std::size_t>(y) * result.width * 4;
    png_read_image(png, rows.data());
    png_destroy_read_struct(&png, &info, nullptr);
    return result;
}

Decoded referencePngFile(const std::filesystem::path& file) {
    return referencePng(readFile(file));
}

PngHeader parsePngHeader(const Bytes& png) {
    PngHeader h;
    if (png.size() < 33 || png[12] != 'I' || png[15] != 'R')
        return h;
    h.bitDepth = png[24];
    h.colorType = png[25];
    h.interlace = png[28] != 0;
    h.valid = true;
    std::size_t pos = 8;
    while (pos + 8 <= png.size()) {
        const std::size_t length = std::size_t(png[pos]) << 24 | std::size_t(png[pos + 1]) << 16 |
                                   std::size_t(png[pos + 2]) << 8 | png[pos + 3];
        const std::string type(png.begin() + static_cast<std::ptrdiff_t>(pos + 4),
                               png.begin() + static_cast<std::ptrdiff_t>(pos + 8));
        if (type == "IDAT" || length > png.size() - pos - 8)
            break;
        if (type == "tRNS") {
            h.trns = true;
            if (h.colorType == 3)
                for (std::size_t i = 0; i < length; ++i)
                    h.partialAlpha =
                        h.partialAlpha || (png[pos + 8 + i] != 0 && png[pos + 8 + i] != 255);
        }
        pos += 12 + length;
    }
    return h;
}

Bytes exifWithOrientation(int orientation, bool bigEndian) {
    Bytes b;
    auto u16 = [&](unsigned v) {
        if (bigEndian)
            b.insert(b.end(), {std::uint8_t(v >> 8), std::uint8_t(v)});
        else
            b.insert(b.end(), {std::uint8_t(v), std::uint8_t(v >> 8)});
    };
    auto u32 = [&](std::uint32_t v) {
        if (bigEndian) {
            u16(v >> 16);
            u16(v & 0xFFFF);
        } else {
            u16(v & 0xFFFF);
            u16(v >> 16);
        }
    };
    // Header, then the directory at offset 8: ImageWidth (LONG), Orientation (SHORT),
    // XResolution (RATIONAL, value after the directory), no next directory.
    b.insert(b.end(), {std::uint8_t(bigEndian ? 'M' : 'I'), std::uint8_t(bigEndian ? 'M' : 'I')});
    u16(42);
    u32(8);
    u16(3);
    u16(0x0100), u16(4), u32(1), u32(640);
    u16(0x0112), u16(3), u32(1), u16(static_cast<unsigned>(orientation)), u16(0);
    u16(0x011A), u16(5), u32(1), u32(8 + 2 + 3 * 12 + 4);
    u32(0);
    u32(72), u32(1);
    return b;
}

Bytes displayP3Profile() {
#ifdef QUORVANE_SAMPLES_LCMS2
    const cmsCIExyY d65{0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries{{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}};
    const cmsFloat64Number params[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, params);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE p = cmsCreateRGBProfile(&d65, &primaries, curves);
    cmsFreeToneCurve(curve);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(p, nullptr, &size);
    Bytes bytes(size);
    cmsSaveProfileToMem(p, bytes.data(), &size);
    cmsCloseProfile(p);
    return bytes;
#else
    return {};
#endif
}

std::size_t bmpStride(int width, int bpp) {
    return (static_cast<std::size_t>(width) * bpp + 31) / 32 * 4;
}

namespace {
void put(Bytes& b, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
} // namespace

Bytes makeBmp(const BmpOptions& o) {
    Bytes info;
    const bool os2 = o.headerSize == 12;
    if (os2) {
        put(info, 12, 4);
        put(info, static_cast<std::uint32_t>(o.width), 2);
        put(info, static_cast<std::uint32_t>(o.height), 2);
        put(info, 1, 2);
        put(info, static_cast<std::uint32_t>(o.bpp), 2);
    } else {
        put(info, static_cast<std::uint32_t>(o.headerSize), 4);
        put(info, static_cast<std::uint32_t>(o.width), 4);
        put(info, static_cast<std::uint32_t>(o.topDown ? -o.height : o.height), 4);
        put(info, 1, 2);
        put(info, static_cast<std::uint32_t>(o.bpp), 2);
        put(info, o.compression, 4);
        put(info, static_cast<std::uint32_t>(o.pixelData.size()), 4);
        put(info, 2835, 4);
        put(info, 2835, 4);
        put(info, o.colorsUsed, 4);
        put(info, 0, 4);
        if (o.headerSize >= 52)
            for (std::uint32_t m : o.masks)
                put(info, m, 4);
        while (info.size() < static_cast<std::size_t>(o.headerSize))
            info.push_back(0);
        if (o.headerSize == 40 && o.compression == 3)
            for (std::uint32_t m : o.masks)
                put(info, m, 4);
    }
    for (std::uint32_t c : o.palette) {
        put(info, c & 0xFFFFFF, 3);
        if (!os2)
            info.push_back(0);
    }
    Bytes file;
    file.push_back('B');
    file.push_back('M');
    put(file, static_cast<std::uint32_t>(14 + info.size() + o.pixelData.size()), 4);
    put(file, 0, 4);
    put(file, static_cast<std::uint32_t>(14 + info.size()), 4);
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), o.pixelData.begin(), o.pixelData.end());
    return file;
}

Bytes readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::filesystem::path& file, const Bytes& bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
}

void writeSeedCorpus(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder / "jpeg");
    std::filesystem::create_directories(folder / "png");
    std::filesystem::create_directories(folder / "bmp");
    std::filesystem::create_directories(folder / "exif");
    int n = 0;
    for (int o = 1; o <= 8; ++o)
        writeFile(folder / "exif" / ("s" + std::to_string(n++) + ".tif"),
                  exifWithOrientation(o, o % 2 == 0));
    auto jpeg = [&](JpegOptions o) {
        writeFile(folder / "jpeg" / ("s" + std::to_string(n++) + ".jpg"), makeJpeg(o));
    };
    jpeg({});
    jpeg({.width = 33, .height = 17, .components = 1});
    jpeg({.width = 40, .height = 24, .subsample444 = true});
    jpeg({.width = 40, .height = 40, .progressive = true});
    jpeg({.width = 48, .height = 40, .restartRows = 1});
    jpeg({.width = 16, .height = 16, .components = 4});
    jpeg({.width = 16, .height = 16, .components = 4, .ycck = true});
    jpeg({.width = 24, .height = 16, .exif = exifWithOrientation(6), .icc = displayP3Profile()});
    auto png = [&](PngOptions o) {
        writeFile(folder / "png" / ("s" + std::to_string(n++) + ".png"), makePng(o));
    };
    for (int depth : {1, 2, 4, 8, 16})
        png({.colorType = 0, .bitDepth = depth, .interlace = depth == 4});
    png({.colorType = 2, .bitDepth = 8, .trnsColor = true});
    png({.colorType = 2, .bitDepth = 16, .interlace = true});
    png({.colorType = 3,
         .bitDepth = 4,
         .palette = {0xFF0000, 0x00FF00, 0x0000FF},
         .trns = {0, 128}});
    png({.colorType = 3, .bitDepth = 8, .palette = {0x102030, 0xFFFFFF}});
    png({.colorType = 4, .bitDepth = 8});
    png({.colorType = 6, .bitDepth = 16, .interlace = true});
    png({.colorType = 2,
         .bitDepth = 8,
         .exif = exifWithOrientation(8, true),
         .icc = displayP3Profile()});
    auto bmp = [&](BmpOptions o) {
        writeFile(folder / "bmp" / ("s" + std::to_string(n++) + ".bmp"), makeBmp(o));
    };
    for (int bpp : {1, 4, 8, 16, 24, 32}) {
        BmpOptions o{.width = 7, .height = 3, .bpp = bpp};
        if (bpp <= 8)
            for (int i = 0; i < (1 << bpp); ++i)
                o.palette.push_back(static_cast<std::uint32_t>(i * 0x010203));
        o.pixelData.assign(bmpStride(7, bpp) * 3, 0x5A);
        bmp(o);
        o.headerSize = bpp <= 8 || bpp == 24 ? 12 : 124;
        bmp(o);
    }
    bmp({.width = 4,
         .height = 2,
         .bpp = 16,
         .compression = 3,
         .masks = {0xF800, 0x07E0, 0x001F},
         .pixelData = Bytes(16, 0x33)});
    bmp({.width = 6,
         .height = 3,
         .bpp = 8,
         .compression = 1,
         .palette = {0, 0xFFFFFF, 0xFF0000},
         .pixelData = {3, 1, 0, 3, 2, 0, 1, 2, 0, 0, 0, 2, 1, 1, 4, 2, 0, 1}});
    bmp({.width = 6,
         .height = 3,
         .bpp = 4,
         .compression = 2,
         .palette = {0, 0xFFFFFF, 0xFF0000},
         .pixelData = {3, 0x12, 0, 4, 0x12, 0x21, 0, 0, 0, 2, 1, 1, 4, 0x21, 0, 1}});
}

} // namespace samples
