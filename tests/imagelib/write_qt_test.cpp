/* The library's host services with a Qt application (offscreen): the preview's file
 * kinds, placement and drawing, the 256-colour reduction, the information dialog, and
 * the event processing of long loops, including a quit request that ends them. */
#include "img_write.h"
#include "write_helpers.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

using namespace imgw;

namespace {

QApplication* application() {
    static int argc = 1;
    static char name[] = "imagelib_write_qt_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return app;
}

class WriteQtTest : public WriteTest {
  protected:
    void SetUp() override {
        WriteTest::SetUp();
        application();
    }
};

// A 24-bit bitmap of one colour (blue, green, red).
Bytes flat_dib(uint32_t width, uint32_t height, uint8_t b, uint8_t g, uint8_t r) {
    Bytes dib = pattern_dib(width, height);
    for (uint32_t y = 0; y < height; ++y) {
        VokImgBlock view = view_of(dib);
        for (uint32_t x = 0; x < width; ++x) {
            unsigned char* p = const_cast<unsigned char*>(dib_pixel(&view, x, y));
            p[0] = b;
            p[1] = g;
            p[2] = r;
        }
    }
    return dib;
}

std::string save_bmp(WriteTest*, const std::string& path, Bytes dib) {
    VokImgBlock view = view_of(dib);
    EXPECT_EQ(SaveThumbNail(&view, path.c_str()), 1);
    return path;
}

} // namespace

TEST(ImgWritePreview, PlacementKeepsAspectWithinTheRectangleLessTen) {
    VokRect r = vokimg::preview_target(640, 480, VokRect{0, 0, 210, 210});
    EXPECT_EQ(r.right - r.left, 200);
    EXPECT_EQ(r.bottom - r.top, 150);
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(r.top, 30);
    r = vokimg::preview_target(480, 640, VokRect{100, 50, 310, 260});
    EXPECT_EQ(r.right - r.left, 150);
    EXPECT_EQ(r.bottom - r.top, 200);
    EXPECT_EQ(r.left, 130);
    EXPECT_EQ(r.top, 55);
    // A nearly square landscape in a low, wide rectangle still fits its height.
    r = vokimg::preview_target(640, 600, VokRect{0, 0, 410, 110});
    EXPECT_EQ(r.bottom - r.top, 100);
    EXPECT_EQ(r.right - r.left, 106);
    r = vokimg::preview_target(640, 480, VokRect{0, 0, 8, 8});
    EXPECT_EQ(r.right, r.left);
}

TEST_F(WriteTest, PreviewFileKindsAndTheFileToPreview) {
    using vokimg::PreviewKind;
    std::string jpg = put_work("a.jpg", imgtest::make_jpeg(64, 48));
    std::string bmp = put_work("a.bmp", imgtest::make_bmp(4, 4));
    std::string tif = put_work("a.tif", {'I', 'I', 0x2A, 0, 8, 0, 0, 0});
    std::string mm = put_work("b.tif", {'M', 'M', 0, 0x2A, 0, 0, 0, 8});
    std::string avi = put_work("a.avi", {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' '});
    std::string mov = put_work("a.mov", {0, 0, 0, 8, 'm', 'o', 'o', 'v'});
    Bytes cut = imgtest::make_jpeg(64, 48);
    cut.resize(cut.size() - 2);
    cut.resize(cut.size() + 4000, 0); // no end marker near the end
    std::string open = put_work("cut.jpg", cut);
    EXPECT_EQ(vokimg::preview_kind(jpg.c_str()), PreviewKind::Jpeg);
    EXPECT_EQ(vokimg::preview_kind(bmp.c_str()), PreviewKind::Bmp);
    EXPECT_EQ(vokimg::preview_kind(tif.c_str()), PreviewKind::Tiff);
    EXPECT_EQ(vokimg::preview_kind(mm.c_str()), PreviewKind::Tiff);
    EXPECT_EQ(vokimg::preview_kind(avi.c_str()), PreviewKind::Avi);
    EXPECT_EQ(vokimg::preview_kind(mov.c_str()), PreviewKind::QuickTime);
    EXPECT_EQ(vokimg::preview_kind(open.c_str()), PreviewKind::None);
    EXPECT_EQ(vokimg::preview_kind(in_work("none").c_str()), PreviewKind::None);

    char path[VOK_MAX_PATH];
    std::snprintf(path, sizeof path, "%s", bmp.c_str());
    EXPECT_EQ(VokDIB_GetPrevFile(nullptr, path, in_work("t.bmp").c_str()), 1);
    EXPECT_EQ(std::string(path), bmp);
    std::snprintf(path, sizeof path, "%s", tif.c_str());
    EXPECT_EQ(VokDIB_GetPrevFile(nullptr, path, in_work("t.bmp").c_str()), 1);
    EXPECT_EQ(std::string(path), tif);
    std::snprintf(path, sizeof path, "%s", jpg.c_str());
    EXPECT_EQ(VokDIB_GetPrevFile(nullptr, path, in_work("t.bmp").c_str()), 1);
    EXPECT_EQ(std::string(path), in_work("t.bmp"));
    EXPECT_EQ(vokimg::preview_kind(path), PreviewKind::Bmp);
    std::snprintf(path, sizeof path, "%s", avi.c_str());
    EXPECT_EQ(VokDIB_GetPrevFile(nullptr, path, in_work("u.bmp").c_str()), 0);
    std::snprintf(path, sizeof path, "%s", in_work("none.jpg").c_str());
    EXPECT_EQ(VokDIB_GetPrevFile(nullptr, path, in_work("u.bmp").c_str()), 0);

    VokRect a{9, 9, 9, 9};
    VokRect b{9, 9, 9, 9};
    EXPECT_EQ(GetJpegRect(jpg.c_str(), &a, &b), 0);
    EXPECT_EQ(a.left, 0);
    EXPECT_EQ(a.top, 0);
    EXPECT_EQ(a.right, 64);
    EXPECT_EQ(a.bottom, 48);
    EXPECT_EQ(b.right, 64);
    EXPECT_EQ(GetJpegRect(in_work("none.jpg").c_str(), &a, &b), 1);
}

TEST(ImgWritePreview, ReductionKeepsFewColoursAndCapsManyAt256) {
    // Twelve distinct reduced colours: all of them stay, each pixel exact.
    Bytes dib = pattern_dib(48, 10);
    VokImgBlock view = view_of(dib);
    for (uint32_t y = 0; y < 10; ++y) {
        for (uint32_t x = 0; x < 48; ++x) {
            unsigned char* p = const_cast<unsigned char*>(dib_pixel(&view, x, y));
            p[0] = uint8_t((x / 4) * 16);
            p[1] = uint8_t((x / 4) * 8);
            p[2] = uint8_t(240 - (x / 4) * 16);
        }
    }
    BlockPtr few(VokDIB_Reduce256(&view));
    ASSERT_TRUE(few);
    const unsigned char* h = few.get()->data;
    EXPECT_EQ(GetLe16(h + 14), 8u);
    ASSERT_EQ(GetLe32(h + 32), 12u);
    uint32_t stride = 48;
    const unsigned char* pixels = h + 40 + 4 * 12;
    for (uint32_t y = 0; y < 10; ++y) {
        for (uint32_t x = 0; x < 48; ++x) {
            const unsigned char* entry = h + 40 + 4 * pixels[(9 - y) * stride + x];
            const unsigned char* src = dib_pixel(&view, x, y);
            ASSERT_EQ(entry[0], src[0]);
            ASSERT_EQ(entry[1], src[1]);
            ASSERT_EQ(entry[2], src[2]);
        }
    }

    // Many colours: 256 entries, every coarse cell in use keeps a seed.
    Bytes many = pattern_dib(256, 128);
    VokImgBlock manyView = view_of(many);
    BlockPtr reduced(VokDIB_Reduce256(&manyView));
    ASSERT_TRUE(reduced);
    EXPECT_EQ(GetLe32(reduced.get()->data + 32), 256u);
    EXPECT_FALSE(VokDIB_Reduce256(few.get())); // only 24-bit bitmaps are reduced
}

TEST_F(WriteQtTest, PreviewDrawsCentredAndRefusesTiff) {
    std::string red = save_bmp(this, in_work("red.bmp"), flat_dib(640, 480, 0, 0, 255));
    QImage canvas(210, 210, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        VokRect rect{0, 0, 210, 210};
        EXPECT_EQ(VokDIB_PrevImage(&painter, red.c_str(), &rect), 1);
        std::string tif = put_work("a.tif", {'I', 'I', 0x2A, 0, 8, 0, 0, 0});
        EXPECT_EQ(VokDIB_PrevImage(&painter, tif.c_str(), &rect), 0);
        EXPECT_EQ(VokDIB_PrevImage(&painter, in_work("none.bmp").c_str(), &rect), 0);
    }
    EXPECT_EQ(canvas.pixelColor(5, 30), QColor(Qt::red));
    EXPECT_EQ(canvas.pixelColor(204, 179), QColor(Qt::red));
    EXPECT_EQ(canvas.pixelColor(105, 105), QColor(Qt::red));
    EXPECT_EQ(canvas.pixelColor(4, 105), QColor(Qt::white));
    EXPECT_EQ(canvas.pixelColor(105, 29), QColor(Qt::white));
    EXPECT_EQ(canvas.pixelColor(105, 180), QColor(Qt::white));
    QPainter inactive;
    VokRect rect{0, 0, 210, 210};
    EXPECT_EQ(VokDIB_PrevImage(&inactive, red.c_str(), &rect), 0);

    // An 8-bit bitmap draws through its colour table.
    std::string src = put_work("g.jpg", imgtest::make_jpeg(40, 30));
    std::string quantised = in_work("q.bmp");
    ASSERT_EQ(jpg2bmp(src.c_str(), quantised.c_str(), 8), 1);
    QImage small(60, 60, QImage::Format_RGB32);
    small.fill(Qt::white);
    QPainter p2(&small);
    VokRect r2{0, 0, 60, 60};
    EXPECT_EQ(VokDIB_PrevImage(&p2, quantised.c_str(), &r2), 1);
}

TEST_F(WriteQtTest, InformationDialogShowsTheRecord) {
    std::string src = put_work("src.jpg", imgtest::make_jpeg(320, 240));
    std::string path = in_work("photo.jpg");
    ASSERT_EQ(ChangeFormatToExifAndSave(src.c_str(), path.c_str(), nullptr, 0), 1);
    std::string fields[8];
    ASSERT_TRUE(vokimg::exif_dialog_fields(path.c_str(), fields));
    EXPECT_EQ(fields[0], "photo.jpg");
    EXPECT_EQ(fields[1], work_ + "/");
    EXPECT_EQ(fields[2], "Quintaral");
    EXPECT_EQ(fields[6], "320");
    EXPECT_EQ(fields[7], "240");
    EXPECT_NE(fields[4].find('.'), std::string::npos); // "DEC.07.2026 08:40:00"
    EXPECT_EQ(fields[4].size(), 20u);

    std::map<std::string, std::string> seen;
    bool selectionCleared = false;
    QString title;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        title = dialog->windowTitle();
        for (QLineEdit* e : dialog->findChildren<QLineEdit*>())
            seen[e->objectName().toStdString()] = e->text().toStdString();
        QLineEdit* name = dialog->findChild<QLineEdit*>("FileName");
        if (name) {
            name->selectAll();
            selectionCleared = !name->hasSelectedText();
        }
        seen["object"] = dialog->objectName().toStdString();
        for (QPushButton* b : dialog->findChildren<QPushButton*>())
            b->click();
    });
    EXPECT_EQ(ShowImageInfoDialog(nullptr, nullptr, path.c_str()), 1);
    EXPECT_EQ(seen["object"], "Exif_Dialog");
    EXPECT_EQ(title, "Image Information");
    EXPECT_EQ(seen["FileName"], "photo.jpg");
    EXPECT_EQ(seen["Manufacture"], "Quintaral");
    EXPECT_EQ(seen["Model"], "qubex    "); // the template's model text
    EXPECT_EQ(seen["ImageWidth"], "320");
    EXPECT_EQ(seen["ImageHeight"], "240");
    EXPECT_EQ(seen["Created"], fields[4]);
    EXPECT_TRUE(selectionCleared);
    EXPECT_EQ(ShowImageInfoDialog(nullptr, nullptr, in_work("none.jpg").c_str()), 0);

    // A bitmap has no known maker; its size shows, an unknown size stays blank.
    std::string bmp = put_work("a.bmp", imgtest::make_bmp(0, 0));
    ASSERT_TRUE(vokimg::exif_dialog_fields(bmp.c_str(), fields));
    EXPECT_EQ(fields[2], "");
    EXPECT_EQ(fields[6], "");
    setenv("LC_ALL", "fr_FR.UTF-8", 1);
    EXPECT_STREQ(vokimg::exif_dialog_labels()[3], "Fabricant");
    setenv("LC_ALL", "C", 1);
}

TEST_F(WriteQtTest, LongLoopsKeepProcessingEvents) {
    Bytes big = pattern_dib(640, 480);
    VokImgBlock view = view_of(big);
    int ticks = 0;
    QTimer::singleShot(0, [&] { ++ticks; });
    BlockPtr out(CreateAdjustSizeToDSC(&view, 480, 640, 320, 240));
    EXPECT_TRUE(out);
    EXPECT_EQ(ticks, 1); // ran during the resampling, without an event loop of its own

    // A quit request during the resampling ends it; the request reaches the application.
    bool ended = false;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        BlockPtr cut(CreateAdjustSizeToDSC(&view, 480, 640, 320, 240));
        ended = !cut;
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(7); });
    guard.start(10000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_TRUE(ended);

    // The same request fails a conversion at its thumbnail, with the library's text.
    std::string src = put_work("src.jpg", imgtest::make_jpeg(320, 240));
    std::string log = dir_ + "/boxes.log";
    setenv("VOK_MSG_LOG", log.c_str(), 1);
    setenv("VOK_MSG_ANSWER", "ok", 1);
    KeepTargetApplicationHandle(nullptr, "qubex");
    int result = -5;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        result = ChangeFormatToExifAndSave(src.c_str(), in_work("out.jpg").c_str(), nullptr, 0);
    });
    guard.start(10000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(std::filesystem::exists(in_work("out.jpg")));
    Bytes logged = imgtest::read_file(log);
    EXPECT_NE(std::string(logged.begin(), logged.end()).find("Can not change to thumbnail."),
              std::string::npos);
}

TEST_F(WriteQtTest, LibraryBoxShowsTheArrowAndLeavesTheHostsCursorStack) {
    std::string log = dir_ + "/boxes.log";
    setenv("VOK_MSG_LOG", log.c_str(), 1);
    setenv("VOK_MSG_ANSWER", "ok", 1);
    KeepTargetApplicationHandle(nullptr, "qubex");
    // The host shows a wait cursor around a conversion that fails with a library box.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    EXPECT_EQ(ChangeFormatToExifAndSave(in_work("missing.jpg").c_str(), in_work("out.jpg").c_str(),
                                        nullptr, 0),
              0);
    Bytes logged = imgtest::read_file(log);
    EXPECT_NE(std::string(logged.begin(), logged.end()).find("File cannot be opened."),
              std::string::npos);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::ArrowCursor);
    // The host's one restore ends its override; no cursor of the library's stays behind.
    QApplication::restoreOverrideCursor();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}
