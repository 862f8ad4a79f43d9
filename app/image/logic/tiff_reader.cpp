/* Reading uncompressed TIFF files into packed bitmaps: the header and first directory are
 * walked into a facts record, the strips are gathered into one tightly packed source block,
 * and the rows are converted bottom row first into the bitmap. */
#include "tiff_reader.h"

#include "image_files.h"
#include "vok_bytes.h"
#include "vok_dib.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace qubex::image {
namespace {

/* A file larger than this is not read into memory: no supported layout needs more than a
 * third more source bytes than the largest bitmap allowed. */
constexpr uint64_t kMaxTiffFile = kMaxPixelBytes * 2;

struct FieldRef {
    uint16_t type = 0;
    uint32_t count = 0;
    uint32_t value = 0; // the value field read as one number
    size_t fieldAt = 0; // where the 4-byte value field lies in the file
    bool present = false;
};

struct TiffFacts {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bits = 0;
    uint32_t compressed = 0;
    FieldRef stripOffsets, rowsPerStrip, stripByteCounts;
    uint32_t colorMapOffset = 0;
    bool hasColorMap = false;
    uint32_t photometric = 1;    // absent: black is zero
    uint32_t subH = 2, subV = 2; // absent: the TIFF default
    uint32_t positioning = 0;
    uint32_t planar = 1;
    uint32_t samples = 1;
    bool bigEndian = false;
};

uint32_t TypeSize(uint16_t type) {
    switch (type) {
    case 3:
    case 8:
        return 2;
    case 4:
    case 9:
    case 11:
        return 4;
    case 5:
    case 10:
    case 12:
        return 8;
    default:
        return 1;
    }
}

class Reader {
  public:
    Reader(const uint8_t* p, size_t n, bool be) : p_(p), n_(n), be_(be) {}
    bool Has(uint64_t at, uint64_t len) const { return at <= n_ && len <= n_ - at; }
    uint16_t U16(size_t at) const { return vokc::Get16(p_ + at, be_); }
    uint32_t U32(size_t at) const { return vokc::Get32(p_ + at, be_); }
    const uint8_t* At(size_t at) const { return p_ + at; }
    size_t Size() const { return n_; }

  private:
    const uint8_t* p_;
    size_t n_;
    bool be_;
};

/* BitsPerSample: one value, or the sum of count 16-bit numbers (in the entry when they fit). */
bool SumBits(const Reader& r, const FieldRef& f, uint32_t* bits) {
    if (f.count <= 1) {
        *bits = f.type == 3 ? r.U16(f.fieldAt) : f.value;
        return true;
    }
    if (f.count > 8)
        return false;
    size_t at = uint64_t(f.count) * 2 <= 4 ? f.fieldAt : f.value;
    if (!r.Has(at, uint64_t(f.count) * 2))
        return false;
    uint32_t sum = 0;
    for (uint32_t i = 0; i < f.count; ++i)
        sum += r.U16(at + 2 * i);
    *bits = sum;
    return true;
}

bool WalkDirectory(const Reader& r, TiffFacts* t) {
    if (!r.Has(0, 8))
        return false;
    uint32_t ifd = r.U32(4);
    if (!r.Has(ifd, 2))
        return false;
    uint32_t entries = r.U16(ifd);
    if (!r.Has(uint64_t(ifd) + 2, uint64_t(entries) * 12))
        return false;
    FieldRef bitsField;
    for (uint32_t i = 0; i < entries; ++i) {
        size_t e = ifd + 2 + size_t(i) * 12;
        FieldRef f;
        f.type = r.U16(e + 2);
        f.count = r.U32(e + 4);
        f.fieldAt = e + 8;
        // A SHORT that fits is the first half of the field; otherwise the field is one number
        // (a LONG, or the offset of values that do not fit).
        f.value = f.type == 3 && f.count <= 2 ? r.U16(e + 8) : r.U32(e + 8);
        f.present = true;
        switch (r.U16(e)) {
        case 256:
            t->width = f.value;
            break;
        case 257:
            t->height = f.value;
            break;
        case 258:
            bitsField = f;
            break;
        case 259:
            t->compressed = (f.value == 1 || f.value == 32771) ? 0 : f.value;
            break;
        case 262:
            t->photometric = f.value;
            break;
        case 273:
            t->stripOffsets = f;
            break;
        case 277:
            t->samples = f.value;
            break;
        case 278:
            t->rowsPerStrip = f;
            break;
        case 279:
            t->stripByteCounts = f;
            break;
        case 284:
            t->planar = f.value;
            break;
        case 320:
            t->colorMapOffset = f.value;
            t->hasColorMap = true;
            break;
        case 530:
            t->subH = r.U16(e + 8);
            t->subV = r.U16(e + 10);
            break;
        case 531:
            t->positioning = f.value;
            break;
        default:
            break;
        }
    }
    t->bits = 1; // TIFF's default when the tag is missing
    return !bitsField.present || SumBits(r, bitsField, &t->bits);
}

/* Bytes of the tightly packed source picture, rows top first; 0 for an unsupported layout. */
uint64_t SourceBytes(const TiffFacts& t) {
    uint64_t w = t.width, h = t.height;
    switch (t.bits) {
    case 1:
        return (w + 7) / 8 * h;
    case 4:
        return (w + 1) / 2 * h;
    case 8:
        return w * h;
    case 24:
        if (t.photometric != 6)
            return 3 * w * h;
        if (t.subH == 1 && t.subV == 1)
            return 3 * w * h;
        if (t.subH == 2 && t.subV == 1)
            return (w + 1) / 2 * 4 * h;
        if (t.subH == 2 && t.subV == 2)
            return (w + 1) / 2 * 6 * ((h + 1) / 2);
        return 0;
    case 32:
        return 4 * w * h;
    default:
        return 0;
    }
}

/* The source picture: one strip in place, or the strips copied one after the other. */
bool GatherStrips(const Reader& r, const TiffFacts& t, uint64_t need, std::vector<uint8_t>* block,
                  const uint8_t** source) {
    const FieldRef& so = t.stripOffsets;
    if (!so.present)
        return false;
    if (uint64_t(so.count) * TypeSize(so.type) <= 4) {
        if (!r.Has(so.value, need))
            return false;
        *source = r.At(so.value);
        return true;
    }
    const FieldRef& bc = t.stripByteCounts;
    uint32_t strips = bc.count;
    if (!bc.present || strips == 0 || so.count < strips)
        return false;
    uint32_t offSize = so.type == 3 ? 2 : 4, countSize = bc.type == 3 ? 2 : 4;
    uint32_t countsAt = uint64_t(strips) * countSize <= 4 ? uint32_t(bc.fieldAt) : bc.value;
    if (!r.Has(so.value, uint64_t(strips) * offSize) ||
        !r.Has(countsAt, uint64_t(strips) * countSize))
        return false;
    auto stripAt = [&](uint32_t i) {
        return offSize == 2 ? r.U16(so.value + 2 * i) : r.U32(so.value + 4 * i);
    };
    auto stripLen = [&](uint32_t i) {
        return countSize == 2 ? r.U16(countsAt + 2 * i) : r.U32(countsAt + 4 * i);
    };
    // Every strip is checked, and the whole picture found, before anything is allocated.
    uint64_t total = 0;
    for (uint32_t i = 0; i < strips; ++i) {
        if (!r.Has(stripAt(i), stripLen(i)))
            return false;
        total += stripLen(i);
    }
    if (total < need)
        return false; // strips that do not hold the whole picture: a cut or damaged file
    block->resize(need);
    uint64_t filled = 0;
    for (uint32_t i = 0; i < strips && filled < need; ++i) {
        uint64_t take = std::min<uint64_t>(stripLen(i), need - filled);
        memcpy(block->data() + filled, r.At(stripAt(i)), take);
        filled += take;
    }
    *source = block->data();
    return true;
}

uint8_t Clamp(double v) {
    return v <= 0 ? 0 : v >= 255 ? 255 : static_cast<uint8_t>(v);
}

void PutYcc(uint8_t* bgr, int y, int cb, int cr) {
    double cbd = cb - 128, crd = cr - 128;
    bgr[0] = Clamp(y + 1.77 * cbd);
    bgr[1] = Clamp(y - 0.71 * crd - 0.34 * cbd);
    bgr[2] = Clamp(y + 1.4 * crd);
}

void PutCmyk(uint8_t* bgr, const uint8_t* cmyk) {
    double r0 = 255 - cmyk[0], g0 = 255 - cmyk[1], b0 = 255 - cmyk[2];
    double luma = std::max(0.0, 0.30 * r0 + 0.59 * g0 + 0.11 * b0 - cmyk[3]);
    double cr = 0.5 * r0 - 0.42 * g0 - 0.08 * b0;
    double cb = 0.5 * b0 - 0.33 * g0 - 0.17 * r0;
    auto fix = [](double v) { // truncated, then clamped
        int i = static_cast<int>(v);
        return static_cast<uint8_t>(std::clamp(i, 0, 255));
    };
    bgr[0] = fix(luma + 1.77 * cb);
    bgr[1] = fix(luma - 0.34 * cb - 0.714 * cr);
    bgr[2] = fix(luma + 1.4 * cr);
}

void FillRows(const TiffFacts& t, const uint8_t* src, uint8_t* pixels, uint32_t stride) {
    const uint32_t w = t.width, h = t.height;
    auto row = [&](uint32_t y) { return pixels + size_t(stride) * (h - 1 - y); };
    if (t.bits <= 8) {
        uint32_t len = t.bits == 1 ? (w + 7) / 8 : t.bits == 4 ? (w + 1) / 2 : w;
        for (uint32_t y = 0; y < h; ++y)
            memcpy(row(y), src + size_t(len) * y, len);
    } else if (t.bits == 32) {
        // Four samples are inks, unless the file says they are red, green, blue and alpha.
        for (uint32_t y = 0; y < h; ++y) {
            for (uint32_t x = 0; x < w; ++x) {
                const uint8_t* s = src + (size_t(y) * w + x) * 4;
                uint8_t* d = row(y) + 3 * x;
                if (t.photometric == 2) {
                    d[0] = s[2];
                    d[1] = s[1];
                    d[2] = s[0];
                } else {
                    PutCmyk(d, s);
                }
            }
        }
    } else if (t.photometric != 6 || (t.subH == 1 && t.subV == 1)) {
        const bool ycc = t.photometric == 6;
        for (uint32_t y = 0; y < h; ++y) {
            const uint8_t* s = src + size_t(y) * w * 3;
            uint8_t* d = row(y);
            for (uint32_t x = 0; x < w; ++x, s += 3, d += 3) {
                if (ycc) {
                    PutYcc(d, s[0], s[1], s[2]);
                } else {
                    d[0] = s[2];
                    d[1] = s[1];
                    d[2] = s[0];
                }
            }
        }
    } else {
        const uint32_t units = (w + 1) / 2, lumas = 2 * t.subV, unit = lumas + 2;
        for (uint32_t band = 0; band * t.subV < h; ++band) {
            const uint8_t* s = src + size_t(band) * units * unit;
            for (uint32_t u = 0; u < units; ++u, s += unit) {
                for (uint32_t k = 0; k < lumas; ++k) {
                    uint32_t x = 2 * u + k % 2, y = band * t.subV + k / 2;
                    if (x < w && y < h)
                        PutYcc(row(y) + 3 * x, s[k], s[lumas], s[lumas + 1]);
                }
            }
        }
    }
}

void FillColorTable(const Reader& r, const TiffFacts& t, uint32_t colors, uint8_t* table) {
    if (t.hasColorMap) {
        for (uint32_t i = 0; i < colors; ++i) {
            size_t at = t.colorMapOffset + 2 * size_t(i);
            table[4 * i + 2] = static_cast<uint8_t>(r.U16(at) >> 8);
            table[4 * i + 1] = static_cast<uint8_t>(r.U16(at + 2 * size_t(colors)) >> 8);
            table[4 * i + 0] = static_cast<uint8_t>(r.U16(at + 4 * size_t(colors)) >> 8);
            table[4 * i + 3] = 0;
        }
        return;
    }
    // No colour map: a grey ramp, white first when the file says zero is white.
    for (uint32_t i = 0; i < colors; ++i) {
        uint32_t level = i * 255 / (colors - 1);
        if (t.photometric == 0)
            level = 255 - level;
        memset(table + 4 * i, int(level), 3);
        table[4 * i + 3] = 0;
    }
}

} // namespace

int IsTiffFile(const char* path) {
    uint8_t head[16];
    if (!ReadFileHead(path, head, sizeof head))
        return 0;
    return (head[0] == 'M' && head[1] == 'M') ||
           (head[0] == 'I' && head[1] == 'I' && head[2] == 0x2A);
}

DibResult ReadTiffBytes(const uint8_t* file, size_t size) {
    DibResult out;
    out.message = kMsgCannotParse;
    if (size < 8 || !((file[0] == 'I' && file[1] == 'I') || (file[0] == 'M' && file[1] == 'M')))
        return out;
    TiffFacts t;
    t.bigEndian = file[0] == 'M';
    Reader r(file, size, t.bigEndian);
    if (!WalkDirectory(r, &t) || t.compressed != 0 || t.width == 0 || t.height == 0)
        return out;
    if (t.width >= (1u << 30) || t.height >= (1u << 30)) {
        out.message = kMsgNoMemory;
        return out;
    }
    // Planes stored one after the other would be read as interleaved samples.
    if (t.planar == 2 && t.samples > 1)
        return out;
    const uint32_t colors = t.bits < 24 ? 1u << t.bits : 0;
    const uint64_t need = SourceBytes(t);
    if (need == 0)
        return out;
    if (colors && t.hasColorMap && !r.Has(t.colorMapOffset, uint64_t(colors) * 6))
        return out;
    const uint32_t outBits = std::min<uint32_t>(t.bits, 24);
    // The row length the block is sized by; rows are stored at the bitmap's own stride.
    uint64_t sizingRow = t.bits == 1   ? t.width / 8 + 1
                         : t.bits == 4 ? (uint64_t(t.width) + 1) / 2
                         : t.bits == 8 ? t.width
                                       : 3 * uint64_t(t.width);
    uint64_t paddedRow = (sizingRow + 3) / 4 * 4;
    if (paddedRow * t.height > kMaxPixelBytes) {
        out.message = kMsgNoMemory;
        return out;
    }
    const uint32_t stride = vokc::DibStride(t.width, outBits);
    assert(stride <= paddedRow);
    std::vector<uint8_t> gathered;
    const uint8_t* source = nullptr;
    if (!GatherStrips(r, t, need, &gathered, &source))
        return out;
    Dib& dib = out.dib;
    dib.assign(size_t(t.height * paddedRow + 4 * colors + 50), 0);
    vokc::DibHeader h;
    h.width = int32_t(t.width);
    h.height = int32_t(t.height);
    h.bitCount = uint16_t(outBits);
    vokc::PutDibHeader(dib.data(), h);
    if (colors)
        FillColorTable(r, t, colors, dib.data() + vokc::kDibHeaderSize);
    FillRows(t, source, dib.data() + vokc::kDibHeaderSize + 4 * colors, stride);
    out.message = kMsgNone;
    return out;
}

DibResult ReadTiffFile(const char* path) {
    DibResult out;
    std::vector<uint8_t> file;
    out.message = ReadWholeImageFile(path, kMaxTiffFile, &file);
    if (out.message != kMsgNone)
        return out;
    return ReadTiffBytes(file.data(), file.size());
}

} // namespace qubex::image
