/* The table of qubex.ini. */
#include "ini_table.h"

#include <strings.h>

namespace qubex {

const std::vector<IniKey>& IniKeys() {
    static const std::vector<IniKey> keys = {
        {QUBEX_SEC_APP, "Tool", IniKind::Integer, 0, nullptr, 0, "shell"},
        {QUBEX_SEC_APP, "Status", IniKind::Integer, 0, nullptr, 0, "shell"},
        {QUBEX_SEC_APP, "ToolBox", IniKind::Integer, 0, nullptr, 0, "shell"},
        {QUBEX_SEC_APP, "dir", IniKind::Text, 0, nullptr, 260, "shell"},
        {QUBEX_SEC_APP, "PrevOn", IniKind::Integer, 0, nullptr, 0, "shell"},
        {QUBEX_SEC_APP, "Size", IniKind::Integer, 0, nullptr, 0, "media"},
        {QUBEX_SEC_APP, "Speed", IniKind::Integer, 0, nullptr, 0, "media"},
        {QUBEX_SEC_APP, "Type", IniKind::Integer, 0, nullptr, 0, "media"},
        {QUBEX_SEC_APP, "AlbAll", IniKind::Integer, 1, nullptr, 0, "image"},
        {QUBEX_SEC_APP, "AlbType", IniKind::Integer, 0, nullptr, 0, "image"},
        {QUBEX_SEC_APP, "NorType", IniKind::Integer, 0, nullptr, 0, "image"},
        {QUBEX_SEC_APP, "PrnName", IniKind::Integer, 0, nullptr, 0, "image"},
        {QUBEX_SEC_APP, "PrnDate", IniKind::Integer, 0, nullptr, 0, "image"},
        {QUBEX_SEC_APP, "MailMessage", IniKind::Integer, 1, nullptr, 0, "mail"},
        {QUBEX_SEC_CAPTURE, "Time", IniKind::Integer, 5, nullptr, 0, "image"},
        {QUBEX_SEC_CAPTURE, "Application", IniKind::Integer, 1, nullptr, 0, "image"},
        {QUBEX_SEC_TOOL, "PenSize", IniKind::Integer, 5, nullptr, 0, "image"},
        {QUBEX_SEC_TOOL, "Colour", IniKind::Integer, 0, nullptr, 0, "image"},
        {QUBEX_SEC_TOOL, "Italic", IniKind::Integer, 0, nullptr, 0, "image"},
        {QUBEX_SEC_TOOL, "Weight", IniKind::Integer, 0, nullptr, 0, "image"},
        {QUBEX_SEC_TOOL, "Font", IniKind::Text, 0, "", 30, "image"},
        {QUBEX_SEC_TOOL, "Height", IniKind::Integer, 0, nullptr, 0, "image"},
        {QUBEX_SEC_TOOL, "Width", IniKind::Integer, 0, nullptr, 0, "image"},
    };
    return keys;
}

const std::vector<const char*>& CalendarIniKeys() {
    static const std::vector<const char*> keys = {
        "FullPath",  "FileName", "Year",    "Month",   "CheckImage", "DFont",   "WFont",
        "MFont",     "YFont",    "DHeight", "WHeight", "MHeight",    "YHeight", "DWidth",
        "WWidth",    "MWidth",   "YWidth",  "DWeight", "WWeight",    "MWeight", "YWeight",
        "DItalic",   "WItalic",  "MItalic", "YItalic", "ClrDmon",    "ClrDsat", "ClrDsun",
        "ClrWmon",   "ClrWsat",  "ClrWsun", "ColorM",  "ColorY",     "ColorF",  "GroupDclr",
        "GroupWclr", "GroupF",   "GroupD",  "GroupW",  "GroupYP",    "GroupY",  "GroupI",
        "GroupMP",   "GroupM"};
    return keys;
}

const IniKey* FindIniKey(const char* section, const char* key) {
    for (const IniKey& k : IniKeys())
        if (strcasecmp(k.section, section) == 0 && strcasecmp(k.key, key) == 0)
            return &k;
    return nullptr;
}

} // namespace qubex
