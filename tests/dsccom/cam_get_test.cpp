// rt70cam get-all and get against the virtual camera: byte-for-byte copies numbered from
// DSC00001 and continued by a second run, picked images, full and missing folders, images the
// camera does not have, a camera that stops answering, Ctrl-C, a kill in the middle of a file,
// and the usage errors.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "cam_env.h"
#include "transfer_env.h"

namespace {

struct GetHome : CamHome {
    std::string dest = MakeFolder(dir, "dest");
};

const char* const kDemo[] = {"100/0001.jpg", "100/0002.jpg", "100/0003.jpg",
                             "100/0004.tif", "101/0001.mov", "101/0002.wav"};

std::string dscName(int number, const char* cardFile) {
    std::string ending = std::string(cardFile).substr(9); // after "100/0001."
    if (ending == "wav")
        ending = "mov";
    char name[32];
    snprintf(name, sizeof name, "DSC%05d.%s", number, ending.c_str());
    return name;
}

TEST(CamGet, AllImagesByteForByteAndASecondRunContinues) {
    GetHome home;
    std::string card = MakeDemoCard(home.dir);
    SimCamera camera(home.dir, card);
    for (int run = 0; run < 2; ++run) {
        ProgramRun r = home.rt70cam("get-all '" + home.dest + "'");
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.log, "");
        std::string want;
        for (int i = 0; i < 6; ++i) {
            std::string name = dscName(run * 6 + i + 1, kDemo[i]);
            want += home.dest + "/" + name + "\n";
            EXPECT_EQ(ReadBytes(home.dest + "/" + name), ReadBytes(card + "/" + kDemo[i])) << name;
        }
        EXPECT_EQ(r.out, want);
        EXPECT_EQ(r.err.find("[#"), std::string::npos); // no bar when stderr is no terminal
    }
    EXPECT_EQ(Names(home.dest).size(), 12u);
}

TEST(CamGet, PickedImages) {
    GetHome home;
    std::string card = MakeDemoCard(home.dir);
    SimCamera camera(home.dir, card);
    Touch(home.dest + "/dsc00041.JPG");
    ProgramRun r = home.rt70cam("get 100:4 101:2 100:1 '" + home.dest + "/'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Names(home.dest), (std::vector<std::string>{"DSC00042.tif", "DSC00043.mov",
                                                          "DSC00044.jpg", "dsc00041.JPG"}));
    EXPECT_EQ(ReadBytes(home.dest + "/DSC00042.tif"), ReadBytes(card + "/100/0004.tif"));
    EXPECT_EQ(ReadBytes(home.dest + "/DSC00043.mov"), ReadBytes(card + "/101/0002.wav"));
    EXPECT_EQ(ReadBytes(home.dest + "/DSC00044.jpg"), ReadBytes(card + "/100/0001.jpg"));
}

TEST(CamGet, FullOrMissingFolderIsRefused) {
    GetHome home;
    SimCamera camera(home.dir, MakeDemoCard(home.dir));
    Touch(home.dest + "/DSC99999.jpg");
    ProgramRun full = home.rt70cam("get-all '" + home.dest + "'");
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.log.rfind("error 55 rt70cam\t", 0), 0u) << full.log;
    EXPECT_EQ(Names(home.dest).size(), 1u);
    ProgramRun missing = home.rt70cam("get-all '" + home.dir + "/missing'");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.log.rfind("error 55 rt70cam\t", 0), 0u) << missing.log;
    ProgramRun picked = home.rt70cam("get 100:1 '" + home.dir + "/missing'");
    EXPECT_EQ(picked.status, 1);
    EXPECT_EQ(picked.log.rfind("error 50 rt70cam\t", 0), 0u) << picked.log;
}

TEST(CamGet, CameraThatStopsAnsweringLeavesNoPartialFile) {
    GetHome home;
    std::string card = MakeSizedCard(home.dir, {70000, 70000});
    // The second file's second block never gets an answer.
    SimCamera camera(home.dir, card,
                     {"--fault", "133:5:drop", "--fault", "133:6:drop", "--fault", "133:7:drop"});
    ProgramRun r = home.rt70cam("get-all '" + home.dest + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.log.rfind("error 14 rt70cam\t", 0), 0u) << r.log;
    EXPECT_EQ(Names(home.dest), (std::vector<std::string>{"DSC00001.jpg"}));
    EXPECT_EQ(ReadBytes(home.dest + "/DSC00001.jpg"), ReadBytes(card + "/100/0001.jpg"));
    EXPECT_EQ(r.out, home.dest + "/DSC00001.jpg\n");
}

// Whether pid holds open a file of folder that has no DSC name yet (an O_TMPFILE file shows
// as "folder/#123 (deleted)", a named temporary file under its hidden name).
bool WritingInto(pid_t pid, const std::string& folder) {
    const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(fds.c_str()), &closedir);
    while (dir) {
        const dirent* e = readdir(dir.get());
        if (!e)
            break;
        char target[4096];
        const ssize_t n = readlink((fds + "/" + e->d_name).c_str(), target, sizeof target - 1);
        if (n <= 0)
            continue;
        const std::string path(target, static_cast<size_t>(n));
        if (path.compare(0, folder.size() + 1, folder + "/") == 0 &&
            path.compare(folder.size() + 1, 3, "DSC") != 0)
            return true;
    }
    return false;
}

// rt70cam ended by a signal in the middle of a file leaves no hidden partial file, on file
// systems with O_TMPFILE and (through the hook) without.
TEST(CamGet, KilledMidFileLeavesNoHiddenFile) {
    struct Case {
        int signal;
        const char* noTmpFile;
    } cases[] = {
        {SIGKILL, nullptr}, {SIGTERM, nullptr}, {SIGHUP, nullptr}, {SIGTERM, "1"}, {SIGHUP, "1"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(strsignal(c.signal)) + (c.noTmpFile ? " without O_TMPFILE" : ""));
        GetHome home;
        std::string card = MakeSizedCard(home.dir, {70000, 70000, 70000});
        // A dropped block request keeps the second file open while its retry waits.
        SimCamera camera(home.dir, card, {"--fault", "133:5:drop"});
        voktest::ScopedEnv hook("VOK_TEST_NO_TMPFILE", c.noTmpFile);
        pid_t pid = voktest::SpawnQuiet({voktest::TestBin("rt70cam"), "get-all", home.dest});
        ASSERT_GT(pid, 0);
        // Stopped while it holds a partial file, so that the signal meets it mid-file.
        bool caught = false;
        for (int i = 0; i < 20000 && !caught; ++i) {
            if (WritingInto(pid, home.dest)) {
                kill(pid, SIGSTOP);
                caught = WritingInto(pid, home.dest);
                if (!caught)
                    kill(pid, SIGCONT);
            } else {
                usleep(200);
            }
        }
        EXPECT_TRUE(caught) << "rt70cam never seen writing";
        kill(pid, c.signal);
        kill(pid, SIGCONT);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal) << status;
        for (const std::string& name : Names(home.dest))
            EXPECT_EQ(name.compare(0, 3, "DSC"), 0) << name;
    }
}

TEST(CamGet, EmptyCamera) {
    GetHome home;
    SimCamera camera(home.dir, MakeFolder(home.dir, "card"));
    ProgramRun r = home.rt70cam("get-all '" + home.dest + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.log.rfind("error 53 rt70cam\t", 0), 0u) << r.log;
}

TEST(CamGet, LeadingZerosNameTheSameImage) {
    GetHome home;
    std::string card = MakeDemoCard(home.dir);
    SimCamera camera(home.dir, card);
    ProgramRun r = home.rt70cam("get 100:000002 0101:01 '" + home.dest + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadBytes(home.dest + "/DSC00001.jpg"), ReadBytes(card + "/100/0002.jpg"));
    EXPECT_EQ(ReadBytes(home.dest + "/DSC00002.mov"), ReadBytes(card + "/101/0001.mov"));
}

TEST(CamGet, ImageTheCameraDoesNotHaveIsNamed) {
    GetHome home;
    std::string card = MakeDemoCard(home.dir);
    SimCamera camera(home.dir, card);
    ProgramRun alone = home.rt70cam("get 100:99 '" + home.dest + "'");
    EXPECT_EQ(alone.status, 1);
    EXPECT_EQ(alone.log.rfind("error 6 rt70cam\t", 0), 0u) << alone.log;
    EXPECT_NE(alone.err.find("100:99"), std::string::npos) << alone.err;
    EXPECT_TRUE(Names(home.dest).empty());
    // In the middle of a list: what came before is kept, the run stops there.
    ProgramRun list = home.rt70cam("get 100:1 100:99 100:2 '" + home.dest + "'");
    EXPECT_EQ(list.status, 1);
    EXPECT_EQ(list.log.rfind("error 6 rt70cam\t", 0), 0u) << list.log;
    EXPECT_NE(list.err.find("100:99"), std::string::npos) << list.err;
    EXPECT_EQ(list.out, home.dest + "/DSC00001.jpg\n");
    EXPECT_EQ(Names(home.dest), (std::vector<std::string>{"DSC00001.jpg"}));
}

// rt70cam with its standard output on a pipe that is full until the test reads it, so that
// the program cannot get past printing its first file; Ctrl-C comes once its handler is in
// place, which is before that point whatever the scheduling.
ProgramRun interruptedRun(const GetHome& home, const std::string& args) {
    ProgramRun r;
    int fds[2];
    if (pipe(fds) != 0)
        return r;
    fcntl(fds[1], F_SETFL, O_NONBLOCK);
    size_t filler = 0;
    char byte = 'x';
    while (write(fds[1], &byte, 1) == 1)
        ++filler;
    fcntl(fds[1], F_SETFL, 0);

    std::vector<std::string> words = {voktest::TestBin("rt70cam")};
    std::istringstream split(args);
    for (std::string w; split >> w;)
        words.push_back(w);
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    const std::string errPath = home.dir + "/stderr.txt";
    const std::string logPath = home.dir + "/messages.log";
    std::remove(logPath.c_str());
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    pid_t pid = -1;
    EXPECT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);

    // The handler is in place when SIGINT shows among the caught signals.
    const std::string status = "/proc/" + std::to_string(pid) + "/status";
    bool caught = false;
    for (int i = 0; pid > 0 && !caught && i < 60000; ++i) {
        std::ifstream in(status);
        std::string line;
        while (std::getline(in, line))
            if (line.rfind("SigCgt:", 0) == 0)
                caught = (std::stoull(line.substr(7), nullptr, 16) >> (SIGINT - 1)) & 1;
        if (!caught)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(caught);
    if (caught)
        kill(pid, SIGINT);
    char buffer[4096];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0)
        r.out.append(buffer, static_cast<size_t>(n));
    close(fds[0]);
    r.out.erase(0, filler);
    r.status = voktest::WaitExit(pid);
    r.err = voktest::ReadFile(errPath);
    r.log = voktest::ReadFile(logPath);
    return r;
}

TEST(CamGet, InterruptedRunExitsWith130AndSaysWhatItWrote) {
    GetHome home;
    std::string card = MakeSizedCard(home.dir, {5000, 5000, 5000});
    SimCamera camera(home.dir, card);
    ProgramRun r = interruptedRun(home, "get-all " + home.dest);
    EXPECT_EQ(r.status, 130) << r.err;
    EXPECT_EQ(r.out, home.dest + "/DSC00001.jpg\n");
    EXPECT_NE(r.err.find("1 file written"), std::string::npos) << r.err;
    EXPECT_EQ(Names(home.dest), (std::vector<std::string>{"DSC00001.jpg"}));
}

TEST(CamGet, InterruptDuringTheOnlyImageIsAnswered) {
    GetHome home;
    std::string card = MakeDemoCard(home.dir);
    SimCamera camera(home.dir, card);
    ProgramRun r = interruptedRun(home, "get 100:3 " + home.dest);
    EXPECT_EQ(r.status, 130) << r.err;
    EXPECT_NE(r.err.find("finishing the last image"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("interrupted; 1 file written"), std::string::npos) << r.err;
    EXPECT_EQ(ReadBytes(home.dest + "/DSC00001.jpg"), ReadBytes(card + "/100/0003.jpg"));
}

TEST(CamGet, UsageErrors) {
    GetHome home;
    for (const char* args :
         {"get-all", "get-all a b", "get 100:1", "get", "get 1x:1 d", "get 100: d", "get :1 d",
          "get 70000:1 d", "get 100:65536 d", "get 100:1:2 d", "get -1:2 d", "get 100:+1 d",
          "get 100:0065536 d", "get '100: 1' d", "get 0x64:1 d"}) {
        ProgramRun r = home.rt70cam(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("usage"), std::string::npos) << args;
        EXPECT_EQ(r.log, "") << args;
    }
}

} // namespace
