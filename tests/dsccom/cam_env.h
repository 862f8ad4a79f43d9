// The camera command line rt70cam run as a user would, in a private home next to a virtual
// camera: its output, error output, exit status and logged messages.
#ifndef DSCCOM_CAM_ENV_H
#define DSCCOM_CAM_ENV_H

#include <string>

#include "sim_camera.h"
#include "vok_test_env.h"

using voktest::MakeCard;
using voktest::MakeDemoCard;
using voktest::ProgramRun;
using voktest::ReadBytes;
using voktest::SimCamera;

struct CamHome : voktest::ProgramHome {
    explicit CamHome(const voktest::HomeLayout& layout = {"", "config"})
        : ProgramHome("cam-test", layout) {}
    // args are shell words, quoted by the caller.
    ProgramRun rt70cam(const std::string& args) const {
        return Run(voktest::TestBin("rt70cam"), args);
    }
};

#endif
