/* The one boundary between the suite and libjpeg, used by VokExif and by the connection
 * library's thumbnail renderer. Every libjpeg call goes through this C file, whose error
 * manager turns a fatal codec error into a failed result of the current call instead of
 * ending the process. */
#ifndef VOK_JPEG_BOUNDARY_H
#define VOK_JPEG_BOUNDARY_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct VokJpegHeader {
    uint32_t width;
    uint32_t height;
    uint32_t components;
} VokJpegHeader;

/* libjpeg's header reading of a file (it reads only as far as the header) or of bytes in
 * memory. 1 on success, 0 when libjpeg reports an error or finds no image header. */
int vok_jpeg_read_header_file(const char* path, VokJpegHeader* header);
int vok_jpeg_read_header_mem(const unsigned char* data, size_t size, VokJpegHeader* header);
/* The same from an open stream, which is then rewound to its start. */
int vok_jpeg_read_header_stream(FILE* file, VokJpegHeader* header);

/* The text of libjpeg's last message on this thread (empty when none). */
const char* vok_jpeg_last_message(void);

/* ---- Whole images ---- */

/* Called after each row with the rows done and the picture's rows; 0 stops the call. */
typedef int (*VokJpegProgress)(void* context, uint32_t rowsDone, uint32_t rows);

/* Results of the calls with progress besides 1 (done) and 0 (no image, or the codec could not
 * start on it). */
#define VOK_JPEG_FAILED (-1)    /* a fatal error while rows were coded */
#define VOK_JPEG_CANCELLED (-2) /* the progress callback returned 0 */

/* Largest picture VokExif decodes or encodes, in pixels; a hostile header cannot ask for more. */
#define VOK_JPEG_MAX_PIXELS (64u * 1024u * 1024u)

/* A decoded picture: rows bottom-up (the top row is stored last), each padded to four bytes.
 * 24-bit rows hold blue, green, red; quantised rows hold indices into palette. */
typedef struct VokJpegRows {
    unsigned char* block; /* calloc: headroom bytes, the rows, one spare byte; caller frees */
    unsigned char* rows;  /* block + headroom */
    uint32_t width;
    uint32_t height;
    uint32_t stride;
    uint32_t colors;               /* palette entries used when quantised, else 0 */
    unsigned char palette[256][4]; /* blue, green, red, 0 */
} VokJpegRows;

/* Decodes a whole JPEG at full scale, read from file when it is not NULL, else from the size
 * bytes at data. Greyscale pictures give grey pixels, three-component ones their colours;
 * other colour spaces are refused. A picture of more than maxPixels pixels is refused before
 * anything is allocated. colors 0 gives 24-bit rows; 8..256 gives indices quantised by
 * libjpeg (two-pass, dithered). headroom zeroed bytes come in front of the rows for the
 * caller's own headers. A fatal error fails the call; warnings do not (a cut stream or
 * corrupt entropy data decodes as libjpeg does, with grey where data is missing, and
 * vok_jpeg_last_message gives the first warning). 1 on success; 0 with nothing allocated and
 * out cleared. */
int vok_jpeg_decode_rows(FILE* file, const unsigned char* data, size_t size, uint64_t maxPixels,
                         int colors, size_t headroom, VokJpegRows* out);

/* As vok_jpeg_decode_rows from memory with 24-bit rows at full scale, calling progress (when
 * not NULL) after each row. 1, 0, VOK_JPEG_FAILED or VOK_JPEG_CANCELLED, with nothing
 * allocated and out cleared unless 1. */
int vok_jpeg_decode_rows_progress(const unsigned char* data, size_t size, uint64_t maxPixels,
                                  size_t headroom, VokJpegProgress progress, void* context,
                                  VokJpegRows* out);

/* As vok_jpeg_decode_rows with 24-bit rows, but at the smallest of libjpeg's DCT-domain scales
 * 1/8, 1/4, 1/2 and 1 whose picture is still at least minWidth x minHeight pixels: the cheap
 * source of a thumbnail or preview that is then resampled to its size. maxPixels limits the
 * whole picture, as a scaled decoding still reads all of it. */
int vok_jpeg_decode_rows_at_least(FILE* file, const unsigned char* data, size_t size,
                                  uint64_t maxPixels, uint32_t minWidth, uint32_t minHeight,
                                  size_t headroom, VokJpegRows* out);

/* Compresses 24-bit rows in blue, green, red order. rows points at the top row in memory
 * and stride (negative for bottom-up bitmaps) steps from one row to the one below.
 * Baseline quality scaling at quality; h and v are the three components' sampling
 * factors. No JFIF segment is written. The stream is allocated with malloc. */
int vok_jpeg_encode_bgr(const unsigned char* rows, uint32_t width, uint32_t height,
                        ptrdiff_t stride, int quality, const int h[3], const int v[3],
                        unsigned char** out, size_t* outSize);

/* The same, calling progress (when not NULL) after each row: 1, 0 on a codec error,
 * VOK_JPEG_CANCELLED (nothing allocated) when progress returned 0. */
int vok_jpeg_encode_bgr_progress(const unsigned char* rows, uint32_t width, uint32_t height,
                                 ptrdiff_t stride, int quality, const int h[3], const int v[3],
                                 VokJpegProgress progress, void* context, unsigned char** out,
                                 size_t* outSize);

#ifdef __cplusplus
}
#endif

#endif
