/* The monitor's own texts (its menu, captions and launch messages) in the three languages. */
#ifndef QUBEXMON_MONITOR_STRINGS_H
#define QUBEXMON_MONITOR_STRINGS_H

namespace qubexmon {

/* The labels of the settings dialog and the version box, after the string table's own ids. */
enum MonLabel : int {
    kMonSettingsTitle = 201,
    kMonInterruption,
    kMonApplicationFolder,
    kMonImageFolder,
    kMonMailFolder,
    kMonBrowseApplication,
    kMonBrowseImage,
    kMonBrowseMail,
    kMonResize,
    kMonVga,
    kMonQvga,
    kMonOk,
    kMonCancel,
    kMonVersion, // "%1" the version number
    kMonAbout,
};

/* The text of a string id (2 to 5, 14 to 17, 101, and the labels) in a language code of the
 * suite (1 French, 2 German, 4 English); "" for an unknown id. */
const char* MonString(int id, int language);

} // namespace qubexmon

#endif
