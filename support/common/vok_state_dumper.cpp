/* Polling the producer, the SIGUSR1 path into the event loop, and the atomic write. */
#include "vok_state_dumper.h"

#include "vok_files.h"
#include "vok_signal_loop.h"

#include <QTimer>

#include <csignal>

namespace vokc {
namespace {

/* Two quiet polls in a row (at most 200 ms) mean the state has settled. */
constexpr int kPollMs = 100;

} // namespace

StateDumper::StateDumper(std::function<QByteArray()> produce, QString path)
    : produce_(std::move(produce)), path_(std::move(path)), timer_(new QTimer(this)) {
    connect(timer_, &QTimer::timeout, this, &StateDumper::Poll);
    timer_->start(kPollMs);
    OnSignalInLoop(SIGUSR1, this, [this] { WriteNow(); });
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
