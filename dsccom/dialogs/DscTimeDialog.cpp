// The clock dialog VOKDLGCOM_TIME ("Clock Setup"), plugged into the clock export when the
// library loads. A thin layer over the clock rules: it reads the registers on opening (and
// again on window message 0x410, a posted event here), checks the fields in the dialog's
// order and writes year, date and time.
#include <time.h>

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include "../engine/DscEngine.h"
#include "../housekeeping/DscHousekeeping.h"
#include "VokDscMsg.h"
#include "vok_owner.h"

namespace {

const int kMsgInvalidInput = 205;
// Window message 0x410 stands here as a posted event of this type.
const QEvent::Type kRereadEvent = static_cast<QEvent::Type>(QEvent::User + 0x410);
const int kFieldIds[5] = {DSC_CLOCK_YEAR, DSC_CLOCK_MONTH, DSC_CLOCK_DAY, DSC_CLOCK_HOUR,
                          DSC_CLOCK_MINUTE};

class TimeDialog : public QDialog {
  public:
    explicit TimeDialog(DscConnection* c, QWidget* owner) : QDialog(owner), c_(c) {
        setObjectName(QStringLiteral("VOKDLGCOM_TIME"));
        setWindowTitle(QStringLiteral("Clock Setup"));
        auto* grid = new QGridLayout(this);
        const char* labels[5] = {"Year", "Month", "Day", "Hour", "Minute"};
        for (int i = 0; i < 5; ++i) {
            fields_[i] = new QLineEdit(this);
            fields_[i]->setObjectName(QString::number(kFieldIds[i]));
            fields_[i]->setMaximumWidth(64);
            int row = i < 3 ? 0 : 2;
            int column = i < 3 ? i : i - 3 + 1;
            grid->addWidget(new QLabel(QString::fromLatin1(labels[i]), this), row, column);
            grid->addWidget(fields_[i], row + 1, column);
            QObject::connect(fields_[i], &QLineEdit::textEdited, this,
                             [this, i](const QString& text) { typed(i, text); });
        }
        am_ = new QRadioButton(QStringLiteral("AM"), this);
        am_->setObjectName(QStringLiteral("1042"));
        pm_ = new QRadioButton(QStringLiteral("PM"), this);
        pm_->setObjectName(QStringLiteral("1043"));
        grid->addWidget(am_, 3, 0);
        grid->addWidget(pm_, 2, 0);
        auto* buttons = new QHBoxLayout;
        auto* pcTime = new QPushButton(QStringLiteral("&PC Time"), this);
        pcTime->setObjectName(QStringLiteral("1038"));
        pcTime->setAutoDefault(false);
        auto* ok = new QPushButton(QStringLiteral("OK"), this);
        ok->setObjectName(QStringLiteral("1046"));
        ok->setDefault(true);
        auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
        cancel->setObjectName(QStringLiteral("2"));
        cancel->setAutoDefault(false);
        buttons->addWidget(pcTime);
        buttons->addStretch();
        buttons->addWidget(ok);
        buttons->addWidget(cancel);
        grid->addLayout(buttons, 4, 0, 1, 3);
        QObject::connect(pcTime, &QPushButton::clicked, this, [this] { fillFromPc(); });
        QObject::connect(ok, &QPushButton::clicked, this, [this] { confirm(); });
        QObject::connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    }

    // Opening: false when the clock could not be read (the exchange has said why).
    bool start() {
        if (!readCamera())
            return false;
        adjustSize();
        QWidget* over = parentWidget();
        QRect area =
            over ? over->frameGeometry() : (screen() ? screen()->availableGeometry() : QRect());
        if (area.isValid())
            move(area.center() - rect().center());
        DscCom_CloseConnectingDialog();
        DscCom_Notify(WM_DSC_STATUS, DSC_STATUS_MODELESS_OPEN,
                      reinterpret_cast<intptr_t>(static_cast<QDialog*>(this)));
        return true;
    }

    void reject() override {
        if (done_ || busy_)
            return;
        busy_ = true;
        waitWithCursor(1500);
        end();
    }

  protected:
    bool event(QEvent* e) override {
        if (e->type() == kRereadEvent) {
            if (!done_ && !busy_) {
                busy_ = true;
                bool read = readCamera();
                busy_ = false;
                if (!read)
                    end();
            }
            return true;
        }
        return QDialog::event(e);
    }

  private:
    void showFields(const DscClockFields& f) {
        std::string texts[5];
        DscClock_FieldTexts(f, texts);
        for (int i = 0; i < 5; ++i)
            fields_[i]->setText(QString::fromStdString(texts[i]));
        (f.pm ? pm_ : am_)->setChecked(true);
    }

    bool readCamera() {
        VokClock clock = {};
        if (DscClock_Read(&clock) != DSC_OK)
            return false;
        showFields(DscClock_ToFields(clock));
        for (int i = 0; i < 5; ++i)
            remembered_[i] = fields_[i]->text();
        return true;
    }

    void typed(int i, const QString& text) {
        if (DscClock_TooLong(kFieldIds[i], static_cast<size_t>(text.toUtf8().size())))
            fields_[i]->setText(remembered_[i]);
    }

    void fillFromPc() {
        time_t t = time(nullptr);
        struct tm local;
        if (!localtime_r(&t, &local))
            return;
        showFields(DscClock_ToFields(VokClock{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                              local.tm_hour, local.tm_min}));
    }

    void confirm() {
        // The waits below keep the interface alive: a second click must not start again.
        if (done_ || busy_)
            return;
        int32_t v[5];
        for (int i = 0; i < 5; ++i)
            v[i] = DscClock_FieldValue(fields_[i]->text().toUtf8().constData());
        if (int32_t bad = VokDscCom_CheckClockFields(v[0], v[1], v[2], v[3], v[4])) {
            VokDsc_Msg_Error(this, kMsgInvalidInput, c_->appTitle);
            QLineEdit* field = findChild<QLineEdit*>(QString::number(bad));
            field->setFocus();
            field->selectAll();
            return;
        }
        busy_ = true;
        DscClockFields f = {v[0], v[1], v[2], v[3], v[4], pm_->isChecked() ? 1 : 0};
        int result = DscClock_Write(DscClock_FromFields(f));
        if (result == DSC_OK)
            waitWithCursor(1000);
        else
            VokDscCom_ReportResult(result); // a refused write says so rather than vanish
        end();
    }

    void waitWithCursor(int milliseconds) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        DscCom_Wait(milliseconds);
        QApplication::restoreOverrideCursor();
    }

    void end() {
        done_ = true;
        DscCom_Notify(WM_DSC_STATUS, DSC_STATUS_MODELESS_CLOSED, 0);
        done(QDialog::Accepted);
    }

    DscConnection* c_;
    QLineEdit* fields_[5] = {};
    QString remembered_[5];
    QRadioButton* am_ = nullptr;
    QRadioButton* pm_ = nullptr;
    bool done_ = false;
    bool busy_ = false; // an exchange or a wait runs
};

int runClockDialog(DscConnection* c) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return 1;
    QPointer<TimeDialog> dialog = new TimeDialog(c, vokc::LiveWidget(c->owner));
    if (dialog->start())
        dialog->exec();
    delete dialog.data();
    return 0;
}

struct Registration {
    Registration() { DscClock_SetDialogHook(runClockDialog); }
} g_registration;

} // namespace
