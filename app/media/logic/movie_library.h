/* FFmpeg's libraries by the versioned file names the program was built against: what the
 * start-up check opens and asks for its version, and what the movie reader binds by name. */
#ifndef QUBEX_MOVIE_LIBRARY_H
#define QUBEX_MOVIE_LIBRARY_H

namespace qubex::media {

enum class MovieLibrary { Util, Codec, Format, Scale };
constexpr int kMovieLibraryCount = 4;

struct MovieLibraryName {
    const char* file;            // for example "libavutil.so.57"
    const char* versionFunction; // answers the major version in its upper 16 bits
    unsigned major;
};
const MovieLibraryName& MovieLibraryNameOf(MovieLibrary which);

/* That library, opened and never unmapped; null when it cannot be loaded. Works before and
 * without the start-up check. */
void* OpenMovieLibrary(MovieLibrary which);

} // namespace qubex::media

#endif
