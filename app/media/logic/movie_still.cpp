/* The still of a movie: the movie reader's first picture saved through the image library's
 * camera JPEG export with the product's model and maker texts. */
#include "movie_still.h"

#include "bridge.h"
#include "movie_facts.h"
#include "program_strings.h"

namespace qubex::media {

bool WriteMovieStill(const std::string& moviePath, const std::string& jpegPath, uint8_t byte1,
                     uint8_t byte2) {
    const std::vector<uint8_t> picture = GetMovieFirstPicture(moviePath);
    return !picture.empty() && bridge::SaveCameraJpeg(picture, jpegPath, ProgramText(STR_MODEL, 4),
                                                      ProgramText(STR_MAKER, 4), byte1, byte2);
}

} // namespace qubex::media
