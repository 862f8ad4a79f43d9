// Download benchmark: a card of 20 images of 300 kB to 1 MB copied from the virtual camera by
// the whole-camera run, with the protocol's real waits. Prints the time taken beside the
// floor the fixed 100 ms wait after each request sets for the same exchanges, and their ratio.
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "DscTransfer.h"
#include "VokComRT70.h"

namespace {

const int kImages = 20;

std::vector<uint8_t> bytesOf(size_t size, unsigned seed) {
    std::vector<uint8_t> b(size);
    uint32_t x = seed * 2654435761u + 7;
    for (auto& v : b) {
        x = x * 1103515245u + 12345u;
        v = static_cast<uint8_t>(x >> 16);
    }
    return b;
}

bool sameFile(const std::string& a, const std::string& b) {
    std::string command = "cmp -s '" + a + "' '" + b + "'";
    return system(command.c_str()) == 0;
}

} // namespace

int main() {
    char pattern[] = "/tmp/dsccom-download-bench-XXXXXX";
    std::string dir = mkdtemp(pattern);
    setenv("HOME", dir.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir + "/config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    if (!getenv("VOK_TIME_SCALE"))
        setenv("VOK_TIME_SCALE", "1", 1);
    std::string card = dir + "/card", dest = dir + "/dest", socket = dir + "/camera.sock";
    mkdir(card.c_str(), 0700);
    mkdir((card + "/100").c_str(), 0700);
    mkdir(dest.c_str(), 0700);

    // Sizes spread over 300 kB to 1 MB; the same card on every run.
    std::vector<size_t> sizes;
    uint64_t blocks = 0, bytes = 0;
    for (int i = 0; i < kImages; ++i) {
        size_t size = 300000 + static_cast<size_t>(i) * 700000 / (kImages - 1) +
                      static_cast<size_t>(i * 7919 % 4096);
        if (size > 1000000)
            size = 1000000;
        sizes.push_back(size);
        char name[32];
        snprintf(name, sizeof name, "/100/%04d.jpg", i + 1);
        std::vector<uint8_t> data = bytesOf(size, static_cast<unsigned>(i + 1));
        FILE* f = fopen((card + name).c_str(), "wb");
        if (!f || fwrite(data.data(), 1, size, f) != size)
            return 1;
        fclose(f);
        blocks += (size + 32767) / 32768;
        bytes += size;
    }

    pid_t camera = fork();
    if (camera == 0) {
        execl(RT70SIM_PATH, "rt70sim", "--socket", socket.c_str(), "--card", card.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    struct stat st;
    for (int i = 0; i < 500 && stat(socket.c_str(), &st) != 0; ++i)
        usleep(10000);
    setenv("VOKUSB_SIM", socket.c_str(), 1);

    VokDscCom_SetApplicationInfo(nullptr, "bench", 1, 5, "");
    int result = VokDscCom_Connect(); // the monitor wait is not part of the download
    int32_t written = 0;
    auto start = std::chrono::steady_clock::now();
    if (result == DSC_OK)
        result = DscTransfer_RunAllInto(1, dest.c_str(), &written);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    VokDscCom_Disconnect();
    kill(camera, SIGTERM);
    waitpid(camera, nullptr, 0);

    bool same = result == DSC_OK && written == kImages;
    for (int i = 0; same && i < kImages; ++i) {
        char from[32], to[32];
        snprintf(from, sizeof from, "/100/%04d.jpg", i + 1);
        snprintf(to, sizeof to, "/DSC%05d.jpg", i + 1);
        same = sameFile(card + from, dest + to);
    }
    // Exchanges: two pages of the count (the second ends it), one information request per
    // image, one per block. Each waits 100 ms after sending.
    uint64_t exchanges = 2 + kImages + blocks;
    double scale = atof(getenv("VOK_TIME_SCALE"));
    double floor = exchanges * 0.1 * scale;
    printf("download: %d images, %.1f MB, %llu blocks of 32 KiB, %llu exchanges\n", kImages,
           bytes / 1e6, static_cast<unsigned long long>(blocks),
           static_cast<unsigned long long>(exchanges));
    printf("time scale %.3g: taken %.2f s, floor of the fixed waits %.2f s, ratio %.3f\n", scale,
           seconds, floor, floor > 0 ? seconds / floor : 0.0);
    printf("result %d, files written %d, byte-for-byte %s\n", result, written,
           same ? "equal" : "DIFFERENT");
    std::string command = "rm -rf '" + dir + "'";
    if (system(command.c_str()) != 0)
        fprintf(stderr, "could not remove %s\n", dir.c_str());
    return same ? 0 : 1;
}
