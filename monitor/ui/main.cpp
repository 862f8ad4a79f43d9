// qubexmon: the camera button monitor. One copy per user: a second start opens the running
// copy's settings dialog and ends. Loads the camera link, starts the worker and stays in the
// notification area until Exit.
#include <QApplication>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "VokDscMsg.h"
#include "handoff.h"
#include "monitor_app.h"
#include "monitor_link.h"
#include "monitor_strings.h"
#include "vok_instance.h"
#include "vok_signal_loop.h"
#include "vok_state_dumper.h"

namespace {

constexpr int kAnswerMs = 10000;

std::string SocketPath() {
    const std::string folder = qubex::RuntimeFolder();
    return folder.empty() ? std::string() : folder + "/qubexmon.instance";
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
    // SIGTERM and SIGINT end the monitor as its Exit does.
    for (int number : {SIGTERM, SIGINT})
        vokc::OnSignalInLoop(number, &app, [] { QCoreApplication::quit(); });
    monitor.Start();
    const int rc = app.exec();
    monitor.Exit();
    dumper.reset();
    return rc;
}
