// Starts the virtual camera (rt70sim from $VOK_TEST_BIN) on a socket in a temporary folder
// for one test, points the camera link at it through VOKUSB_SIM, and stops it afterwards.
#ifndef DSCCOM_SIM_CAMERA_H
#define DSCCOM_SIM_CAMERA_H

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

inline std::string TestBin(const char* name) {
    const char* bin = getenv("VOK_TEST_BIN");
    return std::string(bin ? bin : ".") + "/" + name;
}

inline std::string MakeDemoCard(const std::string& dir) {
    std::string card = dir + "/card";
    std::string command = "'" + TestBin("rt70sim") + "' --make-demo-card '" + card + "'";
    EXPECT_EQ(system(command.c_str()), 0);
    return card;
}

// A card folder with `folders` folders from 100 on, each holding `images` stand-in stills.
inline std::string MakeCard(const std::string& dir, int folders, int images) {
    std::string card = dir + "/card";
    mkdir(card.c_str(), 0700);
    for (int f = 0; f < folders; ++f) {
        std::string folder = card + "/" + std::to_string(100 + f);
        mkdir(folder.c_str(), 0700);
        for (int i = 1; i <= images; ++i) {
            char name[16];
            snprintf(name, sizeof name, "/%04d.jpg", i);
            FILE* file = fopen((folder + name).c_str(), "w");
            if (file) {
                fputs("stand-in", file);
                fclose(file);
            }
        }
    }
    return card;
}

struct SimCamera {
    pid_t pid = -1;
    std::string socket;

    SimCamera(const std::string& dir, const std::string& card,
              const std::vector<std::string>& extra = {}) {
        socket = dir + "/camera.sock";
        unlink(socket.c_str());
        std::vector<std::string> args = {TestBin("rt70sim"), "--socket", socket, "--card", card};
        args.insert(args.end(), extra.begin(), extra.end());
        pid = fork();
        if (pid == 0) {
            std::vector<char*> argv;
            for (std::string& a : args)
                argv.push_back(&a[0]);
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        struct stat st;
        for (int i = 0; i < 500 && stat(socket.c_str(), &st) != 0; ++i)
            usleep(10000);
        EXPECT_EQ(stat(socket.c_str(), &st), 0) << "rt70sim did not start";
        setenv("VOKUSB_SIM", socket.c_str(), 1);
    }
    ~SimCamera() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        unsetenv("VOKUSB_SIM");
    }
};

inline std::vector<uint8_t> ReadFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return bytes;
    uint8_t buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    fclose(f);
    return bytes;
}

#endif
