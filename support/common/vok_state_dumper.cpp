/* Polling the producer, the SIGUSR1 path into the event loop, and the atomic write. */
#include "vok_state_dumper.h"

#include "vok_files.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vokc {
namespace {

/* SIGUSR1 reaches the event loop through a socket pair. */
int g_signalPipe[2] = {-1, -1};

void OnSigusr1(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

/* Two quiet polls in a row (at most 200 ms) mean the state has settled. */
constexpr int kPollMs = 100;

} // namespace

StateDumper::StateDumper(std::function<QByteArray()> produce, QString path)
    : produce_(std::move(produce)), path_(std::move(path)), timer_(new QTimer(this)) {
    connect(timer_, &QTimer::timeout, this, &StateDumper::Poll);
    timer_->start(kPollMs);
    if (g_signalPipe[0] < 0 &&
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) == 0) {
        ::fcntl(g_signalPipe[1], F_SETFL, O_NONBLOCK);
        struct sigaction action {};
        action.sa_handler = OnSigusr1;
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGUSR1, &action, nullptr);
    }
    if (g_signalPipe[0] >= 0) {
        signalNotifier_ = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, this);
        connect(signalNotifier_, &QSocketNotifier::activated, this, [this] {
            char buffer[64];
            [[maybe_unused]] ssize_t n = ::read(g_signalPipe[0], buffer, sizeof buffer);
            WriteNow();
        });
    }
}

StateDumper::~StateDumper() {
    WriteNow();
}

bool StateDumper::Write(const QByteArray& text) {
    ReplaceOptions options;
    options.tempPrefix = ".vok-state.";
    const QByteArray path = path_.toLocal8Bit();
    return ReplaceFile(path.constData(), text.constData(), static_cast<size_t>(text.size()),
                       options);
}

void StateDumper::WriteNow() {
    const QByteArray text = produce_();
    if (Write(text))
        written_ = text;
    seen_ = text;
}

void StateDumper::Poll() {
    const QByteArray text = produce_();
    if (text != seen_) {
        seen_ = text;
        return;
    }
    if (text != written_ && Write(text))
        written_ = text;
}

} // namespace vokc
