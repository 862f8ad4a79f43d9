/* Shared set-up of the catalogue tests: a private HOME and XDG folders per test
 * program, and helpers to set or clear environment variables for one test. */
#ifndef VOK_MSG_TEST_ENV_H
#define VOK_MSG_TEST_ENV_H

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace msgtest {

class HermeticEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        char templ[] = "/tmp/vokmsgtest.XXXXXX";
        const char* dir = mkdtemp(templ);
        ASSERT_NE(dir, nullptr);
        root_ = dir;
        setenv("HOME", root_.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", root_.c_str(), 1);
        for (const char* name : {"VOK_MSG_LOG", "VOK_MSG_ANSWER", "LC_ALL", "LC_MESSAGES", "LANG"})
            unsetenv(name);
    }
    void TearDown() override {
        std::string cmd = "rm -rf '" + root_ + "'";
        if (std::system(cmd.c_str()) != 0)
            ADD_FAILURE() << "could not remove " << root_;
    }
    static const std::string& Root() { return root_; }

  private:
    static inline std::string root_;
};

inline ::testing::Environment* const kEnv =
    ::testing::AddGlobalTestEnvironment(new HermeticEnvironment);

/* Sets (or with nullptr clears) a variable for the lifetime of the object. */
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        if (had_)
            old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (had_)
            setenv(name_.c_str(), old_.c_str(), 1);
        else
            unsetenv(name_.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    std::string name_;
    std::string old_;
    bool had_ = false;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::string TempPath(const std::string& name) {
    return HermeticEnvironment::Root() + "/" + name;
}

} // namespace msgtest

#endif
