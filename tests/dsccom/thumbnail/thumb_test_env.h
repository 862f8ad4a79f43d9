/* Shared set-up of the thumbnail tests: the private HOME, XDG folders and TMPDIR of
 * tests/common plus a folder for pictures, JPEG files written with libjpeg, and a look at the
 * temporary files left in TMPDIR. */
#ifndef VOK_THUMB_TEST_ENV_H
#define VOK_THUMB_TEST_ENV_H

#include "vok_test_env.h"

#include <cstdio>
#include <dirent.h>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <jpeglib.h>

namespace thumbtest {

using voktest::ReadFile;

/* The program's private home (tests/common) with a folder for the test pictures. */
class HermeticEnvironment : public voktest::ProgramEnvironment {
  public:
    HermeticEnvironment()
        : voktest::ProgramEnvironment("vokthumbtest", voktest::HomeLayout{"", "config", "tmp"}) {}
    void SetUp() override {
        voktest::ProgramEnvironment::SetUp();
        ::mkdir((Root() + "/files").c_str(), 0700);
    }
};

inline ::testing::Environment* const kEnv =
    ::testing::AddGlobalTestEnvironment(new HermeticEnvironment);

inline std::string FilePath(const std::string& name) {
    return HermeticEnvironment::Root() + "/files/" + name;
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    voktest::WriteFile(path, bytes);
}

/* Names in TMPDIR that start with "VOK". */
inline std::vector<std::string> VokTempFiles() {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir((HermeticEnvironment::Root() + "/tmp").c_str())) {
        while (dirent* entry = ::readdir(dir))
            if (std::string(entry->d_name).rfind("VOK", 0) == 0)
                names.push_back(entry->d_name);
        ::closedir(dir);
    }
    return names;
}

/* One pixel of a test picture, in top-down coordinates. */
struct Rgb {
    int r, g, b;
};
using Picture = std::function<Rgb(int x, int y)>;

/* Writes a baseline JPEG: components 3 (RGB), 1 (grey, from r) or 4 (CMYK). */
inline void WriteJpeg(const std::string& path, int width, int height, int components,
                      const Picture& picture, int quality = 100) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width * components));
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = static_cast<int>(cinfo.next_scanline);
        for (int x = 0; x < width; ++x) {
            const Rgb p = picture(x, y);
            const int values[4] = {p.r, p.g, p.b, 0};
            for (int c = 0; c < components; ++c)
                row[static_cast<std::size_t>(x * components + c)] = static_cast<JSAMPLE>(values[c]);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(out);
}

inline Rgb Flat(int r, int g, int b) {
    return Rgb{r, g, b};
}

/* A busy picture, so the entropy-coded data is long and a cut lands inside it. */
inline Rgb Noise(int x, int y) {
    unsigned v = static_cast<unsigned>(x * 7919 + y * 104729) * 2654435761u;
    return Rgb{static_cast<int>(v >> 24), static_cast<int>((v >> 16) & 255),
               static_cast<int>((v >> 8) & 255)};
}

} // namespace thumbtest

#endif
