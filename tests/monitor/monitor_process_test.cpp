/* qubexmon and rt70cam watch as a user runs them, without a display or notification area,
 * against the virtual camera: a press starts the program beside the monitor once a stale Active
 * is cleared, a second qubexmon opens the first one's settings, a missing program is reported
 * and stops polling, and rt70cam watch runs its command once per press. */
#include "monitor_test_util.h"

#include <gtest/gtest.h>

#include <csignal>

using montest::Number;
using montest::SetNumber;
using montest::WaitFor;

namespace {

class MonitorProcess : public ::testing::Test {
  protected:
    std::string Path(const std::string& name) const { return home_.dir + "/" + name; }
    std::string Read(const std::string& name) const { return voktest::ReadFile(Path(name)); }
    /* A stand-in for qubex in <dir>/app that notes its arguments. */
    void MakeProgram() {
        const std::string app = voktest::MakeDirs(home_.dir, "app");
        const std::string program = app + "/qubex";
        ASSERT_TRUE(voktest::WriteFile(program, "#!/bin/sh\necho \"$@\" >> " +
                                                    voktest::ShellQuote(Path("launched")) + "\n"));
        ::chmod(program.c_str(), 0700);
        ASSERT_TRUE(montest::SetText(VOK_VALUE_PATH_APPLICATION, app));
    }
    pid_t StartMonitor() {
        return montest::SpawnTo({voktest::TestBin("qubexmon")}, "", Path("monitor.err"));
    }
    bool DumpHas(const std::string& text) const {
        return Read("dump.json").find(text) != std::string::npos;
    }

    voktest::TempHome home_{"qubexmon"};
    voktest::ScopedEnv scale_{"VOK_TIME_SCALE", "0.01"};
    voktest::ScopedEnv dump_{"VOK_STATE_DUMP", Path("dump.json")};
    voktest::ScopedEnv log_{"VOK_MSG_LOG", Path("messages.log")};
    voktest::ScopedEnv answer_{"VOK_MSG_ANSWER", "ok"};
    voktest::ScopedEnv platform_{"QT_QPA_PLATFORM", "offscreen"};
};

TEST_F(MonitorProcess, APressStartsTheProgramBesideItOnceAStaleActiveIsCleared) {
    montest::LoggedCamera camera(home_.dir, {"--button", "1"});
    MakeProgram();
    montest::FakeQubex qubex(home_.dir);
    ASSERT_TRUE(SetNumber(VOK_VALUE_ACTIVE, 1));
    ASSERT_TRUE(SetNumber(VOK_VALUE_APP_HANDLE, qubex.pid()));

    montest::Running monitor(StartMonitor());
    ASSERT_TRUE(WaitFor([&] { return DumpHas("\"polling\": false"); }));
    EXPECT_TRUE(DumpHas("\"program\": \"qubexmon\""));
    EXPECT_TRUE(DumpHas("\"tip\": \"qubex Monitor\""));
    EXPECT_EQ(Read("launched"), "");
    EXPECT_EQ(montest::Requests(camera.Log(), 128), 0);

    qubex.Kill(); // as if qubex crashed holding the camera
    ASSERT_TRUE(WaitFor([&] { return !Read("launched").empty(); }));
    EXPECT_EQ(Read("launched").substr(0, 14), "VOK_EVNT_NO=1\n");
    EXPECT_EQ(Number(VOK_VALUE_ACTIVE), 0);

    // A second start opens the running monitor's settings and ends.
    EXPECT_EQ(voktest::RunQuiet({voktest::TestBin("qubexmon")}), 0);
    ASSERT_TRUE(WaitFor([&] { return DumpHas("\"objectName\": \"DLG_EVENT_CONFIG\""); }));
    EXPECT_TRUE(DumpHas("\"title\": \"Environment settings\""));

    EXPECT_EQ(monitor.Stop(), 0);
    EXPECT_EQ(Number(VOK_VALUE_NOW_TOKING), 0);
    const std::string err = Read("monitor.err");
    const std::string notice = "no notification area";
    ASSERT_NE(err.find(notice), std::string::npos) << err;
    EXPECT_EQ(err.find(notice, err.find(notice) + 1), std::string::npos) << err;
    EXPECT_EQ(Read("messages.log"), "");
}

TEST_F(MonitorProcess, AMissingProgramIsReportedAndPollingStops) {
    montest::LoggedCamera camera(home_.dir, {"--button", "2"});
    ASSERT_TRUE(
        montest::SetText(VOK_VALUE_PATH_APPLICATION, voktest::MakeDirs(home_.dir, "empty")));
    montest::Running monitor(StartMonitor());
    ASSERT_TRUE(WaitFor([&] { return !Read("messages.log").empty(); }));
    EXPECT_EQ(Read("messages.log"),
              "message - qubex Monitor\tThe image transfer application cannot be found.\n");
    ASSERT_TRUE(WaitFor([&] { return DumpHas("\"polling\": false"); }));
    EXPECT_EQ(monitor.Stop(), 0);
}

TEST_F(MonitorProcess, WatchRunsItsCommandOncePerPress) {
    const std::string button = Path("button");
    montest::LoggedCamera camera(home_.dir, {"--button-file", button});
    const std::string command = "echo $RT70_EVENT >> " + voktest::ShellQuote(Path("events"));
    montest::Running watch(
        montest::SpawnTo({voktest::TestBin("rt70cam"), "watch", "--exec", command},
                         Path("watch.out"), Path("watch.err")));
    auto press = [&](int event) {
        voktest::WriteFile(button, std::to_string(event) + "\n");
        return WaitFor([&] { return ::access(button.c_str(), F_OK) != 0; });
    };
    ASSERT_TRUE(press(1));
    ASSERT_TRUE(WaitFor([&] { return Read("events") == "1\n"; }));
    // The camera keeps one pending event: the next press counts once the first was reset.
    ASSERT_TRUE(WaitFor([&] { return montest::Requests(camera.Log(), 134) == 1; }));
    ASSERT_TRUE(press(2));
    ASSERT_TRUE(WaitFor([&] { return Read("events") == "1\n2\n"; }));
    // Both presses were reset, and the camera was polled again afterwards.
    ASSERT_TRUE(WaitFor([&] {
        const std::string log = camera.Log();
        return montest::Requests(log, 134) == 2 &&
               montest::Requests(log.substr(log.rfind("command 134")), 128) >= 2;
    }));
    EXPECT_EQ(Read("events"), "1\n2\n");

    EXPECT_EQ(watch.Stop(), 0);
    EXPECT_EQ(Read("watch.out"), "button 1\nbutton 2\n");
    EXPECT_EQ(Number(VOK_VALUE_NOW_TOKING), 0);
}

} // namespace
