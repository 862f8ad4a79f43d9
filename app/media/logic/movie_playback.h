/* The movie component of the program: FFmpeg's libraries for movie facts and first pictures,
 * opened by file name, and Qt Multimedia's back end for movie windows. The program starts
 * only when both load. */
#ifndef QUBEX_MOVIE_PLAYBACK_H
#define QUBEX_MOVIE_PLAYBACK_H

#include <string>

namespace qubex::media {

/* Opens the FFmpeg libraries and asks Qt Multimedia for its decoders. false (with what was
 * missing in *missing) when either fails; the caller shows message 59 and quits. */
bool StartMoviePlayback(std::string* missing);
/* Closes what StartMoviePlayback opened; harmless when nothing is open. */
void StopMoviePlayback();
bool MoviePlaybackAvailable();

} // namespace qubex::media

#endif
