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
std::string LowerExtension(const std::filesystem::path& fn) {
    const std::string name = fn.filename().string();
    const auto dot = name.rfind('.');
    if (dot == std::string::npos)
        return {};
    return ToLowerAscii(std::string_view(name).substr(dot));
}

} // namespace

std::uint64_t MaxRasterBytes() noexcept {
    return g_maxRasterBytes.load(std::memory_order_relaxed);
}

void SetMaxRasterBytes(std::uint64_t bytes) noexcept {
    g_maxRasterBytes.store(bytes, std::memory_order_relaxed);
}

void CheckRasterSize(std::uint64_t width, std::uint64_t height, int bitsPerPixel) {
    // Each side is kept below 2^24 so that all coordinate arithmetic stays in range.
    constexpr std::uint64_t kMaxSide = std::uint64_t(1) << 24;
    if (width == 0 || height == 0)
        throw ImageError("picture has no pixels");
    if (width >= kMaxSide || height >= kMaxSide)
        throw ImageTooLarge("picture too large");
    const std::uint64_t rowBytes = (width * static_cast<std::uint64_t>(bitsPerPixel) + 31) / 32 * 4;
    if (rowBytes * height > MaxRasterBytes())
        throw ImageTooLarge("picture too large");
}

long File2BitmapCount() noexcept {
    return g_decodes.load(std::memory_order_relaxed);
}

namespace {

enum class Decoder { None, Jpeg, Bmp, Png };

// The decoder for a regular file (a symbolic link counts by its target): a folder, a pipe
// or a device is never opened.
Decoder DecoderFor(const std::filesystem::path& fn) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(fn, ec))
        return Decoder::None;
    const std::string ext = LowerExtension(fn);
    if (ext == PictureExts[0])
        return Decoder::Jpeg;
    if (ext == PictureExts[1])
        return Decoder::Bmp;
    if (ext == PictureExts[2])
        return Decoder::Png;
    return Decoder::None;
}

template <class Body> DecodeStatus Attempt(const Body& body) noexcept {
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
Decoder StartDecode(const std::filesystem::path& fn) {
    const Decoder decoder = DecoderFor(fn);
    if (decoder == Decoder::None)
        throw ImageError("not a picture file");
    g_decodes.fetch_add(1, std::memory_order_relaxed);
    return decoder;
}

} // namespace

DecodeStatus File2BitmapStatus(Bitmap& b, const std::filesystem::path& fn) noexcept {
    return Attempt([&] {
        const Decoder decoder = StartDecode(fn);
        if (decoder == Decoder::Jpeg)
            Jpeg2Bitmap(fn, b);
        else if (decoder == Decoder::Bmp)
            b.LoadFromFile(fn);
        else
            PNG2Bitmap(fn, b);
    });
}

bool File2Bitmap(Bitmap& b, const std::filesystem::path& fn) noexcept {
    return File2BitmapStatus(b, fn) == DecodeStatus::Ok;
}

DecodeStatus File2BitmapAveraged(Bitmap& dest, const std::filesystem::path& fn) noexcept {
    return Attempt([&] {
        const Decoder decoder = StartDecode(fn);
        if (decoder == Decoder::Jpeg && Jpeg2BitmapAveraged(fn, dest))
            return;
        if (decoder == Decoder::Png && PNG2BitmapAveraged(fn, dest))
            return;
        Bitmap picture;
        if (decoder == Decoder::Jpeg)
            Jpeg2Bitmap(fn, picture);
        else if (decoder == Decoder::Bmp)
            picture.LoadFromFile(fn);
        else
            PNG2Bitmap(fn, picture);
        if (picture.empty())
            throw ImageError("no picture");
        Bitmap averaged(dest);
        MyResizeBitmap(picture, averaged);
        dest = std::move(averaged);
    });
}

DecodeStatus File2BitmapReduced(Bitmap& b, const std::filesystem::path& fn, int coverWidth,
                                int coverHeight) noexcept {
    return Attempt([&] {
        const Decoder decoder = StartDecode(fn);
        const ReducedDecode request{coverWidth, coverHeight};
        if (decoder == Decoder::Jpeg)
            Jpeg2BitmapReduced(fn, b, request);
        else if (decoder == Decoder::Bmp)
            Bmp2BitmapReduced(fn, b, request);
        else
            PNG2BitmapReduced(fn, b, request);
    });
}
