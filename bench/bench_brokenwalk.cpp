// The thumbnail walk over a collection in which many pictures cannot be decoded: each
// leaves the collection and the list file as the walk meets it. A generated collection of
// BROKEN damaged files listed among GOOD small pictures (every other entry broken while
// both last), walked as the program walks it: one worker, the hand-overs and removals on
// the event loop. It reports the walk's time, how often the list file was replaced (each
// atomic write is a rename onto list.txt, counted by inotify), the cost of a broken
// picture over the walk of the good ones alone, and whether the list file ends right.
// Each walk starts from an empty data folder; the best of the rounds counts.
//   bench_brokenwalk [BROKEN [GOOD]]      defaults 2000 and 2000
// The files are generated once into QUORVANE_BENCH_DIR (default: brokenwalk beside the
// binary) and reused; QUORVANE_BENCH_ROUNDS sets the rounds (default 2).
#include "collection/collection.h"
#include "collection/state.h"
#include "collection/walls.h"
#include "imaging/bitmap.h"
#include "support/replacements.h"
#include "thumbs/strip.h"
#include "thumbs/thumbcache.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

fs::path folder(const char* argv0) {
    const char* dir = std::getenv("QUORVANE_BENCH_DIR");
    return dir ? fs::path(dir) : fs::path(argv0).parent_path() / "brokenwalk";
}

struct Pictures {
    std::vector<std::string> all;  ///< in list order
    std::vector<std::string> good; ///< the decodable ones, in list order
};

// Broken and good files, alternating while both last.
Pictures generate(const fs::path& folder, int broken, int good) {
    fs::create_directories(folder / "pics");
    Pictures c;
    int b = 0;
    int g = 0;
    while (b < broken || g < good) {
        const bool takeGood = g < good && (b >= broken || (b + g) % 2 == 0);
        const std::string path = (folder / "pics" /
                                  (takeGood ? "good" + std::to_string(g++) + ".bmp"
                                            : "broken" + std::to_string(b++) + ".jpg"))
                                     .string();
        c.all.push_back(path);
        if (takeGood)
            c.good.push_back(path);
        if (fs::exists(path))
            continue;
        if (takeGood) {
            Bitmap p;
            p.setPixelFormat(PixelFormat::Bits24);
            p.setBrushColor(0x3060A0u + static_cast<std::uint32_t>(g) * 0x010203u);
            p.setSize(64, 48);
            p.saveToFile(path);
        } else {
            // A JPEG whose data stops after its start marker.
            std::ofstream(path, std::ios::binary) << "\xFF\xD8\xFF\xE0 damaged";
        }
    }
    return c;
}

struct WalkResult {
    double seconds = 0;
    int rewrites = 0;
    bool right = false;
};

// One walk over `paths` from an empty data folder.
WalkResult walk(const fs::path& data, const std::vector<std::string>& paths,
                const std::vector<std::string>& expected) {
    std::error_code ec;
    fs::remove_all(data, ec);
    fs::create_directories(data / "Thumbnail");
    ProgramState state;
    state.dataFolder = data.string() + "/";
    Collection collection(state);
    ThumbnailCache cache(state, collection);
    writeWallList(state, paths);
    collection.loadWall();

    WalkResult r;
    ReplacementCounter rewrites(listFileName(state));
    QElapsedTimer t;
    t.start();
    cache.browseArray();
    while (!cache.idle())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    r.seconds = t.nsecsElapsed() * 1e-9;
    r.rewrites = rewrites.count();
    std::ifstream in(listFileName(state), std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    r.right = parseListText(std::move(bytes)) == expected && collection.paths() == expected;
    collection.dropAllPreviews();
    return r;
}

WalkResult best(int rounds, const fs::path& data, const std::vector<std::string>& paths,
                const std::vector<std::string>& expected) {
    WalkResult best;
    best.seconds = 1e300;
    for (int round = 0; round < rounds; ++round) {
        const WalkResult r = walk(data, paths, expected);
        if (r.seconds < best.seconds)
            best = r;
        if (!r.right)
            best.right = false;
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const fs::path dataFolder = folder(argv[0]);
    const int broken = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    const int good = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2000;
    const char* roundsText = std::getenv("QUORVANE_BENCH_ROUNDS");
    const int rounds = roundsText ? std::max(1, std::atoi(roundsText)) : 2;
    const Pictures c = generate(dataFolder, broken, good);

    std::printf("Thumbnail walk over %d damaged pictures among %d good ones (64 x 48), best of "
                "%d\n",
                broken, good, rounds);
    const WalkResult alone = best(rounds, dataFolder / "data", c.good, c.good);
    const WalkResult mixed = best(rounds, dataFolder / "data", c.all, c.good);
    std::printf("  the good pictures alone          %8.2f s   list rewritten %5d times\n",
                alone.seconds, alone.rewrites);
    std::printf("  with the damaged ones            %8.2f s   list rewritten %5d times\n",
                mixed.seconds, mixed.rewrites);
    std::printf("  each damaged picture costs       %8.2f ms  (its removal included)\n",
                (mixed.seconds - alone.seconds) * 1e3 / broken);
    const bool bounded = mixed.rewrites >= 1 && mixed.rewrites <= mixed.seconds + 2;
    std::printf("  at most one rewrite a second and one at the end  %s\n",
                bounded ? "met" : "MISSED");
    std::printf("  the list file ends with the good pictures only   %s\n",
                mixed.right && alone.right ? "met" : "MISSED");
    return mixed.right && alone.right ? 0 : 1;
}
