/* The libjpeg boundary of the suite. libjpeg reports fatal errors by calling error_exit, which
 * must not return; here it jumps back to the call that started the codec, which destroys
 * the codec object, frees what it allocated and fails. This file is C so that no destructor
 * can be skipped by the jump; callers see only plain results. */
#include "jpeg_boundary.h"

#include <fcntl.h>
#include <limits.h>
#include <setjmp.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <jerror.h>
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
    struct stat st;
    int fd;
    int ok;
    if (!path || !header)
        return 0;
    /* Only regular files: opening a named pipe without O_NONBLOCK waits for a writer. */
    fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return 0;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return 0;
    }
    file = fdopen(fd, "rb");
    if (!file) {
        close(fd);
        return 0;
    }
    ok = read_header(file, NULL, 0, header);
    fclose(file);
    return ok;
}

int vok_jpeg_read_header_mem(const unsigned char* data, size_t size, VokJpegHeader* header) {
    if (!data || !header || size == 0)
        return 0;
    return read_header(NULL, data, size, header);
}

int vok_jpeg_read_header_stream(FILE* file, VokJpegHeader* header) {
    int ok;
    if (!file || !header)
        return 0;
    ok = read_header(file, NULL, 0, header);
    rewind(file);
    return ok;
}

const char* vok_jpeg_last_message(void) {
    return last_message;
}

/* ---- Whole images ---- */

/* What the decoder allocated. volatile: once decode_body is inlined, a plain local would
 * live in a register that the jump back restores to its old value, leaking the block. */
struct vok_decode_state {
    unsigned char* volatile block;
    volatile int started;   /* the decoder got past its start */
    volatile int cancelled; /* the progress callback asked to stop */
};

/* The smallest of libjpeg's DCT-domain scales 1/8, 1/4 and 1/2 that still gives at least
 * minWidth x minHeight pixels, else full scale. */
static void choose_scale(j_decompress_ptr cinfo, uint32_t minWidth, uint32_t minHeight) {
    unsigned int denom;
    for (denom = 8; denom > 1; denom /= 2) {
        cinfo->scale_num = 1;
        cinfo->scale_denom = denom;
        jpeg_calc_output_dimensions(cinfo);
        if (cinfo->output_width >= minWidth && cinfo->output_height >= minHeight)
            return;
    }
    cinfo->scale_num = 1;
    cinfo->scale_denom = 1;
}

/* What a decoding asks for besides its source. */
struct vok_decode_request {
    uint64_t maxPixels;
    int colors;
    int scaled; /* pick the scale by minWidth x minHeight */
    uint32_t minWidth;
    uint32_t minHeight;
    size_t headroom;
    VokJpegProgress progress;
    void* context;
};

/* Everything after the codec's creation; an error leaves through the caller's setjmp. */
static void decode_body(j_decompress_ptr cinfo, FILE* file, const unsigned char* data, size_t size,
                        const struct vok_decode_request* req, VokJpegRows* out,
                        struct vok_decode_state* st) {
    const uint64_t maxPixels = req->maxPixels;
    const int colors = req->colors;
    const size_t headroom = req->headroom;
    uint32_t width, height, stride, i;
    size_t rowBytes;
    int quantise = colors != 0;

    if (file)
        jpeg_stdio_src(cinfo, file);
    else
        jpeg_mem_src(cinfo, data, (unsigned long)size);
    if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK)
        ERREXIT(cinfo, JERR_NO_IMAGE);
    if (cinfo->jpeg_color_space != JCS_GRAYSCALE && cinfo->num_components != 3)
        ERREXIT(cinfo, JERR_CONVERSION_NOTIMPL);
    if (quantise) {
        cinfo->out_color_space = JCS_RGB;
        cinfo->quantize_colors = TRUE;
        cinfo->desired_number_of_colors = colors;
    } else {
        cinfo->out_color_space = JCS_EXT_BGR;
    }
    /* The limit holds for the whole picture: a scaled decoding still reads all of it. */
    if ((uint64_t)cinfo->image_width * cinfo->image_height > maxPixels)
        ERREXIT1(cinfo, JERR_IMAGE_TOO_BIG, (int)(maxPixels < INT_MAX ? maxPixels : INT_MAX));
    if (req->scaled)
        choose_scale(cinfo, req->minWidth, req->minHeight);
    jpeg_calc_output_dimensions(cinfo);
    width = cinfo->output_width;
    height = cinfo->output_height;
    if (width == 0 || height == 0 || (uint64_t)width * height > maxPixels)
        ERREXIT1(cinfo, JERR_IMAGE_TOO_BIG, (int)(maxPixels < INT_MAX ? maxPixels : INT_MAX));
    stride = ((quantise ? width : width * 3u) + 3u) & ~3u;
    rowBytes = (size_t)stride * height;
    if (headroom > SIZE_MAX - 1 - rowBytes)
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    st->block = calloc(1, headroom + rowBytes + 1);
    if (!st->block)
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    jpeg_start_decompress(cinfo);
    if (cinfo->output_width != width || cinfo->output_height != height ||
        cinfo->output_components != (quantise ? 1 : 3))
        ERREXIT(cinfo, JERR_CONVERSION_NOTIMPL);
    st->started = 1;
    out->rows = st->block + headroom;
    while (cinfo->output_scanline < height) {
        /* the first decoded line is the top one, stored last */
        JSAMPROW row = out->rows + (size_t)stride * (height - 1u - cinfo->output_scanline);
        if (jpeg_read_scanlines(cinfo, &row, 1) != 1)
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        if (req->progress && !req->progress(req->context, cinfo->output_scanline, height)) {
            st->cancelled = 1;
            return;
        }
    }
    if (quantise) {
        /* The colour map is complete only once the second pass has run. */
        out->colors = (uint32_t)cinfo->actual_number_of_colors;
        for (i = 0; i < out->colors; ++i) {
            out->palette[i][0] = cinfo->colormap[2][i];
            out->palette[i][1] = cinfo->colormap[1][i];
            out->palette[i][2] = cinfo->colormap[0][i];
        }
    }
    jpeg_finish_decompress(cinfo);
    out->block = st->block;
    out->width = width;
    out->height = height;
    out->stride = stride;
}

static int decode_rows(FILE* file, const unsigned char* data, size_t size,
                       const struct vok_decode_request* req, VokJpegRows* out) {
    struct jpeg_decompress_struct cinfo;
    struct vok_jpeg_error err;
    struct vok_decode_state st = {NULL, 0, 0};

    if (!out)
        return 0;
    memset(out, 0, sizeof *out);
    if ((!file && (!data || size == 0)) ||
        (req->colors != 0 && (req->colors < 2 || req->colors > 256)))
        return 0;
    memset(&cinfo, 0, sizeof cinfo);
    last_message[0] = '\0';
    /* Warnings (a cut stream, corrupt entropy data, stray bytes) are not fatal: libjpeg goes
     * on and fills what is missing with grey, as every viewer shows such a file. The standard
     * emit_message keeps the first one. */
    install_error_manager(&err);
    cinfo.err = &err.pub;
    if (setjmp(err.escape)) {
        jpeg_destroy_decompress(&cinfo);
        free(st.block);
        memset(out, 0, sizeof *out);
        return st.started ? VOK_JPEG_FAILED : 0;
    }
    jpeg_create_decompress(&cinfo);
    decode_body(&cinfo, file, data, size, req, out, &st);
    jpeg_destroy_decompress(&cinfo);
    if (st.cancelled) {
        free(st.block);
        memset(out, 0, sizeof *out);
        return VOK_JPEG_CANCELLED;
    }
    return 1;
}

int vok_jpeg_decode_rows(FILE* file, const unsigned char* data, size_t size, uint64_t maxPixels,
                         int colors, size_t headroom, VokJpegRows* out) {
    struct vok_decode_request req;
    memset(&req, 0, sizeof req);
    req.maxPixels = maxPixels;
    req.colors = colors;
    req.headroom = headroom;
    return decode_rows(file, data, size, &req, out) == 1;
}

int vok_jpeg_decode_rows_progress(const unsigned char* data, size_t size, uint64_t maxPixels,
                                  size_t headroom, VokJpegProgress progress, void* context,
                                  VokJpegRows* out) {
    struct vok_decode_request req;
    memset(&req, 0, sizeof req);
    req.maxPixels = maxPixels;
    req.headroom = headroom;
    req.progress = progress;
    req.context = context;
    return decode_rows(NULL, data, size, &req, out);
}

int vok_jpeg_decode_rows_at_least(FILE* file, const unsigned char* data, size_t size,
                                  uint64_t maxPixels, uint32_t minWidth, uint32_t minHeight,
                                  size_t headroom, VokJpegRows* out) {
    struct vok_decode_request req;
    memset(&req, 0, sizeof req);
    req.maxPixels = maxPixels;
    req.scaled = 1;
    req.minWidth = minWidth;
    req.minHeight = minHeight;
    req.headroom = headroom;
    return decode_rows(file, data, size, &req, out) == 1;
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
    return vok_jpeg_encode_bgr_progress(rows, width, height, stride, quality, h, v, NULL, NULL, out,
                                        outSize) == 1;
}

int vok_jpeg_encode_bgr_progress(const unsigned char* rows, uint32_t width, uint32_t height,
                                 ptrdiff_t stride, int quality, const int h[3], const int v[3],
                                 VokJpegProgress progress, void* context, unsigned char** out,
                                 size_t* outSize) {
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
        if (progress && !progress(context, cinfo.next_scanline, height)) {
            jpeg_destroy_compress(&cinfo);
            free(dest.buffer);
            return VOK_JPEG_CANCELLED;
        }
    }
    jpeg_finish_compress(&cinfo);
    *outSize = dest.capacity - dest.pub.free_in_buffer;
    *out = dest.buffer;
    jpeg_destroy_compress(&cinfo);
    return 1;
}
