/* One running copy per user. The first copy listens on a local socket in the runtime folder;
 * a later start writes its command line to the hand-off file, tells the running copy over
 * the socket, waits until that copy has acted on it, and ends. */
#ifndef QUBEX_SINGLE_INSTANCE_H
#define QUBEX_SINGLE_INSTANCE_H

#include <QObject>

#include <functional>
#include <string>

class QLocalServer;

namespace qubex {

/* Hands commandLine to a running copy. true when one ran and has acted on it (the caller
 * ends with 0); false when none runs. */
bool HandToRunningCopy(const std::string& commandLine);

/* The running copy's side: calls onHandoff (which reads the hand-off file) for each later
 * start, before answering it. */
class InstanceServer : public QObject {
    Q_OBJECT
  public:
    explicit InstanceServer(std::function<void()> onHandoff, QObject* parent = nullptr);
    ~InstanceServer() override;
    /* Starts listening; false when another copy got there first. */
    bool Listen();

  private:
    std::function<void()> onHandoff_;
    QLocalServer* server_;
};

} // namespace qubex

#endif
