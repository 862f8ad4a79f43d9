/* Helpers of the writing-side tests: a fixture with a private temporary folder (TMPDIR),
 * patterned bitmaps, a look into written JPEG streams (segments, scan data, the Exif
 * APP1 and its thumbnail), and running the independent readers installed on the machine. */
#ifndef VOK_IMG_WRITE_HELPERS_H
#define VOK_IMG_WRITE_HELPERS_H

#include "VokExif.h"
#include "img_test_env.h"
#include "vok_bytes.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace imgw {

using imgtest::Bytes;

using vokc::GetLe16;
using vokc::GetLe32;

// Owns a block returned by the library.
struct BlockPtr {
    VokImgBlock* block = nullptr;
    explicit BlockPtr(VokImgBlock* b = nullptr) : block(b) {}
    BlockPtr(const BlockPtr&) = delete;
    BlockPtr& operator=(const BlockPtr&) = delete;
    ~BlockPtr() { VokImg_FreeBlock(block); }
    VokImgBlock* get() const { return block; }
    explicit operator bool() const { return block != nullptr; }
};

// A packed 24-bit bitmap with a pattern that differs in every channel.
inline Bytes pattern_dib(uint32_t width, uint32_t height) {
    uint32_t stride = (width * 3 + 3) & ~3u;
    Bytes dib(40 + size_t(stride) * height, 0);
    unsigned char* h = dib.data();
    auto put32 = [](unsigned char* p, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            p[i] = uint8_t(v >> (8 * i));
    };
    put32(h, 40);
    put32(h + 4, width);
    put32(h + 8, height);
    h[12] = 1;
    h[14] = 24;
    put32(h + 20, stride * height);
    for (uint32_t y = 0; y < height; ++y) {
        unsigned char* row = h + 40 + size_t(stride) * (height - 1 - y); // y counts from the top
        for (uint32_t x = 0; x < width; ++x) {
            row[3 * x] = uint8_t((x * 7 + y * 3) & 0xFF);                 // blue
            row[3 * x + 1] = uint8_t(y * 255 / std::max(1u, height - 1)); // green
            row[3 * x + 2] = uint8_t(x * 255 / std::max(1u, width - 1));  // red
        }
    }
    return dib;
}

inline VokImgBlock view_of(Bytes& bytes) {
    return VokImgBlock{bytes.data(), uint32_t(bytes.size())};
}

// Pixel (x, y from the top) of a packed 24-bit bitmap as blue, green, red.
inline const unsigned char* dib_pixel(const VokImgBlock* dib, uint32_t x, uint32_t y) {
    const unsigned char* h = dib->data;
    uint32_t width = GetLe32(h + 4);
    uint32_t height = GetLe32(h + 8);
    uint32_t stride = (width * 3 + 3) & ~3u;
    return h + GetLe32(h) + size_t(stride) * (height - 1 - y) + 3 * size_t(x);
}

struct Segment {
    uint8_t marker;
    size_t at;   // of the FF
    size_t size; // marker, length and payload
};

// The segments from SOI up to and including the first SOS.
inline std::vector<Segment> segments(const Bytes& jpeg) {
    std::vector<Segment> list;
    size_t pos = 2;
    while (pos + 4 <= jpeg.size() && jpeg[pos] == 0xFF) {
        Segment s{jpeg[pos + 1], pos, 2u + vokc::GetBe16(&jpeg[pos + 2])};
        list.push_back(s);
        if (s.marker == 0xDA)
            break;
        pos += s.size;
    }
    return list;
}

inline int count_marker(const Bytes& jpeg, uint8_t marker) {
    int n = 0;
    for (const Segment& s : segments(jpeg))
        n += s.marker == marker;
    return n;
}

inline int count_app_or_com(const Bytes& jpeg, bool exceptApp1) {
    int n = 0;
    for (const Segment& s : segments(jpeg)) {
        bool app = s.marker >= 0xE0 && s.marker <= 0xEF;
        if ((app && !(exceptApp1 && s.marker == 0xE1)) || s.marker == 0xFE)
            ++n;
    }
    return n;
}

// From the first SOS (with its header) to the end of the first EOI.
inline Bytes scan_data(const Bytes& jpeg) {
    for (const Segment& s : segments(jpeg)) {
        if (s.marker != 0xDA)
            continue;
        for (size_t i = s.at + s.size; i + 1 < jpeg.size(); ++i) {
            if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xD9)
                return Bytes(jpeg.begin() + long(s.at), jpeg.begin() + long(i + 2));
        }
    }
    return {};
}

// The whole first APP1 segment.
inline Bytes app1(const Bytes& jpeg) {
    for (const Segment& s : segments(jpeg)) {
        if (s.marker == 0xE1)
            return Bytes(jpeg.begin() + long(s.at), jpeg.begin() + long(s.at + s.size));
    }
    return {};
}

// The thumbnail bytes that directory 1 points to.
inline Bytes thumbnail_of(const Bytes& jpeg) {
    Bytes a = app1(jpeg);
    VokImgBlock block = view_of(a);
    uint32_t offset = 0;
    uint32_t length = 0;
    if (!GetExif_MemberData(&block, 513, 4, 1, nullptr, 0, &offset) ||
        !GetExif_MemberData(&block, 514, 4, 1, nullptr, 0, &length) ||
        10 + size_t(offset) + length > a.size())
        return {};
    return Bytes(a.begin() + 10 + offset, a.begin() + 10 + offset + length);
}

using voktest::HaveTool;
using voktest::ProgramRun;
using voktest::RunShell;
using voktest::ShellQuote;

inline std::set<std::string> list_folder(const std::string& folder) {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec))
        names.insert(e.path().filename().string());
    return names;
}

} // namespace imgw

// The image test fixture with a private temporary folder for the library's own files.
class WriteTest : public ImgTest {
  protected:
    void SetUp() override {
        ImgTest::SetUp();
        tmp_ = dir_ + "/tmp";
        work_ = dir_ + "/work";
        std::filesystem::create_directories(tmp_);
        std::filesystem::create_directories(work_);
        for (auto [name, value] : {std::pair<const char*, const char*>{"TMPDIR", tmp_.c_str()},
                                   {"VOK_TEST_FREE_BYTES", nullptr},
                                   {"VOK_MSG_LOG", nullptr},
                                   {"VOK_MSG_ANSWER", nullptr}})
            vars_.push_back(std::make_unique<voktest::ScopedEnv>(name, value));
        KeepTargetApplicationHandle(nullptr, nullptr);
    }
    void TearDown() override {
        KeepTargetApplicationHandle(nullptr, nullptr);
        vars_.clear();
        ImgTest::TearDown();
    }
    std::string in_work(const std::string& name) const { return work_ + "/" + name; }
    std::string put_work(const std::string& name, const imgtest::Bytes& bytes) {
        std::string path = in_work(name);
        EXPECT_TRUE(imgtest::write_file(path, bytes));
        return path;
    }
    std::string tmp_;
    std::string work_;

  private:
    std::vector<std::unique_ptr<voktest::ScopedEnv>> vars_;
};

#endif
