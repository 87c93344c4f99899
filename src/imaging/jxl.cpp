// JPEG XL decoding with libjxl: the first frame (an animation's frames come composited),
// turned upright by libjxl, as 8-bit RGB(A) in sRGB for pictures stored in its own colour
// space and in the file's colour space (reported) otherwise. The size is checked from the
// file's basic information before any pixel is decoded. libjxl decodes a frame whole, so
// its raster must fit the limit; a reduced decode then averages it down.
#include "imaging/formatrows.h"
#include "imaging/libraries.h"
#include "imaging/moreformats.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <jxl/decode.h>
#include <jxl/thread_parallel_runner.h>

namespace {

// The functions of libjxl that the decoder calls.
struct JxlLibrary {
    decltype(&::JxlDecoderCloseInput) decoderCloseInput = nullptr;
    decltype(&::JxlDecoderCreate) decoderCreate = nullptr;
    decltype(&::JxlDecoderDestroy) decoderDestroy = nullptr;
    decltype(&::JxlDecoderGetBasicInfo) decoderGetBasicInfo = nullptr;
    decltype(&::JxlDecoderGetColorAsEncodedProfile) decoderGetColorAsEncodedProfile = nullptr;
    decltype(&::JxlDecoderGetColorAsICCProfile) decoderGetColorAsICCProfile = nullptr;
    decltype(&::JxlDecoderGetICCProfileSize) decoderGetICCProfileSize = nullptr;
    decltype(&::JxlDecoderImageOutBufferSize) decoderImageOutBufferSize = nullptr;
    decltype(&::JxlDecoderProcessInput) decoderProcessInput = nullptr;
    decltype(&::JxlDecoderSetImageOutBuffer) decoderSetImageOutBuffer = nullptr;
    decltype(&::JxlDecoderSetInput) decoderSetInput = nullptr;
    decltype(&::JxlDecoderSetParallelRunner) decoderSetParallelRunner = nullptr;
    decltype(&::JxlDecoderSetPreferredColorProfile) decoderSetPreferredColorProfile = nullptr;
    decltype(&::JxlDecoderSubscribeEvents) decoderSubscribeEvents = nullptr;
    // From libjxl_threads.
    decltype(&::JxlThreadParallelRunnerCreate) threadParallelRunnerCreate = nullptr;
    decltype(&::JxlThreadParallelRunnerDestroy) threadParallelRunnerDestroy = nullptr;
    decltype(&::JxlThreadParallelRunner) threadParallelRunner = nullptr;
};

const JxlLibrary& libjxl() {
    static const std::optional<JxlLibrary> Library = []() -> std::optional<JxlLibrary> {
        SharedLibrary shared(QUORVANE_SONAME_JXL);
        JxlLibrary l;
        shared.find("JxlDecoderCloseInput", l.decoderCloseInput);
        shared.find("JxlDecoderCreate", l.decoderCreate);
        shared.find("JxlDecoderDestroy", l.decoderDestroy);
        shared.find("JxlDecoderGetBasicInfo", l.decoderGetBasicInfo);
        shared.find("JxlDecoderGetColorAsEncodedProfile", l.decoderGetColorAsEncodedProfile);
        shared.find("JxlDecoderGetColorAsICCProfile", l.decoderGetColorAsICCProfile);
        shared.find("JxlDecoderGetICCProfileSize", l.decoderGetICCProfileSize);
        shared.find("JxlDecoderImageOutBufferSize", l.decoderImageOutBufferSize);
        shared.find("JxlDecoderProcessInput", l.decoderProcessInput);
        shared.find("JxlDecoderSetImageOutBuffer", l.decoderSetImageOutBuffer);
        shared.find("JxlDecoderSetInput", l.decoderSetInput);
        shared.find("JxlDecoderSetParallelRunner", l.decoderSetParallelRunner);
        shared.find("JxlDecoderSetPreferredColorProfile", l.decoderSetPreferredColorProfile);
        shared.find("JxlDecoderSubscribeEvents", l.decoderSubscribeEvents);
        SharedLibrary threads(QUORVANE_SONAME_JXL_THREADS);
        threads.find("JxlThreadParallelRunnerCreate", l.threadParallelRunnerCreate);
        threads.find("JxlThreadParallelRunnerDestroy", l.threadParallelRunnerDestroy);
        threads.find("JxlThreadParallelRunner", l.threadParallelRunner);
        if (!shared.complete() || !threads.complete())
            return std::nullopt;
        return l;
    }();
    if (!Library)
        throw ImageError("JPEG XL: " QUORVANE_SONAME_JXL " is not installed");
    return *Library;
}

struct DecoderDeleter {
    void operator()(JxlDecoder* d) const { libjxl().decoderDestroy(d); }
};
struct RunnerDeleter {
    void operator()(void* r) const { libjxl().threadParallelRunnerDestroy(r); }
};

bool isSrgb(const JxlColorEncoding& c) {
    return c.color_space == JXL_COLOR_SPACE_RGB && c.white_point == JXL_WHITE_POINT_D65 &&
           c.primaries == JXL_PRIMARIES_SRGB && c.transfer_function == JXL_TRANSFER_FUNCTION_SRGB;
}

// The colour profile of the pixels as they will be decoded, unless they are in sRGB.
std::vector<std::uint8_t> dataProfile(JxlDecoder* decoder, const JxlPixelFormat& format) {
    JxlColorEncoding encoding{};
    if (libjxl().decoderGetColorAsEncodedProfile(decoder, &format, JXL_COLOR_PROFILE_TARGET_DATA,
                                                 &encoding) == JXL_DEC_SUCCESS &&
        (isSrgb(encoding) || encoding.color_space == JXL_COLOR_SPACE_GRAY))
        return {};
    std::size_t size = 0;
    if (libjxl().decoderGetICCProfileSize(decoder, &format, JXL_COLOR_PROFILE_TARGET_DATA, &size) !=
            JXL_DEC_SUCCESS ||
        size == 0 || size > (std::size_t(1) << 26))
        return {};
    std::vector<std::uint8_t> profile(size);
    if (libjxl().decoderGetColorAsICCProfile(decoder, &format, JXL_COLOR_PROFILE_TARGET_DATA,
                                             profile.data(), size) != JXL_DEC_SUCCESS)
        return {};
    return profile;
}

void decode(std::span<const std::uint8_t> data, Bitmap& b, const ReducedDecode* request,
            PictureMeta* meta) {
    const std::unique_ptr<JxlDecoder, DecoderDeleter> decoder(libjxl().decoderCreate(nullptr));
    const std::unique_ptr<void, RunnerDeleter> runner(libjxl().threadParallelRunnerCreate(
        nullptr, static_cast<std::size_t>(imaging_detail::decoderThreads())));
    if (!decoder || !runner)
        throw ImageTooLarge("JPEG XL: out of memory");
    JxlDecoder* d = decoder.get();
    if (libjxl().decoderSubscribeEvents(d, JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING |
                                               JXL_DEC_FULL_IMAGE) != JXL_DEC_SUCCESS ||
        libjxl().decoderSetParallelRunner(d, libjxl().threadParallelRunner, runner.get()) !=
            JXL_DEC_SUCCESS ||
        libjxl().decoderSetInput(d, data.data(), data.size()) != JXL_DEC_SUCCESS)
        throw ImageError("JPEG XL: decoder set-up failed");
    libjxl().decoderCloseInput(d);

    JxlBasicInfo info{};
    // Rows padded to four bytes, as the bitmap's are.
    JxlPixelFormat format{3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 4};
    int width = 0, height = 0, factor = 1;
    bool alpha = false;
    Bitmap decoded;
    std::vector<std::uint8_t> profile;
    for (;;) {
        const JxlDecoderStatus status = libjxl().decoderProcessInput(d);
        if (status == JXL_DEC_ERROR)
            throw ImageError("JPEG XL: damaged picture");
        if (status == JXL_DEC_NEED_MORE_INPUT)
            throw ImageError("JPEG XL: file cut short");
        if (status == JXL_DEC_SUCCESS)
            throw ImageError("JPEG XL: no picture in the file");
        if (status == JXL_DEC_BASIC_INFO) {
            if (libjxl().decoderGetBasicInfo(d, &info) != JXL_DEC_SUCCESS)
                throw ImageError("JPEG XL: damaged header");
            // libjxl turns the picture upright: a quarter turn swaps its sides.
            const bool turned = info.orientation >= JXL_ORIENT_TRANSPOSE;
            width = static_cast<int>(
                std::min<std::uint32_t>(turned ? info.ysize : info.xsize, 1u << 30));
            height = static_cast<int>(
                std::min<std::uint32_t>(turned ? info.xsize : info.ysize, 1u << 30));
            alpha = info.alpha_bits > 0;
            format.num_channels = alpha ? 4 : 3;
            const int bits = alpha ? 32 : 24;
            if (request)
                factor = imaging_detail::wholePictureFactor(width, height, bits, bits, *request);
            else
                checkRasterSize(std::uint64_t(width), std::uint64_t(height), bits);
        } else if (status == JXL_DEC_COLOR_ENCODING) {
            // Pictures in libjxl's own colour space come out in sRGB; the others in theirs.
            if (!info.uses_original_profile) {
                JxlColorEncoding srgb{};
                srgb.color_space = JXL_COLOR_SPACE_RGB;
                srgb.white_point = JXL_WHITE_POINT_D65;
                srgb.primaries = JXL_PRIMARIES_SRGB;
                srgb.transfer_function = JXL_TRANSFER_FUNCTION_SRGB;
                srgb.rendering_intent = JXL_RENDERING_INTENT_PERCEPTUAL;
                libjxl().decoderSetPreferredColorProfile(d, &srgb);
            }
            if (meta)
                profile = dataProfile(d, format);
        } else if (status == JXL_DEC_NEED_IMAGE_OUT_BUFFER) {
            decoded.createUninitialized(width, height,
                                        alpha ? PixelFormat::Bits32 : PixelFormat::Bits24);
            std::size_t size = 0;
            if (libjxl().decoderImageOutBufferSize(d, &format, &size) != JXL_DEC_SUCCESS ||
                size > decoded.stride() * std::size_t(height) ||
                libjxl().decoderSetImageOutBuffer(d, &format, decoded.scanLine(0),
                                                  decoded.stride() * std::size_t(height)) !=
                    JXL_DEC_SUCCESS)
                throw ImageError("JPEG XL: unexpected picture layout");
        } else if (status == JXL_DEC_FULL_IMAGE) {
            break; // the first frame; the rest of the file is not read
        }
    }
    if (decoded.empty())
        throw ImageError("JPEG XL: no picture in the file");
    if (meta) {
        *meta = PictureMeta{};
        meta->iccProfile = std::move(profile);
    }
    if (factor == 1) {
        // Turned into the bitmap's byte order where it lies.
        for (int y = 0; y < height; ++y) {
            std::uint8_t* line = decoded.scanLine(y);
            if (alpha)
                imaging_detail::rgbaToBgra(line, line, width, info.alpha_premultiplied);
            else
                imaging_detail::rgbToBgr(line, line, width);
        }
        if (alpha)
            decoded.setAlphaMode(AlphaMode::Premultiplied);
        decoded.setBrushColor(b.brushColor());
        b = std::move(decoded);
        return;
    }
    imaging_detail::PictureRows rows(width, height, alpha, factor);
    for (int y = 0; y < height; ++y) {
        if (!alpha) {
            rows.putRgb(y, decoded.scanLine(y));
            continue;
        }
        imaging_detail::rgbaToBgra(decoded.scanLine(y), rows.row(y), width,
                                   info.alpha_premultiplied);
        rows.done(y);
    }
    b = rows.finish(b);
}

} // namespace

void jxlData2Bitmap(std::span<const std::uint8_t> data, Bitmap& b, PictureMeta* meta) {
    decode(data, b, nullptr, meta);
}

void jxl2Bitmap(const std::filesystem::path& fileName, Bitmap& b, PictureMeta* meta) {
    const auto bytes = imaging_detail::readPictureFile(fileName);
    decode(bytes, b, nullptr, meta);
}

void jxlData2BitmapReduced(std::span<const std::uint8_t> data, Bitmap& b,
                           const ReducedDecode& request, PictureMeta* meta) {
    decode(data, b, &request, meta);
}

void jxl2BitmapReduced(const std::filesystem::path& fileName, Bitmap& b,
                       const ReducedDecode& request, PictureMeta* meta) {
    const auto bytes = imaging_detail::readPictureFile(fileName);
    decode(bytes, b, &request, meta);
}
