/* Camera movies read the way the album and the upload read them: the facts, and the first
 * picture as a bitmap, each beside libjpeg decoding that same first picture from a JPEG file.
 * Two movies (argument 0 and 1): the virtual camera's demo movie (160 x 120, ten pictures) and
 * a picture with sound (1280 x 960). Ratios per movie: Facts / StillDecode and
 * FirstPicture / StillDecode (what the container and FFmpeg's decoder set-up cost over the
 * JPEG alone). */
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "VokExif.h"
#include "demo_card.h"
#include "movie_facts.h"

namespace {

struct Movie {
    std::string movie;
    std::string still; // the first picture as a JPEG file
};

void Write(const std::string& path, const rt70sim::Bytes& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f))
        std::abort();
}

std::array<Movie, 2> MakeMovies() {
    char pattern[] = "/tmp/moviebench.XXXXXX";
    const char* dir = mkdtemp(pattern);
    std::string error;
    if (!dir || !rt70sim::makeDemoCard(std::string(dir) + "/card", &error))
        std::abort();
    const std::string card = std::string(dir) + "/card";
    rt70sim::Bytes picture;
    if (!rt70sim::encodeJpeg(rt70sim::demoPicture(1280, 960, 1), 75, true, nullptr, &picture))
        std::abort();
    const std::string big = std::string(dir) + "/picture.mov";
    const std::string bigStill = std::string(dir) + "/picture.jpg";
    Write(big, rt70sim::movieFile({picture}, 1280, 960, 1, rt70sim::Bytes(8000, 0x80)));
    Write(bigStill, picture);
    return {Movie{card + "/101/0001.mov", card + "/101/0001.thm"}, Movie{big, bigStill}};
}

const Movie& MovieOf(int64_t which) {
    static const std::array<Movie, 2> movies = MakeMovies();
    return movies[static_cast<size_t>(which)];
}

void Facts(benchmark::State& state) {
    const Movie& m = MovieOf(state.range(0));
    for (auto _ : state) {
        qubex::media::MovieFacts facts;
        qubex::media::ReadMovieFacts(m.movie, &facts);
        benchmark::DoNotOptimize(facts.videoRate);
    }
}
BENCHMARK(Facts)->Arg(0)->Arg(1);

void FirstPicture(benchmark::State& state) {
    const Movie& m = MovieOf(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(qubex::media::GetMovieFirstPicture(m.movie));
}
BENCHMARK(FirstPicture)->Arg(0)->Arg(1);

void StillDecode(benchmark::State& state) {
    const Movie& m = MovieOf(state.range(0));
    for (auto _ : state) {
        VokImgBlock* dib = VokImg_Jpeg_ReadDIB(m.still.c_str());
        benchmark::DoNotOptimize(dib);
        VokImg_FreeBlock(dib);
    }
}
BENCHMARK(StillDecode)->Arg(0)->Arg(1);

} // namespace

BENCHMARK_MAIN();
