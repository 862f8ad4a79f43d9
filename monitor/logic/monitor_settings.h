/* The monitor's view of the shared settings key: the five settings of its dialog, the numbers
 * of the interlock, and the path of the program it starts. */
#ifndef QUBEXMON_MONITOR_SETTINGS_H
#define QUBEXMON_MONITOR_SETTINGS_H

#include <stdint.h>

#include <string>

namespace qubexmon {

struct MonSettings {
    std::string application; /* folder of the main program */
    std::string image;       /* destination of button event 1 */
    std::string mail;        /* destination of button event 2 */
    int32_t flagResize = 1;
    int32_t modeResize = 0; /* 0 VGA, 1 QVGA */
};

/* The user's home folder: what a missing folder value reads as. */
std::string MonHomeFolder();
/* The folder of the running program (its bin folder). */
std::string MonOwnFolder();

/* Reads the settings. A missing or empty application folder is ownFolder, where the main
 * program lies beside the monitor; any other folder value that is missing or names no folder
 * reads as the home folder. */
MonSettings MonReadSettings(const std::string& ownFolder);
/* Writes all five; true when every write succeeded. */
bool MonWriteSettings(const MonSettings& settings);

/* folder + "/" (unless it ends with one) + "qubex". */
std::string MonProgramPath(const std::string& folder);

/* A number under the shared key; false (and 0) when it cannot be read. */
bool MonReadNumber(const char* name, int32_t* value);
bool MonWriteNumber(const char* name, int32_t value);

} // namespace qubexmon

#endif
