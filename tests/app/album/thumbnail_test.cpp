/* Thumbnail preparation: the fit rule, the source pixel each thumbnail pixel takes, the drawn
 * 96 x 72 thumbnail of other depths on the button face, the display thumbnail, and thumbnails
 * made from BMP, TIFF and JPEG files (the JPEG ones from the scaled decoding only) and from
 * movies (the movie reader's first picture, asked before the JPEG test). */
#include <gtest/gtest.h>

#include "album_test_util.h"
#include "thumbnail.h"
#include "vok_test_env.h"

namespace {

using namespace qubex::album;
using albumtest::FromValue;
using albumtest::MakeDib;
using albumtest::SameRgb;
using albumtest::Where;

const Rgb kFace{0xD4, 0xD0, 0xC8};

Size DibSize(const Dib& dib) {
    return Size{vokc::GetLe32(dib.data() + 4), vokc::GetLe32(dib.data() + 8)};
}

TEST(AlbumThumbnail, FitKeepsTheAspectWithIntegerDivision) {
    struct Case {
        uint32_t w, h;
        Size fit;
    };
    for (const Case& c :
         {Case{2048, 1536, {96, 72}}, Case{1600, 900, {96, 54}}, Case{900, 1600, {40, 72}},
          Case{100, 75, {96, 72}}, Case{10, 10, {72, 72}}, Case{97, 73, {95, 72}},
          Case{4000, 10, {96, 1}}, Case{10, 4000, {1, 72}}, Case{1, 1, {72, 72}}}) {
        EXPECT_TRUE(FitThumbnail(c.w, c.h) == c.fit) << c.w << "x" << c.h;
    }
}

TEST(AlbumThumbnail, EightAndTwentyFourBitPicturesAreSubsampledToTheirFittedSize) {
    const Dib full = MakeDib(640, 360, 24, Where);
    DibResult t = MakeStoredThumbnail(full, kFace);
    ASSERT_TRUE(t.ok());
    ASSERT_TRUE(DibSize(t.dib) == (Size{96, 54}));
    EXPECT_EQ(vokc::GetLe16(t.dib.data() + 14), 24);
    for (uint32_t y = 0; y < 54; y += 7)
        for (uint32_t x = 0; x < 96; x += 5)
            ASSERT_TRUE(
                SameRgb(ThumbnailPixel(t.dib, x, y), FromValue(Where(x * 640 / 96, y * 360 / 54))))
                << x << "," << y;
    // 8 bits: expanded through the colour table; top-down rows read the right way up.
    std::vector<uint32_t> table(256);
    for (uint32_t i = 0; i < 256; ++i)
        table[i] = i << 16 | (255 - i);
    Dib pal = MakeDib(
        200, 300, 8, [](uint32_t x, uint32_t y) { return (x + y) & 0xFF; }, table);
    DibResult p = MakeStoredThumbnail(pal, kFace);
    ASSERT_TRUE(p.ok());
    ASSERT_TRUE(DibSize(p.dib) == (Size{48, 72}));
    const uint32_t i = (10 * 200 / 48 + 30 * 300 / 72) & 0xFF;
    EXPECT_TRUE(SameRgb(ThumbnailPixel(p.dib, 10, 30), FromValue(table[i])));
    // A thumbnail of its fitted size stays as it is when it is prepared again.
    DibResult again = MakeStoredThumbnail(t.dib, kFace);
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again.dib, t.dib);
    // A scaled decoding is fitted for the picture it came from.
    DibResult scaled = MakeStoredThumbnail(MakeDib(257, 192, 24, Where), kFace, 2050, 1536);
    ASSERT_TRUE(scaled.ok());
    EXPECT_TRUE(DibSize(scaled.dib) == (Size{96, 71}));
}

TEST(AlbumThumbnail, OtherDepthsAreDrawnCentredOnTheButtonFace) {
    const std::vector<uint32_t> two = {0x000000, 0xFFFFFF};
    for (uint16_t bits : {uint16_t(1), uint16_t(4), uint16_t(32)}) {
        const Dib d = MakeDib(
            300, 100, bits, [&](uint32_t x, uint32_t) { return bits == 32 ? 0x102030u : x % 2; },
            bits == 32 ? std::vector<uint32_t>() : two);
        DibResult t = MakeStoredThumbnail(d, kFace);
        ASSERT_TRUE(t.ok()) << bits;
        ASSERT_TRUE(DibSize(t.dib) == (Size{96, 72})) << bits;
        // Fitted 96 x 32 at (0, 20): the face above and below, the picture between.
        EXPECT_TRUE(SameRgb(ThumbnailPixel(t.dib, 50, 19), kFace)) << bits;
        EXPECT_TRUE(SameRgb(ThumbnailPixel(t.dib, 50, 52), kFace)) << bits;
        const Rgb inside = ThumbnailPixel(t.dib, 0, 20);
        EXPECT_FALSE(SameRgb(inside, kFace)) << bits;
        if (bits == 32) {
            EXPECT_TRUE(SameRgb(inside, FromValue(0x102030)));
        }
    }
    // Nothing that is no bitmap becomes a thumbnail.
    EXPECT_EQ(MakeStoredThumbnail(Dib(39, 0), kFace).message, kMsgBitmapFailed);
    EXPECT_TRUE(MakeDisplayThumbnail(Dib(), kFace).empty());
}

TEST(AlbumThumbnail, DisplayThumbnailCentresTheStoredOneOnTheFace) {
    const Dib stored = MakeDib(40, 72, 24, Where);
    const Dib shown = MakeDisplayThumbnail(stored, kFace);
    ASSERT_TRUE(DibSize(shown) == (Size{96, 72}));
    EXPECT_TRUE(SameRgb(ThumbnailPixel(shown, 27, 10), kFace));
    EXPECT_TRUE(SameRgb(ThumbnailPixel(shown, 28, 10), FromValue(Where(0, 10))));
    EXPECT_TRUE(SameRgb(ThumbnailPixel(shown, 67, 71), FromValue(Where(39, 71))));
    EXPECT_TRUE(SameRgb(ThumbnailPixel(shown, 68, 0), kFace));
}

TEST(AlbumThumbnail, FilesGiveThumbnailsByTypeAndJpegsComeFromTheScaledDecoding) {
    voktest::TempDir dir("album-thumb");
    const std::string bmp = dir.Path("a.bmp");
    ASSERT_TRUE(voktest::WriteFile(bmp, albumtest::BmpFile(MakeDib(192, 144, 24, Where))));
    albumtest::ScaledCalls calls;
    const AlbumSources sources = albumtest::LibrarySources(&calls);
    DibResult b = ThumbnailFromFile(bmp.c_str(), sources.pictures, kFace);
    ASSERT_TRUE(b.ok()) << b.message;
    EXPECT_TRUE(SameRgb(ThumbnailPixel(b.dib, 5, 7), FromValue(Where(10, 14))));
    EXPECT_EQ(calls.count, 0);
    // A JPEG of camera size: decoded at one eighth, then fitted for the full size.
    const std::string jpg = dir.Path("b.jpg");
    {
        Dib pic = MakeDib(2048, 1536, 24, [](uint32_t x, uint32_t y) {
            return x < 1024 ? 0xFF0000u : (y < 768 ? 0x00FF00u : 0x0000FFu);
        });
        VokImgBlock view{pic.data(), uint32_t(pic.size())};
        ASSERT_EQ(VokImg_Jpeg_CreateAndSaveFromDIB(&view, jpg.c_str(), nullptr, 0, 0), 1);
    }
    DibResult j = ThumbnailFromFile(jpg.c_str(), sources.pictures, kFace);
    ASSERT_TRUE(j.ok()) << j.message;
    EXPECT_EQ(calls.count, 1);
    EXPECT_EQ(calls.minWidth, 96u);
    EXPECT_EQ(calls.minHeight, 72u);
    EXPECT_EQ(calls.decodedWidth, 256u);
    ASSERT_TRUE(DibSize(j.dib) == (Size{96, 72}));
    const Rgb left = ThumbnailPixel(j.dib, 10, 10);
    const Rgb bottomRight = ThumbnailPixel(j.dib, 80, 60);
    EXPECT_GT(left.red, 200);
    EXPECT_LT(left.blue, 60);
    EXPECT_GT(bottomRight.blue, 200);
    // Refusals: missing, not a picture, a JPEG that does not decode, no decoder at all.
    EXPECT_EQ(ThumbnailFromFile(dir.Path("none.jpg").c_str(), sources.pictures, kFace).message,
              kMsgFileMissing);
    const std::string text = dir.Path("notes.txt");
    ASSERT_TRUE(voktest::WriteFile(text, "not a picture at all"));
    EXPECT_EQ(ThumbnailFromFile(text.c_str(), sources.pictures, kFace).message, kMsgExtractError);
    const std::string broken = dir.Path("broken.jpg");
    ASSERT_TRUE(voktest::WriteFile(broken, std::string("\xFF\xD8\xFF\xE0\x00\x02garbage", 13)));
    EXPECT_NE(ThumbnailFromFile(broken.c_str(), sources.pictures, kFace).message, kMsgNone);
    EXPECT_EQ(ThumbnailFromFile(jpg.c_str(), PictureSources(), kFace).message, kMsgBitmapFailed);
}

TEST(AlbumThumbnail, MoviesGiveTheirFirstPictureBeforeTheJpegTest) {
    voktest::TempDir dir("album-movie");
    // A Motion-JPEG movie holds JPEG start marks; the JPEG decoding must never see it.
    const std::string movie = dir.Path("m.mov");
    const std::string jpg = dir.Path("m.jpg");
    {
        Dib pic = MakeDib(64, 48, 24, [](uint32_t, uint32_t) { return 0xFF0000u; });
        VokImgBlock view{pic.data(), uint32_t(pic.size())};
        ASSERT_EQ(VokImg_Jpeg_CreateAndSaveFromDIB(&view, jpg.c_str(), nullptr, 0, 0), 1);
        ASSERT_TRUE(voktest::WriteFile(movie, voktest::ReadFile(jpg)));
    }
    albumtest::ScaledCalls calls;
    AlbumSources sources = albumtest::LibrarySources(&calls);
    std::vector<std::string> asked;
    sources.pictures.isMovie = [](const char* path) {
        return std::string(path).rfind(".mov") != std::string::npos;
    };
    sources.pictures.movieFirstPicture = [&asked](const char* path) {
        asked.push_back(path);
        return MakeDib(320, 240, 24, Where);
    };
    DibResult m = ThumbnailFromFile(movie.c_str(), sources.pictures, kFace);
    ASSERT_TRUE(m.ok()) << m.message;
    EXPECT_EQ(asked, std::vector<std::string>{movie});
    EXPECT_EQ(calls.count, 0);
    ASSERT_TRUE(DibSize(m.dib) == (Size{96, 72}));
    EXPECT_TRUE(SameRgb(ThumbnailPixel(m.dib, 6, 9), FromValue(Where(20, 30))));
    // Pictures still go by their type.
    ASSERT_TRUE(ThumbnailFromFile(jpg.c_str(), sources.pictures, kFace).ok());
    EXPECT_EQ(calls.count, 1);
    EXPECT_EQ(asked.size(), 1u);
    // A movie without a picture, and a movie with no reader to read it.
    sources.pictures.movieFirstPicture = [](const char*) { return Dib(); };
    EXPECT_EQ(ThumbnailFromFile(movie.c_str(), sources.pictures, kFace).message, kMsgBitmapFailed);
    sources.pictures.movieFirstPicture = nullptr;
    EXPECT_EQ(ThumbnailFromFile(movie.c_str(), sources.pictures, kFace).message, kMsgBitmapFailed);
}

} // namespace
