/* Every section and key of qubex.ini the program reads or writes, with its default and the
 * subsystem that owns it, so that each reader names a key in one place. */
#ifndef QUBEX_INI_TABLE_H
#define QUBEX_INI_TABLE_H

#include <vector>

namespace qubex {

#define QUBEX_SEC_APP "VOKAPP"
#define QUBEX_SEC_CAPTURE "CAPTURE"
#define QUBEX_SEC_TOOL "TOOL"
#define QUBEX_SEC_CAL_MONTH "CAL_MONTH"
#define QUBEX_SEC_CAL_YEAR "CAL_YEAR"

enum class IniKind { Integer, Text };

struct IniKey {
    const char* section;
    const char* key;
    IniKind kind;
    int defaultNumber;       /* integers */
    const char* defaultText; /* texts; null: the caller's (the current folder for dir) */
    int capacity;            /* texts: buffer bytes with the terminator */
    const char* owner;       /* the subsystem that reads and writes it */
};

/* The rows of the table for the shell, media, image, capture and mail keys. The calendar
 * keys follow in CalendarIniKeys, their defaults being the calendar's own. */
const std::vector<IniKey>& IniKeys();
const std::vector<const char*>& CalendarIniKeys();
/* The row of section/key (without case), or null. */
const IniKey* FindIniKey(const char* section, const char* key);

} // namespace qubex

#endif
