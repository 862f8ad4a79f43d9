/* QuantizeTo256 on a 2048 x 1536 picture: the photo in VOK_BENCH_PHOTO (a 24-bit BMP) or, without
 * one, a synthetic picture of smooth gradients and grain. With --quantize IN.bmp OUT.bmp it
 * reads, reduces and writes one file, so a script can time it as a process beside another. */
#include "bmp_reader.h"
#include "convert.h"
#include "vok_dib.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace qubex::image;

namespace {

Dib SyntheticPhoto(uint32_t w, uint32_t h) {
    const uint32_t stride = vokc::DibStride(w, 24);
    Dib d(40 + size_t(stride) * h);
    vokc::DibHeader hd;
    hd.width = int32_t(w);
    hd.height = int32_t(h);
    vokc::PutDibHeader(d.data(), hd);
    uint32_t seed = 12345;
    for (uint32_t y = 0; y < h; ++y) {
        uint8_t* p = d.data() + 40 + size_t(y) * stride;
        for (uint32_t x = 0; x < w; ++x, p += 3) {
            seed = seed * 1103515245 + 12345;
            int grain = int(seed >> 28) - 8;
            double u = double(x) / w, v = double(y) / h;
            auto clamp = [](double c) { return uint8_t(c < 0 ? 0 : c > 255 ? 255 : c); };
            p[0] = clamp(120 + 100 * std::sin(6 * u + 2 * v) + grain);
            p[1] = clamp(128 + 90 * std::cos(4 * v - 3 * u) + grain);
            p[2] = clamp(140 + 110 * std::sin(5 * u * v + 1) + grain);
        }
    }
    return d;
}

Dib BenchPicture() {
    if (const char* path = std::getenv("VOK_BENCH_PHOTO")) {
        DibResult r = ReadBmpFile(path);
        if (r.ok())
            return r.dib;
        std::fprintf(stderr, "VOK_BENCH_PHOTO %s: message %d; using a synthetic picture\n", path,
                     r.message);
    }
    return SyntheticPhoto(2048, 1536);
}

void BM_QuantizeTo256(benchmark::State& state) {
    const Dib photo = BenchPicture();
    for (auto _ : state) {
        Dib q = QuantizeTo256(photo);
        benchmark::DoNotOptimize(q.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(photo.size()));
}
BENCHMARK(BM_QuantizeTo256)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--quantize") == 0) {
        DibResult r = ReadBmpFile(argv[2]);
        if (!r.ok())
            return 1;
        return WriteBmpFile(argv[3], QuantizeTo256(r.dib)) == 0 ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
