/* Saving's plain logic: the quantizer's palette and mapping, depth conversions, the BMP writer
 * (read back by us and by ImageMagick, and a failed write that keeps the old file), the save
 * types in three languages, the name rules and the byte copy of an unchanged JPEG. */
#include "bmp_reader.h"
#include "convert.h"
#include "image_test_util.h"
#include "save_rules.h"

#include <gtest/gtest.h>

#include <set>
#include <sys/stat.h>

using namespace qubex::image;
using namespace imgtest;

namespace {

/* A bitmap of w x h pixels whose colours come from colour(x, y). */
template <class F> Dib Make24(uint32_t w, uint32_t h, F colour) {
    Dib d(40 + size_t(vokc::DibStride(w, 24)) * h);
    vokc::DibHeader hd;
    hd.width = int32_t(w);
    hd.height = int32_t(h);
    hd.xPelsPerMeter = 2835;
    vokc::PutDibHeader(d.data(), hd);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            Rgb c = colour(x, y);
            uint8_t* p = vokc::DibRow(d.data() + 40, vokc::DibStride(w, 24), int32_t(h), y) + 3 * x;
            p[0] = uint8_t(c[2]), p[1] = uint8_t(c[1]), p[2] = uint8_t(c[0]);
        }
    return d;
}

Rgb BinColour(const Rgb& c) {
    return {c[0] >> 4 << 4, c[1] >> 3 << 3, c[2] >> 4 << 4};
}

TEST(QuantizeTest, FewBinsKeepTheirColoursAndManyCoverEveryCell) {
    // 200 bins, one of them on 1000 pixels: every bin's colour is an entry, the most
    // frequent first; the header as the recipe writes it.
    Dib few = Make24(50, 40, [](uint32_t x, uint32_t y) {
        uint32_t i = (y * 50 + x) % 200;
        if (y >= 20)
            i = 7;
        return Rgb{int(i % 16) * 16 + 5, int(i / 16) * 8 + 3, 32};
    });
    Dib q = QuantizeTo256(few);
    DibInfo d;
    ASSERT_TRUE(DibFacts(q, &d));
    EXPECT_EQ(d.bits, 8u);
    EXPECT_EQ(d.colors, 200u);
    EXPECT_EQ(vokc::GetLe32(q.data() + 16), 0u); // compression
    EXPECT_EQ(vokc::GetLe32(q.data() + 20), 0u); // image size
    EXPECT_EQ(vokc::GetLe32(q.data() + 32), 200u);
    EXPECT_EQ(vokc::GetLe32(q.data() + 36), 0u);
    EXPECT_EQ(vokc::GetLe32(q.data() + 24), 2835u);
    // The eight occupied cells' winners come first, all at the top count, so the earliest
    // bin leads; bin 7, the most frequent, is one of them.
    EXPECT_EQ((Rgb{q[42], q[41], q[40]}), (Rgb{0, 0, 32}));
    bool sevenFirst = false;
    for (int i = 0; i < 8; ++i)
        sevenFirst |=
            Rgb{q[40 + 4 * i + 2], q[40 + 4 * i + 1], q[40 + 4 * i]} == Rgb{7 * 16, 0, 32};
    EXPECT_TRUE(sevenFirst);
    for (uint32_t y = 0; y < 40; ++y)
        for (uint32_t x = 0; x < 50; ++x)
            ASSERT_EQ(DibPixel(q, x, y), BinColour(DibPixel(few, x, y))) << x << "," << y;

    // Many bins: 256 entries, one in every occupied cell, and each pixel at the nearest entry
    // in bin units (the lower index on a tie); equal pixels get equal indices (no dithering).
    uint32_t seed = 1;
    Dib many = Make24(97, 61, [&](uint32_t x, uint32_t) {
        seed = seed * 1103515245 + 12345;
        return x < 3 ? Rgb{250, 250, 250}
                     : Rgb{int(seed >> 8 & 255), int(seed >> 16 & 255), int(seed >> 24)};
    });
    q = QuantizeTo256(many);
    ASSERT_TRUE(DibFacts(q, &d));
    ASSERT_EQ(d.colors, 256u);
    const uint8_t* table = q.data() + 40;
    std::set<int> cells, covered;
    for (uint32_t y = 0; y < 61; ++y)
        for (uint32_t x = 0; x < 97; ++x) {
            Rgb c = DibPixel(many, x, y);
            cells.insert((c[0] >> 6) + 4 * (c[1] >> 6) + 16 * (c[2] >> 6));
        }
    for (int i = 0; i < 256; ++i)
        covered.insert((table[4 * i + 2] >> 6) + 4 * (table[4 * i + 1] >> 6) +
                       16 * (table[4 * i] >> 6));
    EXPECT_EQ(cells, covered);
    const uint32_t stride = vokc::DibStride(97, 8);
    for (uint32_t y = 0; y < 61; ++y)
        for (uint32_t x = 0; x < 97; ++x) {
            Rgb c = DibPixel(many, x, y);
            int r = c[0] >> 4, g = c[1] >> 3, b = c[2] >> 4, best = 0, bestD = 1 << 30;
            for (int i = 0; i < 256; ++i) {
                int dr = r - table[4 * i + 2] / 16, dg = g - table[4 * i + 1] / 8,
                    db = b - table[4 * i] / 16;
                if (dr * dr + dg * dg + db * db < bestD)
                    bestD = dr * dr + dg * dg + db * db, best = i;
            }
            const uint8_t* row = vokc::DibRow(q.data() + d.pixelOffset, stride, 61, y);
            ASSERT_EQ(row[x], best) << x << "," << y;
        }
    // Anything but uncompressed 24 bits comes back as it was.
    EXPECT_EQ(QuantizeTo256(q), q);
}

TEST(ConvertTest, EachDepthReachesTheSaveTypesDepths) {
    // A 16-bit BMP saved as full colour becomes 24 bits with its colours.
    Dib dib16(40 + 8 * 2);
    vokc::DibHeader h;
    h.width = 3;
    h.height = 2;
    h.bitCount = 16;
    vokc::PutDibHeader(dib16.data(), h);
    vokc::PutLe16(dib16.data() + 40, 31 << 10); // red
    vokc::PutLe16(dib16.data() + 42, 31 << 5);  // green
    vokc::PutLe16(dib16.data() + 44, 31);       // blue
    DibResult r = ConvertDib(dib16, 24);
    ASSERT_TRUE(r.ok());
    DibInfo d;
    ASSERT_TRUE(DibFacts(r.dib, &d));
    EXPECT_EQ(d.bits, 24u);
    EXPECT_EQ(DibPixel(r.dib, 0, 1), (Rgb{248, 0, 0}));
    EXPECT_EQ(DibPixel(r.dib, 2, 1), (Rgb{0, 0, 248}));
    r = ConvertDib(dib16, 8);
    ASSERT_TRUE(r.ok());
    ASSERT_TRUE(DibFacts(r.dib, &d));
    EXPECT_EQ(d.bits, 8u);
    EXPECT_EQ(DibPixel(r.dib, 1, 1), (Rgb{0, 248, 0}));

    // Palette bitmaps: 8 bits stay, 4 bits widen with their table, both expand to 24.
    Dib dib4(40 + 16 * 4 + 4);
    h.width = 2;
    h.height = 1;
    h.bitCount = 4;
    vokc::PutDibHeader(dib4.data(), h);
    dib4[40 + 4 * 3 + 2] = 200; // entry 3: red 200
    dib4[40 + 64] = 0x30;
    r = ConvertDib(dib4, 8);
    ASSERT_TRUE(r.ok());
    ASSERT_TRUE(DibFacts(r.dib, &d));
    EXPECT_EQ(d.bits, 8u);
    EXPECT_EQ(DibPixel(r.dib, 0, 0), (Rgb{200, 0, 0}));
    EXPECT_EQ(ConvertDib(r.dib, 8).dib, r.dib);
    r = ConvertDib(dib4, 24);
    EXPECT_EQ(DibPixel(r.dib, 0, 0), (Rgb{200, 0, 0}));
    EXPECT_EQ(DibPixel(r.dib, 1, 0), (Rgb{0, 0, 0}));
    Dib full = Make24(3, 3, [](uint32_t x, uint32_t y) {
        return Rgb{int(x * 80), int(y * 80), 7};
    });
    EXPECT_EQ(ConvertDib(full, 24).dib, full);

    // Run-length rows are expanded first; an unknown compression is refused with 91.
    std::string rle = {char(2), char(3), 0, 1};
    Dib rle8(40 + 1024 + rle.size());
    h.width = 2;
    h.height = 1;
    h.bitCount = 8;
    h.compression = 1;
    vokc::PutDibHeader(rle8.data(), h);
    rle8[40 + 4 * 3 + 1] = 99;
    std::copy(rle.begin(), rle.end(), rle8.begin() + 40 + 1024);
    r = ConvertDib(rle8, 24);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(DibPixel(r.dib, 1, 0), (Rgb{0, 99, 0}));
    vokc::PutLe32(rle8.data() + 16, 4);
    EXPECT_EQ(ConvertDib(rle8, 24).message, kMsgBitmapFailed);
}

ssize_t FullDisk(int, const void*, size_t) {
    errno = ENOSPC;
    return -1;
}

TEST(BmpWriterTest, WrittenFilesReadBackAndAFailedWriteKeepsTheOldFile) {
    voktest::TempDir dir("qubex-bmpw");
    Dib big = Make24(300, 50, [](uint32_t x, uint32_t y) {
        return Rgb{int(x % 256), int(y * 5), int((x + y) % 256)};
    });
    Dib small = QuantizeTo256(big);
    for (const Dib* dib : {&big, &small}) {
        const std::string path = dir.Path("out.bmp");
        ASSERT_EQ(WriteBmpFile(path.c_str(), *dib), kMsgNone);
        std::vector<uint8_t> file = voktest::ReadBytes(path);
        ASSERT_EQ(file.size(), dib->size() + 14);
        EXPECT_EQ(vokc::GetLe32(file.data() + 2), file.size());
        EXPECT_EQ(vokc::GetLe32(file.data() + 10), dib == &big ? 54u : 54u + 1024);
        DibResult back = ReadBmpFile(path.c_str());
        ASSERT_TRUE(back.ok());
        for (uint32_t y = 0; y < 50; y += 7)
            for (uint32_t x = 0; x < 300; x += 13)
                ASSERT_EQ(DibPixel(back.dib, x, y), DibPixel(*dib, x, y));
        if (voktest::HaveTool("convert")) {
            const std::string raw = dir.Path("im.rgb");
            ASSERT_EQ(voktest::RunShell("convert " + voktest::ShellQuote(path) +
                                            " -depth 8 rgb:" + voktest::ShellQuote(raw),
                                        dir.path())
                          .status,
                      0);
            EXPECT_EQ(MaxDifference(*dib, voktest::ReadBytes(raw), 300, 50), 0);
        }
    }
    const std::string before = voktest::ReadFile(dir.Path("out.bmp"));
    EXPECT_EQ(WriteBmpFile(dir.Path("out.bmp").c_str(), big, FullDisk), kMsgWriteFailed);
    EXPECT_EQ(voktest::ReadFile(dir.Path("out.bmp")), before);
    EXPECT_EQ(voktest::Names(dir.path()).size(), 2u); // no temporary file left
    EXPECT_EQ(WriteBmpFile(dir.Path("no/such/folder.bmp").c_str(), big), kMsgOpenFailed);
}

TEST(SaveRulesTest, TypesNamesAndTheByteCopyOfAnUnchangedJpeg) {
    EXPECT_EQ(DescribeSaveType(kSaveBmp24, kOtherLanguage).label, "Bitmap(Full Colour)(*.BMP)");
    EXPECT_EQ(DescribeSaveType(kSaveJpegHigh, kGerman).label, "JPG(hohe Qualität)(*.JPG)");
    EXPECT_EQ(DescribeSaveType(kSaveJpegLow, kFrench).label, "JPEG(faible qualité)(*.JPG)");
    EXPECT_EQ(DescribeSaveType(kSaveCalendar, kGerman).label, "Kalender-Dateien(*.CAL)");
    EXPECT_EQ(DescribeSaveType(kSaveJpegLow, kOtherLanguage).jpegQuality, 55);
    EXPECT_STREQ(DescribeSaveType(kSaveTiff, kFrench).filter, "*.tif");
    EXPECT_EQ(SaveTypesFor(false, 4), std::vector<int>{kSaveCalendar});
    EXPECT_EQ(SaveTypesFor(true, 0), std::vector<int>{kSaveAlbum});
    EXPECT_EQ(SaveTypesFor(false, 7).size(), 6u);
    EXPECT_EQ(DefaultSaveType(false, 1, 24), kSaveBmp24);
    EXPECT_EQ(DefaultSaveType(false, 1, 16), kSaveBmp256);
    EXPECT_EQ(DefaultSaveType(false, 2, 24), kSaveJpegStandard);
    EXPECT_EQ(DefaultSaveType(false, 7, 24), kSaveTiff);
    EXPECT_EQ(DefaultSaveType(true, 2, 24), kSaveAlbum);
    EXPECT_EQ(NameWithExtension("photo", kSaveBmp24), "photo.bmp");
    EXPECT_EQ(NameWithExtension("photo.BMP", kSaveBmp24), "photo.BMP");
    EXPECT_EQ(NameWithExtension("photo.bmp.old", kSaveBmp256), "photo.bmp.old.bmp");
    EXPECT_EQ(ReplaceExtension("photo.jpg", kSaveTiff), "photo.tif");
    EXPECT_EQ(ReplaceExtension("my.dir/photo", kSaveJpegLow), "my.dir/photo.jpg");
    EXPECT_EQ(CompressProgress(0, 100), 0);
    EXPECT_EQ(CompressProgress(50, 100), 13);
    EXPECT_EQ(CompressProgress(100, 100), 25);

    EXPECT_TRUE(SaveIsByteCopy(2, false, kSaveJpegStandard));
    EXPECT_TRUE(SaveIsByteCopy(2, false, kSaveJpegHigh));
    EXPECT_FALSE(SaveIsByteCopy(2, false, kSaveJpegLow)); // re-encoded at quality 55
    EXPECT_FALSE(SaveIsByteCopy(2, true, kSaveJpegStandard));
    EXPECT_FALSE(SaveIsByteCopy(1, false, kSaveJpegStandard));

    // Saved to itself (also through another name of the same file) writes nothing at all.
    voktest::TempDir dir("qubex-copy");
    const std::string jpeg = dir.Path("a.jpg"), bytes(5000, 'j');
    voktest::WriteFile(jpeg, bytes);
    struct stat before, after;
    ASSERT_EQ(stat(jpeg.c_str(), &before), 0);
    ASSERT_EQ(symlink(jpeg.c_str(), dir.Path("link.jpg").c_str()), 0);
    EXPECT_EQ(CopyImageFile(jpeg.c_str(), jpeg.c_str(), FullDisk), kMsgNone);
    EXPECT_EQ(CopyImageFile(jpeg.c_str(), dir.Path("link.jpg").c_str(), FullDisk), kMsgNone);
    ASSERT_EQ(stat(jpeg.c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);
    EXPECT_TRUE(PathOpenElsewhere(dir.Path("link.jpg"), {jpeg}));
    EXPECT_FALSE(PathOpenElsewhere(dir.Path("b.jpg"), {jpeg}));
    // Elsewhere: the same bytes; a full disk keeps the old target; a missing source is 42.
    EXPECT_EQ(CopyImageFile(jpeg.c_str(), dir.Path("b.jpg").c_str()), kMsgNone);
    EXPECT_EQ(voktest::ReadFile(dir.Path("b.jpg")), bytes);
    voktest::WriteFile(dir.Path("c.jpg"), "old");
    EXPECT_EQ(CopyImageFile(jpeg.c_str(), dir.Path("c.jpg").c_str(), FullDisk), kMsgWriteFailed);
    EXPECT_EQ(voktest::ReadFile(dir.Path("c.jpg")), "old");
    EXPECT_EQ(CopyImageFile(dir.Path("none.jpg").c_str(), dir.Path("d.jpg").c_str()),
              kMsgOpenFailed);
}

} // namespace
