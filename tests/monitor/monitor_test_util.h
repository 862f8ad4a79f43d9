/* What the monitor's tests share: a stand-in for a running qubex (a program whose command name
 * is "qubex"), the shared numbers, the virtual camera with its request log, and waiting for a
 * condition without a timing assertion. */
#ifndef QUBEXMON_TEST_UTIL_H
#define QUBEXMON_TEST_UTIL_H

#include "sim_camera.h"
#include "vok_test_env.h"

#include <chrono>
#include <csignal>
#include <functional>
#include <string>
#include <thread>

#include "VokReged.h"
#include "VokSharedKeys.h"

namespace montest {

inline int32_t Number(const char* name) {
    int32_t value = -1;
    if (!VokReg_Query_KeyValue(VOK_KEY_PATH, VOK_SUBKEY_EVENT, name, VOK_REG_NUMBER, &value))
        return -1;
    return value;
}

inline bool SetNumber(const char* name, int32_t value) {
    return VokReg_Set_KeyValue(VOK_KEY_PATH, VOK_SUBKEY_EVENT, name, VOK_REG_NUMBER, &value) != 0;
}

inline bool SetText(const char* name, const std::string& text) {
    return VokReg_Set_KeyValue(VOK_KEY_PATH, VOK_SUBKEY_EVENT, name, VOK_REG_TEXT, text.c_str()) !=
           0;
}

/* Polls until done() holds; false after a generous limit (a hang, not a slow machine). */
inline bool WaitFor(const std::function<bool()>& done, int limitMs = 30000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

/* Starts a program with standard output and error in files (either may be empty: /dev/null). */
inline pid_t SpawnTo(const std::vector<std::string>& args, const std::string& out,
                     const std::string& err) {
    return voktest::SpawnWith(args, "/dev/null", out.empty() ? "/dev/null" : out.c_str(),
                              err.empty() ? "/dev/null" : err.c_str());
}

/* A started program, killed and reaped when the object goes unless Stop already reaped it. */
class Running {
  public:
    explicit Running(pid_t pid) : pid_(pid) {}
    ~Running() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            voktest::WaitExit(pid_);
        }
    }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;
    /* Sends the signal and gives the exit code. */
    int Stop(int signal = SIGTERM) {
        ::kill(pid_, signal);
        const int code = voktest::WaitExit(pid_);
        pid_ = -1;
        return code;
    }

  private:
    pid_t pid_;
};

/* A live process that the interlock takes for qubex: sleep started through a link named qubex
 * (its command name is the link's). Killed and reaped when the object goes. */
class FakeQubex {
  public:
    explicit FakeQubex(const std::string& dir) {
        const std::string link = dir + "/qubex";
        ::unlink(link.c_str());
        EXPECT_EQ(::symlink("/bin/sleep", link.c_str()), 0);
        pid_ = voktest::SpawnQuiet({link, "60"});
        // The command name is set once the program runs.
        EXPECT_TRUE(WaitFor([this] {
            return voktest::ReadFile("/proc/" + std::to_string(pid_) + "/comm") == "qubex\n";
        }));
    }
    ~FakeQubex() { Kill(); }
    void Kill() {
        if (pid_ <= 0)
            return;
        ::kill(pid_, SIGKILL);
        voktest::WaitExit(pid_);
        pid_ = -1;
    }
    pid_t pid() const { return pid_; }

  private:
    pid_t pid_ = -1;
};

/* The number of requests with this command code that rt70sim --verbose logged. */
inline int Requests(const std::string& log, int command) {
    const std::string needle = "command " + std::to_string(command) + " seq";
    int n = 0;
    for (std::string::size_type at = log.find(needle); at != std::string::npos;
         at = log.find(needle, at + 1))
        ++n;
    return n;
}

/* rt70sim --verbose on <dir>/camera.sock, its log in <dir>/camera.log; VOKUSB_SIM names it. */
class LoggedCamera {
  public:
    LoggedCamera(const std::string& dir, const std::vector<std::string>& extra = {})
        : socket_(dir + "/camera.sock"), log_(dir + "/camera.log"), var_("VOKUSB_SIM", socket_) {
        const std::string card = voktest::MakeCard(dir, 1, 2);
        std::vector<std::string> args = {
            voktest::TestBin("rt70sim"), "--socket", socket_, "--card", card, "--verbose"};
        args.insert(args.end(), extra.begin(), extra.end());
        pid_ = SpawnTo(args, "", log_);
        struct stat st;
        EXPECT_TRUE(WaitFor([&] { return ::stat(socket_.c_str(), &st) == 0; }));
    }
    ~LoggedCamera() {
        ::kill(pid_, SIGTERM);
        voktest::WaitExit(pid_);
    }
    void Press(int event) { ::kill(pid_, event == 2 ? SIGUSR2 : SIGUSR1); }
    std::string Log() const { return voktest::ReadFile(log_); }

  private:
    std::string socket_, log_;
    voktest::ScopedEnv var_;
    pid_t pid_ = -1;
};

} // namespace montest

#endif
