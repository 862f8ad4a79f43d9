/* The monitor's own texts (its menu, captions and launch messages) in the three languages. */
#ifndef QUBEXMON_MONITOR_STRINGS_H
#define QUBEXMON_MONITOR_STRINGS_H

namespace qubexmon {

/* The text of a string id (2 to 5, 14 to 17, 101) in a language code of the suite (1 French,
 * 2 German, 4 English); "" for an unknown id. */
const char* MonString(int id, int language);

} // namespace qubexmon

#endif
