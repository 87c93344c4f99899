// The real program under a private Xvfb, with a private home, started the way a user starts
// it:
//   start-up     from starting the process to its main window being mapped (MapNotify), with
//                0, 10,000 and 100,000 entries in list.txt, every thumbnail in the cache and no
//                Wallpaper.bmp of an earlier run; the program is started with --show, so that
//                the time is not the wait for a notification area;
//   walk         the CPU time the program spends after its window is up until it is idle
//                again (the thumbnail walk over a full cache, 100,000 entries), and the CPU
//                time of the walk's worker thread ("Thumbnails") alone;
//   idle         with a tray host (trayer), the window hidden: the resident memory against
//                the floor, the least a Qt Widgets program in the notification area takes
//                (quorvane-qtfloor: an application, a tray icon and a hidden 800x480 window,
//                measured in the same run), with 0 entries (the window the empty collection
//                shows closed with Esc), 2,000 entries, after a first-run walk over 100
//                photos with an empty thumbnail cache, and with 100,000 entries (what each
//                entry adds, against its own size: its path and its fields); with 2,000 entries
//                also the wake-ups of all the program's threads (context switches) over
//                QUORVANE_BENCH_IDLE_SECONDS (default 60), and again after QUORVANE_BENCH_APPLIES
//                (default 100) applies by `quorvane --next` of pictures of 640x480 up to 8000x6000;
//   --show       the program hidden in the tray applies an 8000x6000 picture (`--next`) and
//                `--show` is started 30 ms later: the time from starting `--show` to the main
//                window being mapped, over QUORVANE_BENCH_SHOW_ROUNDS rounds (default 10), the
//                window closed with Esc between rounds.
//   bench_startup QUORVANE [ROUNDS]        default 5 rounds for each start-up
// QUORVANE_BENCH_DIR: the generated pictures and home (default: startup beside this program;
// pictures and thumbnails are hard links of a few files, made once); QUORVANE_BENCH_DISPLAY:
// the display for Xvfb (default :132); QUORVANE_BENCH_FLOOR: the floor program (default the
// one built beside this benchmark).
#include "photo.h"
#include "procstatus.h"
#include "xsession.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace xsession;

// The fields of an entry beside its path's own block (WallEntry: the string, the preview's
// pointer, the id and two flags).
constexpr double EntryFields = 56;
constexpr int ThumbWidth = 197;
constexpr int ThumbHeight = 123;

// What /proc tells of one thread.
struct Task {
    std::string name;
    double cpuSeconds = 0;
    long switches = 0;
};

std::string readFile(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The threads of a process now.
std::map<int, Task> tasks(pid_t pid) {
    std::map<int, Task> tasks;
    std::error_code ec;
    const double tick = double(sysconf(_SC_CLK_TCK));
    for (const auto& entry : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
        const int tid = std::atoi(entry.path().filename().c_str());
        const std::string stat = readFile(entry.path() / "stat");
        const std::size_t open = stat.find('('), close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos)
            continue;
        Task t;
        t.name = stat.substr(open + 1, close - open - 1);
        t.cpuSeconds = double(statCpuTicks(stat)) / tick;
        std::istringstream status(readFile(entry.path() / "status"));
        std::string line;
        while (std::getline(status, line))
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0 ||
                line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
                t.switches += std::atol(line.substr(line.find(':') + 1).c_str());
        tasks[tid] = t;
    }
    return tasks;
}

long statusKb(pid_t pid, const char* field) {
    std::istringstream status(readFile("/proc/" + std::to_string(pid) + "/status"));
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::atol(line.substr(line.find(':') + 1).c_str());
    return 0;
}

// Follows a process's threads until it has been idle (no CPU time) for `quiet`: the CPU
// time of every thread seen (a thread that ended keeps its last reading).
struct Watch {
    std::map<int, Task> seen;
    double cpu() const {
        double sum = 0;
        for (const auto& [tid, t] : seen)
            sum += t.cpuSeconds;
        return sum;
    }
    double cpuOf(const std::string& name) const {
        double sum = 0;
        for (const auto& [tid, t] : seen)
            if (t.name == name)
                sum += t.cpuSeconds;
        return sum;
    }
    long switches() const {
        long sum = 0;
        for (const auto& [tid, t] : seen)
            sum += t.switches;
        return sum;
    }
    void sample(pid_t pid) {
        for (const auto& [tid, t] : tasks(pid))
            seen[tid] = t;
    }
    // False after `limit`.
    bool untilIdle(pid_t pid, std::chrono::milliseconds quiet, std::chrono::seconds limit) {
        const auto deadline = Clock::now() + limit;
        double last = -1;
        auto since = Clock::now();
        while (Clock::now() < deadline) {
            sample(pid);
            const double now = cpu();
            if (now != last) {
                last = now;
                since = Clock::now();
            } else if (Clock::now() - since >= quiet) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
};

// What a process holds in memory, in KiB.
struct Memory {
    long resident = 0, anonymous = 0, files = 0;
};

Memory memoryOf(pid_t pid) {
    return {statusKb(pid, "VmRSS:"), statusKb(pid, "RssAnon:"), statusKb(pid, "RssFile:")};
}

// The memory of a process once it has been idle (no CPU time) for two seconds, and then a
// few seconds more.
Memory settledMemory(pid_t pid, std::chrono::seconds limit = std::chrono::seconds(300)) {
    Watch w;
    w.untilIdle(pid, std::chrono::milliseconds(2000), limit);
    std::this_thread::sleep_for(std::chrono::seconds(3));
    return memoryOf(pid);
}

// The collection: `count` pictures (hard links of a few photos) and their cached thumbnails
// (hard links of one thumbnail) below the data folder.
struct Fixture {
    fs::path folder, home, data, originals;
    std::vector<std::string> pictures;

    fs::path thumbnailOf(const fs::path& picture) const {
        return data / "Thumbnail" / (picture.relative_path().string() + ".jpg");
    }

    void make(int count) {
        data = home / "Documents" / "Quorvane";
        fs::create_directories(data / "Thumbnail");
        fs::create_directories(home / "runtime");
        fs::permissions(home / "runtime", fs::perms::owner_all, fs::perm_options::replace);
        originals = folder / "originals";
        fs::create_directories(originals);
        struct Original {
            std::string name;
            int width, height;
        };
        const std::vector<Original> sizes = {{"photo_1920x1080.jpg", 1920, 1080},
                                             {"photo_4000x3000.jpg", 4000, 3000},
                                             {"photo_8000x6000.jpg", 8000, 6000},
                                             {"photo_640x480.jpg", 640, 480}};
        for (const Original& o : sizes)
            if (!fs::exists(originals / o.name)) {
                std::fprintf(stderr, "generating %s\n", o.name.c_str());
                writePhotoJpeg(originals / o.name, o.width, o.height);
            }
        // A file takes some tens of thousands of links at most: one thumbnail for each
        // 40,000 entries, and 10,000 links of each photo.
        auto thumbFor = [&](int i) {
            const fs::path thumb = originals / ("thumbnail" + std::to_string(i / 40000) + ".jpg");
            if (!fs::exists(thumb))
                writePhotoJpeg(thumb, ThumbWidth, ThumbHeight);
            return thumb;
        };
        auto photoFor = [&](int i) {
            const Original& o = sizes[std::size_t(i) % sizes.size()];
            const fs::path photo = originals / (std::to_string(i / 40000) + "_" + o.name);
            if (!fs::exists(photo))
                fs::copy_file(originals / o.name, photo);
            return photo;
        };
        for (int i = 0; i < count; ++i) {
            const fs::path p = fs::absolute(folder / "pictures" / ("d" + std::to_string(i / 1000)) /
                                            ("p" + std::to_string(i) + ".jpg"));
            pictures.push_back(p.string());
            const fs::path t = data / "Thumbnail" / (p.relative_path().string() + ".jpg");
            if (fs::exists(t))
                continue;
            if (i % 1000 == 0) {
                fs::create_directories(p.parent_path());
                fs::create_directories(t.parent_path());
                if (i % 10000 == 0)
                    std::fprintf(stderr, "linking pictures and thumbnails %d .. of %d\n", i, count);
            }
            std::error_code ec;
            fs::create_hard_link(photoFor(i), p, ec);
            fs::create_hard_link(thumbFor(i), t);
        }
    }
    void list(int count) const {
        list(std::vector<std::string>(pictures.begin(), pictures.begin() + count));
    }
    void list(const std::vector<std::string>& paths) const {
        std::ofstream out(data / "list.txt", std::ios::binary | std::ios::trunc);
        for (const std::string& p : paths)
            out << p << "\r\n";
    }
    // `count` photos of the four sizes in `name`, links of the originals; with their
    // thumbnails cached, or with none (a first run).
    std::vector<std::string> photos(const std::string& name, int count, bool cached,
                                    const char* only = nullptr) const {
        static const char* const Names[] = {"photo_1920x1080.jpg", "photo_4000x3000.jpg",
                                            "photo_8000x6000.jpg", "photo_640x480.jpg"};
        std::vector<std::string> paths;
        const fs::path dir = fs::absolute(folder / name);
        fs::create_directories(dir);
        for (int i = 0; i < count; ++i) {
            const fs::path p = dir / ("p" + std::to_string(i) + ".jpg");
            std::error_code ec;
            if (!fs::exists(p))
                fs::create_hard_link(originals / (only ? only : Names[i % 4]), p, ec);
            const fs::path t = thumbnailOf(p);
            fs::remove(t, ec);
            if (cached) {
                fs::create_directories(t.parent_path());
                fs::create_hard_link(originals / "thumbnail0.jpg", t, ec);
            }
            paths.push_back(p.string());
        }
        return paths;
    }
};

// A freshly built program's pages are in the page cache as the linker wrote them, in large
// pieces that the kernel maps whole at the first touch; an installed program's are read from
// disk as they are needed. Written out and dropped from the cache, the file is read as an
// installed program's is, so that its resident pages are what they would be for a user.
void readAsInstalled(const std::string& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

// Closes the shown main window the way a user does: Esc into it, once it has the focus.
void closeWithEscape(std::uint32_t window) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"xdotool", "windowfocus", "--sync", std::to_string(window)},
          std::vector<std::string>{"xdotool", "key", "Escape"}}) {
        const pid_t xdotool = spawn(args);
        if (xdotool > 0)
            waitpid(xdotool, nullptr, 0);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: bench_startup QUORVANE [ROUNDS]\n", stderr);
        return 64;
    }
    const std::string program = fs::absolute(argv[1]).string();
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    auto envInt = [](const char* name, int fallback) {
        const char* v = std::getenv(name);
        return v ? std::max(0, std::atoi(v)) : fallback;
    };
    const int idleSeconds = envInt("QUORVANE_BENCH_IDLE_SECONDS", 60);
    const int applies = envInt("QUORVANE_BENCH_APPLIES", 100);
    const char* dir = std::getenv("QUORVANE_BENCH_DIR");
    Fixture fx;
    fx.folder = fs::absolute(dir ? fs::path(dir) : fs::path(argv[0]).parent_path() / "startup")
                    .lexically_normal();
    fx.home = fx.folder / "home";
    fx.make(100000);

    const char* displayName = std::getenv("QUORVANE_BENCH_DISPLAY");
    const std::string display = displayName ? displayName : ":132";
    setUpEnvironment(display, fx.home);
    const pid_t xvfb =
        spawn({"Xvfb", display, "-screen", "0", "1920x1080x24", "-nolisten", "tcp", "-noreset"});
    Display x;
    if (xvfb < 0 || !x.open(display)) {
        std::fprintf(stderr, "cannot start Xvfb on %s\n", display.c_str());
        return 1;
    }
    bool allMet = true;
    auto verdict = [&](bool met) {
        allMet = allMet && met;
        return met ? "met" : "MISSED";
    };

    std::printf("Start-up to the main window (started with --show), Xvfb 1920x1080, every "
                "thumbnail cached, %d rounds, medians:\n",
                rounds);
    double walkCpu = 0, walkWorkerCpu = 0, walkSeconds = 0;
    long walkThreads = 0;
    // No wallpaper file of an earlier run: handing it to the desktop again at the start is
    // the apply's cost (bench_apply), and depends on the picture last applied.
    std::error_code ignored;
    fs::remove(fx.data / "Wallpaper.bmp", ignored);
    for (const int entries : {0, 10000, 100000}) {
        fx.list(entries);
        std::vector<double> times;
        for (int r = 0; r < rounds + 1; ++r) { // the first round warms the caches
            x.drain();
            const auto start = Clock::now();
            const pid_t pid = spawn({program, "--show"});
            const bool shown = pid > 0 && x.waitFor(Display::Event::WindowMapped,
                                                    start + std::chrono::seconds(60));
            const double ms =
                std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            if (!shown) {
                std::fprintf(stderr, "no window with %d entries\n", entries);
                if (pid > 0)
                    stop(pid);
                continue;
            }
            if (r > 0)
                times.push_back(ms);
            if (entries == 100000 && r == rounds) {
                // The walk after the start, in the last round.
                Watch w;
                w.sample(pid);
                const double atWindow = w.cpu();
                const auto walkStart = Clock::now();
                w.untilIdle(pid, std::chrono::milliseconds(1500), std::chrono::seconds(600));
                walkSeconds = std::chrono::duration<double>(Clock::now() - walkStart).count() - 1.5;
                walkCpu = w.cpu() - atWindow;
                walkWorkerCpu = w.cpuOf("Thumbnails");
                walkThreads = static_cast<long>(
                    std::count_if(w.seen.begin(), w.seen.end(),
                                  [](const auto& t) { return t.second.name == "Thumbnails"; }));
            }
            stop(pid);
        }
        const double median = ::median(times);
        std::printf("  %6d entries   %8.1f ms", entries, median);
        if (entries == 100000)
            std::printf("   target < 300 ms  %s", verdict(median < 300));
        std::printf("\n");
    }
    std::printf("\nThumbnail walk after the start, 100000 entries, full cache:\n");
    std::printf("  CPU time from the window to idle   %7.2f s   target < 1 s  %s\n", walkCpu,
                verdict(walkCpu < 1));
    std::printf("  of which the worker thread         %7.2f s   (%ld worker thread%s seen)\n",
                walkWorkerCpu, walkThreads, walkThreads == 1 ? "" : "s");
    std::printf("  wall time of the walk              %7.2f s\n", walkSeconds);

    // Idle, hidden, with a tray host.
    const pid_t trayer = spawn({"trayer", "--edge", "bottom", "--height", "24"});
    std::this_thread::sleep_for(std::chrono::seconds(1));
    constexpr double Target = 1.15;
    const char* floorName = std::getenv("QUORVANE_BENCH_FLOOR");
    const std::string floorProgram = floorName ? floorName : QUORVANE_QTFLOOR;
    readAsInstalled(floorProgram);
    readAsInstalled(program);
    // The program library the launcher loads lies beside it in a build folder.
    readAsInstalled(fs::path(program).replace_filename("quorvane-program.so").string());
    // The median of three runs of the floor program.
    const auto floorOf = [&](const std::vector<std::string>& args) {
        std::vector<Memory> floors;
        for (int r = 0; r < 3; ++r) {
            const pid_t floorPid = spawn(args);
            if (floorPid < 0)
                break;
            floors.push_back(settledMemory(floorPid, std::chrono::seconds(60)));
            stop(floorPid);
        }
        std::sort(floors.begin(), floors.end(),
                  [](const Memory& a, const Memory& b) { return a.resident < b.resident; });
        return floors.empty() ? Memory{} : floors[floors.size() / 2];
    };
    const Memory floor = floorOf({floorProgram});
    // The floor once its window has drawn a line of text and been hidden again.
    const Memory textFloor = floorOf({floorProgram, "--shown"});
    std::printf("\nIdle in the notification area (trayer), the window hidden, resident memory "
                "against the floor\n(a Qt Widgets program with a tray icon and a hidden 800x480 "
                "window, median of 3): %.1f MiB (anonymous %.1f, files %.1f)\n",
                floor.resident / 1024.0, floor.anonymous / 1024.0, floor.files / 1024.0);
    // With a target, the ratio to the floor is held to it.
    auto memoryLine = [&](const char* label, const Memory& m, bool target = true) {
        const double ratio = floor.resident ? double(m.resident) / floor.resident : 0.0;
        std::printf("  %-40s %6.1f MiB  %5.2fx", label, m.resident / 1024.0, ratio);
        if (target)
            std::printf("  target <= %.2fx  %s", Target, verdict(ratio <= Target));
        else
            std::printf("%24s", "");
        std::printf("   (anonymous %5.1f, files %5.1f)\n", m.anonymous / 1024.0, m.files / 1024.0);
    };

    // No entries: the start shows the window, which the user closes.
    fx.list(0);
    Memory empty;
    {
        x.drain();
        const pid_t pid = spawn({program});
        std::uint32_t window = 0;
        const bool shown = x.waitFor(Display::Event::WindowMapped,
                                     Clock::now() + std::chrono::seconds(30), &window);
        if (shown)
            closeWithEscape(window);
        empty = settledMemory(pid);
        memoryLine(shown ? "0 entries, the window closed" : "0 entries (NO WINDOW SHOWN)", empty);
        // An empty collection shows the window at start: against the floor that has drawn
        // text too, what the program itself keeps.
        const double ratio = textFloor.resident ? double(empty.resident) / textFloor.resident : 0.0;
        std::printf("  %-40s %6.1f MiB  %5.2fx against the floor after showing a line of text "
                    "(%.1f MiB; anonymous %.1f, files %.1f)\n",
                    "", empty.resident / 1024.0, ratio, textFloor.resident / 1024.0,
                    textFloor.anonymous / 1024.0, textFloor.files / 1024.0);
        stop(pid);
    }

    // 2,000 entries: wake-ups and memory after the start, and after the applies.
    fx.list(2000);
    x.drain();
    const pid_t pid = spawn({program});
    Watch w;
    std::this_thread::sleep_for(std::chrono::seconds(1));
    w.untilIdle(pid, std::chrono::milliseconds(2000), std::chrono::seconds(300));
    // The start waits a few seconds for a notification area before it shows the window.
    std::this_thread::sleep_for(std::chrono::seconds(6));
    const bool hidden = !x.waitFor(Display::Event::WindowMapped, Clock::now());
    auto idle = [&](const char* label) {
        Watch quiet;
        quiet.sample(pid);
        const long before = quiet.switches();
        std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
        quiet.sample(pid);
        const double perMinute =
            idleSeconds ? (quiet.switches() - before) * 60.0 / idleSeconds : 0.0;
        const Memory m = memoryOf(pid);
        memoryLine(label, m);
        std::printf("  %-40s wake-ups %6.1f a minute  target <= 1  %s\n", "", perMinute,
                    verdict(perMinute <= 1));
        std::printf("  %-40s threads:", "");
        for (const auto& [tid, t] : tasks(pid))
            std::printf(" %s", t.name.c_str());
        std::printf("\n");
        return m;
    };
    const Memory some =
        idle(hidden ? "2000 entries, over the idle time" : "2000 entries (WINDOW SHOWN)");
    int applied = 0;
    for (int i = 0; i < applies; ++i) {
        x.drain();
        const pid_t client = spawn({program, "--next"});
        waitpid(client, nullptr, 0);
        if (x.waitFor(Display::Event::WallpaperChanged, Clock::now() + std::chrono::seconds(60)))
            ++applied;
    }
    Watch settle;
    settle.untilIdle(pid, std::chrono::milliseconds(2000), std::chrono::seconds(120));
    char afterApplies[96];
    std::snprintf(afterApplies, sizeof afterApplies, "after %d applies (%d seen), peak %.0f MiB",
                  applies, applied, statusKb(pid, "VmHWM:") / 1024.0);
    idle(afterApplies);
    stop(pid);

    // A first run: the walk makes the thumbnails of 100 photos.
    fx.list(fx.photos("walk", 100, false));
    {
        const pid_t walker = spawn({program});
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const Memory m = settledMemory(walker);
        char label[96];
        std::snprintf(label, sizeof label, "after a first-run walk, peak %.0f MiB",
                      statusKb(walker, "VmHWM:") / 1024.0);
        memoryLine(label, m);
        stop(walker);
    }

    // 100,000 entries: what each entry costs.
    fx.list(100000);
    {
        const pid_t big = spawn({program});
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const Memory m = settledMemory(big);
        memoryLine("100000 entries", m, false);
        // What the 98,000 entries beyond the 2,000 above cost, against an entry's own size:
        // its path (the string's block as the allocator rounds it: the length and its
        // zero, plus the block's header, in steps of 16 bytes) and the fields beside it.
        constexpr int More = 98000;
        double pathBlocks = 0;
        for (int i = 2000; i < 100000; ++i)
            pathBlocks += double((fx.pictures[std::size_t(i)].size() + 1 + 8 + 15) / 16 * 16);
        const double own = pathBlocks / More + EntryFields;
        const double perEntry = (m.anonymous - some.anonymous) * 1024.0 / More;
        std::printf("  %-40s %6.0f bytes an entry beyond the 2000 (%.0f resident)   target <= "
                    "its own %.0f  %s\n",
                    "", perEntry, (m.resident - some.resident) * 1024.0 / More, own,
                    verdict(perEntry <= own));
        stop(big);
    }

    // --show while an 8000x6000 picture is applied.
    const int showRounds = envInt("QUORVANE_BENCH_SHOW_ROUNDS", 10);
    fx.list(fx.photos("large", 20, true, "photo_8000x6000.jpg"));
    {
        const pid_t shown = spawn({program});
        std::this_thread::sleep_for(std::chrono::seconds(1));
        Watch().untilIdle(shown, std::chrono::milliseconds(2000), std::chrono::seconds(120));
        std::vector<double> times;
        int missed = 0;
        for (int r = 0; r < showRounds; ++r) {
            x.drain();
            const pid_t next = spawn({program, "--next"});
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            const auto start = Clock::now();
            const pid_t show = spawn({program, "--show"});
            std::uint32_t window = 0;
            const bool mapped =
                x.waitFor(Display::Event::WindowMapped, start + std::chrono::seconds(10), &window);
            const double ms =
                std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            waitpid(show, nullptr, 0);
            waitpid(next, nullptr, 0);
            if (mapped)
                times.push_back(ms);
            else
                ++missed;
            // The apply ends, then the window goes back to the tray.
            x.waitFor(Display::Event::WallpaperChanged, Clock::now() + std::chrono::seconds(60));
            Watch().untilIdle(shown, std::chrono::milliseconds(500), std::chrono::seconds(60));
            if (mapped)
                closeWithEscape(window);
        }
        const double slowest = times.empty() ? 0 : *std::max_element(times.begin(), times.end());
        std::printf("\n--show while an 8000x6000 picture is applied (started 30 ms after "
                    "--next), %d rounds%s:\n",
                    showRounds, missed ? " (SOME NEVER SHOWED)" : "");
        std::printf("  from starting --show to the window mapped: median %6.1f ms, slowest %6.1f "
                    "ms   target < 100 ms  %s\n",
                    ::median(times), slowest, verdict(!times.empty() && !missed && slowest < 100));
        stop(shown);
    }

    if (trayer > 0)
        stop(trayer);
    kill(xvfb, SIGTERM);
    waitpid(xvfb, nullptr, 0);
    return allMet ? 0 : 1;
}
