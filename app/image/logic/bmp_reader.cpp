/* Reading BMP files into packed bitmaps with a 40-byte header and bottom-up rows, every part
 * checked against the file's size, and the display copy: run-length rows expanded, bit-field
 * pixels spread to 24 bits. */
#include "bmp_reader.h"

#include "image_files.h"
#include "vok_bytes.h"
#include "vok_dib.h"

#include <algorithm>
#include <cstring>

namespace qubex::image {
namespace {

constexpr uint32_t kCoreHeader = 12;
constexpr uint32_t kMaskedHeader = 52; // the smallest header holding bit-field masks
constexpr uint64_t kMaxBmpFile = kMaxPixelBytes * 2;

bool ValidDepth(uint32_t bits, uint32_t compression) {
    switch (compression) {
    case 0:
        return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case 1:
        return bits == 8;
    case 2:
        return bits == 4;
    case 3:
        return bits == 16 || bits == 32;
    default:
        return false;
    }
}

} // namespace

DibResult ReadBmpBytes(const uint8_t* bytes, size_t size) {
    DibResult out;
    if (size < vokc::kBmpFileHeaderSize + 4) {
        out.message = size >= 2 && bytes[0] == 'B' && bytes[1] == 'M' ? kMsgReadFailed : kMsgNotBmp;
        return out;
    }
    if (bytes[0] != 'B' || bytes[1] != 'M') {
        out.message = kMsgNotBmp;
        return out;
    }
    const uint8_t* info = bytes + vokc::kBmpFileHeaderSize;
    const size_t infoRoom = size - vokc::kBmpFileHeaderSize;
    const uint32_t headerSize = vokc::GetLe32(info);
    out.message = kMsgNotBmp;
    if (headerSize != kCoreHeader && (headerSize < vokc::kDibHeaderSize || headerSize > 1024))
        return out;
    if (headerSize > infoRoom) {
        out.message = kMsgReadFailed;
        return out;
    }
    vokc::DibHeader h;
    uint32_t entrySize = 4;
    if (headerSize == kCoreHeader) {
        h.width = vokc::GetLe16(info + 4);
        h.height = vokc::GetLe16(info + 6);
        h.planes = vokc::GetLe16(info + 8);
        h.bitCount = vokc::GetLe16(info + 10);
        entrySize = 3;
    } else {
        h = vokc::GetDibHeader(info);
    }
    const uint32_t bits = h.bitCount, compression = h.compression;
    if (h.width <= 0 || h.height == 0 || h.height == INT32_MIN || !ValidDepth(bits, compression) ||
        (compression != 0 && compression != 3 && h.height < 0))
        return out;
    // Masks follow a 40-byte header or lie inside one of 52 bytes or more; no room between.
    if (compression == 3 && headerSize != vokc::kDibHeaderSize && headerSize < kMaskedHeader)
        return out;
    const uint32_t width = uint32_t(h.width);
    const bool topDown = h.height < 0;
    const uint32_t rows = uint32_t(topDown ? -int64_t(h.height) : h.height);
    const uint32_t stride = vokc::DibStride(width, bits);
    // A row beyond the limit is refused before its 32-bit stride could wrap round.
    if (uint64_t(width) * bits > kMaxPixelBytes * 8 || uint64_t(stride) * rows > kMaxPixelBytes) {
        out.message = kMsgNoMemory;
        return out;
    }
    uint32_t colors = 0;
    if (bits <= 8)
        colors = h.clrUsed == 0 || h.clrUsed > (1u << bits) ? 1u << bits : h.clrUsed;
    // Bit-field masks follow a 40-byte header; larger headers carry them inside.
    size_t tableAt = vokc::kBmpFileHeaderSize + headerSize;
    size_t masksAt = vokc::kBmpFileHeaderSize + vokc::kDibHeaderSize;
    if (compression == 3 && headerSize == vokc::kDibHeaderSize)
        tableAt += 12;
    const size_t tableEnd = tableAt + size_t(colors) * entrySize;
    if (tableEnd > size) {
        out.message = kMsgReadFailed;
        return out;
    }
    // A pixel offset inside the headers is a writer's mistake: the rows follow the table.
    size_t pixelsAt = vokc::GetLe32(bytes + 10);
    if (pixelsAt < tableAt)
        pixelsAt = tableEnd;
    if (pixelsAt > size) {
        out.message = kMsgReadFailed;
        return out;
    }
    size_t pixelBytes = size_t(stride) * rows;
    if (compression == 1 || compression == 2) {
        pixelBytes = size - pixelsAt;
        if (h.sizeImage != 0 && h.sizeImage < pixelBytes)
            pixelBytes = h.sizeImage;
    } else if (pixelBytes > size - pixelsAt) {
        out.message = kMsgReadFailed;
        return out;
    }
    const size_t masks = compression == 3 ? 12 : 0;
    Dib& dib = out.dib;
    dib.assign(vokc::kDibHeaderSize + masks + 4 * size_t(colors) + pixelBytes, 0);
    vokc::DibHeader o;
    o.width = h.width;
    o.height = int32_t(rows);
    o.bitCount = uint16_t(bits);
    o.compression = compression;
    o.sizeImage = uint32_t(pixelBytes);
    o.xPelsPerMeter = headerSize == kCoreHeader ? 0 : h.xPelsPerMeter;
    o.yPelsPerMeter = headerSize == kCoreHeader ? 0 : h.yPelsPerMeter;
    o.clrUsed = bits <= 8 ? colors : 0;
    vokc::PutDibHeader(dib.data(), o);
    uint8_t* p = dib.data() + vokc::kDibHeaderSize;
    if (masks) {
        memcpy(p, bytes + masksAt, 12);
        p += 12;
    }
    for (uint32_t i = 0; i < colors; ++i, p += 4) {
        memcpy(p, bytes + tableAt + size_t(i) * entrySize, 3);
        p[3] = 0;
    }
    if (!topDown) {
        memcpy(p, bytes + pixelsAt, pixelBytes);
    } else {
        for (uint32_t y = 0; y < rows; ++y)
            memcpy(p + size_t(rows - 1 - y) * stride, bytes + pixelsAt + size_t(y) * stride,
                   stride);
    }
    out.message = kMsgNone;
    return out;
}

DibResult ReadBmpFile(const char* path) {
    DibResult out;
    std::vector<uint8_t> file;
    out.message = ReadWholeImageFile(path, kMaxBmpFile, &file);
    if (out.message != kMsgNone)
        return out;
    return ReadBmpBytes(file.data(), file.size());
}

namespace {

/* Expands run-length rows (8 or 4 bits) into rows of stride bytes, bottom row first as they
 * are coded. Runs past the right edge are clipped; data that ends early leaves zeros. */
void ExpandRle(const uint8_t* in, size_t n, uint32_t bits, uint32_t width, uint32_t rows,
               uint32_t stride, uint8_t* outRows) {
    uint32_t x = 0, y = 0;
    auto put = [&](uint32_t value) {
        if (x < width && y < rows) {
            uint8_t* row = outRows + size_t(y) * stride;
            if (bits == 8)
                row[x] = uint8_t(value);
            else
                row[x / 2] |= uint8_t(x % 2 ? value & 15 : (value & 15) << 4);
        }
        ++x;
    };
    size_t i = 0;
    while (i + 1 < n && y < rows) {
        uint32_t count = in[i], value = in[i + 1];
        i += 2;
        if (count > 0) {
            for (uint32_t k = 0; k < count && x < width; ++k)
                put(bits == 8 ? value : (k % 2 ? value : value >> 4));
            continue;
        }
        if (value == 0) { // end of row
            x = 0;
            ++y;
        } else if (value == 1) { // end of bitmap
            break;
        } else if (value == 2) { // move right and up; the pixels passed over stay 0
            if (i + 1 >= n)
                break;
            x += in[i];
            y += in[i + 1];
            i += 2;
        } else {
            size_t bytes = bits == 8 ? value : (value + 1) / 2;
            for (uint32_t k = 0; k < value; ++k) {
                size_t at = i + (bits == 8 ? k : k / 2);
                if (at >= n)
                    break;
                put(bits == 8 ? in[at] : (k % 2 ? in[at] : in[at] >> 4));
            }
            i += (bytes + 1) / 2 * 2;
        }
    }
}

uint8_t FieldTo8(uint32_t pixel, uint32_t mask) {
    if (mask == 0)
        return 0;
    uint32_t shift = uint32_t(__builtin_ctz(mask));
    uint32_t width = uint32_t(__builtin_popcount(mask));
    uint32_t v = (pixel & mask) >> shift;
    return uint8_t(width >= 8 ? v >> (width - 8) : v << (8 - width));
}

} // namespace

Dib MakeDisplayCopy(const Dib& dib) {
    DibInfo d;
    if (!DibFacts(dib, &d))
        return {};
    const uint32_t headerSize = vokc::GetLe32(dib.data());
    vokc::DibHeader h = vokc::GetDibHeader(dib.data());
    Dib copy;
    if ((d.compression == 1 && d.bits == 8) || (d.compression == 2 && d.bits == 4)) {
        const size_t table = 4 * size_t(d.colors);
        copy.assign(vokc::kDibHeaderSize + table + size_t(d.stride) * d.height, 0);
        memcpy(copy.data() + vokc::kDibHeaderSize, dib.data() + headerSize, table);
        ExpandRle(dib.data() + d.pixelOffset, d.pixelBytes, d.bits, d.width, d.height, d.stride,
                  copy.data() + vokc::kDibHeaderSize + table);
        h.clrUsed = d.colors;
    } else if (d.compression == 3 && (d.bits == 16 || d.bits == 32)) {
        const uint8_t* m = dib.data() + headerSize;
        if (headerSize > vokc::kDibHeaderSize)
            m = dib.data() + vokc::kDibHeaderSize; // masks inside a larger header
        const uint32_t red = vokc::GetLe32(m), green = vokc::GetLe32(m + 4),
                       blue = vokc::GetLe32(m + 8);
        const uint32_t outStride = vokc::DibStride(d.width, 24);
        copy.assign(vokc::kDibHeaderSize + size_t(outStride) * d.height, 0);
        for (uint32_t y = 0; y < d.height; ++y) {
            const uint8_t* s = dib.data() + d.pixelOffset + size_t(y) * d.stride;
            uint8_t* o = copy.data() + vokc::kDibHeaderSize + size_t(y) * outStride;
            for (uint32_t x = 0; x < d.width; ++x, o += 3) {
                uint32_t p = d.bits == 16 ? vokc::GetLe16(s + 2 * x) : vokc::GetLe32(s + 4 * x);
                o[0] = FieldTo8(p, blue);
                o[1] = FieldTo8(p, green);
                o[2] = FieldTo8(p, red);
            }
        }
        h.bitCount = 24;
        h.clrUsed = 0;
    } else {
        return {};
    }
    h.size = vokc::kDibHeaderSize;
    h.compression = 0;
    h.sizeImage = uint32_t(copy.size() - vokc::kDibHeaderSize - 4 * size_t(h.clrUsed));
    h.clrImportant = 0;
    vokc::PutDibHeader(copy.data(), h);
    return copy;
}

} // namespace qubex::image
