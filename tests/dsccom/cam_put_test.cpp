// rt70cam put, rm, clock and reset-button against the virtual camera: a phone's picture
// arrives in the camera's form and upright, a camera-ready JPEG byte for byte, what cannot be
// sent is named and skipped, the private copies go away; a camera movie after its still, an
// unfit movie refused; deletion of exactly the named images; the clock to the minute and the
// dialog's refusals; full and protected cards.
#include <time.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "VokExif.h"
#include "cam_env.h"
#include "demo_card.h"
#include "image_builders.h"
#include "transfer_env.h"

namespace {

struct PutHome : CamHome {
    std::string temp = MakeFolder(dir, "tmp");
    voktest::ScopedEnv tmpdir{"TMPDIR", temp};
    std::string card = MakeFolder(dir, "card");

    std::string write(const char* name, const imgtest::Bytes& bytes) const {
        std::string path = dir + "/" + name;
        WriteBytes(path, bytes);
        return path;
    }
    // A phone's picture: another maker's Exif with an orientation, 4:2:0, optimised tables.
    std::string phonePicture(const char* name, int width, int height, int orientation) const {
        imgtest::JpegOptions options;
        options.sampling = imgtest::Sampling::S2x2;
        options.jfif = false;
        options.optimize = true;
        imgtest::TiffPlan plan = imgtest::camera_exif(false, width, height);
        plan.ifd0[0] = imgtest::ascii(271, "Phonemaker");
        plan.ifd0[1] = imgtest::ascii(272, "Pocket 9");
        plan.ifd0.insert(plan.ifd0.begin() + 2, imgtest::shortv(274, orientation));
        plan.exif[0] = imgtest::undefined(36864, "0231");
        plan.interop.clear();
        plan.hasInterop = false;
        plan.hasIfd1 = false;
        return write(name,
                     imgtest::insert_after_soi(imgtest::make_jpeg(width, height, options),
                                               imgtest::exif_app1(imgtest::build_tiff(plan))));
    }
};

ImageInfo Frame(const std::string& path) {
    ImageInfo info = {};
    EXPECT_TRUE(Get_Normal_Jpeg_Format(path.c_str(), &info)) << path;
    return info;
}

TEST(CamPut, PhonePicturesArriveInTheCameraFormAndReadyOnesUnchanged) {
    PutHome home;
    SimCamera camera(home.dir, home.card);
    std::string phone = home.phonePicture("phone.jpg", 2200, 1650, 6);
    std::string tiny = home.phonePicture("tiny.jpg", 40, 30, 1);
    std::string text = home.dir + "/notes.txt";
    voktest::WriteFile(text, "not a picture");
    ProgramRun r = home.rt70cam("put '" + phone + "' '" + text + "' '" + tiny + "'");
    EXPECT_EQ(r.status, 1) << r.err; // one file could not be sent
    EXPECT_EQ(r.log.rfind("error 42 rt70cam\t", 0), 0u) << r.log;
    EXPECT_NE(r.err.find(text + " was not sent"), std::string::npos) << r.err;
    EXPECT_EQ(Names(home.card + "/100"), (std::vector<std::string>{"0001.jpg", "0002.jpg"}));
    for (const char* stored : {"/100/0001.jpg", "/100/0002.jpg"})
        EXPECT_EQ(VokImg_IsCameraReady((home.card + stored).c_str()), 1) << stored;
    // Turned upright (portrait), then fitted into the camera's 2048 x 1536.
    ImageInfo upright = Frame(home.card + "/100/0001.jpg");
    EXPECT_EQ(upright.width, 1152u);
    EXPECT_EQ(upright.height, 1536u);
    // A picture under the camera's least size is fitted as well, not left too small.
    ImageInfo grown = Frame(home.card + "/100/0002.jpg");
    EXPECT_EQ(grown.width, 2048u);
    EXPECT_EQ(grown.height, 1536u);
    EXPECT_TRUE(Names(home.temp).empty()); // the private copies are gone

    // What the camera took goes back unchanged, byte for byte, as a picture of its own.
    std::string ready = home.dir + "/ready.jpg";
    WriteBytes(ready, ReadBytes(home.card + "/100/0002.jpg"));
    r = home.rt70cam("put '" + ready + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.log, "");
    EXPECT_EQ(ReadBytes(home.card + "/100/0003.jpg"), ReadBytes(ready));
    EXPECT_TRUE(Names(home.temp).empty());
}

TEST(CamPut, TiffGoesWholeWithItsStillAndBadUsage) {
    PutHome home;
    SimCamera camera(home.dir, MakeDemoCard(home.dir));
    std::string card = home.dir + "/card";
    ProgramRun r = home.rt70cam("put '" + card + "/100/0004.tif'");
    EXPECT_EQ(r.status, 0) << r.err;
    // The TIFF itself, byte for byte, with the camera-form still the camera shows for it.
    const std::vector<std::string> names = Names(card + "/101");
    EXPECT_NE(std::find(names.begin(), names.end(), "0003.tif"), names.end());
    EXPECT_EQ(ReadBytes(card + "/101/0003.tif"), ReadBytes(card + "/100/0004.tif"));
    EXPECT_EQ(VokImg_IsCameraReady((card + "/101/0003.thm").c_str()), 1);
    EXPECT_EQ(Frame(card + "/101/0003.thm").width, 320u);
    EXPECT_TRUE(Names(home.temp).empty());

    // A movie made like the camera's goes after the still of its first picture; the demo
    // movie (motion without sound) is unfit for the camera and is refused.
    std::vector<rt70sim::Bytes> frames;
    for (int i = 0; i < 10; ++i) {
        rt70sim::Bytes jpeg;
        ASSERT_TRUE(
            rt70sim::encodeJpeg(rt70sim::demoPicture(160, 120, i + 1), 75, true, nullptr, &jpeg));
        frames.push_back(jpeg);
    }
    const std::string movie = home.dir + "/clip.mov";
    WriteBytes(movie, rt70sim::movieFile(frames, 160, 120, 10, rt70sim::Bytes(8000, 0x80)));
    const std::string unfit = card + "/101/0001.mov";
    r = home.rt70cam("put '" + unfit + "' '" + movie + "'");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find(unfit + " was not sent"), std::string::npos) << r.err;
    EXPECT_EQ(ReadBytes(card + "/101/0004.mov"), ReadBytes(movie));
    const std::vector<uint8_t> still = ReadBytes(card + "/101/0004.thm");
    EXPECT_EQ(VokImg_IsCameraReady((card + "/101/0004.thm").c_str()), 1);
    EXPECT_NE(std::string(still.begin(), still.end()).find(std::string("VOKD\x05\x01", 6)),
              std::string::npos)
        << "the still of a motion movie with sound";
    EXPECT_TRUE(Names(home.temp).empty());

    for (const char* args : {"put", "rm", "rm 100", "rm 100:x", "clock --set", "clock x",
                             "clock --set 2001-1-1", "reset-button now"}) {
        r = home.rt70cam(args);
        EXPECT_EQ(r.status, 2) << args;
    }
    r = home.rt70cam("put --help");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("put FILE..."), std::string::npos);
}

TEST(CamPut, RmRemovesExactlyTheNamedImages) {
    PutHome home;
    std::string card = MakeCard(home.dir, 2, 3);
    SimCamera camera(home.dir, card);
    ProgramRun r = home.rt70cam("rm 101:2 100:1 100:3");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.log, "");
    EXPECT_EQ(Names(card + "/100"), (std::vector<std::string>{"0002.jpg"}));
    EXPECT_EQ(Names(card + "/101"), (std::vector<std::string>{"0001.jpg", "0003.jpg"}));
    // An image the camera does not have: message 4, and nothing before it goes.
    r = home.rt70cam("rm 101:1 101:9");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.log.rfind("error 4 rt70cam\t", 0), 0u) << r.log;
    EXPECT_EQ(Names(card + "/101"), (std::vector<std::string>{"0001.jpg", "0003.jpg"}));
    EXPECT_EQ(home.rt70cam("reset-button").status, 0);
}

TEST(CamPut, ClockToTheMinuteAndTheDialogsRefusals) {
    PutHome home;
    SimCamera camera(home.dir, MakeCard(home.dir, 1, 1), {"--variant", "2"});
    auto now = [] {
        time_t t = time(nullptr);
        struct tm local;
        localtime_r(&t, &local);
        char text[32];
        strftime(text, sizeof text, "%Y-%m-%d %H:%M\n", &local);
        return std::string(text);
    };
    ProgramRun r = home.rt70cam("clock --set 2000-02-29 12:30");
    EXPECT_EQ(r.status, 2); // two words: not the shape
    r = home.rt70cam("clock --set '2000-02-29 12:30'");
    EXPECT_EQ(r.status, 0) << r.err;
    r = home.rt70cam("clock");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out == "2000-02-29 12:30\n" || r.out == "2000-02-29 12:31\n") << r.out;
    for (const char* refused : {"'2100-02-29 10:00'", "'1999-12-31 10:00'", "'2001-02-29 10:00'",
                                "'2001-04-31 10:00'", "'2001-01-01 24:00'", "'2001-01-01 10:60'"}) {
        r = home.rt70cam(std::string("clock --set ") + refused);
        EXPECT_EQ(r.status, 2) << refused;
        EXPECT_EQ(r.err, "rt70cam: It is invalid input value.\nPlease input again.\n") << refused;
    }
    std::string before = now();
    ASSERT_EQ(home.rt70cam("clock --set now").status, 0);
    r = home.rt70cam("clock");
    std::string after = now();
    EXPECT_TRUE(r.out == before || r.out == after) << r.out << before;
}

TEST(CamPut, FullAndWriteProtectedCards) {
    PutHome home;
    std::string picture = home.phonePicture("p.jpg", 320, 240, 1);
    {
        SimCamera camera(home.dir, home.card, {"--capacity", "1000"});
        ProgramRun r = home.rt70cam("put '" + picture + "'");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.log.rfind("error 13 rt70cam\t", 0), 0u) << r.log;
        EXPECT_TRUE(Names(home.card).empty());
        EXPECT_TRUE(Names(home.temp).empty());
    }
    std::string card = MakeCard(MakeFolder(home.dir, "p"), 1, 2);
    SimCamera camera(home.dir, card, {"--write-protect"});
    ProgramRun r = home.rt70cam("put '" + picture + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.log.rfind("error 20 rt70cam\t", 0), 0u) << r.log;
    r = home.rt70cam("rm 100:1 100:2");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.log.rfind("error 19 rt70cam\t", 0), 0u) << r.log;
    EXPECT_EQ(Names(card + "/100"), (std::vector<std::string>{"0001.jpg", "0002.jpg"}));
}

} // namespace
