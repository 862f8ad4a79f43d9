/* The boundary between VokExif and libjpeg. Every libjpeg call of the library goes through
 * this C file, whose error manager turns a fatal codec error into a failed result of the
 * current call instead of ending the process. */
#ifndef VOK_JPEG_CODEC_H
#define VOK_JPEG_CODEC_H

#include <stddef.h>
#include <stdint.h>

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

/* The text of libjpeg's last message on this thread (empty when none). */
const char* vok_jpeg_last_message(void);

/* ---- Writing side: whole-image decoding and encoding ---- */

/* Largest picture decoded or encoded, in pixels; a hostile header cannot ask for more. */
#define VOK_JPEG_MAX_PIXELS (64u * 1024u * 1024u)

/* Decodes a JPEG held in memory into a new packed bitmap (40-byte header, colour table,
 * bottom-up rows padded to four bytes). One zeroed allocation (calloc) holds prefix bytes
 * for the caller's own record, then the bitmap, then one spare byte; *base receives it.
 * colors 0 gives 24 bits; 2..256 gives 8 bits quantised by libjpeg (two-pass, dithered).
 * Any fatal error or corrupt-data warning fails the call (0) and frees everything. */
int vok_jpeg_decode_dib(const unsigned char* data, size_t size, int colors, size_t prefix,
                        unsigned char** base, size_t* dibSize);

/* Compresses 24-bit rows in blue, green, red order. rows points at the top row in memory
 * and stride (negative for bottom-up bitmaps) steps from one row to the one below.
 * Baseline quality scaling at quality; h and v are the three components' sampling
 * factors. No JFIF segment is written. The stream is allocated with malloc. */
int vok_jpeg_encode_bgr(const unsigned char* rows, uint32_t width, uint32_t height,
                        ptrdiff_t stride, int quality, const int h[3], const int v[3],
                        unsigned char** out, size_t* outSize);

#ifdef __cplusplus
}
#endif

#endif
