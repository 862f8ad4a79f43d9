/* One running copy per user. The first copy listens on a local socket in the runtime folder;
 * a later start writes its command line to the hand-off file, tells the running copy over
 * the socket, waits until that copy has acted on it, and ends. */
#ifndef QUBEX_SINGLE_INSTANCE_H
#define QUBEX_SINGLE_INSTANCE_H

#include "vok_instance.h"

#include <functional>
#include <string>

namespace qubex {

/* Hands commandLine to a running copy. true when one ran and has acted on it (the caller
 * ends with 0); false when none runs. */
bool HandToRunningCopy(const std::string& commandLine);

/* The running copy's side: calls onHandoff (which reads the hand-off file) for each later
 * start, before answering it. */
class InstanceServer : public vokc::InstanceServer {
  public:
    explicit InstanceServer(std::function<void()> onHandoff, QObject* parent = nullptr);
};

} // namespace qubex

#endif
