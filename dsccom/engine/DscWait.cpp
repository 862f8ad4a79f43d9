// Waits of the connection library. With a Qt application running they keep it alive by
// processing events against a monotonic timer; in a plain command-line program they sleep.
// Every fixed wait is multiplied by VOK_TIME_SCALE so that tests stay fast.
#include <stdlib.h>
#include <time.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include "DscEngine.h"
#include "vok_process.h"

namespace {

void sleepMs(double ms) {
    if (ms <= 0)
        return;
    timespec ts;
    ts.tv_sec = static_cast<time_t>(ms / 1000);
    ts.tv_nsec = static_cast<long>((ms - ts.tv_sec * 1000.0) * 1e6);
    while (nanosleep(&ts, &ts) != 0) {
    }
}

double scaled(int milliseconds) {
    if (milliseconds <= 0)
        return 0;
    return milliseconds * DscCom_TimeScale();
}

} // namespace

double DscCom_TimeScale(void) {
    return vokc::TimeScale();
}

void DscCom_DispatchOne(void) {
    // A quit request seen here stays with the event loop that exec() runs, so it is not lost.
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
}

void DscCom_Wait(int milliseconds) {
    double ms = scaled(milliseconds);
    if (!QCoreApplication::instance()) {
        sleepMs(ms);
        return;
    }
    QElapsedTimer timer;
    timer.start();
    while (static_cast<double>(timer.nsecsElapsed()) / 1e6 < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        double left = ms - static_cast<double>(timer.nsecsElapsed()) / 1e6;
        if (left > 0)
            sleepMs(left < 2 ? left : 2);
    }
}

void DscCom_Sleep(int milliseconds) {
    sleepMs(scaled(milliseconds));
}
