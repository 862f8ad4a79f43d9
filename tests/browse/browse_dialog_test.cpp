/* Tests of the folder browser's dialogs without a display: where the tree opens, Cancel and
 * OK through VokSHBrowseFolder, and the new-folder dialog's refusals and success as logged by
 * the message box hooks. */
#include "VokSHUtil.h"
#include "browse_test_env.h"

#include <QApplication>
#include <QDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>

#include <cstring>
#include <fstream>
#include <functional>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using browsetest::IsDir;
using browsetest::MakeDir;
using browsetest::ScopedEnv;

namespace {

QApplication* App() {
    static int argc = 1;
    static char name[] = "browse_dialog_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return app;
}

QDialog* FindDialog(const char* objectName) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == objectName && w->isVisible())
            return qobject_cast<QDialog*>(w);
    return nullptr;
}

/* Runs act on the dialog once it is shown (from inside its own event loop). */
void WhenShown(const char* objectName, std::function<void(QDialog*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, objectName, act] {
        if (QDialog* dialog = FindDialog(objectName)) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        }
    });
    timer->start();
}

std::string SelectedPath(QDialog* dialog) {
    auto* tree = dialog->findChild<QTreeView*>("folderTree");
    auto* model = qobject_cast<QFileSystemModel*>(tree->model());
    return model->filePath(tree->currentIndex()).toStdString();
}

void SelectPath(QDialog* dialog, const std::string& path) {
    auto* tree = dialog->findChild<QTreeView*>("folderTree");
    auto* model = qobject_cast<QFileSystemModel*>(tree->model());
    tree->setCurrentIndex(model->index(QString::fromStdString(path)));
}

void Click(QDialog* dialog, const char* button) {
    auto* b = dialog->findChild<QPushButton*>(button);
    ASSERT_NE(b, nullptr) << button;
    b->click();
}

class BrowseDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        log_ = browsetest::HermeticEnvironment::Root() + "/msg-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".log";
        // A dialog left open by a failed expectation must not hang the program.
        guard_ = new QTimer;
        guard_->setSingleShot(true);
        QObject::connect(guard_, &QTimer::timeout, [] {
            ADD_FAILURE() << "dialog still open";
            for (const char* name : {"VOKCREATEFOLDERNAME", "VOKBROWSE"})
                if (QDialog* d = FindDialog(name))
                    d->reject();
        });
        guard_->start(20000);
    }
    void TearDown() override { delete guard_; }

    std::string log_;
    QTimer* guard_ = nullptr;
};

TEST_F(BrowseDialogTest, OpensAtTheGivenFolderAndCancelKeepsThePath) {
    const std::string y = MakeDir("x/y");
    char path[VOK_MAX_PATH];
    std::strcpy(path, y.c_str());
    std::string shownTitle, selected, focus;
    bool okEnabled = false, createEnabled = false, allExpanded = true;
    WhenShown("VOKBROWSE", [&](QDialog* d) {
        shownTitle = d->windowTitle().toStdString();
        selected = SelectedPath(d);
        auto* tree = d->findChild<QTreeView*>("folderTree");
        for (QModelIndex up = tree->currentIndex().parent(); up.isValid(); up = up.parent())
            allExpanded = allExpanded && tree->isExpanded(up);
        okEnabled = d->findChild<QPushButton*>("okButton")->isEnabled();
        createEnabled = d->findChild<QPushButton*>("createFolder")->isEnabled();
        focus = d->focusWidget() ? d->focusWidget()->objectName().toStdString() : std::string();
        Click(d, "cancelButton");
    });
    EXPECT_EQ(VokSHBrowseFolder(nullptr, path), 0);
    EXPECT_EQ(std::string(path), y);
    EXPECT_EQ(shownTitle, "Folder select");
    EXPECT_EQ(selected, y);
    EXPECT_TRUE(allExpanded) << "every level down to the folder is open";
    EXPECT_TRUE(okEnabled);
    EXPECT_TRUE(createEnabled);
    EXPECT_EQ(focus, "folderTree");
}

TEST_F(BrowseDialogTest, OpeningFolderComesIntoViewOnceItsLevelsHaveLoaded) {
    // Deep enough, and after enough siblings, that the folder starts below the first screen.
    for (int i = 0; i < 40; ++i)
        MakeDir("a" + std::to_string(100 + i) + "/inner");
    const std::string deep = MakeDir("zz/deeper/deepest");
    char path[VOK_MAX_PATH];
    std::strcpy(path, deep.c_str());
    bool inView = false, stayedAtTop = false;
    std::string selected;
    WhenShown("VOKBROWSE", [&](QDialog* d) {
        auto* tree = d->findChild<QTreeView*>("folderTree");
        auto* poll = new QTimer(d);
        auto* waited = new int(0);
        QObject::connect(poll, &QTimer::timeout, [=, &inView, &selected, &stayedAtTop] {
            const QRect item = tree->visualRect(tree->currentIndex());
            inView = !item.isEmpty() && tree->viewport()->rect().contains(item);
            if (inView || ++*waited > 200) { // 10 s at the most
                selected = SelectedPath(d);
                poll->stop();
                delete waited;
                // Then the user looks elsewhere: the view stays where they put it while the
                // folder they opened loads.
                auto* model = qobject_cast<QFileSystemModel*>(tree->model());
                tree->expand(model->index(QString::fromStdString(MakeDir("a100"))));
                tree->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
                QTimer::singleShot(500, d, [=, &stayedAtTop] {
                    stayedAtTop = tree->verticalScrollBar()->value() == 0;
                    Click(d, "cancelButton");
                });
            }
        });
        poll->start(50);
    });
    EXPECT_EQ(VokSHBrowseFolder(nullptr, path), 0);
    EXPECT_EQ(selected, deep);
    EXPECT_TRUE(inView) << "the selected folder stays out of sight";
    EXPECT_TRUE(stayedAtTop) << "the view jumped back to the opening folder";
}

// The tree lists folders only, and its icons never come from reading a file: a read can block
// for good on special files (a FIFO, or a device-like file under /proc).
TEST_F(BrowseDialogTest, ListsFoldersOnlyAndNeverOpensAFile) {
    const std::string folder = MakeDir("special");
    MakeDir("special/inner");
    {
        std::ofstream data(folder + "/data", std::ios::binary);
        data << "\x89PNG\r\n\x1a\n not really";
        std::ofstream text(folder + "/notes.txt");
        text << "notes\n";
    }
    ASSERT_EQ(::mkfifo((folder + "/pipe").c_str(), 0600), 0);
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, folder.c_str(), IN_OPEN | IN_ACCESS), 0);

    char path[VOK_MAX_PATH];
    std::strcpy(path, folder.c_str());
    std::vector<std::string> rows;
    WhenShown("VOKBROWSE", [&](QDialog* d) {
        auto* tree = d->findChild<QTreeView*>("folderTree");
        auto* model = qobject_cast<QFileSystemModel*>(tree->model());
        // The level is read, then its entries' details (icons, types) are fetched.
        QTimer::singleShot(1500, d, [=, &rows] {
            const QModelIndex parent = model->index(QString::fromStdString(folder));
            for (int row = 0; row < model->rowCount(parent); ++row) {
                const QModelIndex child = model->index(row, 0, parent);
                rows.push_back(model->fileName(child).toStdString());
                model->fileIcon(child);
                model->type(child);
            }
            QTimer::singleShot(500, d, [d] { Click(d, "cancelButton"); });
        });
    });
    EXPECT_EQ(VokSHBrowseFolder(nullptr, path), 0);
    EXPECT_EQ(rows, (std::vector<std::string>{"inner"}));

    std::vector<std::string> opened;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t n; (n = ::read(watch, buffer, sizeof buffer)) > 0;)
        for (char* p = buffer; p < buffer + n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(p);
            if (event->len > 0 && !(event->mask & IN_ISDIR))
                opened.push_back(event->name);
            p += sizeof(inotify_event) + event->len;
        }
    ::close(watch);
    EXPECT_TRUE(opened.empty()) << "opened or read: " << opened.front();
}

TEST_F(BrowseDialogTest, MissingFolderOpensAtItsDeepestExistingPart) {
    const std::string y = MakeDir("x/y");
    const std::string missing = y + "/not/there";
    char path[VOK_MAX_PATH];
    std::strcpy(path, missing.c_str());
    std::string selected;
    WhenShown("VOKBROWSE", [&](QDialog* d) {
        selected = SelectedPath(d);
        Click(d, "cancelButton");
    });
    EXPECT_EQ(VokSHBrowseFolder(nullptr, path), 0);
    EXPECT_EQ(selected, y);
    EXPECT_EQ(std::string(path), missing) << "Cancel gives back the caller's own text";
}

TEST_F(BrowseDialogTest, EmptyPathOpensAtHome) {
    char path[VOK_MAX_PATH] = "";
    std::string selected;
    WhenShown("VOKBROWSE", [&](QDialog* d) {
        selected = SelectedPath(d);
        Click(d, "cancelButton");
    });
    EXPECT_EQ(VokSHBrowseFolder(nullptr, path), 0);
    EXPECT_EQ(selected, std::getenv("HOME"));
    EXPECT_STREQ(path, "");
}

TEST_F(BrowseDialogTest, OkReturnsTheSelectedFolder) {
    const std::string y = MakeDir("x/y");
    const std::string z = MakeDir("x/z");
    char path[VOK_MAX_PATH];
    std::strcpy(path, y.c_str());
    WhenShown("VOKBROWSE", [&](QDialog* d) {
        SelectPath(d, z);
        Click(d, "okButton");
    });
    EXPECT_EQ(VokSHBrowseFolder(nullptr, path), 1);
    EXPECT_EQ(std::string(path), z);
}

TEST_F(BrowseDialogTest, OkIsDisabledWhereNothingCanBeStored) {
    const std::string y = MakeDir("x/y");
    std::vector<std::string> refused = {MakeDir("x/.hidden")};
    if (::geteuid() != 0) { // root ignores folder permissions
        refused.push_back(MakeDir("x/readonly"));
        ::chmod(refused.back().c_str(), 0555);
    }
    char path[VOK_MAX_PATH];
    std::strcpy(path, y.c_str());
    std::vector<bool> enabled;
    WhenShown("VOKBROWSE", [&](QDialog* d) {
        for (const std::string& folder : refused) {
            SelectPath(d, folder);
            enabled.push_back(d->findChild<QPushButton*>("okButton")->isEnabled());
            enabled.push_back(d->findChild<QPushButton*>("createFolder")->isEnabled());
            Click(d, "okButton"); // ignored while disabled
        }
        SelectPath(d, y);
        enabled.push_back(d->findChild<QPushButton*>("okButton")->isEnabled());
        Click(d, "cancelButton");
    });
    EXPECT_EQ(VokSHBrowseFolder(nullptr, path), 0);
    std::vector<bool> expected(2 * refused.size(), false);
    expected.push_back(true);
    EXPECT_EQ(enabled, expected);
}

TEST_F(BrowseDialogTest, FolderTooLongForTheBufferIsRefusedOnOk) {
    // A chosen path must fit the caller's 260-byte buffer with its terminator.
    std::string relative = "long";
    while (browsetest::HermeticEnvironment::Root().size() + 1 + relative.size() <= 259)
        relative += "/" + std::string(40, 'n');
    const std::string deep = MakeDir(relative);
    const std::string parent = deep.substr(0, deep.rfind('/'));
    ASSERT_GT(deep.size(), 259u);
    ASSERT_LE(parent.size(), 259u);
    ScopedEnv answer("VOK_MSG_ANSWER", "ok");
    ScopedEnv log("VOK_MSG_LOG", log_.c_str());
    char path[VOK_MAX_PATH];
    std::strcpy(path, parent.c_str());
    bool openAfterOk = false;
    WhenShown("VOKBROWSE", [&](QDialog* d) {
        SelectPath(d, deep);
        Click(d, "okButton");
        openAfterOk = d->isVisible();
        Click(d, "cancelButton");
    });
    EXPECT_EQ(VokSHBrowseFolder(nullptr, path), 0);
    EXPECT_TRUE(openAfterOk);
    EXPECT_EQ(std::string(path), parent);
    EXPECT_EQ(browsetest::ReadFile(log_),
              "other 170 \tFolder is too long. \\nDesignate directory again.\n");
}

TEST_F(BrowseDialogTest, CreateFolderRefusesBadNamesThenCreatesAndSelects) {
    const std::string x = MakeDir("cf/x");
    MakeDir("cf/x/y");
    ScopedEnv answer("VOK_MSG_ANSWER", "ok");
    ScopedEnv log("VOK_MSG_LOG", log_.c_str());
    VokSHLibSetMsgTitle(0, "RT70 Test");

    char path[VOK_MAX_PATH];
    std::strcpy(path, x.c_str());
    std::string title, currentShown, selectedAfter;
    std::vector<bool> stillOpen;
    WhenShown("VOKBROWSE", [&](QDialog* browse) {
        WhenShown("VOKCREATEFOLDERNAME", [&](QDialog* create) {
            title = create->windowTitle().toStdString();
            auto* shown = create->findChild<QWidget*>("currentPath");
            currentShown = shown ? shown->property("text").toString().toStdString() : "";
            auto* edit = create->findChild<QLineEdit*>("nameEdit");
            for (const char* name : {"a:b", "   ", "..", "y"}) {
                edit->setText(QString::fromUtf8(name));
                Click(create, "okButton");
                stillOpen.push_back(create->isVisible());
            }
            edit->setText("  2000");
            Click(create, "okButton");
            stillOpen.push_back(create->isVisible());
        });
        Click(browse, "createFolder");
        selectedAfter = SelectedPath(browse);
        Click(browse, "okButton");
    });
    EXPECT_EQ(VokSHBrowseFolder(nullptr, path), 1);
    VokSHLibSetMsgTitle(0, "");

    EXPECT_EQ(title, "Create new folder");
    EXPECT_EQ(currentShown, x);
    EXPECT_EQ(stillOpen, (std::vector<bool>{true, true, true, true, false}));
    EXPECT_TRUE(IsDir(x + "/2000"));
    EXPECT_EQ(selectedAfter, x + "/2000");
    EXPECT_EQ(std::string(path), x + "/2000");
    EXPECT_EQ(browsetest::ReadFile(log_),
              "other - RT70 Test\tThis filename cannot contain any of the following "
              "characters:\\n\\/:*?<>|\n"
              "other - RT70 Test\tUp to 100 letters of ASCII characters only can be input.\n"
              "other - RT70 Test\tThe names \".\" and \"..\" cannot be used.\\nEnter another "
              "folder name.\n"
              "error - RT70 Test\tThis folder already exists.\\nEnter another folder name.\n");
}

TEST_F(BrowseDialogTest, CreateFolderCancelChangesNothing) {
    const std::string x = MakeDir("cancel/x");
    ScopedEnv log("VOK_MSG_LOG", log_.c_str());
    char path[VOK_MAX_PATH];
    std::strcpy(path, x.c_str());
    std::string selectedAfter;
    WhenShown("VOKBROWSE", [&](QDialog* browse) {
        WhenShown("VOKCREATEFOLDERNAME", [&](QDialog* create) {
            create->findChild<QLineEdit*>("nameEdit")->setText("never");
            Click(create, "cancelButton");
        });
        Click(browse, "createFolder");
        selectedAfter = SelectedPath(browse);
        Click(browse, "cancelButton");
    });
    EXPECT_EQ(VokSHBrowseFolder(nullptr, path), 0);
    EXPECT_FALSE(IsDir(x + "/never"));
    EXPECT_EQ(selectedAfter, x);
    EXPECT_EQ(browsetest::ReadFile(log_), "");
}

TEST_F(BrowseDialogTest, GermanTexts) {
    ScopedEnv lang("LANG", "de_DE.UTF-8");
    char path[VOK_MAX_PATH] = "";
    std::string title, create;
    WhenShown("VOKBROWSE", [&](QDialog* d) {
        title = d->windowTitle().toStdString();
        create = d->findChild<QPushButton*>("createFolder")->text().toStdString();
        Click(d, "cancelButton");
    });
    EXPECT_EQ(VokSHBrowseFolder(nullptr, path), 0);
    EXPECT_EQ(title, "Ordner auswählen");
    EXPECT_EQ(create, "&Neuen Ordner erstellen...");
}

} // namespace
