/* Driving qubex as a process from a test: a private user for it, its state dump read and
 * waited for, and lines sent to its drive socket with the answers read back. */
#ifndef QUBEX_TEST_DRIVER_H
#define QUBEX_TEST_DRIVER_H

#include "vok_test_env.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <chrono>
#include <cstdio>
#include <functional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace voktest {

inline std::string Qubex() {
    return TestBin("qubex");
}

inline QJsonObject ReadDump(const std::string& path) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(ReadFile(path))).object();
}

/* Waits (up to a minute: sanitizer builds start slowly) until the dump satisfies ready. */
inline QJsonObject WaitForDump(const std::string& path,
                               const std::function<bool(const QJsonObject&)>& ready) {
    for (int i = 0; i < 600; ++i) {
        const QJsonObject dump = ReadDump(path);
        if (!dump.isEmpty() && ready(dump))
            return dump;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ADD_FAILURE() << "the state dump never got ready: " << ReadFile(path);
    return ReadDump(path);
}

inline bool StartedUp(const QJsonObject& d) {
    return d["frame"].toObject()["visible"].toBool() && d["dialogs"].toArray().isEmpty();
}

/* One line to the drive socket and its answer. */
inline std::string Drive(const std::string& socketPath, const std::string& line) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", socketPath.c_str());
    for (int i = 0; i < 600; ++i) {
        if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    const std::string out = line + "\n";
    EXPECT_EQ(::write(fd, out.data(), out.size()), static_cast<ssize_t>(out.size()));
    std::string answer;
    char c;
    while (::read(fd, &c, 1) == 1 && c != '\n')
        answer += c;
    ::close(fd);
    return answer;
}

/* One drive connection for the whole run: a line out, its answer back. */
class DriveLink {
  public:
    explicit DriveLink(const std::string& path) {
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
        // Sanitizer builds start slowly: up to a minute.
        for (int i = 0; i < 600; ++i) {
            fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0)
                return;
            ::close(fd_);
            fd_ = -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    ~DriveLink() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool connected() const { return fd_ >= 0; }
    std::string operator()(const std::string& line) {
        const std::string out = line + "\n";
        EXPECT_EQ(::write(fd_, out.data(), out.size()), ssize_t(out.size()));
        std::string answer;
        char c;
        while (::read(fd_, &c, 1) == 1 && c != '\n')
            answer += c;
        return answer;
    }

  private:
    int fd_ = -1;
};

/* A private user: home, runtime folder, settings; boxes logged and answered with answer. */
class QubexProcessTest : public ::testing::Test {
  protected:
    explicit QubexProcessTest(const char* homeName, const char* answer = "ok")
        : home_(homeName), answer_("VOK_MSG_ANSWER", answer) {}
    void SetUp() override { ::chmod(home_.dir.c_str(), 0700); }
    std::string Path(const std::string& name) const { return home_.dir + "/" + name; }
    TempHome home_;
    ScopedEnv log_{"VOK_MSG_LOG", home_.dir + "/messages.log"};
    ScopedEnv answer_;
    ScopedEnv lang_{"LANG", "C"};
};

} // namespace voktest

#endif
