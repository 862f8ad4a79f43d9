/* qubex and vokalbum as processes, driven and observed from outside: an album of pictures and
 * a movie made and marked by vokalbum opens through File Open with the drive's answer, the state
 * dump lists the entries vokalbum lists, and Save As with type 1 writes an album that vokalbum
 * reads the same. */
#include "demo_card.h"
#include "image_builders.h"
#include "qubex_driver.h"
#include "vok_test_env.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>

#include <sstream>

using namespace voktest;

namespace {

/* vokalbum ls as a dump would list it: "path marked" per entry. */
std::string ListedEntries(const std::string& album) {
    const ProgramRun r = RunShell(ShellQuote(TestBin("vokalbum")) + " ls " + ShellQuote(album));
    EXPECT_EQ(r.status, 0) << r.out;
    std::istringstream in(r.out);
    std::string line, text;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string index, mark, size, path;
        std::getline(fields, index, '\t');
        std::getline(fields, mark, '\t');
        std::getline(fields, size, '\t');
        std::getline(fields, path);
        text += path + " " + mark + "\n";
    }
    return text;
}

std::string DumpedEntries(const QJsonObject& child) {
    std::string text;
    for (const QJsonValue& v : child["entries"].toArray()) {
        const QJsonObject e = v.toObject();
        text +=
            e["path"].toString().toStdString() + " " + (e["marked"].toBool() ? "1" : "0") + "\n";
    }
    return text;
}

class AlbumProcess : public QubexProcessTest {
  protected:
    AlbumProcess() : QubexProcessTest("qubexalbumproc") {}
};

} // namespace

TEST_F(AlbumProcess, AnAlbumMadeByVokalbumOpensListsTheSameEntriesAndSavesAsTypeOne) {
    std::string files;
    for (const char* name : {"a.jpg", "b c.jpg", "d.jpg"}) {
        ASSERT_TRUE(imgtest::write_file(Path(name), imgtest::make_jpeg(200, 150)));
        files += " " + ShellQuote(Path(name));
    }
    // A movie enters by its first picture.
    rt70sim::Bytes frame;
    ASSERT_TRUE(rt70sim::encodeJpeg(rt70sim::demoPicture(160, 120, 1), 75, true, nullptr, &frame));
    const rt70sim::Bytes movie = rt70sim::movieFile({frame}, 160, 120, 10);
    ASSERT_TRUE(voktest::WriteFile(Path("e.mov"), std::string(movie.begin(), movie.end())));
    files += " " + ShellQuote(Path("e.mov"));
    const std::string vokalbum = ShellQuote(TestBin("vokalbum"));
    ASSERT_EQ(RunShell(vokalbum + " make " + ShellQuote(Path("made.alb")) + files).status, 0);
    ASSERT_EQ(RunShell(vokalbum + " mark " + ShellQuote(Path("made.alb")) + " 2").status, 0);
    const std::string listed = ListedEntries(Path("made.alb"));
    ASSERT_EQ(listed, Path("a.jpg") + " 0\n" + Path("b c.jpg") + " 1\n" + Path("d.jpg") + " 0\n" +
                          Path("e.mov") + " 0\n");

    const std::string dump = Path("state.json");
    const std::string drive = Path("drive.sock");
    pid_t pid;
    {
        ScopedEnv d("VOK_STATE_DUMP", dump), s("VOK_DRIVE", drive);
        pid = SpawnQuiet({TestBin("qubex")});
    }
    WaitForDump(dump, StartedUp);
    EXPECT_EQ(Drive(drive, "file " + Path("made.alb")), "ok");
    EXPECT_EQ(Drive(drive, "command 100"), "ok");
    EXPECT_EQ(Drive(drive, "dump"), "ok");
    QJsonObject d = ReadDump(dump);
    QJsonArray children = d["children"].toArray();
    ASSERT_EQ(children.size(), 1) << ReadFile(dump);
    QJsonObject album = children[0].toObject();
    EXPECT_EQ(album["kind"].toInt(), 2);
    EXPECT_EQ(album["class"].toString(), "VOKAlbumChild");
    EXPECT_EQ(album["title"].toString(), "made.alb");
    EXPECT_EQ(album["path"].toString().toStdString(), Path("made.alb"));
    EXPECT_FALSE(album["modified"].toBool(true));
    EXPECT_EQ(DumpedEntries(album), listed);
    EXPECT_EQ(album["entries"].toArray()[1].toObject()["name"].toString(), "b c.jpg");
    // The album's Edit commands and Save are enabled; Copy waits for a current entry.
    const QJsonObject menus = d["menus"].toObject();
    EXPECT_TRUE(menus["143"].toObject()["enabled"].toBool());
    EXPECT_TRUE(menus["101"].toObject()["enabled"].toBool());
    EXPECT_FALSE(menus["140"].toObject()["enabled"].toBool(true));

    // Save As with type 1: ".alb" added, the window takes the new name.
    EXPECT_EQ(Drive(drive, "file " + Path("copy") + " 1"), "ok");
    EXPECT_EQ(Drive(drive, "command 107"), "ok");
    EXPECT_EQ(Drive(drive, "dump"), "ok");
    d = ReadDump(dump);
    album = d["children"].toArray()[0].toObject();
    EXPECT_EQ(album["title"].toString(), "copy.alb");
    EXPECT_EQ(album["path"].toString().toStdString(), Path("copy.alb"));
    EXPECT_EQ(ListedEntries(Path("copy.alb")), listed);
    EXPECT_EQ(ReadFile(Path("copy.alb")), ReadFile(Path("made.alb")))
        << "the same album written again is the same bytes";

    // A second open of the same album is refused with 183.
    EXPECT_EQ(Drive(drive, "file " + Path("copy.alb")), "ok");
    EXPECT_EQ(Drive(drive, "command 100"), "ok");
    EXPECT_NE(ReadFile(Path("messages.log")).find("message 183 "), std::string::npos);
    EXPECT_EQ(Drive(drive, "quit"), "ok");
    EXPECT_EQ(WaitExit(pid), 0);
    EXPECT_EQ(ReadDump(dump)["children"].toArray().size(), 0);
}
