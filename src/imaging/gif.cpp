// GIF decoding with giflib: the first frame, on the logical screen it is drawn on. The
// screen grows to hold a frame that reaches past it; the part the frame leaves uncovered is
// transparent, as are the frame's pixels of its transparent colour. Rows go straight into
// the bitmap, or into the box reducer of a reduced decode, as giflib hands them out.
#include "imaging/fileio.h"
#include "imaging/formatrows.h"
#include "imaging/libraries.h"
#include "imaging/moreformats.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include <gif_lib.h>

namespace {

// The functions of giflib that the decoder calls.
struct GifLibrary {
    decltype(&::DGifOpen) open = nullptr;
    decltype(&::DGifCloseFile) close = nullptr;
    decltype(&::DGifGetRecordType) getRecordType = nullptr;
    decltype(&::DGifGetExtension) getExtension = nullptr;
    decltype(&::DGifGetExtensionNext) getExtensionNext = nullptr;
    decltype(&::DGifExtensionToGCB) extensionToGcb = nullptr;
    decltype(&::DGifGetImageDesc) getImageDesc = nullptr;
    decltype(&::DGifGetLine) getLine = nullptr;
    decltype(&::GifErrorString) errorString = nullptr;
};

const GifLibrary& giflib() {
    static const std::optional<GifLibrary> Library = []() -> std::optional<GifLibrary> {
        SharedLibrary gif(QUORVANE_SONAME_GIF);
        GifLibrary l;
        gif.find("DGifOpen", l.open);
        gif.find("DGifCloseFile", l.close);
        gif.find("DGifGetRecordType", l.getRecordType);
        gif.find("DGifGetExtension", l.getExtension);
        gif.find("DGifGetExtensionNext", l.getExtensionNext);
        gif.find("DGifExtensionToGCB", l.extensionToGcb);
        gif.find("DGifGetImageDesc", l.getImageDesc);
        gif.find("DGifGetLine", l.getLine);
        gif.find("GifErrorString", l.errorString);
        if (!gif.complete())
            return std::nullopt;
        return l;
    }();
    if (!Library)
        throw ImageError("GIF: " QUORVANE_SONAME_GIF " is not installed");
    return *Library;
}

struct Source {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t pos = 0;
    std::FILE* file = nullptr;
};

int readBytes(GifFileType* gif, GifByteType* out, int count) {
    auto* s = static_cast<Source*>(gif->UserData);
    if (count <= 0)
        return 0;
    if (s->file)
        return static_cast<int>(std::fread(out, 1, static_cast<std::size_t>(count), s->file));
    const std::size_t n = std::min(static_cast<std::size_t>(count), s->size - s->pos);
    if (n == 0)
        return 0;
    std::memcpy(out, s->data + s->pos, n);
    s->pos += n;
    return static_cast<int>(n);
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int ignored = 0;
        giflib().close(gif, &ignored);
    }
};

[[noreturn]] void raise(int error) {
    const char* text = giflib().errorString(error);
    const std::string message = std::string("GIF: ") + (text ? text : "damaged file");
    if (error == D_GIF_ERR_NOT_ENOUGH_MEM)
        throw ImageTooLarge(message);
    throw ImageError(message);
}

// Reads the records before the first picture; its transparent colour index, or -1.
int readUpToFirstPicture(GifFileType* gif) {
    int transparent = -1;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (giflib().getRecordType(gif, &type) == GIF_ERROR)
            raise(gif->Error);
        if (type == IMAGE_DESC_RECORD_TYPE)
            return transparent;
        if (type != EXTENSION_RECORD_TYPE)
            throw ImageError("GIF: no picture in the file");
        int code = 0;
        GifByteType* block = nullptr;
        if (giflib().getExtension(gif, &code, &block) == GIF_ERROR)
            raise(gif->Error);
        if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
            GraphicsControlBlock control{};
            if (giflib().extensionToGcb(block[0], block + 1, &control) == GIF_OK)
                transparent = control.TransparentColor;
        }
        while (block)
            if (giflib().getExtensionNext(gif, &block) == GIF_ERROR)
                raise(gif->Error);
    }
}

// The row of the picture that line `line` of an interlaced frame of `height` rows holds.
int interlacedRow(int line, int height) {
    static constexpr int Start[] = {0, 4, 2, 1};
    static constexpr int Step[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        const int lines =
            height > Start[pass] ? (height - Start[pass] + Step[pass] - 1) / Step[pass] : 0;
        if (line < lines)
            return Start[pass] + line * Step[pass];
        line -= lines;
    }
    return -1;
}

void decode(Source& source, Bitmap& b, const ReducedDecode* request, PictureMeta* meta) {
    int error = 0;
    const std::unique_ptr<GifFileType, GifCloser> gif(giflib().open(&source, readBytes, &error));
    if (!gif)
        raise(error);
    const int transparent = readUpToFirstPicture(gif.get());
    if (giflib().getImageDesc(gif.get()) == GIF_ERROR)
        raise(gif->Error);
    const GifImageDesc& frame = gif->Image;
    if (frame.Width <= 0 || frame.Height <= 0 || frame.Left < 0 || frame.Top < 0)
        throw ImageError("GIF: picture has no pixels");
    const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!map || !map->Colors || map->ColorCount <= 0)
        throw ImageError("GIF: no colour table");
    const int width = std::max(gif->SWidth, frame.Left + frame.Width);
    const int height = std::max(gif->SHeight, frame.Top + frame.Height);
    const bool covers =
        frame.Left == 0 && frame.Top == 0 && frame.Width == width && frame.Height == height;
    const bool alpha = transparent >= 0 || !covers;
    const int channels = alpha ? 4 : 3;
    // Rows out of order (interlaced) or a frame on part of its screen: the reducer keeps
    // sums for the whole picture.
    const bool anyOrder = frame.Interlace || !covers;
    int factor = 1;
    if (request) {
        factor = imaging_detail::reductionFactor(
            std::uint64_t(width), std::uint64_t(height), channels * 8, maxRasterBytes(),
            anyOrder ? std::uint64_t(channels) * 4 : 0, request->coverWidth, request->coverHeight);
        if (factor == 0)
            throw ImageTooLarge("GIF: picture too large to reduce");
    } else {
        checkRasterSize(std::uint64_t(width), std::uint64_t(height), channels * 8);
    }

    // The colour of every index as the rows hold it: blue, green, red (alpha) bytes;
    // indexes past the table are black.
    std::uint8_t colours[256 * 4] = {};
    for (int i = 0; i < 256; ++i) {
        std::uint8_t* c = colours + i * channels;
        if (i < map->ColorCount) {
            c[0] = map->Colors[i].Blue;
            c[1] = map->Colors[i].Green;
            c[2] = map->Colors[i].Red;
        }
        if (alpha)
            c[3] = i == transparent ? 0 : 255;
        if (i == transparent)
            c[0] = c[1] = c[2] = 0;
    }

    imaging_detail::PictureRows rows(width, height, alpha, factor, anyOrder, !covers);
    std::vector<GifPixelType> line(static_cast<std::size_t>(frame.Width));
    for (int i = 0; i < frame.Height; ++i) {
        if (giflib().getLine(gif.get(), line.data(), frame.Width) == GIF_ERROR)
            raise(gif->Error);
        const int y = frame.Interlace ? interlacedRow(i, frame.Height) : i;
        rows.putIndexed(frame.Top + y, frame.Left, line.data(), frame.Width, colours);
    }
    // The rest of the file (further frames) is not read.
    if (meta)
        *meta = PictureMeta{};
    b = rows.finish(b);
}

} // namespace

void gifData2Bitmap(std::span<const std::uint8_t> data, Bitmap& b, PictureMeta* meta) {
    Source source{data.data(), data.size(), 0, nullptr};
    decode(source, b, nullptr, meta);
}

void gif2Bitmap(const std::filesystem::path& fileName, Bitmap& b, PictureMeta* meta) {
    const auto file = imaging_detail::openForRead(fileName);
    Source source{nullptr, 0, 0, file.get()};
    decode(source, b, nullptr, meta);
}

void gifData2BitmapReduced(std::span<const std::uint8_t> data, Bitmap& b,
                           const ReducedDecode& request, PictureMeta* meta) {
    Source source{data.data(), data.size(), 0, nullptr};
    decode(source, b, &request, meta);
}

void gif2BitmapReduced(const std::filesystem::path& fileName, Bitmap& b,
                       const ReducedDecode& request, PictureMeta* meta) {
    const auto file = imaging_detail::openForRead(fileName);
    Source source{nullptr, 0, 0, file.get()};
    decode(source, b, &request, meta);
}
