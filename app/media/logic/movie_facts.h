/* Facts of a movie file (size, duration, picture, codecs), whether the camera can take it
 * back, and its first picture as a packed bitmap, read through FFmpeg's libraries (bound by
 * name from the libraries the start-up check opens). */
#ifndef QUBEX_MOVIE_FACTS_H
#define QUBEX_MOVIE_FACTS_H

#include <cstdint>
#include <string>
#include <vector>

namespace qubex::media {

struct MovieFacts {
    std::string folder; /* with its trailing "/" */
    std::string name;   /* file name with extension */
    uint32_t fileSize = 0;
    int32_t duration = 0;    /* whole seconds, truncated */
    char videoCodec[5] = {}; /* four characters, for example "jpeg" */
    int32_t width = 0;
    int32_t height = 0;
    int32_t videoValueA = 0;  /* bytes of the first picture */
    int32_t videoRate = 0;    /* pictures a second; 0 for a single picture */
    char audioFormat[5] = {}; /* for example "raw " (8-bit unsigned samples) */
    int32_t channels = 0;
    int32_t sampleSize = 0; /* bits */
    int32_t sampleRate = 0; /* samples a second */
    bool HasSound() const { return audioFormat[0] != 0; }
};

/* Whether the file's first 16 bytes are those of a movie: a QuickTime atom "moov", "mdat" or
 * "ftyp" at offset 4, or a RIFF AVI. */
bool IsMovieFile(const char* path);

/* Fills the facts; what cannot be read stays zero (only folder, name and size for a file
 * that is no movie). */
void ReadMovieFacts(const std::string& path, MovieFacts* facts);

/* Whether the movie can go back to the camera: a single picture with sound or a motion movie
 * of ten pictures a second, in the camera's sizes, codecs and sound form. */
bool IsCameraMovie(const MovieFacts& facts);

/* The movie's picture at time 0 as a 24-bit packed bitmap; empty when there is none. */
std::vector<uint8_t> GetMovieFirstPicture(const std::string& path);

/* What the camera upload needs of a movie: its first picture and the motion and sound flags
 * the still's maker note carries. */
struct MovieUpload {
    std::vector<uint8_t> still;
    bool motion = false;
    bool sound = false;
};

/* The upload of a movie file: false when it is unfit for the camera or has no first picture
 * (the file is then skipped without a message). */
bool ReadMovieUpload(const std::string& path, MovieUpload* upload);

} // namespace qubex::media

#endif
