/* Format conversion for saving: a bitmap brought to 24 or 8 bits per pixel, the program's own
 * reduction of full colour to 256 colours (no dithering), and the BMP file writer. */
#ifndef QUBEX_IMAGE_CONVERT_H
#define QUBEX_IMAGE_CONVERT_H

#include "image_dib.h"
#include "vok_files.h"

namespace qubex::image {

/* The bitmap in targetBits (8 or 24): run-length and bit-field bitmaps are first expanded as
 * they are shown; full colour goes to 8 bits through QuantizeTo256, palette bitmaps to 24
 * through their table. 91 for a compression no bitmap here can have, 51 for memory. */
DibResult ConvertDib(const Dib& dib, int targetBits);

/* An uncompressed 24-bit bitmap reduced to at most 256 colours: 4-5-4 bit histogram bins,
 * every occupied 64-cell represented, then the most frequent bins; every pixel takes its bin's
 * nearest palette entry. Any other bitmap comes back unchanged. */
Dib QuantizeTo256(const Dib& dib);

/* Writes the bitmap as a BMP file through a complete temporary copy beside path renamed over
 * it, so a failed write leaves what was there. 0, 42 when the file cannot be created or the
 * bitmap is unusable, 100 on a short write. write replaces write(2) for tests. */
int WriteBmpFile(const char* path, const Dib& dib, vokc::WriteFn write = nullptr);

} // namespace qubex::image

#endif
