/* Tests of whole thumbnail renderings: JPEG files of several kinds and sizes into a grid
 * area, damaged and hostile files with their one message, the temporary bitmap file's reader
 * on bad files, and the conversion into Qt images. */
#include "ThumbQt.h"
#include "ThumbRender.h"
#include "thumb_jpeg.h"
#include "thumb_test_env.h"

#include <QApplication>
#include <QWidget>

#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <set>
#include <unistd.h>

using namespace vokthumb;
using namespace thumbtest;

namespace {

const char kCaption[] = "RT70 Thumbs";

class ThumbRenderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        log_ = HermeticEnvironment::Root() + "/msg-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".log";
        logVar_.emplace("VOK_MSG_LOG", log_);
        answerVar_.emplace("VOK_MSG_ANSWER", "ok");
    }
    void TearDown() override {
        EXPECT_TRUE(VokTempFiles().empty()) << "a VOK temporary file was left in TMPDIR";
        answerVar_.reset();
        logVar_.reset();
    }
    std::string Log() const { return ReadFile(log_); }

    std::string log_;
    std::optional<voktest::ScopedEnv> logVar_, answerVar_;
};

// The decoded pixels straight from the codec, for comparison.
Rgb24Image Decode(const std::string& path) {
    FILE* in = std::fopen(path.c_str(), "rb");
    VokThumbPixels pixels;
    Rgb24Image image;
    if (in && vok_thumb_decode_jpeg(in, kMaxPixels, &pixels)) {
        image.width = static_cast<int>(pixels.width);
        image.height = static_cast<int>(pixels.height);
        image.bits.assign(pixels.bits, pixels.bits + pixels.stride * pixels.height);
        std::free(pixels.bits);
    }
    if (in)
        std::fclose(in);
    return image;
}

std::string LogLine(int number, const char* text) {
    return "error " + std::to_string(number) + " " + kCaption + "\t" + text + "\n";
}

TEST_F(ThumbRenderTest, CameraThumbnailIntoTheGridArea) {
    const std::string jpeg = FilePath("thumb.jpg");
    WriteJpeg(jpeg, 160, 120, 3,
              [](int x, int) { return x < 80 ? Flat(255, 0, 0) : Flat(0, 0, 255); });
    ThumbBitmap bitmap;
    ASSERT_TRUE(RenderThumbnail(jpeg.c_str(), 80, 75, 32, nullptr, kCaption, &bitmap));
    EXPECT_EQ(bitmap.width, 80);
    EXPECT_EQ(bitmap.height, 60);
    EXPECT_EQ(bitmap.bitsPerPixel, 24);
    ASSERT_EQ(bitmap.bits.size(), 80u * 3u * 60u);
    // Left half red, right half blue (blue, green, red order in the bitmap).
    const std::uint8_t* row = &bitmap.bits[30u * bitmap.Stride()];
    EXPECT_GT(row[3 * 10 + 2], 240);
    EXPECT_LT(row[3 * 10], 15);
    EXPECT_GT(row[3 * 70], 240);
    EXPECT_LT(row[3 * 70 + 2], 15);
    EXPECT_EQ(Log(), "");
    EXPECT_TRUE(std::ifstream(jpeg).good()) << "the caller's JPEG file is left alone";

    ASSERT_TRUE(RenderThumbnail(jpeg.c_str(), 80, 75, 8, nullptr, kCaption, &bitmap));
    EXPECT_EQ(bitmap.bitsPerPixel, 8);
    EXPECT_EQ(bitmap.bits[30u * bitmap.Stride() + 10], 7 * 32) << "pure red in the palette";
    EXPECT_EQ(bitmap.bits[30u * bitmap.Stride() + 70], 3) << "pure blue in the palette";
}

TEST_F(ThumbRenderTest, PortraitAndExactSizes) {
    const std::string portrait = FilePath("portrait.jpg");
    WriteJpeg(portrait, 120, 160, 3, Noise, 90);
    ThumbBitmap bitmap;
    ASSERT_TRUE(RenderThumbnail(portrait.c_str(), 80, 75, 24, nullptr, kCaption, &bitmap));
    EXPECT_EQ(bitmap.width, 56);
    EXPECT_EQ(bitmap.height, 75);
    EXPECT_EQ(bitmap.bits.size(), bitmap.Stride() * 75u);
    EXPECT_EQ(bitmap.Stride(), 168u);

    // An image of exactly the area's size comes out pixel for pixel as decoded.
    const std::string exact = FilePath("exact.jpg");
    WriteJpeg(exact, 80, 75, 3, Noise, 90);
    ASSERT_TRUE(RenderThumbnail(exact.c_str(), 80, 75, 32, nullptr, kCaption, &bitmap));
    const Rgb24Image decoded = Decode(exact);
    EXPECT_EQ(bitmap.width, 80);
    EXPECT_EQ(bitmap.height, 75);
    EXPECT_EQ(bitmap.bits, decoded.bits);
    EXPECT_EQ(Log(), "");
}

TEST_F(ThumbRenderTest, GreyscaleRendersAsGrey) {
    const std::string jpeg = FilePath("grey.jpg");
    WriteJpeg(jpeg, 40, 30, 1, [](int x, int) { return Flat(x < 20 ? 128 : 255, 0, 0); });
    ThumbBitmap bitmap;
    ASSERT_TRUE(RenderThumbnail(jpeg.c_str(), 80, 75, 32, nullptr, kCaption, &bitmap));
    ASSERT_EQ(bitmap.width, 40);
    for (int x : {5, 35}) {
        const std::uint8_t* p = &bitmap.bits[10u * bitmap.Stride() + 3u * x];
        EXPECT_EQ(p[0], p[1]);
        EXPECT_EQ(p[1], p[2]);
    }
    EXPECT_NEAR(bitmap.bits[10u * bitmap.Stride() + 15], 128, 2);

    // Flat mid-grey on a 256-colour display: levels 3 or 4 for red and green, 1 or 2 for
    // blue, changing over the 8 x 8 pattern; white always the top entry.
    ASSERT_TRUE(RenderThumbnail(jpeg.c_str(), 80, 75, 8, nullptr, kCaption, &bitmap));
    std::set<int> redGreen, blue;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const int index = bitmap.bits[static_cast<std::size_t>(y) * bitmap.Stride() + x];
            redGreen.insert(index / 32);
            redGreen.insert(index / 4 % 8);
            blue.insert(index % 4);
            EXPECT_EQ(bitmap.bits[static_cast<std::size_t>(y) * bitmap.Stride() + 30 + x], 255);
        }
    EXPECT_EQ(redGreen, (std::set<int>{3, 4}));
    EXPECT_EQ(blue, (std::set<int>{1, 2}));
}

// A picture larger than the area is decoded by libjpeg at the smallest scale that still
// covers the target; the result differs from resampling the full decoding only by that.
TEST_F(ThumbRenderTest, LargePicturesComeFromAScaledDecodingCloseToTheFullOne) {
    const std::string jpeg = FilePath("large.jpg");
    auto waves = [](int x, int y) {
        auto wave = [](double v) { return static_cast<int>(128 + 100 * std::sin(v)); };
        return Rgb{wave(x / 40.0 + y / 60.0), wave(y / 35.0 + 1), wave((x + y) / 50.0 + 2)};
    };
    WriteJpeg(jpeg, 1280, 960, 3, waves, 90);
    ThumbBitmap bitmap;
    ASSERT_TRUE(RenderThumbnail(jpeg.c_str(), 80, 75, 32, nullptr, kCaption, &bitmap));
    ASSERT_EQ(bitmap.width, 80);
    ASSERT_EQ(bitmap.height, 60);
    const Rgb24Image reference = ResampleBilinear(Decode(jpeg), 80, 60);
    ASSERT_EQ(reference.bits.size(), bitmap.bits.size());
    double sum = 0;
    for (std::size_t i = 0; i < bitmap.bits.size(); ++i) {
        const double d = double(bitmap.bits[i]) - reference.bits[i];
        sum += d * d;
    }
    const double mse = sum / static_cast<double>(bitmap.bits.size());
    const double psnr = mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
    // About 35 dB here (the scaled decoding averages blocks, resampling the full one samples
    // it); a misplaced or mirrored picture gives far less.
    EXPECT_GE(psnr, 30.0);
    EXPECT_EQ(Log(), "");
}

// A stream cut short is only a warning to libjpeg: rendered as djpeg shows it, grey where
// data is missing. A fatal codec error shows its one message.
TEST_F(ThumbRenderTest, TruncatedJpegRendersGreyAndAFatalErrorShowsOneMessage) {
    const std::string whole = FilePath("whole.jpg");
    WriteJpeg(whole, 160, 120, 3, Noise, 90);
    const std::string bytes = ReadFile(whole);
    const std::string cut = FilePath("cut.jpg");
    WriteFile(cut, bytes.substr(0, bytes.size() / 2));
    ThumbBitmap bitmap;
    ASSERT_TRUE(RenderThumbnail(cut.c_str(), 160, 120, 32, nullptr, kCaption, &bitmap));
    EXPECT_EQ(bitmap.width, 160);
    EXPECT_EQ(bitmap.height, 120);
    for (int x : {0, 80, 159})
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(bitmap.bits[3u * x + c], 128, 2) << "bottom row, column " << x;
    EXPECT_EQ(Log(), "");

    const std::string header = FilePath("header.jpg");
    WriteFile(header, bytes.substr(0, bytes.find("\xFF\xDA")));
    bitmap = ThumbBitmap();
    EXPECT_FALSE(RenderThumbnail(header.c_str(), 80, 75, 32, nullptr, kCaption, &bitmap));
    EXPECT_EQ(Log(), LogLine(105, "It failed in the creating bitmap."));
    EXPECT_EQ(bitmap.width, 0) << "the result is untouched on failure";
}

TEST_F(ThumbRenderTest, HostileJpegsNeverCrash) {
    const std::string base = FilePath("base.jpg");
    WriteJpeg(base, 16, 16, 3, Noise, 90);
    const std::string good = ReadFile(base);

    std::vector<std::string> inputs = {"", "\xFF\xD8", std::string(1000, '\xFF'), "not a jpeg"};
    inputs.push_back(good.substr(0, 200));
    // A frame header that claims 65500 x 65500 pixels is refused before any allocation.
    std::string huge = good;
    const std::size_t sof = huge.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    huge[sof + 5] = huge[sof + 7] = '\xFF';
    huge[sof + 6] = huge[sof + 8] = '\xDC';
    inputs.push_back(huge);
    // Every byte of the header flipped in turn.
    const std::size_t sos = good.find("\xFF\xDA");
    for (std::size_t i = 2; i < sos + 12; ++i) {
        std::string flipped = good;
        flipped[i] = static_cast<char>(flipped[i] ^ 0x5A);
        inputs.push_back(flipped);
    }
    int failures = 0;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const std::string path = FilePath("hostile.jpg");
        WriteFile(path, inputs[i]);
        ThumbBitmap bitmap;
        if (!RenderThumbnail(path.c_str(), 80, 75, 8, nullptr, kCaption, &bitmap))
            ++failures;
        else
            EXPECT_EQ(bitmap.bits.size(),
                      bitmap.Stride() * static_cast<std::size_t>(bitmap.height));
    }
    // One 105 line per refused input and nothing else.
    std::string expected;
    for (int i = 0; i < failures; ++i)
        expected += LogLine(105, "It failed in the creating bitmap.");
    EXPECT_EQ(Log(), expected);
    EXPECT_GE(failures, 6);
}

TEST_F(ThumbRenderTest, CmykIsRefused) {
    const std::string jpeg = FilePath("cmyk.jpg");
    WriteJpeg(jpeg, 16, 16, 4, Noise, 90);
    ThumbBitmap bitmap;
    EXPECT_FALSE(RenderThumbnail(jpeg.c_str(), 80, 75, 32, nullptr, kCaption, &bitmap));
    EXPECT_EQ(Log(), LogLine(105, "It failed in the creating bitmap."));
}

TEST_F(ThumbRenderTest, MissingJpegOrTempFolder) {
    ThumbBitmap bitmap;
    EXPECT_FALSE(
        RenderThumbnail(FilePath("none.jpg").c_str(), 80, 75, 32, nullptr, kCaption, &bitmap));
    const std::string jpeg = FilePath("ok.jpg");
    WriteJpeg(jpeg, 16, 16, 3, Noise, 90);
    {
        voktest::ScopedEnv tmp("TMPDIR", HermeticEnvironment::Root() + "/no-such-folder");
        EXPECT_FALSE(RenderThumbnail(jpeg.c_str(), 80, 75, 32, nullptr, kCaption, &bitmap));
    }
    EXPECT_EQ(Log(), LogLine(42, "File cannot be opened.") + LogLine(42, "File cannot be opened."));
    EXPECT_FALSE(RenderThumbnail(nullptr, 80, 75, 32, nullptr, kCaption, &bitmap));
    EXPECT_FALSE(RenderThumbnail(jpeg.c_str(), 0, 75, 32, nullptr, kCaption, &bitmap));
}

// ---- the temporary bitmap file ----

Rgb24Image Sample(int w, int h) {
    Rgb24Image image;
    image.width = w;
    image.height = h;
    image.bits.assign(image.Stride() * static_cast<std::size_t>(h), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < 3 * w; ++x)
            image.bits[static_cast<std::size_t>(y) * image.Stride() + x] =
                static_cast<std::uint8_t>(y * 31 + x);
    return image;
}

std::string BmpBytes(const Rgb24Image& image) {
    const std::string path = FilePath("sample.bmp");
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    EXPECT_TRUE(WriteBmp(fd, image));
    ::close(fd);
    return ReadFile(path);
}

TEST_F(ThumbRenderTest, BitmapFileRoundTrip) {
    const Rgb24Image image = Sample(3, 5);
    const std::string bytes = BmpBytes(image);
    ASSERT_EQ(bytes.size(), 54u + 12u * 5u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(bytes[10]), 54);
    EXPECT_EQ(static_cast<unsigned char>(bytes[14]), 40);
    EXPECT_EQ(static_cast<unsigned char>(bytes[28]), 24);
    Rgb24Image read;
    ASSERT_EQ(ReadBmp(FilePath("sample.bmp"), &read), BmpRead::Ok);
    EXPECT_EQ(read.width, 3);
    EXPECT_EQ(read.height, 5);
    EXPECT_EQ(read.bits, image.bits);
}

TEST_F(ThumbRenderTest, BadBitmapFilesAreRefused) {
    const std::string good = BmpBytes(Sample(3, 5));
    const std::string path = FilePath("bad.bmp");
    struct Case {
        std::string bytes;
        BmpRead outcome;
    };
    std::vector<Case> cases = {
        {"", BmpRead::ReadFailed},
        {"garbage that is no bitmap at all, but long enough for a header", BmpRead::NotBitmap},
        {"BM", BmpRead::NotBitmap},
        {good.substr(0, 30), BmpRead::ReadFailed},
        {good.substr(0, good.size() - 1), BmpRead::ReadFailed},
    };
    auto patched = [&good](std::size_t at, const std::string& value) {
        std::string b = good;
        b.replace(at, value.size(), value);
        return b;
    };
    cases.push_back({patched(28, std::string("\x08\x00", 2)), BmpRead::NotBitmap});
    cases.push_back({patched(14, std::string("\x0C\x00\x00\x00", 4)), BmpRead::NotBitmap});
    cases.push_back({patched(18, std::string("\x00\x00\x00\x00", 4)), BmpRead::NotBitmap});
    cases.push_back({patched(22, std::string("\xFB\xFF\xFF\xFF", 4)), BmpRead::NotBitmap});
    cases.push_back({patched(18, std::string("\x00\x00\x01\x00", 4)), BmpRead::NotBitmap});
    cases.push_back({patched(18, std::string("\xFF\xFF\x00\x00", 4)), BmpRead::ReadFailed});
    cases.push_back({patched(10, std::string("\xFF\xFF\x00\x00", 4)), BmpRead::NotBitmap});
    cases.push_back({patched(10, std::string("\x10\x00\x00\x00", 4)), BmpRead::NotBitmap});
    cases.push_back({patched(30, std::string("\x01\x00\x00\x00", 4)), BmpRead::NotBitmap});
    for (std::size_t i = 0; i < cases.size(); ++i) {
        WriteFile(path, cases[i].bytes);
        Rgb24Image image;
        EXPECT_EQ(ReadBmp(path, &image), cases[i].outcome) << "case " << i;
        EXPECT_TRUE(image.bits.empty());
    }
    Rgb24Image image;
    EXPECT_EQ(ReadBmp(FilePath("none.bmp"), &image), BmpRead::CannotOpen);
    EXPECT_EQ(ReadBmp(HermeticEnvironment::Root(), &image), BmpRead::ReadFailed);

    // Through the showing reader: one box with the catalogue text.
    WriteFile(path, "garbage that is no bitmap at all, but long enough for a header");
    EXPECT_FALSE(LoadBmp(path, nullptr, kCaption, &image));
    WriteFile(path, good.substr(0, good.size() - 1));
    EXPECT_FALSE(LoadBmp(path, nullptr, kCaption, &image));
    EXPECT_EQ(Log(), LogLine(52, "This BMP file cannot be allocated.") +
                         LogLine(41, "Failed to read the file."));
    EXPECT_EQ(MessageFor(BmpRead::NoMemory), 51);
    EXPECT_EQ(MessageFor(BmpRead::CannotOpen), 42);
}

TEST_F(ThumbRenderTest, TempFilesCarryThePrefix) {
    std::string path;
    const int fd = CreateTempFile(&path);
    ASSERT_GE(fd, 0);
    ::close(fd);
    EXPECT_EQ(path.rfind(HermeticEnvironment::Root() + "/tmp/VOK", 0), 0u) << path;
    ::unlink(path.c_str());
}

// ---- Qt side ----

QApplication* App() {
    static int argc = 1;
    static char name[] = "thumb_render_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return app;
}

TEST_F(ThumbRenderTest, QtImagesAreTopDown) {
    App();
    ThumbBitmap bitmap;
    bitmap.width = 2;
    bitmap.height = 2;
    bitmap.bitsPerPixel = 24;
    // stored row 0 (bottom): blue, green; row 1 (top): red, white
    bitmap.bits = {255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 255, 255, 255, 255, 255, 0};
    const QImage image = ToQImage(bitmap);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(1, 0), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(0, 1), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(1, 1), qRgb(0, 255, 0));

    ThumbBitmap indexed;
    indexed.width = 2;
    indexed.height = 1;
    indexed.bitsPerPixel = 8;
    indexed.bits = {255, 7 * 32 + 3, 0, 0};
    const QImage mapped = ToQImage(indexed);
    EXPECT_EQ(mapped.format(), QImage::Format_Indexed8);
    EXPECT_EQ(mapped.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(mapped.pixel(1, 0), qRgb(255, 0, 255));
    EXPECT_EQ(FixedPaletteColours().size(), 256);

    indexed.bits.resize(2);
    EXPECT_TRUE(ToQImage(indexed).isNull()) << "a short pixel block gives no image";
}

TEST_F(ThumbRenderTest, PixmapForAnOwnerWindow) {
    App();
    QWidget owner;
    EXPECT_GT(DisplayDepth(&owner), 0);
    EXPECT_EQ(DisplayDepth(reinterpret_cast<VokOwner>(0x1234)), DisplayDepth(nullptr))
        << "a stale owner counts as none";
    const std::string jpeg = FilePath("pixmap.jpg");
    WriteJpeg(jpeg, 160, 120, 3, [](int, int) { return Flat(0, 200, 0); });
    QPixmap pixmap;
    int w = 0, h = 0;
    ASSERT_TRUE(RenderThumbnailPixmap(jpeg.c_str(), 80, 75, &owner, kCaption, &pixmap, &w, &h));
    EXPECT_EQ(w, 80);
    EXPECT_EQ(h, 60);
    EXPECT_EQ(pixmap.size(), QSize(80, 60));
    EXPECT_FALSE(QGuiApplication::overrideCursor()) << "the wait cursor is gone again";
    const QColor centre = pixmap.toImage().pixelColor(40, 30);
    EXPECT_NEAR(centre.green(), 200, 3);
    EXPECT_LT(centre.red(), 5);
}

} // namespace
