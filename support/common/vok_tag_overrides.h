/* The two tag overrides of a picture the suite writes for the camera: Model with the product
 * name padded to an even length, and MakerNote with the maker text and two bytes that tell
 * the camera what the picture stands for. */
#ifndef VOK_TAG_OVERRIDES_H
#define VOK_TAG_OVERRIDES_H

#include <cstdint>

#include "VokExif.h"

namespace vokc {

/* out[0] Model (272, text), out[1] MakerNote (37500, undefined: maker and the two bytes), in
 * the order the Exif template expects. Texts longer than an entry holds are cut. */
void MakeTagOverrides(ExifTagEntry out[2], const char* model, const char* maker, uint8_t byte1,
                      uint8_t byte2);

} // namespace vokc

#endif
