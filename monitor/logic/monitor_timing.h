/* The monitor's fixed waits (milliseconds, multiplied by VOK_TIME_SCALE) and its sleeps: a
 * plain one, and one that ends early when the worker is told to stop. */
#ifndef QUBEXMON_MONITOR_TIMING_H
#define QUBEXMON_MONITOR_TIMING_H

#include <atomic>

namespace qubexmon {

constexpr int kMonRoundMs = 500;             /* at the start of every round */
constexpr int kMonIdleMs = 2000;             /* after a round that may not poll */
constexpr int kMonFirstIntervalMs = 3000;    /* before the first poll */
constexpr int kMonCameraIntervalMs = 1000;   /* after a poll that found the camera */
constexpr int kMonFailedIntervalMs = 3000;   /* after a failed status read */
constexpr int kMonNoCameraIntervalMs = 5000; /* after a poll without a camera */
constexpr int kMonSendSleepMs = 500;         /* after each request sent */
constexpr int kMonActiveWaitMs = 10000;      /* for the started program to mark itself active */
constexpr int kMonSettleMs = 10000;          /* then, before polling again */
constexpr int kMonRetrySleepMs = 1000;       /* between failed starts */
constexpr int kMonMaxFailedStarts = 4;       /* failed starts before the fifth ends the monitor */

/* The interval before the next poll, from what the last poll found. */
int MonNextInterval(bool cameraFound, bool statusRead);

/* Sleeps ms (scaled). */
void MonSleepPlain(int ms);
/* Sleeps ms (scaled) in short steps; false as soon as running is cleared. */
bool MonSleep(int ms, const std::atomic<bool>& running);

} // namespace qubexmon

#endif
