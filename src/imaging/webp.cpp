// WebP decoding with libwebp. The demuxer checks the file's chunks and finds the first
// frame (the picture itself for a still file); the frame is decoded straight into the
// bitmap, scaled by the library for a reduced decode. An animation's first frame is placed
// on its transparent canvas. The orientation of the Exif chunk and the ICC profile are
// reported.
#include "imaging/exif.h"
#include "imaging/formatrows.h"
#include "imaging/libraries.h"
#include "imaging/moreformats.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

#include <webp/decode.h>
#include <webp/demux.h>

using imaging_detail::ScaledSize;

namespace {

// The functions of libwebp and its demuxer that the decoder calls (the headers' inline
// helpers are their calls with the version the decoder was built against).
struct WebpLibrary {
    decltype(&::WebPInitDecoderConfigInternal) initDecoderConfig = nullptr;
    decltype(&::WebPGetFeaturesInternal) getFeatures = nullptr;
    decltype(&::WebPDecode) decode = nullptr;
    decltype(&::WebPFreeDecBuffer) freeDecBuffer = nullptr;
    decltype(&::WebPDemuxInternal) demux = nullptr;
    decltype(&::WebPDemuxDelete) demuxDelete = nullptr;
    decltype(&::WebPDemuxGetI) demuxGetI = nullptr;
    decltype(&::WebPDemuxGetFrame) demuxGetFrame = nullptr;
    decltype(&::WebPDemuxReleaseIterator) demuxReleaseIterator = nullptr;
    decltype(&::WebPDemuxGetChunk) demuxGetChunk = nullptr;
    decltype(&::WebPDemuxReleaseChunkIterator) demuxReleaseChunkIterator = nullptr;
};

const WebpLibrary& webp() {
    static const std::optional<WebpLibrary> Library = []() -> std::optional<WebpLibrary> {
        SharedLibrary decoder(QUORVANE_SONAME_WEBP);
        SharedLibrary demuxer(QUORVANE_SONAME_WEBPDEMUX);
        WebpLibrary l;
        decoder.find("WebPInitDecoderConfigInternal", l.initDecoderConfig);
        decoder.find("WebPGetFeaturesInternal", l.getFeatures);
        decoder.find("WebPDecode", l.decode);
        decoder.find("WebPFreeDecBuffer", l.freeDecBuffer);
        demuxer.find("WebPDemuxInternal", l.demux);
        demuxer.find("WebPDemuxDelete", l.demuxDelete);
        demuxer.find("WebPDemuxGetI", l.demuxGetI);
        demuxer.find("WebPDemuxGetFrame", l.demuxGetFrame);
        demuxer.find("WebPDemuxReleaseIterator", l.demuxReleaseIterator);
        demuxer.find("WebPDemuxGetChunk", l.demuxGetChunk);
        demuxer.find("WebPDemuxReleaseChunkIterator", l.demuxReleaseChunkIterator);
        if (!decoder.complete() || !demuxer.complete())
            return std::nullopt;
        return l;
    }();
    if (!Library)
        throw ImageError("WebP: " QUORVANE_SONAME_WEBP " is not installed");
    return *Library;
}

struct DemuxDeleter {
    void operator()(WebPDemuxer* d) const { webp().demuxDelete(d); }
};

struct FrameDeleter {
    void operator()(WebPIterator* it) const { webp().demuxReleaseIterator(it); }
};

[[noreturn]] void raise(VP8StatusCode status) {
    if (status == VP8_STATUS_OUT_OF_MEMORY)
        throw ImageTooLarge("WebP: out of memory");
    throw ImageError(status == VP8_STATUS_NOT_ENOUGH_DATA ? "WebP: file cut short"
                                                          : "WebP: damaged picture");
}

// Decodes one frame's bitstream into out (its size, scaled when it differs from the
// frame's own), as blue, green, red or premultiplied blue, green, red, alpha.
void decodeFrame(const WebPData& frame, int frameWidth, int frameHeight, Bitmap& out) {
    WebPDecoderConfig config;
    if (!webp().initDecoderConfig(&config, WEBP_DECODER_ABI_VERSION))
        throw ImageError("WebP: library version mismatch");
    const VP8StatusCode features =
        webp().getFeatures(frame.bytes, frame.size, &config.input, WEBP_DECODER_ABI_VERSION);
    if (features != VP8_STATUS_OK)
        raise(features);
    // The frame's bitstream must be the size its container says.
    if (config.input.width != frameWidth || config.input.height != frameHeight)
        throw ImageError("WebP: frame size differs from its bitstream");
    if (out.width() != frameWidth || out.height() != frameHeight) {
        config.options.use_scaling = 1;
        config.options.scaled_width = out.width();
        config.options.scaled_height = out.height();
    }
    config.options.use_threads = imaging_detail::decoderThreads() > 1;
    config.output.colorspace = out.hasAlpha() ? MODE_bgrA : MODE_BGR;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = out.scanLine(0);
    config.output.u.RGBA.stride = static_cast<int>(out.stride());
    config.output.u.RGBA.size = out.stride() * static_cast<std::size_t>(out.height());
    const VP8StatusCode status = webp().decode(frame.bytes, frame.size, &config);
    webp().freeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK)
        raise(status);
}

std::vector<std::uint8_t> chunk(WebPDemuxer* demux, const char* fourcc) {
    WebPChunkIterator it;
    if (!webp().demuxGetChunk(demux, fourcc, 1, &it))
        return {};
    std::vector<std::uint8_t> bytes(it.chunk.bytes, it.chunk.bytes + it.chunk.size);
    webp().demuxReleaseChunkIterator(&it);
    return bytes;
}

void decode(std::span<const std::uint8_t> data, Bitmap& b, const ReducedDecode* request,
            PictureMeta* meta) {
    const WebPData file{data.data(), data.size()};
    WebPDemuxState state = WEBP_DEMUX_PARSE_ERROR;
    const std::unique_ptr<WebPDemuxer, DemuxDeleter> demux(
        webp().demux(&file, 1, &state, WEBP_DEMUX_ABI_VERSION));
    if (!demux || state != WEBP_DEMUX_DONE)
        throw ImageError(state == WEBP_DEMUX_PARSED_HEADER || state == WEBP_DEMUX_PARSING_HEADER
                             ? "WebP: file cut short"
                             : "WebP: not a WebP file");
    const int canvasWidth = static_cast<int>(webp().demuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH));
    const int canvasHeight = static_cast<int>(webp().demuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT));
    WebPIterator frameIt;
    if (!webp().demuxGetFrame(demux.get(), 1, &frameIt))
        throw ImageError("WebP: no frame");
    const std::unique_ptr<WebPIterator, FrameDeleter> frameOwner(&frameIt);
    const WebPIterator& f = frameIt;
    if (f.width <= 0 || f.height <= 0 || f.x_offset < 0 || f.y_offset < 0 ||
        f.x_offset + f.width > canvasWidth || f.y_offset + f.height > canvasHeight)
        throw ImageError("WebP: frame outside its canvas");
    const bool whole =
        f.x_offset == 0 && f.y_offset == 0 && f.width == canvasWidth && f.height == canvasHeight;
    const bool alpha = f.has_alpha || !whole;
    const int bits = alpha ? 32 : 24;

    const int orientation = exifOrientation(chunk(demux.get(), "EXIF"));
    ScaledSize size{canvasWidth, canvasHeight};
    if (request)
        size = imaging_detail::scaledSize(canvasWidth, canvasHeight, bits,
                                          storedRequest(*request, orientation));
    else
        checkRasterSize(std::uint64_t(canvasWidth), std::uint64_t(canvasHeight), bits);

    Bitmap out;
    out.createUninitialized(size.width, size.height,
                            alpha ? PixelFormat::Bits32 : PixelFormat::Bits24);
    if (alpha)
        out.setAlphaMode(AlphaMode::Premultiplied);
    if (whole) {
        decodeFrame(f.fragment, f.width, f.height, out);
    } else {
        // The frame on its canvas, both scaled alike; the rest stays transparent.
        for (int y = 0; y < out.height(); ++y)
            std::memset(out.scanLine(y), 0, out.stride());
        const double sx = double(size.width) / canvasWidth, sy = double(size.height) / canvasHeight;
        const int left = static_cast<int>(f.x_offset * sx), top = static_cast<int>(f.y_offset * sy);
        const int right =
            std::clamp(static_cast<int>((f.x_offset + f.width) * sx + 0.5), left + 1, size.width);
        const int bottom =
            std::clamp(static_cast<int>((f.y_offset + f.height) * sy + 0.5), top + 1, size.height);
        if (left < size.width && top < size.height) {
            Bitmap frame;
            frame.createUninitialized(right - left, bottom - top, PixelFormat::Bits32);
            frame.setAlphaMode(AlphaMode::Premultiplied);
            decodeFrame(f.fragment, f.width, f.height, frame);
            for (int y = 0; y < frame.height(); ++y)
                std::memcpy(out.scanLine(top + y) + 4 * std::size_t(left), frame.scanLine(y),
                            4 * std::size_t(frame.width()));
        }
    }
    if (meta) {
        meta->orientation = orientation;
        meta->iccProfile = chunk(demux.get(), "ICCP");
    }
    out.setBrushColor(b.brushColor());
    b = std::move(out);
}

} // namespace

void webpData2Bitmap(std::span<const std::uint8_t> data, Bitmap& b, PictureMeta* meta) {
    decode(data, b, nullptr, meta);
}

void webp2Bitmap(const std::filesystem::path& fileName, Bitmap& b, PictureMeta* meta) {
    const auto bytes = imaging_detail::readPictureFile(fileName);
    decode(bytes, b, nullptr, meta);
}

void webpData2BitmapReduced(std::span<const std::uint8_t> data, Bitmap& b,
                            const ReducedDecode& request, PictureMeta* meta) {
    decode(data, b, &request, meta);
}

void webp2BitmapReduced(const std::filesystem::path& fileName, Bitmap& b,
                        const ReducedDecode& request, PictureMeta* meta) {
    const auto bytes = imaging_detail::readPictureFile(fileName);
    decode(bytes, b, &request, meta);
}
