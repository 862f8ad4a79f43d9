/* The worker's rounds. The camera is touched only while Now_Toking is 1 and no other program
 * holds it; a stale Active or Resizeing (its process gone) is cleared in the same round, so a
 * program that died blocks the monitor for at most one round. */
#include "monitor_worker.h"

#include <assert.h>

#include "VokComRT70.h"
#include "VokSharedKeys.h"
#include "monitor_settings.h"
#include "monitor_timing.h"
#include "vok_process.h"

namespace qubexmon {
namespace {

/* How often the wait for Active reads the store. */
constexpr int kActiveReadMs = 50;

/* Reads the flag; a stale 1 is cleared. false when it cannot be read. */
bool ReadOwnedFlag(const char* flag, const char* owner, bool* set) {
    int32_t value = 0;
    *set = false;
    if (!MonReadNumber(flag, &value))
        return true; // missing: nobody ever set it (an unreadable store is caught by HoldCamera)
    if (value != 1)
        return true;
    int32_t pid = 0;
    MonReadNumber(owner, &pid);
    if (vokc::IsQubexProcess(pid)) {
        *set = true;
        return true;
    }
    return MonWriteNumber(flag, 0);
}

} // namespace

MonInterlock MonCheckInterlock() {
    MonInterlock i;
    const bool a = ReadOwnedFlag(VOK_VALUE_ACTIVE, VOK_VALUE_APP_HANDLE, &i.active);
    const bool r = ReadOwnedFlag(VOK_VALUE_RESIZING, VOK_VALUE_RESIZE_HANDLE, &i.resizing);
    i.readable = a && r;
    return i;
}

MonWorker::MonWorker(MonHost* host, MonLink* link) : host_(host), link_(link) {
    assert(host && link);
}

MonWorker::~MonWorker() {
    Stop();
}

void MonWorker::Begin() {
    state_.running = true;
    state_.pollingAllowed = true;
    state_.devicePresent = true;
    state_.pollInterval = kMonFirstIntervalMs;
}

void MonWorker::Start() {
    assert(!thread_.joinable());
    Begin();
    thread_ = std::thread([this] {
        while (state_.running)
            Round();
    });
}

void MonWorker::Run() {
    Begin();
    while (state_.running)
        Round();
}

void MonWorker::Stop() {
    state_.running = false;
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

bool MonWorker::HoldCamera() {
    int32_t mark = 0;
    if (!MonWriteNumber(VOK_VALUE_NOW_TOKING, 1) || !MonReadNumber(VOK_VALUE_NOW_TOKING, &mark) ||
        mark != 1) {
        MonWriteNumber(VOK_VALUE_NOW_TOKING, 0);
        return false;
    }
    // A program that marked itself active between the interlock test and now keeps the camera.
    const MonInterlock again = MonCheckInterlock();
    if (!again.readable || again.active || again.resizing) {
        ReleaseCamera();
        return false;
    }
    state_.pollInProgress = true;
    return true;
}

void MonWorker::ReleaseCamera() {
    state_.pollInProgress = false;
    MonWriteNumber(VOK_VALUE_NOW_TOKING, 0);
}

void MonWorker::SendOwedReset() {
    if (!HoldCamera())
        return;
    // The owner of the camera may have released the button already: one reset, never two.
    int event = 0;
    if (MonLink_CameraPresent(link_)) {
        if (MonLink_ReadButton(link_, &event) != DSC_OK || event != 0)
            MonLink_ResetButton(link_);
        state_.resetPending = false;
    }
    ReleaseCamera();
}

void MonWorker::Round() {
    if (!MonSleep(kMonRoundMs, state_.running))
        return;
    const MonInterlock lock = MonCheckInterlock();
    const bool free = lock.readable && !lock.active && !lock.resizing;
    const bool allowed = free && !state_.interruption && state_.devicePresent;
    state_.pollingAllowed = allowed;
    if (state_.resetPending && free)
        SendOwedReset();
    if (!allowed) {
        MonSleep(kMonIdleMs, state_.running);
        return;
    }
    if (!MonSleep(state_.pollInterval, state_.running))
        return;
    int event = 0;
    if (HoldCamera()) {
        const bool found = MonLink_CameraPresent(link_);
        bool read = false;
        if (found) {
            state_.devicePresent = true;
            read = MonLink_ReadButton(link_, &event) == DSC_OK;
            if (!read)
                event = 0;
        }
        state_.pollInterval = MonNextInterval(found, read);
        ReleaseCamera();
    }
    if (event == 1 || event == 2)
        StartProgram(event);
}

void MonWorker::StartProgram(int event) {
    while (state_.running) {
        switch (host_->Launch(event)) {
        case MonLaunch::Started: {
            state_.pollingAllowed = false;
            const int reads = kMonActiveWaitMs / kActiveReadMs;
            int32_t active = 0;
            for (int i = 0; i < reads && state_.running; ++i) {
                if (MonReadNumber(VOK_VALUE_ACTIVE, &active) && active != 0)
                    break;
                MonSleep(kActiveReadMs, state_.running);
            }
            MonSleep(kMonSettleMs, state_.running);
            state_.launchFailures = 0;
            return;
        }
        case MonLaunch::Handled:
            state_.launchFailures = 0;
            state_.resetPending = true;
            return;
        case MonLaunch::NotFound:
            state_.interruption = true;
            host_->Interrupted();
            host_->LaunchMessage(3);
            return;
        case MonLaunch::Failed:
            if (state_.launchFailures >= kMonMaxFailedStarts) {
                host_->LaunchMessage(5);
                state_.running = false;
                host_->Ended();
                return;
            }
            MonSleep(kMonRetrySleepMs, state_.running);
            ++state_.launchFailures;
            break;
        }
    }
}

} // namespace qubexmon
