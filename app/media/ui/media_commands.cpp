/* Media commands from the frame. Until the subsystem's windows are built, each of its commands
 * is accepted and does nothing. */
#include "media_commands.h"

namespace qubex::media {

bool RunCommand(QWidget* frame, int command) {
    (void)frame;
    (void)command;
    return false;
}

} // namespace qubex::media
