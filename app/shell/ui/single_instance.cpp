/* The single-instance socket and the hand-off over it. */
#include "single_instance.h"

#include "handoff.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace qubex {
namespace {

constexpr int kConnectMs = 1000;
/* The running copy may be busy (a dialog, a transfer) before it answers: wait long. */
constexpr int kAnswerMs = 120000;

} // namespace

bool HandToRunningCopy(const std::string& commandLine) {
    const std::string socketPath = InstanceSocketPath();
    if (socketPath.empty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(socketPath));
    if (!socket.waitForConnected(kConnectMs))
        return false;
    // An empty command line only brings the running copy forward.
    const bool withText = !commandLine.empty() && WriteHandoff(HandoffPath(), commandLine);
    socket.write(withText ? "handoff\n" : "raise\n");
    socket.flush();
    while (socket.state() == QLocalSocket::ConnectedState && !socket.canReadLine())
        if (!socket.waitForReadyRead(kAnswerMs))
            break;
    return true;
}

InstanceServer::InstanceServer(std::function<void()> onHandoff, QObject* parent)
    : QObject(parent), onHandoff_(std::move(onHandoff)), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine())
                    return;
                socket->readLine();
                if (onHandoff_)
                    onHandoff_();
                socket->write("done\n");
                socket->flush();
                socket->disconnectFromServer();
            });
        }
    });
}

InstanceServer::~InstanceServer() = default;

bool InstanceServer::Listen() {
    const QString path = QString::fromStdString(InstanceSocketPath());
    if (path.isEmpty())
        return true; // no private folder: run alone without the hand-off
    if (server_->listen(path))
        return true;
    // A socket left by a copy that crashed: nobody answers on it.
    QLocalSocket probe;
    probe.connectToServer(path);
    if (probe.waitForConnected(kConnectMs))
        return false;
    QLocalServer::removeServer(path);
    return server_->listen(path);
}

} // namespace qubex
