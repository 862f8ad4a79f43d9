// rt70cam thumb against the virtual camera: the camera's thumbnail JPEG written whole, images
// without one, bad arguments, camera faults and a folder that cannot take the file; and
// rt70cam browse when the selection dialog cannot list the camera.
#include <sys/stat.h>
#include <unistd.h>

#include <QImage>

#include <gtest/gtest.h>

#include "cam_env.h"

namespace {

// TMPDIR is <dir>/tmp, so that files left behind there show.
struct ThumbHome : CamHome {
    ThumbHome() : CamHome({"", "config", "tmp"}) {}
};

TEST(CamThumb, WritesTheCameraThumbnail) {
    ThumbHome home;
    std::string card = MakeDemoCard(home.dir);
    SimCamera camera(home.dir, card);
    std::string out = home.dir + "/out";
    mkdir(out.c_str(), 0700);
    struct {
        const char* image;
        int width; // the demo pictures are 4:3, so thumbnails are 160 x 120
    } images[] = {{"100:1", 160}, {"100:3", 160}, {"100:4", 160}, {"101:1", 160}};
    // A new file gets the mode the umask gives, as every other file the user writes.
    const mode_t mask = umask(027);
    for (auto& i : images) {
        std::string file = out + "/" + std::string(i.image).replace(3, 1, "-") + ".jpg";
        ProgramRun r = home.rt70cam(std::string("thumb ") + i.image + " '" + file + "'");
        EXPECT_EQ(r.status, 0) << i.image << r.err;
        struct stat st;
        ASSERT_EQ(stat(file.c_str(), &st), 0) << i.image;
        EXPECT_EQ(st.st_mode & 07777, 0640u) << i.image;
        std::vector<uint8_t> bytes = ReadBytes(file);
        ASSERT_GT(bytes.size(), 4u) << i.image;
        EXPECT_EQ(bytes[0], 0xFF);
        EXPECT_EQ(bytes[1], 0xD8);
        QImage picture;
        ASSERT_TRUE(picture.loadFromData(bytes.data(), static_cast<int>(bytes.size()), "JPEG"))
            << i.image;
        EXPECT_EQ(picture.width(), i.width) << i.image;
        EXPECT_LE(picture.height(), 120) << i.image;
        EXPECT_EQ(r.log, "");
    }
    // A file of that name is replaced whole and keeps its mode; nothing else is left behind
    // anywhere.
    std::string file = out + "/100-1.jpg";
    ASSERT_EQ(chmod(file.c_str(), 0604), 0);
    ProgramRun again = home.rt70cam("thumb 100:2 '" + file + "'");
    umask(mask);
    EXPECT_EQ(again.status, 0) << again.err;
    struct stat st;
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    QImage second(QString::fromStdString(file));
    EXPECT_EQ(second.width(), 160);
    EXPECT_EQ(voktest::Names(out).size(), 4u);
    EXPECT_TRUE(voktest::Names(home.dir + "/tmp").empty());
}

TEST(CamThumb, ImageWithoutThumbnail) {
    ThumbHome home;
    std::string card = MakeDemoCard(home.dir);
    SimCamera camera(home.dir, card);
    std::string file = home.dir + "/memo.jpg";
    // The audio memo has none; an image that does not exist is answered the same way.
    for (const char* image : {"101:2", "100:99", "7:1"}) {
        ProgramRun r = home.rt70cam(std::string("thumb ") + image + " '" + file + "'");
        EXPECT_EQ(r.status, 1) << image;
        EXPECT_NE(r.err.find("no thumbnail"), std::string::npos) << r.err;
        EXPECT_TRUE(ReadBytes(file).empty());
    }
    EXPECT_TRUE(voktest::Names(home.dir + "/tmp").empty());
}

TEST(CamThumb, BadArguments) {
    ThumbHome home;
    for (const char* args :
         {"thumb", "thumb 100:1", "thumb 100 x", "thumb 100:x x", "thumb 70000:1 x", "thumb :1 x",
          "thumb 1:2:3 x", "thumb -1:2 x", "thumb 100:1 x y", "thumb 100:+1 x", "thumb '100: 1' x",
          "thumb 100:0065536 x", "browse now"}) {
        ProgramRun r = home.rt70cam(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("thumb FOLDER:IMAGE FILE"), std::string::npos) << args;
    }
}

TEST(CamThumb, CameraFaultsLeaveNoFile) {
    ThumbHome home;
    std::string card = MakeDemoCard(home.dir);
    std::string file = home.dir + "/t.jpg";
    {
        // A block read retried after a spoilt reply still gives the whole thumbnail.
        SimCamera camera(home.dir, card, {"--fault", "30:1:checksum"});
        ProgramRun r = home.rt70cam("thumb 100:1 '" + file + "'");
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_FALSE(ReadBytes(file).empty());
        unlink(file.c_str());
    }
    {
        SimCamera camera(home.dir, card, {"--fault", "30:*:drop"});
        ProgramRun r = home.rt70cam("thumb 100:1 '" + file + "'");
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.log.find("error 14 "), std::string::npos) << r.log;
        EXPECT_TRUE(ReadBytes(file).empty());
    }
    EXPECT_TRUE(voktest::Names(home.dir + "/tmp").empty());
}

TEST(CamThumb, FolderThatCannotTakeTheFile) {
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    ThumbHome home;
    std::string card = MakeDemoCard(home.dir);
    SimCamera camera(home.dir, card);
    std::string locked = home.dir + "/locked";
    mkdir(locked.c_str(), 0500);
    ProgramRun r = home.rt70cam("thumb 100:1 '" + locked + "/t.jpg'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot write"), std::string::npos) << r.err;
    EXPECT_TRUE(voktest::Names(locked).empty());
    EXPECT_TRUE(voktest::Names(home.dir + "/tmp").empty());
}

TEST(CamThumb, NoRoomForTheTemporaryFileIsNotAMissingThumbnail) {
    ThumbHome home;
    std::string card = MakeDemoCard(home.dir);
    SimCamera camera(home.dir, card);
    ASSERT_EQ(rmdir((home.dir + "/tmp").c_str()), 0); // TMPDIR names a folder that is gone
    ProgramRun r = home.rt70cam("thumb 100:1 '" + home.dir + "/t.jpg'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.log.rfind("error 42 rt70cam\t", 0), 0u) << r.log;
    EXPECT_EQ(r.err.find("no thumbnail"), std::string::npos) << r.err;
    EXPECT_TRUE(ReadBytes(home.dir + "/t.jpg").empty());
}

TEST(CamThumb, MissingFolderCannotTakeTheFile) {
    ThumbHome home;
    std::string card = MakeDemoCard(home.dir);
    SimCamera camera(home.dir, card);
    ProgramRun r = home.rt70cam("thumb 100:1 '" + home.dir + "/missing/t.jpg'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot write"), std::string::npos) << r.err;
    EXPECT_TRUE(voktest::Names(home.dir + "/tmp").empty());
}

TEST(CamBrowse, DialogThatCannotListTheCameraIsAFailure) {
    ThumbHome home;
    voktest::ScopedEnv answer("VOK_MSG_ANSWER", "ok");
    // A card without folders: the dialog says so (53) and ends at once.
    std::string card = MakeCard(home.dir, 0, 0);
    SimCamera camera(home.dir, card);
    ProgramRun r = home.rt70cam("browse");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.log.rfind("error 53 rt70cam\t", 0), 0u) << r.log;
}

} // namespace
