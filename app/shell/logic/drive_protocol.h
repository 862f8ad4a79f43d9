/* The drive socket's commands (VOK_DRIVE): one per line, answered "ok" or "error <text>". */
#ifndef QUBEX_DRIVE_PROTOCOL_H
#define QUBEX_DRIVE_PROTOCOL_H

#include <QString>
#include <QStringList>

#include <string>

namespace qubex {

struct DriveCommand {
    enum Verb { Invalid, Command, File, Activate, Accept, Reject, Dump, Quit } verb = Invalid;
    int number = 0;    /* Command: the id; Activate: the child from 1; File: the type, -1 none */
    std::string path;  /* File */
    std::string error; /* Invalid: why */
};

/* Parses one line (without its line end; a trailing '\r' is ignored). */
DriveCommand ParseDriveCommand(const std::string& line);

/* The paths of a file answer: a multi-selection lists its files separated by tabs. */
QStringList SplitFileAnswer(const QString& answer);

} // namespace qubex

#endif
