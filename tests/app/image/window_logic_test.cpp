/* The image window's plain logic: file-type detection, the BMP reader and display copies
 * against ImageMagick's reading, and the zoom, title, scroll, menu and undo rules. */
#include "bmp_reader.h"
#include "file_type.h"
#include "image_test_util.h"
#include "image_view.h"

#include <gtest/gtest.h>

using namespace qubex::image;
using namespace imgtest;
using voktest::ShellQuote;

namespace {

std::string Bytes(std::initializer_list<int> b) {
    std::string s;
    for (int x : b)
        s += char(x);
    return s;
}

TEST(FileTypeTest, EachKindIsToldInTheDesignsOrder) {
    voktest::TempDir dir("qubex-type");
    auto type = [&](const std::string& name, const std::string& bytes,
                    const FileTypeTests& t = {}) {
        voktest::WriteFile(dir.Path(name), bytes);
        return DetectFileType(dir.Path(name).c_str(), t);
    };
    const std::string soi = Bytes({0xFF, 0xD8}), eoi = Bytes({0xFF, 0xD9});
    EXPECT_EQ(DetectFileType(""), kTypeNoPath);
    EXPECT_EQ(DetectFileType(dir.Path("missing").c_str()), kTypeUnknown);
    EXPECT_EQ(type("a.jpg", soi + std::string(5000, 'x') + eoi + std::string(3000, 'y')),
              kTypeJpeg);
    // The end marker split across two 2048-byte blocks counted from the end.
    EXPECT_EQ(type("split.jpg", soi + std::string(100, 'x') + Bytes({0xFF}) + Bytes({0xD9}) +
                                    std::string(2047, 'y')),
              kTypeJpeg);
    EXPECT_EQ(type("noend.jpg", soi + std::string(5000, 'x')), kTypeUnknown);
    EXPECT_EQ(type("late.jpg", std::string(2048, 'x') + soi + eoi), kTypeUnknown);
    // Start-of-image bytes in other kinds do not make them JPEG.
    EXPECT_EQ(type("b.bmp", "BM" + soi + std::string(20, 0) + eoi), kTypeBmp);
    EXPECT_EQ(type("short.bmp", "BM" + std::string(11, 0)), kTypeUnknown);
    EXPECT_EQ(type("t.tif", "II*" + std::string(1, 0) + soi + std::string(20, 0) + eoi), kTypeTiff);
    EXPECT_EQ(type("m.tif", "MM" + std::string(14, 1)), kTypeTiff);
    EXPECT_EQ(type("lower.tif", "mm" + soi + std::string(20, 0) + eoi), kTypeUnknown);
    FileTypeTests album{
        [](const char* p) { return std::string(p).find(".alb") != std::string::npos; }, nullptr};
    EXPECT_EQ(type("x.alb", "VOK" + soi + std::string(40, 0) + eoi, album), kTypeAlbum);
    EXPECT_EQ(type("m.cal", Bytes({131, 0, 0, 0}) + std::string(1528, 0)), kTypeCalendar);
    EXPECT_EQ(type("y.cal", Bytes({132, 0, 0, 0}) + std::string(1528, 0)), kTypeCalendar);
    EXPECT_EQ(type("cut.cal", Bytes({131, 0, 0, 0}) + std::string(1527, 0)), kTypeUnknown);
    FileTypeTests movie{nullptr, [](const char*) { return true; }};
    EXPECT_EQ(type("a.mov", std::string(40, 'q'), movie), kTypeMovie);
    EXPECT_EQ(type("a.mov", std::string(40, 'q')), kTypeUnknown);
}

class BmpReaderTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = new voktest::TempDir("qubex-bmp");
        haveConvert_ = voktest::HaveTool("convert");
        if (haveConvert_)
            voktest::RunShell("convert -size 37x23 -seed 7 plasma:fractal " +
                              ShellQuote(dir_->Path("src.png")));
    }
    static void TearDownTestSuite() { delete dir_; }
    static inline voktest::TempDir* dir_ = nullptr;
    static inline bool haveConvert_ = false;
};

TEST_F(BmpReaderTest, ImageMagicksBmpsOfEveryDepthShowTheirPixels) {
    if (!haveConvert_)
        GTEST_SKIP() << "convert missing";
    struct Case {
        const char* name;
        const char* options;
        int bits, compression, tolerance;
    };
    const Case cases[] = {
        {"b1.bmp", "-type bilevel BMP3:", 1, 0, 0},
        {"b4.bmp", "-colors 16 -type palette BMP3:", 4, 0, 0},
        {"b8.bmp", "-colors 200 -type palette -compress none BMP3:", 8, 0, 0},
        {"rle8.bmp", "-colors 200 -type palette -compress RLE BMP3:", 8, 1, 0},
        {"b24.bmp", "-type truecolor BMP3:", 24, 0, 0},
        // Five-bit fields spread by a factor of eight, as the design has it.
        {"b565.bmp", "-define bmp:subtype=RGB565 ", 16, 3, 7},
        {"b555.bmp", "-define bmp:subtype=RGB555 ", 16, 3, 7},
        {"b32.bmp", "-alpha on -define bmp:subtype=ARGB8888 ", 32, 3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir_->Path(c.name), raw = dir_->Path("ref.rgb");
        ASSERT_EQ(voktest::RunShell("convert " + ShellQuote(dir_->Path("src.png")) + " " +
                                        c.options + ShellQuote(path) + " && convert " +
                                        ShellQuote(path) + " -depth 8 rgb:" + ShellQuote(raw),
                                    dir_->path())
                      .status,
                  0);
        DibResult r = ReadBmpFile(path.c_str());
        ASSERT_TRUE(r.ok()) << r.message;
        DibInfo d;
        ASSERT_TRUE(DibFacts(r.dib, &d));
        EXPECT_EQ(int(d.bits), c.bits);
        EXPECT_EQ(int(d.compression), c.compression);
        Dib shown = MakeDisplayCopy(r.dib);
        EXPECT_EQ(shown.empty(), c.compression == 0);
        const Dib& view = shown.empty() ? r.dib : shown;
        EXPECT_LE(MaxDifference(view, voktest::ReadBytes(raw), 37, 23), c.tolerance);
    }
}

/* A BMP file around a header and rows given whole. */
std::string BmpFile(int32_t width, int32_t height, int bits, int compression,
                    const std::string& table, const std::string& pixels) {
    std::vector<uint8_t> h(40);
    vokc::DibHeader dh;
    dh.width = width;
    dh.height = height;
    dh.bitCount = uint16_t(bits);
    dh.compression = uint32_t(compression);
    dh.sizeImage = uint32_t(pixels.size());
    vokc::PutDibHeader(h.data(), dh);
    std::vector<uint8_t> f(14);
    vokc::PutBmpFileHeader(f.data(), uint32_t(14 + 40 + table.size() + pixels.size()),
                           uint32_t(14 + 40 + table.size()));
    return std::string(f.begin(), f.end()) + std::string(h.begin(), h.end()) + table + pixels;
}

TEST_F(BmpReaderTest, HandMadeLayoutsAndDamagedFiles) {
    // Top-down rows come back bottom-up.
    std::string file = BmpFile(1, -2, 24, 0, "", Bytes({1, 2, 3, 0, 4, 5, 6, 0}));
    DibResult r = ReadBmpBytes(reinterpret_cast<const uint8_t*>(file.data()), file.size());
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(DibPixel(r.dib, 0, 0), (Rgb{3, 2, 1}));
    EXPECT_EQ(DibPixel(r.dib, 0, 1), (Rgb{6, 5, 4}));
    EXPECT_EQ(int32_t(vokc::GetLe32(r.dib.data() + 8)), 2);

    // Four-bit run-length rows: a run, a literal, a move, end of row and of bitmap; the moved
    // over and unfilled pixels stay 0.
    std::string table;
    for (int i = 0; i < 16; ++i)
        table += Bytes({i * 16, i * 16, i * 16, 0});
    std::string rle = Bytes({3, 0x12, 0, 3, 0x45, 0x60, 0, 0}) + // bottom row: 1 2 1 4 5 6
                      Bytes({0, 2, 2, 1}) +                      // two right, one up
                      Bytes({2, 0x77, 0, 1});                    // top row: 0 0 7 7, end
    file = BmpFile(6, 3, 4, 2, table, rle);
    r = ReadBmpBytes(reinterpret_cast<const uint8_t*>(file.data()), file.size());
    ASSERT_TRUE(r.ok());
    Dib shown = MakeDisplayCopy(r.dib);
    ASSERT_FALSE(shown.empty());
    const int bottom[6] = {1, 2, 1, 4, 5, 6}, middle[6] = {0, 0, 0, 0, 0, 0},
              top[6] = {0, 0, 7, 7, 0, 0};
    for (uint32_t x = 0; x < 6; ++x) {
        EXPECT_EQ(DibPixel(shown, x, 2)[0], bottom[x] * 16) << x;
        EXPECT_EQ(DibPixel(shown, x, 1)[0], middle[x] * 16) << x;
        EXPECT_EQ(DibPixel(shown, x, 0)[0], top[x] * 16) << x;
    }

    // The 12-byte header of old files, with three-byte palette entries.
    std::string core = "BM" + std::string(12, 0) + Bytes({12, 0, 0, 0, 2, 0, 1, 0, 1, 0, 1, 0}) +
                       Bytes({10, 20, 30, 40, 50, 60}) + Bytes({0x40, 0, 0, 0});
    vokc::PutLe32(reinterpret_cast<uint8_t*>(core.data()) + 10, 14 + 12 + 6);
    r = ReadBmpBytes(reinterpret_cast<const uint8_t*>(core.data()), core.size());
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(DibPixel(r.dib, 0, 0), (Rgb{30, 20, 10}));
    EXPECT_EQ(DibPixel(r.dib, 1, 0), (Rgb{60, 50, 40}));

    // Damage: each cut short of the rows is a short read; other signatures and impossible
    // headers are no BMP; a size beyond memory is refused before anything is allocated.
    file = BmpFile(3, 2, 8, 0, std::string(1024, 0), std::string(8, 1));
    for (size_t n = 2; n < file.size(); ++n) {
        std::vector<uint8_t> cut(file.begin(), file.begin() + n);
        EXPECT_EQ(ReadBmpBytes(cut.data(), cut.size()).message, kMsgReadFailed) << n;
    }
    auto message = [](const std::string& f) { // in a block of exactly its size
        std::vector<uint8_t> bytes(f.begin(), f.end());
        return ReadBmpBytes(bytes.data(), bytes.size()).message;
    };
    EXPECT_EQ(message("BA" + file.substr(2)), kMsgNotBmp);
    EXPECT_EQ(message(BmpFile(3, 2, 7, 0, "", std::string(100, 0))), kMsgNotBmp);
    EXPECT_EQ(message(BmpFile(3, 2, 24, 4, "", std::string(100, 0))), kMsgNotBmp);
    EXPECT_EQ(message(BmpFile(0, 2, 24, 0, "", std::string(100, 0))), kMsgNotBmp);
    EXPECT_EQ(message(BmpFile(3, -2, 8, 1, table, rle)), kMsgNotBmp);
    EXPECT_EQ(message(BmpFile(100000, 100000, 24, 0, "", "")), kMsgNoMemory);
    // Rows of more than 4 GiB whose 32-bit stride would wrap round to 12 bytes.
    const std::string wide = BmpFile(0x40000003, 2, 32, 0, "", std::string(24, 0));
    EXPECT_EQ(message(wide), kMsgNoMemory);
    DibInfo wideInfo;
    EXPECT_FALSE(DibFacts(Dib(wide.begin() + 14, wide.end()), &wideInfo));
    EXPECT_EQ(ReadBmpFile(dir_->Path("missing.bmp").c_str()).message, kMsgFileMissing);
    // Bit-field masks belong after a 40-byte header or inside one of 52 bytes and more; a
    // header between has no room for them, however short the file.
    std::string odd = BmpFile(1, 1, 16, 3, "", std::string(4, 0));
    odd.insert(54, 4, '\0');
    vokc::PutLe32(reinterpret_cast<uint8_t*>(odd.data()) + 14, 44);
    vokc::PutLe32(reinterpret_cast<uint8_t*>(odd.data()) + 10, 58);
    EXPECT_EQ(message(odd), kMsgNotBmp);
    Dib oddDib(odd.begin() + 14, odd.end());
    EXPECT_TRUE(MakeDisplayCopy(oddDib).empty());
    // Runs that go past the right edge and the top are clipped.
    file = BmpFile(2, 1, 8, 1, std::string(1024, 0),
                   Bytes({255, 9, 0, 2, 200, 200, 0, 5, 1, 2, 3, 4, 5, 0}));
    r = ReadBmpBytes(reinterpret_cast<const uint8_t*>(file.data()), file.size());
    ASSERT_TRUE(r.ok());
    EXPECT_FALSE(MakeDisplayCopy(r.dib).empty());
}

TEST(WindowRulesTest, ZoomTitleAndScrolling) {
    EXPECT_EQ(InitialZoom(800, 600, 640, 480), kZoom50);
    EXPECT_EQ(InitialZoom(2000, 1500, 640, 480), kZoom25);
    EXPECT_EQ(InitialZoom(640, 480, 640, 480), kZoom100);
    EXPECT_EQ(InitialZoom(1280, 10, 640, 480), kZoom50); // exactly twice is not more than twice
    EXPECT_EQ(WindowTitle("a.bmp", kZoom400, false), "a.bmp [400%]");
    EXPECT_EQ(WindowTitle("a.bmp", kZoom400, true), "a.bmp* [400%]");
    EXPECT_EQ(WindowTitle("photo.jpg", kZoom50, true), "photo.jpg* [50%]");
    EXPECT_EQ(WindowTitle("100%.jpg", kZoom25, false), "100%.jpg [25%]");
    for (int c = 171; c <= 175; ++c)
        EXPECT_EQ(CommandOfZoom(ZoomOfCommand(c)), c);
    EXPECT_EQ(ZoomOfCommand(173), kZoom100);
    EXPECT_EQ(ZoomOfCommand(170), 0);
    EXPECT_EQ(ZoomedExtent(801, kZoom25), 200u);
    EXPECT_EQ(ZoomedExtent(801, kZoom400), 3204u);

    // Centred when smaller, from the top left when larger; pointer coordinates follow.
    EXPECT_EQ(PaintOffset(640, 100, kZoom100), 270);
    EXPECT_EQ(PaintOffset(640, 2000, kZoom25), 70);
    EXPECT_EQ(PaintOffset(640, 800, kZoom100), 0);
    EXPECT_EQ(ImageCoordinate(270, 0, 270, kZoom100), 0);
    EXPECT_EQ(ImageCoordinate(10, 100, 0, kZoom200), 55);
    SourceSpan s = VisibleSpan(100, 30, 200, kZoom400);
    EXPECT_EQ(s.first, 25);
    EXPECT_EQ(s.count, 8); // 7.5 pixels, the half one included
    s = VisibleSpan(1500, 640, 800, kZoom200);
    EXPECT_EQ(s.first, 750);
    EXPECT_EQ(s.count, 50);
    EXPECT_EQ(PointerText(3, 12345), "    3, 12345");
    EXPECT_EQ(SelectionSizeText(40, 7), "   40 x 7");

    EXPECT_EQ(ScrollRange(ZoomedExtent(800, kZoom100), 640, 0), 160);
    EXPECT_EQ(ScrollRange(800, 640, 17), 177);
    EXPECT_EQ(ScrollRange(600, 640, 17), 0);
    // A 3-pixel area steps lines by 1; pages by the area; always within the range.
    EXPECT_EQ(ScrollTarget(kLineForward, 0, 100, 3, 0), 1);
    EXPECT_EQ(ScrollTarget(kLineForward, 0, 100, 400, 0), 100);
    EXPECT_EQ(ScrollTarget(kLineForward, 0, 500, 400, 0), 100);
    EXPECT_EQ(ScrollTarget(kLineBack, 50, 500, 400, 0), 0);
    EXPECT_EQ(ScrollTarget(kPageForward, 50, 500, 400, 0), 450);
    EXPECT_EQ(ScrollTarget(kPageForward, 450, 500, 400, 0), 500);
    EXPECT_EQ(ScrollTarget(kThumbReleased, 450, 500, 400, 123), 123);
    EXPECT_EQ(ScrollTarget(kIgnored, 450, 500, 400, 123), 450);
}

TEST(WindowRulesTest, MenusFollowTheActiveWindowAndUndoIsOneSharedLevel) {
    ActiveChild tiff{kChildImage, kTypeTiff, kZoom50, false, false, false, true};
    MenuState m = MenusFor(tiff);
    EXPECT_FALSE(m.image); // a TIFF image opens with the Image menu grayed
    EXPECT_TRUE(m.view);
    EXPECT_EQ(m.checkedZoom, 172);
    EXPECT_TRUE(m.toolWindow);
    ActiveChild jpeg{kChildImage, kTypeJpeg, kZoom100, false, true, true, false};
    m = MenusFor(jpeg);
    EXPECT_TRUE(m.image && m.edit && m.cutout && m.toolOnOff);
    EXPECT_FALSE(m.toolWindow);
    ActiveChild calendar{kChildImage, kTypeCalendar, kZoom100, false, false, false, true};
    m = MenusFor(calendar);
    EXPECT_FALSE(m.image || m.toolOnOff || m.toolWindow);
    ActiveChild iconic = jpeg;
    iconic.iconic = true;
    EXPECT_FALSE(MenusFor(iconic).toolWindow);
    m = MenusFor(ActiveChild{kChildAlbum});
    EXPECT_FALSE(m.image || m.view || m.edit || m.toolWindow);

    // Two windows share one undo level: only the window that changed last can undo; twice
    // in a row gives the changed image back; a rotation swaps the size and steps back.
    auto dib = [](int32_t w, int32_t h) {
        Dib d(40 + vokc::DibStride(uint32_t(w), 24) * uint32_t(h));
        vokc::DibHeader hd;
        hd.width = w;
        hd.height = h;
        vokc::PutDibHeader(d.data(), hd);
        return d;
    };
    ImageDoc a, b;
    ASSERT_EQ(MakeImageDoc(dib(4, 2), "/p/a.bmp", "a.bmp", kTypeBmp, &a), kMsgNone);
    EXPECT_EQ(a.folder, "/p/");
    ASSERT_EQ(MakeImageDoc(dib(5, 5), "b.bmp", "b.bmp", kTypeBmp, &b), kMsgNone);
    UndoLevel undo;
    EXPECT_FALSE(UndoAvailable(undo, 1));
    Dib before = a.image;
    a.image = dib(2, 4);
    a.rotation = 90;
    RecordChange(&undo, 1, before, kUndoRotateRight);
    EXPECT_TRUE(UndoAvailable(undo, 1));
    EXPECT_FALSE(UndoAvailable(undo, 2));
    EXPECT_FALSE(ApplyUndo(&undo, 2, &b));
    ASSERT_TRUE(ApplyUndo(&undo, 1, &a));
    EXPECT_EQ(a.image, before);
    EXPECT_EQ(a.width, 4u);
    EXPECT_EQ(a.rotation, 360);
    EXPECT_TRUE(ImageWindowIsModified(a));
    ASSERT_TRUE(ApplyUndo(&undo, 1, &a));
    EXPECT_EQ(a.image, dib(2, 4));
    EXPECT_EQ(a.width, 2u);
    EXPECT_EQ(a.rotation, 90);
    // Another window's change takes the level over; a closing window takes its level along.
    RecordChange(&undo, 2, b.image, kUndoAdjust);
    EXPECT_FALSE(UndoAvailable(undo, 1));
    ForgetWindow(&undo, 1);
    EXPECT_TRUE(UndoAvailable(undo, 2));
    ForgetWindow(&undo, 2);
    EXPECT_FALSE(UndoAvailable(undo, 2));

    // A full-colour bitmap smaller than its pixels is refused with 117.
    Dib shortDib = dib(10, 10);
    shortDib.resize(200);
    ImageDoc c;
    EXPECT_EQ(MakeImageDoc(shortDib, "c.bmp", "c.bmp", kTypeBmp, &c), kMsgCannotParse);
    // A whole 16-bit bitmap holds fewer bytes than width x height x 3 and still opens.
    Dib sixteen(40 + vokc::DibStride(30, 16) * 20);
    vokc::DibHeader h16;
    h16.width = 30;
    h16.height = 20;
    h16.bitCount = 16;
    vokc::PutDibHeader(sixteen.data(), h16);
    ASSERT_LT(sixteen.size(), 30u * 20 * 3);
    ASSERT_EQ(MakeImageDoc(sixteen, "d.bmp", "d.bmp", kTypeBmp, &c), kMsgNone);
    EXPECT_EQ(c.bitCount, 16u);
    sixteen.resize(sixteen.size() - 2);
    EXPECT_EQ(MakeImageDoc(sixteen, "d.bmp", "d.bmp", kTypeBmp, &c), kMsgCannotParse);
}

} // namespace
