// The selection dialog over a scripted camera, where every request can be counted: folder
// list rules as the user sees them, scrolling by rows with the deferred refetch, the cache
// trim at work, Shift selection with the mouse, and every way the dialog ends its connection.
#include <algorithm>
#include <map>

#include <QPainter>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include "DscSelection.h"
#include "FakeCamera.h"
#include "selection_dialog_env.h"

namespace {

struct Card {
    std::vector<uint16_t> folders;
    std::map<uint16_t, int> images;
    int32_t folderCount = -1; // -1: the size of folders
    bool failCounts = false, failLists = false, failThumbs = false;
    bool brokenThumbs = false; // thumbnails that are not JPEG data
};

Answer respond(Card* m, const Bytes& rq) {
    uint8_t seq = rq[1];
    uint16_t a = static_cast<uint16_t>(rq[4] | (rq[5] << 8));
    auto page = [seq](int total) { return PageSize(total, seq); };
    switch (rq[3]) {
    case DSC_CMD_COUNT_FOLDERS:
        return Answer{Packet(
            8, seq, 11,
            U32(page(m->folderCount >= 0 ? m->folderCount : static_cast<int>(m->folders.size()))))};
    case DSC_CMD_LIST_FOLDERS: {
        Bytes list;
        for (int i = 0; i < 50; ++i) {
            size_t at = seq * 50u + i;
            list = Cat(list, U16(at < m->folders.size() ? m->folders[at] : 1 + at));
        }
        return Answer{Packet(16, seq, 13, list)};
    }
    case DSC_CMD_COUNT_IMAGES:
        if (m->failCounts)
            return Answer{{}, true};
        return Answer{Packet(8, seq, 8, U16(page(m->images.count(a) ? m->images[a] : 0)))};
    case DSC_CMD_LIST_IMAGES: {
        if (m->failLists)
            return Answer{{}, true};
        Bytes list;
        for (int i = 0; i < 50; ++i)
            list = Cat(list, U16(seq * 50u + i + 1));
        return Answer{Packet(16, seq, 15, list)};
    }
    case DSC_CMD_THUMB_INFO:
        if (m->failThumbs)
            return Answer{{}, true};
        if (m->brokenThumbs)
            return Answer{Packet(8, seq, 29, Cat({1}, U32(64)))};
        return Answer{Status(seq, 6)}; // no thumbnail: the no-thumbnail picture
    case DSC_CMD_READ_BLOCK:
        return Answer{Packet(2, seq, 5, Bytes(64, 0x55))};
    default:
        return Answer{Status(seq, 0)};
    }
}

class SelectionGrid : public ::testing::Test {
  protected:
    TempHome home;
    voktest::ScopedEnv tmp{"TMPDIR", home.dir};
    voktest::ScopedEnv answer{"VOK_MSG_ANSWER", "ok"};
    FakeCamera camera;
    Observer observer;
    Card card;

    void SetUp() override {
        VokDscCom_SetApplicationInfo(nullptr, "test", 1, 5, "");
        camera.responder = [this](const Bytes& rq) { return respond(&card, rq); };
    }
    void TearDown() override {
        if (QDialog* d = SelectionDialog())
            Control<QPushButton>(d, 2)->click();
        QCoreApplication::processEvents();
        DscCom_ReleaseBuffers();
    }
    QDialog* open() {
        EXPECT_EQ(DscCom_OpenConnection(), 1);
        EXPECT_EQ(DscSel_OpenDialog(DscCom_Record()), 0);
        return SelectionDialog();
    }
    // Opens on one folder, 100, of that many images.
    QDialog* openFolder(int images) {
        card.folders = {100};
        card.images = {{100, images}};
        return open();
    }
    void preview(QDialog* d) { QTest::mouseClick(Control<QPushButton>(d, 1021), Qt::LeftButton); }
    // Image numbers asked for with command 22, in order.
    std::vector<int> thumbRequests() {
        std::vector<int> out;
        for (const Bytes& rq : camera.requests)
            if (rq[3] == DSC_CMD_THUMB_INFO)
                out.push_back(rq[6] | (rq[7] << 8));
        return out;
    }
    static std::vector<int> range(int first, int last) {
        std::vector<int> out;
        for (int i = first; i <= last; ++i)
            out.push_back(i);
        return out;
    }
    void endScroll(QDialog* d) {
        QTest::mouseRelease(Control<QScrollBar>(d, 1018), Qt::LeftButton);
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }
    void scrollTo(QDialog* d, int position) {
        auto* bar = Control<QScrollBar>(d, 1018);
        bar->setSliderPosition(position);
        bar->triggerAction(QAbstractSlider::SliderMove);
        endScroll(d);
    }
    bool closed() {
        QCoreApplication::processEvents();
        return SelectionDialog() == nullptr && DscCom_Record()->sendBuffer == nullptr &&
               camera.count(DSC_CMD_END) == 1;
    }
};

TEST_F(SelectionGrid, LeadingEmptyFoldersAreNotListed) {
    card.folders = {100, 101, 102, 103};
    card.images = {{102, 3}};
    QDialog* d = open();
    ASSERT_NE(d, nullptr);
    auto* folders = Control<QComboBox>(d, 1017);
    ASSERT_EQ(folders->count(), 2);
    EXPECT_EQ(folders->itemText(0), QStringLiteral("102"));
    EXPECT_EQ(folders->itemText(1), QStringLiteral("103"));
    EXPECT_EQ(Control<QLabel>(d, 1025)->text(), QStringLiteral("3"));
    EXPECT_TRUE(Control<QPushButton>(d, 1021)->isEnabled());
    EXPECT_TRUE(folders->isEnabled());
    // The first folder was counted while skipping; it is not counted again.
    EXPECT_EQ(camera.count(DSC_CMD_COUNT_IMAGES), 3);
}

TEST_F(SelectionGrid, AllFoldersEmptyDisablesListAndPreview) {
    card.folders = {100, 101};
    QDialog* d = open();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(Control<QComboBox>(d, 1017)->count(), 2);
    EXPECT_FALSE(Control<QComboBox>(d, 1017)->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(d, 1021)->isEnabled());
    EXPECT_EQ(Control<QLabel>(d, 1025)->text(), QStringLiteral("0"));
    EXPECT_TRUE(Control<QPushButton>(d, 2)->isEnabled());
}

TEST_F(SelectionGrid, ThousandFoldersCloseTheDialogWithAMessage) {
    card.folderCount = 1000;
    open();
    EXPECT_TRUE(closed());
    EXPECT_EQ(observer.messages, std::vector<int>{6});
    EXPECT_EQ(camera.count(DSC_CMD_LIST_FOLDERS), 0);
}

TEST_F(SelectionGrid, CameraWithoutFoldersShowsMessage53) {
    open();
    EXPECT_TRUE(closed());
    EXPECT_EQ(observer.messages, std::vector<int>{53});
}

TEST_F(SelectionGrid, CountFailureAtOpeningCloses) {
    card.folders = {100};
    card.failCounts = true;
    open();
    EXPECT_TRUE(closed());
    EXPECT_EQ(observer.messages, (std::vector<int>{14, 129}));
}

TEST_F(SelectionGrid, FailedFolderChangeCloses) {
    card.folders = {100, 101};
    card.images = {{100, 2}, {101, 2}};
    QDialog* d = open();
    ASSERT_NE(d, nullptr);
    card.failCounts = true;
    auto* folders = Control<QComboBox>(d, 1017);
    folders->setCurrentIndex(1);
    emit folders->activated(1);
    EXPECT_TRUE(closed());
    EXPECT_EQ(observer.messages, (std::vector<int>{14, 6}));
}

TEST_F(SelectionGrid, FailedImageListKeepsTheDialogOpen) {
    QDialog* d = openFolder(5);
    ASSERT_NE(d, nullptr);
    card.failLists = true;
    preview(d);
    EXPECT_EQ(SelectionDialog(), d);
    EXPECT_TRUE(Control<QPushButton>(d, 1021)->isEnabled());
    EXPECT_TRUE(Control<QPushButton>(d, 2)->isEnabled());
    EXPECT_EQ(observer.messages, std::vector<int>{14});
    EXPECT_TRUE(thumbRequests().empty());
}

TEST_F(SelectionGrid, FailedThumbnailFetchCloses) {
    card.failThumbs = true;
    QDialog* d = openFolder(5);
    ASSERT_NE(d, nullptr);
    preview(d);
    EXPECT_TRUE(closed());
    EXPECT_EQ(observer.messages, std::vector<int>{14});
}

TEST_F(SelectionGrid, ThumbnailThatCannotBeRenderedShowsItsMessageAndTheNoThumbnailPicture) {
    voktest::ScopedEnv log{"VOK_MSG_LOG", home.dir + "/messages.log"};
    card.brokenThumbs = true;
    QDialog* d = openFolder(2);
    ASSERT_NE(d, nullptr);
    preview(d);
    // One box per image, then the next image; the dialog goes on.
    EXPECT_EQ(thumbRequests(), range(1, 2));
    std::string lines = voktest::ReadFile(home.dir + "/messages.log");
    EXPECT_EQ(lines.rfind("error 105 test\t", 0), 0u) << lines;
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 2) << lines;
    EXPECT_EQ(SelectionDialog(), d);
    EXPECT_TRUE(Look(GridButton(d, 0)).picture);
    EXPECT_TRUE(Look(GridButton(d, 1)).picture);
    EXPECT_FALSE(Look(GridButton(d, 2)).picture);
    EXPECT_TRUE(Control<QPushButton>(d, 1021)->isEnabled());
    QTest::mouseClick(GridButton(d, 1), Qt::LeftButton);
    EXPECT_TRUE(Look(GridButton(d, 1)).red);
    EXPECT_TRUE(observer.messages.empty());
}

TEST_F(SelectionGrid, SixteenImagesFitSeventeenScroll) {
    card.folders = {100, 101};
    card.images = {{100, 16}, {101, 17}};
    QDialog* d = open();
    ASSERT_NE(d, nullptr);
    auto* bar = Control<QScrollBar>(d, 1018);
    preview(d);
    EXPECT_FALSE(bar->isEnabled());
    for (int i = 0; i < 16; ++i)
        EXPECT_TRUE(Look(GridButton(d, i)).picture) << i;
    auto* folders = Control<QComboBox>(d, 1017);
    folders->setCurrentIndex(1);
    emit folders->activated(1);
    preview(d);
    EXPECT_TRUE(bar->isEnabled());
    // Five rows, a page of four: positions 1 and 2.
    EXPECT_EQ(bar->minimum(), 1);
    EXPECT_EQ(bar->maximum(), 2);
    EXPECT_EQ(bar->value(), 1);
    EXPECT_EQ(bar->pageStep(), 4);
}

TEST_F(SelectionGrid, ScrollingRefetchesOnceWhenTheScrollEnds) {
    QDialog* d = openFolder(40);
    ASSERT_NE(d, nullptr);
    auto* bar = Control<QScrollBar>(d, 1018);
    preview(d);
    EXPECT_EQ(thumbRequests(), range(1, 16));
    ASSERT_TRUE(bar->isEnabled());
    EXPECT_EQ(bar->maximum(), 7);

    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->sliderPosition(), 3);
    EXPECT_EQ(thumbRequests().size(), 16u) << "requests only move the box";
    EXPECT_TRUE(Look(GridButton(d, 0)).picture);

    endScroll(d);
    // Rows 3 to 6: images 9 to 24, of which 17 to 24 are new.
    std::vector<int> want = range(1, 24);
    EXPECT_EQ(thumbRequests(), want);
    EXPECT_EQ(bar->value(), 3);
    EXPECT_TRUE(bar->isEnabled());
    for (int i = 0; i < 16; ++i)
        EXPECT_TRUE(Look(GridButton(d, i)).picture) << i;

    // A page down past the end stops at the last grid: images 25 to 40.
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(bar->sliderPosition(), 7);
    endScroll(d);
    EXPECT_EQ(thumbRequests(), range(1, 40));
    for (int i = 0; i < 16; ++i)
        EXPECT_TRUE(Look(GridButton(d, i)).picture) << i;
    EXPECT_TRUE(observer.messages.empty());
}

TEST_F(SelectionGrid, WheelOverTheGridScrollsIt) {
    QDialog* d = openFolder(40);
    ASSERT_NE(d, nullptr);
    auto* bar = Control<QScrollBar>(d, 1018);
    preview(d);
    QAbstractButton* over = GridButton(d, 5);
    QPointF at(10, 10);
    QWheelEvent wheel(at, over->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    // A real wheel event over a button reaches the dialog by propagation; a synthesized one
    // does not propagate, so it is handed to the dialog as the propagation would.
    QApplication::sendEvent(d, &wheel);
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    EXPECT_GT(bar->value(), 1);
    std::vector<int> want = range(1, 16 + (bar->value() - 1) * 4);
    EXPECT_EQ(thumbRequests(), want);
}

TEST_F(SelectionGrid, CacheTrimFreesFarThumbnails) {
    QDialog* d = openFolder(100);
    ASSERT_NE(d, nullptr);
    preview(d);      // 1-16
    scrollTo(d, 22); // 85-100
    scrollTo(d, 12); // 45-60
    EXPECT_EQ(thumbRequests().size(), 48u);
    // 48 held: going back to the top keeps the 33 found from image 1 on (1-16, 45-60, 85)
    // and frees 86-100, which come again when they are shown again.
    scrollTo(d, 1);
    EXPECT_EQ(thumbRequests().size(), 48u);
    scrollTo(d, 22);
    std::vector<int> all = thumbRequests();
    ASSERT_GE(all.size(), 48u);
    std::vector<int> again(all.begin() + 48, all.end());
    EXPECT_EQ(again, range(86, 100));
}

TEST_F(SelectionGrid, ShiftClickSelectsARangeWithTheMouse) {
    QDialog* d = openFolder(20);
    ASSERT_NE(d, nullptr);
    auto* transfer = Control<QPushButton>(d, 1022);
    // Before Preview a click does nothing.
    QTest::mouseClick(GridButton(d, 0), Qt::LeftButton);
    EXPECT_FALSE(transfer->isEnabled());
    preview(d);
    QTest::mouseClick(GridButton(d, 2), Qt::LeftButton);
    QTest::mouseClick(GridButton(d, 5), Qt::LeftButton, Qt::ShiftModifier);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(Look(GridButton(d, i)).red, i >= 2 && i <= 5) << i;
    EXPECT_TRUE(transfer->isEnabled());
    EXPECT_TRUE(Control<QPushButton>(d, 1023)->isEnabled()) << "Delete goes with a selection";
    QTest::mouseClick(GridButton(d, 5), Qt::LeftButton);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(Look(GridButton(d, i)).red, i == 5) << i;
    QTest::mouseClick(GridButton(d, 5), Qt::LeftButton);
    EXPECT_FALSE(Look(GridButton(d, 5)).red);
    EXPECT_FALSE(transfer->isEnabled());
}

TEST_F(SelectionGrid, SelectionAndItsButtonsSurviveScrolling) {
    QDialog* d = openFolder(40);
    ASSERT_NE(d, nullptr);
    auto* bar = Control<QScrollBar>(d, 1018);
    auto* previewButton = Control<QPushButton>(d, 1021);
    auto* transfer = Control<QPushButton>(d, 1022);
    preview(d);
    // Nothing selected: a scroll request and its refetch leave Transfer off.
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_TRUE(previewButton->isEnabled());
    EXPECT_FALSE(transfer->isEnabled());
    endScroll(d);
    EXPECT_FALSE(transfer->isEnabled());
    // Image 6 (row 2, now the first row) selected: Transfer stays on through the request, the
    // refetch and the way back, and the image keeps its mark.
    QTest::mouseClick(GridButton(d, 1), Qt::LeftButton);
    ASSERT_TRUE(transfer->isEnabled());
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_TRUE(previewButton->isEnabled());
    EXPECT_TRUE(Control<QPushButton>(d, 2)->isEnabled());
    EXPECT_TRUE(transfer->isEnabled());
    endScroll(d);
    EXPECT_EQ(bar->value(), 6);
    EXPECT_TRUE(transfer->isEnabled());
    for (int i = 0; i < 16; ++i)
        EXPECT_FALSE(Look(GridButton(d, i)).red) << i;
    scrollTo(d, 1);
    EXPECT_TRUE(transfer->isEnabled());
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(Look(GridButton(d, i)).red, i == 5) << i;
    EXPECT_TRUE(observer.messages.empty());
}

TEST_F(SelectionGrid, ExitSendsTheEndOfConnectionOnce) {
    QDialog* d = openFolder(2);
    ASSERT_NE(d, nullptr);
    preview(d);
    QTest::mouseClick(Control<QPushButton>(d, 2), Qt::LeftButton);
    EXPECT_TRUE(closed());
    EXPECT_TRUE(observer.messages.empty());
}

TEST_F(SelectionGrid, OwnerGoingAwayEndsTheConnection) {
    auto* owner = new QWidget;
    owner->show();
    VokDscCom_SetApplicationInfo(owner, "test", 1, 5, "");
    QDialog* d = openFolder(2);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->parentWidget(), owner);
    delete owner;
    EXPECT_TRUE(closed());
}

TEST_F(SelectionGrid, NothingMovesWhileAnOperationRuns) {
    QDialog* d = openFolder(40);
    ASSERT_NE(d, nullptr);
    auto* bar = Control<QScrollBar>(d, 1018);
    auto* previewButton = Control<QPushButton>(d, 1021);
    QTest::mouseClick(previewButton, Qt::LeftButton);
    ASSERT_TRUE(bar->isEnabled());
    int busyChecks = 0, movable = 0;
    QTimer spy;
    spy.setInterval(1);
    QObject::connect(&spy, &QTimer::timeout, [&] {
        if (!previewButton->isEnabled()) {
            ++busyChecks;
            movable += bar->isEnabled() || Control<QPushButton>(d, 2)->isEnabled();
            // Clicks and Exit while busy are ignored.
            QTest::mouseClick(GridButton(d, 0), Qt::LeftButton);
            Control<QPushButton>(d, 2)->click();
            d->close();
        }
    });
    spy.start();
    QTest::mouseClick(previewButton, Qt::LeftButton);
    scrollTo(d, 5);
    spy.stop();
    EXPECT_GT(busyChecks, 0);
    EXPECT_EQ(movable, 0);
    EXPECT_EQ(SelectionDialog(), d);
    EXPECT_FALSE(Look(GridButton(d, 0)).red);
    EXPECT_TRUE(bar->isEnabled());
    EXPECT_EQ(bar->value(), 5);
}

TEST_F(SelectionGrid, EscapeEndsLikeExit) {
    QDialog* d = openFolder(2);
    ASSERT_NE(d, nullptr);
    QTest::keyClick(d, Qt::Key_Escape);
    EXPECT_TRUE(closed());
}

TEST(SelectionArt, PicturesHaveTheirSizes) {
    EXPECT_EQ(DscArt_ButtonFace().size(), QSize(48, 48));
    EXPECT_EQ(DscArt_NoThumbnail().size(), QSize(48, 48));
    EXPECT_TRUE(DscArt_KindIcon(1).isNull());
    EXPECT_TRUE(DscArt_KindIcon(5).isNull());
    for (int kind = 2; kind <= 4; ++kind)
        EXPECT_EQ(DscArt_KindIcon(kind).size(), QSize(16, 16)) << kind;
    // Three different pictograms.
    EXPECT_NE(DscArt_KindIcon(2), DscArt_KindIcon(3));
    EXPECT_NE(DscArt_KindIcon(3), DscArt_KindIcon(4));
    DscButtonLayout l = DscArt_Layout(112, 108);
    EXPECT_EQ(l.thumbArea.width(), 112 * 4 / 5);
    EXPECT_EQ(l.thumbArea.height(), 112 * 4 / 5 * 3 / 4);
    EXPECT_EQ(l.thumbArea.center().x(), 112 / 2 - 1);
    EXPECT_GT(l.label.top(), l.thumbArea.bottom());
    EXPECT_LE(l.label.bottom(), 108 - 3);
    if (const char* dir = getenv("VOK_SELECTION_SHOTS")) {
        QImage sheet(3 * 64, 64, QImage::Format_RGB32);
        sheet.fill(Qt::white);
        QPainter p(&sheet);
        for (int kind = 2; kind <= 4; ++kind)
            p.drawImage(QRect((kind - 2) * 64, 0, 64, 64), DscArt_KindIcon(kind));
        sheet.save(QString::fromUtf8(dir) + QStringLiteral("/icons.png"));
    }
}

TEST(SelectionArt, FocusFrameIsDrawnInsideTheEdge) {
    DscImageRecord record = {};
    record.number = 3;
    DscButtonLook look = {&record, nullptr, QStringLiteral("No.3"), false};
    QImage plain = DscArt_PaintButton(112, 108, look).toImage();
    look.focused = true;
    QImage focused = DscArt_PaintButton(112, 108, look).toImage();
    EXPECT_NE(plain.pixel(3, 50), qRgb(0, 0, 0));
    EXPECT_EQ(focused.pixel(3, 50), qRgb(0, 0, 0));
    EXPECT_EQ(focused.pixel(108, 50), qRgb(0, 0, 0));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
