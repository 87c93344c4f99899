// TIFF decoding with libtiff: the first page, through libtiff's RGBA reader, which covers
// every photometric interpretation, sample layout and compression it knows. The picture is
// read a band of strips or tiles at a time, so that a reduced decode never holds more than
// one band besides its reduced picture. Errors and warnings stay with this decode (no
// message on the console), and no single allocation of libtiff may exceed the raster limit.
#include "imaging/formatrows.h"
#include "imaging/libraries.h"
#include "imaging/moreformats.h"

#include <algorithm>
#include <bit>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include <tiffio.h>

namespace {

// The functions of libtiff that the decoder calls.
struct TiffLibrary {
    decltype(&::TIFFSetErrorHandler) setErrorHandler = nullptr;
    decltype(&::TIFFSetWarningHandler) setWarningHandler = nullptr;
    decltype(&::TIFFOpenOptionsAlloc) openOptionsAlloc = nullptr;
    decltype(&::TIFFOpenOptionsFree) openOptionsFree = nullptr;
    decltype(&::TIFFOpenOptionsSetMaxSingleMemAlloc) openOptionsSetMaxSingleMemAlloc = nullptr;
    decltype(&::TIFFOpenOptionsSetErrorHandlerExtR) openOptionsSetErrorHandlerExtR = nullptr;
    decltype(&::TIFFOpenOptionsSetWarningHandlerExtR) openOptionsSetWarningHandlerExtR = nullptr;
    decltype(&::TIFFOpenExt) openExt = nullptr;
    decltype(&::TIFFClientOpenExt) clientOpenExt = nullptr;
    decltype(&::TIFFClose) close = nullptr;
    decltype(&::TIFFIsTiled) isTiled = nullptr;
    decltype(&::TIFFGetField) getField = nullptr;
    decltype(&::TIFFGetFieldDefaulted) getFieldDefaulted = nullptr;
    decltype(&::TIFFRGBAImageOK) rgbaImageOk = nullptr;
    decltype(&::TIFFRGBAImageBegin) rgbaImageBegin = nullptr;
    decltype(&::TIFFRGBAImageGet) rgbaImageGet = nullptr;
    decltype(&::TIFFRGBAImageEnd) rgbaImageEnd = nullptr;
};

const TiffLibrary& tiff() {
    static const std::optional<TiffLibrary> Library = []() -> std::optional<TiffLibrary> {
        SharedLibrary t(QUORVANE_SONAME_TIFF);
        TiffLibrary l;
        t.find("TIFFSetErrorHandler", l.setErrorHandler);
        t.find("TIFFSetWarningHandler", l.setWarningHandler);
        t.find("TIFFOpenOptionsAlloc", l.openOptionsAlloc);
        t.find("TIFFOpenOptionsFree", l.openOptionsFree);
        t.find("TIFFOpenOptionsSetMaxSingleMemAlloc", l.openOptionsSetMaxSingleMemAlloc);
        t.find("TIFFOpenOptionsSetErrorHandlerExtR", l.openOptionsSetErrorHandlerExtR);
        t.find("TIFFOpenOptionsSetWarningHandlerExtR", l.openOptionsSetWarningHandlerExtR);
        t.find("TIFFOpenExt", l.openExt);
        t.find("TIFFClientOpenExt", l.clientOpenExt);
        t.find("TIFFClose", l.close);
        t.find("TIFFIsTiled", l.isTiled);
        t.find("TIFFGetField", l.getField);
        t.find("TIFFGetFieldDefaulted", l.getFieldDefaulted);
        t.find("TIFFRGBAImageOK", l.rgbaImageOk);
        t.find("TIFFRGBAImageBegin", l.rgbaImageBegin);
        t.find("TIFFRGBAImageGet", l.rgbaImageGet);
        t.find("TIFFRGBAImageEnd", l.rgbaImageEnd);
        if (!t.complete())
            return std::nullopt;
        return l;
    }();
    if (!Library)
        throw ImageError("TIFF: " QUORVANE_SONAME_TIFF " is not installed");
    return *Library;
}

// Aim of a band's size: enough strips or tiles to read each once, few enough to stay small.
constexpr std::uint64_t BandBytes = std::uint64_t(4) << 20;

struct Context {
    char message[256] = {};
    // Bytes in memory, for a decode from data.
    const std::uint8_t* data = nullptr;
    std::uint64_t size = 0;
    std::uint64_t pos = 0;
};

int onError(TIFF*, void* user, const char* module, const char* format, va_list args) {
    auto* c = static_cast<Context*>(user);
    if (c->message[0] == 0) {
        char text[200];
        std::vsnprintf(text, sizeof text, format, args);
        std::snprintf(c->message, sizeof c->message, "TIFF: %s%s%s", module ? module : "",
                      module ? ": " : "", text);
    }
    return 1;
}

int onWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

tmsize_t readMemory(thandle_t handle, void* out, tmsize_t count) {
    auto* c = static_cast<Context*>(handle);
    if (count <= 0 || c->pos >= c->size)
        return 0;
    const std::uint64_t n = std::min<std::uint64_t>(std::uint64_t(count), c->size - c->pos);
    std::memcpy(out, c->data + c->pos, n);
    c->pos += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t writeNothing(thandle_t, void*, tmsize_t) {
    return -1;
}

toff_t seekMemory(thandle_t handle, toff_t offset, int whence) {
    auto* c = static_cast<Context*>(handle);
    std::uint64_t base = 0;
    if (whence == SEEK_CUR)
        base = c->pos;
    else if (whence == SEEK_END)
        base = c->size;
    if (offset > ~std::uint64_t(0) - base)
        return static_cast<toff_t>(-1);
    c->pos = base + offset;
    return c->pos;
}

int closeNothing(thandle_t) {
    return 0;
}

toff_t sizeOfMemory(thandle_t handle) {
    return static_cast<Context*>(handle)->size;
}

int mapNothing(thandle_t, void**, toff_t*) {
    return 0;
}

void unmapNothing(thandle_t, void*, toff_t) {}

struct TiffCloser {
    void operator()(TIFF* tif) const { tiff().close(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

struct OptionsFree {
    void operator()(TIFFOpenOptions* o) const { tiff().openOptionsFree(o); }
};

// Opens the file or the bytes of the context, read-only and without mapping the file.
TiffHandle open(Context& c, const std::filesystem::path* fileName) {
    // The few messages libtiff gives without a file to tie them to would go to the console.
    static std::once_flag silenced;
    std::call_once(silenced, [] {
        tiff().setErrorHandler(nullptr);
        tiff().setWarningHandler(nullptr);
    });
    const std::unique_ptr<TIFFOpenOptions, OptionsFree> options(tiff().openOptionsAlloc());
    if (!options)
        throw ImageTooLarge("TIFF: out of memory");
    tiff().openOptionsSetMaxSingleMemAlloc(
        options.get(),
        static_cast<tmsize_t>(std::min<std::uint64_t>(maxRasterBytes(), PTRDIFF_MAX)));
    tiff().openOptionsSetErrorHandlerExtR(options.get(), onError, &c);
    tiff().openOptionsSetWarningHandlerExtR(options.get(), onWarning, &c);
    TIFF* tif = nullptr;
    if (fileName) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(*fileName, ec))
            throw ImageError("TIFF: cannot open " + fileName->string());
        tif = tiff().openExt(fileName->c_str(), "rm", options.get());
    } else {
        tif = tiff().clientOpenExt("picture", "rm", &c, readMemory, writeNothing, seekMemory,
                                   closeNothing, sizeOfMemory, mapNothing, unmapNothing,
                                   options.get());
    }
    if (!tif)
        throw ImageError(c.message[0] ? c.message : "TIFF: not a TIFF file");
    return TiffHandle(tif);
}

struct RgbaImage {
    TIFFRGBAImage img{};
    bool begun = false;
    ~RgbaImage() {
        if (begun)
            tiff().rgbaImageEnd(&img);
    }
};

// Rows per band: whole strips or rows of tiles, about BandBytes of RGBA raster.
std::uint32_t bandRows(TIFF* tif, std::uint32_t width, std::uint32_t height) {
    std::uint32_t unit = 0;
    if (tiff().isTiled(tif))
        tiff().getField(tif, TIFFTAG_TILELENGTH, &unit);
    else
        tiff().getFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &unit);
    unit = std::clamp<std::uint32_t>(unit, 1, height);
    const std::uint64_t unitBytes = std::uint64_t(width) * 4 * unit;
    if (unitBytes > maxRasterBytes())
        throw ImageTooLarge("TIFF: strips too large to read");
    const std::uint64_t units = std::max<std::uint64_t>(1, BandBytes / unitBytes);
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(units * unit, height));
}

void decode(Context& c, const std::filesystem::path* fileName, Bitmap& b,
            const ReducedDecode* request, PictureMeta* meta) {
    const TiffHandle tif = open(c, fileName);
    char text[1024] = {};
    RgbaImage rgba;
    if (!tiff().rgbaImageOk(tif.get(), text) ||
        !tiff().rgbaImageBegin(&rgba.img, tif.get(), 1, text))
        throw ImageError(std::string("TIFF: ") + (c.message[0] ? c.message : text));
    rgba.begun = true;
    TIFFRGBAImage& img = rgba.img;
    const std::uint32_t width = img.width, height = img.height;
    const bool alpha = img.alpha != 0;
    const int channels = alpha ? 4 : 3;
    const int orientation =
        img.orientation >= ORIENTATION_TOPLEFT && img.orientation <= ORIENTATION_LEFTBOT
            ? img.orientation
            : 1;
    // With a cover size (a thumbnail) the reader's RGBA words are averaged as they come,
    // four channels whatever the picture, and the small result is put in the bitmap's order
    // afterwards; an opaque picture's 24-bit copy is then made beside it.
    const bool cover = request && request->coverWidth > 0 && request->coverHeight > 0 &&
                       std::endian::native == std::endian::little;
    int factor = 1;
    if (request) {
        const ReducedDecode stored = storedRequest(*request, orientation);
        factor = imaging_detail::reductionFactor(width, height, cover && !alpha ? 56 : channels * 8,
                                                 maxRasterBytes(), 0, stored.coverWidth,
                                                 stored.coverHeight);
        if (factor == 0 || width >= (1u << 24) || height >= (1u << 24))
            throw ImageTooLarge("TIFF: picture too large to reduce");
    } else {
        checkRasterSize(width, height, channels * 8);
    }
    const bool words = cover && factor > 1;
    // The rows as stored: the orientation the file gives is left to the caller.
    img.req_orientation = img.orientation;
    const std::uint32_t band = bandRows(tif.get(), width, height);
    std::vector<std::uint32_t> raster(std::size_t(width) * band);
    std::optional<imaging_detail::BoxReducer> reducer;
    std::optional<imaging_detail::PictureRows> rows;
    if (words)
        reducer.emplace(static_cast<int>(width), static_cast<int>(height), factor, 4, false);
    else
        rows.emplace(static_cast<int>(width), static_cast<int>(height), alpha, factor);
    for (std::uint32_t y0 = 0; y0 < height; y0 += band) {
        const std::uint32_t n = std::min(band, height - y0);
        img.row_offset = static_cast<int>(y0);
        img.col_offset = 0;
        if (!tiff().rgbaImageGet(&img, raster.data(), width, n))
            throw ImageError(c.message[0] ? c.message : "TIFF: damaged picture");
        for (std::uint32_t i = 0; i < n; ++i) {
            // Each pixel is a word of red in the low byte, then green, blue and alpha
            // (premultiplied by the reader).
            const std::uint32_t* in = raster.data() + std::size_t(width) * i;
            if (words) {
                reducer->add(static_cast<int>(y0 + i), 0, 1,
                             reinterpret_cast<const std::uint8_t*>(in), static_cast<int>(width));
                continue;
            }
            std::uint8_t* out = rows->row(static_cast<int>(y0 + i));
            for (std::uint32_t x = 0; x < width; ++x, out += channels) {
                const std::uint32_t p = in[x];
                out[0] = static_cast<std::uint8_t>(TIFFGetB(p));
                out[1] = static_cast<std::uint8_t>(TIFFGetG(p));
                out[2] = static_cast<std::uint8_t>(TIFFGetR(p));
                if (alpha)
                    out[3] = static_cast<std::uint8_t>(TIFFGetA(p));
            }
            rows->done(static_cast<int>(y0 + i));
        }
    }
    Bitmap picture;
    if (words) {
        picture = reducer->finish();
        for (int y = 0; y < picture.height(); ++y) {
            std::uint8_t* p = picture.scanLine(y);
            for (int x = 0; x < picture.width(); ++x, p += 4)
                std::swap(p[0], p[2]);
        }
        if (!alpha) {
            picture.setAlphaMode(AlphaMode::Ignored);
            picture.setPixelFormat(PixelFormat::Bits24);
        }
        picture.setBrushColor(b.brushColor());
    } else {
        picture = rows->finish(b);
    }
    if (meta) {
        *meta = PictureMeta{};
        meta->orientation = orientation;
        std::uint32_t size = 0;
        const std::uint8_t* profile = nullptr;
        if (tiff().getField(tif.get(), TIFFTAG_ICCPROFILE, &size, &profile) && profile && size > 0)
            meta->iccProfile.assign(profile, profile + size);
    }
    b = std::move(picture);
}

} // namespace

void tiffData2Bitmap(std::span<const std::uint8_t> data, Bitmap& b, PictureMeta* meta) {
    Context c;
    c.data = data.data();
    c.size = data.size();
    decode(c, nullptr, b, nullptr, meta);
}

void tiff2Bitmap(const std::filesystem::path& fileName, Bitmap& b, PictureMeta* meta) {
    Context c;
    decode(c, &fileName, b, nullptr, meta);
}

void tiffData2BitmapReduced(std::span<const std::uint8_t> data, Bitmap& b,
                            const ReducedDecode& request, PictureMeta* meta) {
    Context c;
    c.data = data.data();
    c.size = data.size();
    decode(c, nullptr, b, &request, meta);
}

void tiff2BitmapReduced(const std::filesystem::path& fileName, Bitmap& b,
                        const ReducedDecode& request, PictureMeta* meta) {
    Context c;
    decode(c, &fileName, b, &request, meta);
}
