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

#ifdef __cplusplus
}
#endif

#endif
