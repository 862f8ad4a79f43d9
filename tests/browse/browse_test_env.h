/* Shared set-up of the folder browser tests: a private HOME, XDG folders and TMPDIR per test
 * program (from tests/common), and folder helpers below its root. */
#ifndef VOK_BROWSE_TEST_ENV_H
#define VOK_BROWSE_TEST_ENV_H

#include "vok_test_env.h"

#include <string>
#include <sys/stat.h>

namespace browsetest {

using voktest::ReadFile;
using voktest::ScopedEnv;
using HermeticEnvironment = voktest::ProgramEnvironment;

inline ::testing::Environment* const kEnv = ::testing::AddGlobalTestEnvironment(
    new HermeticEnvironment("vokbrowsetest", voktest::HomeLayout{"home", "home/.config", "tmp"}));

/* A fresh folder below the test root. */
inline std::string MakeDir(const std::string& relative) {
    return voktest::MakeDirs(HermeticEnvironment::Root(), relative);
}

inline bool IsDir(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace browsetest

#endif
