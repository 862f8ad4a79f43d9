// The connecting dialog VOKDLGCOMSTART and the wait cursor, plugged into the engine when the
// library loads. Without a graphical application (a command-line program) no dialog is shown.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>

#include "../engine/DscEngine.h"
#include "VokDscMsg.h"
#include "vok_text.h"

namespace {

bool haveWidgets() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

void centre(QWidget* dialog, QWidget* parent) {
    QRect area = parent ? parent->frameGeometry()
                        : (dialog->screen() ? dialog->screen()->availableGeometry() : QRect());
    if (area.isValid())
        dialog->move(area.center() - dialog->rect().center());
}

void* openConnecting(DscConnection* c, int* skipped) {
    *skipped = 0;
    if (!haveWidgets()) {
        *skipped = 1;
        return nullptr;
    }
    QWidget* parent = static_cast<QWidget*>(c->owner);
    auto* dialog = new QDialog(parent);
    dialog->setObjectName(QStringLiteral("VOKDLGCOMSTART"));
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    dialog->setModal(false);
    dialog->setWindowTitle(QString::fromUtf8(c->appTitle));
    auto* layout = new QVBoxLayout(dialog);
    auto* text = new QLabel(dialog);
    text->setObjectName(QStringLiteral("1026"));
    text->setAlignment(Qt::AlignCenter);
    layout->addWidget(text);
    text->setText(QString::fromStdString(vokc::CatalogueText(DSC_TEXT_CONNECTING)));
    dialog->adjustSize();
    centre(dialog, parent);
    dialog->show();
    DscCom_Notify(WM_DSC_STATUS, DSC_STATUS_DIALOG, reinterpret_cast<intptr_t>(dialog));
    QCoreApplication::processEvents();
    // The owner window may be destroyed while the connection starts, and the dialog with it.
    return new QPointer<QDialog>(dialog);
}

void closeConnecting(DscConnection*, void* handle) {
    auto* guard = static_cast<QPointer<QDialog>*>(handle);
    if (*guard)
        (*guard)->hide();
    DscCom_Notify(WM_DSC_STATUS, DSC_STATUS_DIALOG, 0);
    delete guard->data();
    delete guard;
}

void setWaitCursor(int on) {
    if (!haveWidgets())
        return;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

struct Registration {
    Registration() {
        DscUiHooks hooks = {openConnecting, closeConnecting, setWaitCursor};
        DscCom_SetUiHooks(&hooks);
    }
} g_registration;

} // namespace
