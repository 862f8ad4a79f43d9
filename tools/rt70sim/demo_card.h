/* The demo card: still images, a TIFF, a movie and an audio memo made by our own code,
 * so the virtual camera has something recognisable to show. */
#ifndef RT70SIM_DEMO_CARD_H
#define RT70SIM_DEMO_CARD_H

#include "jpeg_util.h"

#include <string>

namespace rt70sim {

/* Writes the demo card into dir (created when missing); false with a message. */
bool makeDemoCard(const std::string& dir, std::string* error);

/* Pieces, kept apart for the tests. */
Picture demoPicture(int width, int height, int number);
/* An Exif APP1 segment as the camera writes it: Make, Model, the three dates, the pixel
 * size, Exif version 0210 and the interoperability index R98. */
Bytes exifApp1(const std::string& make, const std::string& model, const std::string& dateTime,
               int width, int height);
Bytes tiffFile(const Picture& picture);
Bytes wavFile(int sampleRate, int milliseconds, int frequency);
/* A QuickTime movie of Photo-JPEG pictures; with sound, a second track of those 8 kHz 8-bit
 * mono samples ("raw "), as the camera records them. */
Bytes movieFile(const std::vector<Bytes>& jpegFrames, int width, int height, int framesPerSecond,
                const Bytes& sound = {});

} // namespace rt70sim

#endif
