/* Albums of 100 camera-size pictures (2048 x 1536 JPEGs on disk): opening one (file read,
 * thumbnails prepared again, dates read as the program reads them) beside reading the same
 * bytes and the same dates alone; making one (scaled decoding) beside decoding every picture
 * at full size. Ratios: OpenAlbum / BytesAndDates (goal <= 2), MakeAlbum / FullDecode (<= 0.5). */
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "VokExif.h"
#include "album_model.h"
#include "vok_dib.h"
#include "vok_files.h"

using namespace qubex::album;

namespace {

struct Fixture {
    std::string dir;
    std::string album;
    std::vector<std::string> pictures;
    AlbumSources sources;
};

// The image date as the program reads it: Exif date of an Exif JPEG, else the file's day.
Date ReadDate(const char* path) {
    Date d;
    if (VokImgBlock* header = GetJpegHeaderFromFile(path)) {
        const int cls = CheckJpegHeaderFormat(header);
        VokImg_FreeBlock(header);
        ImageInfo info;
        ExifDate e;
        if ((cls == VOK_JPEG_CLASS_EXIF || cls == VOK_JPEG_CLASS_CIFF_EXIF) &&
            Get_Exif_Info(path, &info) && SetStructExifDate(info, &e))
            return Date{e.year, e.month, e.day};
    }
    ExifDate e;
    if (Get_Image_Time_Stamp2(path, &e, nullptr))
        d = Date{e.year, e.month, e.day};
    return d;
}

Fixture& Setup() {
    static Fixture f = [] {
        Fixture x;
        char pattern[] = "/tmp/album-bench.XXXXXX";
        x.dir = mkdtemp(pattern);
        // One picture of smooth colour and grain, copied 100 times.
        const uint32_t w = 2048, h = 1536, stride = vokc::DibStride(w, 24);
        Dib pic(40 + size_t(stride) * h);
        vokc::DibHeader hd;
        hd.width = int32_t(w);
        hd.height = int32_t(h);
        vokc::PutDibHeader(pic.data(), hd);
        uint32_t seed = 7;
        for (size_t i = 40; i < pic.size(); ++i) {
            seed = seed * 1103515245 + 12345;
            const size_t p = (i - 40) % stride / 3;
            pic[i] = uint8_t(p / 9 + (i % 3) * 60 + (seed >> 29));
        }
        VokImgBlock view{pic.data(), uint32_t(pic.size())};
        const std::string first = x.dir + "/DSC00000.jpg";
        VokImg_Jpeg_CreateAndSaveFromDIB(&view, first.c_str(), nullptr, 0, 0);
        for (int i = 0; i < 100; ++i) {
            const std::string p = x.dir + "/DSC" + std::to_string(10000 + i) + ".jpg";
            std::filesystem::copy_file(first, p);
            x.pictures.push_back(p);
        }
        x.sources.pictures.jpegScaled = [](const char* path, uint32_t mw, uint32_t mh,
                                           uint32_t* width, uint32_t* height) {
            Dib dib;
            if (VokImgBlock* b = VokImg_Jpeg_ReadScaledDIB(path, mw, mh, width, height)) {
                dib.assign(b->data, b->data + b->size);
                VokImg_FreeBlock(b);
            }
            return dib;
        };
        x.sources.imageDate = ReadDate;
        Album a;
        for (const std::string& p : x.pictures)
            AddImageFile(&a, p, x.sources);
        x.album = x.dir + "/bench.alb";
        SaveAlbum(&a, x.album);
        std::atexit([] { std::filesystem::remove_all(Setup().dir); });
        return x;
    }();
    return f;
}

void OpenAlbumBench(benchmark::State& state) {
    Fixture& f = Setup();
    for (auto _ : state) {
        OpenResult r = OpenAlbum(f.album, f.sources);
        benchmark::DoNotOptimize(r.album.entries.size());
        if (r.album.entries.size() != 100)
            state.SkipWithError("album did not open");
    }
}

void BytesAndDates(benchmark::State& state) {
    Fixture& f = Setup();
    for (auto _ : state) {
        std::vector<uint8_t> bytes;
        vokc::ReadWholeFile(f.album.c_str(), &bytes, uint64_t(1) << 31);
        int days = 0;
        for (const std::string& p : f.pictures)
            days += ReadDate(p.c_str()).day;
        benchmark::DoNotOptimize(days);
        benchmark::DoNotOptimize(bytes.data());
    }
}

void MakeAlbum(benchmark::State& state) {
    Fixture& f = Setup();
    for (auto _ : state) {
        Album a;
        for (const std::string& p : f.pictures)
            AddImageFile(&a, p, f.sources);
        benchmark::DoNotOptimize(a.entries.size());
        if (a.entries.size() != 100)
            state.SkipWithError("pictures refused");
    }
}

void FullDecode(benchmark::State& state) {
    Fixture& f = Setup();
    for (auto _ : state) {
        for (const std::string& p : f.pictures) {
            VokImgBlock* b = VokImg_Jpeg_ReadDIB(p.c_str());
            benchmark::DoNotOptimize(b);
            VokImg_FreeBlock(b);
        }
    }
}

} // namespace

BENCHMARK(OpenAlbumBench)->Unit(benchmark::kMillisecond);
BENCHMARK(BytesAndDates)->Unit(benchmark::kMillisecond);
BENCHMARK(MakeAlbum)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(FullDecode)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
