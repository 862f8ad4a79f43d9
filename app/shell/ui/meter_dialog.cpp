/* The meter dialog. */
#include "meter_dialog.h"

#include "bridge.h"
#include "commands.h"
#include "program_strings.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace qubex {

MeterDialog::MeterDialog(QWidget* frame, const QString& title, bool showCancel)
    : QDialog(frame), frame_(frame) {
    setObjectName("MeterDlg");
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    line1_ = new QLabel(this);
    line1_->setObjectName("1037");
    line2_ = new QLabel(this);
    line2_->setObjectName("1038");
    bar_ = new QProgressBar(this);
    bar_->setObjectName("1036");
    bar_->setRange(0, 25);
    bar_->setTextVisible(false);
    cancel_ = new QPushButton(
        QString::fromStdString(ProgramText(STR_METER_CANCEL, bridge::Language())), this);
    cancel_->setObjectName("2");
    cancel_->setVisible(showCancel);
    connect(cancel_, &QPushButton::clicked, this, [this] { cancelled_ = true; });
    layout->addWidget(line1_);
    layout->addWidget(line2_);
    layout->addWidget(bar_);
    layout->addWidget(cancel_, 0, Qt::AlignRight);
    setMinimumWidth(360);
    // Modal to the whole program: the frame takes no input meanwhile.
    setWindowModality(Qt::ApplicationModal);
}

MeterDialog::~MeterDialog() {
    if (frame_)
        frame_->activateWindow();
}

void MeterDialog::SetTexts(int message, const QString& displayName) {
    line1_->setText(QString::fromStdString(bridge::Text(message)));
    line2_->setText(
        QString::fromStdString(bridge::TextWith(MSG_FILE_NAME, displayName.toStdString())));
}

void MeterDialog::SetRows(long done, long rows) {
    bar_->setValue(MeterPosition(done, rows));
}

} // namespace qubex
