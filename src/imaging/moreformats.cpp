#include "imaging/moreformats.h"

namespace {

#ifdef QUORVANE_HAVE_WEBP
constexpr FormatDecoder Webp{"WebP", webpData2Bitmap, webp2Bitmap, webpData2BitmapReduced,
                             webp2BitmapReduced};
#endif
#ifdef QUORVANE_HAVE_AVIF
constexpr FormatDecoder Avif{"AVIF", avifData2Bitmap, avif2Bitmap, avifData2BitmapReduced,
                             avif2BitmapReduced};
#endif
#ifdef QUORVANE_HAVE_HEIF
constexpr FormatDecoder Heif{"HEIF", heifData2Bitmap, heif2Bitmap, heifData2BitmapReduced,
                             heif2BitmapReduced};
#endif
#ifdef QUORVANE_HAVE_JXL
constexpr FormatDecoder Jxl{"JPEG XL", jxlData2Bitmap, jxl2Bitmap, jxlData2BitmapReduced,
                            jxl2BitmapReduced};
#endif
#ifdef QUORVANE_HAVE_GIF
constexpr FormatDecoder Gif{"GIF", gifData2Bitmap, gif2Bitmap, gifData2BitmapReduced,
                            gif2BitmapReduced};
#endif
#ifdef QUORVANE_HAVE_TIFF
constexpr FormatDecoder Tiff{"TIFF", tiffData2Bitmap, tiff2Bitmap, tiffData2BitmapReduced,
                             tiff2BitmapReduced};
#endif

} // namespace

const FormatDecoder* moreFormatDecoder(PictureFormat format) noexcept {
    switch (format) {
#ifdef QUORVANE_HAVE_WEBP
    case PictureFormat::WebP:
        return &Webp;
#endif
#ifdef QUORVANE_HAVE_AVIF
    case PictureFormat::Avif:
        return &Avif;
#endif
#ifdef QUORVANE_HAVE_HEIF
    case PictureFormat::Heif:
        return &Heif;
#endif
#ifdef QUORVANE_HAVE_JXL
    case PictureFormat::Jxl:
        return &Jxl;
#endif
#ifdef QUORVANE_HAVE_GIF
    case PictureFormat::Gif:
        return &Gif;
#endif
#ifdef QUORVANE_HAVE_TIFF
    case PictureFormat::Tiff:
        return &Tiff;
#endif
    default:
        return nullptr;
    }
}
