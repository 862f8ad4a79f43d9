/* The media's side of the frame's commands (slide show and its options). */
#ifndef QUBEX_MEDIA_COMMANDS_H
#define QUBEX_MEDIA_COMMANDS_H

class QWidget;

namespace qubex::media {

/* Carries out a media command for the frame; false when the subsystem has no such command
 * yet (the frame then does nothing). */
bool RunCommand(QWidget* frame, int command);

} // namespace qubex::media

#endif
