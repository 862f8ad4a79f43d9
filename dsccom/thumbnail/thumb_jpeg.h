/* The thumbnail renderer's JPEG decoding, over the suite's libjpeg boundary: a JPEG stream's
 * size, and its pixels (whole, or scaled down by libjpeg) laid out as a 24-bit bottom-up
 * bitmap. A codec error ends only the call. */
#ifndef VOK_THUMB_JPEG_H
#define VOK_THUMB_JPEG_H

#include <stdint.h>
#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Pixels of a decoded image: rows in stored order (bottom row first), blue, green, red per
 * pixel, each row padded to a multiple of 4 bytes (stride). bits is one malloc block that
 * the caller frees with free(). */
typedef struct VokThumbPixels {
    unsigned char* bits;
    uint32_t width;
    uint32_t height;
    uint32_t stride;
} VokThumbPixels;

/* Decodes the JPEG read from in at full scale. Colour images give their colours, greyscale
 * images grey pixels (red = green = blue); other colour spaces are refused. An image of more
 * than maxPixels pixels is refused before anything is allocated. A fatal codec error fails
 * the call; a warning does not (a truncated stream decodes as libjpeg does, grey where data is
 * missing). 1 on success with out filled, 0 on failure with out cleared. */
int vok_thumb_decode_jpeg(FILE* in, uint64_t maxPixels, VokThumbPixels* out);

/* The same at the smallest of libjpeg's DCT-domain scales (1/8, 1/4, 1/2, 1) that still gives
 * at least minWidth x minHeight pixels; maxPixels limits the whole picture. */
int vok_thumb_decode_jpeg_at_least(FILE* in, uint64_t maxPixels, uint32_t minWidth,
                                   uint32_t minHeight, VokThumbPixels* out);

/* The picture's full size from its header; in is rewound to its start. 1 on success. */
int vok_thumb_jpeg_size(FILE* in, uint32_t* width, uint32_t* height);

#ifdef __cplusplus
}
#endif

#endif
