// Turning a bitmap upright for its Exif orientation, over bytes in memory (every offset is
// checked against the buffer before it is read), and the camera's picture limits.
#include <string.h>

#include "DscUpload.h"
#include "vok_bytes.h"

namespace {

const uint64_t kMaxPixels = 64ull * 1024 * 1024;

void header(std::vector<uint8_t>* dib, uint32_t width, uint32_t height) {
    uint32_t stride = (width * 3 + 3) / 4 * 4;
    dib->assign(40 + size_t(stride) * height, 0);
    uint8_t* h = dib->data();
    const uint32_t fields[3] = {40, width, height};
    for (int f = 0; f < 3; ++f)
        for (int i = 0; i < 4; ++i)
            h[f * 4 + i] = uint8_t(fields[f] >> (8 * i));
    h[12] = 1;  // planes
    h[14] = 24; // bits
}

} // namespace

bool DscUpload_WithinCameraSize(uint32_t width, uint32_t height) {
    return width >= 64 && width <= 2048 && height >= 48 && height <= 1536;
}

bool DscDib_Orient(const uint8_t* dib, size_t size, int orientation, std::vector<uint8_t>* out) {
    if (!dib || size < 40)
        return false;
    uint32_t w = vokc::GetLe32(dib + 4);
    int32_t rawHeight = static_cast<int32_t>(vokc::GetLe32(dib + 8));
    if (vokc::GetLe32(dib) != 40 || vokc::GetLe16(dib + 14) != 24 || vokc::GetLe32(dib + 16) != 0 ||
        rawHeight <= 0 || w == 0 || uint64_t(w) * uint32_t(rawHeight) > kMaxPixels)
        return false;
    uint32_t h = uint32_t(rawHeight);
    uint64_t stride = (uint64_t(w) * 3 + 3) / 4 * 4;
    if (stride * h > size - 40)
        return false;
    bool turned = orientation >= 5 && orientation <= 8;
    uint32_t ow = turned ? h : w, oh = turned ? w : h;
    header(out, ow, oh);
    uint64_t outStride = (uint64_t(ow) * 3 + 3) / 4 * 4;
    for (uint32_t y = 0; y < oh; ++y) {
        for (uint32_t x = 0; x < ow; ++x) {
            uint32_t sx = x, sy = y; // stored pixel shown at (x, y), rows counted from the top
            switch (orientation) {
            case 2:
                sx = w - 1 - x;
                break;
            case 3:
                sx = w - 1 - x;
                sy = h - 1 - y;
                break;
            case 4:
                sy = h - 1 - y;
                break;
            case 5:
                sx = y;
                sy = x;
                break;
            case 6:
                sx = y;
                sy = h - 1 - x;
                break;
            case 7:
                sx = w - 1 - y;
                sy = h - 1 - x;
                break;
            case 8:
                sx = w - 1 - y;
                sy = x;
                break;
            default:
                break;
            }
            const uint8_t* in = dib + 40 + uint64_t(h - 1 - sy) * stride + uint64_t(sx) * 3;
            uint8_t* to = out->data() + 40 + uint64_t(oh - 1 - y) * outStride + uint64_t(x) * 3;
            memcpy(to, in, 3);
        }
    }
    return true;
}
