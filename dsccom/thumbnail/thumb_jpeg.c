/* The thumbnail renderer's JPEG decoding, through the suite's one libjpeg boundary
 * (imagelib/jpeg_boundary.c): a picture's size, and the picture at full or reduced scale into
 * 24-bit bottom-up rows. */
#include "thumb_jpeg.h"

#include "jpeg_boundary.h"

#include <string.h>

static int take_rows(int decoded, VokJpegRows* rows, VokThumbPixels* out) {
    if (!decoded)
        return 0;
    out->bits = rows->block;
    out->width = rows->width;
    out->height = rows->height;
    out->stride = rows->stride;
    return 1;
}

int vok_thumb_decode_jpeg(FILE* in, uint64_t maxPixels, VokThumbPixels* out) {
    VokJpegRows decoded;

    if (!out)
        return 0;
    memset(out, 0, sizeof *out);
    return in &&
           take_rows(vok_jpeg_decode_rows(in, NULL, 0, maxPixels, 0, 0, &decoded), &decoded, out);
}

int vok_thumb_decode_jpeg_at_least(FILE* in, uint64_t maxPixels, uint32_t minWidth,
                                   uint32_t minHeight, VokThumbPixels* out) {
    VokJpegRows decoded;

    if (!out)
        return 0;
    memset(out, 0, sizeof *out);
    return in && take_rows(vok_jpeg_decode_rows_at_least(in, NULL, 0, maxPixels, minWidth,
                                                         minHeight, 0, &decoded),
                           &decoded, out);
}

int vok_thumb_jpeg_size(FILE* in, uint32_t* width, uint32_t* height) {
    VokJpegHeader header;
    if (!width || !height || !vok_jpeg_read_header_stream(in, &header))
        return 0;
    *width = header.width;
    *height = header.height;
    return 1;
}
