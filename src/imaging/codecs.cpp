#include "imaging/codecs.h"

#include "imaging/ascii.h"
#include "imaging/resize.h"

#include <atomic>
#include <new>
#include <string>

namespace {

std::atomic<long> g_decodes{0};
std::atomic<std::uint64_t> g_maxRasterBytes{std::uint64_t(1) << 30};

// The extension from the last dot of the file name, dot included, lower-cased (ASCII).
std::string lowerExtension(const std::filesystem::path& fn) {
    const std::string name = fn.filename().string();
    const auto dot = name.rfind('.');
    if (dot == std::string::npos)
        return {};
    return toLowerAscii(std::string_view(name).substr(dot));
}

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

enum class Decoder { None, Jpeg, Bmp, Png };

// The decoder for a regular file (a symbolic link counts by its target): a folder, a pipe
// or a device is never opened.
Decoder decoderFor(const std::filesystem::path& fn) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(fn, ec))
        return Decoder::None;
    const std::string ext = lowerExtension(fn);
    if (ext == PictureExts[0])
        return Decoder::Jpeg;
    if (ext == PictureExts[1])
        return Decoder::Bmp;
    if (ext == PictureExts[2])
        return Decoder::Png;
    return Decoder::None;
}

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

// The decoder for a picture file, counted as a decode; throws for a file
// that is no picture.
Decoder startDecode(const std::filesystem::path& fn) {
    const Decoder decoder = decoderFor(fn);
    if (decoder == Decoder::None)
        throw ImageError("not a picture file");
    g_decodes.fetch_add(1, std::memory_order_relaxed);
    return decoder;
}

} // namespace

DecodeStatus file2BitmapStatus(Bitmap& b, const std::filesystem::path& fn) noexcept {
    return attempt([&] {
        const Decoder decoder = startDecode(fn);
        if (decoder == Decoder::Jpeg)
            jpeg2Bitmap(fn, b);
        else if (decoder == Decoder::Bmp)
            b.loadFromFile(fn);
        else
            pnG2Bitmap(fn, b);
    });
}

bool file2Bitmap(Bitmap& b, const std::filesystem::path& fn) noexcept {
    return file2BitmapStatus(b, fn) == DecodeStatus::Ok;
}

DecodeStatus file2BitmapAveraged(Bitmap& dest, const std::filesystem::path& fn) noexcept {
    return attempt([&] {
        const Decoder decoder = startDecode(fn);
        if (decoder == Decoder::Jpeg && jpeg2BitmapAveraged(fn, dest))
            return;
        if (decoder == Decoder::Png && pnG2BitmapAveraged(fn, dest))
            return;
        Bitmap picture;
        if (decoder == Decoder::Jpeg)
            jpeg2Bitmap(fn, picture);
        else if (decoder == Decoder::Bmp)
            picture.loadFromFile(fn);
        else
            pnG2Bitmap(fn, picture);
        if (picture.empty())
            throw ImageError("no picture");
        Bitmap averaged(dest);
        myResizeBitmap(picture, averaged);
        dest = std::move(averaged);
    });
}

DecodeStatus file2BitmapReduced(Bitmap& b, const std::filesystem::path& fn, int coverWidth,
                                int coverHeight) noexcept {
    return attempt([&] {
        const Decoder decoder = startDecode(fn);
        const ReducedDecode request{coverWidth, coverHeight};
        if (decoder == Decoder::Jpeg)
            jpeg2BitmapReduced(fn, b, request);
        else if (decoder == Decoder::Bmp)
            bmp2BitmapReduced(fn, b, request);
        else
            pnG2BitmapReduced(fn, b, request);
    });
}
