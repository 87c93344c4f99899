// The thumbnail chain over a generated collection of photos of mixed sizes (up to
// 4000 x 3000), as the program runs it: one worker thread for the walk, the hand-over on
// the event loop, the scheduler choosing the next job. It reports
//   first run    pictures per second of the whole chain, against the sum of the same
//                jobs done one after another without the chain (decode, shrink, write:
//                the imaging benchmark's thumbnail path), and the chain's overhead;
//   second run   the time to fill the window of 15 from the cache, and the whole walk
//                (an entry outside the window whose file is cached needs no job);
//   memory       peak resident memory of a second run over the collection and over a
//                collection of many more entries (the same pictures listed again), with
//                the most previews held in memory at once.
// Each run is a fresh process of this program, so that each peak is its own.
//
//   bench_thumbchain [PICTURES [ENTRIES]]      defaults 2000 and 100000
// The pictures are generated once into QUORVANE_BENCH_DIR (default: thumbchain beside
// the binary) and reused.
#include "collection/collection.h"
#include "collection/state.h"
#include "imaging/bitmap.h"
#include "imaging/codecs.h"
#include "imaging/resize.h"
#include "procstatus.h"
#include "thumbs/strip.h"
#include "thumbs/thumbcache.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Size {
    int width;
    int height;
};
constexpr Size Sizes[] = {{640, 480},   {1024, 768},  {1920, 1080}, {2048, 1536},
                          {2592, 1944}, {3264, 2448}, {4000, 3000}};

// A photograph-like picture: smooth fields of light and colour that differ from
// picture to picture, an edge, and sensor grain.
Bitmap photo(int index) {
    const Size s = Sizes[index % std::size(Sizes)];
    Bitmap b;
    b.createUninitialized(s.width, s.height, PixelFormat::Bits24);
    const double phase = index * 0.7;
    std::vector<double> sx(static_cast<std::size_t>(s.width));
    for (int x = 0; x < s.width; ++x)
        sx[x] = std::sin(x * 6.0 / s.width + phase);
    std::uint32_t seed = 2463534242u + static_cast<std::uint32_t>(index);
    for (int y = 0; y < s.height; ++y) {
        const double v = double(y) / s.height;
        const double sy = std::sin(y * 5.0 / s.height - phase);
        std::uint8_t* row = b.scanLine(y);
        for (int x = 0; x < s.width; ++x) {
            seed ^= seed << 13;
            seed ^= seed >> 17;
            seed ^= seed << 5;
            const int grain = static_cast<int>(seed % 23) - 11;
            const double u = double(x) / s.width;
            double r = 110 + 80 * sx[x] * sy + 40 * u;
            double g = 120 + 70 * sy - 30 * v + (index % 5) * 10;
            double bl = 150 + 60 * sx[x] + 50 * v;
            if (u + v < 0.5)
                r *= 0.4, g *= 0.5, bl *= 0.45;
            row[3 * x] = static_cast<std::uint8_t>(std::clamp(bl + grain, 0.0, 255.0));
            row[3 * x + 1] = static_cast<std::uint8_t>(std::clamp(g + grain, 0.0, 255.0));
            row[3 * x + 2] = static_cast<std::uint8_t>(std::clamp(r + grain, 0.0, 255.0));
        }
    }
    return b;
}

fs::path folder(const char* argv0) {
    const char* dir = std::getenv("QUORVANE_BENCH_DIR");
    return dir ? fs::path(dir) : fs::path(argv0).parent_path() / "thumbchain";
}

std::vector<std::string> picturePaths(const fs::path& folder, int count) {
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i)
        paths.push_back((folder / "photos" / ("photo" + std::to_string(i) + ".jpg")).string());
    return paths;
}

void generate(const std::vector<std::string>& paths) {
    fs::create_directories(fs::path(paths.front()).parent_path());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (fs::exists(paths[i]))
            continue;
        if (i % 100 == 0)
            std::fprintf(stderr, "generating photos %zu .. of %zu\n", i, paths.size());
        bitmap2Jpeg(photo(static_cast<int>(i)), paths[i]);
    }
}

// The jobs alone, one after another: seconds.
double bareJobs(const std::vector<std::string>& paths, const fs::path& out) {
    fs::create_directories(out);
    QElapsedTimer t;
    t.start();
    for (std::size_t i = 0; i < paths.size(); ++i) {
        Bitmap picture;
        if (!file2Bitmap(picture, paths[i]))
            std::fprintf(stderr, "cannot decode %s\n", paths[i].c_str());
        Bitmap thumb;
        thumb.setSize(ThumbWidth, ThumbHeight);
        thumb.setPixelFormat(PixelFormat::Bits24);
        myResizeBitmap(picture, thumb);
        bitmap2Jpeg(thumb, out / (std::to_string(i) + ".jpg"));
    }
    return t.nsecsElapsed() * 1e-9;
}

// One run of the chain in this process over `entries` entries (the pictures listed
// again and again); prints "seconds windowSeconds startKb peakKb mostPreviews
// pictureDecodes cacheReads jobSeconds".
int chainRun(int argc, char** argv, const fs::path& data, const std::vector<std::string>& paths,
             int entries) {
    QCoreApplication app(argc, argv);
    ProgramState state;
    Collection collection(state);
    ThumbnailCache cache(state, collection);
    Strip strip(collection);
    const auto& walls = collection.entries();
    state.dataFolder = data.string() + "/";
    fs::create_directories(data / "Thumbnail");
    strip.createBufBitmap();
    strip.createLoadPhoto();
    strip.computePreviewRect();
    QObject::connect(&collection, &Collection::currentChanged, [&] { strip.drawWallSlots(); });
    QObject::connect(&collection, &Collection::previewChanged, [&](std::int32_t i) {
        if (i <= 2)
            strip.drawWallSlots();
    });
    const long startKb = statusKb("VmRSS");
    std::vector<std::string> listed;
    listed.reserve(static_cast<std::size_t>(entries));
    for (int i = 0; i < entries; ++i)
        listed.push_back(paths[static_cast<std::size_t>(i) % paths.size()]);
    collection.add(listed);
    listed = {};

    QElapsedTimer t;
    double windowSeconds = -1;
    std::size_t mostPreviews = 0;
    long jobs = 0;
    auto previews = [&] {
        return static_cast<std::size_t>(std::count_if(
            walls.begin(), walls.end(), [](const WallEntry& w) { return bool(w.preview); }));
    };
    QObject::connect(&cache, &ThumbnailCache::jobStarted, [&](std::int32_t num) {
        // Counting every preview is linear in the collection: sampled on big ones.
        (void)num;
        if (entries <= 5000 || ++jobs % 997 == 0)
            mostPreviews = std::max(mostPreviews, previews());
    });
    // The window of 15 around entry 0 is filled when its entries all hold a preview.
    auto windowFilled = [&] {
        const std::size_t n = std::min<std::size_t>(15, walls.size());
        return std::all_of(walls.begin(), walls.begin() + static_cast<std::ptrdiff_t>(n),
                           [](const WallEntry& w) { return bool(w.preview); });
    };
    const ThumbStats& stats = cache.stats();
    t.start();
    cache.browseArray();
    while (!cache.idle()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (windowSeconds < 0 && windowFilled())
            windowSeconds = t.nsecsElapsed() * 1e-9;
    }
    const double seconds = t.nsecsElapsed() * 1e-9;
    mostPreviews = std::max(mostPreviews, previews());
    std::printf("%.6f %.6f %ld %ld %zu %ld %ld %.6f\n", seconds, windowSeconds, startKb,
                statusKb("VmHWM"), mostPreviews, stats.pictureDecodes.load(),
                stats.cacheReads.load(), stats.jobNanoseconds.load() * 1e-9);
    collection.dropAllPreviews();
    strip.freeStripBitmaps();
    return 0;
}

struct RunResult {
    double seconds = 0, windowSeconds = 0, jobSeconds = 0;
    long startKb = 0, peakKb = 0, pictureDecodes = 0, cacheReads = 0;
    std::size_t mostPreviews = 0;
};

bool runChild(const char* argv0, const char* mode, int pictures, int entries, RunResult& r) {
    std::string command = "'";
    command.append(argv0).append("' ").append(mode);
    command.append(" ").append(std::to_string(pictures));
    command.append(" ").append(std::to_string(entries));
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return false;
    const bool ok = std::fscanf(pipe, "%lf %lf %ld %ld %zu %ld %ld %lf", &r.seconds,
                                &r.windowSeconds, &r.startKb, &r.peakKb, &r.mostPreviews,
                                &r.pictureDecodes, &r.cacheReads, &r.jobSeconds) == 8;
    return pclose(pipe) == 0 && ok;
}

// GNOME's thumbnailer over the same pictures, one process per picture as file managers run
// it: the seconds for all of them, or a negative value when it is not installed or fails.
double gdkThumbnailer(const std::vector<std::string>& paths, const fs::path& scratch) {
    fs::create_directories(scratch);
    const std::string out = (scratch / "t.png").string();
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& picture : paths) {
        const pid_t child = fork();
        if (child < 0)
            return -1;
        if (child == 0) {
            const char* args[] = {"gdk-pixbuf-thumbnailer", "-s",        "197",
                                  picture.c_str(),          out.c_str(), nullptr};
            execvp(args[0], const_cast<char* const*>(args));
            _exit(127);
        }
        int status = 0;
        if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            return -1;
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void printMemory(const char* label, const RunResult& r, int entries) {
    std::printf("  %-34s %7d entries  peak %7ld KiB  (%+7ld KiB over the start)  previews held "
                "at most %zu\n",
                label, entries, r.peakKb, r.peakKb - r.startKb, r.mostPreviews);
}

} // namespace

int main(int argc, char** argv) {
    const fs::path dataFolder = folder(argv[0]);
    // Child processes: --first / --second PICTURES ENTRIES.
    if (argc == 4 && argv[1][0] == '-') {
        const std::string mode = argv[1];
        const int pictures = std::atoi(argv[2]);
        const int entries = std::atoi(argv[3]);
        const fs::path data = dataFolder / "data";
        if (mode == "--first")
            fs::remove_all(data);
        return chainRun(argc, argv, data, picturePaths(dataFolder, pictures), entries);
    }
    const int pictures = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    const int entries = argc > 2 ? std::max(1, std::atoi(argv[2])) : 100000;
    const auto paths = picturePaths(dataFolder, pictures);
    generate(paths);

    std::printf("Thumbnail chain over %d generated photos (%dx%d .. %dx%d)\n", pictures,
                Sizes[0].width, Sizes[0].height, Sizes[std::size(Sizes) - 1].width,
                Sizes[std::size(Sizes) - 1].height);
    // The jobs alone and the chain, alternately, so that a change in the machine's load
    // touches both; the fastest round of each counts.
    const char* roundsText = std::getenv("QUORVANE_BENCH_ROUNDS");
    const int rounds = roundsText ? std::max(1, std::atoi(roundsText)) : 2;
    double bare = 1e300;
    double gdk = 1e300;
    RunResult first;
    first.seconds = 1e300;
    for (int round = 0; round < rounds; ++round) {
        bare = std::min(bare, bareJobs(paths, dataFolder / "bare"));
        if (const double g = gdkThumbnailer(paths, dataFolder / "gdk"); g > 0)
            gdk = std::min(gdk, g);
        RunResult r;
        if (!runChild(argv[0], "--first", pictures, pictures, r)) {
            std::fprintf(stderr, "a chain run failed\n");
            return 1;
        }
        if (r.seconds < first.seconds)
            first = r;
    }
    RunResult second, many;
    if (!runChild(argv[0], "--second", pictures, pictures, second) ||
        !runChild(argv[0], "--second", pictures, entries, many)) {
        std::fprintf(stderr, "a chain run failed\n");
        return 1;
    }

    std::printf("\nFirst run (every picture decoded, shrunk and written), best of %d:\n", rounds);
    std::printf("  jobs alone, one after another     %8.2f s  %7.1f pictures/s  %6.2f ms each\n",
                bare, pictures / bare, bare * 1e3 / pictures);
    std::printf("  the chain                         %8.2f s  %7.1f pictures/s  (%ld pictures "
                "decoded)\n",
                first.seconds, pictures / first.seconds, first.pictureDecodes);
    std::printf("  its jobs, inside the worker       %8.2f s\n", first.jobSeconds);
    if (gdk < 1e300) {
        const double ratio = gdk / first.seconds;
        std::printf("  gdk-pixbuf-thumbnailer            %8.2f s  %7.1f pictures/s  the chain "
                    "%.2fx its rate   target >= 1.6x  %s\n",
                    gdk, pictures / gdk, ratio, ratio >= 1.6 ? "met" : "MISSED");
    } else {
        std::printf("  gdk-pixbuf-thumbnailer            not installed (Debian package "
                    "libgdk-pixbuf2.0-bin)\n");
    }
    const double own = (first.seconds / first.jobSeconds - 1) * 100;
    std::printf("  chain over the sum of its own jobs      %+7.2f %%\n", own);
    const double overhead = (first.seconds / bare - 1) * 100;
    std::printf("  chain over the same jobs done alone     %+7.2f %%   target < 5 %%  %s\n",
                overhead, overhead < 5 ? "met" : "MISSED");
    std::printf("\nSecond run (everything from the cache):\n");
    std::printf("  window of 15 filled after         %8.1f ms\n", second.windowSeconds * 1e3);
    std::printf("  whole collection walked in        %8.2f s  (%ld pictures decoded, %ld cached "
                "files read)\n",
                second.seconds, second.pictureDecodes, second.cacheReads);
    std::printf("\nPeak resident memory (each run in a fresh process):\n");
    printMemory("first run (full decodes)", first, pictures);
    printMemory("collection", second, pictures);
    printMemory("the pictures listed again", many, entries);
    std::printf("  a preview is %d x %d x 3 bytes = %.0f KiB; %d entries' previews would be %.0f "
                "MiB\n",
                ThumbWidth, ThumbHeight, ThumbWidth * ThumbHeight * 3 / 1024.0, entries,
                double(entries) * ThumbWidth * ThumbHeight * 3 / (1024.0 * 1024.0));
    std::printf("  bounded by the window (at most 16 previews)  %s\n",
                std::max(second.mostPreviews, many.mostPreviews) <= 16 ? "met" : "MISSED");
    return 0;
}
