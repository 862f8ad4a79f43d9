/* The checked reading of a packed bitmap's header that every converter starts from. */
#include "image_dib.h"

#include "vok_dib.h"

namespace qubex::image {

bool DibFacts(const Dib& dib, DibInfo* info) {
    if (dib.size() < vokc::kDibHeaderSize)
        return false;
    const vokc::DibHeader h = vokc::GetDibHeader(dib.data());
    if (h.size < vokc::kDibHeaderSize || h.size > dib.size() || h.width <= 0 || h.height == 0 ||
        h.height == INT32_MIN)
        return false;
    DibInfo d;
    d.width = uint32_t(h.width);
    d.topDown = h.height < 0;
    d.height = uint32_t(d.topDown ? -h.height : h.height);
    d.bits = h.bitCount;
    d.compression = h.compression;
    switch (d.bits) {
    case 1:
    case 4:
    case 8:
        d.colors = h.clrUsed == 0 || h.clrUsed > (1u << d.bits) ? 1u << d.bits : h.clrUsed;
        break;
    case 16:
    case 24:
    case 32:
        if (h.clrUsed > 256)
            return false;
        d.colors = h.clrUsed;
        break;
    default:
        return false;
    }
    // Bit-field masks follow a 40-byte header where a palette would; a larger header holds them.
    if (d.compression == 3 && h.size == vokc::kDibHeaderSize && d.colors < 3)
        d.colors = 3;
    if (d.compression == 3 && h.size != vokc::kDibHeaderSize && h.size < vokc::kDibHeaderSize + 12)
        return false;
    // A row beyond the limit is refused before its 32-bit stride could wrap round.
    if (uint64_t(d.width) * d.bits > kMaxPixelBytes * 8)
        return false;
    d.stride = vokc::DibStride(d.width, d.bits);
    d.pixelOffset = size_t(h.size) + 4 * size_t(d.colors);
    if (d.pixelOffset > dib.size())
        return false;
    if (uint64_t(d.stride) * d.height > kMaxPixelBytes)
        return false;
    if (d.compression == 1 || d.compression == 2) {
        d.pixelBytes = dib.size() - d.pixelOffset; // run-length data: what is there
    } else {
        d.pixelBytes = size_t(d.stride) * d.height;
        if (d.pixelBytes > dib.size() - d.pixelOffset)
            return false;
    }
    *info = d;
    return true;
}

} // namespace qubex::image
