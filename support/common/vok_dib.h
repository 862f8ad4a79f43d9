/* The packed device-independent bitmap of the suite: a 40-byte information header, the
 * palette, then rows padded to four bytes, bottom row first unless the height is negative.
 * One layout for the image library, the thumbnail renderer and the programs; BMP files are
 * the same after a 14-byte file header. */
#ifndef VOK_DIB_H
#define VOK_DIB_H

#include <cstddef>
#include <cstdint>

#include "vok_bytes.h"

namespace vokc {

constexpr uint32_t kDibHeaderSize = 40;     // the information header
constexpr uint32_t kBmpFileHeaderSize = 14; // "BM", file size, reserved, pixel offset

/* The information header's fields, in their stored order. */
struct DibHeader {
    uint32_t size = kDibHeaderSize;
    int32_t width = 0;
    int32_t height = 0; // positive: bottom-up rows
    uint16_t planes = 1;
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    uint32_t sizeImage = 0;
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    uint32_t clrUsed = 0;
    uint32_t clrImportant = 0;
};

/* Bytes of one stored row of width pixels of bits each, padded to four. */
inline uint32_t DibStride(uint32_t width, uint32_t bits) {
    return static_cast<uint32_t>((uint64_t(width) * bits + 31) / 32 * 4);
}

/* Writes h as the 40 bytes at p. */
inline void PutDibHeader(uint8_t* p, const DibHeader& h) {
    PutLe32(p, h.size);
    PutLe32(p + 4, static_cast<uint32_t>(h.width));
    PutLe32(p + 8, static_cast<uint32_t>(h.height));
    PutLe16(p + 12, h.planes);
    PutLe16(p + 14, h.bitCount);
    PutLe32(p + 16, h.compression);
    PutLe32(p + 20, h.sizeImage);
    PutLe32(p + 24, static_cast<uint32_t>(h.xPelsPerMeter));
    PutLe32(p + 28, static_cast<uint32_t>(h.yPelsPerMeter));
    PutLe32(p + 32, h.clrUsed);
    PutLe32(p + 36, h.clrImportant);
}

/* The header in the 40 bytes at p (the caller checked they are there). */
inline DibHeader GetDibHeader(const uint8_t* p) {
    DibHeader h;
    h.size = GetLe32(p);
    h.width = static_cast<int32_t>(GetLe32(p + 4));
    h.height = static_cast<int32_t>(GetLe32(p + 8));
    h.planes = GetLe16(p + 12);
    h.bitCount = GetLe16(p + 14);
    h.compression = GetLe32(p + 16);
    h.sizeImage = GetLe32(p + 20);
    h.xPelsPerMeter = static_cast<int32_t>(GetLe32(p + 24));
    h.yPelsPerMeter = static_cast<int32_t>(GetLe32(p + 28));
    h.clrUsed = GetLe32(p + 32);
    h.clrImportant = GetLe32(p + 36);
    return h;
}

/* Writes the 14-byte BMP file header at p. */
inline void PutBmpFileHeader(uint8_t* p, uint32_t fileSize, uint32_t pixelOffset) {
    p[0] = 'B';
    p[1] = 'M';
    PutLe32(p + 2, fileSize);
    PutLe32(p + 6, 0);
    PutLe32(p + 10, pixelOffset);
}

/* Row y counted from the top of rows pixel rows stored bottom-up (height > 0) or top-down. */
template <class Byte> Byte* DibRow(Byte* pixels, uint32_t stride, int32_t height, uint32_t y) {
    uint32_t rows = static_cast<uint32_t>(height < 0 ? -int64_t(height) : height);
    uint32_t stored = height > 0 ? rows - 1 - y : y;
    return pixels + size_t(stride) * stored;
}

} // namespace vokc

#endif
