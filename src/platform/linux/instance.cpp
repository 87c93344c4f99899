#include "platform/instance.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>
#include <vector>

namespace platform {

namespace {

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// A folder of this user that no one else may enter or write: a real folder
// (not a link), owned by us, mode 0700.
bool isPrivateFolder(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    const bool ok = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
                    (st.st_mode & 0777) == 0700;
    ::close(fd);
    return ok;
}

std::string systemError(int error) {
    return std::strerror(error);
}

// Creates the folders leading to `path` that are missing, each with mode
// 0700; the ones that exist are left as they are.
void makeParents(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1))
        ::mkdir(path.substr(0, slash).c_str(), 0700);
}

// Creates `path` as a private folder, its parents as needed, or takes the one
// there when it is private already. Otherwise false, with the reason in `why`.
bool makePrivateFolder(const std::string& path, std::string& why) {
    makeParents(path);
    if (::mkdir(path.c_str(), 0700) == 0) {
        // Whatever the file-creation mask took away: the folder is new and ours.
        const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) {
            (void)!::fchmod(fd, 0700);
            ::close(fd);
        }
    } else if (errno != EEXIST) {
        why = path + " cannot be created (" + systemError(errno) + ")";
        return false;
    }
    if (isPrivateFolder(path))
        return true;
    why =
        path + " is not a private folder of this user (a link, someone else's, or open to others)";
    static bool said = false;
    if (!std::exchange(said, true))
        std::fprintf(stderr, "Quorvane: %s; it is not used\n", why.c_str());
    return false;
}

// The folder for the lock and the channel, or empty with the reasons why
// each place was refused.
std::string findRuntimeFolder(std::string& why) {
    std::vector<std::string> refused;
    const std::string runtime = env("XDG_RUNTIME_DIR");
    if (!runtime.empty() && runtime.front() == '/' && isPrivateFolder(runtime))
        return runtime;
    refused.push_back(runtime.empty() ? "XDG_RUNTIME_DIR is not set"
                                      : "XDG_RUNTIME_DIR (" + runtime +
                                            ") is not a private folder of this user");
    const std::string uid = std::to_string(::geteuid());
    std::string tmp = env("TMPDIR");
    if (tmp.empty() || tmp.front() != '/')
        tmp = "/tmp";
    while (tmp.size() > 1 && tmp.back() == '/')
        tmp.pop_back();
    std::string reason;
    if (const std::string folder = tmp + "/quorvane-" + uid; makePrivateFolder(folder, reason))
        return folder;
    refused.push_back(reason);
    // Someone else holds the name in the temporary folder: the cache folder
    // in the home, which is ours.
    std::string cache = env("XDG_CACHE_HOME");
    if (cache.empty() || cache.front() != '/') {
        const std::string home = env("HOME");
        if (home.empty() || home.front() != '/') {
            refused.push_back("neither XDG_CACHE_HOME nor HOME names a folder");
            cache.clear();
        } else {
            cache = home + "/.cache";
        }
    }
    if (!cache.empty()) {
        if (const std::string folder = cache + "/quorvane"; makePrivateFolder(folder, reason))
            return folder;
        refused.push_back(reason);
    }
    why.clear();
    for (const std::string& r : refused)
        why += (why.empty() ? "" : "; ") + r;
    return {};
}

std::string escaped(const std::string& text) {
    static const char Hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '.' || c == '-') {
            out += static_cast<char>(c);
        } else {
            out += '_';
            out += Hex[c >> 4];
            out += Hex[c & 15];
        }
    }
    return out;
}

bool allDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// A stable short name for a long key (FNV-1a, 64 bits).
std::string hashed(const std::string& text) {
    std::uint64_t h = 14695981039346656037ull;
    for (unsigned char c : text)
        h = (h ^ c) * 1099511628211ull;
    char buffer[20];
    std::snprintf(buffer, sizeof buffer, "%016llx", static_cast<unsigned long long>(h));
    return buffer;
}

std::string x11Key(const std::string& display, const std::string& hostName) {
    std::string rest = display;
    // An optional protocol: "tcp/host:0", "unix/:0".
    for (const char* protocol : {"tcp/", "unix/", "inet/", "inet6/", "local/"})
        if (rest.rfind(protocol, 0) == 0)
            rest.erase(0, std::strlen(protocol));
    const auto colon = rest.rfind(':');
    if (colon == std::string::npos)
        return "x11-" + escaped(display);
    std::string host = rest.substr(0, colon);
    if (!host.empty() && host.back() == ':') // DECnet "node::0"
        host.pop_back();
    std::string number = rest.substr(colon + 1);
    if (const auto dot = number.find('.'); dot != std::string::npos)
        number.resize(dot); // the screen does not make another display
    if (!allDigits(number))
        return "x11-" + escaped(display);
    number = std::to_string(std::stoul(number.substr(0, 9)));
    const bool local = host.empty() || host == "unix" || host == "localhost" ||
                       host == "127.0.0.1" || host == "::1" || host == "[::1]" ||
                       host.front() == '/' || (!hostName.empty() && host == hostName);
    return local ? "x11-" + number : "x11-" + escaped(host) + "-" + number;
}

} // namespace

std::string displayKey(const DisplayEnv& e) {
    if (!e.wayland.empty()) {
        std::string socket = e.wayland;
        if (socket.front() != '/')
            socket = (e.runtimeDir.empty() ? std::string() : e.runtimeDir + "/") + socket;
        return "wayland-" + escaped(socket);
    }
    if (!e.x11.empty())
        return x11Key(e.x11, e.hostName);
    return "none";
}

std::string currentDisplayKey() {
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0)
        host[0] = 0;
    return displayKey({env("DISPLAY"), env("WAYLAND_DISPLAY"), env("XDG_RUNTIME_DIR"), host});
}

std::string instanceName(const std::string& title) {
    std::string key = currentDisplayKey();
    // Socket paths are limited to 107 bytes; long keys go by a fixed-size name.
    if (key.size() > 40)
        key = "h" + hashed(key);
    return title + "-" + key;
}

std::string runtimeFolder() {
    std::string why;
    return findRuntimeFolder(why);
}

InstanceLock acquireInstanceLock(const std::string& title) {
    std::string why;
    const std::string folder = findRuntimeFolder(why);
    if (folder.empty())
        return {InstanceLock::State::Unavailable,
                "No private folder for the lock that keeps a second copy from running: " + why +
                    "."};
    const std::string path = folder + "/" + instanceName(title) + ".lock";
    // The descriptor stays open for the life of the process; the kernel
    // releases the lock when the process ends, however it ends.
    const auto open = [&path] {
        return ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    };
    int fd = open();
    if (fd < 0 && errno == ELOOP) {
        // A link where the lock belongs, in a folder only this user can
        // write to: it is not followed, it is replaced.
        ::unlink(path.c_str());
        fd = open();
    }
    if (fd < 0)
        return {InstanceLock::State::Unavailable,
                "The lock file " + path + " cannot be opened: " + systemError(errno) + "."};
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return {InstanceLock::State::Acquired, {}};
    const int error = errno;
    ::close(fd);
    if (error == EWOULDBLOCK)
        return {InstanceLock::State::HeldElsewhere, {}};
    return {InstanceLock::State::Unavailable,
            "The lock file " + path + " cannot be locked: " + systemError(error) + "."};
}

std::string instanceChannelName(const std::string& title) {
    const std::string folder = runtimeFolder();
    if (folder.empty())
        return {};
    return folder + "/" + instanceName(title) + ".socket";
}

bool peerIsSameUser(std::intptr_t socketDescriptor) {
    struct ucred credentials {};
    socklen_t length = sizeof credentials;
    if (::getsockopt(static_cast<int>(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &credentials,
                     &length) != 0 ||
        length != sizeof credentials)
        return false;
    return credentials.uid == ::geteuid();
}

} // namespace platform
