/* A small, bounds-checked reader of uncompressed RGB TIFF files. */
#include "tiff_read.h"
#include "vok_bytes.h"

#include <vector>

namespace rt70sim {

namespace {

struct Reader {
    const Bytes& b;
    bool little;
    bool ok = true;
    bool has(size_t at, size_t n) {
        ok = ok && at + n <= b.size();
        return ok;
    }
    uint32_t u16(size_t at) { return has(at, 2) ? vokc::Get16(&b[at], !little) : 0; }
    uint32_t u32(size_t at) { return has(at, 4) ? vokc::Get32(&b[at], !little) : 0; }
};

// Largest picture read here; card stills are far smaller.
constexpr uint64_t kMaxPixels = 16u * 1024 * 1024;

} // namespace

bool readRgbTiff(const Bytes& file, Picture* out) {
    *out = Picture{};
    if (file.size() < 8 ||
        !((file[0] == 'I' && file[1] == 'I') || (file[0] == 'M' && file[1] == 'M')))
        return false;
    Reader r{file, file[0] == 'I'};
    if (r.u16(2) != 42)
        return false;
    const size_t ifd = r.u32(4);
    const uint32_t entries = r.u16(ifd);
    if (!r.ok || entries == 0)
        return false;
    uint32_t width = 0, height = 0, compression = 1, photometric = 0, samples = 1, planar = 1;
    uint32_t rowsPerStrip = 0xFFFFFFFF;
    bool bitsOk = true;
    std::vector<uint32_t> offsets, counts;
    for (uint32_t i = 0; i < entries && r.ok; ++i) {
        const size_t e = ifd + 2 + 12 * static_cast<size_t>(i);
        const uint32_t tag = r.u16(e), type = r.u16(e + 2), count = r.u32(e + 4);
        const uint32_t size = type == 3 ? 2 : type == 4 ? 4 : 0;
        if (size == 0 || count == 0 || count > (1u << 20))
            continue;
        // Values that do not fit in the entry lie at the offset it holds.
        const size_t at = static_cast<uint64_t>(size) * count <= 4 ? e + 8 : r.u32(e + 8);
        auto value = [&](uint32_t k) { return size == 2 ? r.u16(at + 2 * k) : r.u32(at + 4 * k); };
        switch (tag) {
        case 256:
            width = value(0);
            break;
        case 257:
            height = value(0);
            break;
        case 258:
            for (uint32_t k = 0; k < count; ++k)
                bitsOk = bitsOk && value(k) == 8;
            break;
        case 259:
            compression = value(0);
            break;
        case 262:
            photometric = value(0);
            break;
        case 273:
        case 279: {
            std::vector<uint32_t>& list = tag == 273 ? offsets : counts;
            for (uint32_t k = 0; k < count && r.ok; ++k)
                list.push_back(value(k));
            break;
        }
        case 277:
            samples = value(0);
            break;
        case 278:
            rowsPerStrip = value(0);
            break;
        case 284:
            planar = value(0);
            break;
        default:
            break;
        }
    }
    if (!r.ok || !bitsOk || compression != 1 || photometric != 2 || samples != 3 || planar != 1 ||
        width == 0 || height == 0 || static_cast<uint64_t>(width) * height > kMaxPixels ||
        offsets.empty() || offsets.size() != counts.size())
        return false;
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    const size_t total = rowBytes * height;
    Picture p;
    p.width = static_cast<int>(width);
    p.height = static_cast<int>(height);
    p.rgb.reserve(total);
    for (size_t s = 0; s < offsets.size() && p.rgb.size() < total; ++s) {
        const uint64_t begin = offsets[s], length = counts[s];
        if (begin > file.size() || length > file.size() - begin)
            return false;
        const size_t n = static_cast<size_t>(std::min<uint64_t>(length, total - p.rgb.size()));
        p.rgb.insert(p.rgb.end(), file.begin() + static_cast<long>(begin),
                     file.begin() + static_cast<long>(begin + n));
    }
    (void)rowsPerStrip; // strips are read in order; their row count adds nothing here
    if (p.rgb.size() != total)
        return false;
    *out = std::move(p);
    return true;
}

} // namespace rt70sim
