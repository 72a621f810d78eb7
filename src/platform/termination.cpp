#include "platform/termination.h"

#include <QObject>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_fds[2] = {-1, -1};
std::function<void()> g_onTerminate;

void OnSignal(int) {
    const char byte = 1;
    // Only async-signal-safe work here: wake the event loop.
    [[maybe_unused]] const ssize_t n = ::write(g_fds[0], &byte, 1);
}
} // namespace

void InstallTerminationHandler(QObject* context, std::function<void()> onTerminate) {
    g_onTerminate = std::move(onTerminate);
    if (g_fds[0] >= 0)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_fds) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [] {
        char byte = 0;
        [[maybe_unused]] const ssize_t n = ::read(g_fds[1], &byte, 1);
        if (g_onTerminate)
            g_onTerminate();
    });
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &action, nullptr);
}
