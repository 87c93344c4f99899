// Applying a picture as the wallpaper, against the tools people use: the program's apply
// (quorvane-apply-once, which calls Collection::setWallpaper), `feh --bg-fill` and `xwallpaper
// --zoom`, each a process of its own on a private Xvfb of 1920x1080x24; then on two monitors
// of 1920x1080 (an Xvfb of 3840x1080 split with xrandr): the same picture on both, a picture
// of its own on one, and `feh --bg-fill` with two pictures. The latency of a run
// is the time from starting the process to the root window's _XROOTPMAP_ID changing; its
// memory the process's peak resident size. Rounds alternate the order of the tools; medians
// and ratios are printed at the end.
//   bench_apply QUORVANE_APPLY_ONCE [ROUNDS]
// QUORVANE_BENCH_DIR: folder for the generated pictures (default: bench-pictures beside
// this program); QUORVANE_BENCH_DISPLAY: the display to start Xvfb on (default :131; the
// two-monitor one takes the next number).
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
#include <utility>
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
    Tool(std::string name, std::vector<std::string> args, bool primed = false,
         std::string displayName = {}, Display* display = nullptr)
        : name(std::move(name)), args(std::move(args)), primed(primed),
          displayName(std::move(displayName)), display(display) {}
    std::string name;
    std::vector<std::string> args; // PICTURE and PICTURE2 stand for the pictures
    // Run once more just before each measured run, so that it is measured as
    // the user meets it when changing pictures one after the other (the
    // desktop still showing its own last wallpaper).
    bool primed = false;
    // Where it runs: the display's name and connection; none for the one
    // measureTools is given.
    std::string displayName;
    Display* display = nullptr;
};

// Points the programs started from now on at `display`.
void useDisplay(const std::string& display) {
    for (std::string& e : environment())
        if (e.starts_with("DISPLAY="))
            e = "DISPLAY=" + display;
}

// Each tool's medians on one picture: latency, peak memory, and how long the
// calling thread was held where the tool reports it.
struct Medians {
    std::map<std::string, double> latency, rss, blocked;
};

Medians measureTools(Display& defaultDisplay, const std::string& defaultName,
                     const std::vector<Tool>& tools, const std::string& file,
                     const std::string& second, int rounds) {
    std::map<std::string, std::vector<double>> latency, rss, blocked;
    auto argsFor = [&](const Tool& t) {
        std::vector<std::string> args = t.args;
        std::replace(args.begin(), args.end(), std::string("PICTURE"), file);
        std::replace(args.begin(), args.end(), std::string("PICTURE2"), second);
        return args;
    };
    const auto on = [&](const Tool& t) -> Display& {
        useDisplay(t.display ? t.displayName : defaultName);
        return t.display ? *t.display : defaultDisplay;
    };
    for (const Tool& t : tools) // warm the caches
        measure(on(t), argsFor(t));
    for (int r = 0; r < rounds; ++r) {
        for (std::size_t i = 0; i < tools.size(); ++i) {
            const std::size_t k = (r % 2 ? tools.size() - 1 - i : i + r) % tools.size();
            const Tool& t = tools[k];
            Display& x = on(t);
            if (t.primed)
                measure(x, argsFor(t));
            const std::optional<Run> run = measure(x, argsFor(t));
            if (!run) {
                std::fprintf(stderr, "%s failed on %s\n", t.name.c_str(), file.c_str());
                continue;
            }
            latency[t.name].push_back(run->latencyMs);
            rss[t.name].push_back(double(run->maxRssKb));
            double held = 0, written = 0;
            if (std::sscanf(run->output.c_str(), "%lf %lf", &held, &written) == 2)
                blocked[t.name].push_back(held);
        }
    }
    Medians m;
    for (const Tool& t : tools) {
        m.latency[t.name] = median(latency[t.name]);
        m.rss[t.name] = median(rss[t.name]);
        m.blocked[t.name] = blocked[t.name].empty() ? -1 : median(blocked[t.name]);
        std::printf("    %-24s %8.1f ms   peak memory %7.1f MiB", t.name.c_str(), m.latency[t.name],
                    m.rss[t.name] / 1024);
        if (m.blocked[t.name] >= 0)
            std::printf("   calling thread held %7.1f ms", m.blocked[t.name]);
        std::printf("\n");
    }
    return m;
}

// Runs a program in the benchmark's environment and waits for it.
bool runToEnd(const std::vector<std::string>& args) {
    const pid_t pid = spawn(args, -1);
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

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
    auto ratio = [&](const char* label, double value, double target) {
        const bool met = value <= target;
        allMet = allMet && met;
        std::printf("    %-40s %6.2fx   target <= %.2f  %s\n", label, value, target,
                    met ? "met" : "MISSED");
    };
    for (const Picture& p : pictures) {
        const std::string file = (folder / (p.name + ".jpg")).string();
        std::printf("\n  %s\n", p.name.c_str());
        Medians m = measureTools(x, display, tools, file, file, rounds);
        const double q = m.latency["quorvane"], feh = m.latency["feh"],
                     xw = m.latency["xwallpaper"];
        const double qm = m.rss["quorvane"], fm = m.rss["feh"];
        if (feh > 0) {
            ratio("latency / feh --bg-fill", q / feh, 1.0);
            ratio("peak memory / feh --bg-fill", qm / fm, 1.2);
        }
        if (xw > 0) {
            if (p.width == 4000)
                ratio("latency / xwallpaper --zoom", q / xw, 1.3);
            else
                std::printf("    %-40s %6.2fx\n", "latency / xwallpaper --zoom", q / xw);
        }
    }

    // Two 1920x1080 monitors side by side: the same picture on both, a
    // picture of its own on the first while the second keeps its own, and
    // feh with two pictures.
    const std::string display2 =
        display.substr(0, 1) + std::to_string(std::atoi(display.c_str() + 1) + 1);
    setUpEnvironment(display2, home);
    const pid_t xvfb2 = spawn(
        {"Xvfb", display2, "-screen", "0", "3840x1080x24", "-nolisten", "tcp", "-noreset"}, -1);
    Display x2;
    if (xvfb2 < 0 || !x2.open(display2) ||
        !runToEnd({"xrandr", "--setmonitor", "BENCH-LEFT", "1920/508x1080/286+0+0", "none"}) ||
        !runToEnd({"xrandr", "--setmonitor", "BENCH-RIGHT", "1920/508x1080/286+1920+0", "none"})) {
        std::fprintf(stderr, "cannot start Xvfb with two monitors on %s\n", display2.c_str());
        allMet = false;
    } else {
        // One monitor's figure is taken in the same rounds, so that the
        // ratios do not depend on what else the machine did meanwhile.
        const std::vector<Tool> twoTools = {
            {"quorvane one monitor", {argv[1], "PICTURE", data.string()}, false, display, &x},
            {"quorvane same picture", {argv[1], "PICTURE", data.string()}},
            {"quorvane each its own",
             {argv[1], "PICTURE", (home / "PerMonitor").string(), "--per-monitor"},
             true},
            {"feh two pictures", {"feh", "--no-fehbg", "--bg-fill", "PICTURE", "PICTURE2"}},
        };
        fs::create_directories(home / "PerMonitor");
        std::printf("\nTwo monitors of 1920x1080 on Xvfb 3840x1080, %d rounds, medians:\n", rounds);
        for (const Picture& p : pictures) {
            if (p.width > 4000)
                continue;
            const fs::path file = folder / (p.name + ".jpg");
            const fs::path copy = folder / (p.name + "-second.jpg");
            if (!fs::exists(copy))
                fs::copy_file(file, copy);
            std::printf("\n  %s\n", p.name.c_str());
            Medians m = measureTools(x2, display2, twoTools, file.string(), copy.string(), rounds);
            const double one = m.latency["quorvane one monitor"];
            ratio("same picture: latency / one monitor's", m.latency["quorvane same picture"] / one,
                  1.2);
            ratio("each its own: latency / one monitor's", m.latency["quorvane each its own"] / one,
                  1.2);
            if (m.latency["feh two pictures"] > 0)
                ratio("each its own: latency / feh two pictures",
                      m.latency["quorvane each its own"] / m.latency["feh two pictures"], 1.0);
        }
    }
    if (xvfb2 > 0) {
        kill(xvfb2, SIGTERM);
        waitpid(xvfb2, nullptr, 0);
    }
    kill(xvfb, SIGTERM);
    waitpid(xvfb, nullptr, 0);
    std::error_code ignored;
    fs::remove_all(home, ignored);
    return allMet ? 0 : 1;
}
