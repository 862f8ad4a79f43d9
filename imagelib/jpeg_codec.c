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

static int read_header(FILE* file, const unsigned char* data, size_t size,
                       VokJpegHeader* header) {
    struct jpeg_decompress_struct cinfo;
    struct vok_jpeg_error err;

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
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&cinfo);
        return 0;
    }
    header->width = cinfo.image_width;
    header->height = cinfo.image_height;
    header->components = (uint32_t)cinfo.num_components;
    jpeg_destroy_decompress(&cinfo);
    return 1;
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

/* ---- Writing side ---- */

#include <jerror.h>
#include <stdlib.h>

/* Corrupt data is a codec error for whole-image work: a picture with grey blocks must not
 * replace a good file. Only stray bytes between segments are tolerated. */
static void escape_on_warning(j_common_ptr cinfo, int level) {
    if (level < 0 && cinfo->err->msg_code != JWRN_EXTRANEOUS_DATA)
        escape_on_error(cinfo);
}

#define DIB_HEADER 40u

static void put_le32(unsigned char* p, uint32_t v) {
    p[0] = (unsigned char)v;
    p[1] = (unsigned char)(v >> 8);
    p[2] = (unsigned char)(v >> 16);
    p[3] = (unsigned char)(v >> 24);
}

static void put_dib_header(unsigned char* p, uint32_t width, uint32_t height, int bits,
                           uint32_t colors, uint32_t imageSize) {
    put_le32(p, DIB_HEADER);
    put_le32(p + 4, width);
    put_le32(p + 8, height);
    p[12] = 1; /* planes */
    p[14] = (unsigned char)bits;
    put_le32(p + 20, imageSize);
    put_le32(p + 32, colors);
}

/* What the decoder allocated, kept in memory the error path can reach. */
struct vok_decode_state {
    unsigned char* block;
    size_t total;
};

/* Everything after the codec's creation; an error leaves through the caller's setjmp. */
static int decode_body(j_decompress_ptr cinfo, const unsigned char* data, size_t size, int colors,
                       size_t prefix, struct vok_decode_state* st) {
    uint32_t width, height, stride, paletteBytes, used = 0;
    unsigned char* bits;
    int quantise = colors != 0;

    jpeg_mem_src(cinfo, data, (unsigned long)size);
    jpeg_read_header(cinfo, TRUE);
    if (quantise) {
        cinfo->out_color_space = JCS_RGB;
        cinfo->quantize_colors = TRUE;
        cinfo->desired_number_of_colors = colors;
    } else {
        cinfo->out_color_space = JCS_EXT_BGR;
    }
    jpeg_calc_output_dimensions(cinfo);
    width = cinfo->output_width;
    height = cinfo->output_height;
    if (width == 0 || height == 0 || (uint64_t)width * height > VOK_JPEG_MAX_PIXELS)
        return 0;
    stride = ((quantise ? width : width * 3u) + 3u) & ~3u;
    paletteBytes = quantise ? 4u * 256u : 0u;
    st->total = prefix + DIB_HEADER + paletteBytes + (size_t)stride * height;
    st->block = calloc(1, st->total + 1);
    if (!st->block)
        return 0;
    jpeg_start_decompress(cinfo);
    bits = st->block + prefix + DIB_HEADER + paletteBytes;
    while (cinfo->output_scanline < height) {
        JSAMPROW row = bits + (size_t)stride * (height - 1u - cinfo->output_scanline);
        jpeg_read_scanlines(cinfo, &row, 1);
    }
    if (quantise) {
        /* The colour map is complete only once the second pass has run. */
        unsigned char* palette = st->block + prefix + DIB_HEADER;
        int i;
        used = (uint32_t)cinfo->actual_number_of_colors;
        for (i = 0; i < (int)used; ++i) {
            palette[4 * i] = cinfo->colormap[2][i];
            palette[4 * i + 1] = cinfo->colormap[1][i];
            palette[4 * i + 2] = cinfo->colormap[0][i];
        }
    }
    jpeg_finish_decompress(cinfo);
    put_dib_header(st->block + prefix, width, height, quantise ? 8 : 24, used, stride * height);
    if (quantise) {
        /* Unused palette entries are left out of the block. */
        memmove(st->block + prefix + DIB_HEADER + 4u * used, bits, (size_t)stride * height);
        st->total -= 4u * (256u - used);
    }
    return 1;
}

int vok_jpeg_decode_dib(const unsigned char* data, size_t size, int colors, size_t prefix,
                        unsigned char** base, size_t* dibSize) {
    struct jpeg_decompress_struct cinfo;
    struct vok_jpeg_error err;
    struct vok_decode_state st = {NULL, 0};
    int ok;

    if (!data || size == 0 || !base || !dibSize || (colors != 0 && (colors < 2 || colors > 256)))
        return 0;
    memset(&cinfo, 0, sizeof cinfo);
    last_message[0] = '\0';
    install_error_manager(&err);
    err.pub.emit_message = escape_on_warning;
    cinfo.err = &err.pub;
    if (setjmp(err.escape)) {
        jpeg_destroy_decompress(&cinfo);
        free(st.block);
        return 0;
    }
    jpeg_create_decompress(&cinfo);
    ok = decode_body(&cinfo, data, size, colors, prefix, &st);
    jpeg_destroy_decompress(&cinfo);
    if (!ok) {
        free(st.block);
        return 0;
    }
    *base = st.block;
    *dibSize = st.total - prefix;
    return 1;
}

/* A growing memory destination owned by the caller's frame, so that an error can free
 * what was written so far. */
struct vok_mem_dest {
    struct jpeg_destination_mgr pub;
    unsigned char* buffer;
    size_t capacity;
};

static void dest_init(j_compress_ptr cinfo) {
    (void)cinfo;
}

static boolean dest_grow(j_compress_ptr cinfo) {
    struct vok_mem_dest* dest = (struct vok_mem_dest*)cinfo->dest;
    size_t capacity = dest->capacity * 2;
    unsigned char* grown = realloc(dest->buffer, capacity);
    if (!grown)
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 10);
    dest->pub.next_output_byte = grown + dest->capacity;
    dest->pub.free_in_buffer = capacity - dest->capacity;
    dest->buffer = grown;
    dest->capacity = capacity;
    return TRUE;
}

static void dest_term(j_compress_ptr cinfo) {
    (void)cinfo;
}

int vok_jpeg_encode_bgr(const unsigned char* rows, uint32_t width, uint32_t height,
                        ptrdiff_t stride, int quality, const int h[3], const int v[3],
                        unsigned char** out, size_t* outSize) {
    struct jpeg_compress_struct cinfo;
    struct vok_jpeg_error err;
    struct vok_mem_dest dest;
    int i;

    if (!rows || !out || !outSize || width == 0 || height == 0 ||
        (uint64_t)width * height > VOK_JPEG_MAX_PIXELS || width > 65500 || height > 65500)
        return 0;
    memset(&cinfo, 0, sizeof cinfo);
    memset(&dest, 0, sizeof dest);
    last_message[0] = '\0';
    install_error_manager(&err);
    cinfo.err = &err.pub;
    dest.capacity = 65536;
    dest.buffer = malloc(dest.capacity);
    if (!dest.buffer)
        return 0;
    if (setjmp(err.escape)) {
        jpeg_destroy_compress(&cinfo);
        free(dest.buffer);
        return 0;
    }
    jpeg_create_compress(&cinfo);
    dest.pub.init_destination = dest_init;
    dest.pub.empty_output_buffer = dest_grow;
    dest.pub.term_destination = dest_term;
    dest.pub.next_output_byte = dest.buffer;
    dest.pub.free_in_buffer = dest.capacity;
    cinfo.dest = &dest.pub;
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.write_JFIF_header = FALSE;
    for (i = 0; i < 3; ++i) {
        cinfo.comp_info[i].h_samp_factor = h[i];
        cinfo.comp_info[i].v_samp_factor = v[i];
    }
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < height) {
        JSAMPROW row = (JSAMPROW)(rows + stride * (ptrdiff_t)cinfo.next_scanline);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    *outSize = dest.capacity - dest.pub.free_in_buffer;
    *out = dest.buffer;
    jpeg_destroy_compress(&cinfo);
    return 1;
}
