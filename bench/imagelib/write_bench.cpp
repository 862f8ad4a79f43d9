/* Benchmark of the writing side of VokExif: ChangeFormatToExifAndSave on a 2048 x 1536
 * JPEG sampled 2x1 (image data kept) and 1x1 (recompressed), and the scaled conversion
 * to 640 x 480. "--make-files DIR" only writes the two sources, for write_compare.sh. */
#include "VokExif.h"

#include <benchmark/benchmark.h>

#include <jpeglib.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 2048;
constexpr int kHeight = 1536;

// A picture with smooth areas, edges and sensor-like noise, so that the entropy coder
// has realistic work; the same bytes on every run.
std::vector<unsigned char> photo_pixels() {
    std::vector<unsigned char> rgb(size_t(kWidth) * kHeight * 3);
    uint32_t seed = 12345;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            seed = seed * 1664525u + 1013904223u;
            int noise = int(seed >> 28) - 8;
            double wave = 40 * std::sin(x / 37.0) * std::cos(y / 53.0);
            int edge = ((x / 256 + y / 192) % 2) * 50;
            int base[3] = {x * 160 / kWidth + edge, y * 150 / kHeight + int(wave) + 40,
                           (x + y) * 120 / (kWidth + kHeight) + 60 - edge / 2};
            for (int c = 0; c < 3; ++c) {
                int v = base[c] + noise;
                rgb[(size_t(y) * kWidth + x) * 3 + size_t(c)] =
                    static_cast<unsigned char>(v < 0     ? 0
                                               : v > 255 ? 255
                                                         : v);
            }
        }
    }
    return rgb;
}

// A baseline JPEG with libjpeg's standard tables at quality 90.
bool write_jpeg(const std::string& path, const std::vector<unsigned char>& rgb, int h0) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = kWidth;
    cinfo.image_height = kHeight;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    cinfo.comp_info[0].h_samp_factor = h0;
    cinfo.comp_info[0].v_samp_factor = 1;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.data() + size_t(cinfo.next_scanline) * kWidth * 3);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(out) == 0;
}

bool make_files(const std::string& dir) {
    std::filesystem::create_directories(dir);
    std::vector<unsigned char> rgb = photo_pixels();
    return write_jpeg(dir + "/src21.jpg", rgb, 2) && write_jpeg(dir + "/src11.jpg", rgb, 1);
}

struct Files {
    std::string dir;
    Files() {
        char pattern[] = "/tmp/vokimg-bench-XXXXXX";
        dir = mkdtemp(pattern) ? pattern : "/tmp";
        setenv("TMPDIR", dir.c_str(), 1);
        if (!make_files(dir))
            std::fprintf(stderr, "bench: cannot write the source files in %s\n", dir.c_str());
    }
    ~Files() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

Files& files() {
    static Files f;
    return f;
}

void run(benchmark::State& state, const char* source, bool scaled) {
    std::string src = files().dir + "/" + source;
    std::string dst = files().dir + "/out.jpg";
    for (auto _ : state) {
        int result =
            scaled ? ChangeFormatToExifAndSave_Size(src.c_str(), dst.c_str(), nullptr, 0, 640, 480)
                   : ChangeFormatToExifAndSave(src.c_str(), dst.c_str(), nullptr, 0);
        if (result != 1) {
            state.SkipWithError("conversion failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void BM_ToCameraKept2x1(benchmark::State& state) {
    run(state, "src21.jpg", false);
}
void BM_ToCameraRecompressed1x1(benchmark::State& state) {
    run(state, "src11.jpg", false);
}
void BM_ToCameraScaled640x480(benchmark::State& state) {
    run(state, "src21.jpg", true);
}

BENCHMARK(BM_ToCameraKept2x1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToCameraRecompressed1x1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToCameraScaled640x480)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--make-files") == 0)
        return make_files(argv[2]) ? 0 : 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
