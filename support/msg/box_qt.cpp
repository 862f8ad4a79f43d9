/* The widget side of the suite's message box (libVokDscMsgUi.so, opened by libVokDscMsg only
 * when a box is to be shown in a process with Qt Widgets): a QMessageBox laid out as the
 * catalogue decided, shown by the GUI thread. */
#include "VokDscMsg.h"
#include "VokDscMsgUi.h"
#include "vok_owner.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <QWidget>

namespace {

QMessageBox::StandardButton ToQt(int id) {
    switch (id) {
    case VOK_IDYES:
        return QMessageBox::Yes;
    case VOK_IDNO:
        return QMessageBox::No;
    case VOK_IDCANCEL:
        return QMessageBox::Cancel;
    default:
        return QMessageBox::Ok;
    }
}

QMessageBox::Icon IconOf(int icon) {
    switch (icon) {
    case VOK_MSG_UI_CRITICAL:
        return QMessageBox::Critical;
    case VOK_MSG_UI_QUESTION:
        return QMessageBox::Question;
    case VOK_MSG_UI_WARNING:
        return QMessageBox::Warning;
    case VOK_MSG_UI_INFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

// Runs in the GUI thread.
int ShowQtBox(VokOwner owner, const VokMsgUiBox& layout, const char* text, const char* caption) {
    // An owner that is not a live widget (stale or foreign handle) gives a box without one.
    QWidget* parent = vokc::LiveWidget(owner);

    QMessageBox box(parent);
    box.setWindowTitle(QString::fromUtf8(caption ? caption : ""));
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromUtf8(text ? text : ""));
    box.setIcon(IconOf(layout.icon));
    QMessageBox::StandardButtons buttons;
    for (int i = 0; i < layout.count; ++i)
        buttons |= ToQt(layout.buttons[i]);
    box.setStandardButtons(buttons);
    for (int i = 0; i < layout.count; ++i)
        box.button(ToQt(layout.buttons[i]))
            ->setText(QString::fromUtf8(layout.labels[i] ? layout.labels[i] : ""));
    box.setDefaultButton(ToQt(layout.defaultButton));
    box.setEscapeButton(ToQt(layout.escapeButton));
    box.setWindowModality(Qt::ApplicationModal);

    // A wait cursor left by a long operation must not stay over the box.
    QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    if (parent) {
        parent->window()->raise();
        parent->window()->activateWindow();
    }
    const int result = box.exec();
    QGuiApplication::restoreOverrideCursor();

    switch (result) {
    case QMessageBox::Yes:
        return VOK_IDYES;
    case QMessageBox::No:
        return VOK_IDNO;
    case QMessageBox::Ok:
        return VOK_IDOK;
    case QMessageBox::Cancel:
        return VOK_IDCANCEL;
    default:
        return layout.escapeButton;
    }
}

} // namespace

extern "C" int VokDscMsgUi_Show(VokOwner owner, const VokMsgUiBox* layout, const char* text,
                                const char* caption) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app || !layout)
        return 0;
    if (QThread::currentThread() == app->thread())
        return ShowQtBox(owner, *layout, text, caption);

    // From a worker thread the box still belongs to the GUI thread; the worker waits.
    int result = layout->defaultButton;
    QMetaObject::invokeMethod(
        app, [&] { result = ShowQtBox(owner, *layout, text, caption); },
        Qt::BlockingQueuedConnection);
    return result;
}
