#include "imaging/codecs.h"

#include "imaging/ascii.h"

#include <atomic>
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
        throw ImageError("picture too large");
    const std::uint64_t rowBytes = (width * static_cast<std::uint64_t>(bitsPerPixel) + 31) / 32 * 4;
    if (rowBytes * height > MaxRasterBytes())
        throw ImageError("picture too large");
}

long File2BitmapCount() noexcept {
    return g_decodes.load(std::memory_order_relaxed);
}

bool File2Bitmap(Bitmap& b, const std::filesystem::path& fn) noexcept {
    try {
        // Only regular files (a symbolic link counts by its target): a folder, a pipe or a
        // device is never opened.
        std::error_code ec;
        if (!std::filesystem::is_regular_file(fn, ec))
            return false;
        const std::string ext = LowerExtension(fn);
        if (ext == PictureExts[0]) {
            g_decodes.fetch_add(1, std::memory_order_relaxed);
            Jpeg2Bitmap(fn, b);
        } else if (ext == PictureExts[1]) {
            g_decodes.fetch_add(1, std::memory_order_relaxed);
            b.LoadFromFile(fn);
        } else if (ext == PictureExts[2]) {
            g_decodes.fetch_add(1, std::memory_order_relaxed);
            PNG2Bitmap(fn, b);
        } else {
            return false;
        }
        return true;
    } catch (...) {
        return false;
    }
}
