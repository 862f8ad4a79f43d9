/* Loading the movie component. FFmpeg's libraries are opened by their versioned file names
 * (the versions the program was built against) and asked for their version, so that a
 * missing or mismatched library is found at start-up, not at the first movie. */
#include "movie_playback.h"
#include "movie_library.h"

#include <QLibraryInfo>
#include <QList>
#include <QMediaFormat>
#include <QPluginLoader>

#include <dlfcn.h>
#include <vector>

namespace qubex::media {
namespace {

std::vector<void*>& Handles() {
    static std::vector<void*> handles;
    return handles;
}

bool g_available = false;

/* Whether Qt Multimedia's back end (QT_MEDIA_BACKEND, ffmpeg when unset) loads. Asked
 * first because Qt Multimedia ends the process when it has no back end at all. */
bool MediaBackendLoads(std::string* missing) {
    const QByteArray chosen = qgetenv("QT_MEDIA_BACKEND");
    const QString backend = chosen.isEmpty() ? QStringLiteral("ffmpeg") : QString::fromUtf8(chosen);
    const QString plugin = QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/multimedia/lib" +
                           backend + "mediaplugin.so";
    QPluginLoader loader(plugin);
    if (!loader.load()) {
        *missing = plugin.toStdString();
        return false;
    }
    // Asking for the decodable formats starts the back end; without codecs the list is empty.
    if (QMediaFormat().supportedFileFormats(QMediaFormat::Decode).isEmpty()) {
        *missing = "Qt Multimedia decoders";
        return false;
    }
    return true;
}

} // namespace

bool StartMoviePlayback(std::string* missing) {
    missing->clear();
    StopMoviePlayback();
    for (int i = 0; i < kMovieLibraryCount; ++i) {
        const MovieLibraryName& c = MovieLibraryNameOf(static_cast<MovieLibrary>(i));
        void* handle = OpenMovieLibrary(static_cast<MovieLibrary>(i));
        using VersionFn = unsigned (*)();
        auto version =
            handle ? reinterpret_cast<VersionFn>(dlsym(handle, c.versionFunction)) : nullptr;
        if (!version || (version() >> 16) != c.major) {
            *missing = c.file;
            if (handle)
                dlclose(handle);
            StopMoviePlayback();
            return false;
        }
        Handles().push_back(handle);
    }
    if (!MediaBackendLoads(missing)) {
        StopMoviePlayback();
        return false;
    }
    g_available = true;
    return true;
}

void StopMoviePlayback() {
    for (void* handle : Handles())
        dlclose(handle);
    Handles().clear();
    g_available = false;
}

bool MoviePlaybackAvailable() {
    return g_available;
}

} // namespace qubex::media
