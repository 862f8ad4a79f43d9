/* The frame's wiring offscreen: bars per the settings file and written back at exit, the
 * enable rules after the next event for album and image windows, help texts of grayed items,
 * the shutdown rule while communicating, Close All with a window that refuses, the toolbar
 * toggles keeping button states, File Open through the drive answer, and JPEG decoding and
 * compression with the meter dialog, and the camera commands grayed while communicating with
 * Data out's multi-selection dialog. */
#include "child_record.h"
#include "commands.h"
#include "frame_window.h"
#include "handoff.h"
#include "image_builders.h"
#include "offscreen_frame.h"
#include "jpeg_meter.h"
#include "settings_file.h"
#include "vok_test_env.h"

#include "VokDscMsg.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QEventLoop>
#include <QFileDialog>
#include <QTimer>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProgressBar>
#include <QTest>
#include <QToolBar>

#include <sys/stat.h>

using namespace qubex;
using voktest::NextEvent;
using voktest::Options;
using voktest::ReadFile;
using voktest::ScopedEnv;
using voktest::TempHome;
using voktest::WriteFile;

namespace {

/* A document window as the later subsystems will make one: it says what it is through the
 * child properties, and may refuse to close. */
class FakeChild : public QWidget {
  public:
    bool refuse = false;

  protected:
    void closeEvent(QCloseEvent* e) override {
        if (refuse)
            e->ignore();
        else
            e->accept();
    }
};

FakeChild* AddChild(FrameWindow& frame, int kind, const QString& name) {
    auto* w = new FakeChild;
    w->setProperty(child::kKind, kind);
    w->setProperty(child::kClass, kind == 2 ? "VOKAlbumChild" : "VOKNormalChild");
    w->setProperty(child::kHasDocument, true);
    w->setProperty(child::kDisplayName, name);
    w->setProperty(child::kPath, "/pictures/" + name);
    w->setProperty(child::kSourceType, 2);
    QMdiSubWindow* sub = frame.mdiArea()->addSubWindow(w);
    sub->setWindowTitle(name);
    sub->show();
    frame.mdiArea()->setActiveSubWindow(sub);
    return w;
}

/* Lets the loop run until it would wait: the frame refreshes its states then. */
std::string Text(int number) {
    char buffer[VOK_MSG_BUFFER] = {};
    VokDsc_Msg_GetString(number, buffer, sizeof buffer);
    return buffer;
}

class FrameTest : public voktest::OffscreenFrameTest {
  protected:
    FrameTest() : OffscreenFrameTest("qubexframe") {}
};

} // namespace

TEST_F(FrameTest, BarsFollowTheSettingsFileAndAreWrittenBackAtExit) {
    SettingsFile ini(DefaultIniPath());
    ini.WriteInt("VOKAPP", "Tool", 0);
    ini.WriteInt("VOKAPP", "Status", 2);
    {
        FrameWindow frame(Options());
        EXPECT_EQ(frame.toolBar(), nullptr);
        EXPECT_TRUE(frame.StatusTexts().empty());
        EXPECT_FALSE(frame.MenuAction(CMD_TOOLBAR)->isChecked());
        EXPECT_FALSE(frame.MenuAction(CMD_STATUSBAR)->isChecked());
        const StateDump d = frame.Dump();
        EXPECT_TRUE(d.toolbar.empty());
        EXPECT_TRUE(d.status.empty());
    }
    ini.WriteInt("VOKAPP", "Tool", 1);
    ini.WriteInt("VOKAPP", "Status", 1);
    {
        FrameWindow frame(Options());
        frame.show();
        EXPECT_EQ(frame.toolBar(), nullptr);
        EXPECT_TRUE(frame.StatusTexts().empty());
        frame.RunCommand(CMD_EXIT);
        EXPECT_FALSE(frame.isVisible());
    }
    EXPECT_EQ(ini.ReadInt("VOKAPP", "Tool", 9), 1);
    EXPECT_EQ(ini.ReadInt("VOKAPP", "Status", 9), 1);
    EXPECT_EQ(ini.ReadInt("VOKAPP", "ToolBox", 9), 0);

    // Defaults: both bars, toolbar buttons in their first states, "Ready" in field 0.
    WriteFile(DefaultIniPath(), "");
    FrameWindow frame(Options());
    frame.show();
    NextEvent();
    ASSERT_NE(frame.toolBar(), nullptr);
    EXPECT_EQ(frame.StatusTexts().size(), 5u);
    EXPECT_EQ(frame.StatusTexts()[0].toStdString(), Text(MSG_READY));
    const StateDump d = frame.Dump();
    ASSERT_EQ(d.toolbar.size(), 14u);
    for (const DumpButton& b : d.toolbar)
        EXPECT_EQ(b.enabled, ButtonInitiallyEnabled(b.id)) << b.id;
    EXPECT_FALSE(frame.MenuAction(CMD_TOOL)->isEnabled());

    // Toolbar off and on again keeps the buttons' states.
    frame.RunCommand(CMD_TOOLBAR);
    EXPECT_EQ(frame.toolBar(), nullptr);
    EXPECT_FALSE(frame.MenuAction(CMD_TOOLBAR)->isChecked());
    frame.RunCommand(CMD_TOOLBAR);
    ASSERT_NE(frame.toolBar(), nullptr);
    EXPECT_TRUE(frame.ButtonAction(BTN_DATA_IN)->isEnabled());
    EXPECT_FALSE(frame.ButtonAction(BTN_SAVE_AS)->isEnabled());
    frame.RunCommand(CMD_STATUSBAR);
    EXPECT_TRUE(frame.StatusTexts().empty());
    frame.RunCommand(CMD_STATUSBAR);
    EXPECT_EQ(frame.StatusTexts().size(), 5u);
}

TEST_F(FrameTest, EnableRulesApplyAfterTheNextEvent) {
    FrameWindow frame(Options());
    frame.show();
    NextEvent();
    EXPECT_FALSE(frame.MenuAction(CMD_SAVE)->isEnabled());
    // Highlighting the grayed Save shows its second text.
    QAction* save = frame.MenuAction(CMD_SAVE);
    auto* menu = qobject_cast<QMenu*>(save->parent());
    ASSERT_NE(menu, nullptr);
    emit menu->hovered(save);
    EXPECT_EQ(frame.StatusTexts()[0].toStdString(), Text(418));
    emit menu->aboutToHide();
    EXPECT_EQ(frame.StatusTexts()[0].toStdString(), Text(MSG_READY));

    FakeChild* album = AddChild(frame, KIND_ALBUM, "Holiday.alb");
    NextEvent();
    EXPECT_FALSE(frame.MenuAction(CMD_CUT)->isEnabled());
    EXPECT_FALSE(frame.MenuAction(CMD_COPY)->isEnabled());
    EXPECT_FALSE(frame.ButtonAction(BTN_CUT)->isEnabled());
    EXPECT_TRUE(frame.ButtonAction(BTN_ADD_TO_ALBUM)->isEnabled());
    EXPECT_TRUE(frame.MenuAction(CMD_SAVE)->isEnabled());
    album->setProperty(child::kAlbumSelection, true);
    album->setProperty(child::kAlbumSelectedName, "DSC00001.JPG");
    NextEvent();
    EXPECT_TRUE(frame.MenuAction(CMD_CUT)->isEnabled());
    EXPECT_TRUE(frame.MenuAction(CMD_COPY)->isEnabled());
    EXPECT_TRUE(frame.ButtonAction(BTN_COPY)->isEnabled());
    EXPECT_TRUE(frame.MenuAction(CMD_IMAGE_INFO)->isEnabled());

    // Image Information follows the case of the image window's name.
    FakeChild* image = AddChild(frame, KIND_IMAGE, "a.JPG");
    NextEvent();
    EXPECT_TRUE(frame.MenuAction(CMD_IMAGE_INFO)->isEnabled());
    EXPECT_FALSE(frame.ButtonAction(BTN_CUT)->isEnabled());
    image->setProperty(child::kDisplayName, "a.Jpg");
    NextEvent();
    EXPECT_FALSE(frame.MenuAction(CMD_IMAGE_INFO)->isEnabled());
    image->setProperty(child::kDisplayName, "year.cal");
    NextEvent();
    EXPECT_FALSE(frame.MenuAction(CMD_IMAGE_INFO)->isEnabled());
    EXPECT_TRUE(frame.MenuAction(CMD_TOOL)->isEnabled());

    const StateDump d = frame.Dump();
    ASSERT_EQ(d.children.size(), 2u);
    EXPECT_EQ(d.children[0].windowClass, "VOKAlbumChild");
    EXPECT_FALSE(d.children[0].active);
    EXPECT_TRUE(d.children[1].active);
    // Edit is there only in the image window that made the last change.
    EXPECT_FALSE(d.menus.at(CMD_UNDO).enabled);
    image->setProperty(child::kUndoHere, true);
    NextEvent();
    EXPECT_TRUE(frame.Dump().menus.at(CMD_UNDO).enabled);

    // Close All with a window that refuses leaves it, and a close request keeps the program.
    album->refuse = true;
    frame.RunCommand(CMD_EXIT);
    EXPECT_TRUE(frame.isVisible());
    EXPECT_EQ(frame.mdiArea()->subWindowList().size(), 1);
    album->refuse = false;
    frame.RunCommand(CMD_CLOSE_ALL);
    EXPECT_TRUE(frame.mdiArea()->subWindowList().isEmpty());
    NextEvent();
    EXPECT_FALSE(frame.MenuAction(CMD_CLOSE_ALL)->isEnabled());
}

TEST_F(FrameTest, ExitDuringACameraOperationShowsMessage130AndStays) {
    FrameWindow frame(Options());
    frame.show();
    frame.SetCommunicating(true);
    frame.RunCommand(CMD_EXIT);
    EXPECT_TRUE(frame.isVisible());
    frame.close();
    EXPECT_TRUE(frame.isVisible());
    const std::string log = ReadFile(home_.dir + "/messages.log");
    EXPECT_NE(log.find("message 130 qubex\t"), std::string::npos) << log;
    EXPECT_NE(log.find("message 130", log.find("message 130") + 1), std::string::npos)
        << "the close box is refused the same way";
    frame.SetCommunicating(false);
    frame.RunCommand(CMD_EXIT);
    EXPECT_FALSE(frame.isVisible());
}

TEST_F(FrameTest, FileOpenTakesTheDriveAnswerAndRefusesASecondWindow) {
    const std::string pictures = voktest::MakeDirs(home_.dir, "pictures");
    WriteFile(pictures + "/a.jpg", "not really a jpeg");
    FrameWindow frame(Options());
    frame.show();
    frame.SetNextFileAnswer(QString::fromStdString(pictures + "/a.jpg"), -1);
    frame.RunCommand(BTN_FILE_OPEN);
    EXPECT_EQ(frame.Dump().openRequests, std::vector<std::string>{pictures + "/a.jpg"});
    EXPECT_EQ(frame.settings().ReadText("VOKAPP", "dir", "", 260), pictures);
    // A missing file opens nothing.
    frame.SetNextFileAnswer(QString::fromStdString(pictures + "/gone.jpg"), -1);
    frame.RunCommand(CMD_FILE_OPEN);
    EXPECT_EQ(frame.Dump().openRequests.size(), 1u);

    // A file an image window shows already: message 183 and that window comes forward.
    FakeChild* shown = AddChild(frame, KIND_IMAGE, "a.jpg");
    shown->setProperty(child::kPath, QString::fromStdString(pictures + "/A.JPG"));
    AddChild(frame, KIND_ALBUM, "other.alb");
    frame.ActOnCommandLine("\"" + pictures + "/a.jpg\" " + pictures + "/missing.jpg");
    EXPECT_EQ(frame.Dump().openRequests.size(), 1u);
    EXPECT_EQ(frame.mdiArea()->activeSubWindow()->widget(), shown);
    EXPECT_NE(ReadFile(home_.dir + "/messages.log").find("message 183"), std::string::npos);
}

TEST_F(FrameTest, AHandOffRestoresAMinimisedFrameAndOpensItsFiles) {
    ::chmod(home_.dir.c_str(), 0700);
    WriteFile(home_.dir + "/a b.jpg", "a");
    FrameWindow frame(Options());
    frame.showMinimized();
    ASSERT_TRUE(frame.isMinimized());
    ASSERT_TRUE(WriteHandoff(HandoffPath(), "\"" + home_.dir + "/a b.jpg\""));
    frame.Handoff();
    EXPECT_FALSE(frame.isMinimized());
    EXPECT_EQ(frame.Dump().openRequests, std::vector<std::string>{home_.dir + "/a b.jpg"});
    frame.Handoff(); // the file was read once and removed: nothing opens twice
    EXPECT_EQ(frame.Dump().openRequests.size(), 1u);

    // A toolbar button under the mouse explains itself in field 0, enabled or not.
    frame.showNormal();
    QWidget* dataIn = frame.toolBar()->widgetForAction(frame.ButtonAction(BTN_DATA_IN));
    QEvent enter(QEvent::Enter), leave(QEvent::Leave);
    QApplication::sendEvent(dataIn, &enter);
    EXPECT_EQ(frame.StatusTexts()[0].toStdString(), Text(375));
    QApplication::sendEvent(dataIn, &leave);
    EXPECT_EQ(frame.StatusTexts()[0].toStdString(), Text(MSG_READY));
    QWidget* saveAs = frame.toolBar()->widgetForAction(frame.ButtonAction(BTN_SAVE_AS));
    QApplication::sendEvent(saveAs, &enter);
    EXPECT_EQ(frame.StatusTexts()[0].toStdString(), Text(419));
}

TEST_F(FrameTest, JpegCodingShowsTheMeterWithTheFrameDisabled) {
    FrameWindow frame(Options());
    frame.show();
    const std::string jpeg = home_.dir + "/in.jpg";
    ASSERT_TRUE(imgtest::write_file(jpeg, imgtest::make_jpeg(200, 150)));
    const QString bmp = QString::fromStdString(home_.dir + "/out.bmp");

    struct Seen {
        bool meter = false;
        bool meterEnabled = false;
        bool frameEnabled = true;
        QString line1;
        QString line2;
        int lastBar = -1;
    } seen;
    // Runs between rows, as waiting timers are dispatched there.
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* meter = frame.findChild<QDialog*>("MeterDlg");
        if (!meter)
            return;
        seen.meter = meter->isVisible();
        seen.meterEnabled = meter->isEnabled();
        seen.frameEnabled = frame.isEnabled();
        seen.line1 = meter->findChild<QLabel*>("1037")->text();
        seen.line2 = meter->findChild<QLabel*>("1038")->text();
        seen.lastBar = meter->findChild<QProgressBar*>("1036")->value();
    });
    watch.start();
    ASSERT_TRUE(ExtractJpegToBmp(&frame, QString::fromStdString(jpeg), bmp, "in.jpg"));
    watch.stop();
    EXPECT_TRUE(seen.meter);
    EXPECT_TRUE(seen.meterEnabled);
    EXPECT_FALSE(seen.frameEnabled);
    EXPECT_EQ(seen.line1.toStdString(), Text(MSG_EXTRACTING));
    EXPECT_EQ(seen.line2.toStdString(), "File Name: in.jpg");
    EXPECT_GE(seen.lastBar, 24); // the last row's position, as far as the watch saw
    EXPECT_TRUE(frame.isEnabled());
    EXPECT_EQ(frame.findChild<QDialog*>("MeterDlg"), nullptr);
    const std::string bytes = ReadFile(bmp.toStdString());
    ASSERT_GT(bytes.size(), 54u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(bytes.size(), 54u + ((200u * 3 + 3) & ~3u) * 150u);

    // Back to a JPEG, with its own text.
    seen = Seen{};
    watch.start();
    const QString again = QString::fromStdString(home_.dir + "/again.jpg");
    ASSERT_TRUE(CompressBmpToJpeg(&frame, bmp, again, 75, "again.jpg"));
    watch.stop();
    EXPECT_TRUE(seen.meter);
    EXPECT_EQ(seen.line1.toStdString(), Text(MSG_COMPRESSING));
    EXPECT_EQ(ReadFile(again.toStdString()).substr(0, 2), "\xFF\xD8");
    EXPECT_TRUE(frame.isEnabled());

    // Failures: nothing to open, and a file the decoder cannot start on.
    const std::string log = home_.dir + "/messages.log";
    EXPECT_FALSE(ExtractJpegToBmp(&frame, QString::fromStdString(home_.dir + "/missing.jpg"), bmp,
                                  "missing.jpg"));
    EXPECT_NE(ReadFile(log).find("error 42 qubex\t"), std::string::npos) << ReadFile(log);
    EXPECT_TRUE(frame.isEnabled());
    const size_t first = ReadFile(log).find("error 42");
    EXPECT_FALSE(CompressBmpToJpeg(&frame, QString::fromStdString(jpeg), again, 75, "in.jpg"));
    EXPECT_NE(ReadFile(log).find("error 42", first + 1), std::string::npos) << "not a BMP";

    // The camera library's progress dialog on screen takes the rows; no meter opens.
    QWidget camera;
    auto* bar = new QProgressBar(&camera);
    camera.show();
    seen = Seen{};
    watch.start();
    ASSERT_TRUE(ExtractJpegToBmp(&frame, QString::fromStdString(jpeg), bmp, "in.jpg", &camera));
    watch.stop();
    EXPECT_FALSE(seen.meter);
    EXPECT_EQ(bar->maximum(), 25);
    EXPECT_EQ(bar->value(), 25);
}

TEST_F(FrameTest, CommunicatingGraysTheCameraCommandsAndDataOutOpensItsDialog) {
    FrameWindow frame(Options());
    frame.show();
    auto cameraStates = [&frame] {
        const StateDump d = frame.Dump();
        std::vector<bool> states;
        for (int id : {CMD_DATA_IN, CMD_DATA_OUT, CMD_CLOCK})
            states.push_back(d.menus.at(id).enabled);
        for (const DumpButton& b : d.toolbar)
            if (b.id == BTN_DATA_IN || b.id == BTN_DATA_OUT)
                states.push_back(b.enabled);
        return states;
    };
    EXPECT_EQ(cameraStates(), std::vector<bool>(5, true));
    frame.SetCommunicating(true);
    NextEvent();
    EXPECT_EQ(cameraStates(), std::vector<bool>(5, false));
    frame.SetCommunicating(false);
    NextEvent();
    EXPECT_EQ(cameraStates(), std::vector<bool>(5, true));

    // Data out: the multi-selection dialog, titled and filtered for the camera's files.
    QString title;
    QStringList filters;
    bool several = false;
    QTimer::singleShot(50, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QFileDialog*>(w); dialog && dialog->isVisible()) {
                title = dialog->windowTitle();
                filters = dialog->nameFilters();
                several = dialog->fileMode() == QFileDialog::ExistingFiles;
                dialog->reject();
            }
    });
    frame.RunCommand(BTN_DATA_OUT);
    EXPECT_EQ(title, "PC to DSC File");
    EXPECT_TRUE(several);
    ASSERT_FALSE(filters.isEmpty());
    EXPECT_TRUE(filters[0].startsWith("All Files(jpg;tif")) << filters[0].toStdString();
    EXPECT_EQ(ReadFile(home_.dir + "/messages.log"), "") << "cancelled: the camera is not asked";
}
