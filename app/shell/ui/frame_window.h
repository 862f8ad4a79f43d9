/* The frame window (VOKDscFrame): the MDI area with the toolbar and status bar, the six
 * drop-down menus, the start-up sequence after creation, command dispatch to the
 * subsystems, the enable rules after every event, and the shutdown rules. */
#ifndef QUBEX_FRAME_WINDOW_H
#define QUBEX_FRAME_WINDOW_H

#include "enable_rules.h"
#include "settings_file.h"
#include "state_dump.h"

#include <QMainWindow>

#include <map>
#include <optional>

class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class QToolBar;

namespace qubex {

struct FrameOptions {
    int language = 4;
    int windowsVersion = 0;
    std::string iniPath;
    std::string commandLine;
    bool startupPicture = true; /* false only in wiring tests */
};

class FrameWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit FrameWindow(const FrameOptions& options);
    ~FrameWindow() override;

    /* A menu or toolbar command as if the user chose it. */
    void RunCommand(int id);
    /* Acts on a command line: an event start or file names (opened as the command line's
     * files are: a missing one is skipped without a message). */
    void ActOnCommandLine(const std::string& text);
    /* Opens a file by its type unless a window shows it already (message 183). */
    void OpenFile(const QString& path, const QString& title);

    /* The camera link's communicating flag: set while a connection is open. */
    bool Communicating() const { return communicating_; }
    void SetCommunicating(bool on);

    /* What the enable rules look at, read from the active child. */
    FrameView View() const;
    /* Applies the enable rules to menus and toolbar. */
    void RefreshStates();
    StateDump Dump() const;

    QMdiArea* mdiArea() const { return mdi_; }
    QToolBar* toolBar() const { return toolbar_; }
    QAction* MenuAction(int id) const;
    QAction* ButtonAction(int id) const;
    std::vector<QString> StatusTexts() const;
    const SettingsFile& settings() const { return ini_; }
    int language() const { return options_.language; }

    /* The next file dialog returns this path (and Save As type) without showing itself. */
    void SetNextFileAnswer(const QString& path, int type);
    std::optional<QString> TakeNextFileAnswer(int* type = nullptr);
    /* The same for the subsystems' dialogs, through the meta-object: {path, type} or {}. */
    Q_INVOKABLE QVariantList TakeFileAnswer();

    /* Nonzero while a command runs; the connection library's busy query answers it. */
    bool Busy() const { return busy_ > 0; }

  public slots:
    void AppStartup();             // WM_APPSTARTUP
    void EventDownload(int event); // WM_EVENTDOWNLOAD
    void EventReset();             // WM_EVENTRESET
    void Handoff();                // WM_HANDOFF
    /* Mail preparation (status 0x510, wParam 1): start or end, for a job of the Sending
     * Mail command or of an event-2 download. */
    void MailPreparation(bool start, bool fromCommand);

  signals:
    /* The frame has closed for good: the loop ends. */
    void Closed();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildMenus();
    QMenu* BuildMenu(const QString& title, const std::vector<struct MenuEntry>& entries);
    void CreateToolbar();
    void DestroyToolbar();
    void CreateStatusBar();
    void DestroyStatusBar();
    void LayoutStatusFields();
    void SetHelpText(int message);
    void SetHelpTextRaw(const QString& text);
    void ToggleToolbar();
    void ToggleStatusbar();
    void ToggleTool();
    /* Closes every child that agrees; true when none is left. */
    bool CloseAll();
    void CloseActive();
    void FileOpen();
    void ShowAbout();
    void OpenHelp();
    void Dispatch(int id);
    void FillWindowMenu();
    bool ShutdownAllowed(bool sessionEnd);
    void SaveBarsState();
    intptr_t OnDscNotify(unsigned message, uintptr_t code, intptr_t value);

    FrameOptions options_;
    SettingsFile ini_;
    std::string product_;
    QMdiArea* mdi_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    std::vector<QLabel*> statusFields_;
    std::map<int, QAction*> menuActions_;
    std::map<int, QAction*> buttonActions_;
    std::map<int, bool> buttonEnabled_; /* kept across toolbar re-creation */
    std::map<int, bool> buttonPressed_;
    std::vector<QMenu*> dropDowns_;
    QMenu* windowMenu_ = nullptr;
    QAction* windowListSeparator_ = nullptr;
    bool toolbarHidden_ = false;
    bool statusHidden_ = false;
    bool toolHidden_ = false;
    bool communicating_ = false;
    bool closingAll_ = false;
    bool helpRunning_ = false;
    bool mailPreparing_ = false;
    bool closing_ = false;
    int busy_ = 0;
    std::optional<QString> nextFile_;
    int nextFileType_ = -1;
    std::vector<std::string> openRequests_;
    std::vector<char> lastOutcome_; /* the enable rules' results last applied */
};

} // namespace qubex

#endif
