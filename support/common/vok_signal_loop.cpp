/* One socket pair and one handler per signal, made when the signal is first asked for; every
 * context asking for it watches the same pair. */
#include "vok_signal_loop.h"

#include <QSocketNotifier>

#include <cassert>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vokc {
namespace {

struct SignalPipe {
    int read = -1;
    int write = -1;
};

SignalPipe g_pipes[NSIG];

void OnSignal(int number) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(g_pipes[number].write, &byte, 1);
    errno = saved;
}

} // namespace

bool OnSignalInLoop(int number, QObject* context, std::function<void()> act) {
    assert(number > 0 && number < NSIG);
    SignalPipe& pipe = g_pipes[number];
    if (pipe.read < 0) {
        int fds[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0)
            return false;
        ::fcntl(fds[1], F_SETFL, O_NONBLOCK);
        pipe.read = fds[0];
        pipe.write = fds[1];
        struct sigaction action {};
        action.sa_handler = OnSignal;
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        ::sigaction(number, &action, nullptr);
    }
    auto* notifier = new QSocketNotifier(pipe.read, QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context,
                     [fd = pipe.read, act = std::move(act)] {
                         char buffer[64];
                         [[maybe_unused]] ssize_t n = ::read(fd, buffer, sizeof buffer);
                         act();
                     });
    return true;
}

} // namespace vokc
