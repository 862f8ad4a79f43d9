/* The monitor's worker: rounds of the interlock test and a poll of the camera's button, the
 * start of the main program for an event with its retries, and the button reset owed to the
 * camera. The host (the tray program, or rt70cam watch) starts programs and shows messages. */
#ifndef QUBEXMON_MONITOR_WORKER_H
#define QUBEXMON_MONITOR_WORKER_H

#include <atomic>
#include <thread>

#include "monitor_link.h"

namespace qubexmon {

enum class MonLaunch {
    Started,  /* the main program runs: wait for it to mark itself active */
    NotFound, /* no program at the path */
    Failed,   /* it could not be started: try again */
    Handled   /* the host dealt with the event itself; the button is reset afterwards */
};

/* Called on the worker's thread. */
class MonHost {
  public:
    virtual ~MonHost() = default;
    virtual MonLaunch Launch(int event) = 0;
    /* The launch messages: 3 (program not found), 5 (starting failed repeatedly). */
    virtual void LaunchMessage(int stringId) { (void)stringId; }
    /* Polling stopped until the user clears the interruption box. */
    virtual void Interrupted() {}
    /* The monitor must end. */
    virtual void Ended() {}
};

/* The shared flags: plain words written by one thread and read by the other. */
struct MonState {
    std::atomic<bool> running{false};
    std::atomic<bool> pollingAllowed{false};
    std::atomic<bool> interruption{false};
    std::atomic<bool> devicePresent{true};
    std::atomic<bool> pollInProgress{false};
    std::atomic<bool> resetPending{false};
    std::atomic<int> launchFailures{0};
    std::atomic<int> pollInterval{3000};
};

/* The interlock values after stale ones were cleared. readable is false when the settings
 * store could not be read, in which case the camera is left alone. */
struct MonInterlock {
    bool readable = false;
    bool active = false;
    bool resizing = false;
};

/* Reads Active and Resizeing; a 1 whose owner process no longer runs a qubex program is
 * written back as 0. */
MonInterlock MonCheckInterlock();

class MonWorker {
  public:
    MonWorker(MonHost* host, MonLink* link);
    ~MonWorker();
    MonState& state() { return state_; }
    const MonState& state() const { return state_; }
    /* Starts the thread with the running, polling-allowed and device-present flags set. */
    void Start();
    /* Runs the rounds on the calling thread until the running flag is cleared (from another
     * thread or a signal handler). */
    void Run();
    /* Clears the running flag and waits until the worker has left the camera and ended. */
    void Stop();
    /* One round of the loop; the thread runs it while running is set. */
    void Round();
    /* The settings were confirmed: a reset is owed to the camera, sent by the next round in
     * which no other program holds the camera. */
    void RequestReset() { state_.resetPending = true; }

  private:
    void Begin();
    /* Marks the camera as the monitor's (Now_Toking = 1) and checks the store once more; false
     * (and nothing held) when the store cannot be read or written or another program took the
     * camera meanwhile. */
    bool HoldCamera();
    void ReleaseCamera();
    void SendOwedReset();
    void StartProgram(int event);
    MonHost* host_;
    MonLink* link_;
    MonState state_;
    std::thread thread_;
};

} // namespace qubexmon

#endif
