/* Fuzz target: whole-image decoding of arbitrary bytes into a packed bitmap, 24-bit or
 * quantised, as the conversions and jpg2bmp do it. The first byte picks the colours. A bitmap
 * that comes back must be readable and agree with the JPEG header. */
#include "img_write.h"
#include "jpeg_boundary.h"

using namespace vokimg;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    static const int kColors[4] = {0, 0, 16, 256};
    const int colors = kColors[data[0] & 3];
    ++data;
    --size;
    // Big pictures cost only time: the pixel limit is plain arithmetic before any allocation.
    VokJpegHeader header{};
    if (vok_jpeg_read_header_mem(data, size, &header) &&
        uint64_t(header.width) * header.height > (1u << 20))
        return 0;
    VokImgBlock* dib = decode_jpeg(data, size, colors);
    if (!dib)
        return 0;
    DibView view;
    if (!dib_view(dib, &view) || view.width != header.width || view.height != header.height ||
        view.bits != (colors ? 8u : 24u) || (colors && view.colors > uint32_t(colors)))
        __builtin_trap();
    VokImg_FreeBlock(dib);
    return 0;
}
