// Loading a big list file at start-up (loadWall): a generated list.txt of LINES lines
// (default 1,000,000), 98 % naming existing pictures spread over folders of 1000, 1 %
// naming pictures gone from a folder that is there, 1 % in a folder that is not there (kept
// aside for a later start). The pictures are hard links of one small file, made once into
// QUORVANE_BENCH_DIR (default: listload beside this program) and reused. Each round loads
// the list into a fresh state; the median of the rounds is printed against the target.
//   bench_listload [LINES [ROUNDS]]      defaults 1000000 and 5
#include "collection/state.h"
#include "collection/walls.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <time.h>

namespace fs = std::filesystem;

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

// A data folder of its own for each length of the list.
fs::path dataFolder(const fs::path& folder, int lines) {
    return folder / ("data-" + std::to_string(lines));
}

std::string picturePath(const fs::path& folder, int i) {
    return (folder / "pics" / ("d" + std::to_string(i / 1000)) / ("p" + std::to_string(i) + ".jpg"))
        .string();
}

// The list file, and the pictures it names that exist.
void generate(const fs::path& folder, int lines) {
    const fs::path data = dataFolder(folder, lines);
    const fs::path done = folder / ("generated-" + std::to_string(lines));
    if (fs::exists(done))
        return;
    fs::create_directories(data);
    std::string text;
    text.reserve(static_cast<std::size_t>(lines) * 64);
    for (int i = 0; i < lines; ++i) {
        std::string path;
        if (i % 100 == 37) {
            path = (folder / "unplugged" / ("d" + std::to_string(i / 1000)) /
                    ("p" + std::to_string(i) + ".jpg"))
                       .string();
        } else {
            path = picturePath(folder, i);
            if (i % 100 != 71 && !fs::exists(path)) {
                if (i % 1000 == 0) {
                    fs::create_directories(fs::path(path).parent_path());
                    if (i % 100000 == 0)
                        std::fprintf(stderr, "linking pictures %d .. of %d\n", i, lines);
                }
                // A file takes some tens of thousands of links at most.
                const fs::path original =
                    folder / ("original" + std::to_string(i / 50000) + ".jpg");
                if (!fs::exists(original))
                    std::ofstream(original, std::ios::binary) << std::string(4096, 'x');
                fs::create_hard_link(original, path);
            }
        }
        text += path;
        text += "\r\n";
    }
    std::ofstream(data / "list.txt", std::ios::binary | std::ios::trunc) << text;
    std::ofstream(done) << "the list file and its pictures are made\n";
}

} // namespace

int main(int argc, char** argv) {
    const int lines = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000000;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const char* dir = std::getenv("QUORVANE_BENCH_DIR");
    const fs::path folder =
        fs::absolute(dir ? fs::path(dir) : fs::path(argv[0]).parent_path() / "listload");
    generate(folder, lines);

    std::vector<double> load, loadCpu, parse;
    std::size_t entries = 0, aside = 0;
    for (int r = 0; r < rounds; ++r) {
        ProgramState state;
        state.dataFolder = dataFolder(folder, lines).string() + "/";
        QElapsedTimer t;
        const double cpuBefore = cpuSeconds();
        t.start();
        const WallList list = readWallList(state);
        load.push_back(t.nsecsElapsed() * 1e-9);
        loadCpu.push_back(cpuSeconds() - cpuBefore);
        entries = list.paths.size();
        aside = list.unavailable.size();

        std::ifstream in(dataFolder(folder, lines) / "list.txt", std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>()};
        t.start();
        const auto paths = parseListText(bytes);
        parse.push_back(t.nsecsElapsed() * 1e-9);
        if (paths.size() != std::size_t(lines))
            std::fprintf(stderr, "parsed %zu lines of %d\n", paths.size(), lines);
    }
    const double seconds = median(load);
    std::printf("Loading a list file of %d lines (median of %d rounds):\n", lines, rounds);
    std::printf("  %zu entries, %zu lines kept aside (folder not there), %zu dropped\n", entries,
                aside, std::size_t(lines) - entries - aside);
    std::printf("  cutting the text into lines          %8.3f s\n", median(parse));
    std::printf("  LoadWall, the whole load             %8.3f s   %6.2f us a line   target < 2 s  "
                "%s\n",
                seconds, seconds * 1e6 / lines, seconds < 2 ? "met" : "MISSED");
    std::printf("  its CPU time (user and system)       %8.3f s\n", median(loadCpu));
    return seconds < 2 ? 0 : 1;
}
