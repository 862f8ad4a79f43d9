/* The album window's wiring offscreen, inside the frame: new albums and their numbering, Add to
 * Album through the drive answer (one file or several), the grid, dates from the image library,
 * marks, the arrows, renaming from the name field, double click, copy and paste between albums,
 * dragging to another album and onto its own, cut, Save As, the close question, reopening with the
 * marks, message 183, and the camera's download album starting a second album after the 100th and
 * taking a movie. */
#include "album_commands.h"
#include "album_window.h"
#include "child_record.h"
#include "commands.h"
#include "demo_card.h"
#include "frame_window.h"
#include "image_builders.h"
#include "offscreen_frame.h"
#include "settings_file.h"
#include "vok_test_env.h"

#include "album_test_util.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QEventLoop>
#include <QJsonArray>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QTest>
#include <QTimer>

#include <unistd.h>

using namespace qubex;
using namespace qubex::album;
using voktest::NextEvent;
using voktest::Options;
using voktest::ReadFile;
using voktest::ScopedEnv;
using voktest::TempHome;
using voktest::WriteFile;

namespace {

void WriteBytes(const std::string& path, const imgtest::Bytes& bytes) {
    ASSERT_TRUE(imgtest::write_file(path, bytes)) << path;
}

/* The active album window of the frame. */
AlbumWindow* Active(FrameWindow& frame) {
    QMdiSubWindow* sub = frame.mdiArea()->activeSubWindow();
    return sub ? qobject_cast<AlbumWindow*>(sub->widget()) : nullptr;
}

void Activate(FrameWindow& frame, AlbumWindow* album) {
    frame.mdiArea()->setActiveSubWindow(album->subWindow());
    NextEvent();
}

void Add(FrameWindow& frame, const std::string& path) {
    frame.SetNextFileAnswer(QString::fromStdString(path), -1);
    frame.RunCommand(CMD_ADD_TO_ALBUM);
}

std::vector<std::string> Paths(const AlbumWindow* album) {
    std::vector<std::string> paths;
    for (const Entry& e : album->album().entries)
        paths.push_back(e.path);
    return paths;
}

class AlbumWindowTest : public voktest::OffscreenFrameTest {
  protected:
    AlbumWindowTest() : OffscreenFrameTest("qubexalbum") {}
    /* The message boxes since the last call, one line each. */
    std::string Messages() {
        const std::string all = ReadFile(log_path_);
        const std::string fresh = all.substr(std::min(seen_, all.size()));
        seen_ = all.size();
        return fresh;
    }
    std::string log_path_ = home_.dir + "/messages.log";
    size_t seen_ = 0;
};

} // namespace

TEST_F(AlbumWindowTest, ADozenPicturesAreAddedMarkedRenamedMovedSavedAndReopened) {
    // Twelve pictures: two Exif JPEGs (date taken 31 Dec 1999; the second without an
    // interoperability index), nine plain JPEGs, one BMP.
    const imgtest::Bytes plain = imgtest::make_jpeg(320, 240);
    imgtest::TiffPlan noInterop = imgtest::camera_exif(false, 320, 240);
    noInterop.hasInterop = false;
    std::vector<std::string> pictures;
    for (int i = 1; i <= 12; ++i) {
        const std::string p = Path("pic" + std::to_string(i) + (i == 12 ? ".bmp" : ".jpg"));
        if (i <= 2)
            WriteBytes(
                p, imgtest::insert_after_soi(
                       plain, imgtest::exif_app1(imgtest::build_tiff(
                                  i == 1 ? imgtest::camera_exif(false, 320, 240) : noInterop))));
        else if (i == 12)
            WriteBytes(p, imgtest::make_bmp(64, 48));
        else
            WriteBytes(p, imgtest::make_jpeg(320 + i, 240));
        pictures.push_back(p);
    }

    FrameWindow frame(Options());
    frame.show();
    frame.resize(1000, 800);
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    frame.RunCommand(CMD_NEW_ALBUM);
    AlbumWindow* one = Active(frame);
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one->subWindow()->windowTitle(), "Album 1");
    EXPECT_EQ(one->property(child::kKind).toInt(), 2);
    EXPECT_EQ(one->property(child::kClass).toString(), "VOKAlbumChild");
    EXPECT_FALSE(one->album().modified);

    for (size_t i = 0; i < 9; ++i)
        Add(frame, pictures[i]);
    // A multi-selection: one answer of several files, separated by tabs, added in its order.
    Add(frame, pictures[9] + "\t" + pictures[10] + "\t" + pictures[11]);
    ASSERT_EQ(one->album().entries.size(), 12u) << Messages();
    EXPECT_EQ(Paths(one), pictures);
    EXPECT_EQ(Messages(), "");
    Add(frame, pictures[3]);
    EXPECT_NE(Messages().find("message 101 qubex\tThis image is registered already"),
              std::string::npos);
    Add(frame, Path("album.cal"));
    EXPECT_NE(Messages().find("message 40 "), std::string::npos) << "a missing file";

    // The grid: five columns, the canvas at the preferred size, the window around it.
    EXPECT_EQ(one->widget()->size(), QSize(680, 470));
    EXPECT_EQ(one->button(6)->pos(), QPoint(140, 160));
    EXPECT_EQ(one->button(11)->pos(), QPoint(140, 315));
    EXPECT_EQ(one->button(0)->property(child::kKind).toInt(), 3);
    // Dates: the Exif date of a JPEG, the file's day of a plain one, none for a BMP.
    EXPECT_EQ(one->album().entries[0].date.year, 1999);
    EXPECT_EQ(one->album().entries[0].date.month, 12);
    EXPECT_EQ(one->album().entries[0].date.day, 31);
    EXPECT_EQ(one->album().entries[1].date.year, 1999);
    EXPECT_EQ(one->album().entries[1].date.day, 31);
    EXPECT_GT(one->album().entries[2].date.year, 2000);
    EXPECT_TRUE(one->album().entries[11].date.empty());

    // Marks through the check boxes; the frame sees the count and the state dump the entries.
    QTest::mouseClick(one->button(1)->markBox(), Qt::LeftButton);
    QTest::mouseClick(one->button(4)->markBox(), Qt::LeftButton);
    QTest::mouseClick(one->button(7)->markBox(), Qt::LeftButton);
    QTest::mouseClick(one->button(7)->markBox(), Qt::LeftButton);
    EXPECT_EQ(one->property(child::kAlbumMarked).toInt(), 2);
    StateDump dump = frame.Dump();
    ASSERT_EQ(dump.children.size(), 1u);
    const QJsonArray entries = dump.children[0].extra["entries"].toArray();
    ASSERT_EQ(entries.size(), 12);
    EXPECT_EQ(entries[3].toObject()["path"].toString().toStdString(), pictures[3]);
    EXPECT_EQ(entries[3].toObject()["name"].toString(), "pic4.jpg");
    EXPECT_TRUE(entries[4].toObject()["marked"].toBool());
    EXPECT_FALSE(entries[7].toObject()["marked"].toBool());
    EXPECT_TRUE(dump.children[0].modified);

    // A click makes a button current; the arrows move it and stop at the ends.
    QTest::mouseClick(one->button(2), Qt::LeftButton, {}, QPoint(60, 60));
    EXPECT_EQ(one->album().current, 2);
    EXPECT_TRUE(one->property(child::kAlbumSelection).toBool());
    EXPECT_EQ(one->property(child::kAlbumSelectedName).toString(), "pic3.jpg");
    QTest::keyClick(one, Qt::Key_Up);
    EXPECT_EQ(one->album().current, 2) << "up on the first row";
    QTest::keyClick(one, Qt::Key_Down);
    QTest::keyClick(one, Qt::Key_Right);
    EXPECT_EQ(one->album().current, 8);
    QTest::keyClick(one, Qt::Key_Down);
    EXPECT_EQ(one->album().current, 8) << "down past the last entry";
    QTest::keyClick(one, Qt::Key_Left);
    QTest::keyClick(one, Qt::Key_Up);
    EXPECT_EQ(one->album().current, 2);

    // Renaming from the name field: a forbidden character keeps the typed name, a name
    // without a period gives the old one back, "holiday.2026" keeps the extension.
    QLineEdit* name = one->button(3)->nameField();
    EXPECT_TRUE(name->isReadOnly());
    QTest::mouseClick(name, Qt::LeftButton);
    EXPECT_FALSE(name->isReadOnly());
    EXPECT_EQ(one->album().current, 3);
    name->selectAll();
    QTest::keyClicks(name, "a:b.jpg");
    QTest::keyClick(name, Qt::Key_Return);
    std::string m = Messages();
    EXPECT_NE(m.find("error 198 qubex\tFilename cannot contain the following characters."),
              std::string::npos)
        << m;
    EXPECT_NE(m.find("characters.\\n\\n\t\\ / : * ? \" < > |"), std::string::npos) << m;
    EXPECT_EQ(name->text(), "a:b.jpg");
    EXPECT_FALSE(name->isReadOnly());
    name->selectAll();
    QTest::keyClicks(name, "nodot");
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_NE(Messages().find("message 46 "), std::string::npos);
    EXPECT_EQ(name->text(), "pic4.jpg");
    EXPECT_FALSE(name->isReadOnly());
    name->selectAll();
    QTest::keyClicks(name, "holiday.2026");
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(Messages(), "");
    EXPECT_TRUE(name->isReadOnly());
    EXPECT_EQ(one->album().entries[3].path, Path("holiday.2026.jpg"));
    EXPECT_EQ(name->text(), "holiday.2026.jpg");
    EXPECT_EQ(::access(pictures[3].c_str(), F_OK), -1);
    pictures[3] = Path("holiday.2026.jpg");
    // Clicking elsewhere without a change ends the editing.
    QLineEdit* first = one->button(0)->nameField();
    QTest::mouseClick(first, Qt::LeftButton);
    EXPECT_FALSE(first->isReadOnly());
    QTest::mouseClick(one->button(1), Qt::LeftButton, {}, QPoint(60, 60));
    EXPECT_TRUE(first->isReadOnly());
    EXPECT_EQ(one->album().current, 1);

    // Double click opens the picture, or brings forward the window that shows it (183).
    auto* shown = new QWidget;
    shown->setProperty(child::kKind, 1);
    shown->setProperty(child::kPath, QString::fromStdString(pictures[5]));
    QMdiSubWindow* shownSub = frame.mdiArea()->addSubWindow(shown);
    shownSub->show();
    Activate(frame, one);
    QTest::mouseDClick(one->button(5), Qt::LeftButton, {}, QPoint(60, 60));
    EXPECT_NE(Messages().find("message 183 "), std::string::npos);
    EXPECT_EQ(frame.mdiArea()->activeSubWindow(), shownSub);
    delete shownSub;

    // A second album: Copy and Paste, a second Paste is the same picture (101).
    frame.RunCommand(CMD_NEW_ALBUM);
    AlbumWindow* two = Active(frame);
    ASSERT_NE(two, one);
    EXPECT_EQ(two->subWindow()->windowTitle(), "Album 2");
    Activate(frame, one);
    one->SetCurrent(0);
    frame.RunCommand(CMD_COPY);
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    EXPECT_EQ(mime->text().toStdString(), pictures[0]);
    EXPECT_TRUE(mime->hasImage());
    EXPECT_EQ(mime->data("application/x-vok-dib").size(),
              qsizetype(one->album().entries[0].stored.size()));
    Activate(frame, two);
    frame.RunCommand(CMD_PASTE);
    frame.RunCommand(CMD_PASTE);
    EXPECT_NE(Messages().find("message 101 "), std::string::npos);
    ASSERT_EQ(Paths(two), std::vector<std::string>{pictures[0]});
    EXPECT_EQ(two->album().entries[0].stored, one->album().entries[0].stored);

    // Dragging: onto its own album nothing happens; onto the other album the entry is copied.
    frame.RunCommand(CMD_TILE);
    NextEvent();
    ImageButton* six = one->button(6);
    const auto releaseOver = [&](QWidget* target, QPoint at) {
        QTest::mousePress(six, Qt::LeftButton, {}, QPoint(60, 60));
        QTest::mouseRelease(six, Qt::LeftButton, {}, six->mapFromGlobal(target->mapToGlobal(at)));
    };
    releaseOver(one->button(8), QPoint(60, 60));
    EXPECT_EQ(one->album().entries.size(), 12u);
    EXPECT_EQ(two->album().entries.size(), 1u);
    EXPECT_EQ(Messages(), "");
    releaseOver(two->viewport(), QPoint(200, 40));
    ASSERT_EQ(Paths(two), (std::vector<std::string>{pictures[0], pictures[6]}));
    EXPECT_EQ(Active(frame), two);
    EXPECT_EQ(one->album().entries.size(), 12u) << "the source album keeps its entry";

    // Cut takes the current entry away and puts it on the clipboard.
    two->SetCurrent(0);
    frame.RunCommand(CMD_CUT);
    EXPECT_EQ(Paths(two), std::vector<std::string>{pictures[6]});
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), pictures[0]);
    EXPECT_EQ(two->album().current, 0);

    // Save As through the drive's answer: ".alb" added, the title follows.
    Activate(frame, one);
    frame.SetNextFileAnswer(QString::fromStdString(Path("trip")), 1);
    frame.RunCommand(CMD_SAVE);
    EXPECT_EQ(Messages(), "");
    EXPECT_EQ(one->album().path, Path("trip.alb"));
    EXPECT_EQ(one->subWindow()->windowTitle(), "trip.alb");
    EXPECT_FALSE(one->album().modified);
    EXPECT_FALSE(one->property(child::kModified).toBool());
    // The other album cannot be saved under the name this one has (184).
    Activate(frame, two);
    frame.SetNextFileAnswer(QString::fromStdString(Path("trip.alb")), 1);
    frame.RunCommand(CMD_SAVE_AS);
    EXPECT_NE(Messages().find("error 184 "), std::string::npos);
    EXPECT_TRUE(two->album().path.empty());

    // Closing: the modified album asks (151) and No closes it unsaved; the saved one does not.
    {
        ScopedEnv no("VOK_MSG_ANSWER", "no");
        two->subWindow()->close();
        NextEvent();
    }
    EXPECT_NE(Messages().find("yesnocancel 151 qubex\t(Album 2) was updated!!"), std::string::npos);
    {
        ScopedEnv cancel("VOK_MSG_ANSWER", "cancel");
        one->SetMarked(9, true);
        one->subWindow()->close();
        NextEvent();
        EXPECT_EQ(frame.mdiArea()->subWindowList().size(), 1) << "Cancel keeps the window";
        one->SetMarked(9, false);
    }
    Messages();
    one->subWindow()->close();
    NextEvent();
    EXPECT_TRUE(frame.mdiArea()->subWindowList().isEmpty());
    EXPECT_EQ(Messages(), "yesnocancel 151 qubex\t(trip.alb) was updated!! Do you want to save?\n")
        << "a mark set and cleared again still counts as a change";

    // Reopened through File Open: the same entries with their marks; a second open is 183.
    frame.SetNextFileAnswer(QString::fromStdString(Path("trip.alb")), -1);
    frame.RunCommand(CMD_FILE_OPEN);
    AlbumWindow* again = Active(frame);
    ASSERT_NE(again, nullptr) << Messages();
    EXPECT_EQ(again->subWindow()->windowTitle(), "trip.alb");
    EXPECT_EQ(Paths(again), pictures);
    const std::vector<AlbumPicture> shownPictures = AlbumPictures(again);
    ASSERT_EQ(shownPictures.size(), 12u);
    for (size_t i = 0; i < 12; ++i) {
        EXPECT_EQ(shownPictures[i].path.toStdString(), pictures[i]);
        EXPECT_EQ(shownPictures[i].marked, i == 1 || i == 4) << i;
    }
    EXPECT_FALSE(again->album().modified);
    EXPECT_EQ(again->album().entries[0].date.year, 1999);
    frame.SetNextFileAnswer(QString::fromStdString(Path("trip.alb")), -1);
    frame.RunCommand(CMD_FILE_OPEN);
    EXPECT_NE(Messages().find("message 183 "), std::string::npos);
    EXPECT_EQ(frame.mdiArea()->subWindowList().size(), 1);
    again->subWindow()->close();
    NextEvent();
}

TEST_F(AlbumWindowTest, TheDownloadAlbumTakesAHundredPicturesAndTheNextStartsAnother) {
    FrameWindow frame(Options());
    frame.show();
    QPointer<QWidget> download;
    const Dib tiny = albumtest::MakeDib(8, 6, 24, albumtest::Where);
    for (int i = 0; i < 101; ++i) {
        const std::string p = Path("DSC" + std::to_string(10000 + i) + ".bmp");
        WriteFile(p, albumtest::BmpFile(tiny));
        ASSERT_TRUE(AddToDownloadAlbum(&frame, &download, QString::fromStdString(p))) << i;
        if (i == 98) {
            // Another album window in between does not take the downloads.
            frame.RunCommand(CMD_NEW_ALBUM);
        }
    }
    const std::vector<AlbumWindow*> albums = AlbumWindows(frame.mdiArea());
    ASSERT_EQ(albums.size(), 3u);
    EXPECT_EQ(albums[0]->album().entries.size(), 100u);
    EXPECT_EQ(albums[1]->album().entries.size(), 0u);
    EXPECT_EQ(albums[2]->album().entries.size(), 1u);
    EXPECT_EQ(download.data(), albums[2]);
    EXPECT_EQ(albums[0]->widget()->size(), QSize(680, 19 * 155 + 160));
    EXPECT_EQ(Messages(), "");
    // The full album refuses the 101st picture from Add to Album (102).
    frame.mdiArea()->setActiveSubWindow(albums[0]->subWindow());
    Add(frame, Path("DSC10100.bmp"));
    EXPECT_NE(Messages().find("message 102 qubex\tThis album is full."), std::string::npos);
    EXPECT_EQ(albums[0]->album().entries.size(), 100u);
    // A closed download album is replaced by a new one.
    {
        ScopedEnv no("VOK_MSG_ANSWER", "no");
        albums[2]->subWindow()->close();
        NextEvent();
    }
    EXPECT_TRUE(download.isNull());
    ASSERT_TRUE(
        AddToDownloadAlbum(&frame, &download, QString::fromStdString(Path("DSC10000.bmp"))));
    EXPECT_EQ(qobject_cast<AlbumWindow*>(download.data())->album().entries.size(), 1u);
    // A camera movie goes in with its first picture as thumbnail.
    std::vector<rt70sim::Bytes> frames(2);
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(rt70sim::encodeJpeg(rt70sim::demoPicture(160, 120, i + 1), 75, true, nullptr,
                                        &frames[size_t(i)]));
    const rt70sim::Bytes movie = rt70sim::movieFile(frames, 160, 120, 10);
    WriteFile(Path("DSC10001.mov"), std::string(movie.begin(), movie.end()));
    ASSERT_TRUE(AddToDownloadAlbum(&frame, &download, QString::fromStdString(Path("DSC10001.mov"))))
        << Messages();
    const Album& last = qobject_cast<AlbumWindow*>(download.data())->album();
    ASSERT_EQ(last.entries.size(), 2u);
    EXPECT_EQ(last.entries[1].path, Path("DSC10001.mov"));
    ASSERT_TRUE(BitmapSize(last.entries[1].stored) == (Size{96, 72}));
    const Rgb corner = ThumbnailPixel(last.entries[1].stored, 2, 2);
    const Rgb middle = ThumbnailPixel(last.entries[1].stored, 48, 36);
    EXPECT_FALSE(corner.red == middle.red && corner.green == middle.green &&
                 corner.blue == middle.blue)
        << "a picture, not a plain face";
    EXPECT_EQ(Messages().find("message "), std::string::npos);
}
