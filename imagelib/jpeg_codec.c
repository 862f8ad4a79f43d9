/* The libjpeg boundary of VokExif. libjpeg reports fatal errors by calling error_exit, which
 * must not return; here it jumps back to the call that started the codec, which destroys
 * the codec object and fails. This file is C so that no destructor can be skipped by the
 * jump; callers see only plain results. */
#include "jpeg_codec.h"

#include <setjmp.h>
#include <stdio.h>
#include <string.h>

#include <jpeglib.h>

struct vok_jpeg_error {
    struct jpeg_error_mgr pub;
    jmp_buf escape;
};

static _Thread_local char last_message[JMSG_LENGTH_MAX];

/* Messages are kept for the caller rather than printed: hostile files are normal input. */
static void keep_message(j_common_ptr cinfo) {
    (*cinfo->err->format_message)(cinfo, last_message);
}

static void escape_on_error(j_common_ptr cinfo) {
    struct vok_jpeg_error* err = (struct vok_jpeg_error*)cinfo->err;
    keep_message(cinfo);
    longjmp(err->escape, 1);
}

static void install_error_manager(struct vok_jpeg_error* err) {
    jpeg_std_error(&err->pub);
    err->pub.error_exit = escape_on_error;
    err->pub.output_message = keep_message;
}

static int read_header(FILE* file, const unsigned char* data, size_t size, VokJpegHeader* header) {
    struct jpeg_decompress_struct cinfo;
    struct vok_jpeg_error err;
    int ok = 0;

    memset(&cinfo, 0, sizeof cinfo);
    last_message[0] = '\0';
    install_error_manager(&err);
    cinfo.err = &err.pub;
    if (setjmp(err.escape)) {
        jpeg_destroy_decompress(&cinfo);
        return 0;
    }
    jpeg_create_decompress(&cinfo);
    if (file)
        jpeg_stdio_src(&cinfo, file);
    else
        jpeg_mem_src(&cinfo, data, (unsigned long)size);
    if (jpeg_read_header(&cinfo, TRUE) == JPEG_HEADER_OK) {
        header->width = cinfo.image_width;
        header->height = cinfo.image_height;
        header->components = (uint32_t)cinfo.num_components;
        ok = 1;
    }
    jpeg_destroy_decompress(&cinfo);
    return ok;
}

int vok_jpeg_read_header_file(const char* path, VokJpegHeader* header) {
    FILE* file;
    int ok;
    if (!path || !header)
        return 0;
    file = fopen(path, "rb");
    if (!file)
        return 0;
    ok = read_header(file, NULL, 0, header);
    fclose(file);
    return ok;
}

int vok_jpeg_read_header_mem(const unsigned char* data, size_t size, VokJpegHeader* header) {
    if (!data || !header || size == 0)
        return 0;
    return read_header(NULL, data, size, header);
}

const char* vok_jpeg_last_message(void) {
    return last_message;
}
