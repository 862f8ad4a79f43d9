/* Scaled sleeps of the monitor. */
#include "monitor_timing.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "vok_process.h"

namespace qubexmon {
namespace {

using Ms = std::chrono::duration<double, std::milli>;

/* How often a sleep looks at the running flag: exit waits at most this long for a sleep. */
constexpr double kStepMs = 20;

} // namespace

int MonNextInterval(bool cameraFound, bool statusRead) {
    if (!cameraFound)
        return kMonNoCameraIntervalMs;
    return statusRead ? kMonCameraIntervalMs : kMonFailedIntervalMs;
}

void MonSleepPlain(int ms) {
    const double scaled = ms * vokc::TimeScale();
    if (scaled > 0)
        std::this_thread::sleep_for(Ms(scaled));
}

bool MonSleep(int ms, const std::atomic<bool>& running) {
    const auto end = std::chrono::steady_clock::now() + Ms(ms * vokc::TimeScale());
    while (running.load()) {
        const Ms left = end - std::chrono::steady_clock::now();
        if (left.count() <= 0)
            return true;
        std::this_thread::sleep_for(Ms(std::min(left.count(), kStepMs)));
    }
    return false;
}

} // namespace qubexmon
