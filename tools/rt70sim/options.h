/* The command line of rt70sim, parsed into plain settings (testable without a run). */
#ifndef RT70SIM_OPTIONS_H
#define RT70SIM_OPTIONS_H

#include "camera.h"

#include <set>
#include <string>

namespace rt70sim {

struct SimOptions {
    std::string socketPath;
    std::string cardPath;
    std::string demoCardPath; // --make-demo-card DIR
    std::string buttonFile;   // --button-file PATH
    CameraOptions camera;
    FaultPlan faults;
    std::set<std::string> refused;
    uint16_t initialButton = 0;
    bool verbose = false;
    bool help = false;
};

/* False with a message for a bad command line. */
bool parseOptions(int argc, const char* const* argv, SimOptions* options, std::string* error);

const char* usageText();

} // namespace rt70sim

#endif
