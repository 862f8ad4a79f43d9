/* Fuzz target: frame layouts of a JPEG stream (marker walk to the first baseline frame,
 * the frame header itself) and the stream's length up to its end marker. */
#include "img_internal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > UINT32_MAX)
        return 0;
    uint32_t n = uint32_t(size);
    JpegFrameInfo frame;
    if (Get_Jpeg_Info(data, n, &frame) && frame.components < 4 &&
        frame.sampling[2 * frame.components] != 0)
        __builtin_trap(); // words of absent components stay 0
    GetJpegHVSample(data, n, &frame);
    VokImgBlock block{const_cast<unsigned char*>(data), n};
    if (GetJpegMemoryHandleSize(&block) > n)
        __builtin_trap();
    return 0;
}
