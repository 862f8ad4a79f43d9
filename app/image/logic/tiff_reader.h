/* The program's own reader of uncompressed single-image TIFF files (palette, grey, RGB,
 * YCbCr 2x1 and 2x2, CMYK; both byte orders; one or many strips), as packed bitmaps.
 * Every offset and count of the file is checked against its size before it is used. */
#ifndef QUBEX_IMAGE_TIFF_READER_H
#define QUBEX_IMAGE_TIFF_READER_H

#include "image_dib.h"

namespace qubex::image {

/* 1 when the first 16 bytes can be read and begin with "MM", or "II" and 0x2A; else 0. */
int IsTiffFile(const char* path);

/* The file's first image as a packed bitmap. Refusals: 42 unopenable, 41 unreadable,
 * 51 too large for memory, 117 a compressed, damaged or unsupported file. */
DibResult ReadTiffFile(const char* path);

/* The same for a file already in memory. */
DibResult ReadTiffBytes(const uint8_t* file, size_t size);

} // namespace qubex::image

#endif
