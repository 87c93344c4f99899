// HEIF decoding with libheif: the primary picture, turned upright by libheif as the file's
// rotation, mirroring and cropping say, converted to 8-bit RGB(A). A reduced decode with a
// cover size takes the file's own thumbnail instead when one of the primary picture's shape
// is at least that size. libheif decodes a picture whole, so its raster must fit the limit
// (checked from the file's boxes first); the rows are then copied into the bitmap or
// averaged into the reducer.
#include "imaging/formatrows.h"
#include "imaging/libraries.h"
#include "imaging/moreformats.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <libheif/heif.h>

namespace {

// The functions of libheif that the decoder calls.
struct HeifLibrary {
    decltype(&::heif_context_alloc) contextAlloc = nullptr;
    decltype(&::heif_context_free) contextFree = nullptr;
    decltype(&::heif_context_get_primary_image_handle) contextGetPrimaryImageHandle = nullptr;
    decltype(&::heif_context_read_from_memory_without_copy) contextReadFromMemoryWithoutCopy =
        nullptr;
    decltype(&::heif_context_set_max_decoding_threads) contextSetMaxDecodingThreads = nullptr;
    decltype(&::heif_context_set_maximum_image_size_limit) contextSetMaximumImageSizeLimit =
        nullptr;
    decltype(&::heif_decode_image) decodeImage = nullptr;
    decltype(&::heif_decoding_options_alloc) decodingOptionsAlloc = nullptr;
    decltype(&::heif_decoding_options_free) decodingOptionsFree = nullptr;
    decltype(&::heif_image_get_bits_per_pixel) imageGetBitsPerPixel = nullptr;
    decltype(&::heif_image_get_height) imageGetHeight = nullptr;
    decltype(&::heif_image_get_plane_readonly) imageGetPlaneReadonly = nullptr;
    decltype(&::heif_image_get_width) imageGetWidth = nullptr;
    decltype(&::heif_image_handle_get_auxiliary_image_handle) imageHandleGetAuxiliaryImageHandle =
        nullptr;
    decltype(&::heif_image_handle_get_color_profile_type) imageHandleGetColorProfileType = nullptr;
    decltype(&::heif_image_handle_get_height) imageHandleGetHeight = nullptr;
    decltype(&::heif_image_handle_get_list_of_auxiliary_image_IDs)
        imageHandleGetListOfAuxiliaryImageIds = nullptr;
    decltype(&::heif_image_handle_get_list_of_thumbnail_IDs) imageHandleGetListOfThumbnailIds =
        nullptr;
    decltype(&::heif_image_handle_get_number_of_auxiliary_images)
        imageHandleGetNumberOfAuxiliaryImages = nullptr;
    decltype(&::heif_image_handle_get_number_of_thumbnails) imageHandleGetNumberOfThumbnails =
        nullptr;
    decltype(&::heif_image_handle_get_raw_color_profile) imageHandleGetRawColorProfile = nullptr;
    decltype(&::heif_image_handle_get_raw_color_profile_size) imageHandleGetRawColorProfileSize =
        nullptr;
    decltype(&::heif_image_handle_get_thumbnail) imageHandleGetThumbnail = nullptr;
    decltype(&::heif_image_handle_get_width) imageHandleGetWidth = nullptr;
    decltype(&::heif_image_handle_has_alpha_channel) imageHandleHasAlphaChannel = nullptr;
    decltype(&::heif_image_handle_release) imageHandleRelease = nullptr;
    decltype(&::heif_image_is_premultiplied_alpha) imageIsPremultipliedAlpha = nullptr;
    decltype(&::heif_image_release) imageRelease = nullptr;
};

const HeifLibrary& libheif() {
    static const std::optional<HeifLibrary> Library = []() -> std::optional<HeifLibrary> {
        SharedLibrary shared(QUORVANE_SONAME_HEIF);
        HeifLibrary l;
        shared.find("heif_context_alloc", l.contextAlloc);
        shared.find("heif_context_free", l.contextFree);
        shared.find("heif_context_get_primary_image_handle", l.contextGetPrimaryImageHandle);
        shared.find("heif_context_read_from_memory_without_copy",
                    l.contextReadFromMemoryWithoutCopy);
        shared.find("heif_context_set_max_decoding_threads", l.contextSetMaxDecodingThreads);
        shared.find("heif_context_set_maximum_image_size_limit", l.contextSetMaximumImageSizeLimit);
        shared.find("heif_decode_image", l.decodeImage);
        shared.find("heif_decoding_options_alloc", l.decodingOptionsAlloc);
        shared.find("heif_decoding_options_free", l.decodingOptionsFree);
        shared.find("heif_image_get_bits_per_pixel", l.imageGetBitsPerPixel);
        shared.find("heif_image_get_height", l.imageGetHeight);
        shared.find("heif_image_get_plane_readonly", l.imageGetPlaneReadonly);
        shared.find("heif_image_get_width", l.imageGetWidth);
        shared.find("heif_image_handle_get_auxiliary_image_handle",
                    l.imageHandleGetAuxiliaryImageHandle);
        shared.find("heif_image_handle_get_color_profile_type", l.imageHandleGetColorProfileType);
        shared.find("heif_image_handle_get_height", l.imageHandleGetHeight);
        shared.find("heif_image_handle_get_list_of_auxiliary_image_IDs",
                    l.imageHandleGetListOfAuxiliaryImageIds);
        shared.find("heif_image_handle_get_list_of_thumbnail_IDs",
                    l.imageHandleGetListOfThumbnailIds);
        shared.find("heif_image_handle_get_number_of_auxiliary_images",
                    l.imageHandleGetNumberOfAuxiliaryImages);
        shared.find("heif_image_handle_get_number_of_thumbnails",
                    l.imageHandleGetNumberOfThumbnails);
        shared.find("heif_image_handle_get_raw_color_profile", l.imageHandleGetRawColorProfile);
        shared.find("heif_image_handle_get_raw_color_profile_size",
                    l.imageHandleGetRawColorProfileSize);
        shared.find("heif_image_handle_get_thumbnail", l.imageHandleGetThumbnail);
        shared.find("heif_image_handle_get_width", l.imageHandleGetWidth);
        shared.find("heif_image_handle_has_alpha_channel", l.imageHandleHasAlphaChannel);
        shared.find("heif_image_handle_release", l.imageHandleRelease);
        shared.find("heif_image_is_premultiplied_alpha", l.imageIsPremultipliedAlpha);
        shared.find("heif_image_release", l.imageRelease);
        if (!shared.complete())
            return std::nullopt;
        return l;
    }();
    if (!Library)
        throw ImageError("HEIF: " QUORVANE_SONAME_HEIF " is not installed");
    return *Library;
}

// libheif's own largest side.
constexpr double MaxSide = 32768;

struct ContextDeleter {
    void operator()(heif_context* c) const { libheif().contextFree(c); }
};
struct HandleDeleter {
    void operator()(heif_image_handle* h) const { libheif().imageHandleRelease(h); }
};
struct ImageDeleter {
    void operator()(heif_image* i) const { libheif().imageRelease(i); }
};
struct OptionsDeleter {
    void operator()(heif_decoding_options* o) const { libheif().decodingOptionsFree(o); }
};
using Handle = std::unique_ptr<heif_image_handle, HandleDeleter>;

void check(const heif_error& error) {
    if (error.code == heif_error_Ok)
        return;
    const std::string message = std::string("HEIF: ") + (error.message ? error.message : "error");
    // Out of memory, or a picture beyond libheif's own size limits.
    if (error.code == heif_error_Memory_allocation_error)
        throw ImageTooLarge(message);
    throw ImageError(message);
}

// The smallest thumbnail of the picture's shape that still covers the request; none when
// no thumbnail does.
Handle thumbnailCovering(heif_image_handle* primary, const ReducedDecode& request) {
    Handle best;
    if (request.coverWidth <= 0 || request.coverHeight <= 0)
        return best;
    const std::int64_t width = libheif().imageHandleGetWidth(primary);
    const std::int64_t height = libheif().imageHandleGetHeight(primary);
    const int count = libheif().imageHandleGetNumberOfThumbnails(primary);
    if (count <= 0 || width <= 0 || height <= 0)
        return best;
    std::vector<heif_item_id> ids(static_cast<std::size_t>(count));
    const int listed = libheif().imageHandleGetListOfThumbnailIds(primary, ids.data(), count);
    for (int i = 0; i < listed; ++i) {
        heif_image_handle* found = nullptr;
        if (libheif().imageHandleGetThumbnail(primary, ids[std::size_t(i)], &found).code !=
            heif_error_Ok)
            continue;
        Handle thumb(found);
        const std::int64_t w = libheif().imageHandleGetWidth(found);
        const std::int64_t h = libheif().imageHandleGetHeight(found);
        // Of the picture's proportions to within a pixel, turned alike; then large enough.
        const bool shaped = std::abs(w * height - h * width) <= std::max(width, height);
        if (!shaped || w < request.coverWidth || h < request.coverHeight || w > width)
            continue;
        if (!best || w < libheif().imageHandleGetWidth(best.get()))
            best = std::move(thumb);
    }
    return best;
}

// libheif decodes a picture's alpha plane at the size the file gives it, which must be the
// picture's own: a larger one (a few bytes can claim gigabytes) is refused before decoding.
void checkAuxiliaryPictures(const heif_image_handle* source) {
    const int width = libheif().imageHandleGetWidth(source);
    const int height = libheif().imageHandleGetHeight(source);
    const int count = libheif().imageHandleGetNumberOfAuxiliaryImages(
        source, LIBHEIF_AUX_IMAGE_FILTER_OMIT_DEPTH);
    if (count <= 0)
        return;
    std::vector<heif_item_id> ids(static_cast<std::size_t>(count));
    const int listed = libheif().imageHandleGetListOfAuxiliaryImageIds(
        source, LIBHEIF_AUX_IMAGE_FILTER_OMIT_DEPTH, ids.data(), count);
    for (int i = 0; i < listed; ++i) {
        heif_image_handle* found = nullptr;
        check(libheif().imageHandleGetAuxiliaryImageHandle(source, ids[std::size_t(i)], &found));
        const Handle aux(found);
        if (libheif().imageHandleGetWidth(found) > width ||
            libheif().imageHandleGetHeight(found) > height)
            throw ImageError("HEIF: alpha plane larger than its picture");
    }
}

void decode(std::span<const std::uint8_t> data, Bitmap& b, const ReducedDecode* request,
            PictureMeta* meta) {
    const std::unique_ptr<heif_context, ContextDeleter> context(libheif().contextAlloc());
    if (!context)
        throw ImageTooLarge("HEIF: out of memory");
    libheif().contextSetMaxDecodingThreads(context.get(), imaging_detail::decoderThreads());
    // Every picture libheif makes on the way (grid tiles, overlay canvases, alpha planes)
    // is held to sides whose square of 8-bit 4:4:4 samples fits the raster limit; libheif
    // refuses a larger one as a security limit before allocating it.
    libheif().contextSetMaximumImageSizeLimit(
        context.get(),
        static_cast<int>(std::clamp<double>(std::sqrt(double(maxRasterBytes()) / 3), 64, MaxSide)));
    check(libheif().contextReadFromMemoryWithoutCopy(context.get(), data.data(), data.size(),
                                                     nullptr));
    heif_image_handle* found = nullptr;
    check(libheif().contextGetPrimaryImageHandle(context.get(), &found));
    const Handle primary(found);
    const bool alpha = libheif().imageHandleHasAlphaChannel(primary.get()) != 0;
    const int bits = alpha ? 32 : 24;

    Handle thumbnail;
    if (request)
        thumbnail = thumbnailCovering(primary.get(), *request);
    heif_image_handle* source = thumbnail ? thumbnail.get() : primary.get();
    // With alpha where both the picture and the one decoded (maybe its thumbnail) have it.
    const bool sourceAlpha = alpha && libheif().imageHandleHasAlphaChannel(source) != 0;
    const int width = libheif().imageHandleGetWidth(source);
    const int height = libheif().imageHandleGetHeight(source);
    if (width <= 0 || height <= 0)
        throw ImageError("HEIF: picture has no pixels");
    // libheif's own interleaved raster is the size of the bitmap.
    int factor = 1;
    if (request)
        factor = imaging_detail::wholePictureFactor(width, height, bits, bits, *request);
    else
        checkRasterSize(std::uint64_t(width), std::uint64_t(height), bits);

    checkAuxiliaryPictures(source);
    const std::unique_ptr<heif_decoding_options, OptionsDeleter> options(
        libheif().decodingOptionsAlloc());
    if (!options)
        throw ImageTooLarge("HEIF: out of memory");
    options->convert_hdr_to_8bit = 1;
    heif_image* decodedImage = nullptr;
    check(libheif().decodeImage(
        source, &decodedImage, heif_colorspace_RGB,
        sourceAlpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get()));
    const std::unique_ptr<heif_image, ImageDeleter> image(decodedImage);
    int stride = 0;
    const std::uint8_t* plane =
        libheif().imageGetPlaneReadonly(image.get(), heif_channel_interleaved, &stride);
    if (!plane || libheif().imageGetWidth(image.get(), heif_channel_interleaved) != width ||
        libheif().imageGetHeight(image.get(), heif_channel_interleaved) != height ||
        libheif().imageGetBitsPerPixel(image.get(), heif_channel_interleaved) !=
            (sourceAlpha ? 32 : 24) ||
        stride < width * (sourceAlpha ? 4 : 3))
        throw ImageError("HEIF: unexpected picture layout");
    const bool premultiplied = libheif().imageIsPremultipliedAlpha(image.get()) != 0;

    // The primary picture's alpha decides the format: a thumbnail without alpha is opaque.
    imaging_detail::PictureRows rows(width, height, alpha, factor);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = plane + static_cast<std::size_t>(stride) * std::size_t(y);
        if (!alpha) {
            rows.putRgb(y, in);
            continue;
        }
        std::uint8_t* out = rows.row(y);
        if (sourceAlpha) {
            imaging_detail::rgbaToBgra(in, out, width, premultiplied);
        } else {
            for (int x = 0; x < width; ++x) {
                out[4 * x] = in[3 * x + 2];
                out[4 * x + 1] = in[3 * x + 1];
                out[4 * x + 2] = in[3 * x];
                out[4 * x + 3] = 255;
            }
        }
        rows.done(y);
    }
    if (meta) {
        *meta = PictureMeta{};
        const heif_color_profile_type type =
            libheif().imageHandleGetColorProfileType(primary.get());
        if (type == heif_color_profile_type_prof || type == heif_color_profile_type_rICC) {
            std::vector<std::uint8_t> profile(
                libheif().imageHandleGetRawColorProfileSize(primary.get()));
            if (!profile.empty() &&
                libheif().imageHandleGetRawColorProfile(primary.get(), profile.data()).code ==
                    heif_error_Ok)
                meta->iccProfile = std::move(profile);
        }
    }
    b = rows.finish(b);
}

} // namespace

void heifData2Bitmap(std::span<const std::uint8_t> data, Bitmap& b, PictureMeta* meta) {
    decode(data, b, nullptr, meta);
}

void heif2Bitmap(const std::filesystem::path& fileName, Bitmap& b, PictureMeta* meta) {
    const auto bytes = imaging_detail::readPictureFile(fileName);
    decode(bytes, b, nullptr, meta);
}

void heifData2BitmapReduced(std::span<const std::uint8_t> data, Bitmap& b,
                            const ReducedDecode& request, PictureMeta* meta) {
    decode(data, b, &request, meta);
}

void heif2BitmapReduced(const std::filesystem::path& fileName, Bitmap& b,
                        const ReducedDecode& request, PictureMeta* meta) {
    const auto bytes = imaging_detail::readPictureFile(fileName);
    decode(bytes, b, &request, meta);
}
