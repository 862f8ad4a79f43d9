// The dialogs of the download in a graphical application (offscreen): the progress dialog's
// lines, its Cancel button that the last file never offers, the letter C and Enter, the
// cancellation question, and the transfer path dialog's OK, Browse and Cancel.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include "DscTransfer.h"
#include "FakeCamera.h"
#include "vok_test_env.h"
#include "VokDscMsg.h"
#include "transfer_env.h"

namespace {

struct FileView {
    bool cancelVisible = false, cancelEnabled = false;
    QString operation, item, objectName;
};

class Dialogs : public ::testing::Test {
  protected:
    TempHome home;
    voktest::ScopedEnv logVar{"VOK_MSG_LOG", home.dir + "/messages.log"};
    voktest::ScopedEnv answer{"VOK_MSG_ANSWER", "no"};
    Observer observer;
    FakeCamera camera;
    std::string dest;
    bool cancelFlag = false;
    QDialog* meter = nullptr;
    int meterCloses = 0;
    std::vector<FileView> views;
    std::function<void(int index)> atFirstBlock;

    void SetUp() override {
        VokDscCom_SetApplicationInfo(nullptr, "Quintaral test", 1, 5, "");
        dest = MakeFolder(home.dir, "dest");
        camera.responder = [](const Bytes& rq) {
            uint8_t seq = rq[1];
            switch (rq[3]) {
            case DSC_CMD_IDENTIFY:
                return Answer{Packet(8, 0, 3, {'D', 'S', 'C', '1'})};
            case DSC_CMD_COUNT_ALL:
                return Answer{Packet(8, seq, DSC_REPLY_COUNT_ALL, U32(seq == 0 ? 3 : 0xFFFFFFFFu))};
            case DSC_CMD_INDEX_INFO:
            case DSC_CMD_IMAGE_INFO:
                return Answer{Packet(8, 0, DSC_REPLY_INFO, Cat({1}, U32(40000)))};
            case DSC_CMD_INDEX_READ_BLOCK:
            case DSC_CMD_READ_BLOCK:
                return Answer{Packet(2, seq, DSC_REPLY_BLOCK, Bytes(32768, 7))};
            default:
                return Answer{Status(seq, 0)};
            }
        };
        observer.answer = [this](unsigned m, uintptr_t code, intptr_t value) -> intptr_t {
            if (m == WM_DSC_CANCEL && code == DSC_CANCEL_SET)
                cancelFlag = value != 0;
            if (m == WM_DSC_CANCEL && code == DSC_CANCEL_POLL)
                return cancelFlag;
            if (m == WM_DSC_STATUS && code == DSC_STATUS_DIALOG) {
                if (value)
                    meter = reinterpret_cast<QDialog*>(value);
                else
                    ++meterCloses;
            }
            return 0;
        };
        DscTransfer_SetProgress(progress, this);
        ASSERT_EQ(VokDscCom_Connect(), DSC_OK);
        meter = nullptr; // that was the connecting dialog
        meterCloses = 0;
    }
    void TearDown() override {
        DscTransfer_SetProgress(nullptr, nullptr);
        VokDscCom_Disconnect();
    }
    static void progress(void* ctx, int index, int, int done, int) {
        auto* self = static_cast<Dialogs*>(ctx);
        if (done != 1 || !self->meter)
            return;
        auto* cancel = self->meter->findChild<QPushButton*>(QStringLiteral("2"));
        FileView v;
        v.objectName = self->meter->objectName();
        v.cancelVisible = cancel && cancel->isVisible();
        v.cancelEnabled = cancel && cancel->isEnabled();
        v.operation = self->meter->findChild<QLabel*>(QStringLiteral("1037"))->text();
        v.item = self->meter->findChild<QLabel*>(QStringLiteral("1038"))->text();
        self->views.push_back(v);
        if (self->atFirstBlock)
            self->atFirstBlock(index);
    }
    std::string log() { return voktest::ReadFile(home.dir + "/messages.log"); }
};

QString catalogue(int number) {
    char buffer[VOK_MSG_BUFFER] = {};
    VokDsc_Msg_GetString(number, buffer, sizeof buffer);
    return QString::fromUtf8(buffer);
}

TEST_F(Dialogs, ProgressDialogOffersCancelExceptOnTheLastFile) {
    ASSERT_EQ(DscTransfer_RunAllInto(1, dest.c_str(), nullptr), DSC_OK);
    ASSERT_EQ(views.size(), 3u);
    EXPECT_TRUE(views[0].cancelVisible && views[0].cancelEnabled);
    EXPECT_TRUE(views[1].cancelVisible && views[1].cancelEnabled);
    EXPECT_FALSE(views[2].cancelVisible);
    EXPECT_FALSE(views[2].cancelEnabled);
    EXPECT_EQ(views[0].operation, catalogue(VOK_MSG_DOWNLOADING));
    EXPECT_EQ(views[1].item, QStringLiteral("Image No.2 ( 2 / 3 )"));
    EXPECT_EQ(meterCloses, 1);
    EXPECT_EQ(Names(dest).size(), 3u);
    EXPECT_EQ(views[0].objectName, QStringLiteral("VOKDLGCOM_METER"));
}

TEST_F(Dialogs, LetterCRaisesTheRequestAndNoGoesOn) {
    atFirstBlock = [this](int index) {
        QTest::keyClick(meter, index == 0 ? Qt::Key_C : Qt::Key_Return);
        if (index == 0) {
            EXPECT_TRUE(cancelFlag);
            EXPECT_EQ(meter->findChild<QLabel*>(QStringLiteral("1038"))->text(),
                      catalogue(VOK_MSG_DOWNLOAD_ENDING));
            EXPECT_FALSE(meter->findChild<QPushButton*>(QStringLiteral("2"))->isEnabled());
        } else if (index == 2) {
            EXPECT_FALSE(cancelFlag); // the last file offers no Cancel
        }
    };
    ASSERT_EQ(DscTransfer_RunAllInto(1, dest.c_str(), nullptr), DSC_OK);
    EXPECT_EQ(Names(dest).size(), 3u);
    // Two questions (after files 1 and 2), both answered No.
    size_t questions = 0;
    for (size_t at = log().find("query 124 "); at != std::string::npos;
         at = log().find("query 124 ", at + 1))
        ++questions;
    EXPECT_EQ(questions, 2u);
    ASSERT_EQ(views.size(), 3u);
    EXPECT_TRUE(views[1].cancelEnabled); // enabled again after No
}

TEST_F(Dialogs, CancelButtonAndYesStopAfterTheFile) {
    setenv("VOK_MSG_ANSWER", "yes", 1);
    atFirstBlock = [this](int index) {
        if (index == 0)
            QTest::mouseClick(meter->findChild<QPushButton*>(QStringLiteral("2")), Qt::LeftButton);
    };
    ASSERT_EQ(DscTransfer_RunAllInto(1, dest.c_str(), nullptr), DSC_OK);
    EXPECT_EQ(Names(dest), (std::vector<std::string>{"DSC00001.jpg"}));
    EXPECT_EQ(meterCloses, 1);
}

// Answers the next modal dialog that opens with the given action.
void whenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(50, [act] {
        QWidget* w = QApplication::activeModalWidget();
        if (w)
            act(w);
        else
            whenModal(act);
    });
}

TEST_F(Dialogs, TransferPathDialogOkAndCancel) {
    SetFolderValue("Application", "Path_dir", dest);
    DscPickedImage picks[] = {{100, 1, 1, 0}};
    // The folder browser first: OK keeps its folder; then the transfer path dialog: OK.
    std::string seenFolder;
    whenModal([&](QWidget* browser) {
        QTest::keyClick(browser, Qt::Key_Return);
        whenModal([&](QWidget* path) {
            EXPECT_EQ(path->objectName(), QStringLiteral("VOKDLGCOM_FOLDER_STATUS"));
            auto* edit = path->findChild<QLineEdit*>(QStringLiteral("1034"));
            seenFolder = edit->text().toStdString();
            EXPECT_EQ(edit->cursorPosition(), edit->text().size());
            path->findChild<QPushButton*>(QStringLiteral("1"))->click();
        });
    });
    EXPECT_EQ(DscTransfer_RunPicked(picks, 1, nullptr), DSC_OK);
    EXPECT_EQ(seenFolder, dest);
    EXPECT_EQ(Names(dest), (std::vector<std::string>{"DSC00001.jpg"}));

    // Cancel asks question 124; No keeps the dialog, Yes gives up the transfer.
    setenv("VOK_MSG_ANSWER", "no", 1);
    bool stillOpen = false;
    whenModal([&](QWidget* browser) {
        QTest::keyClick(browser, Qt::Key_Return);
        whenModal([&](QWidget* path) {
            path->findChild<QPushButton*>(QStringLiteral("2"))->click();
            stillOpen = path->isVisible();
            setenv("VOK_MSG_ANSWER", "yes", 1);
            path->findChild<QPushButton*>(QStringLiteral("2"))->click();
        });
    });
    EXPECT_EQ(DscTransfer_RunPicked(picks, 1, nullptr), DSC_TRANSFER_DECLINED);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(Names(dest).size(), 1u);
}

TEST_F(Dialogs, TransferPathDialogRefusesAMissingFolder) {
    SetFolderValue("Application", "Path_dir", dest);
    DscPickedImage picks[] = {{100, 1, 1, 0}};
    std::string missing = home.dir + "/missing";
    int rounds = 0;
    std::function<void()> answer = [&] {
        whenModal([&](QWidget* browser) {
            QTest::keyClick(browser, Qt::Key_Return);
            whenModal([&](QWidget* path) {
                auto* edit = path->findChild<QLineEdit*>(QStringLiteral("1034"));
                edit->setText(QString::fromStdString(++rounds == 1 ? missing : dest));
                path->findChild<QPushButton*>(QStringLiteral("1"))->click();
                if (rounds == 1)
                    answer();
            });
        });
    };
    answer();
    EXPECT_EQ(DscTransfer_RunPicked(picks, 1, nullptr), DSC_OK);
    EXPECT_EQ(rounds, 2);
    EXPECT_EQ(observer.messages, (std::vector<int>{50}));
    EXPECT_EQ(Names(dest), (std::vector<std::string>{"DSC00001.jpg"}));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
