// Applying a picture the way a user does, against the tools people use. The real program
// (QUORVANE) runs on a private Xvfb with a private home and a collection of two copies of one
// picture, and applies the next one on a Down key pressed into its window (XTest) and on
// `quorvane --next`; `feh --bg-fill`, `xwallpaper --zoom` and `hsetroot -fill` each run as a
// process of their own. A run lasts from the key press or the start of the process to the
// root window's _XROOTPMAP_ID changing; the program is left to go idle before the next run.
// Screens of 1920x1080 and 3840x2160; photo-like pictures made by ImageMagick (a plasma
// fractal with Gaussian noise) as JPEG, grey JPEG and PNG. Rounds interleave the tools in a
// rotating order. Each picture prints every tool's median and slowest run, the PSNR of the
// root window's wallpaper against ImageMagick's box-filtered fill of the same picture, and
// the program's ratios against the goals: <= 1.0x `xwallpaper --zoom`, <= 0.8x `feh
// --bg-fill`, slowest <= 1.3x the median, PSNR >= 48 dB; and the program's resident memory
// right after the runs and 11 s later (what it keeps for the next apply goes back by then).
//   bench_desktop_apply QUORVANE [ROUNDS]          default 9 rounds
// QUORVANE_BENCH_DIR: pictures, references and the home (default: desktop-apply beside this
// program); QUORVANE_BENCH_DISPLAY: the display for Xvfb (default :134).
#include "procstatus.h"
#include "xsession.h"

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace xsession;

constexpr double GoalXwallpaper = 1.0;
constexpr double GoalFeh = 0.8;
constexpr double GoalSlowest = 1.3;
constexpr double GoalPsnr = 48.0;

// Runs a program in the benchmark's environment to its end; false when it fails.
bool runToEnd(const std::vector<std::string>& args) {
    const pid_t pid = spawn(args, -1);
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

struct Picture {
    std::string name; // file name
    int width, height;
    bool grey = false;
    bool png = false;
    int seed = 1;
};

// A photo-like picture: a plasma fractal at a quarter of the size, enlarged, with Gaussian
// grain; JPEG of quality 90 with 4:2:0 chroma, or an 8-bit PNG.
bool makePicture(const Picture& p, const fs::path& file) {
    std::vector<std::string> args = {"convert",
                                     "-size",
                                     std::to_string(p.width / 4) + "x" +
                                         std::to_string(p.height / 4),
                                     "-seed",
                                     std::to_string(p.seed),
                                     "plasma:fractal",
                                     "-resize",
                                     std::to_string(p.width) + "x" + std::to_string(p.height) + "!",
                                     "-attenuate",
                                     "1.5",
                                     "+noise",
                                     "Gaussian"};
    if (p.grey)
        args.insert(args.end(), {"-colorspace", "Gray"});
    if (p.png)
        args.insert(args.end(), {"-depth", "8", "png:" + file.string()});
    else
        args.insert(args.end(), {"-quality", "90", "-sampling-factor", "2x2", file.string()});
    return runToEnd(args);
}

// ImageMagick's box-filtered fill of a screen: scaled to cover it, the middle cut out.
bool makeReference(const fs::path& picture, int width, int height, const fs::path& ppm) {
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    return runToEnd({"convert", picture.string(), "-filter", "Box", "-resize", size + "^",
                     "-gravity", "center", "-extent", size, "ppm:" + ppm.string()});
}

// A binary PPM's RGB bytes.
std::optional<std::vector<std::uint8_t>> readPpm(const fs::path& file, int width, int height) {
    std::ifstream in(file, std::ios::binary);
    std::string magic;
    int w = 0, h = 0, max = 0;
    in >> magic >> w >> h >> max;
    in.get();
    if (magic != "P6" || w != width || h != height || max != 255)
        return std::nullopt;
    std::vector<std::uint8_t> rgb(std::size_t(w) * std::size_t(h) * 3);
    in.read(reinterpret_cast<char*>(rgb.data()), std::streamsize(rgb.size()));
    if (!in)
        return std::nullopt;
    return rgb;
}

// PSNR in dB of the root window's wallpaper pixmap (32 bits per pixel, blue, green, red,
// unused, as Xvfb keeps depth 24) against an RGB reference; 99 for identical pictures,
// nullopt when the pixmap cannot be read.
std::optional<double> wallpaperPsnr(Display& display, const std::vector<std::uint8_t>& reference,
                                    int width, int height) {
    xcb_connection_t* c = display.connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> property(
        xcb_get_property_reply(
            c, xcb_get_property(c, false, root, display.rootPixmapAtom(), XCB_ATOM_PIXMAP, 0, 1),
            nullptr),
        &std::free);
    if (!property || xcb_get_property_value_length(property.get()) < 4)
        return std::nullopt;
    const xcb_pixmap_t pixmap = *static_cast<xcb_pixmap_t*>(xcb_get_property_value(property.get()));
    double squares = 0;
    // In bands of rows, so that no reply comes near the protocol's limits.
    constexpr int Band = 64;
    for (int top = 0; top < height; top += Band) {
        const int rows = std::min(Band, height - top);
        std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> image(
            xcb_get_image_reply(c,
                                xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, 0,
                                              std::int16_t(top), std::uint16_t(width),
                                              std::uint16_t(rows), ~0u),
                                nullptr),
            &std::free);
        if (!image || xcb_get_image_data_length(image.get()) < width * rows * 4)
            return std::nullopt;
        const std::uint8_t* px = xcb_get_image_data(image.get());
        const std::uint8_t* ref = reference.data() + std::size_t(top) * std::size_t(width) * 3;
        for (int i = 0; i < width * rows; ++i, px += 4, ref += 3)
            for (int k = 0; k < 3; ++k) {
                const double d = double(px[2 - k]) - double(ref[k]);
                squares += d * d;
            }
    }
    const double mse = squares / (double(width) * double(height) * 3);
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

// The keycode that gives a keysym without modifiers; 0 when none does.
xcb_keycode_t keycodeOf(xcb_connection_t* c, xcb_keysym_t keysym) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    std::unique_ptr<xcb_get_keyboard_mapping_reply_t, decltype(&std::free)> map(
        xcb_get_keyboard_mapping_reply(
            c, xcb_get_keyboard_mapping(c, setup->min_keycode, std::uint8_t(count)), nullptr),
        &std::free);
    if (!map)
        return 0;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map.get());
    for (int i = 0; i < count; ++i)
        if (syms[i * map->keysyms_per_keycode] == keysym)
            return xcb_keycode_t(setup->min_keycode + i);
    return 0;
}

std::string readFile(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The CPU time of a process so far, in clock ticks.
long cpuTicks(pid_t pid) {
    return statCpuTicks(readFile("/proc/" + std::to_string(pid) + "/stat"));
}

long statusKb(pid_t pid, const char* field) {
    std::istringstream status(readFile("/proc/" + std::to_string(pid) + "/status"));
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::atol(line.substr(line.find(':') + 1).c_str());
    return 0;
}

// Waits until the process has used no CPU time for `quiet`; false after `limit`.
bool untilIdle(pid_t pid, std::chrono::milliseconds quiet, std::chrono::seconds limit) {
    const auto deadline = Clock::now() + limit;
    long last = -2;
    auto since = Clock::now();
    while (Clock::now() < deadline) {
        const long now = cpuTicks(pid);
        if (now != last) {
            last = now;
            since = Clock::now();
        } else if (Clock::now() - since >= quiet) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

double slowest(const std::vector<double>& v) {
    return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

// One screen: an Xvfb of that size, the program started on it for each picture.
class Screen {
public:
    Screen(std::string display, int width, int height, fs::path home, std::string program)
        : m_display(std::move(display)), m_width(width), m_height(height), m_home(std::move(home)),
          m_program(std::move(program)) {}
    ~Screen() {
        if (m_xvfb > 0) {
            kill(m_xvfb, SIGTERM);
            waitpid(m_xvfb, nullptr, 0);
        }
    }
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

    bool start() {
        setUpEnvironment(m_display, m_home);
        m_xvfb = spawn({"Xvfb", m_display, "-screen", "0",
                        std::to_string(m_width) + "x" + std::to_string(m_height) + "x24",
                        "-nolisten", "tcp", "-noreset"});
        if (m_xvfb <= 0 || !m_x.open(m_display))
            return false;
        // A server left on the display by someone else would be measured instead.
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_x.connection())).data;
        return screen->width_in_pixels == m_width && screen->height_in_pixels == m_height;
    }

    // Measures every tool on the picture; false when a goal is missed.
    bool measure(const fs::path& picture, const fs::path& copy, const fs::path& referenceFile,
                 int rounds);

private:
    // The program started on a collection of the picture and its copy, its window mapped
    // and focused, the start-up done; -1 when it does not come up.
    pid_t startProgram(const fs::path& picture, const fs::path& copy);

    std::string m_display;
    int m_width, m_height;
    fs::path m_home;
    std::string m_program;
    pid_t m_xvfb = -1;
    Display m_x;
};

pid_t Screen::startProgram(const fs::path& picture, const fs::path& copy) {
    const fs::path data = m_home / "Documents" / "Quorvane";
    fs::create_directories(data);
    {
        std::ofstream list(data / "list.txt", std::ios::binary | std::ios::trunc);
        list << fs::absolute(picture).string() << "\r\n" << fs::absolute(copy).string() << "\r\n";
    }
    m_x.drain();
    const pid_t pid = spawn({m_program, "--show"});
    if (pid < 0 ||
        !m_x.waitFor(Display::Event::WindowMapped, Clock::now() + std::chrono::seconds(60)))
        return -1;
    xcb_connection_t* c = m_x.connection();
    const xcb_window_t window = m_x.mappedWindow();
    // The key goes where the pointer and the focus are: into the program's window.
    std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> g(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr), &std::free);
    if (g)
        xcb_test_fake_input(c, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, XCB_NONE,
                            std::int16_t(g->x + g->width / 2), std::int16_t(g->y + g->height / 2),
                            0);
    xcb_set_input_focus(c, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
    xcb_flush(c);
    // The start-up: the thumbnails of the collection and the last wallpaper shown again.
    untilIdle(pid, std::chrono::milliseconds(500), std::chrono::seconds(120));
    return pid;
}

bool Screen::measure(const fs::path& picture, const fs::path& copy, const fs::path& referenceFile,
                     int rounds) {
    const std::optional<std::vector<std::uint8_t>> reference =
        readPpm(referenceFile, m_width, m_height);
    const pid_t program = startProgram(picture, copy);
    if (program < 0) {
        std::fprintf(stderr, "the program did not start on %s\n", m_display.c_str());
        return false;
    }
    xcb_connection_t* c = m_x.connection();
    const xcb_keycode_t down = keycodeOf(c, 0xff54); // XK_Down
    enum class Kind { Key, Next, Peer };
    struct Tool {
        std::string name;
        Kind kind;
        std::vector<std::string> args;
    };
    const std::string file = picture.string();
    const std::vector<Tool> tools = {
        {"quorvane Down key", Kind::Key, {}},
        {"quorvane --next", Kind::Next, {m_program, "--next"}},
        {"feh --bg-fill", Kind::Peer, {"feh", "--no-fehbg", "--bg-fill", file}},
        {"xwallpaper --zoom", Kind::Peer, {"xwallpaper", "--zoom", file}},
        {"hsetroot -fill", Kind::Peer, {"hsetroot", "-fill", file}},
    };
    // One run; nullopt when the wallpaper did not change.
    const auto run = [&](const Tool& t) -> std::optional<double> {
        m_x.drain();
        const auto start = Clock::now();
        pid_t pid = -1;
        if (t.kind == Kind::Key) {
            xcb_test_fake_input(c, XCB_KEY_PRESS, down, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
            xcb_test_fake_input(c, XCB_KEY_RELEASE, down, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
            xcb_flush(c);
        } else {
            pid = spawn(t.args);
            if (pid < 0)
                return std::nullopt;
        }
        const bool shown =
            m_x.waitFor(Display::Event::WallpaperChanged, start + std::chrono::seconds(60));
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (pid > 0)
            waitpid(pid, nullptr, 0);
        // The program's work after the picture shows (its file written) ends before the
        // next run.
        untilIdle(program, std::chrono::milliseconds(150), std::chrono::seconds(60));
        return shown ? std::optional<double>(ms) : std::nullopt;
    };
    std::map<std::string, std::vector<double>> times;
    std::map<std::string, std::optional<double>> psnr;
    for (const Tool& t : tools) // warms the caches, and measures the picture's quality
    {
        if (!run(t)) {
            std::fprintf(stderr, "%s did not change the wallpaper\n", t.name.c_str());
            continue;
        }
        if (reference)
            psnr[t.name] = wallpaperPsnr(m_x, *reference, m_width, m_height);
    }
    for (int r = 0; r < rounds; ++r)
        for (std::size_t i = 0; i < tools.size(); ++i) {
            const Tool& t =
                tools[(r % 2 ? tools.size() - 1 - i : i + std::size_t(r)) % tools.size()];
            if (const std::optional<double> ms = run(t))
                times[t.name].push_back(*ms);
            else
                std::fprintf(stderr, "%s did not change the wallpaper\n", t.name.c_str());
        }
    const long resident = statusKb(program, "VmRSS:"), peak = statusKb(program, "VmHWM:");
    // The memory kept for the next apply goes back ten seconds after the last one.
    std::this_thread::sleep_for(std::chrono::seconds(11));
    untilIdle(program, std::chrono::milliseconds(150), std::chrono::seconds(60));
    const long idle = statusKb(program, "VmRSS:");
    stop(program);

    for (const Tool& t : tools) {
        const std::vector<double>& v = times[t.name];
        std::printf("    %-20s median %7.1f ms   slowest %7.1f ms", t.name.c_str(), median(v),
                    slowest(v));
        if (psnr[t.name])
            std::printf("   PSNR %5.1f dB", *psnr[t.name]);
        std::printf("\n");
    }
    std::printf("    program memory right after the applies %.1f MiB, 11 s later %.1f MiB, "
                "peak %.1f MiB\n",
                resident / 1024.0, idle / 1024.0, peak / 1024.0);
    bool met = true;
    const auto ratio = [&](const std::string& label, double value, double goal) {
        const bool ok = value > 0 && value <= goal;
        met = met && ok;
        std::printf("    %-44s %6.2fx   goal <= %.1f  %s\n", label.c_str(), value, goal,
                    ok ? "met" : "MISSED");
    };
    const double xw = median(times["xwallpaper --zoom"]), feh = median(times["feh --bg-fill"]);
    for (const char* ours : {"quorvane Down key", "quorvane --next"}) {
        const std::vector<double>& v = times[ours];
        const double m = median(v);
        if (xw > 0)
            ratio(std::string(ours) + " / xwallpaper --zoom", m / xw, GoalXwallpaper);
        if (feh > 0)
            ratio(std::string(ours) + " / feh --bg-fill", m / feh, GoalFeh);
        ratio(std::string(ours) + ": slowest / median", m > 0 ? slowest(v) / m : 0, GoalSlowest);
    }
    const std::optional<double> q = psnr["quorvane Down key"];
    const bool psnrMet = q && *q >= GoalPsnr;
    met = met && psnrMet;
    std::printf("    %-44s %6.1f dB  goal >= %.0f  %s\n", "quorvane PSNR against the box fill",
                q ? *q : 0.0, GoalPsnr, psnrMet ? "met" : "MISSED");
    return met;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: bench_desktop_apply QUORVANE [ROUNDS]\n", stderr);
        return 64;
    }
    const std::string program = fs::absolute(argv[1]).string();
    // Each line as it is printed, and no death by a reader that went away: the servers and
    // programs started are always ended.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    signal(SIGPIPE, SIG_IGN);
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;
    const char* dir = std::getenv("QUORVANE_BENCH_DIR");
    const fs::path folder =
        fs::absolute(dir ? fs::path(dir) : fs::path(argv[0]).parent_path() / "desktop-apply");
    const fs::path pictures = folder / "pictures";
    fs::create_directories(pictures);
    const char* displayName = std::getenv("QUORVANE_BENCH_DISPLAY");
    const std::string display = displayName ? displayName : ":134";

    setUpEnvironment(display, folder / "home");
    const std::vector<Picture> all = {
        {"photo_1920x1080.jpg", 1920, 1080, false, false, 11},
        {"photo_4000x3000.jpg", 4000, 3000, false, false, 12},
        {"photo_8000x6000.jpg", 8000, 6000, false, false, 13},
        {"grey_4000x3000.jpg", 4000, 3000, true, false, 14},
        {"photo_4000x3000.png", 4000, 3000, false, true, 15},
    };
    for (const Picture& p : all) {
        const fs::path file = pictures / p.name;
        const fs::path copy = pictures / ("second_" + p.name);
        if (!fs::exists(file)) {
            std::fprintf(stderr, "generating %s\n", p.name.c_str());
            if (!makePicture(p, file)) {
                std::fprintf(stderr, "ImageMagick's convert could not make %s\n", p.name.c_str());
                return 1;
            }
        }
        if (!fs::exists(copy))
            fs::copy_file(file, copy);
    }

    struct ScreenSize {
        int width, height;
        std::vector<std::string> pictures;
    };
    const std::vector<ScreenSize> screens = {
        {1920,
         1080,
         {"photo_1920x1080.jpg", "photo_4000x3000.jpg", "photo_8000x6000.jpg", "grey_4000x3000.jpg",
          "photo_4000x3000.png"}},
        {3840, 2160, {"photo_1920x1080.jpg", "photo_4000x3000.jpg", "photo_8000x6000.jpg"}},
    };
    bool allMet = true;
    for (const ScreenSize& s : screens) {
        const std::string size = std::to_string(s.width) + "x" + std::to_string(s.height);
        std::printf("\nScreen %s (Xvfb %s), %d rounds; from the key press or the start of the "
                    "process to the root window's new wallpaper:\n",
                    size.c_str(), display.c_str(), rounds);
        const fs::path home = folder / ("home-" + size);
        Screen screen(display, s.width, s.height, home, program);
        if (!screen.start()) {
            std::fprintf(stderr, "cannot start Xvfb of %s on %s (is the display in use?)\n",
                         size.c_str(), display.c_str());
            return 1;
        }
        for (const std::string& name : s.pictures) {
            const fs::path file = pictures / name;
            const fs::path reference = folder / ("box_" + size + "_" + name + ".ppm");
            if (!fs::exists(reference) && !makeReference(file, s.width, s.height, reference))
                std::fprintf(stderr, "no box reference for %s\n", name.c_str());
            std::printf("\n  %s\n", name.c_str());
            allMet =
                screen.measure(file, pictures / ("second_" + name), reference, rounds) && allMet;
        }
    }
    return allMet ? 0 : 1;
}
