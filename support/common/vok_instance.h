/* One running copy of a program per user: the first copy listens on a local socket; a later
 * start sends it one line and waits until the running copy has acted on it. */
#ifndef VOK_INSTANCE_H
#define VOK_INSTANCE_H

#include <QObject>

#include <functional>
#include <string>

class QLocalServer;

namespace vokc {

/* Sends line to the copy listening at socketPath and waits (up to answerMs) until it answers.
 * true when a copy ran; false when none listens. */
bool CallRunningCopy(const std::string& socketPath, const std::string& line, int answerMs);

/* The running copy's side: onLine gets each line a later start sends, before it is answered. */
class InstanceServer : public QObject {
    Q_OBJECT
  public:
    InstanceServer(std::string socketPath, std::function<void(const std::string&)> onLine,
                   QObject* parent = nullptr);
    ~InstanceServer() override;
    /* Starts listening; false when another copy got there first. An empty path runs alone. */
    bool Listen();

  private:
    std::string socketPath_;
    std::function<void(const std::string&)> onLine_;
    QLocalServer* server_;
};

} // namespace vokc

#endif
