// The status window of the selection dialog. Its blink is a fixed wait of the library like
// the others, so VOK_TIME_SCALE speeds it in tests.
#include "DscStatusWindow.h"

#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

#include "../engine/DscEngine.h"
#include "VokDscMsg.h"

namespace {

QString catalogue(int number) {
    char buffer[VOK_MSG_BUFFER] = {};
    VokDsc_Msg_GetString(number, buffer, sizeof buffer);
    return QString::fromUtf8(buffer);
}

} // namespace

DscStatusWindow::DscStatusWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("VOKDLGCOM_PREVIMG"));
    setModal(false);
    auto* frame = new QVBoxLayout(this);
    text_ = new QLabel(this);
    text_->setObjectName(QStringLiteral("1027"));
    text_->setAlignment(Qt::AlignCenter);
    text_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    text_->setLineWidth(2);
    text_->setMargin(12);
    text_->setMinimumSize(360, 56);
    frame->setContentsMargins(0, 0, 0, 0);
    frame->addWidget(text_);
    blink_.setInterval(std::max(1, static_cast<int>(1000 * DscCom_TimeScale())));
    QObject::connect(&blink_, &QTimer::timeout, this, [this] {
        shown_ = !shown_;
        text_->setText(shown_ ? message_ : QString());
    });
}

void DscStatusWindow::showText(int number, QWidget* over) {
    message_ = catalogue(number);
    shown_ = true;
    text_->setText(message_);
    if (number == VOK_MSG_GETTING_THUMBNAILS)
        blink_.start();
    else
        blink_.stop();
    adjustSize();
    if (over)
        move(over->frameGeometry().center() - rect().center());
    show();
    raise();
    QCoreApplication::processEvents();
}

void DscStatusWindow::close() {
    blink_.stop();
    hide();
}
