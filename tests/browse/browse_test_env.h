/* Shared set-up of the folder browser tests: a private HOME, XDG folders and TMPDIR per test
 * program, cleared message hooks, and small file helpers. */
#ifndef VOK_BROWSE_TEST_ENV_H
#define VOK_BROWSE_TEST_ENV_H

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace browsetest {

class HermeticEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        char templ[] = "/tmp/vokbrowsetest.XXXXXX";
        const char* dir = mkdtemp(templ);
        ASSERT_NE(dir, nullptr);
        root_ = dir;
        ::mkdir((root_ + "/home").c_str(), 0700);
        ::mkdir((root_ + "/tmp").c_str(), 0700);
        setenv("HOME", (root_ + "/home").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root_ + "/home/.config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", root_.c_str(), 1);
        setenv("TMPDIR", (root_ + "/tmp").c_str(), 1);
        for (const char* name : {"VOK_MSG_LOG", "VOK_MSG_ANSWER", "LC_ALL", "LC_MESSAGES", "LANG"})
            unsetenv(name);
    }
    void TearDown() override {
        std::string cmd = "chmod -R u+rwx '" + root_ + "' && rm -rf '" + root_ + "'";
        if (std::system(cmd.c_str()) != 0)
            ADD_FAILURE() << "could not remove " << root_;
    }
    static const std::string& Root() { return root_; }

  private:
    static inline std::string root_;
};

inline ::testing::Environment* const kEnv =
    ::testing::AddGlobalTestEnvironment(new HermeticEnvironment);

/* A fresh folder below the test root. */
inline std::string MakeDir(const std::string& relative) {
    std::string path = HermeticEnvironment::Root();
    std::size_t start = 0;
    while (start <= relative.size()) {
        std::size_t end = relative.find('/', start);
        if (end == std::string::npos)
            end = relative.size();
        path += "/" + relative.substr(start, end - start);
        ::mkdir(path.c_str(), 0755);
        start = end + 1;
    }
    return path;
}

inline bool IsDir(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

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

} // namespace browsetest

#endif
