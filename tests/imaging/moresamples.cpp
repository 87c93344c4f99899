#include "moresamples.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

#ifdef QUORVANE_HAVE_AVIF
#include <avif/avif.h>
#endif
#ifdef QUORVANE_HAVE_GIF
#include <gif_lib.h>
#endif
#ifdef QUORVANE_HAVE_HEIF
#include <libheif/heif.h>
#endif
#ifdef QUORVANE_HAVE_JXL
#include <jxl/encode.h>
#endif
#ifdef QUORVANE_TESTS_HAVE_LCMS2
#include <lcms2.h>
#endif
#ifdef QUORVANE_HAVE_TIFF
#include <tiffio.h>
#endif
#ifdef QUORVANE_HAVE_WEBP
#include <webp/encode.h>
#include <webp/mux.h>
#endif

namespace samples {

namespace {

std::uint8_t gifLevel(std::uint8_t v) {
    return static_cast<std::uint8_t>((v * 5 + 127) / 255 * 51);
}

// The recipe's pixels of one frame as straight RGBA bytes, rows top first.
Bytes rgbaOf(PictureFormat format, const PictureRecipe& recipe, int frame, int width, int height) {
    Bytes rgba(static_cast<std::size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = recipePixel(format, recipe, frame, x, y);
            std::uint8_t* o = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
            o[0] = static_cast<std::uint8_t>(p >> 16);
            o[1] = static_cast<std::uint8_t>(p >> 8);
            o[2] = static_cast<std::uint8_t>(p);
            o[3] = static_cast<std::uint8_t>(p >> 24);
        }
    return rgba;
}

// The smallest Exif block that gives an orientation: a TIFF header and one entry.
Bytes exifOrientation(int orientation) {
    return {'I',
            'I',
            42,
            0,
            8,
            0,
            0,
            0,
            1,
            0,
            0x12,
            0x01,
            3,
            0,
            1,
            0,
            0,
            0,
            static_cast<std::uint8_t>(orientation),
            0,
            0,
            0,
            0,
            0,
            0,
            0};
}

#ifdef QUORVANE_HAVE_WEBP

// One still WebP bitstream of the frame's pixels.
Bytes encodeWebp(const Bytes& rgba, int width, int height, const PictureRecipe& recipe) {
    std::uint8_t* out = nullptr;
    std::size_t size = 0;
    const int stride = width * 4;
    if (recipe.alpha)
        size = recipe.lossless ? WebPEncodeLosslessRGBA(rgba.data(), width, height, stride, &out)
                               : WebPEncodeRGBA(rgba.data(), width, height, stride,
                                                float(recipe.quality), &out);
    else {
        Bytes rgb(static_cast<std::size_t>(width) * height * 3);
        for (std::size_t i = 0, n = std::size_t(width) * height; i < n; ++i)
            std::memcpy(&rgb[i * 3], &rgba[i * 4], 3);
        size = recipe.lossless ? WebPEncodeLosslessRGB(rgb.data(), width, height, width * 3, &out)
                               : WebPEncodeRGB(rgb.data(), width, height, width * 3,
                                               float(recipe.quality), &out);
    }
    if (size == 0)
        throw std::runtime_error("WebP encoding failed");
    Bytes bytes(out, out + size);
    WebPFree(out);
    return bytes;
}

Bytes makeWebp(const PictureRecipe& recipe) {
    const bool animated = recipe.frames > 1 || recipe.frameWidth > 0;
    const bool metadata = recipe.orientation != 1 || !recipe.icc.empty();
    if (!animated && !metadata)
        return encodeWebp(rgbaOf(PictureFormat::WebP, recipe, 0, recipe.width, recipe.height),
                          recipe.width, recipe.height, recipe);
    WebPMux* mux = WebPMuxNew();
    std::vector<Bytes> frames;
    if (animated) {
        WebPMuxSetCanvasSize(mux, recipe.width, recipe.height);
        WebPMuxAnimParams params{0xFFFFFFFF, 0};
        WebPMuxSetAnimationParams(mux, &params);
        for (int f = 0; f < recipe.frames; ++f) {
            const bool first = f == 0 && recipe.frameWidth > 0;
            const int w = first ? recipe.frameWidth : recipe.width;
            const int h = first ? recipe.frameHeight : recipe.height;
            // The first frame's pixels are those of its place on the canvas.
            Bytes whole = rgbaOf(PictureFormat::WebP, recipe, f, recipe.width, recipe.height);
            Bytes part(static_cast<std::size_t>(w) * h * 4);
            const int left = first ? recipe.frameLeft : 0, top = first ? recipe.frameTop : 0;
            for (int y = 0; y < h; ++y)
                std::memcpy(&part[std::size_t(y) * w * 4],
                            &whole[(std::size_t(top + y) * recipe.width + left) * 4],
                            std::size_t(w) * 4);
            frames.push_back(encodeWebp(part, w, h, recipe));
            WebPMuxFrameInfo info{};
            info.bitstream = {frames.back().data(), frames.back().size()};
            info.x_offset = left;
            info.y_offset = top;
            info.duration = 100;
            info.id = WEBP_CHUNK_ANMF;
            info.dispose_method = WEBP_MUX_DISPOSE_NONE;
            info.blend_method = WEBP_MUX_NO_BLEND;
            if (WebPMuxPushFrame(mux, &info, 1) != WEBP_MUX_OK)
                throw std::runtime_error("WebP frame refused");
        }
    } else {
        frames.push_back(
            encodeWebp(rgbaOf(PictureFormat::WebP, recipe, 0, recipe.width, recipe.height),
                       recipe.width, recipe.height, recipe));
        const WebPData image{frames.back().data(), frames.back().size()};
        WebPMuxSetImage(mux, &image, 1);
    }
    const Bytes exif = exifOrientation(recipe.orientation);
    if (recipe.orientation != 1) {
        const WebPData chunk{exif.data(), exif.size()};
        WebPMuxSetChunk(mux, "EXIF", &chunk, 1);
    }
    if (!recipe.icc.empty()) {
        const WebPData chunk{recipe.icc.data(), recipe.icc.size()};
        WebPMuxSetChunk(mux, "ICCP", &chunk, 1);
    }
    WebPData assembled{};
    const WebPMuxError error = WebPMuxAssemble(mux, &assembled);
    WebPMuxDelete(mux);
    if (error != WEBP_MUX_OK)
        throw std::runtime_error("WebP assembly failed");
    Bytes bytes(assembled.bytes, assembled.bytes + assembled.size);
    WebPDataClear(&assembled);
    return bytes;
}

#endif

#ifdef QUORVANE_HAVE_GIF

int writeGifBytes(GifFileType* gif, const GifByteType* data, int count) {
    auto* out = static_cast<Bytes*>(gif->UserData);
    out->insert(out->end(), data, data + count);
    return count;
}

// GIF frames of a 6 x 6 x 6 colour cube with index 216 transparent; the first frame may
// cover part of the screen, and may be interlaced.
Bytes makeGif(const PictureRecipe& recipe) {
    Bytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, writeGifBytes, &error);
    if (!gif)
        throw std::runtime_error("GIF encoder failed");
    GifColorType colours[256] = {};
    for (int i = 0; i < 216; ++i)
        colours[i] = {static_cast<GifByteType>(i / 36 * 51),
                      static_cast<GifByteType>(i / 6 % 6 * 51),
                      static_cast<GifByteType>(i % 6 * 51)};
    ColorMapObject* map = GifMakeMapObject(256, colours);
    EGifSetGifVersion(gif, true);
    bool ok = EGifPutScreenDesc(gif, recipe.width, recipe.height, 8, 0, map) == GIF_OK;
    for (int f = 0; ok && f < recipe.frames; ++f) {
        const bool part = f == 0 && recipe.frameWidth > 0;
        const int left = part ? recipe.frameLeft : 0, top = part ? recipe.frameTop : 0;
        const int w = part ? recipe.frameWidth : recipe.width;
        const int h = part ? recipe.frameHeight : recipe.height;
        GraphicsControlBlock control{};
        control.DelayTime = 10;
        control.TransparentColor = recipe.alpha ? 216 : NO_TRANSPARENT_COLOR;
        GifByteType block[4];
        const std::size_t size = EGifGCBToExtension(&control, block);
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(size), block) == GIF_OK;
        const bool interlace = f == 0 && recipe.interlace;
        ok = ok && EGifPutImageDesc(gif, left, top, w, h, interlace, nullptr) == GIF_OK;
        std::vector<int> order;
        if (interlace) {
            constexpr int Start[] = {0, 4, 2, 1};
            constexpr int Step[] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (int y = Start[pass]; y < h; y += Step[pass])
                    order.push_back(y);
        } else {
            for (int y = 0; y < h; ++y)
                order.push_back(y);
        }
        std::vector<GifPixelType> line(static_cast<std::size_t>(w));
        for (int y : order) {
            for (int x = 0; x < w; ++x) {
                const std::uint32_t p =
                    recipePixel(PictureFormat::Gif, recipe, f, left + x, top + y);
                line[std::size_t(x)] = static_cast<GifPixelType>(
                    (p >> 24) == 0 ? 216
                                   : ((p >> 16) & 0xFF) / 51 * 36 + ((p >> 8) & 0xFF) / 51 * 6 +
                                         (p & 0xFF) / 51);
            }
            ok = ok && EGifPutLine(gif, line.data(), w) == GIF_OK;
        }
    }
    GifFreeMapObject(map);
    if (EGifCloseFile(gif, &error) != GIF_OK || !ok)
        throw std::runtime_error("GIF encoder failed");
    return out;
}

#endif

#ifdef QUORVANE_HAVE_TIFF

struct MemoryFile {
    Bytes bytes;
    std::uint64_t pos = 0;
};

tmsize_t tiffRead(thandle_t h, void* out, tmsize_t n) {
    auto* m = static_cast<MemoryFile*>(h);
    const std::uint64_t k =
        m->pos < m->bytes.size()
            ? std::min<std::uint64_t>(std::uint64_t(n), m->bytes.size() - m->pos)
            : 0;
    std::memcpy(out, m->bytes.data() + m->pos, k);
    m->pos += k;
    return static_cast<tmsize_t>(k);
}

tmsize_t tiffWrite(thandle_t h, void* in, tmsize_t n) {
    auto* m = static_cast<MemoryFile*>(h);
    if (m->pos + std::uint64_t(n) > m->bytes.size())
        m->bytes.resize(m->pos + std::uint64_t(n));
    std::memcpy(m->bytes.data() + m->pos, in, std::size_t(n));
    m->pos += std::uint64_t(n);
    return n;
}

toff_t tiffSeek(thandle_t h, toff_t off, int whence) {
    auto* m = static_cast<MemoryFile*>(h);
    m->pos = (whence == SEEK_SET ? 0 : whence == SEEK_CUR ? m->pos : m->bytes.size()) + off;
    return m->pos;
}

int tiffClose(thandle_t) {
    return 0;
}

toff_t tiffSize(thandle_t h) {
    return static_cast<MemoryFile*>(h)->bytes.size();
}

int tiffMap(thandle_t, void**, toff_t*) {
    return 0;
}

void tiffUnmap(thandle_t, void*, toff_t) {}

// Pages of RGB(A) pictures: lossless ones deflated in 16 x 16 tiles, lossy ones as JPEG in
// strips of 16 rows (YCbCr without alpha).
Bytes makeTiff(const PictureRecipe& recipe) {
    MemoryFile m;
    TIFF* tif = TIFFClientOpen("sample", "w", &m, tiffRead, tiffWrite, tiffSeek, tiffClose,
                               tiffSize, tiffMap, tiffUnmap);
    if (!tif)
        throw std::runtime_error("TIFF encoder failed");
    bool ok = true;
    const int channels = recipe.alpha ? 4 : 3;
    for (int f = 0; ok && f < recipe.frames; ++f) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, std::uint32_t(recipe.width));
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, std::uint32_t(recipe.height));
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, channels);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_ORIENTATION, recipe.orientation);
        if (recipe.alpha) {
            const std::uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
            TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
        }
        if (!recipe.icc.empty())
            TIFFSetField(tif, TIFFTAG_ICCPROFILE, std::uint32_t(recipe.icc.size()),
                         recipe.icc.data());
        const bool jpeg = !recipe.lossless;
        TIFFSetField(tif, TIFFTAG_COMPRESSION, jpeg ? COMPRESSION_JPEG : COMPRESSION_ADOBE_DEFLATE);
        if (jpeg) {
            TIFFSetField(tif, TIFFTAG_JPEGQUALITY, recipe.quality);
            TIFFSetField(tif, TIFFTAG_PHOTOMETRIC,
                         recipe.alpha ? PHOTOMETRIC_RGB : PHOTOMETRIC_YCBCR);
            if (!recipe.alpha)
                TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
            TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 16);
        } else {
            TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
            TIFFSetField(tif, TIFFTAG_TILEWIDTH, 16);
            TIFFSetField(tif, TIFFTAG_TILELENGTH, 16);
        }
        const Bytes rgba = rgbaOf(PictureFormat::Tiff, recipe, f, recipe.width, recipe.height);
        if (jpeg) {
            Bytes row(std::size_t(recipe.width) * channels);
            for (int y = 0; ok && y < recipe.height; ++y) {
                for (int x = 0; x < recipe.width; ++x)
                    std::memcpy(&row[std::size_t(x) * channels],
                                &rgba[(std::size_t(y) * recipe.width + x) * 4],
                                std::size_t(channels));
                ok = TIFFWriteScanline(tif, row.data(), std::uint32_t(y), 0) == 1;
            }
        } else {
            Bytes tile(16 * 16 * std::size_t(channels));
            for (int ty = 0; ok && ty < recipe.height; ty += 16)
                for (int tx = 0; ok && tx < recipe.width; tx += 16) {
                    std::fill(tile.begin(), tile.end(), 0);
                    for (int y = ty; y < std::min(ty + 16, recipe.height); ++y)
                        for (int x = tx; x < std::min(tx + 16, recipe.width); ++x)
                            std::memcpy(&tile[(std::size_t(y - ty) * 16 + (x - tx)) * channels],
                                        &rgba[(std::size_t(y) * recipe.width + x) * 4],
                                        std::size_t(channels));
                    ok = TIFFWriteTile(tif, tile.data(), std::uint32_t(tx), std::uint32_t(ty), 0,
                                       0) >= 0;
                }
        }
        ok = ok && TIFFWriteDirectory(tif) == 1;
    }
    TIFFClose(tif);
    if (!ok)
        throw std::runtime_error("TIFF encoder failed");
    return m.bytes;
}

#endif

#ifdef QUORVANE_HAVE_AVIF

// One frame as an avifImage: 4:4:4, or the identity matrix for lossless.
avifImage* avifFrame(const PictureRecipe& recipe, int frame) {
    avifImage* image =
        avifImageCreate(static_cast<std::uint32_t>(recipe.width),
                        static_cast<std::uint32_t>(recipe.height), 8, AVIF_PIXEL_FORMAT_YUV444);
    if (recipe.lossless)
        image->matrixCoefficients = AVIF_MATRIX_COEFFICIENTS_IDENTITY;
    Bytes rgba = rgbaOf(PictureFormat::Avif, recipe, frame, recipe.width, recipe.height);
    avifRGBImage rgb;
    avifRGBImageSetDefaults(&rgb, image);
    rgb.format = AVIF_RGB_FORMAT_RGBA;
    rgb.depth = 8;
    rgb.pixels = rgba.data();
    rgb.rowBytes = static_cast<std::uint32_t>(recipe.width * 4);
    if (avifImageRGBToYUV(image, &rgb) != AVIF_RESULT_OK)
        throw std::runtime_error("AVIF conversion failed");
    if (!recipe.alpha && image->alphaPlane) {
        avifImageFreePlanes(image, AVIF_PLANES_A);
    }
    // The rotation and mirroring boxes that give the Exif orientation.
    static constexpr int Table[4][3] = {{1, 4, 2}, {8, 5, 7}, {3, 2, 4}, {6, 7, 5}};
    for (int turns = 0; turns < 4; ++turns)
        for (int mirror = 0; mirror < 3; ++mirror)
            if (Table[turns][mirror] == recipe.orientation && recipe.orientation != 1 &&
                !(image->transformFlags & (AVIF_TRANSFORM_IROT | AVIF_TRANSFORM_IMIR))) {
                if (turns) {
                    image->transformFlags |= AVIF_TRANSFORM_IROT;
                    image->irot.angle = static_cast<std::uint8_t>(turns);
                }
                if (mirror) {
                    image->transformFlags |= AVIF_TRANSFORM_IMIR;
                    image->imir.mode = static_cast<std::uint8_t>(mirror == 1 ? 0 : 1);
                }
            }
    if (!recipe.icc.empty())
        avifImageSetProfileICC(image, recipe.icc.data(), recipe.icc.size());
    return image;
}

Bytes makeAvif(const PictureRecipe& recipe) {
    avifEncoder* encoder = avifEncoderCreate();
    encoder->speed = AVIF_SPEED_FASTEST;
    encoder->maxThreads = 2;
    const int quantizer = recipe.lossless ? 0 : (100 - recipe.quality) * 63 / 100;
    encoder->minQuantizer = encoder->maxQuantizer = quantizer;
    encoder->minQuantizerAlpha = encoder->maxQuantizerAlpha = quantizer;
    avifResult result = AVIF_RESULT_OK;
    for (int f = 0; result == AVIF_RESULT_OK && f < recipe.frames; ++f) {
        avifImage* image = avifFrame(recipe, f);
        result = avifEncoderAddImage(encoder, image, 1,
                                     recipe.frames == 1 ? AVIF_ADD_IMAGE_FLAG_SINGLE
                                                        : AVIF_ADD_IMAGE_FLAG_NONE);
        avifImageDestroy(image);
    }
    avifRWData output = AVIF_DATA_EMPTY;
    if (result == AVIF_RESULT_OK)
        result = avifEncoderFinish(encoder, &output);
    avifEncoderDestroy(encoder);
    if (result != AVIF_RESULT_OK)
        throw std::runtime_error(std::string("AVIF encoder failed: ") + avifResultToString(result));
    Bytes bytes(output.data, output.data + output.size);
    avifRWDataFree(&output);
    return bytes;
}

#endif

#ifdef QUORVANE_HAVE_HEIF

heif_error writeHeifBytes(heif_context*, const void* data, std::size_t size, void* user) {
    auto* out = static_cast<Bytes*>(user);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
    return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

// An HEVC-coded HEIF picture (x265), its orientation stored as rotation and mirroring
// boxes, with a thumbnail when the recipe asks for one.
Bytes makeHeif(const PictureRecipe& recipe) {
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    heif_image* image = nullptr;
    heif_encoding_options* options = heif_encoding_options_alloc();
    Bytes out;
    bool ok = heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder).code ==
                  heif_error_Ok &&
              heif_image_create(
                  recipe.width, recipe.height, heif_colorspace_RGB,
                  recipe.alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, &image)
                      .code == heif_error_Ok &&
              heif_image_add_plane(image, heif_channel_interleaved, recipe.width, recipe.height, 8)
                      .code == heif_error_Ok;
    if (ok) {
        heif_encoder_set_lossy_quality(encoder, recipe.quality);
        int stride = 0;
        std::uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
        const Bytes rgba = rgbaOf(PictureFormat::Heif, recipe, 0, recipe.width, recipe.height);
        const int channels = recipe.alpha ? 4 : 3;
        for (int y = 0; y < recipe.height; ++y)
            for (int x = 0; x < recipe.width; ++x)
                std::memcpy(plane + std::size_t(y) * stride + std::size_t(x) * channels,
                            &rgba[(std::size_t(y) * recipe.width + x) * 4], std::size_t(channels));
        if (!recipe.icc.empty())
            heif_image_set_raw_color_profile(image, "prof", recipe.icc.data(), recipe.icc.size());
        options->image_orientation = static_cast<heif_orientation>(recipe.orientation);
        heif_image_handle* handle = nullptr;
        ok = heif_context_encode_image(context, image, encoder, options, &handle).code ==
             heif_error_Ok;
        if (ok && recipe.thumbnail > 0) {
            heif_image_handle* thumb = nullptr;
            ok = heif_context_encode_thumbnail(context, image, handle, encoder, options,
                                               recipe.thumbnail, &thumb)
                     .code == heif_error_Ok;
            if (thumb)
                heif_image_handle_release(thumb);
        }
        if (handle)
            heif_image_handle_release(handle);
        heif_writer writer{1, writeHeifBytes};
        ok = ok && heif_context_write(context, &writer, &out).code == heif_error_Ok;
    }
    heif_encoding_options_free(options);
    if (image)
        heif_image_release(image);
    if (encoder)
        heif_encoder_release(encoder);
    heif_context_free(context);
    if (!ok)
        throw std::runtime_error("HEIF encoder failed");
    return out;
}

#endif

#ifdef QUORVANE_HAVE_JXL

// A JPEG XL codestream at effort 3: lossless (in the file's RGB) or at distance 1 (XYB).
Bytes makeJxl(const PictureRecipe& recipe) {
    JxlEncoder* encoder = JxlEncoderCreate(nullptr);
    JxlBasicInfo info;
    JxlEncoderInitBasicInfo(&info);
    info.xsize = static_cast<std::uint32_t>(recipe.width);
    info.ysize = static_cast<std::uint32_t>(recipe.height);
    info.bits_per_sample = 8;
    info.num_color_channels = 3;
    info.alpha_bits = recipe.alpha ? 8 : 0;
    info.num_extra_channels = recipe.alpha ? 1 : 0;
    info.uses_original_profile = recipe.lossless;
    info.orientation = static_cast<JxlOrientation>(recipe.orientation);
    info.have_animation = recipe.frames > 1;
    info.animation.tps_numerator = 10;
    info.animation.tps_denominator = 1;
    bool ok = JxlEncoderSetBasicInfo(encoder, &info) == JXL_ENC_SUCCESS;
    if (!recipe.icc.empty()) {
        ok = ok && JxlEncoderSetICCProfile(encoder, recipe.icc.data(), recipe.icc.size()) ==
                       JXL_ENC_SUCCESS;
    } else {
        JxlColorEncoding srgb;
        JxlColorEncodingSetToSRGB(&srgb, JXL_FALSE);
        ok = ok && JxlEncoderSetColorEncoding(encoder, &srgb) == JXL_ENC_SUCCESS;
    }
    JxlEncoderFrameSettings* settings = JxlEncoderFrameSettingsCreate(encoder, nullptr);
    JxlEncoderFrameSettingsSetOption(settings, JXL_ENC_FRAME_SETTING_EFFORT, 3);
    if (recipe.lossless)
        JxlEncoderSetFrameLossless(settings, JXL_TRUE);
    else
        JxlEncoderSetFrameDistance(settings, 1.0f);
    const int channels = recipe.alpha ? 4 : 3;
    const JxlPixelFormat format{static_cast<std::uint32_t>(channels), JXL_TYPE_UINT8,
                                JXL_NATIVE_ENDIAN, 0};
    for (int f = 0; ok && f < recipe.frames; ++f) {
        if (info.have_animation) {
            JxlFrameHeader header;
            JxlEncoderInitFrameHeader(&header);
            header.duration = 1;
            JxlEncoderSetFrameHeader(settings, &header);
        }
        const Bytes rgba = rgbaOf(PictureFormat::Jxl, recipe, f, recipe.width, recipe.height);
        Bytes pixels(std::size_t(recipe.width) * recipe.height * channels);
        for (std::size_t i = 0, n = std::size_t(recipe.width) * recipe.height; i < n; ++i)
            std::memcpy(&pixels[i * channels], &rgba[i * 4], std::size_t(channels));
        ok = JxlEncoderAddImageFrame(settings, &format, pixels.data(), pixels.size()) ==
             JXL_ENC_SUCCESS;
    }
    JxlEncoderCloseInput(encoder);
    Bytes out(4096);
    std::uint8_t* next = out.data();
    std::size_t available = out.size();
    JxlEncoderStatus status = ok ? JXL_ENC_NEED_MORE_OUTPUT : JXL_ENC_ERROR;
    while (status == JXL_ENC_NEED_MORE_OUTPUT) {
        status = JxlEncoderProcessOutput(encoder, &next, &available);
        if (status == JXL_ENC_NEED_MORE_OUTPUT) {
            const std::size_t used = std::size_t(next - out.data());
            out.resize(out.size() * 2);
            next = out.data() + used;
            available = out.size() - used;
        }
    }
    out.resize(std::size_t(next - out.data()));
    JxlEncoderDestroy(encoder);
    if (status != JXL_ENC_SUCCESS)
        throw std::runtime_error("JPEG XL encoder failed");
    return out;
}

#endif

} // namespace

std::uint32_t recipePixel(PictureFormat format, const PictureRecipe& recipe, int frame, int x,
                          int y) {
    std::uint8_t c[4];
    for (int k = 0; k < 4; ++k) {
        c[k] = photoSample(x, y, k, recipe.width, recipe.height);
        if (frame > 0 && k < 3)
            c[k] = static_cast<std::uint8_t>(255 - c[k]);
    }
    if (!recipe.alpha)
        c[3] = 255;
    if (format == PictureFormat::Gif) {
        for (int k = 0; k < 3; ++k)
            c[k] = gifLevel(c[k]);
        c[3] = c[3] < 128 ? 0 : 255;
    }
    return std::uint32_t(c[3]) << 24 | std::uint32_t(c[0]) << 16 | std::uint32_t(c[1]) << 8 | c[2];
}

Bytes wideGamutProfile() {
#ifdef QUORVANE_TESTS_HAVE_LCMS2
    const cmsCIExyY white{0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries{{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
    cmsToneCurve* curves[3] = {gamma, gamma, gamma};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsFreeToneCurve(gamma);
    cmsUInt32Number size = 0;
    Bytes bytes;
    if (profile && cmsSaveProfileToMem(profile, nullptr, &size)) {
        bytes.resize(size);
        cmsSaveProfileToMem(profile, bytes.data(), &size);
    }
    if (profile)
        cmsCloseProfile(profile);
    return bytes;
#else
    return {};
#endif
}

bool canMake(PictureFormat format) {
    switch (format) {
#ifdef QUORVANE_HAVE_WEBP
    case PictureFormat::WebP:
        return true;
#endif
#ifdef QUORVANE_HAVE_GIF
    case PictureFormat::Gif:
        return true;
#endif
#ifdef QUORVANE_HAVE_HEIF
    case PictureFormat::Heif:
        return heif_have_encoder_for_format(heif_compression_HEVC) != 0;
#endif
#ifdef QUORVANE_HAVE_JXL
    case PictureFormat::Jxl:
        return true;
#endif
#ifdef QUORVANE_HAVE_AVIF
    case PictureFormat::Avif:
        return avifCodecName(AVIF_CODEC_CHOICE_AUTO, AVIF_CODEC_FLAG_CAN_ENCODE) != nullptr;
#endif
#ifdef QUORVANE_HAVE_TIFF
    case PictureFormat::Tiff:
        return true;
#endif
    default:
        return false;
    }
}

Bytes makePicture(PictureFormat format, const PictureRecipe& recipe) {
    switch (format) {
#ifdef QUORVANE_HAVE_WEBP
    case PictureFormat::WebP:
        return makeWebp(recipe);
#endif
#ifdef QUORVANE_HAVE_GIF
    case PictureFormat::Gif:
        return makeGif(recipe);
#endif
#ifdef QUORVANE_HAVE_HEIF
    case PictureFormat::Heif:
        return makeHeif(recipe);
#endif
#ifdef QUORVANE_HAVE_JXL
    case PictureFormat::Jxl:
        return makeJxl(recipe);
#endif
#ifdef QUORVANE_HAVE_AVIF
    case PictureFormat::Avif:
        return makeAvif(recipe);
#endif
#ifdef QUORVANE_HAVE_TIFF
    case PictureFormat::Tiff:
        return makeTiff(recipe);
#endif
    default:
        throw std::runtime_error("this build cannot write " + extensionOf(format) + " files");
    }
}

std::string extensionOf(PictureFormat format) {
    switch (format) {
    case PictureFormat::Jpeg:
        return ".jpg";
    case PictureFormat::Png:
        return ".png";
    case PictureFormat::Bmp:
        return ".bmp";
    case PictureFormat::WebP:
        return ".webp";
    case PictureFormat::Avif:
        return ".avif";
    case PictureFormat::Heif:
        return ".heic";
    case PictureFormat::Jxl:
        return ".jxl";
    case PictureFormat::Gif:
        return ".gif";
    case PictureFormat::Tiff:
        return ".tif";
    }
    return {};
}

void writeMoreSeedCorpus(const std::filesystem::path& folder) {
    const PictureFormat formats[] = {PictureFormat::WebP, PictureFormat::Avif, PictureFormat::Heif,
                                     PictureFormat::Jxl,  PictureFormat::Gif,  PictureFormat::Tiff};
    const PictureRecipe specs[] = {
        {.width = 16, .height = 12},
        {.width = 9, .height = 7, .alpha = true},
        {.width = 12, .height = 8, .lossless = true},
        {.width = 10, .height = 6, .alpha = true, .frames = 2},
        {.width = 16,
         .height = 16,
         .frames = 2,
         .frameLeft = 2,
         .frameTop = 4,
         .frameWidth = 6,
         .frameHeight = 8,
         .interlace = true,
         .orientation = 6},
    };
    for (PictureFormat format : formats) {
        if (!canMake(format))
            continue;
        const std::string name = extensionOf(format).substr(1);
        std::filesystem::create_directories(folder / name);
        int n = 0;
        for (const PictureRecipe& recipe : specs)
            writeFile(folder / name / ("s" + std::to_string(n++) + extensionOf(format)),
                      makePicture(format, recipe));
    }
}

} // namespace samples
