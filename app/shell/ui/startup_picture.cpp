/* The start-up picture and the about box. */
#include "startup_picture.h"

#include "artwork.h"
#include "bridge.h"
#include "commands.h"
#include "movie_playback.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace qubex {

PictureDialog::PictureDialog(QWidget* parent, const QString& objectName, const QString& title)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(objectName);
    setWindowTitle(title);
    picture_ = StartupBitmap();
    const QSize size = picture_.isNull() ? QSize(400, 300) : picture_.size();
    setFixedSize(size + QSize(6, 6));
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void PictureDialog::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Button));
    p.drawImage(3, 3, picture_);
}

void PictureDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        Finish();
}

StartupPicture::StartupPicture(QWidget* parent, const QString& title,
                               std::function<void()> onNoMovie, std::function<void()> onMovieReady)
    : PictureDialog(parent, "WaitBMPDlgBox", title), onNoMovie_(std::move(onNoMovie)),
      onMovieReady_(std::move(onMovieReady)) {
    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &StartupPicture::Finish);
}

void StartupPicture::showEvent(QShowEvent* event) {
    PictureDialog::showEvent(event);
    if (started_)
        return;
    started_ = true;
    QMetaObject::invokeMethod(this, &StartupPicture::SplashInit, Qt::QueuedConnection);
}

void StartupPicture::SplashInit() {
    if (!hasPicture()) {
        bridge::ShowError(this, MSG_UNEXPECTED, windowTitle().toStdString());
        done(0);
        return;
    }
    std::string missing;
    if (!media::StartMoviePlayback(&missing)) {
        bridge::ShowError(parentWidget(), MSG_NO_MOVIE, windowTitle().toStdString());
        if (onNoMovie_)
            onNoMovie_();
        done(0);
        return;
    }
    if (onMovieReady_)
        onMovieReady_();
    timer_->start(1000);
}

void StartupPicture::Finish() {
    // Only once movie playback runs: a click before that cannot skip the check.
    if (finishing_ || !media::MoviePlaybackAvailable())
        return;
    finishing_ = true;
    timer_->stop();
    QTimer::singleShot(500, this, [this] { done(1); });
}

} // namespace qubex
