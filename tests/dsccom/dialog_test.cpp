// The connecting dialog VOKDLGCOMSTART shown while a connection starts in a graphical
// application, its notifications, and waits that keep the application's events flowing.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include "FakeCamera.h"
#include "VokDscMsg.h"

namespace {

struct Seen {
    bool open = false;
    QString objectName, title, text;
    bool visible = false;
    int closes = 0;
};

class Dialog : public ::testing::Test {
  protected:
    TempHome home;
    FakeCamera camera;
    Observer observer;
    Seen seen;

    void SetUp() override {
        VokDscCom_SetApplicationInfo(nullptr, "Quintaral test", 1, 5, "");
        camera.responder = [](const Bytes& rq) {
            if (rq[3] == DSC_CMD_IDENTIFY)
                return Answer{Packet(8, 0, 3, {'D', 'S', 'C', '1'})};
            return Answer{Status(0, 0)};
        };
        observer.answer = [this](unsigned m, uintptr_t code, intptr_t value) -> intptr_t {
            if (m == WM_DSC_STATUS && code == 12) {
                if (value) {
                    auto* w = reinterpret_cast<QDialog*>(value);
                    seen.open = true;
                    seen.objectName = w->objectName();
                    seen.title = w->windowTitle();
                    seen.visible = w->isVisible();
                    auto* label = w->findChild<QLabel*>(QStringLiteral("1026"));
                    seen.text = label ? label->text() : QString();
                } else {
                    seen.closes++;
                }
            }
            return 0;
        };
    }
    void TearDown() override { DscCom_ReleaseBuffers(); }
};

TEST_F(Dialog, ShownWhileConnectingAndClosedByTheCaller) {
    ASSERT_EQ(DscCom_StartConnection(1, nullptr), DSC_OK);
    EXPECT_TRUE(seen.open);
    EXPECT_EQ(seen.objectName, QStringLiteral("VOKDLGCOMSTART"));
    EXPECT_EQ(seen.title, QStringLiteral("Quintaral test"));
    EXPECT_TRUE(seen.visible);
    char text[VOK_MSG_BUFFER] = {};
    VokDsc_Msg_GetString(229, text, sizeof text);
    EXPECT_EQ(seen.text, QString::fromUtf8(text));
    EXPECT_FALSE(seen.text.isEmpty());
    EXPECT_EQ(seen.closes, 0);
    DscCom_CloseConnectingDialog();
    EXPECT_EQ(seen.closes, 1);
    DscCom_CloseConnection();
}

TEST_F(Dialog, OwnerGoingAwayTakesTheDialogSafely) {
    auto* owner = new QWidget;
    VokDscCom_SetApplicationInfo(owner, "Quintaral test", 1, 5, "");
    ASSERT_EQ(DscCom_StartConnection(1, nullptr), DSC_OK);
    EXPECT_TRUE(seen.open);
    delete owner;
    DscCom_CloseConnectingDialog();
    EXPECT_EQ(seen.closes, 1);
    DscCom_CloseConnection();
}

TEST_F(Dialog, FailedStartClosesIt) {
    camera.responder = [](const Bytes&) { return Answer{}; };
    EXPECT_EQ(DscCom_StartConnection(1, nullptr), DSC_ERR_NOANSWER);
    EXPECT_TRUE(seen.open);
    EXPECT_EQ(seen.closes, 1);
    EXPECT_EQ(DscCom_Record()->connectDialog, nullptr);
}

TEST_F(Dialog, ButtonResetShowsNone) {
    ASSERT_EQ(DscCom_StartConnection(0, nullptr), DSC_OK);
    EXPECT_FALSE(seen.open);
    DscCom_CloseConnection();
}

TEST_F(Dialog, WaitsProcessEvents) {
    bool fired = false;
    QTimer::singleShot(0, [&fired] { fired = true; });
    DscCom_Wait(100);
    EXPECT_TRUE(fired);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
