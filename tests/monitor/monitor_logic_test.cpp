/* The monitor's logic without a display: settings and their defaults, the interlock with a
 * live and a dead qubex, the two camera commands against the virtual camera, and the worker's
 * rounds with a host that records what it is asked (launches, retries, messages, the reset
 * owed to the camera). Waits are scaled by VOK_TIME_SCALE. */
#include "monitor_test_util.h"

#include <gtest/gtest.h>

#include <vector>

#include "monitor_link.h"
#include "monitor_settings.h"
#include "monitor_strings.h"
#include "monitor_timing.h"
#include "monitor_worker.h"

using namespace qubexmon;
using montest::Number;
using montest::SetNumber;

namespace {

class RecordingHost : public MonHost {
  public:
    MonLaunch answer = MonLaunch::Started;
    std::vector<int> launches;
    std::vector<int> messages;
    int interrupted = 0;
    int ended = 0;
    MonLaunch Launch(int event) override {
        launches.push_back(event);
        return answer;
    }
    void LaunchMessage(int id) override { messages.push_back(id); }
    void Interrupted() override { ++interrupted; }
    void Ended() override { ++ended; }
};

class MonitorLogic : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(MonLink_Load(&link_)); }
    /* Rounds of a worker run on the test's thread. */
    void Rounds(MonWorker& worker, int n) {
        worker.state().running = true;
        for (int i = 0; i < n && worker.state().running; ++i)
            worker.Round();
    }
    voktest::TempHome home_{"qubexmon"};
    voktest::ScopedEnv scale_{"VOK_TIME_SCALE", "0.01"};
    MonLink link_;
};

TEST_F(MonitorLogic, SettingsDefaultsRoundTripAndProgramPath) {
    const std::string own = home_.dir + "/bin";
    MonSettings s = MonReadSettings(own);
    // Nothing stored: the program beside the monitor, pictures into the home folder.
    EXPECT_EQ(s.application, own);
    EXPECT_EQ(s.image, home_.dir);
    EXPECT_EQ(s.mail, home_.dir);
    EXPECT_EQ(s.flagResize, 1);
    EXPECT_EQ(s.modeResize, 0);

    s.application = home_.dir + "/no/such/folder";
    s.image = voktest::MakeDirs(home_.dir, "pictures");
    s.mail = home_.dir + "/gone";
    s.flagResize = 0;
    s.modeResize = 1;
    ASSERT_TRUE(MonWriteSettings(s));
    const MonSettings back = MonReadSettings(own);
    EXPECT_EQ(back.application, home_.dir); // a folder that does not exist reads as home
    EXPECT_EQ(back.image, s.image);
    EXPECT_EQ(back.mail, home_.dir);
    EXPECT_EQ(back.flagResize, 0);
    EXPECT_EQ(back.modeResize, 1);
    ASSERT_TRUE(montest::SetText(VOK_VALUE_PATH_APPLICATION, ""));
    EXPECT_EQ(MonReadSettings(own).application, own);

    EXPECT_EQ(MonProgramPath("/opt/rt70/bin"), "/opt/rt70/bin/qubex");
    EXPECT_EQ(MonProgramPath("/opt/rt70/bin/"), "/opt/rt70/bin/qubex");
    EXPECT_EQ(MonProgramPath("/"), "/qubex");

    EXPECT_STREQ(MonString(4, 4), "qubex Monitor");
    EXPECT_STREQ(MonString(16, 2), "&Beenden");
    EXPECT_STREQ(MonString(3, 1), "L'application de transfert d'images est introuvable.");
    EXPECT_STREQ(MonString(99, 4), "");

    EXPECT_EQ(MonNextInterval(true, true), kMonCameraIntervalMs);
    EXPECT_EQ(MonNextInterval(true, false), kMonFailedIntervalMs);
    EXPECT_EQ(MonNextInterval(false, false), kMonNoCameraIntervalMs);
}

TEST_F(MonitorLogic, InterlockKeepsALiveQubexAndClearsStaleValues) {
    montest::FakeQubex qubex(home_.dir);
    ASSERT_TRUE(SetNumber(VOK_VALUE_ACTIVE, 1));
    ASSERT_TRUE(SetNumber(VOK_VALUE_APP_HANDLE, qubex.pid()));
    // Resizing owned by a process that runs, but is not qubex: stale.
    ASSERT_TRUE(SetNumber(VOK_VALUE_RESIZING, 1));
    ASSERT_TRUE(SetNumber(VOK_VALUE_RESIZE_HANDLE, static_cast<int32_t>(getpid())));

    MonInterlock lock = MonCheckInterlock();
    EXPECT_TRUE(lock.readable);
    EXPECT_TRUE(lock.active);
    EXPECT_FALSE(lock.resizing);
    EXPECT_EQ(Number(VOK_VALUE_ACTIVE), 1);
    EXPECT_EQ(Number(VOK_VALUE_RESIZING), 0);

    qubex.Kill();
    lock = MonCheckInterlock();
    EXPECT_FALSE(lock.active);
    EXPECT_EQ(Number(VOK_VALUE_ACTIVE), 0);
}

TEST_F(MonitorLogic, ButtonCommandsOverTheLink) {
    {
        voktest::ScopedEnv none("VOKUSB_SIM", home_.dir + "/no-camera.sock");
        EXPECT_FALSE(MonLink_CameraPresent(&link_));
        int event = -1;
        EXPECT_NE(MonLink_ReadButton(&link_, &event), 0);
        EXPECT_EQ(event, 0);
    }
    montest::LoggedCamera camera(home_.dir, {"--button", "2"});
    EXPECT_TRUE(MonLink_CameraPresent(&link_));
    int event = 0;
    ASSERT_EQ(MonLink_ReadButton(&link_, &event), 0);
    EXPECT_EQ(event, 2);
    ASSERT_EQ(MonLink_ResetButton(&link_), 0);
    ASSERT_EQ(MonLink_ReadButton(&link_, &event), 0);
    EXPECT_EQ(event, 0);
}

TEST_F(MonitorLogic, ResetIsRetriedWhileTheCameraDoesNotAnswer) {
    montest::LoggedCamera camera(
        home_.dir, {"--button", "1", "--fault", "134:1:drop", "--fault", "134:2:checksum"});
    ASSERT_EQ(MonLink_ResetButton(&link_), 0);
    // The dropped request has no reply to log; the damaged one and the good one have.
    EXPECT_EQ(montest::Requests(camera.Log(), 134), 2);
    int event = -1;
    ASSERT_EQ(MonLink_ReadButton(&link_, &event), 0);
    EXPECT_EQ(event, 0);
}

/* The camera's button pressed through rt70sim's button file; true once the camera took it. */
bool Press(const std::string& file, int event) {
    voktest::WriteFile(file, std::to_string(event) + "\n");
    return montest::WaitFor([&] { return ::access(file.c_str(), F_OK) != 0; });
}

TEST_F(MonitorLogic, APressStartsTheProgramAndOtherEventsNothing) {
    const std::string button = home_.dir + "/button";
    montest::LoggedCamera camera(home_.dir, {"--button-file", button});
    RecordingHost host;
    MonWorker worker(&host, &link_);
    Rounds(worker, 2);
    EXPECT_TRUE(host.launches.empty());
    ASSERT_TRUE(Press(button, 3));
    Rounds(worker, 2);
    EXPECT_TRUE(host.launches.empty());
    EXPECT_GE(montest::Requests(camera.Log(), 128), 3);

    ASSERT_TRUE(Press(button, 2));
    Rounds(worker, 1);
    EXPECT_EQ(host.launches, std::vector<int>{2});
    EXPECT_EQ(Number(VOK_VALUE_NOW_TOKING), 0);
    EXPECT_EQ(worker.state().launchFailures, 0);
    // The monitor itself never resets the button after a start: the started program does.
    EXPECT_EQ(montest::Requests(camera.Log(), 134), 0);
}

TEST_F(MonitorLogic, AMissingProgramInterruptsAndRepeatedFailuresEndTheMonitor) {
    montest::LoggedCamera camera(home_.dir, {"--button", "1"});
    RecordingHost host;
    MonWorker worker(&host, &link_);
    host.answer = MonLaunch::NotFound;
    Rounds(worker, 1);
    EXPECT_EQ(host.launches, std::vector<int>{1});
    EXPECT_EQ(host.messages, std::vector<int>{3});
    EXPECT_EQ(host.interrupted, 1);
    EXPECT_TRUE(worker.state().interruption);
    const int polls = montest::Requests(camera.Log(), 128);
    Rounds(worker, 3);
    EXPECT_EQ(host.launches.size(), 1u);
    EXPECT_FALSE(worker.state().pollingAllowed);
    EXPECT_EQ(montest::Requests(camera.Log(), 128), polls);

    // The user clears the box: polling resumes; five failed starts end the monitor.
    worker.state().interruption = false;
    host.answer = MonLaunch::Failed;
    host.messages.clear();
    host.launches.clear();
    Rounds(worker, 3);
    EXPECT_EQ(host.launches, std::vector<int>(5, 1));
    EXPECT_EQ(host.messages, std::vector<int>{5});
    EXPECT_EQ(host.ended, 1);
    EXPECT_FALSE(worker.state().running);
}

TEST_F(MonitorLogic, ALiveQubexHoldsTheCameraAndADeadOneForOneRoundAtMost) {
    montest::LoggedCamera camera(home_.dir, {"--button", "1"});
    montest::FakeQubex qubex(home_.dir);
    ASSERT_TRUE(SetNumber(VOK_VALUE_ACTIVE, 1));
    ASSERT_TRUE(SetNumber(VOK_VALUE_APP_HANDLE, qubex.pid()));
    RecordingHost host;
    host.answer = MonLaunch::Handled;
    MonWorker worker(&host, &link_);
    Rounds(worker, 3);
    EXPECT_TRUE(host.launches.empty());
    EXPECT_FALSE(worker.state().pollingAllowed);
    EXPECT_EQ(montest::Requests(camera.Log(), 128), 0);

    qubex.Kill(); // dies without clearing Active
    Rounds(worker, 1);
    EXPECT_EQ(Number(VOK_VALUE_ACTIVE), 0);
    EXPECT_EQ(host.launches, std::vector<int>{1});
}

TEST_F(MonitorLogic, WithoutASettingsStoreTheCameraIsLeftAlone) {
    // The store's folder is a file: nothing can be read or written.
    ASSERT_TRUE(voktest::WriteFile(home_.dir + "/config", "not a folder"));
    montest::LoggedCamera camera(home_.dir, {"--button", "1"});
    RecordingHost host;
    MonWorker worker(&host, &link_);
    worker.RequestReset();
    Rounds(worker, 3);
    EXPECT_TRUE(host.launches.empty());
    EXPECT_EQ(montest::Requests(camera.Log(), 128), 0);
    EXPECT_EQ(montest::Requests(camera.Log(), 134), 0);
}

TEST_F(MonitorLogic, TheOwedResetIsSentOnceWhenQubexAndTheMonitorBothTry) {
    const std::string button = home_.dir + "/button";
    montest::LoggedCamera camera(home_.dir, {"--button", "1", "--button-file", button});
    montest::FakeQubex qubex(home_.dir);
    ASSERT_TRUE(SetNumber(VOK_VALUE_ACTIVE, 1));
    ASSERT_TRUE(SetNumber(VOK_VALUE_APP_HANDLE, qubex.pid()));
    RecordingHost host;
    host.answer = MonLaunch::Handled;
    MonWorker worker(&host, &link_);
    worker.RequestReset(); // the settings were confirmed while qubex held the camera
    Rounds(worker, 2);
    EXPECT_EQ(montest::Requests(camera.Log(), 134), 0);
    EXPECT_TRUE(worker.state().resetPending);

    // qubex resets the button as its connection ends, and goes.
    ASSERT_EQ(MonLink_ResetButton(&link_), 0);
    ASSERT_TRUE(SetNumber(VOK_VALUE_ACTIVE, 0));
    qubex.Kill();
    Rounds(worker, 2);
    EXPECT_FALSE(worker.state().resetPending);
    EXPECT_EQ(montest::Requests(camera.Log(), 134), 1);
    EXPECT_TRUE(host.launches.empty());

    // Owed with the button still pressed: the monitor sends it, after reading the status.
    const std::string before = camera.Log();
    worker.state().interruption = true;
    ASSERT_TRUE(Press(button, 1));
    worker.RequestReset();
    Rounds(worker, 1);
    const std::string log = camera.Log().substr(before.size());
    EXPECT_EQ(montest::Requests(log, 134), 1);
    EXPECT_LT(log.find("command 128"), log.find("command 134"));
    worker.state().interruption = false;
    Rounds(worker, 2);
    EXPECT_TRUE(host.launches.empty());
}

} // namespace
