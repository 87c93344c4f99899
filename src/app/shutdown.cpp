#include "app/shutdown.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalFd[2] = {-1, -1};

extern "C" void onSignal(int sig) {
    const char c = static_cast<char>(sig);
    [[maybe_unused]] auto n = ::write(g_signalFd[0], &c, 1);
}

} // namespace

void InstallShutdownSignals(QObject* owner, std::function<void()> closeRequest) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalFd) != 0)
        return;
    ::fcntl(g_signalFd[0], F_SETFL, O_NONBLOCK);
    auto* notifier = new QSocketNotifier(g_signalFd[1], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [closeRequest] {
        char buf[16];
        while (::read(g_signalFd[1], buf, sizeof buf) == static_cast<ssize_t>(sizeof buf)) {
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
