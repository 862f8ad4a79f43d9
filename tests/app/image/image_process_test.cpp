/* qubex's image windows as a script drives them, through the drive socket and the state dump
 * alone: a JPEG opened, saved to itself (nothing written) and in each of the six image types;
 * every saved file checked with ImageMagick and opened in qubex again (the TIFF with the Image
 * menu grayed); all windows closed and the program quit. */
#include "image_builders.h"
#include "qubex_driver.h"
#include "vok_test_env.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <chrono>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>

using namespace voktest;

namespace {

std::string Identify(const std::string& path) {
    return RunShell("identify -format '%m %w %h' " + ShellQuote(path) + " 2>/dev/null").out;
}

/* Peak signal-to-noise ratio of b against a in decibels (inf for equal pixels). */
double Psnr(const std::string& a, const std::string& b) {
    const ProgramRun r =
        RunShell("compare -metric PSNR " + ShellQuote(a) + " " + ShellQuote(b) + " null: 2>&1");
    if (r.out.rfind("inf", 0) == 0)
        return 1e9;
    return std::atof(r.out.c_str());
}

struct timespec Mtime(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mtim;
}

} // namespace

TEST(ImageProcess, OpenSaveInEveryTypeReopenAndClose) {
    if (!HaveTool("identify") || !HaveTool("compare"))
        GTEST_SKIP() << "ImageMagick is not installed";
    TempHome home("qubeximageproc");
    ::chmod(home.dir.c_str(), 0700);
    auto path = [&](const std::string& name) { return home.dir + "/" + name; };
    ScopedEnv log("VOK_MSG_LOG", path("messages.log")), answer("VOK_MSG_ANSWER", "no"),
        lang("LANG", "C"), dump("VOK_STATE_DUMP", path("state.json")),
        drivePath("VOK_DRIVE", path("drive.sock"));
    ASSERT_TRUE(imgtest::write_file(path("src.jpg"), imgtest::make_jpeg(320, 240)));
    const pid_t pid = SpawnQuiet({TestBin("qubex")});
    DriveLink drive(path("drive.sock"));
    ASSERT_TRUE(drive.connected());
    auto children = [&] {
        EXPECT_EQ(drive("dump"), "ok");
        return ReadDump(path("state.json"))["children"].toArray();
    };
    auto open = [&](const std::string& file) {
        EXPECT_EQ(drive("file " + file), "ok");
        EXPECT_EQ(drive("command 100"), "ok");
    };
    auto saveAs = [&](const std::string& file, int type) {
        EXPECT_EQ(drive("file " + file + " " + std::to_string(type)), "ok");
        EXPECT_EQ(drive("command 107"), "ok");
    };

    open(path("src.jpg"));
    QJsonArray c = children();
    ASSERT_EQ(c.size(), 1) << ReadFile(path("state.json"));
    QJsonObject w = c[0].toObject();
    EXPECT_EQ(w["source_type"].toInt(), 2);
    EXPECT_EQ(w["zoom"].toInt(), 100);
    EXPECT_EQ(w["width"].toInt(), 320);
    EXPECT_EQ(w["bits"].toInt(), 24);
    EXPECT_EQ(w["title"].toString(), "src.jpg [100%]");
    EXPECT_FALSE(w["modified"].toBool());

    // An unchanged JPEG saved to itself as standard JPEG: nothing is written.
    const std::string before = ReadFile(path("src.jpg"));
    const struct timespec when = Mtime(path("src.jpg"));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    saveAs(path("src.jpg"), 11);
    EXPECT_EQ(ReadFile(path("src.jpg")), before);
    EXPECT_EQ(Mtime(path("src.jpg")).tv_nsec, when.tv_nsec);
    EXPECT_EQ(Mtime(path("src.jpg")).tv_sec, when.tv_sec);

    // The six types, each from the window as the previous save left it.
    saveAs(path("standard"), 11); // unchanged JPEG: the same bytes
    saveAs(path("low"), 12);      // encoded again at quality 55
    saveAs(path("high"), 13);     // unchanged JPEG again: a copy of low.jpg
    saveAs(path("full"), 14);
    saveAs(path("palette"), 15);
    saveAs(path("tiff"), 16);
    EXPECT_EQ(ReadFile(path("standard.jpg")), before);
    EXPECT_EQ(ReadFile(path("high.jpg")), ReadFile(path("low.jpg")));
    EXPECT_NE(ReadFile(path("low.jpg")), before);
    EXPECT_EQ(Identify(path("low.jpg")), "JPEG 320 240");
    EXPECT_EQ(Identify(path("full.bmp")), "BMP3 320 240");
    EXPECT_EQ(Identify(path("palette.bmp")), "BMP3 320 240");
    EXPECT_EQ(Identify(path("tiff.tif")), "TIFF 320 240");
    EXPECT_EQ(ReadFile(path("full.bmp"))[28], 24);
    EXPECT_EQ(ReadFile(path("palette.bmp"))[28], 8);
    EXPECT_GT(Psnr(path("src.jpg"), path("low.jpg")), 28.0);
    EXPECT_GT(Psnr(path("src.jpg"), path("full.bmp")), 40.0);
    EXPECT_GT(Psnr(path("full.bmp"), path("palette.bmp")), 25.0);
    EXPECT_GT(Psnr(path("palette.bmp"), path("tiff.tif")), 1e8) << "the window kept 256 colours";
    c = children();
    ASSERT_EQ(c.size(), 1);
    w = c[0].toObject();
    EXPECT_EQ(w["title"].toString(), "tiff.tif [100%]");
    EXPECT_EQ(w["source_type"].toInt(), 7);
    EXPECT_EQ(w["path"].toString().toStdString(), path("tiff.tif"));
    EXPECT_EQ(ReadFile(path("messages.log")), "") << "no save showed a message";

    // Each file opens again; the TIFF with the Image menu grayed, the BMP with it.
    for (const char* name : {"low.jpg", "full.bmp", "palette.bmp"})
        open(path(name));
    EXPECT_EQ(drive("activate 1"), "ok");
    c = children();
    ASSERT_EQ(c.size(), 4);
    const int sources[] = {7, 2, 1, 1};
    const int bits[] = {24, 24, 24, 8};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(c[i].toObject()["source_type"].toInt(), sources[i]) << i;
        EXPECT_EQ(c[i].toObject()["bits"].toInt(), bits[i]) << i;
        EXPECT_EQ(c[i].toObject()["width"].toInt(), 320) << i;
    }
    QJsonObject menus = ReadDump(path("state.json"))["menus"].toObject();
    EXPECT_FALSE(menus["170"].toObject()["enabled"].toBool(true)) << "Image menu for a TIFF";
    EXPECT_TRUE(menus["173"].toObject()["checked"].toBool());
    EXPECT_EQ(drive("activate 4"), "ok");
    children();
    menus = ReadDump(path("state.json"))["menus"].toObject();
    EXPECT_TRUE(menus["170"].toObject()["enabled"].toBool()) << "Image menu for a BMP";

    // Clean windows close without a question; then the program quits.
    EXPECT_EQ(drive("command 163"), "ok");
    EXPECT_EQ(children().size(), 0);
    EXPECT_EQ(drive("quit"), "ok");
    EXPECT_EQ(WaitExit(pid), 0);
    EXPECT_EQ(ReadFile(path("messages.log")), "");
}
