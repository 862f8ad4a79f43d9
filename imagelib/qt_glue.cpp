/* The image library's ties to a running Qt application, in its widget plugin: long loops
 * process the pending events of the application's thread after each row (a quit request seen
 * there ends the loop and is posted again), and the library's boxes first restore the arrow
 * cursor and raise the owner window. Without a Qt application both do nothing. */
#include "VokExifUi.h"

#include "vok_owner.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <QWidget>

namespace {

// Holds back a quit request while the library processes events.
class QuitWatch : public QObject {
  public:
    bool seen = false;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Quit) {
            seen = true;
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

bool in_application_thread(QCoreApplication** app) {
    *app = QCoreApplication::instance();
    return *app && QThread::currentThread() == (*app)->thread();
}

} // namespace

extern "C" int VokExifUi_ProcessEvents(void) {
    QCoreApplication* app = nullptr;
    if (!in_application_thread(&app))
        return 1;
    QuitWatch watch;
    app->installEventFilter(&watch);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    app->removeEventFilter(&watch);
    if (!watch.seen)
        return 1;
    QMetaObject::invokeMethod(app, &QCoreApplication::quit, Qt::QueuedConnection);
    return 0;
}

extern "C" void VokExifUi_PrepareBox(VokOwner owner) {
    QCoreApplication* app = nullptr;
    if (!in_application_thread(&app) || !qobject_cast<QApplication*>(app))
        return;
    // The host's own override is changed, not stacked on: its one restore must end it.
    if (QApplication::overrideCursor())
        QApplication::changeOverrideCursor(Qt::ArrowCursor);
    if (QWidget* window = vokc::LiveWidget(owner)) {
        window->raise();
        window->activateWindow();
    }
}
