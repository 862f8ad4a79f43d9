// rt70cam thumb against the virtual camera: the camera's thumbnail JPEG written whole, images
// without one, bad arguments, camera faults and a folder that cannot take the file.
#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>

#include <QImage>

#include <gtest/gtest.h>

#include "SimCamera.h"

namespace {

struct ThumbRun {
    int status = -1;
    std::string err, log;
};

struct ThumbHome {
    std::string dir;
    ThumbHome() {
        char pattern[] = "/tmp/cam-thumb-XXXXXX";
        dir = mkdtemp(pattern);
        setenv("HOME", dir.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (dir + "/config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
        mkdir((dir + "/tmp").c_str(), 0700);
        setenv("TMPDIR", (dir + "/tmp").c_str(), 1);
        setenv("VOK_MSG_LOG", (dir + "/messages.log").c_str(), 1);
        unsetenv("VOK_MSG_ANSWER");
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
    }
    ~ThumbHome() {
        unsetenv("TMPDIR");
        std::string command = "chmod -R u+w '" + dir + "'; rm -rf '" + dir + "'";
        if (system(command.c_str()) != 0)
            ADD_FAILURE() << "could not remove " << dir;
    }
    std::string slurp(const std::string& path) {
        std::ifstream in(path);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    ThumbRun rt70cam(const std::string& args) {
        unlink((dir + "/messages.log").c_str());
        std::string command =
            "'" + TestBin("rt70cam") + "' " + args + " >/dev/null 2>'" + dir + "/err.txt'";
        ThumbRun r;
        int raw = system(command.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.err = slurp(dir + "/err.txt");
        r.log = slurp(dir + "/messages.log");
        return r;
    }
    // Names in a folder, hidden ones included.
    std::vector<std::string> names(const std::string& folder) {
        std::vector<std::string> out;
        if (DIR* d = opendir(folder.c_str())) {
            while (dirent* e = readdir(d))
                if (strcmp(e->d_name, ".") && strcmp(e->d_name, ".."))
                    out.push_back(e->d_name);
            closedir(d);
        }
        return out;
    }
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
    for (auto& i : images) {
        std::string file = out + "/" + std::string(i.image).replace(3, 1, "-") + ".jpg";
        ThumbRun r = home.rt70cam(std::string("thumb ") + i.image + " '" + file + "'");
        EXPECT_EQ(r.status, 0) << i.image << r.err;
        std::vector<uint8_t> bytes = ReadFile(file);
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
    // A file of that name is replaced whole; nothing else is left behind anywhere.
    std::string file = out + "/100-1.jpg";
    ThumbRun again = home.rt70cam("thumb 100:2 '" + file + "'");
    EXPECT_EQ(again.status, 0) << again.err;
    QImage second(QString::fromStdString(file));
    EXPECT_EQ(second.width(), 160);
    EXPECT_EQ(home.names(out).size(), 4u);
    EXPECT_TRUE(home.names(home.dir + "/tmp").empty());
}

TEST(CamThumb, ImageWithoutThumbnail) {
    ThumbHome home;
    std::string card = MakeDemoCard(home.dir);
    SimCamera camera(home.dir, card);
    std::string file = home.dir + "/memo.jpg";
    // The audio memo has none; an image that does not exist is answered the same way.
    for (const char* image : {"101:2", "100:99", "7:1"}) {
        ThumbRun r = home.rt70cam(std::string("thumb ") + image + " '" + file + "'");
        EXPECT_EQ(r.status, 1) << image;
        EXPECT_NE(r.err.find("no thumbnail"), std::string::npos) << r.err;
        EXPECT_TRUE(ReadFile(file).empty());
    }
    EXPECT_TRUE(home.names(home.dir + "/tmp").empty());
}

TEST(CamThumb, BadArguments) {
    ThumbHome home;
    for (const char* args :
         {"thumb", "thumb 100:1", "thumb 100 x", "thumb 100:x x", "thumb 70000:1 x", "thumb :1 x",
          "thumb 1:2:3 x", "thumb -1:2 x", "thumb 100:1 x y", "browse now"}) {
        ThumbRun r = home.rt70cam(args);
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
        ThumbRun r = home.rt70cam("thumb 100:1 '" + file + "'");
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_FALSE(ReadFile(file).empty());
        unlink(file.c_str());
    }
    {
        SimCamera camera(home.dir, card, {"--fault", "30:*:drop"});
        ThumbRun r = home.rt70cam("thumb 100:1 '" + file + "'");
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.log.find("error 14 "), std::string::npos) << r.log;
        EXPECT_TRUE(ReadFile(file).empty());
    }
    EXPECT_TRUE(home.names(home.dir + "/tmp").empty());
}

TEST(CamThumb, FolderThatCannotTakeTheFile) {
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    ThumbHome home;
    std::string card = MakeDemoCard(home.dir);
    SimCamera camera(home.dir, card);
    std::string locked = home.dir + "/locked";
    mkdir(locked.c_str(), 0500);
    ThumbRun r = home.rt70cam("thumb 100:1 '" + locked + "/t.jpg'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot write"), std::string::npos) << r.err;
    EXPECT_TRUE(home.names(locked).empty());
    EXPECT_TRUE(home.names(home.dir + "/tmp").empty());
}

TEST(CamThumb, MissingFolderCannotTakeTheFile) {
    ThumbHome home;
    std::string card = MakeDemoCard(home.dir);
    SimCamera camera(home.dir, card);
    ThumbRun r = home.rt70cam("thumb 100:1 '" + home.dir + "/missing/t.jpg'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot write"), std::string::npos) << r.err;
    EXPECT_TRUE(home.names(home.dir + "/tmp").empty());
}

} // namespace
