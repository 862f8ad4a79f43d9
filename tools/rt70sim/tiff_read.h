/* Reading the plain TIFF stills a camera card may hold (8-bit RGB, uncompressed, in
 * strips), so that a TIFF without its JPEG still still gets a thumbnail. */
#ifndef RT70SIM_TIFF_READ_H
#define RT70SIM_TIFF_READ_H

#include "jpeg_util.h"

namespace rt70sim {

/* False for anything else than a baseline uncompressed 8-bit RGB TIFF, or a damaged one. */
bool readRgbTiff(const Bytes& file, Picture* out);

} // namespace rt70sim

#endif
