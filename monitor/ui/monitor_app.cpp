/* Wiring of the tray program. Everything the worker asks of the user interface is queued to
 * the GUI thread, so the worker never waits for a box and exit never waits for the worker
 * longer than one step of its sleeps or one exchange with the camera. */
#include "monitor_app.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QIcon>
#include <QJsonDocument>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QUrl>
#include <QVBoxLayout>

#include <cstdio>

#include "VokDscMsg.h"
#include "VokSharedKeys.h"
#include "monitor_settings.h"
#include "monitor_strings.h"
#include "settings_dialog.h"
#include "state_dump.h"
#include "vok_help_page.h"

namespace qubexmon {
namespace {

const char kTip[] = "qubex Monitor";
const char kWindowTitle[] = "VOKDSCEVNT1: Sample Application";

QString HelpPage(int language) {
    return vokc::HelpContentsPage("qubexmon", QStringLiteral(QUBEXMON_HELP_SOURCE_DIR), language);
}

} // namespace

MonitorApp::MonitorApp(MonLink* link, int language)
    : language_(language), ownFolder_(MonOwnFolder()), worker_(this, link) {
    settings_ = std::make_unique<SettingsDialog>(
        ownFolder_,
        [this](bool interrupted) {
            worker_.state().interruption = interrupted;
            worker_.RequestReset();
        },
        language_);
    connect(settings_.get(), &SettingsDialog::HelpRequested, this, &MonitorApp::ShowHelp);

    menu_ = std::make_unique<QMenu>();
    connect(menu_->addAction(Text(17)), &QAction::triggered, this, &MonitorApp::ShowSettings);
    menu_->addSeparator();
    connect(menu_->addAction(Text(15)), &QAction::triggered, this, &MonitorApp::ShowVersion);
    menu_->addSeparator();
    connect(menu_->addAction(Text(14)), &QAction::triggered, this, &MonitorApp::ShowHelp);
    menu_->addSeparator();
    connect(menu_->addAction(Text(16)), &QAction::triggered, this, &MonitorApp::Exit);

    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        tray_ = new QSystemTrayIcon(QIcon(":/qubexmon/qubexmon.png"), this);
        tray_->setToolTip(kTip);
        tray_->setContextMenu(menu_.get());
        connect(tray_, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason r) {
                    if (r == QSystemTrayIcon::DoubleClick)
                        ShowSettings();
                });
        tray_->show();
    } else {
        std::fprintf(stderr, "qubexmon: the desktop has no notification area; running without "
                             "an icon (start qubexmon again to open its settings)\n");
    }
}

MonitorApp::~MonitorApp() {
    worker_.Stop();
}

QString MonitorApp::Text(int id) const {
    return QString::fromUtf8(MonString(id, language_));
}

void MonitorApp::Start() {
    // The settings as the dialog would show them, written back so that the main program and
    // the connection library read the same folders.
    MonWriteSettings(MonReadSettings(ownFolder_));
    worker_.Start();
}

void MonitorApp::Exit() {
    if (tray_)
        tray_->hide();
    settings_->hide();
    worker_.Stop();
    QCoreApplication::quit();
}

void MonitorApp::ShowSettings() {
    settings_->ShowWith(worker_.state().interruption);
}

void MonitorApp::ShowVersion() {
    QDialog box;
    box.setObjectName("DLG_VERSION");
    box.setWindowTitle(Text(4));
    auto* layout = new QVBoxLayout(&box);
    auto* icon = new QLabel;
    icon->setPixmap(QIcon(":/qubexmon/qubexmon.png").pixmap(32, 32));
    layout->addWidget(icon);
    layout->addWidget(new QLabel(Text(4) + "\n" + Text(kMonVersion).arg(QUBEXMON_VERSION) + "\n\n" +
                                 Text(kMonAbout)));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("1");
    buttons->button(QDialogButtonBox::Ok)->setText(Text(kMonOk));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    box.exec();
}

void MonitorApp::ShowHelp() {
    if (helpOpen_)
        return; // a second request while one is being opened
    helpOpen_ = true;
    const QString page = HelpPage(language_);
    if (!page.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(page));
    helpOpen_ = false;
}

QByteArray MonitorApp::DumpText() const {
    qubex::StateDump d;
    d.program = "qubexmon";
    d.pid = QCoreApplication::applicationPid();
    d.language = language_;
    d.frameTitle = kWindowTitle;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->isVisible())
            d.dialogs.push_back(
                {dialog->objectName().toStdString(), dialog->windowTitle().toStdString()});
    QJsonObject o = qubex::StateDumpJson(d);
    // The main program's own keys mean nothing here.
    o.remove("camera");
    o.remove("open_requests");
    o["tray"] = QJsonObject{{"tip", kTip}, {"visible", tray_ && tray_->isVisible()}};
    o["polling"] = worker_.state().running && worker_.state().pollingAllowed;
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

MonLaunch MonitorApp::Launch(int event) {
    const MonSettings s = MonReadSettings(ownFolder_);
    const QString program = QString::fromStdString(MonProgramPath(s.application));
    const QFileInfo file(program);
    if (!file.isFile())
        return MonLaunch::NotFound;
    const QString argument = QStringLiteral("VOK_EVNT_NO=%1").arg(event);
    return QProcess::startDetached(program, {argument}) ? MonLaunch::Started : MonLaunch::Failed;
}

void MonitorApp::LaunchMessage(int stringId) {
    QMetaObject::invokeMethod(
        this,
        [this, stringId] {
            const QByteArray text = Text(stringId).toUtf8();
            const QByteArray caption = Text(4).toUtf8();
            VokDsc_Msg_Box(nullptr, VOK_BOX_MESSAGE, -1, text.constData(), caption.constData(), 0);
        },
        Qt::QueuedConnection);
}

void MonitorApp::Interrupted() {
    QMetaObject::invokeMethod(
        this, [this] { settings_->SetInterrupted(true); }, Qt::QueuedConnection);
}

void MonitorApp::Ended() {
    QMetaObject::invokeMethod(this, &MonitorApp::Exit, Qt::QueuedConnection);
}

} // namespace qubexmon
