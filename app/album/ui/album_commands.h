/* The album's side of the frame's commands (new album, copy, cut, paste, add to album). */
#ifndef QUBEX_ALBUM_COMMANDS_H
#define QUBEX_ALBUM_COMMANDS_H

class QWidget;

namespace qubex::album {

/* Carries out a album command for the frame; false when the subsystem has no such command
 * yet (the frame then does nothing). */
bool RunCommand(QWidget* frame, int command);

} // namespace qubex::album

#endif
