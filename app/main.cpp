/* qubex: start-up only. Language and version codes, --help and --version, one copy per user
 * (a later start hands its command line over and ends), the frame, the test hooks, the loop. */
#include "bridge.h"
#include "command_line.h"
#include "frame_window.h"
#include "movie_playback.h"
#include "program_strings.h"
#include "settings_file.h"
#include "single_instance.h"
#include "state_dump.h"
#include "test_hooks.h"

#include <QApplication>
#include <QLoggingCategory>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

const char kUsage[] =
    "Usage: qubex [FILE...]\n"
    "       qubex VOK_EVNT_NO=<n>\n"
    "Shows images, albums, calendars and movies of the RT70 camera and moves them between the\n"
    "camera and this computer. FILE names are opened in windows (quote a name with blanks);\n"
    "VOK_EVNT_NO=1 or 2 downloads every image, as the camera's button monitor asks.\n"
    "A second start hands its files to the copy that runs already.\n"
    "\n"
    "  --help     show this text\n"
    "  --version  show the version\n";

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("qubex %s\n", QUBEX_VERSION);
            return 0;
        }
        words.push_back(argv[i]);
    }
    // The movie windows need Qt Multimedia's FFmpeg back end (GStreamer finds no codecs on a
    // plain install); the user's own choice stands.
    if (!std::getenv("QT_MEDIA_BACKEND"))
        setenv("QT_MEDIA_BACKEND", "ffmpeg", 1);

    QApplication app(argc, argv);
    // Debian's Qt 6.4 FFmpeg back end prints its codec listing as debug output on every start;
    // QT_LOGGING_RULES still overrides this.
    QLoggingCategory::setFilterRules("default.debug=false");
    app.setApplicationName("qubex");
    app.setDesktopFileName("qubex");
    app.setQuitOnLastWindowClosed(false);

    const std::string commandLine = qubex::JoinArguments(words);
    if (qubex::HandToRunningCopy(commandLine))
        return 0;

    qubex::FrameOptions options;
    options.language = qubex::bridge::Language();
    // The printing code's platform version: the newest of the design's systems.
    options.windowsVersion = 2;
    options.iniPath = qubex::DefaultIniPath();
    options.commandLine = commandLine;
    qubex::FrameWindow frame(options);
    QObject::connect(&frame, &qubex::FrameWindow::Closed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    qubex::InstanceServer instance([&frame] { frame.Handoff(); });
    if (!instance.Listen() && qubex::HandToRunningCopy(commandLine))
        return 0; // another copy started at the same moment and won

    std::unique_ptr<qubex::StateDumper> dumper;
    std::unique_ptr<qubex::DriveServer> drive;
    if (const char* path = std::getenv("VOK_STATE_DUMP"); path && *path)
        dumper = std::make_unique<qubex::StateDumper>(
            [&frame] { return qubex::StateDumpText(frame.Dump()); }, QString::fromLocal8Bit(path));
    if (const char* path = std::getenv("VOK_DRIVE"); path && *path)
        drive = std::make_unique<qubex::DriveServer>(&frame, dumper.get(),
                                                     QString::fromLocal8Bit(path));
    frame.show();
    const int rc = app.exec();
    drive.reset();
    dumper.reset();
    qubex::media::StopMoviePlayback();
    return rc;
}
