// Counts how often a file is replaced by an atomic write (a rename onto its
// name), as the kernel reports it: an observer outside the program, so that
// every write counts, whichever code made it.
#pragma once

#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>
#include <string>

class ReplacementCounter {
public:
    /// Watches the folder of `file` (which must exist) from now on. The
    /// moves away are watched too, only so that the kernel never merges two
    /// replacements in a row into one event.
    explicit ReplacementCounter(const std::string& file)
        : m_name(std::filesystem::path(file).filename().string()) {
        m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_fd >= 0 && inotify_add_watch(m_fd, std::filesystem::path(file).parent_path().c_str(),
                                           IN_MOVED_FROM | IN_MOVED_TO) < 0) {
            close(m_fd);
            m_fd = -1;
        }
    }
    ~ReplacementCounter() {
        if (m_fd >= 0)
            close(m_fd);
    }
    ReplacementCounter(const ReplacementCounter&) = delete;
    ReplacementCounter& operator=(const ReplacementCounter&) = delete;

    /// Replacements seen since the counter was made; -1 when the kernel
    /// dropped events (or the folder could not be watched).
    int count() {
        if (m_fd < 0)
            return -1;
        alignas(inotify_event) char buffer[64 * 1024];
        for (;;) {
            const ssize_t n = read(m_fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            for (ssize_t at = 0; at < n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
                if (e->mask & IN_Q_OVERFLOW)
                    m_lost = true;
                else if ((e->mask & IN_MOVED_TO) && e->len > 0 && m_name == e->name)
                    ++m_count;
                at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
            }
        }
        return m_lost ? -1 : m_count;
    }

private:
    std::string m_name;
    int m_fd = -1;
    int m_count = 0;
    bool m_lost = false;
};
