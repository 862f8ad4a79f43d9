/* Parsing the command line. */
#include "command_line.h"

#include <strings.h>

namespace qubex {

bool IsEventStart(const std::string& text) {
    return text.size() >= QUBEX_EVENT_PREFIX_LENGTH &&
           strncasecmp(text.c_str(), QUBEX_EVENT_PREFIX, QUBEX_EVENT_PREFIX_LENGTH) == 0;
}

int EventNumber(const std::string& text) {
    if (!IsEventStart(text) || text.size() == QUBEX_EVENT_PREFIX_LENGTH)
        return 0;
    return static_cast<unsigned char>(text[QUBEX_EVENT_PREFIX_LENGTH]) & 0x0F;
}

std::vector<std::string> SplitFileTokens(const std::string& text) {
    std::vector<std::string> tokens;
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        while (i < n && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        if (i >= n)
            break;
        std::string token;
        if (text[i] == '"') {
            const size_t close = text.find('"', i + 1);
            const size_t end = close == std::string::npos ? n : close;
            token = text.substr(i + 1, end - i - 1);
            i = close == std::string::npos ? n : close + 1;
        } else {
            while (i < n && text[i] != ' ' && text[i] != '\t')
                token += text[i++];
        }
        if (!token.empty())
            tokens.push_back(token);
    }
    return tokens;
}

CommandLine ParseCommandLine(const std::string& text) {
    CommandLine line;
    if (IsEventStart(text)) {
        line.kind = CommandKind::Event;
        line.event = EventNumber(text);
        return line;
    }
    line.files = SplitFileTokens(text);
    line.kind = line.files.empty() ? CommandKind::Empty : CommandKind::Files;
    return line;
}

std::string JoinArguments(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) {
        if (word.empty())
            continue;
        if (!text.empty())
            text += ' ';
        if (word.find_first_of(" \t") != std::string::npos && word.find('"') == std::string::npos)
            text += '"' + word + '"';
        else
            text += word;
    }
    return text;
}

} // namespace qubex
