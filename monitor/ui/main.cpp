// qubexmon: the camera button monitor. One copy per user: a second start opens the running
// copy's settings dialog and ends. Loads the camera link, starts the worker and stays in the
// notification area until Exit.
#include <QApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "VokDscMsg.h"
#include "handoff.h"
#include "monitor_app.h"
#include "monitor_link.h"
#include "monitor_strings.h"
#include "vok_instance.h"
#include "vok_state_dumper.h"

namespace {

constexpr int kAnswerMs = 10000;

std::string SocketPath() {
    const std::string folder = qubex::RuntimeFolder();
    return folder.empty() ? std::string() : folder + "/qubexmon.instance";
}

/* SIGTERM and SIGINT reach the event loop through a socket pair and end the monitor as its
 * Exit does. */
int g_terminatePipe[2] = {-1, -1};

void OnTerminate(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(g_terminatePipe[1], &byte, 1);
    errno = saved;
}

void CatchTermination(QObject* context) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_terminatePipe) != 0)
        return;
    ::fcntl(g_terminatePipe[1], F_SETFL, O_NONBLOCK);
    auto* notifier = new QSocketNotifier(g_terminatePipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context,
                     [] { QCoreApplication::quit(); });
    struct sigaction action {};
    action.sa_handler = OnTerminate;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    app.setApplicationName("qubexmon");
    const int language = VokDsc_Msg_Language();
    const std::string socketPath = SocketPath();
    if (vokc::CallRunningCopy(socketPath, "settings", kAnswerMs))
        return 0;

    qubexmon::MonLink link;
    if (!qubexmon::MonLink_Load(&link)) {
        VokDsc_Msg_Box(nullptr, VOK_BOX_ERROR, -1, qubexmon::MonString(101, language),
                       "VOKDSCEVNT1", 0);
        return 1;
    }
    qubexmon::MonitorApp monitor(&link, language);
    vokc::InstanceServer instance(socketPath,
                                  [&monitor](const std::string&) { monitor.ShowSettings(); });
    if (!instance.Listen() && vokc::CallRunningCopy(socketPath, "settings", kAnswerMs))
        return 0; // another copy started at the same moment and won

    std::unique_ptr<vokc::StateDumper> dumper;
    if (const char* path = std::getenv("VOK_STATE_DUMP"); path && *path)
        dumper = std::make_unique<vokc::StateDumper>([&monitor] { return monitor.DumpText(); },
                                                     QString::fromLocal8Bit(path));
    CatchTermination(&app);
    monitor.Start();
    const int rc = app.exec();
    monitor.Exit();
    dumper.reset();
    return rc;
}
