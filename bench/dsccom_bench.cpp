// Benchmarks of the connection engine: building and checking a block packet, and one block
// read through an injected in-memory link, each against a plain copy of the same bytes.
#include <stdlib.h>
#include <string.h>

#include <vector>

#include <benchmark/benchmark.h>

#include "DscEngine.h"
#include "DscPacket.h"

namespace {

std::vector<uint8_t> g_reply;
bool g_pending = false;

VokUsbHandle openDev() {
    return 1;
}
VokUsbHandle openFile(const char* name) {
    return strcmp(name, "PIPE00") == 0 ? 2 : 3;
}
int sizeOp(VokUsbHandle, uint16_t* v) {
    *v = 0;
    return 1;
}
int valueOp(VokUsbHandle, const uint16_t*) {
    return 1;
}
int preRead(VokUsbHandle, const uint16_t*) {
    return g_pending;
}
int writePipe(VokUsbHandle, const void*, uint32_t length, uint32_t* done) {
    *done = length;
    g_pending = true;
    return 1;
}
int readPipe(VokUsbHandle, void* out, uint32_t length, uint32_t* done) {
    uint32_t n = length < g_reply.size() ? length : static_cast<uint32_t>(g_reply.size());
    memcpy(out, g_reply.data(), n);
    *done = n;
    if (length >= g_reply.size())
        g_pending = false;
    return 1;
}
int closeHandle(VokUsbHandle) {
    return 1;
}

void quiet(int) {}

struct Setup {
    Setup() {
        setenv("VOK_TIME_SCALE", "0", 1);
        DscCom_SetMessageHook(quiet);
        DscLink link = {openDev, openFile, sizeOp,    valueOp,  valueOp,
                        preRead, valueOp,  writePipe, readPipe, closeHandle};
        DscCom_SetLinkOverride(&link);
        VokDscCom_SetApplicationInfo(nullptr, "bench", 1, 5, "");
        DscCom_OpenConnection();
    }
};

void BM_CopyBlockPacket(benchmark::State& state) {
    std::vector<uint8_t> a(32774, 0x5A), b(32774);
    for (auto _ : state) {
        memcpy(b.data(), a.data(), a.size());
        benchmark::DoNotOptimize(b.data());
    }
    state.SetBytesProcessed(state.iterations() * 32768);
}
BENCHMARK(BM_CopyBlockPacket);

void BM_BuildAndCheckBlockPacket(benchmark::State& state) {
    std::vector<uint8_t> payload(32768, 0x5A), packet(DSC_BUFFER_SIZE);
    DscReplyRule rule = {7, DSC_CMD_READ_BLOCK, DSC_REPLY_BLOCK, 0};
    for (auto _ : state) {
        uint32_t n = DscPacket_Build(packet.data(), DSC_BUFFER_SIZE, DSC_TYPE_BLOCK32K, 7,
                                     DSC_REPLY_BLOCK, payload.data(), 32768);
        benchmark::DoNotOptimize(DscPacket_Check(packet.data(), n, &rule));
    }
    state.SetBytesProcessed(state.iterations() * 32768);
}
BENCHMARK(BM_BuildAndCheckBlockPacket);

void BM_ReadBlockThroughLink(benchmark::State& state) {
    static Setup setup;
    DscConnection* c = DscCom_Record();
    std::vector<uint8_t> payload(32768, 0x33), out(32768);
    DscCom_BuildPacket(DSC_TYPE_BLOCK32K, 0, DSC_REPLY_BLOCK, 32768, payload.data());
    g_reply.assign(c->sendBuffer, c->sendBuffer + 32774);
    uint8_t ref[4] = {100, 0, 1, 0};
    for (auto _ : state)
        benchmark::DoNotOptimize(
            DscCom_ReadBlock(DSC_BLOCK_IMAGE, DSC_CMD_READ_BLOCK, ref, 4, 0, 0, out.data(), 32768));
    state.SetBytesProcessed(state.iterations() * 32768);
}
BENCHMARK(BM_ReadBlockThroughLink);

} // namespace

BENCHMARK_MAIN();
