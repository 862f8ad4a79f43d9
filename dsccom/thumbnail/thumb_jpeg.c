/* The thumbnail renderer's JPEG decoding, through the suite's one libjpeg boundary
 * (imagelib/jpeg_boundary.c): a whole picture at full scale into 24-bit bottom-up rows. */
#include "thumb_jpeg.h"

#include "jpeg_boundary.h"

#include <string.h>

int vok_thumb_decode_jpeg(FILE* in, uint64_t maxPixels, VokThumbPixels* out) {
    VokJpegRows decoded;

    if (!out)
        return 0;
    memset(out, 0, sizeof *out);
    if (!in || !vok_jpeg_decode_rows(in, NULL, 0, maxPixels, 0, 0, &decoded))
        return 0;
    out->bits = decoded.block;
    out->width = decoded.width;
    out->height = decoded.height;
    out->stride = decoded.stride;
    return 1;
}
