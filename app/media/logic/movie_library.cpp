/* The FFmpeg libraries' versioned file names, taken from the headers the program was built
 * with, so that a library of another major version is never bound. */
#include "movie_library.h"

#include <dlfcn.h>

extern "C" {
#include <libavcodec/version_major.h>
#include <libavformat/version_major.h>
#include <libavutil/version.h>
#include <libswscale/version_major.h>
}

namespace qubex::media {
namespace {

#define QUBEX_STR2(x) #x
#define QUBEX_STR(x) QUBEX_STR2(x)

const MovieLibraryName kLibraries[kMovieLibraryCount] = {
    {"libavutil.so." QUBEX_STR(LIBAVUTIL_VERSION_MAJOR), "avutil_version", LIBAVUTIL_VERSION_MAJOR},
    {"libavcodec.so." QUBEX_STR(LIBAVCODEC_VERSION_MAJOR), "avcodec_version",
     LIBAVCODEC_VERSION_MAJOR},
    {"libavformat.so." QUBEX_STR(LIBAVFORMAT_VERSION_MAJOR), "avformat_version",
     LIBAVFORMAT_VERSION_MAJOR},
    {"libswscale.so." QUBEX_STR(LIBSWSCALE_VERSION_MAJOR), "swscale_version",
     LIBSWSCALE_VERSION_MAJOR},
};

} // namespace

const MovieLibraryName& MovieLibraryNameOf(MovieLibrary which) {
    return kLibraries[static_cast<int>(which)];
}

void* OpenMovieLibrary(MovieLibrary which) {
    // Never unmapped: the libraries keep blocks from their start-up in their globals.
    return dlopen(MovieLibraryNameOf(which).file, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
}

} // namespace qubex::media
