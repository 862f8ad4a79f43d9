/* Fuzz target: classification of a header block, the APP0/APP1 tests, the Exif segment
 * copy and the CIFF heap reading over arbitrary bytes. */
#include "img_internal.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > UINT32_MAX)
        return 0;
    uint32_t n = uint32_t(size);
    VokImgBlock block{const_cast<unsigned char*>(data), n};
    int headerClass = CheckJpegHeaderFormat(&block);
    if (headerClass < -1 || headerClass > 3)
        __builtin_trap();
    vokimg::kind_from_class(headerClass);
    VokImgBlock* exif = GetExifDataFromJpegHeader(&block);
    if (exif) {
        if (exif->size > n || exif->size < 4)
            __builtin_trap();
        VokImg_FreeBlock(exif);
    }
    uint32_t width = 0, height = 0;
    vokimg::ciff_size(data, n, &width, &height);
    CheckCiffFormat(data, n);
    CheckExifFormat(data, n);
    return 0;
}
