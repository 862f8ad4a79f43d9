/* Fuzz target: the writing side's BMP file reader (the in-memory core of VokImg_ReadBmpFile)
 * on arbitrary bytes. A bitmap it accepts must read as a packed bitmap, convert to the 24-bit
 * form, and come back byte for byte when written as a BMP file and read again. */
#include "img_write.h"

#include <cstring>

using namespace vokimg;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    VokImgBlock* dib = bmp_from_bytes(data, size);
    if (!dib)
        return 0;
    DibView view;
    uint32_t height = 0;
    uint32_t width = 0;
    if (!dib_view(dib, &view) || !GetImageDimension(dib, &height, &width) || width != view.width ||
        height != view.height)
        __builtin_trap();
    VokImgBlock* wide = dib_to_24(view);
    DibView wideView;
    if (wide && (!dib_view(wide, &wideView) || wideView.bits != 24 ||
                 wideView.width != view.width || wideView.height != view.height))
        __builtin_trap();
    VokImg_FreeBlock(wide);
    Bytes file;
    if (!bmp_file_bytes(dib, &file))
        __builtin_trap();
    VokImgBlock* again = bmp_from_bytes(file.data(), file.size());
    if (!again || again->size != dib->size || std::memcmp(again->data, dib->data, dib->size) != 0)
        __builtin_trap();
    VokImg_FreeBlock(again);
    VokImg_FreeBlock(dib);
    return 0;
}
