/* The mail's side of the frame's commands (sending mail, mail options). */
#ifndef QUBEX_MAIL_COMMANDS_H
#define QUBEX_MAIL_COMMANDS_H

#include <string>
#include <vector>

class QWidget;

namespace qubex::mail {

/* Carries out a mail command for the frame; false when the subsystem has no such command
 * yet (the frame then does nothing). */
bool RunCommand(QWidget* frame, int command);

/* The entry point of the mail workflow for an event-2 download that ended: the files written
 * for the mail. For now it keeps them as handed over; the attachment workflow comes later.
 * true when the job was taken. */
bool SendDownloadedMail(QWidget* frame, const std::vector<std::string>& files);
/* Every event-2 file list handed over so far, oldest first. */
const std::vector<std::vector<std::string>>& DownloadedMailsHandedOver();

} // namespace qubex::mail

#endif
