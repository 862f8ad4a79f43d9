/* The frame's windows offscreen in a test: one application for the whole test program, named
 * after it, the pending events let through, frame options without the start-up picture, and a
 * fixture with a private user. */
#ifndef VOK_OFFSCREEN_FRAME_H
#define VOK_OFFSCREEN_FRAME_H

#include "frame_window.h"
#include "settings_file.h"
#include "vok_test_env.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <cerrno>

namespace voktest {

inline QApplication& App() {
    static int argc = 1;
    static char* argv[] = {program_invocation_short_name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

inline void NextEvent() {
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
}

inline qubex::FrameOptions Options() {
    qubex::FrameOptions o;
    o.iniPath = qubex::DefaultIniPath();
    o.startupPicture = false;
    return o;
}

/* A private user with the application up: boxes logged to <home>/messages.log and answered OK. */
class OffscreenFrameTest : public ::testing::Test {
  protected:
    explicit OffscreenFrameTest(const char* homeName) : home_(homeName) {}
    void SetUp() override { App(); }
    std::string Path(const std::string& name) const { return home_.dir + "/" + name; }
    TempHome home_;
    ScopedEnv answer_{"VOK_MSG_ANSWER", "ok"};
    ScopedEnv log_{"VOK_MSG_LOG", home_.dir + "/messages.log"};
    ScopedEnv lang_{"LANG", "C"};
};

} // namespace voktest

#endif
