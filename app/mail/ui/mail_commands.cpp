/* Mail commands from the frame. Until the subsystem's windows are built, each of its commands
 * is accepted and does nothing, and mails of event downloads are only kept as handed over. */
#include "mail_commands.h"

namespace qubex::mail {

bool RunCommand(QWidget* frame, int command) {
    (void)frame;
    (void)command;
    return false;
}

namespace {
std::vector<std::vector<std::string>>& HandedOver() {
    static std::vector<std::vector<std::string>> mails;
    return mails;
}
} // namespace

bool SendDownloadedMail(QWidget* frame, const std::vector<std::string>& files) {
    (void)frame;
    if (files.empty())
        return false;
    HandedOver().push_back(files);
    return true;
}

const std::vector<std::vector<std::string>>& DownloadedMailsHandedOver() {
    return HandedOver();
}

} // namespace qubex::mail
