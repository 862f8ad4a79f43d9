// The clock dialog, the deletion's dialogs in the selection dialog and the upload's hand-over
// to the selection dialog, against the virtual camera and driven with QTest as a user would.
#include <functional>
#include <memory>

#include <QLineEdit>
#include <QRadioButton>

#include <gtest/gtest.h>

#include "FakeCamera.h"
#include "VokDscMsg.h"
#include "selection_dialog_env.h"
#include "sim_camera.h"
#include "transfer_env.h"

using voktest::MakeCard;
using voktest::SimCamera;

namespace {

// Runs step on the modal dialog of that name each time one is up (a step returns true when
// it has ended the dialog, so that it is not driven twice).
struct ModalDriver {
    QTimer timer;
    QString name;
    std::function<bool(QWidget*)> step;
    ModalDriver(const char* objectName, std::function<bool(QWidget*)> s)
        : name(QString::fromLatin1(objectName)), step(std::move(s)) {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            // Dialogs on the stack may reuse an address: each one is marked once driven.
            if (modal && modal->objectName() == name && !modal->property("driven").toBool() &&
                step(modal))
                modal->setProperty("driven", true);
        });
        timer.start();
    }
};

class Dialogs : public ::testing::Test {
  protected:
    TempHome home;
    voktest::ScopedEnv tmp{"TMPDIR", home.dir};
    voktest::ScopedEnv answer{"VOK_MSG_ANSWER", "ok"};
    voktest::ScopedEnv log{"VOK_MSG_LOG", home.dir + "/messages.log"};
    Observer observer;
    QWidget* owner = nullptr;
    std::unique_ptr<SimCamera> camera;
    std::string card;

    void start(std::vector<std::string> options = {}) {
        card = MakeCard(home.dir, 1, 6);
        camera = std::make_unique<SimCamera>(home.dir, card, options);
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
    std::string messages() { return voktest::ReadFile(home.dir + "/messages.log"); }
    int notes(unsigned message, uintptr_t code) {
        int n = 0;
        for (auto& note : observer.notes)
            n += note.first == message && note.second == code;
        return n;
    }
    QDialog* selectionWithPreview() {
        EXPECT_EQ(VokDscCom_RT70_DSC2PC(0), 1);
        QDialog* d = SelectionDialog();
        if (d)
            QTest::mouseClick(Control<QPushButton>(d, 1021), Qt::LeftButton);
        return d;
    }
};

TEST_F(Dialogs, ClockDialogRefusesHourTwelveAndWritesZeroPmAsTwelve) {
    start({"--variant", "2"});
    int phase = 0;
    std::string seenYear;
    ModalDriver driver("VOKDLGCOM_TIME", [&](QWidget* d) {
        auto field = [d](int id) { return Control<QLineEdit>(d, id); };
        seenYear = field(1039)->text().toStdString();
        // Message 0x410 reads the camera's clock again into the fields.
        field(1039)->setText(QStringLiteral("1999"));
        QCoreApplication::postEvent(d, new QEvent(static_cast<QEvent::Type>(QEvent::User + 0x410)));
        QCoreApplication::processEvents();
        EXPECT_EQ(field(1039)->text().toStdString(), seenYear);
        // Typing a fifth digit into the year puts the remembered text back.
        field(1039)->setFocus();
        field(1039)->end(false);
        QTest::keyClicks(field(1039), "7");
        EXPECT_EQ(field(1039)->text().toStdString(), seenYear);
        field(1039)->setText(QStringLiteral("2000"));
        field(1040)->setText(QStringLiteral("2"));
        field(1041)->setText(QStringLiteral("29"));
        field(1044)->setText(QStringLiteral("12"));
        field(1045)->setText(QStringLiteral("30"));
        Control<QRadioButton>(d, 1043)->setChecked(true);
        Control<QPushButton>(d, 1046)->click(); // refused: message 205, the hour selected
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(field(1044)->selectedText(), QStringLiteral("12"));
        phase = 1;
        field(1044)->setText(QStringLiteral("0"));
        Control<QPushButton>(d, 1046)->click();
        return true;
    });
    EXPECT_EQ(VokDscCom_RT70_TimeSetup(), 1);
    EXPECT_EQ(phase, 1);
    EXPECT_EQ(seenYear.size(), 4u);
    EXPECT_EQ(messages().rfind("error 205 Quintaral test\t", 0), 0u) << messages();
    EXPECT_EQ(notes(WM_DSC_STATUS, DSC_STATUS_MODELESS_OPEN), 1);
    EXPECT_EQ(notes(WM_DSC_STATUS, DSC_STATUS_MODELESS_CLOSED), 1);
    EXPECT_EQ(DscCom_Record()->sendBuffer, nullptr);

    ASSERT_EQ(VokDscCom_Connect(), DSC_OK);
    VokClock clock = {};
    EXPECT_EQ(VokDscCom_ReadClock(&clock), DSC_OK);
    VokDscCom_Disconnect();
    EXPECT_EQ(clock.year, 2000);
    EXPECT_EQ(clock.month, 2);
    EXPECT_EQ(clock.day, 29);
    EXPECT_EQ(clock.hour, 12);
    EXPECT_TRUE(clock.minute == 30 || clock.minute == 31);
}

TEST_F(Dialogs, DeletingThreeImagesAsksAboutTheHighestFirst) {
    start();
    QDialog* d = selectionWithPreview();
    ASSERT_NE(d, nullptr);
    QTest::mouseClick(GridButton(d, 1), Qt::LeftButton);
    QTest::mouseClick(GridButton(d, 3), Qt::LeftButton, Qt::ControlModifier);
    QTest::mouseClick(GridButton(d, 4), Qt::LeftButton, Qt::ControlModifier);
    auto* deleteButton = Control<QPushButton>(d, 1023);
    ASSERT_TRUE(deleteButton->isEnabled());
    std::vector<std::string> asked;
    std::vector<int> answers = {1030, 1032, 1030}; // Yes, No, Yes
    ModalDriver driver("VOKDLGCOM_DELETESTATUS2", [&](QWidget* q) {
        asked.push_back(Control<QLabel>(q, 1029)->text().toStdString());
        EXPECT_TRUE(Control<QPushButton>(q, 1031)->isEnabled());
        int id = answers[std::min(asked.size(), answers.size()) - 1];
        Control<QPushButton>(q, id)->click();
        return true;
    });
    QTest::mouseClick(deleteButton, Qt::LeftButton);
    EXPECT_EQ(asked, (std::vector<std::string>{"Are you sure you want to delete Image No.5?",
                                               "Are you sure you want to delete Image No.4?",
                                               "Are you sure you want to delete Image No.2?"}));
    EXPECT_EQ(Names(card + "/100"),
              (std::vector<std::string>{"0001.jpg", "0003.jpg", "0004.jpg", "0006.jpg"}));
    EXPECT_EQ(Control<QLabel>(d, 1025)->text(), QStringLiteral("4"));
    EXPECT_FALSE(deleteButton->isEnabled()); // nothing is selected any more
    EXPECT_TRUE(Control<QPushButton>(d, 1021)->isEnabled());
    EXPECT_EQ(notes(WM_DSC_CANCEL, DSC_CANCEL_DELETE_COUNT), 3);
    EXPECT_EQ(DscCom_Record()->sendBuffer != nullptr, true); // the dialog keeps the connection
    EXPECT_EQ(messages(), "");
}

TEST_F(Dialogs, DeleteAllDeletesTheRestWithoutAsking) {
    start();
    QDialog* d = selectionWithPreview();
    ASSERT_NE(d, nullptr);
    QTest::mouseClick(GridButton(d, 0), Qt::LeftButton);
    QTest::mouseClick(GridButton(d, 2), Qt::LeftButton, Qt::ControlModifier);
    QTest::mouseClick(GridButton(d, 5), Qt::LeftButton, Qt::ControlModifier);
    int questions = 0;
    ModalDriver driver("VOKDLGCOM_DELETESTATUS2", [&](QWidget* q) {
        ++questions;
        Control<QPushButton>(q, 1031)->click();
        return true;
    });
    QTest::mouseClick(Control<QPushButton>(d, 1023), Qt::LeftButton);
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(Names(card + "/100"), (std::vector<std::string>{"0002.jpg", "0004.jpg", "0005.jpg"}));
    EXPECT_EQ(Control<QLabel>(d, 1025)->text(), QStringLiteral("3"));
    EXPECT_EQ(messages(), "");
}

TEST_F(Dialogs, TheOwnerDisablesDeleteAllAndCancelKeepsEverything) {
    start();
    observer.answer = [](unsigned m, uintptr_t code, intptr_t) -> intptr_t {
        return m == WM_DSC_CANCEL && code == DSC_CANCEL_DELETE_ALL ? 1 : 0;
    };
    QDialog* d = selectionWithPreview();
    ASSERT_NE(d, nullptr);
    QTest::mouseClick(GridButton(d, 0), Qt::LeftButton);
    QTest::mouseClick(GridButton(d, 2), Qt::LeftButton, Qt::ControlModifier);
    int questions = 0;
    ModalDriver driver("VOKDLGCOM_DELETESTATUS2", [&](QWidget* q) {
        ++questions;
        EXPECT_FALSE(Control<QPushButton>(q, 1031)->isEnabled());
        EXPECT_TRUE(Control<QPushButton>(q, 1030)->isEnabled());
        EXPECT_TRUE(Control<QPushButton>(q, 1032)->isEnabled());
        Control<QPushButton>(q, 1033)->click();
        return true;
    });
    QTest::mouseClick(Control<QPushButton>(d, 1023), Qt::LeftButton);
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(Names(card + "/100").size(), 6u);
    EXPECT_EQ(Control<QLabel>(d, 1025)->text(), QStringLiteral("6"));
    EXPECT_FALSE(Control<QPushButton>(d, 1023)->isEnabled());
}

TEST_F(Dialogs, AFullCameraOpensTheSelectionDialogOnTheOpenConnection) {
    start({"--capacity", "100"});
    std::string picture = home.dir + "/p.jpg";
    WriteBytes(picture, Pattern(5000, 1));
    VokUploadRecord record = {};
    snprintf(record.pathA, sizeof record.pathA, "%s", picture.c_str());
    record.sizeA = 5000;
    observer.answer = [](unsigned m, uintptr_t code, intptr_t) -> intptr_t {
        return m == WM_DSC_QUERYFILE && code == DSC_QUERYFILE_KIND ? DSC_UPLOAD_A : 0;
    };
    EXPECT_EQ(VokDscCom_RT70_PC2DSC(1, &record), 1);
    EXPECT_EQ(observer.messages, std::vector<int>{13});
    QDialog* d = SelectionDialog();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->isVisible());
    EXPECT_NE(DscCom_Record()->sendBuffer, nullptr);
    EXPECT_EQ(DscCom_Record()->mode, 0);
    Control<QPushButton>(d, 2)->click();
    EXPECT_EQ(DscCom_Record()->sendBuffer, nullptr);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
