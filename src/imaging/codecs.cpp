// The decoder choice: one table of the picture formats, the raster limit, and the decode
// operations that every caller goes through.
#include "imaging/codecs.h"

#include "imaging/ascii.h"
#include "imaging/fileio.h"
#include "imaging/icc.h"
#include "imaging/moreformats.h"
#include "imaging/orient.h"
#include "imaging/resize.h"
#include "imaging/windowaverage.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

std::atomic<long> g_decodes{0};
std::atomic<std::uint64_t> g_maxRasterBytes{std::uint64_t(1) << 30};

} // namespace

std::uint64_t maxRasterBytes() noexcept {
    return g_maxRasterBytes.load(std::memory_order_relaxed);
}

void setMaxRasterBytes(std::uint64_t bytes) noexcept {
    g_maxRasterBytes.store(bytes, std::memory_order_relaxed);
}

void checkRasterSize(std::uint64_t width, std::uint64_t height, int bitsPerPixel) {
    // Each side is kept below 2^24 so that all coordinate arithmetic stays in range.
    constexpr std::uint64_t MaxSide = std::uint64_t(1) << 24;
    if (width == 0 || height == 0)
        throw ImageError("picture has no pixels");
    if (width >= MaxSide || height >= MaxSide)
        throw ImageTooLarge("picture too large");
    const std::uint64_t rowBytes = (width * static_cast<std::uint64_t>(bitsPerPixel) + 31) / 32 * 4;
    if (rowBytes * height > maxRasterBytes())
        throw ImageTooLarge("picture too large");
}

long file2BitmapCount() noexcept {
    return g_decodes.load(std::memory_order_relaxed);
}

namespace {

using Head = std::span<const std::uint8_t>;

bool startsWith(Head head, std::initializer_list<std::uint8_t> signature) {
    return head.size() >= signature.size() &&
           std::equal(signature.begin(), signature.end(), head.begin());
}

// ------------------------------------------------------------------ the signatures

bool isJpeg(Head head) {
    // Start of image, then the marker of the first segment.
    return startsWith(head, {0xFF, 0xD8, 0xFF});
}

bool isPng(Head head) {
    return startsWith(head, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'});
}

bool isBmp(Head head) {
    // "BM" alone starts many a text; the info header's size must be one the reader knows.
    if (!startsWith(head, {'B', 'M'}) || head.size() < 18)
        return false;
    const std::uint32_t headerSize = std::uint32_t(head[14]) | std::uint32_t(head[15]) << 8 |
                                     std::uint32_t(head[16]) << 16 | std::uint32_t(head[17]) << 24;
    return headerSize == 12 || (headerSize >= 40 && headerSize <= 1024);
}

// The four bytes at head[at] are the text `tag`.
bool tagAt(Head head, std::size_t at, std::string_view tag) {
    return head.size() >= at + tag.size() &&
           std::equal(tag.begin(), tag.end(), head.begin() + static_cast<std::ptrdiff_t>(at));
}

// The signatures of the further formats; a build without a format's library has no row
// that uses its signature.
[[maybe_unused]] bool isWebP(Head head) {
    return tagAt(head, 0, "RIFF") && tagAt(head, 8, "WEBP");
}

// True when the file-type box that starts an ISO base media file (HEIF, AVIF) names one of
// the brands, as its major brand or a compatible one.
[[maybe_unused]] bool hasBrand(Head head, std::initializer_list<std::string_view> brands) {
    if (!tagAt(head, 4, "ftyp") || head.size() < 12)
        return false;
    const std::size_t boxSize = std::size_t(head[0]) << 24 | std::size_t(head[1]) << 16 |
                                std::size_t(head[2]) << 8 | head[3];
    const std::size_t end = std::min(boxSize, head.size());
    auto named = [&](std::size_t at) {
        return std::any_of(brands.begin(), brands.end(),
                           [&](std::string_view brand) { return tagAt(head, at, brand); });
    };
    if (named(8))
        return true;
    // The minor version (four bytes) comes between the major brand and the compatible ones.
    for (std::size_t at = 16; at + 4 <= end; at += 4)
        if (named(at))
            return true;
    return false;
}

[[maybe_unused]] bool isAvif(Head head) {
    return hasBrand(head, {"avif", "avis"});
}

// HEIF of HEVC pictures and sequences, and HEIF whose coding only the file itself tells
// (mif1, msf1): libheif finds out.
[[maybe_unused]] bool isHeif(Head head) {
    return hasBrand(
        head, {"heic", "heix", "heim", "heis", "hevc", "hevx", "hevm", "hevs", "mif1", "msf1"});
}

[[maybe_unused]] bool isJxl(Head head) {
    // A bare codestream, or the container's signature box.
    return startsWith(head, {0xFF, 0x0A}) ||
           startsWith(head, {0, 0, 0, 0x0C, 'J', 'X', 'L', ' ', 0x0D, 0x0A, 0x87, 0x0A});
}

[[maybe_unused]] bool isGif(Head head) {
    return tagAt(head, 0, "GIF87a") || tagAt(head, 0, "GIF89a");
}

[[maybe_unused]] bool isTiff(Head head) {
    // Little- and big-endian, classic and BigTIFF.
    return startsWith(head, {'I', 'I', 42, 0}) || startsWith(head, {'M', 'M', 0, 42}) ||
           startsWith(head, {'I', 'I', 43, 0}) || startsWith(head, {'M', 'M', 0, 43});
}

// ------------------------------------------------------------------ the entry points

void jpegFull(const std::filesystem::path& f, Bitmap& b, PictureMeta& meta) {
    jpeg2Bitmap(f, b, &meta);
}
void jpegReduced(const std::filesystem::path& f, Bitmap& b, const ReducedDecode& r,
                 PictureMeta& meta) {
    jpeg2BitmapReduced(f, b, r, &meta);
}
bool jpegAveraged(const std::filesystem::path& f, Bitmap& dest, PictureMeta& meta) {
    return jpeg2BitmapAveraged(f, dest, &meta);
}
bool jpegScreen(const std::filesystem::path& f, Bitmap& b, const ScreenFit& fit,
                PictureMeta& meta) {
    return jpeg2BitmapForScreen(f, b, fit, &meta);
}

void pngFull(const std::filesystem::path& f, Bitmap& b, PictureMeta& meta) {
    pnG2Bitmap(f, b, &meta);
}
void pngReduced(const std::filesystem::path& f, Bitmap& b, const ReducedDecode& r,
                PictureMeta& meta) {
    pnG2BitmapReduced(f, b, r, &meta);
}
bool pngAveraged(const std::filesystem::path& f, Bitmap& dest, PictureMeta& meta) {
    return pnG2BitmapAveraged(f, dest, &meta);
}
bool pngScreen(const std::filesystem::path& f, Bitmap& b, const ScreenFit& fit, PictureMeta& meta) {
    return pnG2BitmapForScreen(f, b, fit, &meta);
}

// BMP carries neither an orientation nor a profile the reader uses.
void bmpFull(const std::filesystem::path& f, Bitmap& b, PictureMeta&) {
    b.loadFromFile(f);
}
void bmpReduced(const std::filesystem::path& f, Bitmap& b, const ReducedDecode& r, PictureMeta&) {
    bmp2BitmapReduced(f, b, r);
}

// The further formats (moreformats.h) in the table's form.
template <PictureFormat F>
void moreFull(const std::filesystem::path& f, Bitmap& b, PictureMeta& meta) {
    moreFormatDecoder(F)->file(f, b, &meta);
}
template <PictureFormat F>
void moreReduced(const std::filesystem::path& f, Bitmap& b, const ReducedDecode& r,
                 PictureMeta& meta) {
    moreFormatDecoder(F)->fileReduced(f, b, r, &meta);
}
// Averaged by way of the reduced decode, which keeps no more than dest's size (scaled by the
// library for WebP, HEIF's own thumbnail where it is large enough, averaged as it is read
// for the others), and is then averaged onto dest's frame.
template <PictureFormat F>
bool moreAveraged(const std::filesystem::path& f, Bitmap& dest, PictureMeta& meta) {
    Bitmap reduced;
    moreFormatDecoder(F)->fileReduced(f, reduced, {dest.width(), dest.height()}, &meta);
    const bool swap = swapsAxes(meta.orientation);
    Bitmap out;
    out.setColorTable(dest.colorTable());
    out.createUninitialized(swap ? dest.height() : dest.width(),
                            swap ? dest.width() : dest.height(), dest.pixelFormat());
    out.setColorTable(dest.colorTable());
    myResizeBitmap(reduced, out);
    out.setBrushColor(dest.brushColor());
    out.setAlphaMode(dest.alphaMode());
    dest = std::move(out);
    return true;
}

// ------------------------------------------------------------------ the format table

// A decode for the screen (see jpeg2BitmapForScreen): true when the picture came reduced.
using ScreenDecoder = bool (*)(const std::filesystem::path& fileName, Bitmap& b,
                               const ScreenFit& fit, PictureMeta& meta);

// One format: how its files are named and recognised, and its decoder's entry points.
struct FormatRow {
    PictureFormatInfo info;
    bool (*matches)(Head head); // the signature test on the file's first bytes
    FullDecoder full;
    ReducedDecoder reduced;
    AveragedDecoder averaged; // none: decoded whole, then averaged
    ScreenDecoder screen;     // none: decoded whole, then reduced for the screen
};

constexpr std::string_view JpegExtensions[] = {".jpg", ".jpeg", ".jpe", ".jfif"};
constexpr std::string_view PngExtensions[] = {".png"};
constexpr std::string_view BmpExtensions[] = {".bmp", ".dib"};
constexpr std::string_view WebPExtensions[] = {".webp"};
constexpr std::string_view AvifExtensions[] = {".avif"};
constexpr std::string_view HeifExtensions[] = {".heic", ".heif"};
constexpr std::string_view JxlExtensions[] = {".jxl"};
constexpr std::string_view GifExtensions[] = {".gif"};
constexpr std::string_view TiffExtensions[] = {".tif", ".tiff"};

// Every format this build decodes. A new format registers here with one row, behind the
// switch its library's CMake check sets, and adds its enumerator to PictureFormat:
//
//   #ifdef QUORVANE_HAVE_WEBP
//       {{PictureFormat::WebP, "WebP", WebPExtensions}, isWebP, webpFull, webpReduced, nullptr,
//        nullptr},
//   #endif
//
// Its extensions, listed with the row, then reach the folder scan, the manager's file
// dialog, quorvane-img and the README's list (which a test holds to this table) only in a
// build that can decode it.
constexpr FormatRow Formats[] = {
    {{PictureFormat::Jpeg, "JPEG", JpegExtensions},
     isJpeg,
     jpegFull,
     jpegReduced,
     jpegAveraged,
     jpegScreen},
    {{PictureFormat::Png, "PNG", PngExtensions},
     isPng,
     pngFull,
     pngReduced,
     pngAveraged,
     pngScreen},
    {{PictureFormat::Bmp, "BMP", BmpExtensions}, isBmp, bmpFull, bmpReduced, nullptr, nullptr},
#ifdef QUORVANE_HAVE_WEBP
    {{PictureFormat::WebP, "WebP", WebPExtensions},
     isWebP,
     moreFull<PictureFormat::WebP>,
     moreReduced<PictureFormat::WebP>,
     moreAveraged<PictureFormat::WebP>,
     nullptr},
#endif
#ifdef QUORVANE_HAVE_AVIF
    // Before HEIF: an AVIF file names the HEIF brands too.
    {{PictureFormat::Avif, "AVIF", AvifExtensions},
     isAvif,
     moreFull<PictureFormat::Avif>,
     moreReduced<PictureFormat::Avif>,
     moreAveraged<PictureFormat::Avif>,
     nullptr},
#endif
#ifdef QUORVANE_HAVE_HEIF
    {{PictureFormat::Heif, "HEIF", HeifExtensions},
     isHeif,
     moreFull<PictureFormat::Heif>,
     moreReduced<PictureFormat::Heif>,
     moreAveraged<PictureFormat::Heif>,
     nullptr},
#endif
#ifdef QUORVANE_HAVE_JXL
    {{PictureFormat::Jxl, "JPEG XL", JxlExtensions},
     isJxl,
     moreFull<PictureFormat::Jxl>,
     moreReduced<PictureFormat::Jxl>,
     moreAveraged<PictureFormat::Jxl>,
     nullptr},
#endif
#ifdef QUORVANE_HAVE_GIF
    {{PictureFormat::Gif, "GIF", GifExtensions},
     isGif,
     moreFull<PictureFormat::Gif>,
     moreReduced<PictureFormat::Gif>,
     moreAveraged<PictureFormat::Gif>,
     nullptr},
#endif
#ifdef QUORVANE_HAVE_TIFF
    {{PictureFormat::Tiff, "TIFF", TiffExtensions},
     isTiff,
     moreFull<PictureFormat::Tiff>,
     moreReduced<PictureFormat::Tiff>,
     moreAveraged<PictureFormat::Tiff>,
     nullptr},
#endif
};

const FormatRow* rowMatching(Head head) {
    for (const FormatRow& row : Formats)
        if (row.matches(head))
            return &row;
    return nullptr;
}

} // namespace

std::span<const PictureFormatInfo> pictureFormats() noexcept {
    static const auto Infos = [] {
        std::vector<PictureFormatInfo> list;
        for (const FormatRow& row : Formats)
            list.push_back(row.info);
        return list;
    }();
    return Infos;
}

std::span<const std::string_view> pictureExtensions() noexcept {
    static const auto Extensions = [] {
        std::vector<std::string_view> list;
        for (const FormatRow& row : Formats)
            list.insert(list.end(), row.info.extensions.begin(), row.info.extensions.end());
        return list;
    }();
    return Extensions;
}

bool isPictureName(std::string_view fileName) noexcept {
    const auto dot = fileName.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    const std::string_view ext = fileName.substr(dot);
    const auto known = pictureExtensions();
    return std::any_of(known.begin(), known.end(),
                       [&](std::string_view e) { return equalIgnoringAsciiCase(ext, e); });
}

std::optional<PictureFormat> sniffPictureFormat(std::span<const std::uint8_t> head) noexcept {
    const FormatRow* row = rowMatching(head.first(std::min(head.size(), SniffBytes)));
    if (!row)
        return std::nullopt;
    return row->info.format;
}

namespace {

template <class Body> DecodeStatus attempt(const Body& body) noexcept {
    try {
        body();
        return DecodeStatus::Ok;
    } catch (const ImageTooLarge&) {
        return DecodeStatus::TooLarge;
    } catch (const std::bad_alloc&) {
        return DecodeStatus::TooLarge;
    } catch (...) {
        return DecodeStatus::Undecodable;
    }
}

// The format of a picture file, counted as a decode: a regular file (a symbolic link
// counts by its target; a folder, a pipe or a device is never opened) with a picture name,
// whose first bytes then decide. Throws for any other file.
const FormatRow& startDecode(const std::filesystem::path& fn) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(fn, ec) || !isPictureName(fn.filename().string()))
        throw ImageError("not a picture file");
    g_decodes.fetch_add(1, std::memory_order_relaxed);
    std::uint8_t head[SniffBytes];
    const auto file = imaging_detail::openForRead(fn);
    const std::size_t got = std::fread(head, 1, sizeof head, file.get());
    const FormatRow* row = rowMatching(Head(head, got));
    if (!row)
        throw ImageError("not a picture of a known kind");
    return *row;
}

// A new, empty bitmap for a decode into target: target changes only once the picture is
// complete. It keeps the target's brush, as a decode straight into the target would.
Bitmap freshLike(const Bitmap& target) {
    Bitmap b;
    b.setBrushColor(target.brushColor());
    return b;
}

// What the decoders left to the table: turning the picture upright, in sRGB colours.
void finishPicture(Bitmap& b, const PictureMeta& meta) {
    convertToSrgb(b, meta.iccProfile);
    orientBitmap(b, meta.orientation);
}

} // namespace

DecodeStatus file2BitmapStatus(Bitmap& b, const std::filesystem::path& fn) noexcept {
    return attempt([&] {
        const FormatRow& format = startDecode(fn);
        PictureMeta meta;
        Bitmap picture = freshLike(b);
        format.full(fn, picture, meta);
        finishPicture(picture, meta);
        b = std::move(picture);
    });
}

bool file2Bitmap(Bitmap& b, const std::filesystem::path& fn) noexcept {
    return file2BitmapStatus(b, fn) == DecodeStatus::Ok;
}

DecodeStatus file2BitmapAveraged(Bitmap& dest, const std::filesystem::path& fn) noexcept {
    return attempt([&] {
        const FormatRow& format = startDecode(fn);
        PictureMeta meta;
        if (format.averaged) {
            // Averaged onto the stored picture's frame (dest's sides swapped for a quarter
            // turn), then turned: averaging commutes with turning and mirroring.
            Bitmap averaged(dest);
            if (format.averaged(fn, averaged, meta)) {
                finishPicture(averaged, meta);
                dest = std::move(averaged);
                return;
            }
        }
        Bitmap picture;
        format.full(fn, picture, meta);
        if (picture.empty())
            throw ImageError("no picture");
        finishPicture(picture, meta);
        Bitmap averaged(dest);
        myResizeBitmap(picture, averaged);
        dest = std::move(averaged);
    });
}

DecodeStatus file2BitmapReduced(Bitmap& b, const std::filesystem::path& fn, int coverWidth,
                                int coverHeight) noexcept {
    return attempt([&] {
        const FormatRow& format = startDecode(fn);
        PictureMeta meta;
        Bitmap picture = freshLike(b);
        format.reduced(fn, picture, ReducedDecode{coverWidth, coverHeight}, meta);
        finishPicture(picture, meta);
        b = std::move(picture);
    });
}

std::optional<std::pair<int, int>> screenCoverSize(int pictureWidth, int pictureHeight,
                                                   const std::vector<Rect>& areas) {
    if (pictureWidth <= 0 || pictureHeight <= 0)
        return std::nullopt;
    const std::int64_t pw = pictureWidth, ph = pictureHeight;
    std::int64_t width = 0, height = 0;
    for (const Rect& area : areas) {
        const std::int64_t aw = area.width(), ah = area.height();
        if (aw <= 0 || ah <= 0)
            continue;
        // Scaled to the area's width, or to its height where that is the tighter side; the
        // other side rounded to the nearest pixel.
        std::int64_t w = aw, h = (2 * ph * aw + pw) / (2 * pw);
        if (aw * ph < ah * pw) {
            h = ah;
            w = (2 * pw * ah + ph) / (2 * ph);
        }
        if (w > width) {
            width = w;
            height = h;
        }
    }
    if (width == 0 || width >= pw || height >= ph)
        return std::nullopt;
    return std::pair{static_cast<int>(width), static_cast<int>(std::max<std::int64_t>(height, 1))};
}

DecodeStatus file2BitmapForScreen(Bitmap& b, const std::filesystem::path& fn,
                                  const ScreenFit& fit) noexcept {
    return attempt([&] {
        const FormatRow& format = startDecode(fn);
        PictureMeta meta;
        Bitmap picture = freshLike(b);
        const bool reduced = format.screen ? format.screen(fn, picture, fit, meta)
                                           : (format.full(fn, picture, meta), false);
        if (picture.empty())
            throw ImageError("no picture");
        finishPicture(picture, meta);
        if (!reduced)
            if (const auto cover = screenCoverSize(picture.width(), picture.height(), fit.areas))
                if (auto smaller =
                        imaging_detail::windowAverage(picture, cover->first, cover->second))
                    picture = std::move(*smaller);
        b = std::move(picture);
    });
}

int pictureOrientation(const std::filesystem::path& fn) noexcept {
    try {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(fn, ec))
            return 1;
        std::uint8_t head[SniffBytes];
        std::size_t got = 0;
        {
            const auto file = imaging_detail::openForRead(fn);
            got = std::fread(head, 1, sizeof head, file.get());
        }
        PictureMeta meta;
        const auto format = sniffPictureFormat(Head(head, got));
        if (format == PictureFormat::Jpeg)
            jpegFileMeta(fn, meta);
        else if (format == PictureFormat::Png)
            pngFileMeta(fn, meta);
        return meta.orientation;
    } catch (...) {
        return 1;
    }
}
