// Benchmarks of the picture toolkit, reported as ratios to the bare codec libraries
// measured in the same run:
//   thumbnail path  file2Bitmap + myResizeBitmap onto 197 x 123 + bitmap2Jpeg
//   apply path      file2Bitmap + saveToFile (BMP), in process and as `quorvane-img decode`
//   floor           libjpeg-turbo / libpng full decode into a reused memory buffer
//   djpeg -bmp      the libjpeg-turbo tool writing the same BMP
//   reduce          the screen's box reduction alone, fed rows already decoded
// and the peak memory of the thumbnail path. Pictures are generated on first use into
// the folder given by QUORVANE_BENCH_DIR (default: bench-pictures beside the binary).
#include "imaging/bitmap.h"
#include "imaging/codecs.h"
#include "imaging/resize.h"
#include "imaging/windowaverage.h"
#include "photo.h"
#include "procstatus.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <jpeglib.h>
#include <png.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Picture {
    std::string name;
    int width;
    int height;
    enum Kind { Jpeg, JpegProgressive, JpegGrey, PngRgb, PngRgba } kind;
    bool isJpeg() const { return kind == Jpeg || kind == JpegProgressive || kind == JpegGrey; }
    std::string file() const { return name + (isJpeg() ? ".jpg" : ".png"); }
};

const std::vector<Picture> Pictures = {
    {"jpeg_1920x1080", 1920, 1080, Picture::Jpeg},
    {"jpeg_4000x3000", 4000, 3000, Picture::Jpeg},
    {"jpeg_8000x6000", 8000, 6000, Picture::Jpeg},
    {"jpeg_4000x3000_progressive", 4000, 3000, Picture::JpegProgressive},
    {"jpeg_4000x3000_grey", 4000, 3000, Picture::JpegGrey},
    {"png_rgb_1920x1080", 1920, 1080, Picture::PngRgb},
    {"png_rgba_1920x1080", 1920, 1080, Picture::PngRgba},
    {"png_rgb_4000x3000", 4000, 3000, Picture::PngRgb},
};

void writeJpeg(const Picture& p, const fs::path& file) {
    writePhotoJpeg(file, p.width, p.height, p.kind == Picture::JpegGrey,
                   p.kind == Picture::JpegProgressive);
}

void writePng(const Picture& p, const fs::path& file) {
    std::FILE* f = std::fopen(file.c_str(), "wb");
    if (!f)
        throw std::runtime_error("cannot write " + file.string());
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    const bool alpha = p.kind == Picture::PngRgba;
    png_set_IHDR(png, info, static_cast<png_uint_32>(p.width), static_cast<png_uint_32>(p.height),
                 8, alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    PhotoRows rows(p.width, p.height);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(p.width) * 4);
    for (int y = 0; y < p.height; ++y) {
        rows.row(y, row.data(), alpha ? 4 : 3);
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
}

// The floors: the libraries alone, decoding into a buffer that stays allocated.
void decodeJpegBare(const fs::path& file, std::vector<std::uint8_t>& buffer) {
    std::FILE* f = std::fopen(file.c_str(), "rb");
    jpeg_decompress_struct d{};
    jpeg_error_mgr err{};
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_stdio_src(&d, f);
    jpeg_read_header(&d, TRUE);
    jpeg_start_decompress(&d);
    const std::size_t stride = static_cast<std::size_t>(d.output_width) * d.output_components;
    buffer.resize(stride * d.output_height);
    while (d.output_scanline < d.output_height) {
        JSAMPROW r = buffer.data() + stride * d.output_scanline;
        jpeg_read_scanlines(&d, &r, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    std::fclose(f);
}

void decodePngBare(const fs::path& file, std::vector<std::uint8_t>& buffer) {
    std::FILE* f = std::fopen(file.c_str(), "rb");
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_scale_16(png);
    png_read_update_info(png, info);
    const std::size_t stride = png_get_rowbytes(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    buffer.resize(stride * height);
    for (png_uint_32 y = 0; y < height; ++y)
        png_read_row(png, buffer.data() + stride * y, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
}

// Runs a program to its end; its peak resident memory in KiB goes to maxRssKb.
bool runProcess(const std::vector<std::string>& args, long* maxRssKb = nullptr) {
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return false;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) < 0)
        return false;
    if (maxRssKb)
        *maxRssKb = usage.ru_maxrss;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

fs::path g_folder;

// The thumbnail worker's path: the picture averaged onto the thumbnail as it is decoded.
void thumb(const fs::path& in, const fs::path& out) {
    Bitmap thumb;
    thumb.setPixelFormat(PixelFormat::Bits24);
    thumb.setSizeForOverwrite(197, 123);
    if (file2BitmapAveraged(thumb, in) != DecodeStatus::Ok)
        throw std::runtime_error("cannot decode " + in.string());
    bitmap2Jpeg(thumb, out);
}

void apply(const fs::path& in, const fs::path& out) {
    Bitmap picture;
    if (!file2Bitmap(picture, in))
        throw std::runtime_error("cannot decode " + in.string());
    picture.saveToFile(out);
}

// The box reduction of a picture for the screen, without the decoder: `sw` x `sh` pixels of
// 3 bytes handed over row by row, the rows taken in turn from sixteen of a photograph held
// in memory as the decoder's own buffer would be.
void reduce(int sw, int sh, int w, int h) {
    static std::map<int, std::vector<std::uint8_t>> photos;
    constexpr int Rows = 16;
    std::vector<std::uint8_t>& rows = photos[sw];
    const std::size_t stride = static_cast<std::size_t>(sw) * 3;
    if (rows.empty()) {
        rows.resize(stride * Rows);
        PhotoRows photo(sw, sh);
        for (int y = 0; y < Rows; ++y)
            photo.row(y * (sh / Rows), rows.data() + stride * static_cast<std::size_t>(y), 3);
    }
    imaging_detail::WindowAverager averager(sw, sh, w, h, 3, 3);
    for (int y = 0; y < sh; ++y)
        averager.addRow(rows.data() + stride * static_cast<std::size_t>(y % Rows));
    benchmark::DoNotOptimize(averager.finish());
}

// Median seconds per iteration, by benchmark name.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median")
                medians[r.run_name.function_name] = r.GetAdjustedRealTime() * 1e-9;
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> medians;
};

void Register(const std::string& name, std::function<void()> body) {
    benchmark::RegisterBenchmark(name.c_str(),
                                 [body](benchmark::State& state) {
                                     for (auto _ : state)
                                         body();
                                 })
        ->Unit(benchmark::kNanosecond)
        ->UseRealTime()
        ->MinTime(0.5)
        ->MinWarmUpTime(0.2);
}

void printRatio(const std::map<std::string, double>& m, const std::string& label,
                const std::string& a, const std::string& b, double target) {
    if (!m.count(a) || !m.count(b))
        return;
    const double ratio = m.at(a) / m.at(b);
    std::printf("  %-52s %6.3fx", label.c_str(), ratio);
    if (target > 0)
        std::printf("   target <= %.2f  %s", target, ratio <= target ? "met" : "MISSED");
    std::printf("\n");
}

// Median over `pairs` back-to-back runs of b's time divided by a's, the order alternating:
// slow changes in the machine's load then touch both sides of each ratio alike.
double pairedRatio(const std::function<void()>& a, const std::function<void()>& b, int pairs) {
    using Clock = std::chrono::steady_clock;
    auto time = [](const std::function<void()>& f) {
        const auto start = Clock::now();
        f();
        return std::chrono::duration<double>(Clock::now() - start).count();
    };
    a(); // warm up both
    b();
    std::vector<double> ratios;
    for (int i = 0; i < pairs; ++i) {
        double ta, tb;
        if (i % 2) {
            tb = time(b);
            ta = time(a);
        } else {
            ta = time(a);
            tb = time(b);
        }
        ratios.push_back(tb / ta);
    }
    std::sort(ratios.begin(), ratios.end());
    return ratios[ratios.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--reduced-peak") {
        // A picture over a raster limit of 16 MiB: the thumbnail worker's path (refused,
        // then reduced to no less than the thumbnail and averaged onto it) or the apply's
        // (reduced to the largest size under the limit).
        setMaxRasterBytes(16u << 20);
        const long start = statusKb("VmRSS");
        Bitmap picture;
        if (std::string(argv[2]) == "thumb") {
            Bitmap thumb;
            thumb.setPixelFormat(PixelFormat::Bits24);
            thumb.setSizeForOverwrite(197, 123);
            if (file2BitmapAveraged(thumb, argv[3]) != DecodeStatus::TooLarge ||
                file2BitmapReduced(picture, argv[3], 197, 123) != DecodeStatus::Ok)
                return 1;
            myResizeBitmap(picture, thumb);
            bitmap2Jpeg(thumb, argv[4]);
        } else {
            if (file2BitmapReduced(picture, argv[3]) != DecodeStatus::Ok)
                return 1;
            picture.saveToFile(argv[4]);
        }
        std::printf("%ld %ld %d %d\n", start, statusKb("VmHWM"), picture.width(), picture.height());
        return 0;
    }
    if (argc == 4 && std::string(argv[1]) == "--thumb-peak") {
        const long start = statusKb("VmRSS");
        thumb(argv[2], argv[3]);
        std::printf("%ld %ld\n", start, statusKb("VmHWM"));
        return 0;
    }
    const char* dir = std::getenv("QUORVANE_BENCH_DIR");
    g_folder = dir ? fs::path(dir) : fs::path(argv[0]).parent_path() / "bench-pictures";
    fs::create_directories(g_folder);
    for (const Picture& p : Pictures) {
        const fs::path file = g_folder / p.file();
        if (fs::exists(file))
            continue;
        std::fprintf(stderr, "generating %s\n", file.c_str());
        if (p.isJpeg())
            writeJpeg(p, file);
        else
            writePng(p, file);
    }

    for (const auto& [sw, sh, w, h] :
         {std::array{4000, 3000, 3840, 2880}, std::array{4000, 3000, 1920, 1440},
          std::array{8000, 6000, 3840, 2880}, std::array{8000, 6000, 1920, 1440}})
        Register("reduce/" + std::to_string(sw) + "x" + std::to_string(sh) + "_to_" +
                     std::to_string(w) + "x" + std::to_string(h),
                 [=] { reduce(sw, sh, w, h); });

    static std::vector<std::uint8_t> floorBuffer;
    for (const Picture& p : Pictures) {
        const fs::path in = g_folder / p.file();
        const fs::path thumbOut = g_folder / ("out_" + p.name + ".thumb.jpg");
        const fs::path bmpOut = g_folder / ("out_" + p.name + ".bmp");
        if (p.isJpeg())
            Register("floor/" + p.name, [in] { decodeJpegBare(in, floorBuffer); });
        else
            Register("floor/" + p.name, [in] { decodePngBare(in, floorBuffer); });
        Register("thumb/" + p.name, [in, thumbOut] { thumb(in, thumbOut); });
        Register("apply/" + p.name, [in, bmpOut] { apply(in, bmpOut); });
        if (p.isJpeg()) {
            const std::string out = bmpOut.string() + ".proc.bmp";
            Register("apply_process/" + p.name, [in, out] {
                if (!runProcess({QUORVANE_IMG_TOOL, "decode", in.string(), out}))
                    throw std::runtime_error("quorvane-img failed");
            });
            Register("djpeg_bmp/" + p.name, [in, out] {
                if (!runProcess({"djpeg", "-bmp", "-outfile", out, in.string()}))
                    throw std::runtime_error("djpeg failed");
            });
        }
    }

    benchmark::Initialize(&argc, argv);
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto& m = reporter.medians;
    std::printf("\nRatios (medians of interleaved runs):\n");
    struct Target {
        const char* name;
        double thumb;
    };
    for (const Target& t :
         {Target{"jpeg_1920x1080", 0}, Target{"jpeg_4000x3000", 1.10},
          Target{"jpeg_8000x6000", 1.10}, Target{"jpeg_4000x3000_progressive", 1.10},
          Target{"jpeg_4000x3000_grey", 0}, Target{"png_rgb_1920x1080", 1.10},
          Target{"png_rgba_1920x1080", 1.10}, Target{"png_rgb_4000x3000", 1.10}}) {
        const std::string n = t.name;
        printRatio(m, "thumbnail path / library floor, " + n, "thumb/" + n, "floor/" + n, t.thumb);
    }
    for (const Picture& p : Pictures)
        if (p.isJpeg())
            printRatio(m, "quorvane-img decode / djpeg -bmp, " + p.name, "apply_process/" + p.name,
                       "djpeg_bmp/" + p.name, 1.0);
    for (const Picture& p : Pictures)
        printRatio(m, "apply path in process / library floor, " + p.name, "apply/" + p.name,
                   "floor/" + p.name, 0);

    // The same targets measured as paired ratios.
    const char* pairsText = std::getenv("QUORVANE_BENCH_PAIRS");
    const int pairs = pairsText ? std::max(1, std::atoi(pairsText)) : 9;
    std::printf("\nPaired ratios (median of %d back-to-back pairs):\n", pairs);
    for (const Picture& p : Pictures) {
        const fs::path in = g_folder / p.file();
        const fs::path thumbOut = g_folder / ("out_" + p.name + ".thumb.jpg");
        const bool targeted = !(p.kind == Picture::JpegGrey || (p.isJpeg() && p.width < 4000));
        const double target = targeted ? 1.10 : 0;
        auto floor = [&] {
            if (p.isJpeg())
                decodeJpegBare(in, floorBuffer);
            else
                decodePngBare(in, floorBuffer);
        };
        const double r = pairedRatio(
            floor, [&] { thumb(in, thumbOut); }, pairs);
        std::printf("  %-52s %6.3fx", ("thumbnail path / library floor, " + p.name).c_str(), r);
        if (target > 0)
            std::printf("   target <= %.2f  %s", target, r <= target ? "met" : "MISSED");
        std::printf("\n");
    }
    for (const Picture& p : Pictures) {
        if (!p.isJpeg())
            continue;
        const std::string in = (g_folder / p.file()).string();
        const std::string out = (g_folder / ("out_" + p.name + ".paired.bmp")).string();
        const double r = pairedRatio(
            [&] {
                runProcess({"djpeg", "-bmp", "-outfile", out, in});
            },
            [&] {
                runProcess({QUORVANE_IMG_TOOL, "decode", in, out});
            },
            pairs);
        std::printf("  %-52s %6.3fx   target <= 1.00  %s\n",
                    ("quorvane-img decode / djpeg -bmp, " + p.name).c_str(), r,
                    r <= 1.0 ? "met" : "MISSED");
    }

    // The apply's decode for a 1920x1080 screen: reduced by box averaging as it is decoded,
    // with and without the library's IDCT scaling first; how much faster the scaling is and
    // how near its picture comes to the box average's.
    std::printf("\nDecode for a 1920x1080 screen, IDCT scaling allowed / box average alone "
                "(median of %d pairs):\n",
                pairs);
    for (const Picture& p : Pictures) {
        if (!p.isJpeg() || p.width < 3840 || p.kind == Picture::JpegProgressive)
            continue;
        const fs::path in = g_folder / p.file();
        const auto screen = [&](bool idct) {
            Bitmap b;
            if (file2BitmapForScreen(b, in, ScreenFit{{Rect{0, 0, 1920, 1080}}, idct}) !=
                DecodeStatus::Ok)
                throw std::runtime_error("cannot decode " + in.string());
            return b;
        };
        const double r = pairedRatio([&] { screen(false); }, [&] { screen(true); }, pairs);
        const Bitmap exact = screen(false), scaled = screen(true);
        double squares = 0;
        for (int y = 0; y < exact.height(); ++y)
            for (int x = 0; x < exact.width(); ++x)
                for (int k = 0; k < 3; ++k) {
                    const double d = double((exact.pixel(x, y) >> (8 * k)) & 0xFF) -
                                     double((scaled.pixel(x, y) >> (8 * k)) & 0xFF);
                    squares += d * d;
                }
        const double mse = squares / (double(exact.width()) * exact.height() * 3);
        std::printf("  %-30s %6.3fx   PSNR of the scaled picture against the box %5.1f dB\n",
                    p.name.c_str(), r, mse == 0 ? 99.0 : 10 * std::log10(65025.0 / mse));
    }

    // Peak memory of the thumbnail path, each in a fresh process of this program.
    std::printf("\nPeak memory of the thumbnail path (resident, above the process's start):\n");
    for (const Picture& p : Pictures) {
        const std::string command = std::string(argv[0]) + " --thumb-peak '" +
                                    (g_folder / p.file()).string() + "' '" +
                                    (g_folder / ("out_mem_" + p.name + ".jpg")).string() + "'";
        std::FILE* pipe = popen(command.c_str(), "r");
        long start = 0, peak = 0;
        const bool ok = pipe && std::fscanf(pipe, "%ld %ld", &start, &peak) == 2;
        if (pipe)
            pclose(pipe);
        if (!ok)
            continue;
        const int bpp = p.kind == Picture::JpegGrey ? 8 : p.kind == Picture::PngRgba ? 32 : 24;
        const double raster =
            double((static_cast<std::int64_t>(p.width) * bpp + 31) / 32 * 4) * p.height / 1024;
        const double used = double(peak - start);
        std::printf("  %-30s raster %8.0f KiB  peak %8.0f KiB  = raster %+6.1f%%\n", p.name.c_str(),
                    raster, used, (used / raster - 1) * 100);
    }

    // Peak memory of the reduced decodes of pictures over the raster limit (16 MiB here).
    std::printf("\nPeak memory of pictures over a 16 MiB raster limit (resident, above the "
                "process's start):\n");
    for (const Picture& p : Pictures) {
        if (p.width < 4000 || p.kind == Picture::JpegGrey)
            continue;
        for (const char* path : {"thumb", "apply"}) {
            const std::string command = std::string(argv[0]) + " --reduced-peak " + path + " '" +
                                        (g_folder / p.file()).string() + "' '" +
                                        (g_folder / ("out_reduced_" + p.name)).string() +
                                        (path[0] == 't' ? ".jpg'" : ".bmp'");
            std::FILE* pipe = popen(command.c_str(), "r");
            long start = 0, peak = 0;
            int w = 0, h = 0;
            const bool ok = pipe && std::fscanf(pipe, "%ld %ld %d %d", &start, &peak, &w, &h) == 4;
            if (pipe)
                pclose(pipe);
            if (!ok)
                continue;
            const int bpp = p.kind == Picture::PngRgba ? 32 : 24;
            const double raster =
                double((static_cast<std::int64_t>(p.width) * bpp + 31) / 32 * 4) * p.height / 1024;
            std::printf(
                "  %-30s %-5s full raster %8.0f KiB  reduced to %5d x %-5d  peak %8.0f KiB\n",
                p.name.c_str(), path, raster, w, h, double(peak - start));
        }
    }
    return 0;
}
