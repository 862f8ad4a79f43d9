// The selection dialog against the virtual camera on the demo card, opened the way the image
// program opens it (transfer export, mode 0) and driven with QTest: thumbnails, selection,
// transfer of the picked images, double click, folder change, and Exit ending the connection.
#include <sys/stat.h>

#include <memory>

#include <gtest/gtest.h>

#include "FakeCamera.h"
#include "sim_camera.h"
#include "VokDscMsg.h"
#include "selection_dialog_env.h"

using voktest::MakeDemoCard;
using voktest::ReadBytes;
using voktest::SimCamera;

namespace {

class SelectionDialogSim : public ::testing::Test {
  protected:
    TempHome home;
    voktest::ScopedEnv tmp{"TMPDIR", home.dir};
    voktest::ScopedEnv answer{"VOK_MSG_ANSWER", "yes"};
    voktest::ScopedEnv log{"VOK_MSG_LOG", home.dir + "/messages.log"};
    Observer observer;
    QWidget* owner = nullptr;
    std::string card, dest;
    std::unique_ptr<SimCamera> camera;

    void SetUp() override {
        card = MakeDemoCard(home.dir);
        camera = std::make_unique<SimCamera>(home.dir, card);
        dest = home.dir + "/pictures";
        mkdir(dest.c_str(), 0700);
        owner = new QWidget;
        owner->show();
        VokDscCom_SetApplicationInfo(owner, "Quintaral test", 1, 5, "");
    }
    void TearDown() override {
        if (QDialog* d = SelectionDialog())
            if (auto* exitButton = Control<QPushButton>(d, 2))
                exitButton->click();
        QCoreApplication::processEvents();
        delete owner;
        DscCom_ReleaseBuffers();
        camera.reset();
    }
    QDialog* open() {
        EXPECT_EQ(VokDscCom_RT70_DSC2PC(0), 1);
        QDialog* d = SelectionDialog();
        EXPECT_NE(d, nullptr);
        return d;
    }
    void preview(QDialog* d) {
        auto* button = Control<QPushButton>(d, 1021);
        ASSERT_TRUE(button && button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
    }
    // For a person to look at: VOK_SELECTION_SHOTS names a folder for pictures of the dialog.
    static void shoot(QWidget* d, const char* name) {
        if (const char* dir = getenv("VOK_SELECTION_SHOTS"))
            d->grab().save(QString::fromUtf8(dir) + QLatin1Char('/') + QLatin1String(name));
    }
    int notes(unsigned message, uintptr_t code) {
        int n = 0;
        for (auto& note : observer.notes)
            n += note.first == message && note.second == code;
        return n;
    }
};

TEST_F(SelectionDialogSim, ThumbnailsSelectionTransferAndExit) {
    QDialog* d = open();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->objectName(), QStringLiteral("VOKDLGCOM_RT70"));
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Image Preview"));
    ASSERT_EQ(notes(WM_DSC_STATUS, DSC_STATUS_MODELESS_OPEN), 1);
    for (size_t i = 0; i < observer.notes.size(); ++i) {
        if (observer.notes[i].second == DSC_STATUS_MODELESS_OPEN) {
            EXPECT_EQ(observer.values[i], reinterpret_cast<intptr_t>(d));
        }
    }

    auto* folders = Control<QComboBox>(d, 1017);
    ASSERT_NE(folders, nullptr);
    ASSERT_EQ(folders->count(), 2);
    EXPECT_EQ(folders->itemText(0), QStringLiteral("100"));
    EXPECT_EQ(folders->itemText(1), QStringLiteral("101"));
    EXPECT_EQ(Control<QLabel>(d, 1025)->text(), QStringLiteral("4"));
    auto* transfer = Control<QPushButton>(d, 1022);
    EXPECT_FALSE(transfer->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(d, 1023)->isEnabled());
    EXPECT_FALSE(Control<QScrollBar>(d, 1018)->isEnabled());
    EXPECT_TRUE(Control<QPushButton>(d, 1021)->hasFocus() || !d->isActiveWindow());
    EXPECT_FALSE(Look(GridButton(d, 0)).picture) << "no thumbnail before Preview";

    preview(d);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(Look(GridButton(d, i)).picture) << i;
    for (int i = 4; i < 16; ++i)
        EXPECT_FALSE(Look(GridButton(d, i)).picture) << i;
    EXPECT_FALSE(Look(GridButton(d, 0)).icon);
    EXPECT_TRUE(Look(GridButton(d, 3)).icon) << "the TIFF still carries its icon";
    EXPECT_FALSE(Control<QScrollBar>(d, 1018)->isEnabled()) << "4 images fit one grid";

    QTest::mouseClick(GridButton(d, 0), Qt::LeftButton);
    QTest::mouseClick(GridButton(d, 2), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_TRUE(Look(GridButton(d, 0)).red);
    EXPECT_FALSE(Look(GridButton(d, 1)).red);
    EXPECT_TRUE(Look(GridButton(d, 2)).red);
    EXPECT_TRUE(transfer->isEnabled());
    shoot(d, "picked.png");

    TransferPathAnswerer answerer(dest);
    QTest::mouseClick(transfer, Qt::LeftButton);
    EXPECT_EQ(answerer.pathDialogs, 1);
    EXPECT_EQ(ReadBytes(dest + "/DSC00001.jpg"), ReadBytes(card + "/100/0001.jpg"));
    EXPECT_EQ(ReadBytes(dest + "/DSC00002.jpg"), ReadBytes(card + "/100/0003.jpg"));
    EXPECT_FALSE(ReadBytes(dest + "/DSC00001.jpg").empty());
    EXPECT_EQ(notes(WM_DSC_STATUS, DSC_STATUS_FILE_WRITTEN), 2);
    // Back to the selection, ready for more.
    EXPECT_TRUE(transfer->isEnabled());
    EXPECT_TRUE(Look(GridButton(d, 0)).red);
    EXPECT_TRUE(observer.messages.empty());

    observer.notes.clear();
    observer.values.clear();
    QTest::mouseClick(Control<QPushButton>(d, 2), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(SelectionDialog(), nullptr);
    EXPECT_EQ(DscCom_Record()->sendBuffer, nullptr) << "the connection ended";
    ASSERT_FALSE(observer.notes.empty());
    EXPECT_EQ(observer.notes.back().second, static_cast<uintptr_t>(DSC_STATUS_CONNECTION));
    EXPECT_EQ(observer.values.back(), 0);
}

TEST_F(SelectionDialogSim, DoubleClickTransfersTheImage) {
    QDialog* d = open();
    ASSERT_NE(d, nullptr);
    preview(d);
    TransferPathAnswerer answerer(dest);
    QTest::mouseDClick(GridButton(d, 1), Qt::LeftButton);
    EXPECT_EQ(answerer.pathDialogs, 1);
    EXPECT_TRUE(Look(GridButton(d, 1)).red);
    EXPECT_EQ(ReadBytes(dest + "/DSC00001.jpg"), ReadBytes(card + "/100/0002.jpg"));
    EXPECT_TRUE(ReadBytes(dest + "/DSC00002.jpg").empty());
}

TEST_F(SelectionDialogSim, FolderChangeBlanksTheGridUntilPreview) {
    QDialog* d = open();
    ASSERT_NE(d, nullptr);
    // Catch the status window's text while the thumbnails come.
    QStringList seen;
    QTimer spy;
    spy.setInterval(1);
    QObject::connect(&spy, &QTimer::timeout, [&] {
        auto* status = d->findChild<QDialog*>(QStringLiteral("VOKDLGCOM_PREVIMG"));
        if (status && status->isVisible())
            if (auto* text = Control<QLabel>(status, 1027))
                if (!seen.contains(text->text()))
                    seen << text->text();
    });
    spy.start();
    preview(d);
    spy.stop();
    char text[VOK_MSG_BUFFER] = {};
    VokDsc_Msg_GetString(228, text, sizeof text);
    // Text 228 blinks: shown and blank in turn.
    EXPECT_TRUE(seen.contains(QString::fromUtf8(text)))
        << seen.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(seen.contains(QString())) << seen.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(Look(GridButton(d, 0)).picture);

    auto* folders = Control<QComboBox>(d, 1017);
    folders->setCurrentIndex(1);
    emit folders->activated(1);
    EXPECT_EQ(Control<QLabel>(d, 1025)->text(), QStringLiteral("2"));
    for (int i = 0; i < 16; ++i)
        EXPECT_FALSE(Look(GridButton(d, i)).picture) << i;
    EXPECT_FALSE(Control<QPushButton>(d, 1022)->isEnabled());
    preview(d);
    // The movie has its first picture as thumbnail and its icon; the audio memo has no
    // thumbnail, so it shows the no-thumbnail picture and its kind stays unknown.
    EXPECT_TRUE(Look(GridButton(d, 0)).picture);
    EXPECT_TRUE(Look(GridButton(d, 0)).icon);
    EXPECT_TRUE(Look(GridButton(d, 1)).picture);
    EXPECT_FALSE(Look(GridButton(d, 1)).icon);
    EXPECT_FALSE(Look(GridButton(d, 2)).picture);
    shoot(d, "folder101.png");

    folders->setCurrentIndex(0);
    emit folders->activated(0);
    EXPECT_EQ(Control<QLabel>(d, 1025)->text(), QStringLiteral("4"));
    EXPECT_FALSE(Look(GridButton(d, 0)).picture) << "thumbnails of the folder were freed";
    preview(d);
    EXPECT_TRUE(Look(GridButton(d, 3)).picture);
    EXPECT_TRUE(observer.messages.empty());
}

TEST_F(SelectionDialogSim, DeclinedTransferReturnsToTheSelection) {
    QDialog* d = open();
    ASSERT_NE(d, nullptr);
    preview(d);
    QTest::mouseClick(GridButton(d, 0), Qt::LeftButton);
    // Cancel in the transfer path dialog, and Yes to "Cancel image transfer?".
    QTimer canceller;
    int cancels = 0;
    canceller.setInterval(10);
    QObject::connect(&canceller, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (modal->objectName() == QLatin1String("VOKBROWSE")) {
            if (auto* ok = modal->findChild<QAbstractButton*>(QStringLiteral("okButton")))
                ok->click();
        } else if (modal->objectName() == QLatin1String("VOKDLGCOM_FOLDER_STATUS")) {
            ++cancels;
            Control<QPushButton>(modal, 2)->click();
        }
    });
    canceller.start();
    QTest::mouseClick(Control<QPushButton>(d, 1022), Qt::LeftButton);
    canceller.stop();
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(SelectionDialog(), d);
    EXPECT_TRUE(Control<QPushButton>(d, 1022)->isEnabled());
    EXPECT_TRUE(Look(GridButton(d, 0)).red);
    EXPECT_TRUE(ReadBytes(dest + "/DSC00001.jpg").empty());
    EXPECT_EQ(notes(WM_DSC_STATUS, DSC_STATUS_FILE_WRITTEN), 0);
}

TEST_F(SelectionDialogSim, FailedTransferClosesTheDialog) {
    camera.reset();
    camera = std::make_unique<SimCamera>(home.dir, card,
                                         std::vector<std::string>{"--fault", "26:*:status5"});
    QDialog* d = open();
    ASSERT_NE(d, nullptr);
    preview(d);
    QTest::mouseClick(GridButton(d, 0), Qt::LeftButton);
    TransferPathAnswerer answerer(dest);
    QTest::mouseClick(Control<QPushButton>(d, 1022), Qt::LeftButton);
    QCoreApplication::processEvents();
    ASSERT_FALSE(observer.messages.empty());
    EXPECT_EQ(observer.messages.back(), 6);
    EXPECT_EQ(SelectionDialog(), nullptr);
    EXPECT_EQ(DscCom_Record()->sendBuffer, nullptr);
    EXPECT_TRUE(ReadBytes(dest + "/DSC00001.jpg").empty());
}

TEST_F(SelectionDialogSim, CloseCommandEndsTheConnection) {
    QDialog* d = open();
    ASSERT_NE(d, nullptr);
    d->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(SelectionDialog(), nullptr);
    EXPECT_EQ(DscCom_Record()->sendBuffer, nullptr);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
