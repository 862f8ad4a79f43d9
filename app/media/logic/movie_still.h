/* A movie's still: its first picture as the camera's Exif JPEG, written beside a picture with
 * sound so that the album and the camera have a picture of it. */
#ifndef QUBEX_MOVIE_STILL_H
#define QUBEX_MOVIE_STILL_H

#include <cstdint>
#include <string>

namespace qubex::media {

/* The first picture written to jpegPath as a camera-form Exif JPEG whose maker note carries
 * the two bytes. false when there is no picture or the file cannot be written. */
bool WriteMovieStill(const std::string& moviePath, const std::string& jpegPath, uint8_t byte1,
                     uint8_t byte2);

} // namespace qubex::media

#endif
