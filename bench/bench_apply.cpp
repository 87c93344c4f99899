// Applying a picture as the wallpaper, against the tools people use: the program's apply
// (quorvane-apply-once, which calls Collection::setWallpaper), `feh --bg-fill` and `xwallpaper
// --zoom`, each a process of its own on a private Xvfb of 1920x1080x24. The latency of a run
// is the time from starting the process to the root window's _XROOTPMAP_ID changing; its
// memory the process's peak resident size. Rounds alternate the order of the tools; medians
// and ratios are printed at the end.
//   bench_apply QUORVANE_APPLY_ONCE [ROUNDS]
// QUORVANE_BENCH_DIR: folder for the generated pictures (default: bench-pictures beside
// this program); QUORVANE_BENCH_DISPLAY: the display to start Xvfb on (default :131).
#include "photo.h"
#include "xsession.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace xsession;

struct Run {
    double latencyMs = 0;
    long maxRssKb = 0;
    std::string output;
};

std::optional<Run> measure(Display& display, const std::vector<std::string>& args) {
    display.drain();
    int fds[2];
    if (pipe(fds) != 0)
        return std::nullopt;
    const auto start = Clock::now();
    const pid_t pid = spawn(args, fds[1]);
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return std::nullopt;
    }
    Run run;
    const bool shown =
        display.waitFor(Display::Event::WallpaperChanged, start + std::chrono::seconds(60));
    run.latencyMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    char buffer[256];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0)
        run.output.append(buffer, static_cast<std::size_t>(n));
    close(fds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.maxRssKb = usage.ru_maxrss;
    if (!shown || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return run;
}

struct Tool {
    std::string name;
    std::vector<std::string> args; // the picture is appended
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: bench_apply QUORVANE_APPLY_ONCE [ROUNDS]\n", stderr);
        return 64;
    }
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;
    const char* dir = std::getenv("QUORVANE_BENCH_DIR");
    const fs::path folder =
        dir ? fs::path(dir) : fs::path(argv[0]).parent_path() / "bench-pictures";
    fs::create_directories(folder);
    struct Picture {
        std::string name;
        int width, height;
    };
    const std::vector<Picture> pictures = {{"jpeg_1920x1080", 1920, 1080},
                                           {"jpeg_4000x3000", 4000, 3000},
                                           {"jpeg_8000x6000", 8000, 6000}};
    for (const Picture& p : pictures) {
        const fs::path file = folder / (p.name + ".jpg");
        if (!fs::exists(file)) {
            std::fprintf(stderr, "generating %s\n", file.c_str());
            writePhotoJpeg(file, p.width, p.height);
        }
    }

    const char* displayName = std::getenv("QUORVANE_BENCH_DISPLAY");
    const std::string display = displayName ? displayName : ":131";
    char homeTemplate[] = "/tmp/quorvane-bench-apply-XXXXXX";
    if (!mkdtemp(homeTemplate))
        return 1;
    const fs::path home = homeTemplate;
    setUpEnvironment(display, home);
    const pid_t xvfb = spawn(
        {"Xvfb", display, "-screen", "0", "1920x1080x24", "-nolisten", "tcp", "-noreset"}, -1);
    Display x;
    if (xvfb < 0 || !x.open(display)) {
        std::fprintf(stderr, "cannot start Xvfb on %s\n", display.c_str());
        return 1;
    }
    const fs::path data = home / "Quorvane";
    fs::create_directories(data);
    const std::vector<Tool> tools = {
        {"quorvane", {argv[1], "PICTURE", data.string()}},
        {"feh", {"feh", "--no-fehbg", "--bg-fill", "PICTURE"}},
        {"xwallpaper", {"xwallpaper", "--zoom", "PICTURE"}},
        {"quorvane file-first", {argv[1], "PICTURE", data.string(), "--file-first"}},
    };

    std::printf("Apply latency on Xvfb 1920x1080 (start of the process to _XROOTPMAP_ID changed), "
                "%d rounds, medians:\n",
                rounds);
    bool allMet = true;
    for (const Picture& p : pictures) {
        const std::string file = (folder / (p.name + ".jpg")).string();
        std::map<std::string, std::vector<double>> latency, rss, blocked;
        auto argsFor = [&](const Tool& t) {
            std::vector<std::string> args = t.args;
            std::replace(args.begin(), args.end(), std::string("PICTURE"), file);
            return args;
        };
        for (const Tool& t : tools) // warm the caches
            measure(x, argsFor(t));
        for (int r = 0; r < rounds; ++r) {
            for (std::size_t i = 0; i < tools.size(); ++i) {
                const std::size_t k = (r % 2 ? tools.size() - 1 - i : i + r) % tools.size();
                const Tool& t = tools[k];
                const std::optional<Run> run = measure(x, argsFor(t));
                if (!run) {
                    std::fprintf(stderr, "%s failed on %s\n", t.name.c_str(), p.name.c_str());
                    continue;
                }
                latency[t.name].push_back(run->latencyMs);
                rss[t.name].push_back(double(run->maxRssKb));
                double held = 0, written = 0;
                if (std::sscanf(run->output.c_str(), "%lf %lf", &held, &written) == 2)
                    blocked[t.name].push_back(held);
            }
        }
        std::printf("\n  %s\n", p.name.c_str());
        for (const Tool& t : tools) {
            std::printf("    %-20s %8.1f ms   peak memory %7.1f MiB", t.name.c_str(),
                        median(latency[t.name]), median(rss[t.name]) / 1024);
            if (!blocked[t.name].empty())
                std::printf("   calling thread held %7.1f ms", median(blocked[t.name]));
            std::printf("\n");
        }
        const double q = median(latency["quorvane"]), feh = median(latency["feh"]),
                     xw = median(latency["xwallpaper"]);
        const double qm = median(rss["quorvane"]), fm = median(rss["feh"]);
        auto ratio = [&](const char* label, double value, double target) {
            const bool met = value <= target;
            allMet = allMet && met;
            std::printf("    %-36s %6.2fx   target <= %.2f  %s\n", label, value, target,
                        met ? "met" : "MISSED");
        };
        if (feh > 0) {
            ratio("latency / feh --bg-fill", q / feh, 1.0);
            ratio("peak memory / feh --bg-fill", qm / fm, 1.2);
        }
        if (xw > 0) {
            if (p.width == 4000)
                ratio("latency / xwallpaper --zoom", q / xw, 1.3);
            else
                std::printf("    %-36s %6.2fx\n", "latency / xwallpaper --zoom", q / xw);
        }
    }
    kill(xvfb, SIGTERM);
    waitpid(xvfb, nullptr, 0);
    std::error_code ignored;
    fs::remove_all(home, ignored);
    return allMet ? 0 : 1;
}
