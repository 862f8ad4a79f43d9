/* Conversions to the depths the save types need and the BMP writer. The quantizer follows the
 * program's fixed recipe step by step, so the same picture always gets the same palette. */
#include "convert.h"

#include "bmp_reader.h"
#include "vok_bytes.h"
#include "vok_dib.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

namespace qubex::image {
namespace {

/* A new bitmap with src's header fields at another depth and table size. */
Dib NewLike(const DibInfo& d, const Dib& src, uint32_t bits, uint32_t colors) {
    vokc::DibHeader h = vokc::GetDibHeader(src.data());
    h.size = vokc::kDibHeaderSize;
    h.bitCount = uint16_t(bits);
    h.compression = 0;
    h.sizeImage = vokc::DibStride(d.width, bits) * d.height;
    h.clrUsed = colors;
    h.clrImportant = 0;
    Dib out(vokc::kDibHeaderSize + 4 * size_t(colors) + h.sizeImage, 0);
    vokc::PutDibHeader(out.data(), h);
    return out;
}

uint32_t Index(const uint8_t* row, uint32_t x, uint32_t bits) {
    switch (bits) {
    case 1:
        return row[x / 8] >> (7 - x % 8) & 1;
    case 4:
        return x % 2 ? row[x / 2] & 15 : row[x / 2] >> 4;
    default:
        return row[x];
    }
}

/* Any uncompressed bitmap of 1 to 32 bits as 24 bits. */
Dib To24(const Dib& src, const DibInfo& d) {
    Dib out = NewLike(d, src, 24, 0);
    const uint8_t* table = src.data() + vokc::GetLe32(src.data());
    const uint32_t outStride = vokc::DibStride(d.width, 24);
    for (uint32_t y = 0; y < d.height; ++y) {
        const uint8_t* s = src.data() + d.pixelOffset + size_t(y) * d.stride;
        uint8_t* o = out.data() + vokc::kDibHeaderSize + size_t(y) * outStride;
        for (uint32_t x = 0; x < d.width; ++x, o += 3) {
            if (d.bits <= 8) {
                uint32_t i = Index(s, x, d.bits);
                if (i < d.colors)
                    memcpy(o, table + 4 * i, 3);
            } else if (d.bits == 16) { // five bits each, as a plain 16-bit bitmap stores them
                uint32_t p = vokc::GetLe16(s + 2 * x);
                o[0] = uint8_t((p & 31) << 3);
                o[1] = uint8_t((p >> 5 & 31) << 3);
                o[2] = uint8_t((p >> 10 & 31) << 3);
            } else {
                memcpy(o, s + x * (d.bits / 8), 3);
            }
        }
    }
    return out;
}

/* 1- and 4-bit indices widened to bytes, with the same table. */
Dib IndicesTo8(const Dib& src, const DibInfo& d) {
    Dib out = NewLike(d, src, 8, d.colors);
    memcpy(out.data() + vokc::kDibHeaderSize, src.data() + vokc::GetLe32(src.data()),
           4 * size_t(d.colors));
    const uint32_t outStride = vokc::DibStride(d.width, 8);
    for (uint32_t y = 0; y < d.height; ++y) {
        const uint8_t* s = src.data() + d.pixelOffset + size_t(y) * d.stride;
        uint8_t* o =
            out.data() + vokc::kDibHeaderSize + 4 * size_t(d.colors) + size_t(y) * outStride;
        for (uint32_t x = 0; x < d.width; ++x)
            o[x] = uint8_t(Index(s, x, d.bits));
    }
    return out;
}

constexpr uint32_t kBins = 8192;

uint32_t BinOf(const uint8_t* bgr) {
    return uint32_t(bgr[2] >> 4) + 16 * uint32_t(bgr[1] >> 3) + 512 * uint32_t(bgr[0] >> 4);
}

} // namespace

Dib QuantizeTo256(const Dib& dib) {
    DibInfo d;
    if (!DibFacts(dib, &d) || d.bits != 24 || d.compression != 0)
        return dib;
    // 1. Histogram, saturating counts.
    std::vector<uint16_t> count(kBins, 0);
    for (uint32_t y = 0; y < d.height; ++y) {
        const uint8_t* s = dib.data() + d.pixelOffset + size_t(y) * d.stride;
        for (uint32_t x = 0; x < d.width; ++x, s += 3) {
            uint16_t& c = count[BinOf(s)];
            if (c != 65535)
                ++c;
        }
    }
    // 2. The occupied bins in bin order.
    std::vector<uint16_t> list;
    for (uint32_t b = 0; b < kBins; ++b)
        if (count[b])
            list.push_back(uint16_t(b));
    // 3. Coverage: each occupied 2-2-2 bit cell's most frequent bin (the first of equals) is
    //    made as frequent as can be, so that it is sure to be in the palette.
    int winner[64];
    std::fill(std::begin(winner), std::end(winner), -1);
    for (uint16_t b : list) {
        uint32_t cell = ((b & 15) >> 2) + 4 * (((b >> 4) & 31) >> 3) + 16 * ((b >> 9) >> 2);
        if (winner[cell] < 0 || count[b] > count[uint32_t(winner[cell])])
            winner[cell] = b;
    }
    for (int w : winner)
        if (w >= 0)
            count[uint32_t(w)] = 65535;
    // 4. Popularity: selection of the most frequent remaining bin for the first places.
    const size_t n = list.size(), colors = std::min<size_t>(n, 256);
    for (size_t i = 0; i < colors; ++i) {
        size_t best = i;
        for (size_t j = i + 1; j < n; ++j)
            if (count[list[j]] > count[list[best]])
                best = j;
        std::swap(list[i], list[best]);
    }
    // 5. The palette; 6. every occupied bin's nearest entry, the lower index on a tie.
    Dib out = NewLike(d, dib, 8, uint32_t(colors));
    vokc::PutLe32(out.data() + 20, 0); // image size left 0, as the recipe writes it
    uint8_t* table = out.data() + vokc::kDibHeaderSize;
    int pr[256], pg[256], pb[256];
    std::vector<uint8_t> entryOf(kBins, 0);
    for (size_t i = 0; i < colors; ++i) {
        uint32_t b = list[i];
        pr[i] = int(b & 15), pg[i] = int(b >> 4 & 31), pb[i] = int(b >> 9);
        table[4 * i + 0] = uint8_t(pb[i] * 16);
        table[4 * i + 1] = uint8_t(pg[i] * 8);
        table[4 * i + 2] = uint8_t(pr[i] * 16);
        table[4 * i + 3] = 0;
        entryOf[b] = uint8_t(i);
    }
    for (size_t k = colors; k < n; ++k) {
        uint32_t b = list[k];
        int r = int(b & 15), g = int(b >> 4 & 31), bl = int(b >> 9);
        int best = 0, bestDistance = INT32_MAX;
        for (size_t i = 0; i < colors; ++i) {
            int dr = r - pr[i], dg = g - pg[i], db = bl - pb[i];
            int distance = dr * dr + dg * dg + db * db;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = int(i);
            }
        }
        entryOf[b] = uint8_t(best);
    }
    // 7. Each pixel replaced by its bin's entry.
    const uint32_t outStride = vokc::DibStride(d.width, 8);
    uint8_t* rows = table + 4 * colors;
    for (uint32_t y = 0; y < d.height; ++y) {
        const uint8_t* s = dib.data() + d.pixelOffset + size_t(y) * d.stride;
        uint8_t* o = rows + size_t(y) * outStride;
        for (uint32_t x = 0; x < d.width; ++x, s += 3)
            o[x] = entryOf[BinOf(s)];
    }
    return out;
}

DibResult ConvertDib(const Dib& dib, int targetBits) {
    DibResult r;
    try {
        DibInfo d;
        if (!DibFacts(dib, &d)) {
            r.message = kMsgBitmapFailed;
            return r;
        }
        Dib shown;
        if (d.compression != 0) {
            const bool known = (d.compression == 1 && d.bits == 8) ||
                               (d.compression == 2 && d.bits == 4) ||
                               (d.compression == 3 && (d.bits == 16 || d.bits == 32));
            if (!known) {
                r.message = kMsgBitmapFailed;
                return r;
            }
            shown = MakeDisplayCopy(dib);
            if (shown.empty() || !DibFacts(shown, &d)) {
                r.message = kMsgNoMemory;
                return r;
            }
        }
        const Dib& src = shown.empty() ? dib : shown;
        if (targetBits == 24)
            r.dib = d.bits == 24 ? src : To24(src, d);
        else if (d.bits == 8)
            r.dib = src;
        else if (d.bits < 8)
            r.dib = IndicesTo8(src, d);
        else
            r.dib = QuantizeTo256(d.bits == 24 ? src : To24(src, d));
    } catch (const std::bad_alloc&) {
        r.dib.clear();
        r.message = kMsgNoMemory;
    }
    return r;
}

int WriteBmpFile(const char* path, const Dib& dib, vokc::WriteFn write) {
    DibInfo d;
    if (!path || !*path || !DibFacts(dib, &d))
        return kMsgOpenFailed;
    uint8_t head[vokc::kBmpFileHeaderSize];
    vokc::PutBmpFileHeader(head, uint32_t(dib.size() + sizeof head),
                           uint32_t(sizeof head + d.pixelOffset));
    bool writeFailed = false;
    vokc::ReplaceOptions options;
    options.write = write;
    bool ok = vokc::ReplaceFileWith(
        path,
        [&](int fd, vokc::WriteFn w) {
            // Pieces of at most 32767 bytes, as the format's first writers did.
            writeFailed = !vokc::WriteFull(fd, head, sizeof head, w);
            for (size_t at = 0; !writeFailed && at < dib.size(); at += 32767)
                writeFailed = !vokc::WriteFull(fd, dib.data() + at,
                                               std::min<size_t>(32767, dib.size() - at), w);
            return !writeFailed;
        },
        options);
    if (ok)
        return kMsgNone;
    return writeFailed || errno == ENOSPC || errno == EIO || errno == EDQUOT ? kMsgWriteFailed
                                                                             : kMsgOpenFailed;
}

} // namespace qubex::image
