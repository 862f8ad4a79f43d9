/* Benchmarks of VokReged: a value read (open, parse, find), a value write (lock, re-read,
 * temp file, fsync, rename) and a rewrite that changes nothing, on a store of realistic size in
 * a private temporary folder. */
#include "RegStore.h"
#include "VokReged.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

const char kKey[] = "software\\Quintaral\\VQL-RT70";

std::string g_root;

void fillStore() {
    int32_t n = 1;
    for (const char* name : {"Active", "APP_HANDLE", "Resizeing", "Resize_Handle", "Flag_Resize",
                             "Mode_Resize", "Now_Toking"})
        VokReg_Set_KeyValue(kKey, "Event_App", name, VOK_REG_NUMBER, &n);
    for (const char* name : {"Path_Mail", "Path_Image", "Path_Application"})
        VokReg_Set_KeyValue(kKey, "Event_App", name, VOK_REG_TEXT, "/home/user/Pictures/Camera");
    VokReg_Set_KeyValue(kKey, "Application", "Path_dir", VOK_REG_TEXT, "/home/user/Pictures");
}

void BM_QueryNumber(benchmark::State& state) {
    int32_t n = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            VokReg_Query_KeyValue(kKey, "Event_App", "Now_Toking", VOK_REG_NUMBER, &n));
}
BENCHMARK(BM_QueryNumber);

void BM_SetNumberChanging(benchmark::State& state) {
    int32_t n = 0;
    for (auto _ : state) {
        ++n;
        benchmark::DoNotOptimize(
            VokReg_Set_KeyValue(kKey, "Event_App", "APP_HANDLE", VOK_REG_NUMBER, &n));
    }
}
BENCHMARK(BM_SetNumberChanging);

void BM_SetNumberUnchanged(benchmark::State& state) {
    int32_t n = 7;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            VokReg_Set_KeyValue(kKey, "Event_App", "Mode_Resize", VOK_REG_NUMBER, &n));
}
BENCHMARK(BM_SetNumberUnchanged);

void BM_ParseStore(benchmark::State& state) {
    std::string file;
    for (int i = 0; i < 20; ++i)
        file += "[software\\Quintaral\\VQL-RT70\\Key" + std::to_string(i) +
                "]\nActive=1\nPath_Mail=\"/home/user/Pictures/Mail \\\"x\\\"\"\n";
    for (auto _ : state)
        benchmark::DoNotOptimize(vokreg::parseStore(file.data(), file.size()));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}
BENCHMARK(BM_ParseStore);

} // namespace

int main(int argc, char** argv) {
    char tmpl[] = "/tmp/reg_bench_XXXXXX";
    if (!mkdtemp(tmpl))
        return 1;
    g_root = tmpl;
    setenv("XDG_CONFIG_HOME", g_root.c_str(), 1);
    fillStore();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::string cleanup = "rm -rf '" + g_root + "'";
    return system(cleanup.c_str()) == 0 ? 0 : 1;
}
