/* Mail commands from the frame. Until the subsystem's windows are built, each of its commands
 * is accepted and does nothing. */
#include "mail_commands.h"

namespace qubex::mail {

bool RunCommand(QWidget* frame, int command) {
    (void)frame;
    (void)command;
    return false;
}

} // namespace qubex::mail
