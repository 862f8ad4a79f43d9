/* Camera commands from the frame. Until the camera commands are built, each is accepted and
 * does nothing; the event downloads go through the frame's own entry point. */
#include "camera_commands.h"

namespace qubex::camera {

bool RunCommand(QWidget* frame, int command) {
    (void)frame;
    (void)command;
    return false;
}

} // namespace qubex::camera
