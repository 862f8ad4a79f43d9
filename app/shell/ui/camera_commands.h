/* The shell's side of the camera link: Data in, Data out, Clock Setup and the event
 * downloads, carried out through the connection library. */
#ifndef QUBEX_CAMERA_COMMANDS_H
#define QUBEX_CAMERA_COMMANDS_H

class QWidget;

namespace qubex::camera {

/* Carries out a camera command for the frame; false when it has no such command yet (the
 * frame then does nothing). */
bool RunCommand(QWidget* frame, int command);

} // namespace qubex::camera

#endif
