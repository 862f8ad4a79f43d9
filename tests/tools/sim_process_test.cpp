/* The rt70sim program itself: command-line errors, the demo card written by it, a stale
 * socket replaced and a live one left alone, and a clean stop on SIGINT. */
#include "sim_test_util.h"

#include <csignal>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace simtest;

namespace {

class SimProcess : public SimTest {
  protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("VOK_TEST_BIN"), nullptr);
        sim_ = voktest::TestBin("rt70sim");
        socket_ = dir_ + "/cam.sock";
        card_ = dir_ + "/card";
    }
    void TearDown() override {
        for (pid_t p : running_) {
            kill(p, SIGKILL);
            waitpid(p, nullptr, 0);
        }
    }
    pid_t spawn(std::vector<std::string> args) {
        args.insert(args.begin(), sim_);
        return voktest::SpawnQuiet(args);
    }
    int wait(pid_t pid) {
        running_.erase(std::remove(running_.begin(), running_.end(), pid), running_.end());
        return voktest::WaitExit(pid);
    }
    int run(std::vector<std::string> args) { return wait(spawn(std::move(args))); }
    pid_t serve(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"--socket", socket_, "--card", card_};
        args.insert(args.end(), extra.begin(), extra.end());
        const pid_t pid = spawn(args);
        running_.push_back(pid);
        return pid;
    }
    /* Waits for the camera to accept, then answers one open of DEV. */
    bool accepts() {
        for (int i = 0; i < 1000; ++i) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un addr{};
            addr.sun_family = AF_UNIX;
            std::strncpy(addr.sun_path, socket_.c_str(), sizeof addr.sun_path - 1);
            if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
                uint8_t answer = 0;
                const bool ok =
                    ::write(fd, "DEV\n", 4) == 4 && ::read(fd, &answer, 1) == 1 && answer == 1;
                ::close(fd);
                return ok;
            }
            ::close(fd);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    std::string sim_, socket_, card_;
    std::vector<pid_t> running_;
};

TEST_F(SimProcess, BadCommandLinesAreRefused) {
    EXPECT_EQ(run({}), 2);
    EXPECT_EQ(run({"--socket", socket_}), 2);
    EXPECT_EQ(run({"--socket", socket_, "--card", card_, "--fault", "2:x:drop"}), 2);
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_EQ(run({"--make-demo-card", "/proc/no/such/place"}), 1);
    EXPECT_EQ(run({"--make-demo-card", card_}), 0);
    EXPECT_TRUE(exists(card_ + "/100/0001.jpg"));
    EXPECT_TRUE(exists(card_ + "/101/0002.wav"));
}

TEST_F(SimProcess, StaleSocketIsReplacedLiveOneIsNot) {
    // A socket file nobody listens on, as left by a camera that was killed.
    {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, socket_.c_str(), sizeof addr.sun_path - 1);
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        ::close(fd);
    }
    const pid_t first = serve();
    ASSERT_TRUE(accepts());
    EXPECT_EQ(run({"--socket", socket_, "--card", card_}), 1);
    EXPECT_TRUE(accepts()); // the first camera still serves
    kill(first, SIGINT);
    EXPECT_EQ(wait(first), 0);
    EXPECT_FALSE(exists(socket_));
    EXPECT_TRUE(exists(card_)); // created empty when missing
    // A plain file in the way is not removed.
    writeBytes(socket_, Bytes{1, 2, 3});
    EXPECT_EQ(run({"--socket", socket_, "--card", card_}), 1);
    EXPECT_EQ(ReadBytes(socket_), (Bytes{1, 2, 3}));
}

} // namespace
