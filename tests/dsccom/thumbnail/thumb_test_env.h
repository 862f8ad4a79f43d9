/* Shared set-up of the thumbnail tests: a private HOME, XDG folders and TMPDIR per test
 * program, JPEG files written with libjpeg, and helpers for the message log and for the
 * temporary files left in TMPDIR. */
#ifndef VOK_THUMB_TEST_ENV_H
#define VOK_THUMB_TEST_ENV_H

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <jpeglib.h>

namespace thumbtest {

class HermeticEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        char templ[] = "/tmp/vokthumbtest.XXXXXX";
        const char* dir = mkdtemp(templ);
        ASSERT_NE(dir, nullptr);
        root_ = dir;
        ::mkdir((root_ + "/tmp").c_str(), 0700);
        ::mkdir((root_ + "/files").c_str(), 0700);
        setenv("HOME", root_.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", root_.c_str(), 1);
        setenv("TMPDIR", (root_ + "/tmp").c_str(), 1);
        for (const char* name : {"VOK_MSG_LOG", "VOK_MSG_ANSWER", "LC_ALL", "LC_MESSAGES", "LANG"})
            unsetenv(name);
    }
    void TearDown() override {
        std::string cmd = "rm -rf '" + root_ + "'";
        if (std::system(cmd.c_str()) != 0)
            ADD_FAILURE() << "could not remove " << root_;
    }
    static const std::string& Root() { return root_; }

  private:
    static inline std::string root_;
};

inline ::testing::Environment* const kEnv =
    ::testing::AddGlobalTestEnvironment(new HermeticEnvironment);

inline std::string FilePath(const std::string& name) {
    return HermeticEnvironment::Root() + "/files/" + name;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
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
