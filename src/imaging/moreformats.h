// The picture formats beyond JPEG, PNG and BMP, each decoded by its own library: WebP,
// AVIF, HEIF, JPEG XL, GIF and TIFF. A format whose library was not found at build time is
// left out (moreFormatDecoder gives none for it).
//
// Every decoder keeps the contract of the JPEG and PNG ones (codecs.h): the input is
// hostile, a picture beyond the raster limit is refused before its raster is allocated
// (ImageTooLarge), anything damaged, cut short or not of the format throws ImageError, and
// the bitmap is only replaced on success. Pictures come out as 24 bits, or 32 bits with
// premultiplied alpha when the file has an alpha channel or transparency; animations show
// their first frame, multi-page files their first page.
//
// The reduced decode keeps at least the cover size of the request where one is given and
// fits the raster limit: WebP scales while it decodes; AVIF, HEIF and JPEG XL are decoded
// whole by their libraries (so their own raster must fit the limit) and area-averaged down;
// GIF and TIFF are area-averaged row by row as they are read. HEIF uses the file's own
// thumbnail when it is at least the cover size.
//
// Orientation: libheif and libjxl turn their pictures upright themselves (the orientation
// reported stays 1); WebP's Exif chunk, AVIF's rotation and mirroring boxes (which libavif
// leaves to its caller) and TIFF's orientation tag are reported for the caller to apply.
// The embedded colour profile is reported where the format carries one (all but GIF).
#pragma once

#include "imaging/bitmap.h"
#include "imaging/codecs.h"
#include "imaging/picturemeta.h"

#include <cstdint>
#include <filesystem>
#include <span>

// The entry points of one format, for callers that know the format (the tests, the fuzz
// targets and the benchmarks): whole pictures and reduced ones, from bytes in memory or from
// a file. Like the format table's decoders they decode the picture as it is stored and
// report in meta (which may be null) what the file carries besides; a reduced decode's
// cover size is that of the upright picture.
struct FormatDecoder {
    const char* name;
    void (*data)(std::span<const std::uint8_t> data, Bitmap& b, PictureMeta* meta);
    void (*file)(const std::filesystem::path& fileName, Bitmap& b, PictureMeta* meta);
    void (*dataReduced)(std::span<const std::uint8_t> data, Bitmap& b, const ReducedDecode& request,
                        PictureMeta* meta);
    void (*fileReduced)(const std::filesystem::path& fileName, Bitmap& b,
                        const ReducedDecode& request, PictureMeta* meta);
};

/// The decoder of one of the formats above, or null for any other format and for one this
/// build was made without.
const FormatDecoder* moreFormatDecoder(PictureFormat format) noexcept;

#ifdef QUORVANE_HAVE_WEBP
void webpData2Bitmap(std::span<const std::uint8_t> data, Bitmap& b, PictureMeta* meta = nullptr);
void webp2Bitmap(const std::filesystem::path& fileName, Bitmap& b, PictureMeta* meta = nullptr);
void webpData2BitmapReduced(std::span<const std::uint8_t> data, Bitmap& b,
                            const ReducedDecode& request, PictureMeta* meta = nullptr);
void webp2BitmapReduced(const std::filesystem::path& fileName, Bitmap& b,
                        const ReducedDecode& request, PictureMeta* meta = nullptr);
#endif

#ifdef QUORVANE_HAVE_AVIF
void avifData2Bitmap(std::span<const std::uint8_t> data, Bitmap& b, PictureMeta* meta = nullptr);
void avif2Bitmap(const std::filesystem::path& fileName, Bitmap& b, PictureMeta* meta = nullptr);
void avifData2BitmapReduced(std::span<const std::uint8_t> data, Bitmap& b,
                            const ReducedDecode& request, PictureMeta* meta = nullptr);
void avif2BitmapReduced(const std::filesystem::path& fileName, Bitmap& b,
                        const ReducedDecode& request, PictureMeta* meta = nullptr);
#endif

#ifdef QUORVANE_HAVE_HEIF
void heifData2Bitmap(std::span<const std::uint8_t> data, Bitmap& b, PictureMeta* meta = nullptr);
void heif2Bitmap(const std::filesystem::path& fileName, Bitmap& b, PictureMeta* meta = nullptr);
void heifData2BitmapReduced(std::span<const std::uint8_t> data, Bitmap& b,
                            const ReducedDecode& request, PictureMeta* meta = nullptr);
void heif2BitmapReduced(const std::filesystem::path& fileName, Bitmap& b,
                        const ReducedDecode& request, PictureMeta* meta = nullptr);
#endif

#ifdef QUORVANE_HAVE_JXL
void jxlData2Bitmap(std::span<const std::uint8_t> data, Bitmap& b, PictureMeta* meta = nullptr);
void jxl2Bitmap(const std::filesystem::path& fileName, Bitmap& b, PictureMeta* meta = nullptr);
void jxlData2BitmapReduced(std::span<const std::uint8_t> data, Bitmap& b,
                           const ReducedDecode& request, PictureMeta* meta = nullptr);
void jxl2BitmapReduced(const std::filesystem::path& fileName, Bitmap& b,
                       const ReducedDecode& request, PictureMeta* meta = nullptr);
#endif

#ifdef QUORVANE_HAVE_GIF
void gifData2Bitmap(std::span<const std::uint8_t> data, Bitmap& b, PictureMeta* meta = nullptr);
void gif2Bitmap(const std::filesystem::path& fileName, Bitmap& b, PictureMeta* meta = nullptr);
void gifData2BitmapReduced(std::span<const std::uint8_t> data, Bitmap& b,
                           const ReducedDecode& request, PictureMeta* meta = nullptr);
void gif2BitmapReduced(const std::filesystem::path& fileName, Bitmap& b,
                       const ReducedDecode& request, PictureMeta* meta = nullptr);
#endif

#ifdef QUORVANE_HAVE_TIFF
void tiffData2Bitmap(std::span<const std::uint8_t> data, Bitmap& b, PictureMeta* meta = nullptr);
void tiff2Bitmap(const std::filesystem::path& fileName, Bitmap& b, PictureMeta* meta = nullptr);
void tiffData2BitmapReduced(std::span<const std::uint8_t> data, Bitmap& b,
                            const ReducedDecode& request, PictureMeta* meta = nullptr);
void tiff2BitmapReduced(const std::filesystem::path& fileName, Bitmap& b,
                        const ReducedDecode& request, PictureMeta* meta = nullptr);
#endif
