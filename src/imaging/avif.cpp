// AVIF decoding with libavif. The file is parsed first, so that its size is checked before
// any plane is decoded; the AV1 decoder is held to the same number of pixels. The planes are
// converted into the bitmap (premultiplied where there is alpha), or, for a reduced decode,
// a band of rows at a time into the box reducer. libavif leaves the file's rotation and
// mirroring to its caller: they are handed over as the matching Exif orientation.
#include "imaging/formatrows.h"
#include "imaging/libraries.h"
#include "imaging/moreformats.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include <avif/avif.h>

namespace {

// Rows converted at a time in a reduced decode (even, for subsampled chroma).
constexpr std::uint32_t BandRows = 32;

// The functions of libavif that the decoder calls.
struct AvifLibrary {
    decltype(&::avifDecoderCreate) decoderCreate = nullptr;
    decltype(&::avifDecoderDestroy) decoderDestroy = nullptr;
    decltype(&::avifDecoderSetIOMemory) decoderSetIoMemory = nullptr;
    decltype(&::avifDecoderParse) decoderParse = nullptr;
    decltype(&::avifDecoderNextImage) decoderNextImage = nullptr;
    decltype(&::avifImageCreateEmpty) imageCreateEmpty = nullptr;
    decltype(&::avifImageDestroy) imageDestroy = nullptr;
    decltype(&::avifImageSetViewRect) imageSetViewRect = nullptr;
    decltype(&::avifImageYUVToRGB) imageYuvToRgb = nullptr;
    decltype(&::avifRGBImageSetDefaults) rgbImageSetDefaults = nullptr;
    decltype(&::avifResultToString) resultToString = nullptr;
};

const AvifLibrary& avif() {
    static const std::optional<AvifLibrary> Library = []() -> std::optional<AvifLibrary> {
        SharedLibrary a(QUORVANE_SONAME_AVIF);
        AvifLibrary l;
        a.find("avifDecoderCreate", l.decoderCreate);
        a.find("avifDecoderDestroy", l.decoderDestroy);
        a.find("avifDecoderSetIOMemory", l.decoderSetIoMemory);
        a.find("avifDecoderParse", l.decoderParse);
        a.find("avifDecoderNextImage", l.decoderNextImage);
        a.find("avifImageCreateEmpty", l.imageCreateEmpty);
        a.find("avifImageDestroy", l.imageDestroy);
        a.find("avifImageSetViewRect", l.imageSetViewRect);
        a.find("avifImageYUVToRGB", l.imageYuvToRgb);
        a.find("avifRGBImageSetDefaults", l.rgbImageSetDefaults);
        a.find("avifResultToString", l.resultToString);
        if (!a.complete())
            return std::nullopt;
        return l;
    }();
    if (!Library)
        throw ImageError("AVIF: " QUORVANE_SONAME_AVIF " is not installed");
    return *Library;
}

struct DecoderDeleter {
    void operator()(avifDecoder* d) const { avif().decoderDestroy(d); }
};

struct ImageDeleter {
    void operator()(avifImage* i) const { avif().imageDestroy(i); }
};

[[noreturn]] void raise(avifResult result, const avifDecoder* decoder) {
    std::string message = std::string("AVIF: ") + avif().resultToString(result);
    if (decoder && decoder->diag.error[0])
        message += std::string(" (") + decoder->diag.error + ")";
    if (result == AVIF_RESULT_OUT_OF_MEMORY)
        throw ImageTooLarge(message);
    // libavif refuses a file declaring more pixels than it was allowed before decoding it.
    if (decoder && std::strstr(decoder->diag.error, "too large"))
        throw ImageTooLarge(message);
    throw ImageError(message);
}

// The Exif orientation that shows what an 'irot' rotation (anti-clockwise quarter turns)
// followed by an 'imir' mirror (0: top and bottom exchanged, 1: left and right) shows.
int orientationOf(const avifImage& image) {
    static constexpr int Table[4][3] = {{1, 4, 2}, {8, 5, 7}, {3, 2, 4}, {6, 7, 5}};
    const int turns = image.transformFlags & AVIF_TRANSFORM_IROT ? image.irot.angle & 3 : 0;
    const int mirror =
        image.transformFlags & AVIF_TRANSFORM_IMIR ? (image.imir.mode == 0 ? 1 : 2) : 0;
    return Table[turns][mirror];
}

// Bits per pixel of the planes the library holds for the picture.
int planeBits(const avifImage& image, bool alpha) {
    const int sample = image.depth > 8 ? 16 : 8;
    int chroma = 0; // in quarters of the luma plane, for both chroma planes
    switch (image.yuvFormat) {
    case AVIF_PIXEL_FORMAT_YUV444:
        chroma = 8;
        break;
    case AVIF_PIXEL_FORMAT_YUV422:
        chroma = 4;
        break;
    case AVIF_PIXEL_FORMAT_YUV420:
        chroma = 2;
        break;
    default:
        break;
    }
    return sample * (4 + chroma) / 4 + (alpha ? sample : 0);
}

void convert(const avifImage& image, std::uint8_t* pixels, std::size_t stride, bool alpha) {
    avifRGBImage rgb;
    avif().rgbImageSetDefaults(&rgb, &image);
    rgb.depth = 8;
    rgb.format = alpha ? AVIF_RGB_FORMAT_BGRA : AVIF_RGB_FORMAT_BGR;
    rgb.alphaPremultiplied = alpha ? AVIF_TRUE : AVIF_FALSE;
    rgb.pixels = pixels;
    rgb.rowBytes = static_cast<std::uint32_t>(stride);
    const avifResult result = avif().imageYuvToRgb(&image, &rgb);
    if (result != AVIF_RESULT_OK)
        raise(result, nullptr);
}

void decode(std::span<const std::uint8_t> data, Bitmap& b, const ReducedDecode* request,
            PictureMeta* meta) {
    const std::unique_ptr<avifDecoder, DecoderDeleter> decoder(avif().decoderCreate());
    if (!decoder)
        throw ImageTooLarge("AVIF: out of memory");
    decoder->maxThreads = imaging_detail::decoderThreads();
    decoder->ignoreExif = AVIF_TRUE;
    decoder->ignoreXMP = AVIF_TRUE;
    // Files that bend the rules (a missing pixel information box, an odd clean aperture)
    // still show, as in other viewers.
    decoder->strictFlags = AVIF_STRICT_DISABLED;
    // No picture beyond what the smallest planes (8-bit 4:2:0, 12 bits a pixel) of the
    // raster limit hold is parsed or handed to the AV1 decoder, and none beyond libavif's own
    // largest.
    decoder->imageSizeLimit = static_cast<std::uint32_t>(
        std::clamp<std::uint64_t>(maxRasterBytes() * 8 / 12, 1, AVIF_DEFAULT_IMAGE_SIZE_LIMIT));
    decoder->imageDimensionLimit = 1u << 24;
    avifResult result = avif().decoderSetIoMemory(decoder.get(), data.data(), data.size());
    if (result == AVIF_RESULT_OK)
        result = avif().decoderParse(decoder.get());
    if (result != AVIF_RESULT_OK)
        raise(result, decoder.get());
    const avifImage& header = *decoder->image;
    const int width = static_cast<int>(header.width), height = static_cast<int>(header.height);
    const bool alpha = decoder->alphaPresent;
    const int bits = alpha ? 32 : 24;
    const int orientation = orientationOf(header);
    int factor = 1;
    if (request)
        factor = imaging_detail::wholePictureFactor(width, height, planeBits(header, alpha), bits,
                                                    storedRequest(*request, orientation));
    else
        checkRasterSize(std::uint64_t(width), std::uint64_t(height), bits);

    result = avif().decoderNextImage(decoder.get());
    if (result != AVIF_RESULT_OK)
        raise(result, decoder.get());
    const avifImage& image = *decoder->image;
    if (int(image.width) != width || int(image.height) != height)
        throw ImageError("AVIF: picture size differs from its header");
    imaging_detail::PictureRows rows(width, height, alpha, factor);
    if (rows.whole()) {
        convert(image, rows.row(0), rows.stride(), alpha);
    } else {
        Bitmap band;
        band.createUninitialized(width, static_cast<int>(std::min<std::uint32_t>(BandRows, height)),
                                 alpha ? PixelFormat::Bits32 : PixelFormat::Bits24);
        const std::unique_ptr<avifImage, ImageDeleter> view(avif().imageCreateEmpty());
        if (!view)
            throw ImageTooLarge("AVIF: out of memory");
        for (std::uint32_t y0 = 0; y0 < image.height; y0 += BandRows) {
            const std::uint32_t n = std::min(BandRows, image.height - y0);
            const avifCropRect rect{0, y0, image.width, n};
            result = avif().imageSetViewRect(view.get(), &image, &rect);
            if (result != AVIF_RESULT_OK)
                raise(result, nullptr);
            convert(*view, band.scanLine(0), band.stride(), alpha);
            for (std::uint32_t i = 0; i < n; ++i)
                rows.put(static_cast<int>(y0 + i), 0, band.scanLine(static_cast<int>(i)), width);
        }
    }
    if (meta) {
        *meta = PictureMeta{};
        meta->orientation = orientation;
        if (image.icc.size > 0)
            meta->iccProfile.assign(image.icc.data, image.icc.data + image.icc.size);
    }
    b = rows.finish(b);
}

} // namespace

void avifData2Bitmap(std::span<const std::uint8_t> data, Bitmap& b, PictureMeta* meta) {
    decode(data, b, nullptr, meta);
}

void avif2Bitmap(const std::filesystem::path& fileName, Bitmap& b, PictureMeta* meta) {
    const auto bytes = imaging_detail::readPictureFile(fileName);
    decode(bytes, b, nullptr, meta);
}

void avifData2BitmapReduced(std::span<const std::uint8_t> data, Bitmap& b,
                            const ReducedDecode& request, PictureMeta* meta) {
    decode(data, b, &request, meta);
}

void avif2BitmapReduced(const std::filesystem::path& fileName, Bitmap& b,
                        const ReducedDecode& request, PictureMeta* meta) {
    const auto bytes = imaging_detail::readPictureFile(fileName);
    decode(bytes, b, &request, meta);
}
