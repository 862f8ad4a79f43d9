/* Real QMessageBoxes under the offscreen platform: the test finds the modal box, checks
 * caption, text, icon, buttons, default, parent and cursor, and answers it. */
#include "VokDscMsg.h"
#include "msg_test_env.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <functional>
#include <thread>

using msgtest::ScopedEnv;

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "msg_qt_box_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Calls act on the next modal message box once it is up. A box that never appears
// fails the test; one left open by act is closed so the test cannot hang.
void OnNextBox(std::function<void(QMessageBox*)> act, int triesLeft = 200) {
    QTimer::singleShot(10, [act, triesLeft] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) {
            if (triesLeft > 0)
                OnNextBox(act, triesLeft - 1);
            else
                ADD_FAILURE() << "no message box appeared";
            return;
        }
        act(box);
        if (box->isVisible()) {
            ADD_FAILURE() << "box still open after the test's answer";
            box->done(QMessageBox::Cancel);
        }
    });
}

QList<QMessageBox::StandardButton> Buttons(QMessageBox* box) {
    QList<QMessageBox::StandardButton> out;
    for (QAbstractButton* b : box->buttons())
        out.push_back(box->standardButton(b));
    std::sort(out.begin(), out.end());
    return out;
}

class MsgQtBox : public ::testing::Test {
  protected:
    void SetUp() override { App(); }
    ScopedEnv english_{"LC_ALL", "C"};
    ScopedEnv noAnswer_{"VOK_MSG_ANSWER", nullptr};
    ScopedEnv noLog_{"VOK_MSG_LOG", nullptr};
};

} // namespace

TEST_F(MsgQtBox, QueryShowsQuestionWithYesNoAndReturnsNo) {
    bool seen = false;
    OnNextBox([&](QMessageBox* box) {
        seen = true;
        EXPECT_EQ(box->windowTitle(), "Qubex");
        EXPECT_EQ(box->text(), "Cancel image transfer?");
        EXPECT_EQ(box->icon(), QMessageBox::Question);
        EXPECT_EQ(Buttons(box),
                  (QList<QMessageBox::StandardButton>{QMessageBox::Yes, QMessageBox::No}));
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Yes));
        EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(VokDsc_Msg_Query(nullptr, 124, "Qubex"), VOK_IDNO);
    EXPECT_TRUE(seen);

    OnNextBox([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
    EXPECT_EQ(VokDsc_Msg_Query(nullptr, 124, "Qubex"), VOK_IDYES);
}

TEST_F(MsgQtBox, EscapeOnYesNoMeansNo) {
    OnNextBox([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    EXPECT_EQ(VokDsc_Msg_Query(nullptr, 126, "Qubex"), VOK_IDNO);
}

TEST_F(MsgQtBox, ErrorHasStopIconOkOnlyArrowCursorAndOwner) {
    QWidget owner;
    owner.setWindowTitle("owner");
    owner.show();
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    bool seen = false;
    OnNextBox([&](QMessageBox* box) {
        seen = true;
        EXPECT_EQ(box->windowTitle(), "Qubex");
        EXPECT_EQ(box->text(), "Up to 5 Still images can be attached.");
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        EXPECT_EQ(Buttons(box), QList<QMessageBox::StandardButton>{QMessageBox::Ok});
        EXPECT_EQ(box->parentWidget(), &owner);
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ArrowCursor);
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(VokDsc_Msg_Error(&owner, 133, "Qubex"), VOK_IDOK);
    EXPECT_TRUE(seen);
    // The caller's wait cursor comes back after the box.
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QGuiApplication::restoreOverrideCursor();
}

TEST_F(MsgQtBox, MessageShowsLineBreaksAndNoIcon) {
    OnNextBox([](QMessageBox* box) {
        EXPECT_EQ(box->text(), "Now establishing Communication Connection.\nPlease Wait.");
        EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(VokDsc_Msg_Message(nullptr, 153, "Qubex"), VOK_IDOK);
}

TEST_F(MsgQtBox, UnknownOwnerGivesABoxWithoutOwner) {
    OnNextBox([](QMessageBox* box) {
        EXPECT_EQ(box->parentWidget(), nullptr);
        EXPECT_EQ(box->text(), "") << "out of range shows an empty text";
        box->button(QMessageBox::Ok)->click();
    });
    int notAWidget = 0;
    EXPECT_EQ(VokDsc_Msg_Error(&notAWidget, 477, "Qubex"), VOK_IDOK);
}

TEST_F(MsgQtBox, OtherAndThreeWayBoxesFollowTheStyle) {
    OnNextBox([](QMessageBox* box) {
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        EXPECT_EQ(Buttons(box),
                  (QList<QMessageBox::StandardButton>{QMessageBox::Ok, QMessageBox::Cancel}));
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Cancel));
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(VokDsc_Msg_Box(nullptr, VOK_BOX_OTHER, -1, "<b>not rich</b>", "Cap",
                             VOK_MB_OKCANCEL | VOK_MB_ICONWARNING | VOK_MB_DEFBUTTON2),
              VOK_IDOK);

    OnNextBox([](QMessageBox* box) {
        EXPECT_EQ(box->icon(), QMessageBox::Question);
        EXPECT_EQ(Buttons(box), (QList<QMessageBox::StandardButton>{
                                    QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}));
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
        QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_EQ(VokDsc_Msg_Box(nullptr, VOK_BOX_YESNOCANCEL, 151,
                             "(a) was updated!! Do you want to save?", "Cap", VOK_MB_DEFBUTTON2),
              VOK_IDCANCEL);
}

TEST_F(MsgQtBox, ButtonsAndTextFollowTheLanguage) {
    ScopedEnv german("LC_ALL", "de_DE.UTF-8");
    OnNextBox([](QMessageBox* box) {
        EXPECT_EQ(box->text(), QString::fromUtf8("Bildübertragung abbrechen?"));
        EXPECT_EQ(box->button(QMessageBox::Yes)->text(), "&Ja");
        EXPECT_EQ(box->button(QMessageBox::No)->text(), "&Nein");
        box->button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(VokDsc_Msg_Query(nullptr, 124, "Qubex"), VOK_IDYES);
    ScopedEnv french("LC_ALL", "fr_FR.UTF-8");
    OnNextBox([](QMessageBox* box) {
        EXPECT_EQ(box->button(QMessageBox::Cancel)->text(), "Annuler");
        box->button(QMessageBox::Cancel)->click();
    });
    EXPECT_EQ(VokDsc_Msg_Box(nullptr, VOK_BOX_YESNOCANCEL, 151, "t", "c", 0), VOK_IDCANCEL);
}

TEST_F(MsgQtBox, AnswerHookShowsNoBoxEvenWithAnApplication) {
    ScopedEnv answer("VOK_MSG_ANSWER", "no");
    EXPECT_EQ(VokDsc_Msg_Query(nullptr, 124, "Qubex"), VOK_IDNO);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(MsgQtBox, BoxFromAWorkerThreadIsShownByTheGuiThread) {
    QEventLoop loop;
    int result = 0;
    bool onGuiThread = false;
    OnNextBox([&](QMessageBox* box) {
        onGuiThread = box->thread() == QApplication::instance()->thread();
        box->button(QMessageBox::Yes)->click();
    });
    std::thread worker([&] {
        result = VokDsc_Msg_Query(nullptr, 124, "Qubex");
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    EXPECT_EQ(result, VOK_IDYES);
    EXPECT_TRUE(onGuiThread);
}
