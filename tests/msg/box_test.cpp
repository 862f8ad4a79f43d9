/* The box without a display: the VOK_MSG_LOG line of every kind, the VOK_MSG_ANSWER
 * answers, the standard-error fallback, and the button rules behind them. No
 * QApplication exists in this program, and Qt is never mapped. */
#include "VokDscMsg.h"
#include "msg_box_rules.h"
#include "msg_test_env.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using msgtest::ScopedEnv;

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        out.push_back(line);
    return out;
}

// Runs f with standard error sent to a file, and returns what it wrote there.
template <typename F> std::string CaptureStderr(F f) {
    std::string path = msgtest::TempPath("stderr.txt");
    std::fflush(stderr);
    int saved = dup(2);
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(fd, 2);
    close(fd);
    f();
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    return msgtest::ReadFile(path);
}

class MsgBox : public ::testing::Test {
  protected:
    void SetUp() override {
        log_ = msgtest::TempPath(std::string("log-") +
                                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        unlink(log_.c_str());
    }
    std::string log_;
    ScopedEnv english_{"LC_ALL", "C"};
};

} // namespace

TEST_F(MsgBox, LogLineForEachKind) {
    ScopedEnv logEnv("VOK_MSG_LOG", log_.c_str());
    ScopedEnv answer("VOK_MSG_ANSWER", "ok");
    VokDsc_Msg_Error(nullptr, 14, "Qubex");
    VokDsc_Msg_Query(nullptr, 124, "Qubex");
    VokDsc_Msg_Message(nullptr, 21, "Cap two");
    VokDsc_Msg_Box(nullptr, VOK_BOX_YESNOCANCEL, 151, "(a.jpg) was updated!! Do you want to save?",
                   "Qubex", 0);
    VokDsc_Msg_Box(nullptr, VOK_BOX_OTHER, -1, "free text\nsecond line", "", VOK_MB_OKCANCEL);
    VokDsc_Msg_Error(nullptr, 477, "Qubex");
    VokDsc_Msg_Box(nullptr, VOK_BOX_MESSAGE, -1, nullptr, nullptr, 0);

    std::vector<std::string> lines = Lines(msgtest::ReadFile(log_));
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "error 14 Qubex\tCannot access Camera.\\nMake sure Camera is turned on "
                        "and properly connected.");
    EXPECT_EQ(lines[1], "query 124 Qubex\tCancel image transfer?");
    EXPECT_EQ(lines[2], "message 21 Cap two\t ");
    EXPECT_EQ(lines[3], "yesnocancel 151 Qubex\t(a.jpg) was updated!! Do you want to save?");
    EXPECT_EQ(lines[4], "other - \tfree text\\nsecond line");
    EXPECT_EQ(lines[5], "error 477 Qubex\t");
    EXPECT_EQ(lines[6], "message - \t");
}

TEST_F(MsgBox, LogFollowsLanguageAndKeepsOneLinePerBox) {
    ScopedEnv logEnv("VOK_MSG_LOG", log_.c_str());
    ScopedEnv answer("VOK_MSG_ANSWER", "yes");
    ScopedEnv german("LC_ALL", "de_DE.UTF-8");
    VokDsc_Msg_Query(nullptr, 124, "Qubex");
    VokDsc_Msg_Box(nullptr, VOK_BOX_ERROR, 3, "x", "two\nline caption", 0);
    std::vector<std::string> lines = Lines(msgtest::ReadFile(log_));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "query 124 Qubex\tBildübertragung abbrechen?");
    EXPECT_EQ(lines[1], "error 3 two\\nline caption\tx");
}

TEST_F(MsgBox, LogConcurrentProcessesNeverMixLines) {
    ScopedEnv logEnv("VOK_MSG_LOG", log_.c_str());
    ScopedEnv answer("VOK_MSG_ANSWER", "ok");
    const int kChildren = 4, kBoxes = 200;
    std::vector<pid_t> children;
    for (int c = 0; c < kChildren; ++c) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            std::string caption = "child" + std::to_string(c);
            for (int i = 0; i < kBoxes; ++i)
                VokDsc_Msg_Error(nullptr, 130, caption.c_str());
            _exit(0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::vector<std::string> lines = Lines(msgtest::ReadFile(log_));
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kChildren * kBoxes));
    const std::string text =
        "\tNow Communicating to Digital Camera.\\nPlease quit the communication "
        "before quitting Application.";
    for (const std::string& line : lines) {
        ASSERT_EQ(line.rfind("error 130 child", 0), 0u) << line;
        ASSERT_EQ(line.size(), std::string("error 130 child0").size() + text.size()) << line;
        ASSERT_EQ(line.substr(line.size() - text.size()), text) << line;
    }
}

TEST_F(MsgBox, AnswerGivesTheButtonOrTheDefault) {
    {
        ScopedEnv answer("VOK_MSG_ANSWER", "yes");
        EXPECT_EQ(VokDsc_Msg_Query(nullptr, 124, "Qubex"), VOK_IDYES);
        EXPECT_EQ(VokDsc_Msg_Error(nullptr, 133, "Qubex"), VOK_IDOK);
    }
    {
        ScopedEnv answer("VOK_MSG_ANSWER", "no");
        EXPECT_EQ(VokDsc_Msg_Query(nullptr, 124, "Qubex"), VOK_IDNO);
        EXPECT_EQ(VokDsc_Msg_Message(nullptr, 365, "Qubex"), VOK_IDOK);
        EXPECT_EQ(VokDsc_Msg_Box(nullptr, VOK_BOX_YESNOCANCEL, 151, "t", "c", 0), VOK_IDNO);
    }
    {
        ScopedEnv answer("VOK_MSG_ANSWER", "ok");
        EXPECT_EQ(VokDsc_Msg_Query(nullptr, 124, "Qubex"), VOK_IDYES);
        EXPECT_EQ(VokDsc_Msg_Box(nullptr, VOK_BOX_QUERY, 124, "t", "c", VOK_MB_DEFBUTTON2),
                  VOK_IDNO);
        EXPECT_EQ(VokDsc_Msg_Box(nullptr, VOK_BOX_OTHER, -1, "t", "c", VOK_MB_OKCANCEL), VOK_IDOK);
    }
    {
        ScopedEnv answer("VOK_MSG_ANSWER", "cancel");
        EXPECT_EQ(VokDsc_Msg_Box(nullptr, VOK_BOX_YESNOCANCEL, 137, "t", "c", 0), VOK_IDCANCEL);
        EXPECT_EQ(VokDsc_Msg_Box(nullptr, VOK_BOX_OTHER, -1, "t", "c", VOK_MB_OKCANCEL),
                  VOK_IDCANCEL);
        EXPECT_EQ(VokDsc_Msg_Query(nullptr, 124, "Qubex"), VOK_IDYES);
        EXPECT_EQ(VokDsc_Msg_Box(nullptr, VOK_BOX_YESNOCANCEL, 137, "t", "c", VOK_MB_DEFBUTTON3),
                  VOK_IDCANCEL);
    }
    {
        // An answer the hook does not know is no answer: the box's default.
        ScopedEnv answer("VOK_MSG_ANSWER", "maybe");
        EXPECT_EQ(VokDsc_Msg_Box(nullptr, VOK_BOX_YESNOCANCEL, 137, "t", "c", VOK_MB_DEFBUTTON2),
                  VOK_IDNO);
    }
}

TEST_F(MsgBox, NoDisplayPrintsToStderrAndReturnsTheDefault) {
    ScopedEnv answer("VOK_MSG_ANSWER", nullptr);
    ScopedEnv logEnv("VOK_MSG_LOG", log_.c_str());
    int query = 0, error = 0, second = 0, other = 0;
    std::string err = CaptureStderr([&] {
        query = VokDsc_Msg_Query(nullptr, 124, "Qubex");
        error = VokDsc_Msg_Error(nullptr, 14, "Qubex");
        second = VokDsc_Msg_Box(nullptr, VOK_BOX_QUERY, -1, "Really?", "Cap", VOK_MB_DEFBUTTON2);
        other = VokDsc_Msg_Box(nullptr, VOK_BOX_OTHER, -1, "t", "c",
                               VOK_MB_YESNOCANCEL | VOK_MB_DEFBUTTON3);
    });
    EXPECT_EQ(query, VOK_IDYES);
    EXPECT_EQ(error, VOK_IDOK);
    EXPECT_EQ(second, VOK_IDNO);
    EXPECT_EQ(other, VOK_IDCANCEL);
    EXPECT_EQ(err, "Qubex: Cancel image transfer?\n"
                   "Qubex: Cannot access Camera.\nMake sure Camera is turned on and properly "
                   "connected.\n"
                   "Cap: Really?\n"
                   "c: t\n");
    // The log hook still sees every box.
    EXPECT_EQ(Lines(msgtest::ReadFile(log_)).size(), 4u);
    // Hooks and the printed form need no widgets: a command-line program never maps Qt.
    EXPECT_EQ(msgtest::ReadFile("/proc/self/maps").find("libQt6"), std::string::npos);
}

TEST(msg_box_rules, LayoutOfEachKind) {
    using vokmsg::BoxIcon;
    using vokmsg::LayoutFor;
    auto e = LayoutFor(VOK_BOX_ERROR, 0);
    EXPECT_EQ(e.count, 1);
    EXPECT_EQ(e.buttons[0], VOK_IDOK);
    EXPECT_EQ(e.icon, BoxIcon::Critical);
    auto q = LayoutFor(VOK_BOX_QUERY, 0);
    EXPECT_EQ(q.count, 2);
    EXPECT_EQ(q.defaultButton, VOK_IDYES);
    EXPECT_EQ(q.escapeButton, VOK_IDNO);
    EXPECT_EQ(q.icon, BoxIcon::Question);
    EXPECT_EQ(LayoutFor(VOK_BOX_QUERY, VOK_MB_DEFBUTTON2).defaultButton, VOK_IDNO);
    EXPECT_EQ(LayoutFor(VOK_BOX_QUERY, VOK_MB_DEFBUTTON3).defaultButton, VOK_IDYES);
    auto m = LayoutFor(VOK_BOX_MESSAGE, VOK_MB_ICONERROR);
    EXPECT_EQ(m.icon, BoxIcon::None) << "style icons apply to 'other' only";
    EXPECT_EQ(m.count, 1);
    auto ync = LayoutFor(VOK_BOX_YESNOCANCEL, VOK_MB_DEFBUTTON3);
    EXPECT_EQ(ync.count, 3);
    EXPECT_EQ(ync.defaultButton, VOK_IDCANCEL);
    EXPECT_EQ(ync.escapeButton, VOK_IDCANCEL);
    auto o = LayoutFor(VOK_BOX_OTHER, VOK_MB_OKCANCEL | VOK_MB_ICONWARNING | VOK_MB_DEFBUTTON2);
    EXPECT_EQ(o.count, 2);
    EXPECT_EQ(o.buttons[0], VOK_IDOK);
    EXPECT_EQ(o.buttons[1], VOK_IDCANCEL);
    EXPECT_EQ(o.defaultButton, VOK_IDCANCEL);
    EXPECT_EQ(o.escapeButton, VOK_IDCANCEL);
    EXPECT_EQ(o.icon, BoxIcon::Warning);
    EXPECT_EQ(LayoutFor(VOK_BOX_OTHER, VOK_MB_YESNO | VOK_MB_ICONINFORMATION).icon,
              BoxIcon::Information);
    EXPECT_EQ(LayoutFor(VOK_BOX_OTHER, VOK_MB_YESNO).escapeButton, VOK_IDNO);
    EXPECT_EQ(LayoutFor(42, 0).count, 1) << "unknown kind: OK box";
    EXPECT_STREQ(vokmsg::KindName(42), "other");
}
