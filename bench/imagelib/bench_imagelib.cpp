/* Benchmark of the reading side of VokExif: GetExifData over a folder of 1000 camera-like
 * Exif JPEGs (640x480 with a 160x120 thumbnail) made by the benchmark in a temporary
 * folder. "--make-folder DIR [COUNT]" only writes the folder, for compare.sh. */
#include "VokExif.h"
#include "image_builders.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace imgtest;

namespace {

constexpr int kFolderSize = 1000;

// One file per index: four samplings, dates and makers that differ from file to file.
std::vector<std::string> make_folder(const std::string& dir, int count) {
    mkdir(dir.c_str(), 0755);
    JpegOptions thumbOptions;
    thumbOptions.jfif = false;
    Bytes thumb = make_jpeg(160, 120, thumbOptions);
    const Sampling samplings[4] = {Sampling::S2x1, Sampling::S2x2, Sampling::S1x1, Sampling::Grey};
    Bytes images[4];
    for (int i = 0; i < 4; ++i) {
        JpegOptions o;
        o.sampling = samplings[i];
        images[i] = make_jpeg(640, 480, o);
    }
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        TiffPlan plan = camera_exif(i % 2 == 1, 640, 480);
        char date[32];
        std::snprintf(date, sizeof date, "20%02d:%02d:%02d 12:%02d:%02d", i % 30, i % 12 + 1,
                      i % 28 + 1, i % 60, (i * 7) % 60);
        plan.exif[1] = ascii(36867, date);
        plan.ifd0[0] = ascii(271, "Maker" + std::to_string(i % 7));
        plan.hasIfd1 = true;
        plan.thumbnail = thumb;
        char name[32];
        std::snprintf(name, sizeof name, "/DSC%05d.jpg", i + 1);
        std::string path = dir + name;
        write_file(path, insert_after_soi(images[i % 4], exif_app1(build_tiff(plan))));
        paths.push_back(path);
    }
    return paths;
}

struct Folder {
    std::string dir;
    std::vector<std::string> paths;
    Folder() {
        char pattern[] = "/tmp/vokexif-bench-XXXXXX";
        if (!mkdtemp(pattern))
            std::abort();
        dir = pattern;
        paths = make_folder(dir + "/img", kFolderSize);
    }
    ~Folder() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

Folder& folder() {
    static Folder f;
    return f;
}

void BM_GetExifData_Folder(benchmark::State& state) {
    const std::vector<std::string>& paths = folder().paths;
    ImageInfo info;
    for (auto _ : state) {
        for (const std::string& p : paths) {
            if (!GetExifData(p.c_str(), &info))
                state.SkipWithError("GetExifData failed");
            benchmark::DoNotOptimize(info.width);
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(paths.size()));
}
BENCHMARK(BM_GetExifData_Folder)->Unit(benchmark::kMillisecond);

void BM_IsImageFileType_Folder(benchmark::State& state) {
    const std::vector<std::string>& paths = folder().paths;
    for (auto _ : state) {
        for (const std::string& p : paths)
            benchmark::DoNotOptimize(IsImageFileType(p.c_str()));
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(paths.size()));
}
BENCHMARK(BM_IsImageFileType_Folder)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--make-folder") == 0) {
        int count = argc >= 4 ? std::atoi(argv[3]) : kFolderSize;
        make_folder(argv[2], count > 0 ? count : kFolderSize);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
