/* The virtual camera program rt70sim for tests: card folders to serve, and one camera started
 * on a socket in a test's folder, with the camera link pointed at it through VOKUSB_SIM until
 * the camera is stopped with SIGTERM and reaped. */
#ifndef VOK_SIM_CAMERA_H
#define VOK_SIM_CAMERA_H

#include "vok_test_env.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace voktest {

/* <dir>/card made by rt70sim --make-demo-card: six images in folders 100 and 101. */
inline std::string MakeDemoCard(const std::string& dir) {
    const std::string card = dir + "/card";
    EXPECT_EQ(RunQuiet({TestBin("rt70sim"), "--make-demo-card", card}), 0);
    return card;
}

/* <dir>/card with `folders` folders from 100 on, each holding `images` stand-in stills. */
inline std::string MakeCard(const std::string& dir, int folders, int images) {
    const std::string card = dir + "/card";
    ::mkdir(card.c_str(), 0700);
    for (int f = 0; f < folders; ++f) {
        const std::string folder = card + "/" + std::to_string(100 + f);
        ::mkdir(folder.c_str(), 0700);
        for (int i = 1; i <= images; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "/%04d.jpg", i);
            WriteFile(folder + name, "stand-in");
        }
    }
    return card;
}

/* rt70sim serving card on <dir>/camera.sock (extra options after the card), running once the
 * socket is there; VOKUSB_SIM names the socket while the object lives. */
class SimCamera {
  public:
    SimCamera(const std::string& dir, const std::string& card,
              const std::vector<std::string>& extra = {})
        : socket_(dir + "/camera.sock") {
        ::unlink(socket_.c_str());
        std::vector<std::string> args = {TestBin("rt70sim"), "--socket", socket_, "--card", card};
        args.insert(args.end(), extra.begin(), extra.end());
        pid_ = SpawnQuiet(args);
        struct stat st;
        for (int i = 0; i < 1000 && pid_ > 0 && ::stat(socket_.c_str(), &st) != 0; ++i) {
            // A camera that gave up (a bad option) will never make the socket.
            if (waitpid(pid_, nullptr, WNOHANG) == pid_)
                pid_ = -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        EXPECT_EQ(::stat(socket_.c_str(), &st), 0) << "rt70sim did not start";
        var_ = std::make_unique<ScopedEnv>("VOKUSB_SIM", socket_);
    }
    ~SimCamera() { Stop(); }
    SimCamera(const SimCamera&) = delete;
    SimCamera& operator=(const SimCamera&) = delete;

    /* Sends the signal, then gives the exit code (-1 when it was not running or did not exit
     * normally). Later calls do nothing. */
    int Stop(int signal = SIGTERM) {
        if (pid_ <= 0)
            return -1;
        ::kill(pid_, signal);
        const int code = WaitExit(pid_);
        pid_ = -1;
        return code;
    }
    pid_t pid() const { return pid_; }
    const std::string& socket() const { return socket_; }

  private:
    std::string socket_;
    pid_t pid_ = -1;
    std::unique_ptr<ScopedEnv> var_;
};

} // namespace voktest

#endif
