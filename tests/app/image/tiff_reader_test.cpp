/* The TIFF reader against libtiff's own RGBA reading of files made by ImageMagick, libtiff's
 * tools, the image library and by hand, and against damaged and hostile files. */
#include "image_test_util.h"
#include "tiff_reader.h"

#include "VokExif.h"

#include <gtest/gtest.h>

using namespace qubex::image;
using namespace imgtest;
using voktest::ShellQuote;

namespace {

class TiffReaderTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = new voktest::TempDir("qubex-tiff");
        haveTools_ = voktest::HaveTool("convert") && voktest::HaveTool("tiff2rgba") &&
                     voktest::HaveTool("tiffcp");
        if (haveTools_)
            voktest::RunShell("convert -size 37x23 -seed 7 plasma:fractal " +
                              ShellQuote(Path("src.png")));
    }
    static void TearDownTestSuite() { delete dir_; }
    static std::string Path(const std::string& name) { return dir_->Path(name); }

    /* Reads the file and compares every pixel with libtiff's reading. */
    static void ExpectLikeLibtiff(const std::string& file, int tolerance, uint32_t w, uint32_t h) {
        SCOPED_TRACE(file);
        DibResult r = ReadTiffFile(file.c_str());
        ASSERT_TRUE(r.ok()) << r.message;
        std::vector<uint8_t> ref = LibtiffRgb(file, dir_->path());
        ASSERT_FALSE(ref.empty());
        EXPECT_LE(MaxDifference(r.dib, ref, w, h), tolerance);
    }
    static void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
        ASSERT_TRUE(voktest::WriteFile(path, std::string(bytes.begin(), bytes.end())));
    }

    static inline voktest::TempDir* dir_ = nullptr;
    static inline bool haveTools_ = false;
};

TEST_F(TiffReaderTest, FilesOfImageMagickAndLibtiffToolsReadAsLibtiffReadsThem) {
    if (!haveTools_)
        GTEST_SKIP() << "convert, tiff2rgba or tiffcp missing";
    struct Case {
        const char* name;
        std::string command;
        int bits; // expected bitmap depth
    };
    const std::string src = ShellQuote(Path("src.png"));
    auto im = [&](const char* name, const std::string& options) {
        return "convert " + src + " -compress none " + options + " " + ShellQuote(Path(name));
    };
    auto cp = [&](const char* from, const char* name, const std::string& options) {
        return "tiffcp -c none " + options + " " + ShellQuote(Path(from)) + " " +
               ShellQuote(Path(name));
    };
    const Case cases[] = {
        {"pal8.tif", im("pal8.tif", "-type palette -colors 200 -depth 8"), 8},
        {"pal4.tif", im("pal4.tif", "-colors 16 -depth 4 -type palette"), 4},
        {"pal8-be-strips.tif",
         im("pal8-be-strips.tif",
            "-type palette -colors 100 -depth 8 -endian MSB -define tiff:rows-per-strip=4"),
         8},
        {"bilevel.tif", im("bilevel.tif", "-type bilevel -depth 1"), 1},
        {"bilevel-white.tif",
         im("bilevel-white.tif", "-type bilevel -depth 1 -define quantum:polarity=min-is-white"),
         1},
        {"grey8.tif", im("grey8.tif", "-colorspace gray -depth 8"), 8},
        {"grey4-be.tif", im("grey4-be.tif", "-colorspace gray -depth 4 -endian MSB"), 4},
        {"rgb.tif", im("rgb.tif", "-type truecolor -depth 8"), 24},
        {"rgb-be-strips.tif",
         im("rgb-be-strips.tif",
            "-type truecolor -depth 8 -endian MSB -define tiff:rows-per-strip=3"),
         24},
        {"rgba.tif", im("rgba.tif", "-alpha on -channel A -evaluate set 100% +channel -depth 8"),
         24},
        {"rgb-tiffcp-be.tif", cp("rgb.tif", "rgb-tiffcp-be.tif", "-B -r 1"), 24},
        {"pal4-tiffcp-strips.tif", cp("pal4.tif", "pal4-tiffcp-strips.tif", "-r 5"), 4},
        {"bilevel-tiffcp-be.tif", cp("bilevel.tif", "bilevel-tiffcp-be.tif", "-B -r 2"), 1},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(voktest::RunShell(c.command, dir_->path()).status, 0) << c.command;
        ExpectLikeLibtiff(Path(c.name), 0, 37, 23);
        DibResult r = ReadTiffFile(Path(c.name).c_str());
        DibInfo d;
        ASSERT_TRUE(DibFacts(r.dib, &d));
        EXPECT_EQ(int(d.bits), c.bits) << c.name;
        EXPECT_EQ(d.compression, 0u);
        // The block as the design sizes it: rows by the unpadded length rounded to four,
        // the colour table, 50 bytes of header room.
        uint32_t row = c.bits == 1 ? 37 / 8 + 1 : c.bits == 4 ? 19 : c.bits == 8 ? 37 : 111;
        EXPECT_EQ(r.dib.size(),
                  23u * ((row + 3) / 4 * 4) + 4u * (c.bits < 24 ? 1u << c.bits : 0) + 50);
    }
}

/* Luma and chroma samples that cover dark, light and saturated colours. */
std::vector<uint8_t> Samples(size_t n, uint32_t seed) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) {
        seed = seed * 1103515245 + 12345;
        v[i] = uint8_t(seed >> 16);
    }
    return v;
}

TEST_F(TiffReaderTest, HandMadeYCbCrAndCmykLayoutsInBothByteOrders) {
    if (!haveTools_)
        GTEST_SKIP() << "tiff2rgba or convert missing";
    int n = 0;
    for (bool be : {false, true}) {
        for (uint16_t v : {1, 2}) {
            for (uint32_t w : {8u, 7u}) {
                const uint32_t h = 5, units = (w + 1) / 2, bands = (h + v - 1) / v;
                TiffSpec s;
                s.bigEndian = be;
                s.width = w;
                s.height = h;
                s.bitsPerSample = {8, 8, 8};
                s.photometric = 6;
                s.subH = 2;
                s.subV = v;
                s.bandBytes = units * (2 * v + 2);
                s.bandRows = v;
                s.stripBands = be ? 1 : 0; // one strip per band, or one strip
                s.data = Samples(size_t(s.bandBytes) * bands, w * 31 + v + be);
                const std::string path = Path("ycc" + std::to_string(n++) + ".tif");
                WriteBytes(path, BuildTiff(s));
                // The design's coefficients (1.4, 1.77, 0.71, 0.34, truncated) against the
                // exact ones libtiff rounds with.
                ExpectLikeLibtiff(path, 3, w, h);
            }
        }
        // Four inks without black: the design's conversion and libtiff's agree.
        TiffSpec s;
        s.bigEndian = be;
        s.width = 6;
        s.height = 4;
        s.bitsPerSample = {8, 8, 8, 8};
        s.photometric = 5;
        s.bandBytes = 24;
        s.stripBands = 3;
        s.data = Samples(96, 5 + be);
        for (size_t i = 3; i < s.data.size(); i += 4)
            s.data[i] = 0;
        const std::string path = Path(be ? "cmyk-be.tif" : "cmyk.tif");
        WriteBytes(path, BuildTiff(s));
        ExpectLikeLibtiff(path, 3, 6, 4);
        // With black: subtracted from the luma, so each colour is about 255 - ink - black.
        s.data[0] = 10, s.data[1] = 200, s.data[2] = 60, s.data[3] = 90;
        WriteBytes(path, BuildTiff(s));
        DibResult r = ReadTiffFile(path.c_str());
        ASSERT_TRUE(r.ok());
        Rgb p = DibPixel(r.dib, 0, 0);
        EXPECT_NEAR(p[0], 255 - 10 - 90, 2);
        EXPECT_EQ(p[1], 0);
        EXPECT_NEAR(p[2], 255 - 60 - 90, 2);
        DibInfo d;
        ASSERT_TRUE(DibFacts(r.dib, &d));
        EXPECT_EQ(d.bits, 24u);
    }
}

TEST_F(TiffReaderTest, SmallLayoutsTheDesignNames) {
    // A 3-pixel RGB image has 12-byte rows, and one SHORT strip offset lies in the entry.
    TiffSpec s;
    s.width = 3;
    s.height = 2;
    s.bitsPerSample = {8, 8, 8};
    s.photometric = 2;
    s.data = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    s.shortOffsets = true;
    std::vector<uint8_t> file = BuildTiff(s);
    DibResult r = ReadTiffBytes(file.data(), file.size());
    ASSERT_TRUE(r.ok());
    const uint8_t bottomRow[12] = {12, 11, 10, 15, 14, 13, 18, 17, 16, 0, 0, 0};
    EXPECT_EQ(0, memcmp(r.dib.data() + 40, bottomRow, 12));
    EXPECT_EQ(r.dib.size(), 2u * 12 + 50);
    EXPECT_EQ(vokc::GetLe32(r.dib.data() + 8), 2u); // bottom-up
    // Palette entries take the high byte of each 16-bit map value.
    TiffSpec p;
    p.bigEndian = true;
    p.width = 2;
    p.height = 1;
    p.bitsPerSample = {1};
    p.photometric = 3;
    p.colorMap = {0x1234, 0xFF00, 0x5600, 0x0100, 0xAB00, 0x00FF};
    p.data = {0x40};
    file = BuildTiff(p);
    r = ReadTiffBytes(file.data(), file.size());
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(DibPixel(r.dib, 0, 0), (Rgb{0x12, 0x56, 0xAB}));
    EXPECT_EQ(DibPixel(r.dib, 1, 0), (Rgb{0xFF, 0x01, 0x00}));
}

TEST_F(TiffReaderTest, DetectionAndTheImageLibrarysOwnTiffs) {
    const std::pair<std::string, int> heads[] = {{std::string("MM\0\0zzzzzzzzzzzz", 16), 1},
                                                 {std::string("II*\0zzzzzzzzzzzz", 16), 1},
                                                 {std::string("II+\0zzzzzzzzzzzz", 16), 0},
                                                 {std::string("MM*\0zzzzzzzzzzz", 15), 0},
                                                 {std::string("mm\0*zzzzzzzzzzzz", 16), 0}};
    for (const auto& [bytes, expected] : heads) {
        voktest::WriteFile(Path("head"), bytes);
        EXPECT_EQ(IsTiffFile(Path("head").c_str()), expected) << bytes.size();
    }
    EXPECT_EQ(IsTiffFile(Path("missing").c_str()), 0);
    EXPECT_EQ(IsTiffFile(""), 0);
    EXPECT_EQ(ReadTiffFile(Path("missing").c_str()).message, kMsgFileMissing);
    EXPECT_EQ(ReadTiffFile(dir_->path().c_str()).message, kMsgOpenFailed);

    // What the image library writes reads back to the same pixels.
    const uint32_t w = 5, h = 3;
    Dib dib(40 + vokc::DibStride(w, 24) * h);
    vokc::DibHeader hd;
    hd.width = w;
    hd.height = h;
    vokc::PutDibHeader(dib.data(), hd);
    std::vector<uint8_t> noise = Samples(dib.size() - 40, 99);
    std::copy(noise.begin(), noise.end(), dib.begin() + 40);
    VokImgBlock block{dib.data(), uint32_t(dib.size())};
    ASSERT_NE(VokImg_Tiff_CreateTiffAndSave(&block, Path("lib.tif").c_str(), nullptr, 0), 0);
    DibResult r = ReadTiffFile(Path("lib.tif").c_str());
    ASSERT_TRUE(r.ok());
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            EXPECT_EQ(DibPixel(r.dib, x, y), DibPixel(dib, x, y)) << x << "," << y;
}

TEST_F(TiffReaderTest, DamagedAndHostileFilesAreRefusedWithinTheirBytes) {
    TiffSpec s;
    s.width = 4;
    s.height = 4;
    s.bitsPerSample = {8, 8, 8};
    s.photometric = 2;
    s.bandBytes = 12;
    s.stripBands = 2;
    s.data = Samples(48, 3);
    const std::vector<uint8_t> good = BuildTiff(s);
    ASSERT_TRUE(ReadTiffBytes(good.data(), good.size()).ok());
    // Every cut of the file short of the next directory's offset (never read) is refused
    // without reading beyond it: each cut lives in a block of exactly its size.
    for (size_t n = 0; n + 4 < good.size(); ++n) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + n);
        EXPECT_FALSE(ReadTiffBytes(cut.data(), cut.size()).ok()) << n;
    }
    auto entry = [&](std::vector<uint8_t>& f, uint16_t tag) -> uint8_t* {
        uint32_t ifd = vokc::GetLe32(f.data() + 4);
        for (uint32_t i = 0; i < vokc::GetLe16(f.data() + ifd); ++i)
            if (vokc::GetLe16(f.data() + ifd + 2 + 12 * i) == tag)
                return f.data() + ifd + 2 + 12 * i;
        return nullptr;
    };
    struct Damage {
        const char* what;
        uint16_t tag;
        uint32_t value;
        int message;
    };
    const Damage damages[] = {
        {"a strip beyond the end", 273, 0xFFFFFF00, kMsgCannotParse},
        {"strip counts beyond the end", 279, 0x7FFFFFF0, kMsgCannotParse},
        {"packbits compression", 259, 32773, kMsgCannotParse},
        {"a width too large for memory", 256, 0x20000000, kMsgNoMemory},
        {"a width beyond every limit", 256, 0xFFFFFFFF, kMsgNoMemory},
        {"a height beyond the strips", 257, 5000, kMsgCannotParse},
        {"sixteen bits per sample", 258, 0, kMsgCannotParse},
        {"planes one after the other", 284, 2, kMsgCannotParse},
    };
    for (const Damage& d : damages) {
        std::vector<uint8_t> f = good;
        uint8_t* e = entry(f, d.tag);
        ASSERT_NE(e, nullptr) << d.what;
        if (d.tag == 258) { // the sample sizes the entry points to
            uint32_t at = vokc::GetLe32(e + 8);
            vokc::PutLe16(f.data() + at, 16);
        } else if (vokc::GetLe16(e + 2) == 3) {
            vokc::PutLe16(e + 8, d.value);
        } else {
            vokc::PutLe32(e + 8, d.value);
        }
        EXPECT_EQ(ReadTiffBytes(f.data(), f.size()).message, d.message) << d.what;
    }
    // A directory offset beyond the end, a directory count beyond the end, a colour map
    // beyond the end.
    std::vector<uint8_t> f = good;
    vokc::PutLe32(f.data() + 4, uint32_t(f.size()));
    EXPECT_EQ(ReadTiffBytes(f.data(), f.size()).message, kMsgCannotParse);
    f = good;
    vokc::PutLe16(f.data() + vokc::GetLe32(f.data() + 4), 0xFFFF);
    EXPECT_EQ(ReadTiffBytes(f.data(), f.size()).message, kMsgCannotParse);
    TiffSpec p;
    p.width = 2;
    p.height = 1;
    p.bitsPerSample = {8};
    p.photometric = 3;
    p.colorMap.assign(3 * 256, 0);
    p.data = {1, 2};
    f = BuildTiff(p);
    ASSERT_TRUE(ReadTiffBytes(f.data(), f.size()).ok());
    vokc::PutLe32(entry(f, 320) + 8, uint32_t(f.size()) - 100);
    EXPECT_EQ(ReadTiffBytes(f.data(), f.size()).message, kMsgCannotParse);
}

} // namespace
