/* The state dump and the drive socket. */
#include "test_hooks.h"

#include "camera_commands.h"

#include "drive_protocol.h"
#include "frame_window.h"
#include "state_dump.h"

#include <QApplication>
#include <QDialog>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

namespace qubex {

DriveServer::DriveServer(FrameWindow* frame, StateDumper* dumper, QString path)
    : frame_(frame), dumper_(dumper), path_(std::move(path)), server_(new QLocalServer(this)) {
    QLocalServer::removeServer(path_);
    // Created under a private umask, then tightened: only the user may connect.
    const mode_t old = ::umask(077);
    const bool ok = server_->listen(path_);
    ::umask(old);
    if (ok)
        ::chmod(path_.toLocal8Bit().constData(), 0600);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection())
            Serve(socket);
    });
    qApp->installEventFilter(this);
}

DriveServer::~DriveServer() {
    qApp->removeEventFilter(this);
    server_->close();
}

bool DriveServer::listening() const {
    return server_->isListening();
}

void DriveServer::Serve(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        // One command at a time; the next line waits until this one is answered.
        while (!waiting_ && socket->canReadLine()) {
            QByteArray line = socket->readLine();
            line.chop(line.endsWith('\n') ? 1 : 0);
            Execute(socket, line.toStdString());
        }
    });
}

void DriveServer::Answer(const QByteArray& text) {
    QPointer<QLocalSocket> socket = waiting_;
    waiting_ = nullptr;
    if (socket) {
        socket->write(text + "\n");
        socket->flush();
        if (socket->canReadLine())
            QMetaObject::invokeMethod(socket, "readyRead", Qt::QueuedConnection);
    }
}

void DriveServer::Execute(QLocalSocket* socket, const std::string& line) {
    const DriveCommand c = ParseDriveCommand(line);
    waiting_ = socket;
    auto answerWhenIdle = [this] {
        // Queued behind whatever the command posted: answered once the program is idle.
        QTimer::singleShot(0, this, [this] {
            if (waiting_)
                Answer("ok");
        });
    };
    switch (c.verb) {
    case DriveCommand::Invalid:
        Answer(QByteArray("error ") + c.error.c_str());
        return;
    case DriveCommand::Command: {
        const int id = c.number;
        // Run from the event loop, so that a modal dialog it opens can be answered meanwhile.
        QTimer::singleShot(0, frame_, [this, id, answerWhenIdle] {
            frame_->RunCommand(id);
            answerWhenIdle();
        });
        return;
    }
    case DriveCommand::File:
        frame_->SetNextFileAnswer(QString::fromStdString(c.path), c.number);
        Answer("ok");
        return;
    case DriveCommand::Activate: {
        const auto subs = frame_->mdiArea()->subWindowList(QMdiArea::CreationOrder);
        if (c.number > subs.size()) {
            Answer("error no child " + QByteArray::number(c.number));
            return;
        }
        frame_->mdiArea()->setActiveSubWindow(subs[c.number - 1]);
        answerWhenIdle();
        return;
    }
    case DriveCommand::Accept:
    case DriveCommand::Reject: {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) // the connection library's modeless dialog, registered with the loop
            dialog = camera::ModelessDialog();
        if (!dialog) {
            Answer("error no dialog");
            return;
        }
        if (c.verb == DriveCommand::Accept)
            dialog->accept();
        else
            dialog->reject();
        answerWhenIdle();
        return;
    }
    case DriveCommand::Dump:
        dumper_ ? dumper_->WriteNow() : void();
        Answer(dumper_ ? "ok" : "error VOK_STATE_DUMP is not set");
        return;
    case DriveCommand::Quit:
        QTimer::singleShot(0, frame_, [this, answerWhenIdle, socket] {
            frame_->RunCommand(103);
            if (frame_->isVisible()) {
                answerWhenIdle(); // refused (a camera operation runs, or a window stayed)
                return;
            }
            // The loop ends with this event: answer now.
            Answer("ok");
            if (socket)
                socket->waitForBytesWritten(1000);
        });
        return;
    }
}

bool DriveServer::eventFilter(QObject* watched, QEvent* event) {
    // A modal dialog opened by the running command answers it as soon as it shows.
    if (event->type() == QEvent::Show && waiting_) {
        // A progress dialog that ends by itself is part of the command, not its answer.
        if (auto* dialog = qobject_cast<QDialog*>(watched);
            dialog && dialog->isModal() && !dialog->property("vokSelfClosing").toBool())
            Answer("ok dialog " + dialog->objectName().toUtf8());
    }
    return QObject::eventFilter(watched, event);
}

} // namespace qubex
