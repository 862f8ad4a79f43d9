/* Benchmarks of VokReged: a value read (open, parse, find), a value write (lock, re-read,
 * temp file, fsync, rename) and a rewrite that changes nothing, on a store of realistic size in
 * a private temporary folder. */
#include "RegStore.h"
#include "VokReged.h"
#include "VokSharedKeys.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

const char kKey[] = VOK_KEY_PATH;

std::string g_root;

void fillStore() {
    int32_t n = 1;
    for (const char* name :
         {VOK_VALUE_ACTIVE, VOK_VALUE_APP_HANDLE, VOK_VALUE_RESIZING, VOK_VALUE_RESIZE_HANDLE,
          VOK_VALUE_FLAG_RESIZE, VOK_VALUE_MODE_RESIZE, VOK_VALUE_NOW_TOKING})
        VokReg_Set_KeyValue(kKey, VOK_SUBKEY_EVENT, name, VOK_REG_NUMBER, &n);
    for (const char* name : {VOK_VALUE_PATH_MAIL, VOK_VALUE_PATH_IMAGE, VOK_VALUE_PATH_APPLICATION})
        VokReg_Set_KeyValue(kKey, VOK_SUBKEY_EVENT, name, VOK_REG_TEXT,
                            "/home/user/Pictures/Camera");
    VokReg_Set_KeyValue(kKey, VOK_SUBKEY_APPLICATION, VOK_VALUE_PATH_DIR, VOK_REG_TEXT,
                        "/home/user/Pictures");
}

void BM_QueryNumber(benchmark::State& state) {
    int32_t n = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(VokReg_Query_KeyValue(kKey, VOK_SUBKEY_EVENT, VOK_VALUE_NOW_TOKING,
                                                       VOK_REG_NUMBER, &n));
}
BENCHMARK(BM_QueryNumber);

void BM_SetNumberChanging(benchmark::State& state) {
    int32_t n = 0;
    for (auto _ : state) {
        ++n;
        benchmark::DoNotOptimize(
            VokReg_Set_KeyValue(kKey, VOK_SUBKEY_EVENT, VOK_VALUE_APP_HANDLE, VOK_REG_NUMBER, &n));
    }
}
BENCHMARK(BM_SetNumberChanging);

void BM_SetNumberUnchanged(benchmark::State& state) {
    int32_t n = 7;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            VokReg_Set_KeyValue(kKey, VOK_SUBKEY_EVENT, VOK_VALUE_MODE_RESIZE, VOK_REG_NUMBER, &n));
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
