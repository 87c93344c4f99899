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
#pragma once

#include "imaging/bitmap.h"
#include "imaging/codecs.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

enum class MoreFormat { Webp, Avif, Heif, Jxl, Gif, Tiff };

// What a decoder reads besides the pixels, for its caller to apply.
struct FormatMeta {
    // Exif orientation (1 to 8) that the pixels still need; 1 when the library applied the
    // file's own rotation and mirroring itself.
    int orientation = 1;
    // The file's Exif block (a TIFF header and its directories), when it carries one whose
    // orientation applies to the pixels (WebP).
    std::vector<std::uint8_t> exif;
    // The embedded colour profile, empty for none.
    std::vector<std::uint8_t> icc;
};

// The entry points of one format: whole pictures and reduced ones, from bytes in memory or
// from a file. meta may be null.
struct FormatDecoder {
    const char* name;
    void (*data)(std::span<const std::uint8_t> data, Bitmap& b, FormatMeta* meta);
    void (*file)(const std::filesystem::path& fileName, Bitmap& b, FormatMeta* meta);
    void (*dataReduced)(std::span<const std::uint8_t> data, Bitmap& b, const ReducedDecode& request,
                        FormatMeta* meta);
    void (*fileReduced)(const std::filesystem::path& fileName, Bitmap& b,
                        const ReducedDecode& request, FormatMeta* meta);
};

/// The decoder of a format, or null when the program was built without its library.
const FormatDecoder* moreFormatDecoder(MoreFormat format) noexcept;

#ifdef QUORVANE_HAVE_WEBP
void webpData2Bitmap(std::span<const std::uint8_t> data, Bitmap& b, FormatMeta* meta);
void webp2Bitmap(const std::filesystem::path& fileName, Bitmap& b, FormatMeta* meta);
void webpData2BitmapReduced(std::span<const std::uint8_t> data, Bitmap& b,
                            const ReducedDecode& request, FormatMeta* meta);
void webp2BitmapReduced(const std::filesystem::path& fileName, Bitmap& b,
                        const ReducedDecode& request, FormatMeta* meta);
#endif

#ifdef QUORVANE_HAVE_AVIF
void avifData2Bitmap(std::span<const std::uint8_t> data, Bitmap& b, FormatMeta* meta);
void avif2Bitmap(const std::filesystem::path& fileName, Bitmap& b, FormatMeta* meta);
void avifData2BitmapReduced(std::span<const std::uint8_t> data, Bitmap& b,
                            const ReducedDecode& request, FormatMeta* meta);
void avif2BitmapReduced(const std::filesystem::path& fileName, Bitmap& b,
                        const ReducedDecode& request, FormatMeta* meta);
#endif

#ifdef QUORVANE_HAVE_HEIF
void heifData2Bitmap(std::span<const std::uint8_t> data, Bitmap& b, FormatMeta* meta);
void heif2Bitmap(const std::filesystem::path& fileName, Bitmap& b, FormatMeta* meta);
void heifData2BitmapReduced(std::span<const std::uint8_t> data, Bitmap& b,
                            const ReducedDecode& request, FormatMeta* meta);
void heif2BitmapReduced(const std::filesystem::path& fileName, Bitmap& b,
                        const ReducedDecode& request, FormatMeta* meta);
#endif

#ifdef QUORVANE_HAVE_JXL
void jxlData2Bitmap(std::span<const std::uint8_t> data, Bitmap& b, FormatMeta* meta);
void jxl2Bitmap(const std::filesystem::path& fileName, Bitmap& b, FormatMeta* meta);
void jxlData2BitmapReduced(std::span<const std::uint8_t> data, Bitmap& b,
                           const ReducedDecode& request, FormatMeta* meta);
void jxl2BitmapReduced(const std::filesystem::path& fileName, Bitmap& b,
                       const ReducedDecode& request, FormatMeta* meta);
#endif

#ifdef QUORVANE_HAVE_GIF
void gifData2Bitmap(std::span<const std::uint8_t> data, Bitmap& b, FormatMeta* meta);
void gif2Bitmap(const std::filesystem::path& fileName, Bitmap& b, FormatMeta* meta);
void gifData2BitmapReduced(std::span<const std::uint8_t> data, Bitmap& b,
                           const ReducedDecode& request, FormatMeta* meta);
void gif2BitmapReduced(const std::filesystem::path& fileName, Bitmap& b,
                       const ReducedDecode& request, FormatMeta* meta);
#endif

#ifdef QUORVANE_HAVE_TIFF
void tiffData2Bitmap(std::span<const std::uint8_t> data, Bitmap& b, FormatMeta* meta);
void tiff2Bitmap(const std::filesystem::path& fileName, Bitmap& b, FormatMeta* meta);
void tiffData2BitmapReduced(std::span<const std::uint8_t> data, Bitmap& b,
                            const ReducedDecode& request, FormatMeta* meta);
void tiff2BitmapReduced(const std::filesystem::path& fileName, Bitmap& b,
                        const ReducedDecode& request, FormatMeta* meta);
#endif
