/* The libjpeg boundary of the thumbnail renderer. libjpeg leaves a fatal error through
 * error_exit, which must not return; it jumps back here, where the codec and the pixel block
 * are released. This file is C so that the jump can skip no destructor. */
#include "thumb_jpeg.h"

#include <setjmp.h>
#include <stdlib.h>
#include <string.h>

#include <jerror.h>
#include <jpeglib.h>

struct thumb_error {
    struct jpeg_error_mgr pub;
    jmp_buf escape;
};

static _Thread_local char last_message[JMSG_LENGTH_MAX];

static void keep_message(j_common_ptr cinfo) {
    (*cinfo->err->format_message)(cinfo, last_message);
}

static void escape_on_error(j_common_ptr cinfo) {
    struct thumb_error* err = (struct thumb_error*)cinfo->err;
    keep_message(cinfo);
    longjmp(err->escape, 1);
}

/* libjpeg goes on after a damaged or truncated stream and fills the rest with grey; a
 * thumbnail like that is refused instead. Stray bytes between markers hurt no pixel. */
static void escape_on_damage(j_common_ptr cinfo, int level) {
    if (level < 0 && cinfo->err->msg_code != JWRN_EXTRANEOUS_DATA)
        escape_on_error(cinfo);
}

int vok_thumb_decode_jpeg(FILE* in, uint64_t maxPixels, VokThumbPixels* out) {
    struct jpeg_decompress_struct cinfo;
    struct thumb_error err;
    unsigned char* volatile bits = NULL;
    JSAMPARRAY row;
    uint32_t width, height, stride, x;
    int grey;

    if (!out)
        return 0;
    memset(out, 0, sizeof *out);
    if (!in)
        return 0;
    memset(&cinfo, 0, sizeof cinfo);
    last_message[0] = '\0';
    jpeg_std_error(&err.pub);
    err.pub.error_exit = escape_on_error;
    err.pub.output_message = keep_message;
    err.pub.emit_message = escape_on_damage;
    cinfo.err = &err.pub;
    if (setjmp(err.escape)) {
        jpeg_destroy_decompress(&cinfo);
        free(bits);
        return 0;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, in);
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK)
        ERREXIT(&cinfo, JERR_NO_IMAGE);

    grey = cinfo.jpeg_color_space == JCS_GRAYSCALE;
    if (!grey && cinfo.num_components != 3)
        ERREXIT(&cinfo, JERR_CONVERSION_NOTIMPL);
    cinfo.out_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    width = cinfo.image_width;
    height = cinfo.image_height;
    if (width == 0 || height == 0 || (uint64_t)width * height > maxPixels)
        ERREXIT(&cinfo, JERR_IMAGE_TOO_BIG);

    jpeg_start_decompress(&cinfo);
    if (cinfo.output_width != width || cinfo.output_height != height ||
        cinfo.output_components != (grey ? 1 : 3))
        ERREXIT(&cinfo, JERR_CONVERSION_NOTIMPL);
    stride = (width * 3u + 3u) & ~3u;
    bits = (unsigned char*)calloc(height, stride);
    if (!bits)
        ERREXIT1(&cinfo, JERR_OUT_OF_MEMORY, 0);
    row = (*cinfo.mem->alloc_sarray)((j_common_ptr)&cinfo, JPOOL_IMAGE,
                                     width * (JDIMENSION)cinfo.output_components, 1);
    while (cinfo.output_scanline < height) {
        /* the first decoded line is the top one, stored last */
        unsigned char* dest = bits + (size_t)(height - 1u - cinfo.output_scanline) * stride;
        const unsigned char* src = row[0];
        if (jpeg_read_scanlines(&cinfo, row, 1) != 1)
            ERREXIT(&cinfo, JERR_INPUT_EMPTY);
        for (x = 0; x < width; ++x) {
            if (grey) {
                dest[3 * x] = dest[3 * x + 1] = dest[3 * x + 2] = src[x];
            } else {
                dest[3 * x] = src[3 * x + 2];
                dest[3 * x + 1] = src[3 * x + 1];
                dest[3 * x + 2] = src[3 * x];
            }
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);

    out->bits = bits;
    out->width = width;
    out->height = height;
    out->stride = stride;
    return 1;
}

const char* vok_thumb_jpeg_message(void) {
    return last_message;
}
