/* qubex as processes, driven and observed from outside as scripts do: the state dump after
 * start-up, a second start handing its files to the first, an event start marking the shared
 * key, toolbar and quit through the drive socket with the bars written back, Exit refused
 * while an event download holds the virtual camera (message 130), the program without its movie
 * component (message 59), and --help/--version without a window. */
#include "VokReged.h"
#include "qubex_driver.h"
#include "sim_camera.h"
#include "VokSharedKeys.h"
#include "vok_test_env.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <chrono>
#include <csignal>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>

using namespace voktest;

namespace {

class QubexProcess : public QubexProcessTest {
  protected:
    QubexProcess() : QubexProcessTest("qubexproc") {}
};

} // namespace

TEST_F(QubexProcess, SecondStartHandsItsFilesToTheFirstAndQuitWritesTheBars) {
    const std::string dump = Path("state.json");
    const std::string drive = Path("drive.sock");
    WriteFile(Path("a.jpg"), "a");
    WriteFile(Path("b c.jpg"), "b");
    pid_t first;
    {
        ScopedEnv d("VOK_STATE_DUMP", dump), s("VOK_DRIVE", drive);
        first = SpawnQuiet({Qubex()});
    }
    QJsonObject d = WaitForDump(dump, StartedUp);
    EXPECT_EQ(d["program"].toString(), "qubex");
    EXPECT_EQ(d["pid"].toInt(), first);
    EXPECT_EQ(d["language"].toInt(), 4);
    EXPECT_EQ(d["frame"].toObject()["title"].toString(), "qubex");
    EXPECT_EQ(d["toolbar"].toArray().size(), 14);
    EXPECT_EQ(d["status"].toArray()[0].toString(), "Ready");
    EXPECT_FALSE(d["menus"].toObject()["101"].toObject()["enabled"].toBool(true));
    EXPECT_TRUE(d["menus"].toObject()["100"].toObject()["enabled"].toBool());
    struct stat st {};
    ASSERT_EQ(::stat(drive.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // The second start ends at once with 0; the first has the files by then.
    EXPECT_EQ(RunQuiet({Qubex(), Path("a.jpg"), Path("b c.jpg"), Path("missing.jpg")}), 0);
    EXPECT_EQ(Drive(drive, "dump"), "ok");
    d = ReadDump(dump);
    const QJsonArray requests = d["open_requests"].toArray();
    ASSERT_EQ(requests.size(), 2) << ReadFile(dump);
    EXPECT_EQ(requests[0].toString().toStdString(), Path("a.jpg"));
    EXPECT_EQ(requests[1].toString().toStdString(), Path("b c.jpg"));
    const std::vector<std::string> names = Names(home_.dir);
    EXPECT_EQ(std::find(names.begin(), names.end(), "VokCmdLine.Dat"), names.end())
        << "the hand-off file is removed once read";

    // Driven: bad lines are answered, the toolbar goes, SIGUSR1 writes the dump at once.
    EXPECT_EQ(Drive(drive, "frobnicate").rfind("error ", 0), 0u);
    EXPECT_EQ(Drive(drive, "command 164"), "ok");
    std::remove(dump.c_str());
    ::kill(first, SIGUSR1);
    d = WaitForDump(dump, [](const QJsonObject&) { return true; });
    EXPECT_TRUE(d["toolbar"].toArray().isEmpty());
    EXPECT_FALSE(d["menus"].toObject()["164"].toObject()["checked"].toBool(true));
    EXPECT_EQ(Drive(drive, "quit"), "ok");
    EXPECT_EQ(WaitExit(first), 0);
    const std::string ini = ReadFile(home_.dir + "/config/qubex/qubex.ini");
    EXPECT_NE(ini.find("Tool=1"), std::string::npos) << ini;
    EXPECT_NE(ini.find("Status=0"), std::string::npos) << ini;
    EXPECT_FALSE(ReadDump(dump)["frame"].toObject()["visible"].toBool(true)) << "dump at exit";
}

TEST_F(QubexProcess, EventStartMarksTheSharedKeyAndMissingMoviesEndWithMessage59) {
    const std::string dump = Path("state.json");
    const std::string drive = Path("drive.sock");
    pid_t pid;
    {
        ScopedEnv d("VOK_STATE_DUMP", dump), s("VOK_DRIVE", drive);
        pid = SpawnQuiet({Qubex(), "vok_evnt_no=3"});
    }
    WaitForDump(dump, StartedUp);
    int32_t active = 0, handle = 0;
    VokReg_Query_KeyValue(VOK_KEY_PATH, VOK_SUBKEY_EVENT, VOK_VALUE_ACTIVE, VOK_REG_NUMBER,
                          &active);
    VokReg_Query_KeyValue(VOK_KEY_PATH, VOK_SUBKEY_EVENT, VOK_VALUE_APP_HANDLE, VOK_REG_NUMBER,
                          &handle);
    EXPECT_EQ(active, 1);
    EXPECT_EQ(handle, pid);
    EXPECT_EQ(Drive(drive, "quit"), "ok");
    EXPECT_EQ(WaitExit(pid), 0);
    EXPECT_EQ(ReadFile(Path("messages.log")), "") << "event 3 starts no download";

    // Without Qt Multimedia's back end: message 59, the shared key cleared, exit 0.
    ScopedEnv backend("QT_MEDIA_BACKEND", "none");
    EXPECT_EQ(RunQuiet({Qubex(), "VOK_EVNT_NO=1"}), 0);
    EXPECT_EQ(ReadFile(Path("messages.log")).rfind("error 59 qubex\t", 0), 0u)
        << ReadFile(Path("messages.log"));
    VokReg_Query_KeyValue(VOK_KEY_PATH, VOK_SUBKEY_EVENT, VOK_VALUE_ACTIVE, VOK_REG_NUMBER,
                          &active);
    EXPECT_EQ(active, 0);
}

TEST_F(QubexProcess, ExitIsRefusedWhileAnEventDownloadHoldsTheCamera) {
    // Block reads get no answer: the connection stays open through the library's real waits.
    const std::string card = MakeDemoCard(home_.dir);
    SimCamera camera(home_.dir, card, {"--fault", "30:*:drop", "--fault", "133:*:drop"});
    const std::string dump = Path("state.json");
    const std::string drive = Path("drive.sock");
    pid_t pid;
    {
        ScopedEnv d("VOK_STATE_DUMP", dump), s("VOK_DRIVE", drive), t("VOK_TIME_SCALE", "1");
        pid = SpawnQuiet({Qubex(), "VOK_EVNT_NO=1"});
    }
    WaitForDump(dump, [](const QJsonObject& d) {
        return d["camera"].toObject()["communicating"].toBool();
    });
    EXPECT_EQ(Drive(drive, "quit"), "ok");
    EXPECT_NE(ReadFile(Path("messages.log")).find("message 130 qubex\t"), std::string::npos)
        << ReadFile(Path("messages.log"));
    EXPECT_TRUE(ReadDump(dump)["frame"].toObject()["visible"].toBool());
    // Once the connection has failed and closed, Exit ends the program and the key is clear.
    WaitForDump(dump, [](const QJsonObject& d) {
        return !d["camera"].toObject()["communicating"].toBool() && StartedUp(d);
    });
    EXPECT_EQ(Drive(drive, "quit"), "ok");
    EXPECT_EQ(WaitExit(pid), 0);
    int32_t active = -1;
    VokReg_Query_KeyValue(VOK_KEY_PATH, VOK_SUBKEY_EVENT, VOK_VALUE_ACTIVE, VOK_REG_NUMBER,
                          &active);
    EXPECT_EQ(active, 0);
}

TEST_F(QubexProcess, HelpAndVersionPrintWithoutAWindow) {
    ScopedEnv noDisplay("QT_QPA_PLATFORM", "none-such");
    ProgramRun r = RunShell(ShellQuote(Qubex()) + " --version", home_.dir);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("qubex ", 0), 0u);
    r = RunShell(ShellQuote(Qubex()) + " --help", home_.dir);
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("VOK_EVNT_NO="), std::string::npos);
}
