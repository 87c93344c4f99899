// HEIF decoding with libheif: the primary picture, turned upright by libheif as the file's
// rotation, mirroring and cropping say, converted to 8-bit RGB(A). A reduced decode with a
// cover size takes the file's own thumbnail instead when one of the primary picture's shape
// is at least that size. libheif decodes a picture whole, so its raster must fit the limit
// (checked from the file's boxes first); the rows are then copied into the bitmap or
// averaged into the reducer.
#include "imaging/formatrows.h"
#include "imaging/moreformats.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <libheif/heif.h>

namespace {

// libheif's own largest side.
constexpr double MaxSide = 32768;

struct ContextDeleter {
    void operator()(heif_context* c) const { heif_context_free(c); }
};
struct HandleDeleter {
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct ImageDeleter {
    void operator()(heif_image* i) const { heif_image_release(i); }
};
struct OptionsDeleter {
    void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
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
    const std::int64_t width = heif_image_handle_get_width(primary);
    const std::int64_t height = heif_image_handle_get_height(primary);
    const int count = heif_image_handle_get_number_of_thumbnails(primary);
    if (count <= 0 || width <= 0 || height <= 0)
        return best;
    std::vector<heif_item_id> ids(static_cast<std::size_t>(count));
    const int listed = heif_image_handle_get_list_of_thumbnail_IDs(primary, ids.data(), count);
    for (int i = 0; i < listed; ++i) {
        heif_image_handle* found = nullptr;
        if (heif_image_handle_get_thumbnail(primary, ids[std::size_t(i)], &found).code !=
            heif_error_Ok)
            continue;
        Handle thumb(found);
        const std::int64_t w = heif_image_handle_get_width(found);
        const std::int64_t h = heif_image_handle_get_height(found);
        // Of the picture's proportions to within a pixel, turned alike; then large enough.
        const bool shaped = std::abs(w * height - h * width) <= std::max(width, height);
        if (!shaped || w < request.coverWidth || h < request.coverHeight || w > width)
            continue;
        if (!best || w < heif_image_handle_get_width(best.get()))
            best = std::move(thumb);
    }
    return best;
}

// libheif decodes a picture's alpha plane at the size the file gives it, which must be the
// picture's own: a larger one (a few bytes can claim gigabytes) is refused before decoding.
void checkAuxiliaryPictures(const heif_image_handle* source) {
    const int width = heif_image_handle_get_width(source);
    const int height = heif_image_handle_get_height(source);
    const int count = heif_image_handle_get_number_of_auxiliary_images(
        source, LIBHEIF_AUX_IMAGE_FILTER_OMIT_DEPTH);
    if (count <= 0)
        return;
    std::vector<heif_item_id> ids(static_cast<std::size_t>(count));
    const int listed = heif_image_handle_get_list_of_auxiliary_image_IDs(
        source, LIBHEIF_AUX_IMAGE_FILTER_OMIT_DEPTH, ids.data(), count);
    for (int i = 0; i < listed; ++i) {
        heif_image_handle* found = nullptr;
        check(heif_image_handle_get_auxiliary_image_handle(source, ids[std::size_t(i)], &found));
        const Handle aux(found);
        if (heif_image_handle_get_width(found) > width ||
            heif_image_handle_get_height(found) > height)
            throw ImageError("HEIF: alpha plane larger than its picture");
    }
}

void decode(std::span<const std::uint8_t> data, Bitmap& b, const ReducedDecode* request,
            PictureMeta* meta) {
    const std::unique_ptr<heif_context, ContextDeleter> context(heif_context_alloc());
    if (!context)
        throw ImageTooLarge("HEIF: out of memory");
    heif_context_set_max_decoding_threads(context.get(), imaging_detail::decoderThreads());
    // Every picture libheif makes on the way (grid tiles, overlay canvases, alpha planes)
    // is held to sides whose square of 8-bit 4:4:4 samples fits the raster limit; libheif
    // refuses a larger one as a security limit before allocating it.
    heif_context_set_maximum_image_size_limit(
        context.get(),
        static_cast<int>(std::clamp<double>(std::sqrt(double(maxRasterBytes()) / 3), 64, MaxSide)));
    check(heif_context_read_from_memory_without_copy(context.get(), data.data(), data.size(),
                                                     nullptr));
    heif_image_handle* found = nullptr;
    check(heif_context_get_primary_image_handle(context.get(), &found));
    const Handle primary(found);
    const bool alpha = heif_image_handle_has_alpha_channel(primary.get()) != 0;
    const int bits = alpha ? 32 : 24;

    Handle thumbnail;
    if (request)
        thumbnail = thumbnailCovering(primary.get(), *request);
    heif_image_handle* source = thumbnail ? thumbnail.get() : primary.get();
    // With alpha where both the picture and the one decoded (maybe its thumbnail) have it.
    const bool sourceAlpha = alpha && heif_image_handle_has_alpha_channel(source) != 0;
    const int width = heif_image_handle_get_width(source);
    const int height = heif_image_handle_get_height(source);
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
        heif_decoding_options_alloc());
    if (!options)
        throw ImageTooLarge("HEIF: out of memory");
    options->convert_hdr_to_8bit = 1;
    heif_image* decodedImage = nullptr;
    check(heif_decode_image(
        source, &decodedImage, heif_colorspace_RGB,
        sourceAlpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get()));
    const std::unique_ptr<heif_image, ImageDeleter> image(decodedImage);
    int stride = 0;
    const std::uint8_t* plane =
        heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    if (!plane || heif_image_get_width(image.get(), heif_channel_interleaved) != width ||
        heif_image_get_height(image.get(), heif_channel_interleaved) != height ||
        heif_image_get_bits_per_pixel(image.get(), heif_channel_interleaved) !=
            (sourceAlpha ? 32 : 24) ||
        stride < width * (sourceAlpha ? 4 : 3))
        throw ImageError("HEIF: unexpected picture layout");
    const bool premultiplied = heif_image_is_premultiplied_alpha(image.get()) != 0;

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
            heif_image_handle_get_color_profile_type(primary.get());
        if (type == heif_color_profile_type_prof || type == heif_color_profile_type_rICC) {
            std::vector<std::uint8_t> profile(
                heif_image_handle_get_raw_color_profile_size(primary.get()));
            if (!profile.empty() &&
                heif_image_handle_get_raw_color_profile(primary.get(), profile.data()).code ==
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
