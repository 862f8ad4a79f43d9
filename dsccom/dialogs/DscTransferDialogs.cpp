// The dialogs of the download, plugged into the transfer engine when the library loads: the
// progress dialog VOKDLGCOM_METER with its cancel request, the transfer path dialog
// VOKDLGCOM_FOLDER_STATUS and the folder browser. Without a graphical application none is set.
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "../transfer/DscTransfer.h"
#include "VokDscMsg.h"
#include "vok_text.h"
#include "VokSHUtil.h"

namespace {

bool haveWidgets() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

QString catalogue(int number, std::initializer_list<long> values = {}) {
    return QString::fromStdString(vokc::CatalogueText(number, values));
}

void centre(QWidget* dialog, QWidget* parent) {
    QRect area = parent ? parent->frameGeometry()
                        : (dialog->screen() ? dialog->screen()->availableGeometry() : QRect());
    if (area.isValid())
        dialog->move(area.center() - dialog->rect().center());
}

// The progress dialog. Cancel, Enter and the letter C raise the owner's cancel request only
// while Cancel is offered: the last file of a run cannot be cancelled.
class MeterDialog : public QDialog {
  public:
    MeterDialog(QWidget* parent, const char* title) : QDialog(parent) {
        setObjectName(QStringLiteral("VOKDLGCOM_METER"));
        setModal(false);
        setWindowTitle(QString::fromUtf8(title));
        auto* layout = new QVBoxLayout(this);
        operation = new QLabel(this);
        operation->setObjectName(QStringLiteral("1037"));
        item = new QLabel(this);
        item->setObjectName(QStringLiteral("1038"));
        bar = new QProgressBar(this);
        bar->setObjectName(QStringLiteral("1036"));
        cancel = new QPushButton(QStringLiteral("Cancel"), this);
        cancel->setObjectName(QStringLiteral("2"));
        cancel->setAutoDefault(false);
        cancel->hide();
        layout->addWidget(operation);
        layout->addWidget(bar);
        layout->addWidget(item);
        layout->addWidget(cancel, 0, Qt::AlignHCenter);
        setMinimumWidth(360);
        connect(cancel, &QPushButton::clicked, this, [this] { raiseCancel(); });
        DscCom_Notify(WM_DSC_CANCEL, DSC_CANCEL_SET, 0);
        timer.setInterval(50);
        connect(&timer, &QTimer::timeout, this, [this] {
            if (enterHeld && isActiveWindow())
                raiseCancel();
        });
        timer.start();
    }

    bool cancelOffered() const { return cancel->isVisible() && cancel->isEnabled(); }

    void raiseCancel() {
        if (!cancelOffered())
            return;
        DscCom_Notify(WM_DSC_CANCEL, DSC_CANCEL_SET, 1);
        item->setText(catalogue(VOK_MSG_DOWNLOAD_ENDING));
        cancel->setEnabled(false);
    }

    QLabel* operation;
    QLabel* item;
    QProgressBar* bar;
    QPushButton* cancel;

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        int key = event->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            enterHeld = true;
            raiseCancel();
            return;
        }
        if (key == Qt::Key_C && isEnabled()) {
            raiseCancel();
            return;
        }
        if (key == Qt::Key_Escape)
            return; // the dialog closes with the run, never by itself
        QDialog::keyPressEvent(event);
    }
    void keyReleaseEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            enterHeld = false;
        QDialog::keyReleaseEvent(event);
    }
    void closeEvent(QCloseEvent* event) override { event->ignore(); }

  private:
    QTimer timer;
    bool enterHeld = false;
};

// Progress dialogs are held through a guard: the parent may be destroyed during a run.
MeterDialog* meter(void* handle) {
    return handle ? static_cast<QPointer<MeterDialog>*>(handle)->data() : nullptr;
}

void* openProgress(DscConnection* c, void* parent) {
    if (!haveWidgets())
        return nullptr;
    QWidget* owner = static_cast<QWidget*>(parent ? parent : c->owner);
    auto* dialog = new MeterDialog(owner, c->appTitle);
    dialog->adjustSize();
    centre(dialog, owner);
    dialog->show();
    DscCom_Notify(WM_DSC_STATUS, DSC_STATUS_DIALOG, reinterpret_cast<intptr_t>(dialog));
    QCoreApplication::processEvents();
    return new QPointer<MeterDialog>(dialog);
}

void prepareProgress(void* handle, int index, int total) {
    MeterDialog* d = meter(handle);
    if (!d)
        return;
    d->operation->setText(catalogue(VOK_MSG_DOWNLOADING));
    d->bar->setValue(0);
    bool more = index < total - 1;
    d->cancel->setVisible(more);
    d->cancel->setEnabled(more);
    if (more)
        d->cancel->setFocus();
}

void setOperationLine(void* handle, const char* text) {
    if (MeterDialog* d = meter(handle))
        d->operation->setText(QString::fromUtf8(text));
}

void setItemLine(void* handle, const char* text) {
    if (MeterDialog* d = meter(handle))
        d->item->setText(QString::fromUtf8(text));
}

void setRange(void* handle, int maximum) {
    if (MeterDialog* d = meter(handle)) {
        d->bar->setRange(0, maximum > 0 ? maximum : 1);
        d->bar->setValue(0);
    }
}

void step(void* handle) {
    if (MeterDialog* d = meter(handle))
        d->bar->setValue(d->bar->value() + 1);
}

void enableCancel(void* handle) {
    MeterDialog* d = meter(handle);
    if (d && d->cancel->isVisible())
        d->cancel->setEnabled(true);
}

void closeProgress(void* handle) {
    auto* guard = static_cast<QPointer<MeterDialog>*>(handle);
    if (*guard)
        (*guard)->hide();
    DscCom_Notify(WM_DSC_STATUS, DSC_STATUS_DIALOG, 0);
    delete guard->data();
    delete guard;
}

int askCancel(void* handle) {
    const DscConnection* c = DscCom_Record();
    VokOwner over = meter(handle) ? static_cast<QWidget*>(meter(handle)) : c->owner;
    return VokDsc_Msg_Query(over, VOK_MSG_CANCEL_TRANSFER, c->appTitle) == VOK_IDYES;
}

void browse(QWidget* over, char* folder) {
    VokSHLibSetMsgTitle(0, DscCom_Record()->appTitle);
    VokSHBrowseFolder(over, folder);
}

// The transfer path dialog: the chosen folder, Browse to choose again, OK, and a Cancel that
// asks before it gives up the transfer.
int chooseFolder(DscConnection* c, void* parent, char* folder) {
    if (!haveWidgets())
        return 1;
    QWidget* owner = static_cast<QWidget*>(parent ? parent : c->owner);
    browse(owner, folder);
    QDialog dialog(owner);
    dialog.setObjectName(QStringLiteral("VOKDLGCOM_FOLDER_STATUS"));
    dialog.setWindowTitle(QStringLiteral("Transfer Path"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* row = new QHBoxLayout;
    auto* edit = new QLineEdit(QString::fromUtf8(folder), &dialog);
    edit->setObjectName(QStringLiteral("1034"));
    edit->setMinimumWidth(320);
    edit->setCursorPosition(edit->text().size());
    auto* browseButton = new QPushButton(QStringLiteral("Browse..."), &dialog);
    browseButton->setObjectName(QStringLiteral("1035"));
    browseButton->setAutoDefault(false);
    row->addWidget(edit);
    row->addWidget(browseButton);
    layout->addLayout(row);
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), &dialog);
    cancel->setObjectName(QStringLiteral("2"));
    cancel->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    bool declined = false;
    QObject::connect(browseButton, &QPushButton::clicked, &dialog, [&] {
        char path[VOK_MAX_PATH];
        snprintf(path, sizeof path, "%s", edit->text().toUtf8().constData());
        browse(&dialog, path);
        edit->setText(QString::fromUtf8(path));
        edit->setCursorPosition(edit->text().size());
    });
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, [&] {
        if (VokDsc_Msg_Query(&dialog, VOK_MSG_CANCEL_TRANSFER, c->appTitle) == VOK_IDYES) {
            declined = true;
            dialog.reject();
        }
    });
    dialog.adjustSize();
    centre(&dialog, owner);
    // Escape and the close box go the way of Cancel: only a Yes gives up the transfer.
    while (dialog.exec() != QDialog::Accepted) {
        if (declined ||
            VokDsc_Msg_Query(&dialog, VOK_MSG_CANCEL_TRANSFER, c->appTitle) == VOK_IDYES)
            return 0;
    }
    QByteArray chosen = edit->text().trimmed().toUtf8();
    if (chosen.size() >= VOK_MAX_PATH)
        chosen.truncate(0); // too long for any destination: the folder check refuses it
    snprintf(folder, VOK_MAX_PATH, "%s", chosen.constData());
    return 1;
}

int browseFolder(DscConnection* c, char* folder) {
    if (!haveWidgets())
        return 0;
    VokSHLibSetMsgTitle(0, c->appTitle);
    return VokSHBrowseFolder(c->owner, folder);
}

struct Registration {
    Registration() {
        DscTransferHooks hooks = {openProgress, prepareProgress, setItemLine,     setRange,
                                  step,         enableCancel,    closeProgress,   askCancel,
                                  chooseFolder, browseFolder,    setOperationLine};
        DscTransfer_SetHooks(&hooks);
    }
} g_registration;

} // namespace
