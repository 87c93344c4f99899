// SIGTERM, SIGINT and SIGHUP become calls on the user-interface thread
// through a self-pipe, since a signal handler may do nothing else safely.
#include "platform/signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

int g_signalFd[2] = {-1, -1};

extern "C" void onSignal(int sig) {
    const char c = static_cast<char>(sig);
    [[maybe_unused]] auto n = ::write(g_signalFd[0], &c, 1);
}

} // namespace

void onTerminationRequest(std::function<void()> closeRequest) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalFd) != 0)
        return;
    ::fcntl(g_signalFd[0], F_SETFL, O_NONBLOCK);
    ::fcntl(g_signalFd[1], F_SETFL, O_NONBLOCK);
    auto* notifier =
        new QSocketNotifier(g_signalFd[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [closeRequest] {
        char buf[16];
        while (::read(g_signalFd[1], buf, sizeof buf) > 0) {
        }
        closeRequest();
    });
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &sa, nullptr);
}

} // namespace platform
