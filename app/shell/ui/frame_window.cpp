/* The frame window: building menus, toolbar and status bar from the command tables,
 * dispatching commands, applying the enable rules, and the start-up and shutdown rules. */
#include "frame_window.h"

#include "album_commands.h"
#include "artwork.h"
#include "bridge.h"
#include "calendar_commands.h"
#include "camera_commands.h"
#include "child_record.h"
#include "command_line.h"
#include "commands.h"
#include "handoff.h"
#include "help_pages.h"
#include "image_commands.h"
#include "ini_table.h"
#include "mail_commands.h"
#include "mail_jobs.h"
#include "media_commands.h"
#include "movie_playback.h"
#include "open_dialog.h"
#include "program_strings.h"
#include "startup_picture.h"

#include "VokComRT70.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QJsonObject>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QSessionManager>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include <unistd.h>

namespace qubex {
namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QWidget* ChildWidget(QMdiSubWindow* sub) {
    return sub && sub->widget() ? sub->widget() : sub;
}

ChildView ViewOf(QMdiSubWindow* sub) {
    ChildView c;
    QWidget* w = ChildWidget(sub);
    if (!w)
        return c;
    c.kind = w->property(child::kKind).toInt();
    c.hasDocument = w->property(child::kHasDocument).toBool();
    c.modified = w->property(child::kModified).toBool();
    c.displayName = w->property(child::kDisplayName).toString().toStdString();
    c.sourceType = w->property(child::kSourceType).toInt();
    c.undoHere = w->property(child::kUndoHere).toBool();
    c.monthlyCalendar = w->property(child::kMonthly).toBool();
    c.albumSelection = w->property(child::kAlbumSelection).toBool();
    c.albumSelectedName = w->property(child::kAlbumSelectedName).toString().toStdString();
    c.albumMarkedForMail = w->property(child::kAlbumMarked).toInt();
    return c;
}

bool ContainsAction(const QMenu* menu, const QAction* action) {
    for (QAction* a : menu->actions())
        if (a == action || (a->menu() && ContainsAction(a->menu(), action)))
            return true;
    return false;
}

bool IsOwned(QMdiSubWindow* sub) {
    return ChildWidget(sub)->property(child::kOwned).toBool();
}

} // namespace

FrameWindow::FrameWindow(const FrameOptions& options)
    : options_(options), ini_(options.iniPath),
      product_(ProgramText(STR_PRODUCT, options.language)) {
    setObjectName("VOKDscFrame");
    setWindowTitle(Q(product_));
    setWindowIcon(ProgramIcon());
    setAcceptDrops(true);
    resize(800, 600);

    BuildMenus();
    const int tool = ini_.ReadInt(QUBEX_SEC_APP, "Tool", 0);
    const int status = ini_.ReadInt(QUBEX_SEC_APP, "Status", 0);
    toolbarHidden_ = !(tool == 0 && (status == 0 || status == 1));
    statusHidden_ = !(status == 0 && (tool == 0 || tool == 1));
    for (int id : ToolbarLayout())
        if (id)
            buttonEnabled_[id] = ButtonInitiallyEnabled(id);
    if (!toolbarHidden_)
        CreateToolbar();
    if (!statusHidden_)
        CreateStatusBar();
    else
        setStatusBar(nullptr);
    menuActions_[CMD_TOOLBAR]->setChecked(!toolbarHidden_);
    menuActions_[CMD_STATUSBAR]->setChecked(!statusHidden_);

    mdi_ = new QMdiArea(this);
    mdi_->setObjectName("3232"); // control id 0xCA0
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);

    toolHidden_ = ini_.ReadInt(QUBEX_SEC_APP, "ToolBox", 0) != 0;
    menuActions_[CMD_TOOL]->setChecked(!toolHidden_);
    menuActions_[CMD_TOOL]->setEnabled(false);

    bridge::SetNotifyHandler([this](unsigned message, uintptr_t code, intptr_t value) {
        return OnDscNotify(message, code, value);
    });
    // The enable rules after every event: when the loop is about to wait again.
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                &FrameWindow::RefreshStates);
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
        if (!ShutdownAllowed(true))
            manager.cancel();
    });
    qApp->installEventFilter(this);
    QMetaObject::invokeMethod(this, &FrameWindow::AppStartup, Qt::QueuedConnection);
}

FrameWindow::~FrameWindow() {
    qApp->removeEventFilter(this);
    bridge::SetNotifyHandler({});
}

void FrameWindow::BuildMenus() {
    for (const DropDown& d : MenuBar()) {
        QMenu* menu = BuildMenu(Q(ProgramText(d.title, options_.language)), d.entries);
        menu->setObjectName(QString("menu%1").arg(dropDowns_.size()));
        menuBar()->addMenu(menu);
        menu->menuAction()->setEnabled(!d.startsGrayed);
        dropDowns_.push_back(menu);
    }
    // Additions: the desktop's standard shortcuts for the commands that have one.
    const std::pair<int, QKeySequence::StandardKey> shortcuts[] = {
        {CMD_FILE_OPEN, QKeySequence::Open}, {CMD_SAVE, QKeySequence::Save},
        {CMD_PRINT, QKeySequence::Print},    {CMD_EXIT, QKeySequence::Quit},
        {CMD_UNDO, QKeySequence::Undo},      {CMD_CUT, QKeySequence::Cut},
        {CMD_COPY, QKeySequence::Copy},      {CMD_PASTE, QKeySequence::Paste}};
    for (const auto& [id, key] : shortcuts)
        menuActions_[id]->setShortcuts(key);
    windowMenu_ = dropDowns_[kWindowMenuPosition];
    windowListSeparator_ = windowMenu_->addSeparator();
    connect(windowMenu_, &QMenu::aboutToShow, this, &FrameWindow::FillWindowMenu);
}

QMenu* FrameWindow::BuildMenu(const QString& title, const std::vector<MenuEntry>& entries) {
    auto* menu = new QMenu(title, this);
    connect(menu, &QMenu::aboutToShow, this, &FrameWindow::RefreshStates);
    connect(menu, &QMenu::aboutToHide, this, [this] { SetHelpText(MSG_READY); });
    connect(menu, &QMenu::hovered, this, [this](QAction* action) {
        const int id = action->data().toInt();
        SetHelpText(id ? MenuHelpText(id, !action->isEnabled()) : MSG_READY);
    });
    for (const MenuEntry& e : entries) {
        if (e.kind == MenuEntry::Separator) {
            menu->addSeparator();
        } else if (e.kind == MenuEntry::Submenu) {
            QMenu* sub = BuildMenu(Q(ProgramText(e.id, options_.language)), e.entries);
            sub->setObjectName(QString("submenu%1").arg(e.id));
            menu->addMenu(sub);
            if (e.id == STR_MENU_MAIL)
                sub->menuAction()->setObjectName("mailDropDown");
        } else {
            QAction* a = menu->addAction(Q(MenuLabel(e.id, options_.language)));
            a->setObjectName(QString::number(e.id));
            a->setData(e.id);
            a->setCheckable(e.checkable);
            connect(a, &QAction::triggered, this, [this, id = e.id] { RunCommand(id); });
            menuActions_[e.id] = a;
        }
    }
    return menu;
}

void FrameWindow::CreateToolbar() {
    toolbar_ = new QToolBar(this);
    toolbar_->setObjectName("701");
    toolbar_->setMovable(false);
    toolbar_->setIconSize(QSize(16, 16));
    for (int id : ToolbarLayout()) {
        if (id == 0) {
            toolbar_->addSeparator();
            continue;
        }
        QAction* a = toolbar_->addAction(ButtonIcon(id), Q(ProgramText(id, options_.language)));
        a->setObjectName(QString::number(id));
        a->setToolTip(a->text());
        a->setEnabled(buttonEnabled_[id]);
        a->setCheckable(buttonPressed_[id]);
        a->setChecked(buttonPressed_[id]);
        connect(a, &QAction::triggered, this, [this, id] { RunCommand(id); });
        if (QWidget* button = toolbar_->widgetForAction(a)) {
            button->setProperty("vokButton", id);
            button->installEventFilter(this);
        }
        buttonActions_[id] = a;
    }
    addToolBar(Qt::TopToolBarArea, toolbar_);
    toolbar_->show();
}

void FrameWindow::DestroyToolbar() {
    if (!toolbar_)
        return;
    for (auto& [id, a] : buttonActions_) {
        buttonEnabled_[id] = a->isEnabled();
        buttonPressed_[id] = a->isChecked();
    }
    buttonActions_.clear();
    removeToolBar(toolbar_);
    delete toolbar_;
    toolbar_ = nullptr;
}

void FrameWindow::CreateStatusBar() {
    auto* bar = new QStatusBar(this);
    bar->setObjectName("700");
    bar->setSizeGripEnabled(true);
    statusFields_.clear();
    for (int i = 0; i < 5; ++i) {
        auto* field = new QLabel(bar);
        field->setObjectName(QString("700.%1").arg(i));
        field->setFrameShape(i == 0 ? QFrame::NoFrame : QFrame::Panel);
        field->setFrameShadow(QFrame::Sunken);
        // A long help text must never widen the window: the fields keep the design's edges.
        if (i == 0) {
            field->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
            field->setMinimumWidth(1);
        }
        bar->addWidget(field, i == 0 ? 1 : 0);
        statusFields_.push_back(field);
    }
    setStatusBar(bar);
    SetHelpText(MSG_READY);
    LayoutStatusFields();
}

void FrameWindow::DestroyStatusBar() {
    statusFields_.clear();
    setStatusBar(nullptr);
}

void FrameWindow::LayoutStatusFields() {
    if (statusFields_.empty())
        return;
    // Field 0 takes what is left; fields 1 to 4 get the widths between the right edges,
    // less the bar's spacing, so that the edges fall where the design puts them.
    const std::vector<int> edges = StatusFieldEdges(width(), options_.language);
    const int spacing = statusBar() && statusBar()->layout() ? statusBar()->layout()->spacing() : 0;
    for (size_t i = 1; i < statusFields_.size(); ++i)
        statusFields_[i]->setFixedWidth(std::max(1, edges[i] - edges[i - 1] - spacing));
}

void FrameWindow::SetHelpText(int message) {
    SetHelpTextRaw(Q(bridge::Text(message)));
}

void FrameWindow::SetHelpTextRaw(const QString& text) {
    if (!statusFields_.empty())
        statusFields_[0]->setText(text);
}

std::vector<QString> FrameWindow::StatusTexts() const {
    std::vector<QString> texts;
    for (QLabel* field : statusFields_)
        texts.push_back(field->text());
    return texts;
}

QAction* FrameWindow::MenuAction(int id) const {
    auto it = menuActions_.find(id);
    return it == menuActions_.end() ? nullptr : it->second;
}

QAction* FrameWindow::ButtonAction(int id) const {
    auto it = buttonActions_.find(id);
    return it == buttonActions_.end() ? nullptr : it->second;
}

FrameView FrameWindow::View() const {
    FrameView v;
    QMdiSubWindow* active = mdi_ ? mdi_->activeSubWindow() : nullptr;
    v.hasActive = active != nullptr;
    if (active)
        v.active = ViewOf(active);
    if (mdi_)
        for (QMdiSubWindow* sub : mdi_->subWindowList())
            if (sub->isMinimized() && !IsOwned(sub))
                v.anyIconic = true;
    if (const QMimeData* mime = QApplication::clipboard()->mimeData())
        v.clipboardTextAndDib =
            mime->hasText() && (mime->hasImage() || mime->hasFormat("application/x-vok-dib"));
    v.mailAvailable = mail::Jobs().available;
    v.mailPreparing = mailPreparing_;
    return v;
}

void FrameWindow::RefreshStates() {
    const FrameView v = View();
    // Widgets are touched only when a rule's outcome changed since the last refresh.
    std::vector<char> outcome;
    for (const auto& entry : menuActions_)
        outcome.push_back(MenuItemEnabled(entry.first, v));
    for (int position : {1, 2, 3})
        outcome.push_back(DropDownEnabled(position, v));
    const std::map<int, ButtonState> buttons = ToolbarStates(v);
    for (const auto& entry : buttons)
        outcome.push_back(entry.second == ButtonState::Enabled);
    outcome.push_back(mailPreparing_);
    outcome.push_back(toolbar_ != nullptr);
    if (outcome == lastOutcome_)
        return;
    lastOutcome_ = outcome;
    for (auto& [id, action] : menuActions_)
        action->setEnabled(MenuItemEnabled(id, v));
    for (int position : {1, 2, 3})
        dropDowns_[position]->menuAction()->setEnabled(DropDownEnabled(position, v));
    for (const auto& [id, state] : buttons) {
        buttonEnabled_[id] = state == ButtonState::Enabled;
        if (QAction* a = ButtonAction(id))
            a->setEnabled(buttonEnabled_[id]); // the pressed bit is left as it is
    }
    for (QAction* a : dropDowns_[0]->actions())
        if (a->objectName() == "mailDropDown")
            a->setEnabled(!mailPreparing_);
}

void FrameWindow::RunCommand(int id) {
    ++busy_;
    const int command = CommandOfButton(id) ? CommandOfButton(id) : id;
    Dispatch(command);
    --busy_;
}

void FrameWindow::Dispatch(int id) {
    const CommandInfo* info = FindCommand(id);
    if (!info)
        return;
    switch (id) {
    case CMD_FILE_OPEN:
        FileOpen();
        return;
    case CMD_EXIT:
        if (communicating_)
            bridge::ShowMessage(this, MSG_COMMUNICATING, product_);
        else
            close();
        return;
    case CMD_ABOUT:
        ShowAbout();
        return;
    case CMD_CLOSE:
        CloseActive();
        return;
    case CMD_HELP:
        OpenHelp();
        return;
    case CMD_NOTHING:
        return;
    case CMD_TILE:
        mdi_->tileSubWindows();
        return;
    case CMD_CASCADE:
        mdi_->cascadeSubWindows();
        return;
    case CMD_ARRANGE: {
        int x = 0;
        for (QMdiSubWindow* sub : mdi_->subWindowList())
            if (sub->isMinimized() && !IsOwned(sub)) {
                sub->move(x, mdi_->viewport()->height() - sub->height());
                x += sub->width();
            }
        return;
    }
    case CMD_CLOSE_ALL:
        CloseAll();
        return;
    case CMD_TOOLBAR:
        ToggleToolbar();
        return;
    case CMD_STATUSBAR:
        ToggleStatusbar();
        return;
    case CMD_TOOL:
        ToggleTool();
        return;
    case CMD_EVENT_1:
    case CMD_EVENT_2:
        QMetaObject::invokeMethod(
            this, [this, id] { EventDownload(id == CMD_EVENT_1 ? 1 : 2); }, Qt::QueuedConnection);
        return;
    case CMD_CALENDAR_MONTH:
    case CMD_CALENDAR_YEAR: {
        // Every button indeterminate while the calendar dialogs run, then as before.
        std::map<int, bool> before;
        for (auto& [button, action] : buttonActions_) {
            before[button] = action->isEnabled();
            action->setEnabled(false);
        }
        calendar::RunCommand(this, id);
        for (auto& [button, enabled] : before)
            if (QAction* a = ButtonAction(button))
                a->setEnabled(enabled);
        return;
    }
    case CMD_SEND_MAIL:
        if (mail::Jobs().CanStart())
            mail::RunCommand(this, id);
        return;
    default:
        break;
    }
    switch (info->owner) {
    case Owner::Camera:
        camera::RunCommand(this, id);
        break;
    case Owner::Image:
        if ((id == CMD_SAVE || id == CMD_SAVE_AS) && album::RunCommand(this, id))
            break; // the active window is an album
        image::RunCommand(this, id);
        break;
    case Owner::Album:
        album::RunCommand(this, id);
        break;
    case Owner::Calendar:
        calendar::RunCommand(this, id);
        break;
    case Owner::Media:
        media::RunCommand(this, id);
        break;
    case Owner::Mail:
        mail::RunCommand(this, id);
        break;
    case Owner::Shell:
        break;
    }
}

void FrameWindow::FileOpen() {
    int type = -1;
    const auto choice = ChooseFileToOpen(
        this, ini_, options_.language, media::MoviePlaybackAvailable(), TakeNextFileAnswer(&type));
    if (!choice)
        return;
    OpenFile(choice->path, choice->title);
    // The View menu shows the new active window's zoom.
    for (int zoom = CMD_ZOOM_25; zoom <= CMD_ZOOM_400; ++zoom)
        menuActions_[zoom]->setChecked(false);
    if (QMdiSubWindow* active = mdi_->activeSubWindow())
        if (int zoom = ZoomCommand(ChildWidget(active)->property(child::kZoom).toInt()))
            menuActions_[zoom]->setChecked(true);
}

void FrameWindow::OpenFile(const QString& path, const QString& title) {
    if (album::IsAlbumPath(path)) {
        openRequests_.push_back(path.toStdString());
        album::CreateAlbumWindow(this, path);
        return;
    }
    for (QMdiSubWindow* sub : mdi_->subWindowList()) {
        QWidget* w = ChildWidget(sub);
        if (w->property(child::kKind).toInt() == KIND_IMAGE &&
            w->property(child::kPath).toString().compare(path, Qt::CaseInsensitive) == 0) {
            bridge::ShowMessage(this, MSG_ALREADY_OPEN, product_);
            if (sub->isMinimized())
                sub->showNormal();
            mdi_->setActiveSubWindow(sub);
            return;
        }
    }
    openRequests_.push_back(path.toStdString());
    image::OpenImageFile(this, path, title);
}

void FrameWindow::ActOnCommandLine(const std::string& text) {
    const CommandLine line = ParseCommandLine(text);
    if (line.kind == CommandKind::Event) {
        if (EventStartsDownload(line.event))
            QMetaObject::invokeMethod(
                this, [this, event = line.event] { EventDownload(event); }, Qt::QueuedConnection);
        return;
    }
    for (const std::string& token : line.files) {
        const QFileInfo info(Q(token));
        if (info.isFile())
            OpenFile(info.absoluteFilePath(), info.fileName());
    }
}

void FrameWindow::AppStartup() {
    if (IsEventStart(options_.commandLine))
        bridge::MarkActive(::getpid());
    if (options_.startupPicture) {
        StartupPicture picture(
            this, Q(product_), [this] { EventReset(); },
            [] {
                mail::Jobs().Reset();
                mail::Jobs().available = true;
            });
        if (picture.exec() != 1) {
            closing_ = true;
            close();
            return;
        }
    } else {
        mail::Jobs().Reset();
        mail::Jobs().available = true;
    }
    ActOnCommandLine(options_.commandLine);
}

void FrameWindow::EventDownload(int event) {
    camera::EventDownload(this, event);
}

void FrameWindow::EventReset() {
    if (!IsEventStart(options_.commandLine))
        return;
    bridge::SetApplicationInfo(this, product_, ini_.path());
    bridge::ResetButtonStatus();
    // The program quits without a connection: the monitor must not wait for a dead copy.
    bridge::ClearActive();
    options_.commandLine.clear();
}

void FrameWindow::Handoff() {
    // A minimised copy is restored and then acts on the text as well.
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    std::string text;
    if (TakeHandoff(HandoffPath(), &text))
        ActOnCommandLine(text);
}

void FrameWindow::MailPreparation(bool start, bool fromCommand) {
    mailPreparing_ = start;
    if (fromCommand)
        bridge::MarkResizing(start, ::getpid());
    RefreshStates();
}

void FrameWindow::SetCommunicating(bool on) {
    communicating_ = on;
    if (on)
        bridge::MarkActive(::getpid());
    else
        bridge::ClearActive();
    // No second transfer can start from the menu or the toolbar while one runs.
    if (QMenu* communication = findChild<QMenu*>(QString("submenu%1").arg(STR_MENU_COMMUNICATION)))
        communication->menuAction()->setEnabled(!on);
    for (int id : {BTN_DATA_IN, BTN_DATA_OUT}) {
        buttonEnabled_[id] = !on;
        if (QAction* a = ButtonAction(id))
            a->setEnabled(!on);
    }
    update();
}

intptr_t FrameWindow::OnDscNotify(unsigned message, uintptr_t code, intptr_t value) {
    if (message == WM_DSC_STATUS && code == DSC_STATUS_BUSY_QUERY && closingAll_)
        return 1;
    return camera::OnNotify(this, message, code, value);
}

void FrameWindow::ToggleToolbar() {
    if (toolbar_) {
        DestroyToolbar();
        toolbarHidden_ = true;
    } else {
        CreateToolbar();
        toolbarHidden_ = false;
    }
    menuActions_[CMD_TOOLBAR]->setChecked(!toolbarHidden_);
    LayoutStatusFields();
}

void FrameWindow::ToggleStatusbar() {
    if (!statusFields_.empty()) {
        DestroyStatusBar();
        statusHidden_ = true;
    } else {
        CreateStatusBar();
        statusHidden_ = false;
    }
    menuActions_[CMD_STATUSBAR]->setChecked(!statusHidden_);
}

void FrameWindow::ToggleTool() {
    toolHidden_ = !toolHidden_;
    menuActions_[CMD_TOOL]->setChecked(!toolHidden_);
    image::SetToolWindowVisible(this, !toolHidden_);
    if (!toolHidden_)
        activateWindow();
}

bool FrameWindow::CloseAll() {
    closingAll_ = true;
    for (QMdiSubWindow* sub : mdi_->subWindowList()) {
        if (IsOwned(sub))
            continue;
        if (sub->isMinimized())
            sub->showNormal();
        sub->close();
    }
    closingAll_ = false;
    return mdi_->subWindowList().isEmpty();
}

void FrameWindow::CloseActive() {
    if (QMdiSubWindow* active = mdi_->activeSubWindow())
        active->close();
}

void FrameWindow::ShowAbout() {
    PictureDialog about(this, "AboutDlg", Q(product_));
    about.exec();
}

void FrameWindow::OpenHelp() {
    if (helpRunning_)
        return;
    helpRunning_ = true;
    OpenHelpContents(options_.language);
    helpRunning_ = false;
}

void FrameWindow::FillWindowMenu() {
    const QList<QAction*> actions = windowMenu_->actions();
    const int first = actions.indexOf(windowListSeparator_) + 1;
    for (int i = first; i < actions.size(); ++i)
        delete actions[i];
    const QList<QMdiSubWindow*> subs = mdi_->subWindowList(QMdiArea::CreationOrder);
    windowListSeparator_->setVisible(!subs.isEmpty());
    int n = 0;
    for (QMdiSubWindow* sub : subs) {
        QAction* a = windowMenu_->addAction(QString("&%1 %2").arg(++n).arg(sub->windowTitle()));
        a->setCheckable(true);
        a->setChecked(sub == mdi_->activeSubWindow());
        connect(a, &QAction::triggered, this, [this, sub] { mdi_->setActiveSubWindow(sub); });
    }
}

bool FrameWindow::ShutdownAllowed(bool sessionEnd) {
    if (communicating_) {
        bridge::ShowMessage(this, sessionEnd ? MSG_STILL_ACTIVE : MSG_COMMUNICATING, product_);
        return false;
    }
    return CloseAll();
}

void FrameWindow::SaveBarsState() {
    ini_.WriteInt(QUBEX_SEC_APP, "Tool", toolbarHidden_ ? 1 : 0);
    ini_.WriteInt(QUBEX_SEC_APP, "Status", statusHidden_ ? 1 : 0);
    ini_.WriteInt(QUBEX_SEC_APP, "ToolBox", toolHidden_ ? 1 : 0);
}

void FrameWindow::closeEvent(QCloseEvent* event) {
    if (!closing_ && !ShutdownAllowed(false)) {
        event->ignore();
        return;
    }
    closing_ = true;
    SaveBarsState();
    event->accept();
    emit Closed();
}

void FrameWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    LayoutStatusFields();
}

void FrameWindow::changeEvent(QEvent* event) {
    // Enabling the frame again (after the meter) enables every drop-down with it: the next
    // refresh applies all rules, whatever it applied before.
    if (event->type() == QEvent::EnabledChange)
        lastOutcome_.clear();
    QMainWindow::changeEvent(event);
    // The camera library's progress dialog stays in view when the frame is maximised or
    // restored.
    if (event->type() == QEvent::WindowStateChange && !isMinimized())
        if (QWidget* dialog = camera::LibraryDialog()) {
            dialog->show();
            dialog->update();
        }
}

void FrameWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void FrameWindow::dropEvent(QDropEvent* event) {
    for (const QUrl& url : event->mimeData()->urls()) {
        if (!url.isLocalFile())
            continue;
        const QFileInfo info(url.toLocalFile());
        OpenFile(info.absoluteFilePath(), info.fileName());
    }
    event->acceptProposedAction();
}

bool FrameWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        // Help opens on the press of F1, not on its repeats, while the frame is active.
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F1 && !key->isAutoRepeat() && isActiveWindow() &&
            QApplication::activeModalWidget() == nullptr) {
            OpenHelp();
            return true;
        }
        break;
    }
    case QEvent::Enter:
    case QEvent::Leave: {
        const QVariant button = watched->property("vokButton");
        if (button.isValid()) {
            const int id = button.toInt();
            QAction* a = ButtonAction(id);
            if (event->type() == QEvent::Enter && a)
                SetHelpText(ButtonHelp(id, a->isEnabled()));
            else
                SetHelpText(MSG_READY);
        }
        break;
    }
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void FrameWindow::SetNextFileAnswer(const QString& path, int type) {
    nextFile_ = path;
    nextFileType_ = type;
}

std::optional<QString> FrameWindow::TakeNextFileAnswer(int* type) {
    std::optional<QString> answer = nextFile_;
    if (type)
        *type = nextFileType_;
    nextFile_.reset();
    nextFileType_ = -1;
    return answer;
}

QVariantList FrameWindow::TakeFileAnswer() {
    int type = -1;
    const std::optional<QString> answer = TakeNextFileAnswer(&type);
    return answer ? QVariantList{*answer, type} : QVariantList();
}

StateDump FrameWindow::Dump() const {
    StateDump d;
    d.pid = ::getpid();
    d.language = options_.language;
    d.frameTitle = windowTitle().toStdString();
    d.frameVisible = isVisible();
    d.frameMinimized = isMinimized();
    QMdiSubWindow* active = mdi_->activeSubWindow();
    for (QMdiSubWindow* sub : mdi_->subWindowList(QMdiArea::CreationOrder)) {
        QWidget* w = ChildWidget(sub);
        DumpChild c;
        c.kind = w->property(child::kKind).toInt();
        c.windowClass = w->property(child::kClass).toString().toStdString();
        c.title = sub->windowTitle().toStdString();
        c.path = w->property(child::kPath).toString().toStdString();
        c.active = sub == active;
        c.modified = w->property(child::kModified).toBool();
        c.extra = w->property(child::kDumpExtra).toJsonObject();
        d.children.push_back(c);
    }
    const QList<QMenu*> menus = findChildren<QMenu*>();
    for (const auto& [id, a] : menuActions_) {
        bool enabled = a->isEnabled();
        // An item of a grayed drop-down or submenu (or of a submenu in it) cannot be chosen.
        for (QMenu* menu : menus)
            if (!menu->menuAction()->isEnabled() && ContainsAction(menu, a))
                enabled = false;
        d.menus[id] = {enabled, a->isChecked()};
    }
    if (toolbar_)
        for (int id : ToolbarLayout())
            if (QAction* a = ButtonAction(id))
                d.toolbar.push_back({id, a->isEnabled(), a->isChecked()});
    if (!statusFields_.empty())
        for (const QString& s : StatusTexts())
            d.status.push_back(s.toStdString());
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->isVisible())
            d.dialogs.push_back(
                {dialog->objectName().toStdString(), dialog->windowTitle().toStdString()});
    d.toolWindowVisible = image::ToolWindowVisible();
    d.openRequests = openRequests_;
    d.communicating = communicating_;
    d.camera = camera::DumpState();
    return d;
}

} // namespace qubex
