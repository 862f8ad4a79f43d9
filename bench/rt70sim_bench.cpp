/* Benchmarks of the virtual camera and the camera link: a block read inside the camera
 * logic, the same read through the link library and the rt70sim program over its socket,
 * a plain copy of the block for scale, and making one thumbnail. */
#include "VokUsb01.h"
#include "camera.h"
#include "demo_card.h"
#include "jpeg_util.h"

#include <benchmark/benchmark.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

using rt70sim::Bytes;

struct Fixture {
    std::string dir, card, socket;
    pid_t sim = -1;
    Fixture() {
        char pattern[] = "/tmp/rt70benchXXXXXX";
        if (!mkdtemp(pattern))
            std::abort();
        dir = pattern;
        card = dir + "/card";
        socket = dir + "/cam.sock";
        std::string error;
        rt70sim::makeDemoCard(card, &error);
    }
    ~Fixture() {
        if (sim > 0) {
            kill(sim, SIGTERM);
            waitpid(sim, nullptr, 0);
        }
        (void)!std::system(("rm -rf '" + dir + "'").c_str());
    }
    bool startSim() {
        if (sim > 0)
            return true;
        char self[4096] = {};
        if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0)
            return false;
        std::string bin = self;
        bin = bin.substr(0, bin.rfind('/')) + "/rt70sim";
        const char* argv[] = {bin.c_str(), "--socket",   socket.c_str(),
                              "--card",    card.c_str(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", 1, 0);
        const int rc = posix_spawn(&sim, bin.c_str(), &actions, nullptr,
                                   const_cast<char* const*>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0)
            return false;
        struct stat st {};
        for (int i = 0; i < 1000 && ::stat(socket.c_str(), &st) != 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        setenv(VOKUSB_ENV_SIM, socket.c_str(), 1);
        return true;
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

Bytes blockRequest(uint8_t block) {
    const uint8_t payload[7] = {2, 0, 0, 0, block, 0, 0};
    return rt70sim::buildPacket(8, block, 133, payload, sizeof payload);
}

void BM_CameraBlockRead(benchmark::State& state) {
    rt70sim::Camera camera;
    rt70sim::initCamera(&camera, fixture().card, {});
    const Bytes info = rt70sim::buildPacket(8, 0, 132, Bytes{2, 0, 0, 0}.data(), 4);
    rt70sim::handleRequest(camera, info.data(), info.size());
    const Bytes request = blockRequest(0);
    for (auto _ : state) {
        auto reply = rt70sim::handleRequest(camera, request.data(), request.size());
        benchmark::DoNotOptimize(reply);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 32768);
}
BENCHMARK(BM_CameraBlockRead);

bool hostWrite(const Bytes& p) {
    const uint16_t zero = 0;
    VokUsbHandle dev = open_dev();
    const int ok = preBulkWrite_RT70(dev, &zero);
    VokUsb_CloseHandle(dev);
    VokUsbHandle pipe = open_file("PIPE00");
    uint32_t done = 0;
    const int w = VokUsb_WritePipe(pipe, p.data(), static_cast<uint32_t>(p.size()), &done);
    VokUsb_CloseHandle(pipe);
    return ok && w;
}

bool hostRead(uint8_t* buffer, uint32_t n) {
    const uint16_t zero = 0;
    VokUsbHandle dev = open_dev();
    const int ok = preBulkRead_RT70(dev, &zero);
    VokUsb_CloseHandle(dev);
    VokUsbHandle pipe = open_file("PIPE01");
    uint32_t done = 0;
    const int r = VokUsb_ReadPipe(pipe, buffer, n, &done);
    VokUsb_CloseHandle(pipe);
    return ok && r && done == n;
}

void BM_LinkBlockRead(benchmark::State& state) {
    if (!fixture().startSim()) {
        state.SkipWithError("rt70sim not found beside the benchmark");
        return;
    }
    hostWrite(rt70sim::buildPacket(8, 0, 132, Bytes{2, 0, 0, 0}.data(), 4));
    Bytes head(16);
    hostRead(head.data(), 16);
    const Bytes request = blockRequest(0);
    Bytes reply(32774);
    for (auto _ : state) {
        if (!hostWrite(request) || !hostRead(reply.data(), 1) || !hostRead(reply.data(), 32774)) {
            state.SkipWithError("exchange failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 32768);
}
BENCHMARK(BM_LinkBlockRead)->UseRealTime();

void BM_PlainCopy(benchmark::State& state) {
    Bytes from(32774, 1), to(32774);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 32768);
}
BENCHMARK(BM_PlainCopy);

void BM_Thumbnail1024x768(benchmark::State& state) {
    Bytes jpeg, thumb;
    rt70sim::encodeJpeg(rt70sim::demoPicture(1024, 768, 3), 85, true, nullptr, &jpeg);
    for (auto _ : state) {
        rt70sim::makeThumbnail(jpeg, &thumb);
        benchmark::DoNotOptimize(thumb);
    }
}
BENCHMARK(BM_Thumbnail1024x768);

} // namespace

BENCHMARK_MAIN();
