/* Set-up shared by every test folder: fresh temporary folders removed at the end, environment
 * variables set for a scope and restored, a private HOME and XDG folders, whole files, and
 * programs run with their output and exit status. Module-specific helpers stay in the folders. */
#ifndef VOK_TEST_ENV_H
#define VOK_TEST_ENV_H

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace voktest {

/* The whole file; empty when it cannot be read. */
inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    const std::string bytes = ReadFile(path);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

inline bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out);
}

/* Sets (or with nullptr clears) a variable for the lifetime of the object, then puts back
 * what was there before. */
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
    ScopedEnv(const char* name, const std::string& value) : ScopedEnv(name, value.c_str()) {}
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

/* A program built beside the tests (VOK_TEST_BIN, else the current folder). */
inline std::string TestBin(const std::string& name) {
    const char* bin = std::getenv("VOK_TEST_BIN");
    return std::string(bin ? bin : ".") + "/" + name;
}

/* Every name in a folder, hidden ones included, sorted; empty when it cannot be read. */
inline std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

/* Creates every level of relative below base and gives the full path. */
inline std::string MakeDirs(const std::string& base, const std::string& relative) {
    std::string path = base;
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

/* Tests take away permissions to provoke failures; the owner gets them back on every folder
 * (never through a link) so that the whole tree can be removed. */
inline void UnlockTree(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_directory(std::filesystem::symlink_status(path, ec)))
        return;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    for (const auto& entry : std::filesystem::directory_iterator(path, ec))
        UnlockTree(entry.path());
}

/* A fresh folder /tmp/<tag>.XXXXXX, removed with everything in it when the object goes. */
class TempDir {
  public:
    explicit TempDir(const std::string& tag = "voktest") {
        std::string pattern = "/tmp/" + tag + ".XXXXXX";
        if (mkdtemp(pattern.data()))
            path_ = pattern;
        else
            ADD_FAILURE() << "could not create " << pattern;
    }
    ~TempDir() {
        if (path_.empty())
            return;
        std::error_code ec;
        UnlockTree(path_);
        std::filesystem::remove_all(path_, ec);
        if (ec)
            ADD_FAILURE() << "could not remove " << path_ << ": " << ec.message();
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string Path(const std::string& name) const { return path_ + "/" + name; }
    std::string MakeDir(const std::string& relative) const { return MakeDirs(path_, relative); }

  private:
    std::string path_;
};

/* Where a private home puts things, relative to its root ("" is the root itself).
 * XDG_RUNTIME_DIR is always the root; TMPDIR is set only when tmp is given. */
struct HomeLayout {
    std::string home;
    std::string config;
    const char* tmp = nullptr;
};

/* HOME, XDG_CONFIG_HOME, XDG_RUNTIME_DIR (and TMPDIR) inside root for the lifetime of the
 * object. The home and TMPDIR folders are created; the config folder is left to the code
 * under test. */
class ScopedHome {
  public:
    ScopedHome(const std::string& root, const HomeLayout& layout) {
        auto below = [&root](const std::string& relative) {
            return relative.empty() ? root : root + "/" + relative;
        };
        ::mkdir(below(layout.home).c_str(), 0700);
        vars_.push_back(std::make_unique<ScopedEnv>("HOME", below(layout.home)));
        vars_.push_back(std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", below(layout.config)));
        vars_.push_back(std::make_unique<ScopedEnv>("XDG_RUNTIME_DIR", root));
        if (layout.tmp) {
            ::mkdir(below(layout.tmp).c_str(), 0700);
            vars_.push_back(std::make_unique<ScopedEnv>("TMPDIR", below(layout.tmp)));
        }
    }

  private:
    std::vector<std::unique_ptr<ScopedEnv>> vars_;
};

/* A fresh folder that is HOME, XDG_RUNTIME_DIR and (as <dir>/config) XDG_CONFIG_HOME for one
 * test, so that settings never leak between tests; all put back and removed at the end. */
class TempHome {
  public:
    explicit TempHome(const std::string& tag = "voktest", const HomeLayout& layout = {"", "config"})
        : temp_(tag), dir(temp_.path()), home_(dir, layout) {}

  private:
    TempDir temp_;

  public:
    const std::string dir;

  private:
    ScopedHome home_;
};

/* One private folder and home for a whole test program, with the message hooks and the
 * language variables cleared so that the user's settings cannot leak in. Register it once
 * per program with ::testing::AddGlobalTestEnvironment. */
class ProgramEnvironment : public ::testing::Environment {
  public:
    ProgramEnvironment(std::string tag, HomeLayout layout)
        : tag_(std::move(tag)), layout_(std::move(layout)) {}
    void SetUp() override {
        dir_ = std::make_unique<TempDir>(tag_);
        ASSERT_FALSE(dir_->path().empty());
        root_ = dir_->path();
        home_ = std::make_unique<ScopedHome>(root_, layout_);
        for (const char* name : {"VOK_MSG_LOG", "VOK_MSG_ANSWER", "LC_ALL", "LC_MESSAGES", "LANG"})
            cleared_.push_back(std::make_unique<ScopedEnv>(name, nullptr));
    }
    void TearDown() override {
        cleared_.clear();
        home_.reset();
        dir_.reset();
    }
    static const std::string& Root() { return root_; }

  private:
    std::string tag_;
    HomeLayout layout_;
    std::unique_ptr<TempDir> dir_;
    std::unique_ptr<ScopedHome> home_;
    std::vector<std::unique_ptr<ScopedEnv>> cleared_;
    static inline std::string root_;
};

inline std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

inline bool HaveTool(const char* tool) {
    const std::string cmd = std::string("command -v ") + tool + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

struct ProgramRun {
    int status = -1; // exit code; -1 when the program did not exit normally
    std::string out;
    std::string err;
    std::string log; // the message lines logged during the run, where a log was kept
};

/* Runs a shell command and captures its standard output. With a scratch folder its standard
 * error is captured too (through a file there, removed afterwards); without, it passes through. */
inline ProgramRun RunShell(const std::string& command, const std::string& scratch = "") {
    ProgramRun r;
    const std::string errPath = scratch.empty() ? "" : scratch + "/.stderr";
    const std::string full = errPath.empty() ? command : command + " 2>" + ShellQuote(errPath);
    FILE* pipe = popen(full.c_str(), "r");
    if (!pipe)
        return r;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        r.out.append(buffer, n);
    const int status = pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (!errPath.empty()) {
        r.err = ReadFile(errPath);
        std::remove(errPath.c_str());
    }
    return r;
}

/* A private home for running programs as a user would: messages logged to <dir>/messages.log
 * instead of shown, no preset answers and no display. */
class ProgramHome : public TempHome {
  public:
    explicit ProgramHome(const std::string& tag = "voktest",
                         const HomeLayout& layout = {"", "config"})
        : TempHome(tag, layout), log_("VOK_MSG_LOG", dir + "/messages.log"),
          answer_("VOK_MSG_ANSWER", nullptr), display_("DISPLAY", nullptr),
          wayland_("WAYLAND_DISPLAY", nullptr) {}

    /* Runs program (a path) with args (shell words, quoted by the caller) and no input: its
     * output, error output, exit code and the messages it logged. */
    ProgramRun Run(const std::string& program, const std::string& args) const {
        const std::string log = dir + "/messages.log";
        std::remove(log.c_str());
        ProgramRun r = RunShell(ShellQuote(program) + " " + args + " </dev/null", dir);
        r.log = ReadFile(log);
        return r;
    }

  private:
    ScopedEnv log_, answer_, display_, wayland_;
};

/* Starts a program (argv[0] a path) with standard input, output and error on the named files
 * (output made or emptied; nullptr keeps the test's own); -1 on failure. */
inline pid_t SpawnWith(const std::vector<std::string>& args, const char* in, const char* out,
                       const char* err) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (in)
        posix_spawn_file_actions_addopen(&actions, 0, in, O_RDONLY, 0);
    if (out)
        posix_spawn_file_actions_addopen(&actions, 1, out, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (err)
        posix_spawn_file_actions_addopen(&actions, 2, err, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    EXPECT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

/* Starts a program (argv[0] a path) with standard error sent to /dev/null; -1 on failure. */
inline pid_t SpawnQuiet(const std::vector<std::string>& args) {
    return SpawnWith(args, nullptr, nullptr, "/dev/null");
}

/* Waits for a started program: its exit code, or -1 when it did not exit normally. */
inline int WaitExit(pid_t pid) {
    int status = 0;
    if (pid <= 0 || waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline int RunQuiet(const std::vector<std::string>& args) {
    return WaitExit(SpawnQuiet(args));
}

} // namespace voktest

#endif
