/* The program's BMP reader (1, 4, 8, 16, 24 and 32 bits; top-down and bottom-up; run-length
 * and bit-field files; 12-byte and larger headers) and the display copy that turns run-length
 * and bit-field bitmaps into plain ones before they are shown. */
#ifndef QUBEX_IMAGE_BMP_READER_H
#define QUBEX_IMAGE_BMP_READER_H

#include "image_dib.h"

namespace qubex::image {

/* The BMP file as a packed bitmap with a 40-byte header (bit-field masks after it), rows
 * bottom-up. Refusals: 40 missing, 42 unopenable, 41 a short file (rows or table beyond its
 * end), 52 no "BM" or a header no bitmap can have, 51 too large for memory. */
DibResult ReadBmpFile(const char* path);

/* The same for BMP bytes in memory (a file, or the BMP that follows a calendar record). */
DibResult ReadBmpBytes(const uint8_t* bytes, size_t size);

/* The bitmap to show: run-length bitmaps expanded at their depth, bit-field bitmaps of 16
 * and 32 bits as 24 bits; empty when the bitmap is shown as it is (or memory fails). */
Dib MakeDisplayCopy(const Dib& dib);

} // namespace qubex::image

#endif
