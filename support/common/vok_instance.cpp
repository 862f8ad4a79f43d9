/* The single-instance socket: listening, taking over a socket left by a crashed copy, and the
 * one-line call of a later start. */
#include "vok_instance.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace vokc {
namespace {

constexpr int kConnectMs = 1000;

} // namespace

bool CallRunningCopy(const std::string& socketPath, const std::string& line, int answerMs) {
    if (socketPath.empty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(socketPath));
    if (!socket.waitForConnected(kConnectMs))
        return false;
    socket.write(QByteArray::fromStdString(line + "\n"));
    socket.flush();
    while (socket.state() == QLocalSocket::ConnectedState && !socket.canReadLine())
        if (!socket.waitForReadyRead(answerMs))
            break;
    return true;
}

InstanceServer::InstanceServer(std::string socketPath,
                               std::function<void(const std::string&)> onLine, QObject* parent)
    : QObject(parent), socketPath_(std::move(socketPath)), onLine_(std::move(onLine)),
      server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine())
                    return;
                QByteArray line = socket->readLine();
                line.chop(line.endsWith('\n') ? 1 : 0);
                if (onLine_)
                    onLine_(line.toStdString());
                socket->write("done\n");
                socket->flush();
                socket->disconnectFromServer();
            });
        }
    });
}

InstanceServer::~InstanceServer() = default;

bool InstanceServer::Listen() {
    const QString path = QString::fromStdString(socketPath_);
    if (path.isEmpty())
        return true; // no private folder: run alone
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

} // namespace vokc
