/* The main program's command line: empty, an event start from the button monitor
 * ("VOK_EVNT_NO=" and a digit), or file names. On this platform the program gets its words
 * already split; they are joined back into one text, quoting a word that holds a blank, so
 * that the text handed to a running copy keeps such paths whole. */
#ifndef QUBEX_COMMAND_LINE_H
#define QUBEX_COMMAND_LINE_H

#include <string>
#include <vector>

namespace qubex {

#define QUBEX_EVENT_PREFIX "VOK_EVNT_NO="
#define QUBEX_EVENT_PREFIX_LENGTH 12

enum class CommandKind { Empty, Event, Files };

struct CommandLine {
    CommandKind kind = CommandKind::Empty;
    int event = 0;                  /* Event: the digit's low four bits (1 and 2 download) */
    std::vector<std::string> files; /* Files: the tokens in order */
};

/* True when text starts with the event prefix, compared without case. */
bool IsEventStart(const std::string& text);
/* The event number of an event start: the low four bits of the character after the prefix
 * (0 when there is none). */
int EventNumber(const std::string& text);
/* Tokens split at blanks and tabs; a token in double quotes is kept whole without them. */
std::vector<std::string> SplitFileTokens(const std::string& text);
CommandLine ParseCommandLine(const std::string& text);
/* The words of argv (without the program) as one command-line text. */
std::string JoinArguments(const std::vector<std::string>& words);
/* 1 and 2 start a download; other events do nothing. */
inline bool EventStartsDownload(int event) {
    return event == 1 || event == 2;
}

} // namespace qubex

#endif
