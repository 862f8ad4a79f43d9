// The pixels of the one TIFF layout the upload accepts (8-bit RGB, uncompressed, chunky) and
// turning a bitmap upright, both over bytes in memory: every offset and count is checked
// against the buffer before it is read.
#include <string.h>

#include "DscUpload.h"
#include "vok_bytes.h"

namespace {

const uint64_t kMaxPixels = 64ull * 1024 * 1024;

struct Reader {
    const uint8_t* data;
    size_t size;
    bool big;

    bool has(uint64_t offset, uint64_t length) const {
        return offset <= size && length <= size - offset;
    }
    uint32_t u16(uint64_t at) const { return vokc::Get16(data + at, big); }
    uint32_t u32(uint64_t at) const { return vokc::Get32(data + at, big); }
};

struct Entry {
    uint32_t type = 0, count = 0;
    uint64_t at = 0; // where the entry's value field lies
    bool present = false;
};

uint32_t typeSize(uint32_t type) {
    switch (type) {
    case 3:
    case 8:
        return 2;
    case 4:
    case 9:
        return 4;
    default:
        return type == 1 || type == 2 || type == 6 || type == 7 ? 1 : 0;
    }
}

// The n-th number of an entry of type SHORT or LONG, wherever its values lie.
bool number(const Reader& r, const Entry& e, uint32_t n, uint32_t* out) {
    uint32_t width = typeSize(e.type);
    if (!e.present || (e.type != 3 && e.type != 4) || n >= e.count)
        return false;
    uint64_t values = e.at;
    if (uint64_t(width) * e.count > 4) {
        if (!r.has(e.at, 4))
            return false;
        values = r.u32(e.at);
    }
    uint64_t at = values + uint64_t(n) * width;
    if (!r.has(at, width))
        return false;
    *out = width == 2 ? r.u16(at) : r.u32(at);
    return true;
}

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

bool DscTiff_ReadRgb(const uint8_t* data, size_t size, std::vector<uint8_t>* dib) {
    if (!data || size < 8 || (memcmp(data, "II", 2) != 0 && memcmp(data, "MM", 2) != 0))
        return false;
    Reader r = {data, size, data[0] == 'M'};
    uint64_t ifd = r.u32(4);
    if (!r.has(ifd, 2))
        return false;
    uint32_t n = r.u16(ifd);
    if (!r.has(ifd + 2, uint64_t(n) * 12))
        return false;
    Entry width, height, bits, compression, photometric, offsets, samples, counts, planar;
    for (uint32_t i = 0; i < n; ++i) {
        uint64_t at = ifd + 2 + uint64_t(i) * 12;
        Entry e;
        e.type = r.u16(at + 2);
        e.count = r.u32(at + 4);
        e.at = at + 8;
        e.present = true;
        switch (r.u16(at)) {
        case 256:
            width = e;
            break;
        case 257:
            height = e;
            break;
        case 258:
            bits = e;
            break;
        case 259:
            compression = e;
            break;
        case 262:
            photometric = e;
            break;
        case 273:
            offsets = e;
            break;
        case 277:
            samples = e;
            break;
        case 279:
            counts = e;
            break;
        case 284:
            planar = e;
            break;
        default:
            break;
        }
    }
    uint32_t w = 0, h = 0, value = 0;
    if (!number(r, width, 0, &w) || !number(r, height, 0, &h) || w == 0 || h == 0 ||
        uint64_t(w) * h > kMaxPixels)
        return false;
    if (!number(r, compression, 0, &value) || (value != 1 && value != 32771))
        return false;
    if (!number(r, photometric, 0, &value) || value != 2)
        return false;
    if (samples.present && (!number(r, samples, 0, &value) || value != 3))
        return false;
    if (planar.present && (!number(r, planar, 0, &value) || value != 1))
        return false;
    for (uint32_t s = 0; s < 3; ++s) {
        // One BitsPerSample value stands for all three samples.
        if (!number(r, bits, bits.count == 1 ? 0 : s, &value) || value != 8)
            return false;
    }
    if (!offsets.present || !counts.present || offsets.count != counts.count || offsets.count == 0)
        return false;
    std::vector<uint8_t> pixels;
    uint64_t need = uint64_t(w) * h * 3;
    for (uint32_t s = 0; s < offsets.count && pixels.size() < need; ++s) {
        uint32_t at = 0, length = 0;
        if (!number(r, offsets, s, &at) || !number(r, counts, s, &length) || !r.has(at, length))
            return false;
        uint64_t take = length < need - pixels.size() ? length : need - pixels.size();
        pixels.insert(pixels.end(), data + at, data + at + take);
    }
    if (pixels.size() < need)
        return false;
    header(dib, w, h);
    uint32_t stride = (w * 3 + 3) / 4 * 4;
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* in = pixels.data() + uint64_t(y) * w * 3;
        uint8_t* out = dib->data() + 40 + uint64_t(h - 1 - y) * stride;
        for (uint32_t x = 0; x < w; ++x) {
            out[x * 3] = in[x * 3 + 2];
            out[x * 3 + 1] = in[x * 3 + 1];
            out[x * 3 + 2] = in[x * 3];
        }
    }
    return true;
}

bool DscDib_Orient(const uint8_t* dib, size_t size, int orientation, std::vector<uint8_t>* out) {
    if (!dib || size < 40)
        return false;
    Reader r = {dib, size, false};
    uint32_t w = r.u32(4);
    int32_t rawHeight = static_cast<int32_t>(r.u32(8));
    if (r.u32(0) != 40 || r.u16(14) != 24 || r.u32(16) != 0 || rawHeight <= 0 || w == 0 ||
        uint64_t(w) * uint32_t(rawHeight) > kMaxPixels)
        return false;
    uint32_t h = uint32_t(rawHeight);
    uint64_t stride = (uint64_t(w) * 3 + 3) / 4 * 4;
    if (!r.has(40, stride * h))
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
