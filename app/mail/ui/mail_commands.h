/* The mail's side of the frame's commands (sending mail, mail options). */
#ifndef QUBEX_MAIL_COMMANDS_H
#define QUBEX_MAIL_COMMANDS_H

class QWidget;

namespace qubex::mail {

/* Carries out a mail command for the frame; false when the subsystem has no such command
 * yet (the frame then does nothing). */
bool RunCommand(QWidget* frame, int command);

} // namespace qubex::mail

#endif
