// The common file helpers: the atomic replace under writes that fail as a full disk or a file
// size limit does, the modes it gives, and new files that get a name only when whole, never
// over another file, and leave nothing when a signal ends the process.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "vok_files.h"
#include "vok_test_env.h"

using voktest::Names;
using voktest::ReadFile;
using voktest::WriteFile;

namespace {

mode_t ModeOf(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// A disk that fills after a few bytes.
ssize_t FullAfterTen(int fd, const void* data, size_t size) {
    static size_t room = 0;
    if (fd < 0) { // reset
        room = 10;
        return 0;
    }
    if (room == 0) {
        errno = ENOSPC;
        return -1;
    }
    size_t n = size < room ? size : room;
    room -= n;
    return ::write(fd, data, n);
}

TEST(ReplaceFile, FailingWriteKeepsTheOldFileAndLeavesNothing) {
    voktest::TempDir dir("vokcommon");
    const std::string file = dir.path() + "/f";
    ASSERT_TRUE(WriteFile(file, "old"));
    const std::string data(100000, 'n');

    FullAfterTen(-1, nullptr, 0);
    vokc::ReplaceOptions full;
    full.write = FullAfterTen;
    EXPECT_FALSE(vokc::ReplaceFile(file.c_str(), data.data(), data.size(), full));
    EXPECT_EQ(errno, ENOSPC);
    EXPECT_EQ(ReadFile(file), "old");
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"f"});

    // A real write that the kernel refuses: the file size limit.
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = vokc::ReplaceFile(file.c_str(), data.data(), data.size());
    const int error = errno;
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(error, EFBIG);
    EXPECT_EQ(ReadFile(file), "old");
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"f"});

    EXPECT_TRUE(vokc::ReplaceFile(file.c_str(), data.data(), data.size()));
    EXPECT_EQ(ReadFile(file), data);
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"f"});
}

TEST(ReplaceFile, ModesAndLinks) {
    voktest::TempDir dir("vokcommon");
    const mode_t mask = umask(027);
    const std::string file = dir.path() + "/new";
    EXPECT_TRUE(vokc::ReplaceFile(file.c_str(), "a", 1));
    EXPECT_EQ(ModeOf(file), 0640u); // the umask's mode, not mkstemp's 0600
    ASSERT_EQ(chmod(file.c_str(), 0604), 0);
    EXPECT_TRUE(vokc::ReplaceFile(file.c_str(), "b", 1));
    EXPECT_EQ(ModeOf(file), 0604u); // a replaced file keeps its mode
    vokc::ReplaceOptions fixed;
    fixed.mode = 0600;
    EXPECT_TRUE(vokc::ReplaceFile(file.c_str(), "c", 1, fixed));
    EXPECT_EQ(ModeOf(file), 0600u);
    umask(mask);

    // A link is followed: the file it names is replaced and the link stays.
    const std::string link = dir.path() + "/link";
    ASSERT_EQ(symlink("new", link.c_str()), 0);
    EXPECT_TRUE(vokc::ReplaceFile(link.c_str(), "d", 1));
    struct stat st;
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadFile(file), "d");
}

TEST(NewFile, NamedOnlyWhenWholeAndNeverOverAnotherFile) {
    for (const char* hook : {"0", "1"}) {
        SCOPED_TRACE(hook);
        voktest::ScopedEnv noTmpFile("VOK_TEST_NO_TMPFILE", hook);
        voktest::TempDir dir("vokcommon");
        ASSERT_TRUE(WriteFile(dir.path() + "/a", "kept"));
        const mode_t mask = umask(022);
        vokc::NewFile file;
        ASSERT_EQ(vokc::BeginNewFile(&file, dir.path().c_str(), ".VOK-new-"), 0);
        ASSERT_TRUE(vokc::WriteFull(file.fd, "whole", 5));
        EXPECT_EQ(vokc::PublishNewFile(&file, "a"), EEXIST);
        EXPECT_EQ(ReadFile(dir.path() + "/a"), "kept");
        EXPECT_EQ(vokc::PublishNewFile(&file, "b"), 0);
        umask(mask);
        EXPECT_EQ(file.fd, -1);
        EXPECT_EQ(ReadFile(dir.path() + "/b"), "whole");
        EXPECT_EQ(ModeOf(dir.path() + "/b"), 0644u);
        EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"a", "b"}));

        ASSERT_EQ(vokc::BeginNewFile(&file, dir.path().c_str(), ".VOK-new-"), 0);
        vokc::AbandonNewFile(&file);
        EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"a", "b"}));
    }
}

volatile sig_atomic_t g_seen = 0;
void Count(int) {
    g_seen = g_seen + 1;
}

// In a child: a named file being written when SIGTERM comes, first with a program handler that
// lets the signal end the process only the second time (as a first Ctrl-C that cancels).
pid_t WriteThenSignal(const std::string& folder, bool programHandler) {
    pid_t pid = fork();
    if (pid != 0)
        return pid;
    setenv("VOK_TEST_NO_TMPFILE", "1", 1);
    if (programHandler) {
        struct sigaction action = {};
        action.sa_handler = Count;
        action.sa_flags = SA_RESETHAND;
        sigaction(SIGTERM, &action, nullptr);
    }
    vokc::NewFile file;
    if (vokc::BeginNewFile(&file, folder.c_str(), ".VOK-new-") != 0)
        _exit(3);
    raise(SIGTERM);
    if (programHandler) {
        // Still running and still writing: the file is there for the writer to finish.
        if (g_seen != 1 || Names(folder).size() != 1)
            _exit(4);
        raise(SIGTERM);
    }
    _exit(5);
}

TEST(NewFile, TerminatingSignalRemovesTheNamedFallback) {
    for (bool programHandler : {false, true}) {
        SCOPED_TRACE(programHandler);
        voktest::TempDir dir("vokcommon");
        pid_t pid = WriteThenSignal(dir.path(), programHandler);
        ASSERT_GT(pid, 0);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
        EXPECT_TRUE(Names(dir.path()).empty());
    }
}

} // namespace
