/* Driving qubex as a process from a test: its state dump read and waited for, and one line
 * sent to its drive socket with the answer read back. */
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

} // namespace voktest

#endif
