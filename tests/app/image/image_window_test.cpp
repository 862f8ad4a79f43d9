/* The image windows' wiring offscreen: JPEG, BMP and TIFF files opened through File Open,
 * the initial zoom, titles, View check marks and menus following the active window, the
 * scaled JPEG replaced by the full picture on zooming up, scrolling and pointer texts, the
 * shared undo, the close question answered Cancel and No, message 184, and the Save As dialog
 * changing the typed name's extension with the type. */
#include "child_record.h"
#include "demo_card.h"
#include "commands.h"
#include "frame_window.h"
#include "image_builders.h"
#include "offscreen_frame.h"
#include "image_commands.h"
#include "image_test_util.h"
#include "image_window.h"
#include "vok_test_env.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace qubex;
using qubex::image::ImageWindow;
using voktest::NextEvent;
using voktest::Options;
using voktest::ReadFile;
using voktest::ScopedEnv;
using voktest::TempHome;

namespace {

/* A 16-bit (5-5-5) BMP whose pixel x, y (from the top) has red x, green y, blue 7 (of 31). */
std::vector<uint8_t> Bmp16(int width, int height) {
    const int stride = (width * 2 + 3) / 4 * 4;
    std::vector<uint8_t> f(54 + size_t(stride) * height);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            f[at + i] = uint8_t(v >> (8 * i));
    };
    f[0] = 'B';
    f[1] = 'M';
    put32(2, uint32_t(f.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(width));
    put32(22, uint32_t(height));
    f[26] = 1;
    f[28] = 16;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint16_t p = uint16_t((x % 32) << 10 | (y % 32) << 5 | 7);
            const size_t at = 54 + size_t(height - 1 - y) * stride + 2 * x;
            f[at] = uint8_t(p);
            f[at + 1] = uint8_t(p >> 8);
        }
    return f;
}

/* Runs act on the file dialog once it shows (act must end it). */
void WhenFileDialogShows(const std::function<void(QFileDialog*)>& act, int tries = 500) {
    QTimer::singleShot(10, [act, tries] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
            act(dialog);
        else if (tries > 0)
            WhenFileDialogShows(act, tries - 1);
        else
            ADD_FAILURE() << "no file dialog";
    });
}

ImageWindow* Active(FrameWindow& frame) {
    QMdiSubWindow* sub = frame.mdiArea()->activeSubWindow();
    return sub ? qobject_cast<ImageWindow*>(sub->widget()) : nullptr;
}

ImageWindow* Open(FrameWindow& frame, const std::string& path) {
    frame.SetNextFileAnswer(QString::fromStdString(path), -1);
    frame.RunCommand(CMD_FILE_OPEN);
    NextEvent();
    return Active(frame);
}

std::string Title(ImageWindow* w) {
    return w->SubWindow()->windowTitle().toStdString();
}

int CheckedZoom(FrameWindow& frame) {
    for (int id = CMD_ZOOM_25; id <= CMD_ZOOM_400; ++id)
        if (frame.MenuAction(id)->isChecked())
            return id;
    return 0;
}

bool Enabled(FrameWindow& frame, int id) {
    return frame.Dump().menus[id].enabled;
}

class ImageWindowTest : public voktest::OffscreenFrameTest {
  protected:
    ImageWindowTest() : OffscreenFrameTest("qubeximagewin") {}
    std::string Log() const { return ReadFile(Path("messages.log")); }
};

} // namespace

TEST_F(ImageWindowTest, OpenZoomMenusUndoAndClose) {
    ASSERT_TRUE(imgtest::write_file(Path("big.jpg"), imgtest::make_jpeg(2048, 1536)));
    ASSERT_TRUE(imgtest::write_file(Path("b.bmp"), Bmp16(40, 30)));
    ASSERT_TRUE(imgtest::write_file(Path("c.tif"),
                                    imgtest::make_tiff_file(true, 24, 16, {}, false, false)));
    FrameWindow frame(Options());
    frame.resize(800, 600);
    frame.show();
    NextEvent();
    const QSize area = frame.mdiArea()->viewport()->size();
    ASSERT_GT(2048.0 / area.width(), 2.0) << "the JPEG must open at 25 % here";

    // The JPEG: 25 %, shown from the scaled decoding, its facts those of the whole picture.
    ImageWindow* jpeg = Open(frame, Path("big.jpg"));
    ASSERT_NE(jpeg, nullptr);
    EXPECT_EQ(Title(jpeg), "big.jpg [25%]");
    EXPECT_TRUE(jpeg->ShowsScaledPreview());
    EXPECT_EQ(jpeg->property(child::kKind).toInt(), 1);
    EXPECT_EQ(jpeg->property(child::kClass).toString(), "VOKNormalChild");
    QJsonObject extra = jpeg->property(child::kDumpExtra).toJsonObject();
    EXPECT_EQ(extra["width"].toInt(), 2048);
    EXPECT_EQ(extra["height"].toInt(), 1536);
    EXPECT_EQ(extra["zoom"].toInt(), 25);
    EXPECT_EQ(extra["source_type"].toInt(), 2);
    EXPECT_EQ(jpeg->ZoomedSize(), QSize(512, 384));
    EXPECT_EQ(jpeg->viewport()->size(), QSize(512, 384)) << "the window fits the picture";
    EXPECT_EQ(CheckedZoom(frame), CMD_ZOOM_25);
    EXPECT_TRUE(Enabled(frame, CMD_ROTATE_RIGHT)) << "Image menu for a JPEG";
    EXPECT_TRUE(Enabled(frame, CMD_ZOOM_400));
    EXPECT_FALSE(Enabled(frame, CMD_UNDO)) << "Edit grayed: no change made here";

    // 100 % needs the whole picture: decoded with the meter, then scrolled by quarter steps.
    frame.RunCommand(CMD_ZOOM_100);
    NextEvent();
    EXPECT_FALSE(jpeg->ShowsScaledPreview());
    EXPECT_EQ(Title(jpeg), "big.jpg [100%]");
    EXPECT_EQ(CheckedZoom(frame), CMD_ZOOM_100);
    EXPECT_FALSE(Enabled(frame, CMD_UNDO)) << "the meter's end must not bring Edit back";
    QScrollBar* h = jpeg->horizontalScrollBar();
    const int client = jpeg->viewport()->width();
    EXPECT_LE(jpeg->SubWindow()->width(), area.width()) << "never wider than the MDI area";
    EXPECT_EQ(h->maximum(), 2048 - client);
    h->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(h->value(), client / 4);
    h->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(h->value(), client / 4 + client);
    // A wheel notch down moves by about a line step.
    QScrollBar* v = jpeg->verticalScrollBar();
    const int rows = jpeg->viewport()->height();
    QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(jpeg->viewport(), &wheel);
    EXPECT_NEAR(v->value(), rows / 4, 3);
    v->setValue(0);
    QMouseEvent move(QEvent::MouseMove, QPointF(10, 20), QPointF(10, 20), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(jpeg->viewport(), &move);
    EXPECT_EQ(frame.StatusTexts()[2].toStdString(),
              image::PointerText(10 + client / 4 + client, 20));

    // A 16-bit BMP at 100 %, then 400 %: title and check mark follow; the JPEG's zoom
    // comes back with its window.
    ImageWindow* bmp = Open(frame, Path("b.bmp"));
    ASSERT_NE(bmp, jpeg);
    EXPECT_EQ(Title(bmp), "b.bmp [100%]");
    EXPECT_EQ(bmp->doc().bitCount, 16u);
    frame.RunCommand(CMD_ZOOM_400);
    EXPECT_EQ(Title(bmp), "b.bmp [400%]");
    EXPECT_EQ(bmp->viewport()->size(), QSize(160, 120));
    EXPECT_EQ(CheckedZoom(frame), CMD_ZOOM_400);
    frame.mdiArea()->setActiveSubWindow(jpeg->SubWindow());
    EXPECT_EQ(CheckedZoom(frame), CMD_ZOOM_100);

    // The TIFF opens with the Image menu grayed and View still there.
    ImageWindow* tiff = Open(frame, Path("c.tif"));
    ASSERT_NE(tiff, nullptr);
    EXPECT_EQ(Title(tiff), "c.tif [100%]");
    NextEvent();
    EXPECT_FALSE(Enabled(frame, CMD_ADJUST));
    EXPECT_FALSE(Enabled(frame, CMD_ROTATE_RIGHT));
    EXPECT_TRUE(Enabled(frame, CMD_ZOOM_25));
    // A Motion-JPEG movie is no JPEG picture: until a movie window takes it, message 46.
    {
        const rt70sim::Bytes movie =
            rt70sim::movieFile({imgtest::make_jpeg(64, 48)}, 64, 48, 1, rt70sim::Bytes(8000, 0x80));
        ASSERT_TRUE(imgtest::write_file(Path("m.mov"), movie));
        EXPECT_FALSE(image::OpenImageFile(&frame, QString::fromStdString(Path("m.mov")), "m.mov"));
        EXPECT_EQ(frame.mdiArea()->subWindowList().size(), 3);
        EXPECT_NE(Log().find("error 46"), std::string::npos);
    }
    // The same file again: message 183, no second window.
    Open(frame, Path("big.jpg"));
    EXPECT_EQ(frame.mdiArea()->subWindowList().size(), 3);
    EXPECT_NE(Log().find("message 183"), std::string::npos);

    // One undo level: a change in the BMP window makes Edit available there only; undo asks
    // message 196 and exchanges the pictures, twice returns to the change.
    frame.mdiArea()->setActiveSubWindow(bmp->SubWindow());
    const image::Dib before = bmp->doc().image;
    image::Dib changed = before;
    changed.back() ^= 0xFF;
    ASSERT_TRUE(bmp->ChangeImage(changed, image::kUndoAdjust));
    EXPECT_EQ(Title(bmp), "b.bmp* [400%]");
    NextEvent();
    EXPECT_TRUE(Enabled(frame, CMD_UNDO));
    frame.mdiArea()->setActiveSubWindow(tiff->SubWindow());
    NextEvent();
    EXPECT_FALSE(Enabled(frame, CMD_UNDO)) << "the TIFF window made no change";
    frame.mdiArea()->setActiveSubWindow(bmp->SubWindow());
    {
        ScopedEnv yes("VOK_MSG_ANSWER", "yes");
        frame.RunCommand(CMD_UNDO);
        EXPECT_EQ(bmp->doc().image, before);
        frame.RunCommand(CMD_UNDO);
        EXPECT_EQ(bmp->doc().image, changed);
    }
    EXPECT_NE(Log().find("query 196"), std::string::npos);

    // Saving over the path another window shows: message 184, nothing written.
    frame.SetNextFileAnswer(QString::fromStdString(Path("c.tif")), 16);
    frame.RunCommand(CMD_SAVE_AS);
    EXPECT_NE(Log().find("error 184"), std::string::npos);
    EXPECT_TRUE(bmp->property(child::kModified).toBool());

    // Closing the changed window asks message 152: Cancel keeps it and its mark, No closes.
    {
        ScopedEnv cancel("VOK_MSG_ANSWER", "cancel");
        frame.RunCommand(CMD_CLOSE);
        EXPECT_EQ(frame.mdiArea()->subWindowList().size(), 3);
        EXPECT_EQ(Title(bmp), "b.bmp* [400%]");
    }
    EXPECT_NE(Log().find("yesnocancel 152 qubex\t(b.bmp* [400%]) was updated!!"), std::string::npos)
        << Log();
    {
        ScopedEnv no("VOK_MSG_ANSWER", "no");
        frame.RunCommand(CMD_CLOSE);
        NextEvent();
        EXPECT_EQ(frame.mdiArea()->subWindowList().size(), 2);
    }
    // A clean window closes without a question; the last one leaves no check mark.
    const size_t questions = Log().size();
    frame.RunCommand(CMD_CLOSE_ALL);
    NextEvent();
    EXPECT_TRUE(frame.mdiArea()->subWindowList().isEmpty());
    EXPECT_EQ(Log().size(), questions);
    EXPECT_TRUE(image::ImageWindow::All().empty());
}

TEST_F(ImageWindowTest, SaveAsDialogFollowsTheTypeAndSavesUnderTheTypedName) {
    ASSERT_TRUE(imgtest::write_file(Path("b.bmp"), Bmp16(40, 30)));
    FrameWindow frame(Options());
    frame.show();
    ImageWindow* bmp = Open(frame, Path("b.bmp"));
    ASSERT_NE(bmp, nullptr);
    ASSERT_TRUE(frame.settings().WriteText("VOKAPP", "dir", home_.dir));
    QStringList filters;
    QString shownName, afterType;
    WhenFileDialogShows([&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->objectName(), "FILESAVE");
        EXPECT_EQ(dialog->windowTitle(), "Save As");
        filters = dialog->nameFilters();
        auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
        auto* combo = dialog->findChild<QComboBox*>("fileTypeCombo");
        if (!edit || !combo) {
            ADD_FAILURE() << "the dialog has no name field or type list";
            QMetaObject::invokeMethod(dialog, "reject");
            return;
        }
        shownName = edit->text();
        combo->setCurrentIndex(5);
        emit combo->activated(5);
        afterType = edit->text();
        combo->setCurrentIndex(3);
        emit combo->activated(3);
        dialog->selectFile("photo");
        // done() takes the typed name as it stands, without the dialog's own checks.
        static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
    });
    frame.RunCommand(CMD_SAVE_AS);
    ASSERT_EQ(filters.size(), 6);
    EXPECT_EQ(filters[0].toStdString(), "JPEG(standard)(*.JPG) (*.jpg *.JPG)");
    EXPECT_EQ(filters[4].toStdString(), "Bitmap(256 Colour)(*.BMP) (*.bmp *.BMP)");
    EXPECT_EQ(shownName.toStdString(), "b.bmp") << "16 bits: full colour is not the default";
    EXPECT_EQ(afterType.toStdString(), "b.tif");
    // Typed without extension as a full-colour bitmap: photo.bmp at 24 bits.
    const std::vector<uint8_t> saved = imgtest::read_file(Path("photo.bmp"));
    ASSERT_GT(saved.size(), 54u) << Log();
    EXPECT_EQ(saved[28], 24);
    EXPECT_EQ(Title(bmp), "photo.bmp [100%]");
    EXPECT_EQ(bmp->doc().bitCount, 24u);
    const image::Dib dib(saved.begin() + 14, saved.end());
    EXPECT_EQ(imgtest::DibPixel(dib, 5, 3), (imgtest::Rgb{40, 24, 56}));
    EXPECT_EQ(frame.settings().ReadText("VOKAPP", "dir", "", 260), home_.dir);
    frame.RunCommand(CMD_CLOSE_ALL);
}
