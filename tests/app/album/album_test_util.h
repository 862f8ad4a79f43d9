/* Helpers of the album tests: packed bitmaps of any depth drawn from a function, BMP files of
 * them, and the album sources that the tool and the program use (the image library's scaled
 * JPEG decoding). */
#ifndef QUBEX_ALBUM_TEST_UTIL_H
#define QUBEX_ALBUM_TEST_UTIL_H

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "VokExif.h"
#include "album_model.h"
#include "vok_dib.h"
#include "vok_test_env.h"

namespace albumtest {

using qubex::album::Dib;
using qubex::album::Rgb;

/* A bottom-up bitmap of bits (1, 4, 8 with a table of colours; 24 or 32 without) whose
 * pixel (x, y), y from the top, is value(x, y): a table index, or 0xRRGGBB. */
inline Dib MakeDib(uint32_t width, uint32_t height, uint16_t bits,
                   const std::function<uint32_t(uint32_t, uint32_t)>& value,
                   const std::vector<uint32_t>& table = {}) {
    const uint32_t stride = vokc::DibStride(width, bits);
    Dib dib(vokc::kDibHeaderSize + 4 * table.size() + size_t(stride) * height, 0);
    vokc::DibHeader h;
    h.width = int32_t(width);
    h.height = int32_t(height);
    h.bitCount = bits;
    h.clrUsed = uint32_t(table.size());
    h.sizeImage = stride * height;
    vokc::PutDibHeader(dib.data(), h);
    for (size_t i = 0; i < table.size(); ++i)
        vokc::PutLe32(dib.data() + 40 + 4 * i, table[i]);
    uint8_t* pixels = dib.data() + 40 + 4 * table.size();
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = vokc::DibRow(pixels, stride, h.height, y);
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t v = value(x, y);
            switch (bits) {
            case 1:
                row[x / 8] |= uint8_t((v & 1) << (7 - x % 8));
                break;
            case 4:
                row[x / 2] |= uint8_t((v & 15) << (x % 2 ? 0 : 4));
                break;
            case 8:
                row[x] = uint8_t(v);
                break;
            default: {
                uint8_t* p = row + size_t(x) * (bits / 8);
                p[0] = uint8_t(v);
                p[1] = uint8_t(v >> 8);
                p[2] = uint8_t(v >> 16);
            }
            }
        }
    }
    return dib;
}

/* A colour that tells where a source pixel was. */
inline uint32_t Where(uint32_t x, uint32_t y) {
    return (x & 0xFF) << 16 | (y & 0xFF) << 8 | ((x >> 8) << 4 | (y >> 8));
}

inline Rgb FromValue(uint32_t v) {
    return Rgb{uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

inline bool SameRgb(Rgb a, Rgb b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

/* The bitmap as a BMP file. */
inline std::string BmpFile(const Dib& dib) {
    std::string f(14, '\0');
    const uint32_t table = vokc::GetLe32(dib.data()) + 4 * vokc::GetLe32(dib.data() + 32);
    vokc::PutBmpFileHeader(reinterpret_cast<uint8_t*>(f.data()), uint32_t(14 + dib.size()),
                           14 + table);
    f.append(reinterpret_cast<const char*>(dib.data()), dib.size());
    return f;
}

/* The album sources of the tool: JPEG thumbnails from the image library's scaled decoding;
 * calls counts the decodings and keeps the last wanted size. */
struct ScaledCalls {
    int count = 0;
    uint32_t minWidth = 0;
    uint32_t minHeight = 0;
    uint32_t decodedWidth = 0;
};
inline qubex::album::AlbumSources LibrarySources(ScaledCalls* calls = nullptr) {
    qubex::album::AlbumSources s;
    s.pictures.jpegScaled = [calls](const char* path, uint32_t minWidth, uint32_t minHeight,
                                    uint32_t* width, uint32_t* height) {
        Dib dib;
        VokImgBlock* b = VokImg_Jpeg_ReadScaledDIB(path, minWidth, minHeight, width, height);
        if (b) {
            dib.assign(b->data, b->data + b->size);
            VokImg_FreeBlock(b);
        }
        if (calls) {
            ++calls->count;
            calls->minWidth = minWidth;
            calls->minHeight = minHeight;
            calls->decodedWidth = dib.size() >= 40 ? vokc::GetLe32(dib.data() + 4) : 0;
        }
        return dib;
    };
    return s;
}

} // namespace albumtest

#endif
