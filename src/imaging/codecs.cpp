// The decoder choice: one table of the picture formats, the raster limit, and the decode
// operations that every caller goes through.
#include "imaging/codecs.h"

#include "imaging/ascii.h"
#include "imaging/fileio.h"
#include "imaging/orient.h"
#include "imaging/resize.h"

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

// BMP carries neither an orientation nor a profile the reader uses.
void bmpFull(const std::filesystem::path& f, Bitmap& b, PictureMeta&) {
    b.loadFromFile(f);
}
void bmpReduced(const std::filesystem::path& f, Bitmap& b, const ReducedDecode& r, PictureMeta&) {
    bmp2BitmapReduced(f, b, r);
}

// ------------------------------------------------------------------ the format table

// One format: how its files are named and recognised, and its decoder's entry points.
struct FormatRow {
    PictureFormatInfo info;
    bool (*matches)(Head head); // the signature test on the file's first bytes
    FullDecoder full;
    ReducedDecoder reduced;
    AveragedDecoder averaged; // none: decoded whole, then averaged
};

constexpr std::string_view JpegExtensions[] = {".jpg", ".jpeg", ".jpe", ".jfif"};
constexpr std::string_view PngExtensions[] = {".png"};
constexpr std::string_view BmpExtensions[] = {".bmp", ".dib"};

// Every format this build decodes. A new format registers here with one row, behind the
// switch its library's CMake check sets, and adds its enumerator to PictureFormat:
//
//   #ifdef QUORVANE_HAVE_WEBP
//       {{PictureFormat::WebP, "WebP", WebPExtensions}, isWebP, webpFull, webpReduced, nullptr},
//   #endif
//
// Its extensions, listed with the row, then reach the folder scan, the manager's file
// dialog, quorvane-img and the README's list (which a test holds to this table) only in a
// build that can decode it.
constexpr FormatRow Formats[] = {
    {{PictureFormat::Jpeg, "JPEG", JpegExtensions}, isJpeg, jpegFull, jpegReduced, jpegAveraged},
    {{PictureFormat::Png, "PNG", PngExtensions}, isPng, pngFull, pngReduced, pngAveraged},
    {{PictureFormat::Bmp, "BMP", BmpExtensions}, isBmp, bmpFull, bmpReduced, nullptr},
    // New formats: their rows go here.
};

const FormatRow* rowMatching(Head head) {
    for (const FormatRow& row : Formats)
        if (row.matches(head))
            return &row;
    return nullptr;
}

} // namespace

std::span<const PictureFormatInfo> pictureFormats() noexcept {
    static const auto infos = [] {
        std::vector<PictureFormatInfo> list;
        for (const FormatRow& row : Formats)
            list.push_back(row.info);
        return list;
    }();
    return infos;
}

std::span<const std::string_view> pictureExtensions() noexcept {
    static const auto extensions = [] {
        std::vector<std::string_view> list;
        for (const FormatRow& row : Formats)
            list.insert(list.end(), row.info.extensions.begin(), row.info.extensions.end());
        return list;
    }();
    return extensions;
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

// What the decoders left to the table: turning the picture upright.
void finishPicture(Bitmap& b, const PictureMeta& meta) {
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
