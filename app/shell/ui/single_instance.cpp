/* The single-instance socket and the hand-off over it. */
#include "single_instance.h"

#include "handoff.h"

namespace qubex {
namespace {

/* The running copy may be busy (a dialog, a transfer) before it answers: wait long. */
constexpr int kAnswerMs = 120000;

} // namespace

bool HandToRunningCopy(const std::string& commandLine) {
    const std::string socketPath = InstanceSocketPath();
    if (socketPath.empty())
        return false;
    // An empty command line only brings the running copy forward.
    const bool withText = !commandLine.empty() && WriteHandoff(HandoffPath(), commandLine);
    return vokc::CallRunningCopy(socketPath, withText ? "handoff" : "raise", kAnswerMs);
}

InstanceServer::InstanceServer(std::function<void()> onHandoff, QObject* parent)
    : vokc::InstanceServer(
          InstanceSocketPath(),
          [onHandoff = std::move(onHandoff)](const std::string&) {
              if (onHandoff)
                  onHandoff();
          },
          parent) {}

} // namespace qubex
