/* Movie facts, the camera movie test, first pictures and stills over FFmpeg, on the virtual
 * camera's demo movie and on movies made like the camera's own (Photo-JPEG with 8 kHz 8-bit
 * mono sound): what a file that is no movie gives, and the camera test's limits. */
#include "VokExif.h"
#include "demo_card.h"
#include "movie_facts.h"
#include "movie_still.h"
#include "vok_dib.h"
#include "vok_test_env.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cstdlib>

using namespace qubex::media;
using voktest::ReadBytes;
using voktest::WriteFile;

namespace {

class MovieFactsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(rt70sim::makeDemoCard(dir_.path() + "/card", &error)) << error;
    }
    std::string Path(const std::string& name) const { return dir_.path() + "/" + name; }
    /* A movie of count pictures at fps, seconds of camera sound when sound is set. */
    std::string Movie(const char* name, int width, int height, int count, int fps, int seconds) {
        std::vector<rt70sim::Bytes> frames;
        for (int i = 0; i < count; ++i) {
            rt70sim::Bytes jpeg;
            EXPECT_TRUE(rt70sim::encodeJpeg(rt70sim::demoPicture(width, height, i + 1), 75, true,
                                            nullptr, &jpeg));
            frames.push_back(jpeg);
        }
        rt70sim::Bytes sound(static_cast<size_t>(seconds) * 8000, 0x80);
        const rt70sim::Bytes movie = rt70sim::movieFile(frames, width, height, fps, sound);
        WriteFile(Path(name), std::string(movie.begin(), movie.end()));
        return Path(name);
    }
    voktest::TempDir dir_{"moviefacts"};
};

TEST_F(MovieFactsTest, TheDemoMovieAndItsFirstPicture) {
    const std::string movie = Path("card/101/0001.mov");
    EXPECT_TRUE(IsMovieFile(movie.c_str()));
    EXPECT_FALSE(IsMovieFile(Path("card/101/0002.wav").c_str()));
    EXPECT_FALSE(IsMovieFile(Path("card/100/0001.jpg").c_str()));
    EXPECT_FALSE(IsMovieFile(Path("missing").c_str()));

    MovieFacts f;
    ReadMovieFacts(movie, &f);
    EXPECT_EQ(f.folder, Path("card/101/"));
    EXPECT_EQ(f.name, "0001.mov");
    EXPECT_EQ(f.fileSize, ReadBytes(movie).size());
    EXPECT_EQ(f.duration, 1);
    EXPECT_STREQ(f.videoCodec, "jpeg");
    EXPECT_EQ(f.width, 160);
    EXPECT_EQ(f.height, 120);
    EXPECT_EQ(f.videoRate, 10);
    // The first picture is the movie's still, kept beside it on the card.
    EXPECT_EQ(static_cast<size_t>(f.videoValueA), ReadBytes(Path("card/101/0001.thm")).size());
    EXPECT_FALSE(f.HasSound());
    EXPECT_EQ(f.channels, 0);
    EXPECT_FALSE(IsCameraMovie(f)) << "a motion movie without sound";

    const std::vector<uint8_t> dib = GetMovieFirstPicture(movie);
    ASSERT_GE(dib.size(), vokc::kDibHeaderSize);
    const vokc::DibHeader h = vokc::GetDibHeader(dib.data());
    EXPECT_EQ(h.width, 160);
    EXPECT_EQ(h.height, 120); // bottom-up
    EXPECT_EQ(h.bitCount, 24);
    ASSERT_EQ(dib.size(), vokc::kDibHeaderSize + vokc::DibStride(160, 24) * 120);
    // The same picture as libjpeg makes of the still, up to the decoders' rounding.
    VokImgBlock* still = VokImg_Jpeg_ReadDIB(Path("card/101/0001.thm").c_str());
    ASSERT_NE(still, nullptr);
    ASSERT_EQ(still->size, dib.size());
    double difference = 0;
    for (size_t i = vokc::kDibHeaderSize; i < dib.size(); ++i)
        difference += std::abs(int(dib[i]) - int(still->data[i]));
    VokImg_FreeBlock(still);
    EXPECT_LT(difference / double(dib.size() - vokc::kDibHeaderSize), 3.0);
}

TEST_F(MovieFactsTest, CameraMoviesPassAndTheirStillsCarryTheMakerBytes) {
    MovieFacts f;
    ReadMovieFacts(Movie("motion.mov", 320, 240, 20, 10, 2), &f);
    EXPECT_EQ(f.videoRate, 10);
    EXPECT_EQ(f.duration, 2);
    EXPECT_STREQ(f.audioFormat, "raw ");
    EXPECT_EQ(f.channels, 1);
    EXPECT_EQ(f.sampleSize, 8);
    EXPECT_EQ(f.sampleRate, 8000);
    EXPECT_TRUE(IsCameraMovie(f));

    const std::string picture = Movie("picture.mov", 640, 480, 1, 1, 3);
    ReadMovieFacts(picture, &f);
    EXPECT_EQ(f.videoRate, 0) << "one picture with sound";
    EXPECT_EQ(f.width, 640);
    EXPECT_TRUE(IsCameraMovie(f));
    ReadMovieFacts(Movie("large.mov", 640, 480, 10, 10, 1), &f);
    EXPECT_FALSE(IsCameraMovie(f)) << "a motion movie beyond 320 x 240";

    // The still: a camera-form JPEG whose maker note ends with the two bytes.
    const std::string still = Path("picture.jpg");
    ASSERT_TRUE(WriteMovieStill(picture, still, 5, 1));
    EXPECT_EQ(VokImg_IsCameraReady(still.c_str()), 1);
    const std::vector<uint8_t> bytes = ReadBytes(still);
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find(std::string("VOKD\x05\x01", 6)), std::string::npos);
    EXPECT_NE(text.find("qubex"), std::string::npos);
    ImageInfo info = {};
    ASSERT_TRUE(Get_Normal_Jpeg_Format(still.c_str(), &info));
    EXPECT_EQ(info.width, 640u);

    // What is no movie has no picture and only its file facts.
    WriteFile(Path("notes.mov"), "0123456789abcdefghij");
    EXPECT_TRUE(GetMovieFirstPicture(Path("notes.mov")).empty());
    EXPECT_FALSE(WriteMovieStill(Path("notes.mov"), Path("notes.jpg"), 0, 0));
    EXPECT_TRUE(voktest::Names(dir_.path()).size() > 0);
    ReadMovieFacts(Path("notes.mov"), &f);
    EXPECT_EQ(f.name, "notes.mov");
    EXPECT_EQ(f.fileSize, 20u);
    EXPECT_EQ(f.duration, 0);
    EXPECT_EQ(f.videoCodec[0], 0);
    ReadMovieFacts(Path("missing.mov"), &f);
    EXPECT_EQ(f.fileSize, 0u);
    EXPECT_TRUE(GetMovieFirstPicture(Path("missing.mov")).empty());
}

TEST(CameraMovieTest, TheLimitsOfBothKinds) {
    MovieFacts motion;
    motion.fileSize = 1572864;
    motion.duration = 12;
    std::strcpy(motion.videoCodec, "jpeg");
    motion.width = 320;
    motion.height = 240;
    motion.videoRate = 10;
    motion.videoValueA = 20000;
    std::strcpy(motion.audioFormat, "raw ");
    motion.channels = 1;
    motion.sampleSize = 8;
    motion.sampleRate = 8000;
    EXPECT_TRUE(IsCameraMovie(motion));
    auto with = [&](auto change) {
        MovieFacts f = motion;
        change(f);
        return IsCameraMovie(f);
    };
    EXPECT_FALSE(with([](MovieFacts& f) { f.duration = 13; }));
    EXPECT_FALSE(with([](MovieFacts& f) { f.fileSize = 1572865; }));
    EXPECT_FALSE(with([](MovieFacts& f) { f.width = 321; }));
    EXPECT_FALSE(with([](MovieFacts& f) { f.height = 241; }));
    EXPECT_FALSE(with([](MovieFacts& f) { f.videoRate = 15; }));
    EXPECT_FALSE(with([](MovieFacts& f) { std::strcpy(f.videoCodec, "mjpa"); }));
    EXPECT_FALSE(with([](MovieFacts& f) { f.channels = 2; }));
    EXPECT_FALSE(with([](MovieFacts& f) { f.sampleSize = 16; }));
    EXPECT_FALSE(with([](MovieFacts& f) { f.sampleRate = 11025; }));
    // Another sound format only with a small first picture.
    EXPECT_FALSE(with([](MovieFacts& f) { std::strcpy(f.audioFormat, "twos"); }));
    EXPECT_TRUE(with([](MovieFacts& f) {
        std::strcpy(f.audioFormat, "twos");
        f.videoValueA = 13312;
    }));
    // One picture with sound: the camera's full picture size, and raw sound always.
    MovieFacts picture = motion;
    picture.videoRate = 0;
    picture.width = 2048;
    picture.height = 1536;
    EXPECT_TRUE(IsCameraMovie(picture));
    picture.width = 2049;
    EXPECT_FALSE(IsCameraMovie(picture));
    picture.width = 2048;
    std::strcpy(picture.audioFormat, "twos");
    picture.videoValueA = 100;
    EXPECT_FALSE(IsCameraMovie(picture));
}

} // namespace
