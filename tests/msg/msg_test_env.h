/* Shared set-up of the catalogue tests: a private HOME and XDG folders per test program
 * (from tests/common), and where the tests put their own files. */
#ifndef VOK_MSG_TEST_ENV_H
#define VOK_MSG_TEST_ENV_H

#include "vok_test_env.h"

#include <string>

namespace msgtest {

using voktest::ReadFile;
using voktest::ScopedEnv;
using HermeticEnvironment = voktest::ProgramEnvironment;

inline ::testing::Environment* const kEnv = ::testing::AddGlobalTestEnvironment(
    new HermeticEnvironment("vokmsgtest", voktest::HomeLayout{"", "config"}));

inline std::string TempPath(const std::string& name) {
    return HermeticEnvironment::Root() + "/" + name;
}

} // namespace msgtest

#endif
