/* Parsing the drive socket's command lines. */
#include "drive_protocol.h"

#include <cerrno>
#include <cstdlib>

namespace qubex {
namespace {

bool ParseNumber(const std::string& text, int* out) {
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < -1 || v > 0x7FFFFFFF)
        return false;
    *out = static_cast<int>(v);
    return true;
}

} // namespace

DriveCommand ParseDriveCommand(const std::string& raw) {
    std::string line = raw;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    DriveCommand c;
    const size_t space = line.find(' ');
    const std::string verb = line.substr(0, space);
    const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
    auto bad = [&c](const std::string& why) {
        c.verb = DriveCommand::Invalid;
        c.error = why;
        return c;
    };
    if (verb == "command" || verb == "activate") {
        if (!ParseNumber(rest, &c.number) || c.number < 0)
            return bad("expected a number after " + verb);
        c.verb = verb == "command" ? DriveCommand::Command : DriveCommand::Activate;
        if (c.verb == DriveCommand::Activate && c.number < 1)
            return bad("children count from 1");
        return c;
    }
    if (verb == "file") {
        if (rest.empty())
            return bad("expected a path after file");
        // A trailing number is the Save As type; a path may hold blanks.
        c.number = -1;
        c.path = rest;
        const size_t last = rest.rfind(' ');
        int type = 0;
        if (last != std::string::npos && ParseNumber(rest.substr(last + 1), &type)) {
            c.number = type;
            c.path = rest.substr(0, last);
        }
        c.verb = DriveCommand::File;
        return c;
    }
    if (!rest.empty())
        return bad(verb + " takes no arguments");
    if (verb == "accept")
        c.verb = DriveCommand::Accept;
    else if (verb == "reject")
        c.verb = DriveCommand::Reject;
    else if (verb == "dump")
        c.verb = DriveCommand::Dump;
    else if (verb == "quit")
        c.verb = DriveCommand::Quit;
    else
        return bad("unknown command '" + verb + "'");
    return c;
}

QStringList SplitFileAnswer(const QString& answer) {
    return answer.split('\t', Qt::SkipEmptyParts);
}

} // namespace qubex
