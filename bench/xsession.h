// What the benchmarks that run real programs on a private Xvfb share: the
// children's environment, starting and ending them, and watching the display
// for a window being mapped or the root window's wallpaper changing.
#pragma once

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace xsession {

using Clock = std::chrono::steady_clock;

inline std::vector<std::string>& environment() {
    static std::vector<std::string> environment;
    return environment;
}

// The children's environment: this one's without any desktop session or
// user folder, on the private display, with a private home and XDG folders.
inline void setUpEnvironment(const std::string& display, const std::filesystem::path& home) {
    const char* dropped[] = {"DISPLAY=",
                             "HOME=",
                             "XDG_",
                             "WAYLAND_DISPLAY=",
                             "SWAYSOCK=",
                             "DESKTOP_SESSION=",
                             "DBUS_SESSION_BUS_ADDRESS=",
                             "KDE_FULL_SESSION=",
                             "GNOME_DESKTOP_SESSION_ID=",
                             "TMPDIR="};
    std::vector<std::string>& env = environment();
    env.clear();
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (std::none_of(std::begin(dropped), std::end(dropped),
                         [&](const char* d) { return entry.rfind(d, 0) == 0; }))
            env.push_back(entry);
    }
    std::filesystem::create_directories(home / "runtime");
    ::chmod((home / "runtime").c_str(), 0700);
    env.push_back("DISPLAY=" + display);
    env.push_back("HOME=" + home.string());
    env.push_back("XDG_RUNTIME_DIR=" + (home / "runtime").string());
    env.push_back("XDG_CONFIG_HOME=" + (home / ".config").string());
    env.push_back("XDG_DATA_HOME=" + (home / ".local/share").string());
    env.push_back("XDG_CACHE_HOME=" + (home / ".cache").string());
}

// Starts a program in that environment; its standard output goes to
// `stdoutFd` (else nowhere), its errors nowhere. -1 when it cannot start.
inline pid_t spawn(const std::vector<std::string>& args, int stdoutFd = -1) {
    std::vector<char*> argv, envp;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (const auto& e : environment())
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdoutFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, stdoutFd, 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Ends a process: SIGTERM (the program's own deferred close), SIGKILL after 30 s.
inline void stop(pid_t pid) {
    kill(pid, SIGTERM);
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (Clock::now() < deadline) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

inline double median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// A connection to the private display that sees top-level windows being
// mapped and the root window's wallpaper (_XROOTPMAP_ID) changing.
class Display {
public:
    enum class Event { WindowMapped, WallpaperChanged };

    bool open(const std::string& name) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            m_c = xcb_connect(name.c_str(), nullptr);
            if (!xcb_connection_has_error(m_c))
                break;
            xcb_disconnect(m_c);
            m_c = nullptr;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        if (!m_c)
            return false;
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
        const std::uint32_t mask =
            XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_c, root, XCB_CW_EVENT_MASK, &mask);
        const char atom[] = "_XROOTPMAP_ID";
        xcb_intern_atom_reply_t* r =
            xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, sizeof atom - 1, atom), nullptr);
        m_rootPmap = r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(r);
        xcb_flush(m_c);
        return true;
    }
    ~Display() {
        if (m_c)
            xcb_disconnect(m_c);
    }
    Display() = default;
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    void drain() {
        while (xcb_generic_event_t* e = xcb_poll_for_event(m_c))
            std::free(e);
    }
    // Waits for the event (a window that is not override-redirect for a
    // mapping, whose id goes to `window` where one is given); false after the
    // deadline.
    bool waitFor(Event event, Clock::time_point deadline, std::uint32_t* window = nullptr) {
        const int fd = xcb_get_file_descriptor(m_c);
        for (;;) {
            while (xcb_generic_event_t* e = xcb_poll_for_event(m_c)) {
                const int type = e->response_type & 0x7F;
                bool hit = false;
                if (event == Event::WindowMapped && type == XCB_MAP_NOTIFY) {
                    const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(e);
                    hit = !map->override_redirect;
                    if (hit)
                        m_mapped = map->window;
                    if (hit && window)
                        *window = map->window;
                }
                if (event == Event::WallpaperChanged && type == XCB_PROPERTY_NOTIFY)
                    hit = reinterpret_cast<xcb_property_notify_event_t*>(e)->atom == m_rootPmap;
                std::free(e);
                if (hit)
                    return true;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return false;
            pollfd p{fd, POLLIN, 0};
            poll(&p, 1, static_cast<int>(left.count()));
        }
    }

    xcb_connection_t* connection() const { return m_c; }
    xcb_atom_t rootPixmapAtom() const { return m_rootPmap; }
    // The window whose mapping the last wait for WindowMapped saw.
    xcb_window_t mappedWindow() const { return m_mapped; }

private:
    xcb_connection_t* m_c = nullptr;
    xcb_atom_t m_rootPmap = XCB_ATOM_NONE;
    xcb_window_t m_mapped = XCB_NONE;
};

} // namespace xsession
