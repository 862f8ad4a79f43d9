/* The frame's windows offscreen in a test: one application for the whole test program, named
 * after it, the pending events let through, and frame options without the start-up picture. */
#ifndef VOK_OFFSCREEN_FRAME_H
#define VOK_OFFSCREEN_FRAME_H

#include "frame_window.h"
#include "settings_file.h"

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

} // namespace voktest

#endif
