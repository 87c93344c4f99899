// One running instance per executable name and user desktop, and where that
// instance takes commands from later starts.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

/// What acquireInstanceLock found.
struct InstanceLock {
    enum class State {
        Acquired,      ///< this process is the instance, for the rest of its life
        HeldElsewhere, ///< another process already holds the lock
        Unavailable,   ///< no lock can be had: the program must not run without one
    };
    State state = State::Acquired;
    /// For Unavailable: why, in words the user can act on.
    std::string problem;
};

/// Takes the single-instance lock named after `title` and the desktop, and
/// holds it for the life of the process. Windows: a mutex that cannot be
/// created counts as Acquired. Linux: Unavailable when there is no private
/// folder for the lock (runtimeFolder() is empty) or the lock file there
/// cannot be opened or locked.
InstanceLock acquireInstanceLock(const std::string& title);

/// The name of the instance on this desktop, shared by the lock and the
/// command channel: the title on Windows; on Linux the title and
/// currentDisplayKey() ("Quorvane-x11-0").
std::string instanceName(const std::string& title);

/// Where the command channel of the instance named after `title` listens
/// (QLocalServer's name): a socket path in runtimeFolder() on Linux, a pipe
/// name of this user and session on Windows. Empty when there is no private
/// place for it.
std::string instanceChannelName(const std::string& title);

/// True when the process at the other end of the connected local socket
/// `socketDescriptor` runs as this user (SO_PEERCRED on Linux). On Windows
/// the pipe's access list, which admits this user only, does the check.
bool peerIsSameUser(std::intptr_t socketDescriptor);

/// Linux: the per-user folder for the lock and the channel, with no
/// trailing slash. $XDG_RUNTIME_DIR when it is a folder of this user closed
/// to others; otherwise <temporary folder>/quorvane-<uid>; otherwise
/// $XDG_CACHE_HOME/quorvane (~/.cache/quorvane). The last two are created
/// with mode 0700 when missing, with their missing parents (also 0700). A
/// folder that is a symbolic link, belongs to someone else or is not mode
/// 0700 is never used. Empty when none qualifies. Windows: empty.
std::string runtimeFolder();

/// What the display settings name, as a key for file names: the same for
/// every spelling of one display.
struct DisplayEnv {
    std::string x11;        ///< DISPLAY
    std::string wayland;    ///< WAYLAND_DISPLAY
    std::string runtimeDir; ///< XDG_RUNTIME_DIR, where a relative Wayland name lives
    std::string hostName;   ///< this machine's name (a display on it is local)
};

/// "wayland-<socket path>" under Wayland (the path with every byte but
/// letters, digits, "." and "-" written as "_XX"); "x11-77" for a local X
/// display (":77", ":77.0", "localhost:77", "unix:77.1", "<this host>:77");
/// "x11-<host>-77" for another machine's; "none" without a display.
std::string displayKey(const DisplayEnv& env);

/// displayKey() of this process's environment.
std::string currentDisplayKey();

} // namespace platform
