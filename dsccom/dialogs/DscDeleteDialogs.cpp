// The deletion's dialogs over the selection dialog: the modeless status VOKDLGCOM_DELETESTATUS
// with its Cancel for Delete All, and the question VOKDLGCOM_DELETESTATUS2 per image. The
// walk itself (order, answers, refusals) is the plain rule DscDel_Walk.
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "../engine/DscEngine.h"
#include "../housekeeping/DscHousekeeping.h"
#include "VokDscMsg.h"
#include "vok_text.h"

namespace {

const int kTextDeleting = 161;   // "Now deleting images."
const int kTextImage = 162;      // "Image No.%d "
const int kTextQuestion = 120;   // "Are you sure you want to delete Image No.%d?"
const int kTextImageGoing = 163; // "Image No.%d deleting."

QString catalogue(int number, uint32_t value) {
    return QString::fromStdString(vokc::CatalogueText(number, {static_cast<long>(value)}));
}

QString catalogue(int number) {
    return QString::fromStdString(vokc::CatalogueText(number));
}

void centre(QWidget* dialog, QWidget* over) {
    if (over)
        dialog->move(over->frameGeometry().center() - dialog->rect().center());
}

// VOKDLGCOM_DELETESTATUS. Enter held while the dialog is in front acts as Cancel, which
// raises the owner's cancel request and disables itself.
class StatusDialog : public QDialog {
  public:
    explicit StatusDialog(QWidget* parent) : QDialog(parent) {
        setObjectName(QStringLiteral("VOKDLGCOM_DELETESTATUS"));
        setWindowTitle(QString::fromUtf8(DscCom_Record()->appTitle));
        setModal(false);
        auto* layout = new QVBoxLayout(this);
        operation = new QLabel(catalogue(kTextDeleting), this);
        operation->setObjectName(QStringLiteral("1028"));
        item = new QLabel(this);
        item->setObjectName(QStringLiteral("1029"));
        item->setMinimumWidth(300);
        cancel = new QPushButton(QStringLiteral("Cancel"), this);
        cancel->setObjectName(QStringLiteral("2"));
        cancel->setAutoDefault(false);
        cancel->hide();
        layout->addWidget(operation);
        layout->addWidget(item);
        layout->addWidget(cancel, 0, Qt::AlignHCenter);
        QObject::connect(cancel, &QPushButton::clicked, this, [this] { raiseCancel(); });
        timer_.setInterval(50);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            if (enterHeld_ && isActiveWindow() && cancel->isVisible())
                raiseCancel();
        });
        timer_.start();
    }
    void raiseCancel() {
        if (!cancel->isVisible() || !cancel->isEnabled())
            return;
        DscCom_Notify(WM_DSC_CANCEL, DSC_CANCEL_SET, 1);
        cancel->setEnabled(false);
    }
    QLabel* operation;
    QLabel* item;
    QPushButton* cancel;

  protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
            enterHeld_ = true;
            return;
        }
        if (e->key() == Qt::Key_Escape)
            return; // the dialog ends with the run
        QDialog::keyPressEvent(e);
    }
    void keyReleaseEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
            enterHeld_ = false;
        QDialog::keyReleaseEvent(e);
    }
    void closeEvent(QCloseEvent* e) override { e->ignore(); }

  private:
    QTimer timer_;
    bool enterHeld_ = false;
};

// VOKDLGCOM_DELETESTATUS2: one image, four answers.
int askAbout(QWidget* over, uint32_t number) {
    QDialog dialog(over);
    dialog.setObjectName(QStringLiteral("VOKDLGCOM_DELETESTATUS2"));
    dialog.setWindowTitle(QString::fromUtf8(DscCom_Record()->appTitle));
    auto* layout = new QVBoxLayout(&dialog);
    auto* operation = new QLabel(catalogue(kTextDeleting), &dialog);
    operation->setObjectName(QStringLiteral("1028"));
    auto* question = new QLabel(catalogue(kTextQuestion, number), &dialog);
    question->setObjectName(QStringLiteral("1029"));
    layout->addWidget(operation);
    layout->addWidget(question);
    auto* row = new QHBoxLayout;
    const struct {
        int id;
        const char* text;
        int answer;
    } buttons[4] = {{1030, "&Yes", DSC_DELETE_YES},
                    {1031, "&Delete All", DSC_DELETE_ALL},
                    {1032, "&No", DSC_DELETE_NO},
                    {1033, "Cancel", DSC_DELETE_CANCEL}};
    int answer = DSC_DELETE_CANCEL;
    bool allOff = DscCom_Notify(WM_DSC_CANCEL, DSC_CANCEL_DELETE_ALL, 0) == 1;
    for (const auto& b : buttons) {
        auto* button = new QPushButton(QString::fromLatin1(b.text), &dialog);
        button->setObjectName(QString::number(b.id));
        button->setAutoDefault(b.id == 1030);
        button->setDefault(b.id == 1030);
        button->setEnabled(!(b.id == 1031 && allOff));
        int a = b.answer;
        QObject::connect(button, &QPushButton::clicked, &dialog, [&dialog, &answer, a] {
            answer = a;
            dialog.accept();
        });
        row->addWidget(button);
    }
    layout->addLayout(row);
    dialog.adjustSize();
    centre(&dialog, over);
    DscCom_Notify(WM_DSC_STATUS, DSC_STATUS_MODELESS_OPEN, reinterpret_cast<intptr_t>(&dialog));
    dialog.exec(); // Escape and the close box leave the answer Cancel
    DscCom_Notify(WM_DSC_STATUS, DSC_STATUS_MODELESS_CLOSED, 0);
    return answer;
}

struct Run {
    QPointer<StatusDialog> status;
    QWidget* parent;
    uint16_t folder;
    std::vector<DscImageRecord>* records;
    int32_t selected;
};

QWidget* over(Run* run) {
    return run->status ? static_cast<QWidget*>(run->status.data()) : run->parent;
}

int ask(void* context, int32_t index) {
    auto* run = static_cast<Run*>(context);
    uint32_t number = (*run->records)[index].number;
    if (run->status) {
        run->status->item->setText(catalogue(kTextImage, number));
        run->status->setEnabled(false);
    }
    DscCom_Notify(WM_DSC_CANCEL, DSC_CANCEL_DELETE_COUNT, run->selected);
    int answer = askAbout(over(run), number);
    if (run->status)
        run->status->setEnabled(true);
    return answer;
}

int removeImage(void* context, int32_t index) {
    auto* run = static_cast<Run*>(context);
    uint32_t number = (*run->records)[index].number;
    if (run->status)
        run->status->item->setText(catalogue(kTextImageGoing, number));
    QCoreApplication::processEvents();
    return DscDel_DeleteImage(run->folder, static_cast<uint16_t>(number));
}

void beginAll(void* context) {
    auto* run = static_cast<Run*>(context);
    if (run->status) {
        run->status->cancel->show();
        run->status->cancel->setEnabled(true);
    }
}

int cancelRequested(void*) {
    return DscCom_Notify(WM_DSC_CANCEL, DSC_CANCEL_POLL, 0) != 0;
}

void clearCancel(void*) {
    DscCom_Notify(WM_DSC_CANCEL, DSC_CANCEL_SET, 0);
}

int confirmCancel(void* context) {
    return VokDsc_Msg_Query(over(static_cast<Run*>(context)), VOK_MSG_CANCEL_DELETE,
                            DscCom_Record()->appTitle) == VOK_IDYES;
}

void showMessage(void* context, int number) {
    VokDsc_Msg_Error(over(static_cast<Run*>(context)), number, DscCom_Record()->appTitle);
}

void pause(void*, int milliseconds) {
    DscCom_Wait(milliseconds);
}

} // namespace

int DscDel_RunDialogs(void* parent, uint16_t folder, std::vector<DscImageRecord>* records) {
    Run run = {nullptr, static_cast<QWidget*>(parent), folder, records,
               DscSel_SelectedCount(*records)};
    if (run.selected == 0)
        return DSC_OK;
    run.status = new StatusDialog(run.parent);
    run.status->adjustSize();
    centre(run.status, run.parent);
    run.status->show();
    QCoreApplication::processEvents();
    DscDeleteSteps steps = {&run,        ask,           removeImage, beginAll, cancelRequested,
                            clearCancel, confirmCancel, showMessage, pause};
    int result = DscDel_Walk(records, steps, 1);
    if (run.status) {
        run.status->hide();
        delete run.status.data();
    }
    return result;
}
