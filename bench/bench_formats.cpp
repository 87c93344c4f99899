// Benchmarks of the further formats: for each, the thumbnail path (file2BitmapAveraged onto
// 197 x 123, as the thumbnail worker calls it) against the format library's own full decode
// of the same file, called directly in this process with the same number of threads, as the
// median of back-to-back pairs. A HEIC file carrying its own thumbnail is measured too.
// Pictures are made on first use with the formats' command-line encoders from a
// photograph-like PNG, in QUORVANE_BENCH_DIR (default: bench-pictures beside the binary).
//   bench_formats [PAIRS [NAME]]      default 9 pairs; NAME picks the cases whose name has it
#include "imaging/bitmap.h"
#include "imaging/codecs.h"
#include "imaging/formatrows.h"
#include "photo.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <png.h>
#include <spawn.h>
#include <sys/wait.h>

#ifdef QUORVANE_HAVE_WEBP
#include <webp/decode.h>
#endif
#ifdef QUORVANE_HAVE_AVIF
#include <avif/avif.h>
#endif
#ifdef QUORVANE_HAVE_HEIF
#include <libheif/heif.h>
#endif
#ifdef QUORVANE_HAVE_JXL
#include <jxl/decode.h>
#include <jxl/thread_parallel_runner.h>
#endif
#ifdef QUORVANE_HAVE_GIF
#include <gif_lib.h>
#endif
#ifdef QUORVANE_HAVE_TIFF
#include <tiffio.h>
#endif

extern char** environ;

namespace {

namespace fs = std::filesystem;

using Bytes = std::vector<std::uint8_t>;

constexpr int Width = 4000;
constexpr int Height = 3000;

// Runs a program to its end, its output discarded; true when it succeeded.
bool run(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return rc == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

void writePhotoPng(const fs::path& file, int width, int height) {
    std::FILE* f = std::fopen(file.c_str(), "wb");
    if (!f)
        throw std::runtime_error("cannot write " + file.string());
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_compression_level(png, 1);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    PhotoRows rows(width, height);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
        rows.row(y, row.data(), 3);
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
}

Bytes readAll(const fs::path& file) {
    std::FILE* f = std::fopen(file.c_str(), "rb");
    if (!f)
        throw std::runtime_error("cannot read " + file.string());
    Bytes bytes(fs::file_size(file));
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    if (got != bytes.size())
        throw std::runtime_error("cannot read " + file.string());
    return bytes;
}

// The libraries' own full decodes, into a buffer that stays allocated where they allow it.
std::vector<std::uint8_t> g_buffer;

#ifdef QUORVANE_HAVE_WEBP
void webpFloor(const fs::path& file) {
    const Bytes bytes = readAll(file);
    WebPDecoderConfig config;
    WebPInitDecoderConfig(&config);
    WebPGetFeatures(bytes.data(), bytes.size(), &config.input);
    const int w = config.input.width, h = config.input.height;
    g_buffer.resize(std::size_t(w) * h * 3);
    config.options.use_threads = imaging_detail::decoderThreads() > 1;
    config.output.colorspace = MODE_RGB;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = g_buffer.data();
    config.output.u.RGBA.stride = w * 3;
    config.output.u.RGBA.size = g_buffer.size();
    if (WebPDecode(bytes.data(), bytes.size(), &config) != VP8_STATUS_OK)
        throw std::runtime_error("WebP decode failed");
}
#endif

#ifdef QUORVANE_HAVE_AVIF
void avifFloor(const fs::path& file) {
    const Bytes bytes = readAll(file);
    avifDecoder* decoder = avifDecoderCreate();
    decoder->maxThreads = imaging_detail::decoderThreads();
    if (avifDecoderSetIOMemory(decoder, bytes.data(), bytes.size()) != AVIF_RESULT_OK ||
        avifDecoderParse(decoder) != AVIF_RESULT_OK ||
        avifDecoderNextImage(decoder) != AVIF_RESULT_OK)
        throw std::runtime_error("AVIF decode failed");
    avifRGBImage rgb;
    avifRGBImageSetDefaults(&rgb, decoder->image);
    rgb.format = AVIF_RGB_FORMAT_RGB;
    rgb.depth = 8;
    g_buffer.resize(std::size_t(rgb.width) * rgb.height * 3);
    rgb.pixels = g_buffer.data();
    rgb.rowBytes = rgb.width * 3;
    if (avifImageYUVToRGB(decoder->image, &rgb) != AVIF_RESULT_OK)
        throw std::runtime_error("AVIF conversion failed");
    avifDecoderDestroy(decoder);
}
#endif

#ifdef QUORVANE_HAVE_HEIF
void heifFloor(const fs::path& file) {
    const Bytes bytes = readAll(file);
    heif_context* context = heif_context_alloc();
    heif_context_set_max_decoding_threads(context, imaging_detail::decoderThreads());
    heif_image_handle* handle = nullptr;
    heif_image* image = nullptr;
    if (heif_context_read_from_memory_without_copy(context, bytes.data(), bytes.size(), nullptr)
                .code != heif_error_Ok ||
        heif_context_get_primary_image_handle(context, &handle).code != heif_error_Ok ||
        heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr)
                .code != heif_error_Ok)
        throw std::runtime_error("HEIF decode failed");
    heif_image_release(image);
    heif_image_handle_release(handle);
    heif_context_free(context);
}
#endif

#ifdef QUORVANE_HAVE_JXL
void jxlFloor(const fs::path& file) {
    const Bytes bytes = readAll(file);
    JxlDecoder* decoder = JxlDecoderCreate(nullptr);
    void* runner = JxlThreadParallelRunnerCreate(
        nullptr, static_cast<std::size_t>(imaging_detail::decoderThreads()));
    JxlDecoderSubscribeEvents(decoder, JXL_DEC_BASIC_INFO | JXL_DEC_FULL_IMAGE);
    JxlDecoderSetParallelRunner(decoder, JxlThreadParallelRunner, runner);
    JxlDecoderSetInput(decoder, bytes.data(), bytes.size());
    JxlDecoderCloseInput(decoder);
    const JxlPixelFormat format{3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    for (;;) {
        const JxlDecoderStatus status = JxlDecoderProcessInput(decoder);
        if (status == JXL_DEC_NEED_IMAGE_OUT_BUFFER) {
            std::size_t size = 0;
            JxlDecoderImageOutBufferSize(decoder, &format, &size);
            g_buffer.resize(size);
            JxlDecoderSetImageOutBuffer(decoder, &format, g_buffer.data(), size);
        } else if (status == JXL_DEC_FULL_IMAGE) {
            break;
        } else if (status != JXL_DEC_BASIC_INFO) {
            throw std::runtime_error("JPEG XL decode failed");
        }
    }
    JxlThreadParallelRunnerDestroy(runner);
    JxlDecoderDestroy(decoder);
}
#endif

#ifdef QUORVANE_HAVE_GIF
// giflib decodes to colour indexes; the picture is those looked up in the colour table, as
// giflib's own gif2rgb does.
void gifFloor(const fs::path& file) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(file.c_str(), &error);
    if (!gif || DGifSlurp(gif) != GIF_OK || gif->ImageCount < 1)
        throw std::runtime_error("GIF decode failed");
    const SavedImage& image = gif->SavedImages[0];
    const ColorMapObject* map =
        image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
    const std::size_t pixels = std::size_t(image.ImageDesc.Width) * image.ImageDesc.Height;
    g_buffer.resize(pixels * 3);
    for (std::size_t i = 0; i < pixels; ++i) {
        const GifColorType& c = map->Colors[image.RasterBits[i]];
        g_buffer[3 * i] = c.Red;
        g_buffer[3 * i + 1] = c.Green;
        g_buffer[3 * i + 2] = c.Blue;
    }
    DGifCloseFile(gif, &error);
}
#endif

#ifdef QUORVANE_HAVE_TIFF
void tiffFloor(const fs::path& file) {
    TIFF* tif = TIFFOpen(file.c_str(), "rm");
    std::uint32_t w = 0, h = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    g_buffer.resize(std::size_t(w) * h * 4);
    if (!TIFFReadRGBAImageOriented(tif, w, h, reinterpret_cast<std::uint32_t*>(g_buffer.data()),
                                   ORIENTATION_TOPLEFT, 1))
        throw std::runtime_error("TIFF decode failed");
    TIFFClose(tif);
}
#endif

struct Case {
    const char* name;
    const char* file;
    std::vector<std::string> encode; // the encoder's arguments, "IN" and "OUT" replaced
    void (*floor)(const fs::path&);
    double target; // the ratio the thumbnail path must keep, thumbnail / floor
};

std::vector<Case> cases() {
    std::vector<Case> list;
#ifdef QUORVANE_HAVE_WEBP
    list.push_back(
        {"webp_4000x3000", "photo.webp", {"cwebp", "-q", "90", "IN", "-o", "OUT"}, webpFloor, 1.2});
#endif
#ifdef QUORVANE_HAVE_AVIF
    list.push_back({"avif_4000x3000",
                    "photo.avif",
                    {"avifenc", "-s", "8", "-j", "2", "--min", "8", "--max", "16", "IN", "OUT"},
                    avifFloor,
                    1.2});
#endif
#ifdef QUORVANE_HAVE_HEIF
    list.push_back({"heic_4000x3000",
                    "photo.heic",
                    {"heif-enc", "-q", "90", "IN", "-o", "OUT"},
                    heifFloor,
                    1.2});
    list.push_back({"heic_4000x3000_thumbnail",
                    "photo-thumb.heic",
                    {"heif-enc", "-q", "90", "-t", "320", "IN", "-o", "OUT"},
                    heifFloor,
                    0.2});
#endif
#ifdef QUORVANE_HAVE_JXL
    list.push_back(
        {"jxl_4000x3000", "photo.jxl", {"cjxl", "IN", "OUT", "-d", "1", "-e", "3"}, jxlFloor, 1.2});
#endif
#ifdef QUORVANE_HAVE_GIF
    list.push_back({"gif_4000x3000", "photo.gif", {"convert", "IN", "OUT"}, gifFloor, 1.2});
#endif
#ifdef QUORVANE_HAVE_TIFF
    list.push_back({"tiff_4000x3000_lzw",
                    "photo.tif",
                    {"convert", "IN", "-compress", "lzw", "OUT"},
                    tiffFloor,
                    1.2});
#endif
    return list;
}

void thumbnailPath(const fs::path& file) {
    Bitmap thumb;
    thumb.setPixelFormat(PixelFormat::Bits24);
    thumb.setSizeForOverwrite(197, 123);
    if (file2BitmapAveraged(thumb, file) != DecodeStatus::Ok)
        throw std::runtime_error("cannot decode " + file.string());
}

double seconds(const std::function<void()>& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int pairs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    const std::string only = argc > 2 ? argv[2] : "";
    const char* dir = std::getenv("QUORVANE_BENCH_DIR");
    const fs::path folder =
        dir ? fs::path(dir) : fs::path(argv[0]).parent_path() / "bench-pictures";
    fs::create_directories(folder);
    const fs::path source = folder / "formats-source.png";
    if (!fs::exists(source)) {
        std::fprintf(stderr, "generating %s\n", source.c_str());
        writePhotoPng(source, Width, Height);
    }
    std::printf("Thumbnail path (averaged onto 197 x 123) / the library's own full decode, "
                "%d threads, median of %d pairs:\n",
                imaging_detail::decoderThreads(), pairs);
    for (const Case& c : cases()) {
        if (std::string(c.name).find(only) == std::string::npos)
            continue;
        const fs::path file = folder / c.file;
        if (!fs::exists(file)) {
            std::vector<std::string> args = c.encode;
            for (std::string& a : args)
                a = a == "IN" ? source.string() : a == "OUT" ? file.string() : a;
            std::fprintf(stderr, "generating %s with %s\n", file.c_str(), args[0].c_str());
            if (!run(args)) {
                std::printf("  %-28s skipped: %s could not make it\n", c.name, args[0].c_str());
                continue;
            }
        }
        c.floor(file); // warm both up
        thumbnailPath(file);
        std::vector<double> floors, thumbs, ratios;
        for (int i = 0; i < pairs; ++i) {
            double tf, tt;
            if (i % 2) {
                tt = seconds([&] { thumbnailPath(file); });
                tf = seconds([&] { c.floor(file); });
            } else {
                tf = seconds([&] { c.floor(file); });
                tt = seconds([&] { thumbnailPath(file); });
            }
            floors.push_back(tf);
            thumbs.push_back(tt);
            ratios.push_back(tt / tf);
        }
        const double r = median(ratios);
        std::printf("  %-28s library %8.1f ms  thumbnail %8.1f ms  %6.3fx   target <= %.2f  %s\n",
                    c.name, median(floors) * 1e3, median(thumbs) * 1e3, r, c.target,
                    r <= c.target ? "met" : "MISSED");
    }
    return 0;
}
