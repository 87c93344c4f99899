#include "platform/localsocket.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

bool addressOf(const std::string& path, sockaddr_un& address) {
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

int newSocket() {
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

int millisecondsUntil(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits until `fd` is ready for `events` or the deadline has passed.
bool waitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int ready = ::poll(&p, 1, millisecondsUntil(deadline));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

} // namespace

int listenLocalSocket(const std::string& path) {
    sockaddr_un address;
    if (!addressOf(path, address))
        return -1;
    const int fd = newSocket();
    if (fd < 0)
        return -1;
    // Only the holder of the instance lock listens: a socket file here is a
    // dead instance's.
    ::unlink(path.c_str());
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(path.c_str(), S_IRUSR | S_IWUSR) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int acceptLocalSocket(int listener) {
    for (;;) {
        const int fd = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0 || errno != EINTR)
            return fd;
    }
}

LocalRead readLocalSocket(int socket, char* buffer, std::size_t max) {
    for (;;) {
        const ssize_t n = ::recv(socket, buffer, max, 0);
        if (n > 0)
            return {ReadState::Bytes, static_cast<std::size_t>(n)};
        if (n == 0)
            return {ReadState::Closed, 0};
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return {ReadState::Nothing, 0};
        return {ReadState::Closed, 0};
    }
}

bool writeLocalSocket(int socket, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

void closeLocalSocket(int socket) {
    if (socket >= 0)
        ::close(socket);
}

std::optional<std::string> exchangeOverLocalSocket(const std::string& path,
                                                   std::string_view message, std::size_t maxAnswer,
                                                   int timeoutMs) {
    sockaddr_un address;
    if (!addressOf(path, address))
        return std::nullopt;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    const int fd = newSocket();
    if (fd < 0)
        return std::nullopt;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    // A listener whose queue is full refuses for now: it is asked again
    // until the time is up.
    for (;;) {
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
            break;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN || Clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    while (!message.empty()) {
        const ssize_t n = ::send(fd, message.data(), message.size(), MSG_NOSIGNAL);
        if (n > 0) {
            message.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK) || !waitFor(fd, POLLOUT, deadline))
            return std::nullopt;
    }
    std::string answer;
    char buffer[256];
    while (answer.size() < maxAnswer && answer.find('\n') == std::string::npos) {
        const LocalRead r =
            readLocalSocket(fd, buffer, std::min(sizeof buffer, maxAnswer - answer.size()));
        if (r.state == ReadState::Closed)
            break;
        if (r.state == ReadState::Bytes)
            answer.append(buffer, r.count);
        else if (!waitFor(fd, POLLIN, deadline))
            break;
    }
    return answer;
}

} // namespace platform
