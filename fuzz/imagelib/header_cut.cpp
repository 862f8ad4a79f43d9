/* Fuzz target: the JPEG header cut over arbitrary bytes, then libjpeg's header reading of
 * the same bytes through the library's error boundary. */
#include "img_internal.h"
#include "jpeg_boundary.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vokimg::ByteSource src;
    src.mem = data;
    src.memSize = size;
    VokImgBlock* header = vokimg::cut_jpeg_header(src);
    if (header) {
        // The cut is a prefix of the input that ends with FF DA and its length field.
        if (header->size > size || header->size < 6)
            __builtin_trap();
        VokImg_FreeBlock(header);
    }
    VokJpegHeader info;
    vok_jpeg_read_header_mem(data, size, &info);
    return 0;
}
