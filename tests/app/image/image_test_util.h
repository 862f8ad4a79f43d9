/* Helpers of the image logic tests: pixels of a packed bitmap as RGB, a hand-made TIFF builder
 * for the layouts no tool writes uncompressed, and libtiff's own RGBA reading of a file
 * (tiff2rgba, turned into raw RGB by ImageMagick, which reads RGBA TIFF correctly). */
#ifndef QUBEX_IMAGE_TEST_UTIL_H
#define QUBEX_IMAGE_TEST_UTIL_H

#include "image_dib.h"
#include "vok_bytes.h"
#include "vok_dib.h"
#include "vok_test_env.h"

#include <array>
#include <string>
#include <vector>

namespace imgtest {

using qubex::image::Dib;
using Rgb = std::array<int, 3>;

/* The colour of pixel x, y (y from the top) of an uncompressed bitmap of 1 to 32 bits. */
inline Rgb DibPixel(const Dib& dib, uint32_t x, uint32_t y) {
    qubex::image::DibInfo d;
    if (!qubex::image::DibFacts(dib, &d) || x >= d.width || y >= d.height)
        return {-1, -1, -1};
    const uint8_t* pixels = dib.data() + d.pixelOffset;
    const uint8_t* row =
        vokc::DibRow(pixels, d.stride, d.topDown ? -int32_t(d.height) : int32_t(d.height), y);
    const uint8_t* table = dib.data() + vokc::GetLe32(dib.data());
    auto entry = [&](uint32_t i) -> Rgb {
        return {table[4 * i + 2], table[4 * i + 1], table[4 * i]};
    };
    switch (d.bits) {
    case 1:
        return entry(row[x / 8] >> (7 - x % 8) & 1);
    case 4:
        return entry(x % 2 ? row[x / 2] & 15 : row[x / 2] >> 4);
    case 8:
        return entry(row[x]);
    case 16: {
        uint32_t p = vokc::GetLe16(row + 2 * x);
        return {int(p >> 10 & 31) * 8, int(p >> 5 & 31) * 8, int(p & 31) * 8};
    }
    case 24:
        return {row[3 * x + 2], row[3 * x + 1], row[3 * x]};
    default:
        return {row[4 * x + 2], row[4 * x + 1], row[4 * x]};
    }
}

/* A TIFF file built field by field: one image, uncompressed, rows in strips of bandRows
 * bands of bandBytes each (a band is one row, or one row pair of 2x2 YCbCr). */
struct TiffSpec {
    bool bigEndian = false;
    uint32_t width = 0, height = 0;
    std::vector<uint16_t> bitsPerSample{8};
    uint16_t photometric = 1;
    std::vector<uint16_t> colorMap; // red, green, blue runs
    uint16_t subH = 0, subV = 0;    // 0: no subsampling tag
    std::vector<uint8_t> data;      // the packed source picture
    uint32_t bandBytes = 0;
    uint32_t bandRows = 1;     // rows per band
    uint32_t stripBands = 0;   // 0: one strip
    bool shortOffsets = false; // strip offsets and counts as SHORT
    uint16_t compression = 1;
};

inline std::vector<uint8_t> BuildTiff(const TiffSpec& s) {
    const bool be = s.bigEndian;
    std::vector<uint8_t> f;
    f.push_back(be ? 'M' : 'I');
    f.push_back(be ? 'M' : 'I');
    vokc::Append16(f, 42, be);
    vokc::Append32(f, 0, be); // directory offset, patched below
    // Strips.
    uint32_t bands = s.bandBytes ? uint32_t(s.data.size() / s.bandBytes) : 1;
    uint32_t perStrip = s.stripBands ? s.stripBands : bands;
    std::vector<uint32_t> offsets, counts;
    for (uint32_t b = 0; b < bands; b += perStrip) {
        uint32_t n =
            std::min(perStrip, bands - b) * (s.bandBytes ? s.bandBytes : uint32_t(s.data.size()));
        offsets.push_back(uint32_t(f.size()));
        counts.push_back(n);
        size_t from = size_t(b) * s.bandBytes;
        f.insert(f.end(), s.data.begin() + from, s.data.begin() + from + n);
        if (f.size() % 2)
            f.push_back(0);
    }
    auto place16 = [&](const std::vector<uint16_t>& v) {
        uint32_t at = uint32_t(f.size());
        for (uint16_t x : v)
            vokc::Append16(f, x, be);
        return at;
    };
    auto place32 = [&](const std::vector<uint32_t>& v) {
        uint32_t at = uint32_t(f.size());
        for (uint32_t x : v)
            vokc::Append32(f, x, be);
        return at;
    };
    struct Entry {
        uint16_t tag, type;
        uint32_t count, value;
    };
    std::vector<Entry> e;
    const uint16_t offType = s.shortOffsets ? 3 : 4;
    auto list = [&](const std::vector<uint32_t>& v) -> uint32_t {
        if (v.size() == 1)
            return v[0];
        if (s.shortOffsets)
            return place16(std::vector<uint16_t>(v.begin(), v.end()));
        return place32(v);
    };
    e.push_back({256, 4, 1, s.width});
    e.push_back({257, 4, 1, s.height});
    if (s.bitsPerSample.size() == 1)
        e.push_back({258, 3, 1, s.bitsPerSample[0]});
    else
        e.push_back({258, 3, uint32_t(s.bitsPerSample.size()), place16(s.bitsPerSample)});
    e.push_back({259, 3, 1, s.compression});
    e.push_back({262, 3, 1, s.photometric});
    e.push_back({273, offType, uint32_t(offsets.size()), list(offsets)});
    e.push_back({277, 3, 1, uint32_t(s.bitsPerSample.size())});
    e.push_back({278, 4, 1, perStrip * s.bandRows});
    e.push_back({279, offType, uint32_t(counts.size()), list(counts)});
    e.push_back({284, 3, 1, 1});
    if (!s.colorMap.empty())
        e.push_back({320, 3, uint32_t(s.colorMap.size()), place16(s.colorMap)});
    if (s.subH)
        e.push_back({530, 3, 2, 0});
    uint32_t ifd = uint32_t(f.size());
    vokc::Put32(f.data() + 4, ifd, be);
    vokc::Append16(f, uint32_t(e.size()), be);
    for (const Entry& x : e) {
        vokc::Append16(f, x.tag, be);
        vokc::Append16(f, x.type, be);
        vokc::Append32(f, x.count, be);
        size_t at = f.size();
        vokc::Append32(f, 0, be);
        if (x.tag == 530) {
            vokc::Put16(f.data() + at, s.subH, be);
            vokc::Put16(f.data() + at + 2, s.subV, be);
        } else if (x.type == 3 && x.count == 1) {
            vokc::Put16(f.data() + at, x.value, be);
        } else {
            vokc::Put32(f.data() + at, x.value, be);
        }
    }
    vokc::Append32(f, 0, be);
    return f;
}

/* libtiff's RGBA reading of a TIFF file as width x height RGB triples, top row first; empty
 * when the tools are missing or fail. */
inline std::vector<uint8_t> LibtiffRgb(const std::string& tiff, const std::string& scratch) {
    const std::string rgba = scratch + "/ref-rgba.tif", raw = scratch + "/ref.rgb";
    using voktest::ShellQuote;
    std::string cmd = "tiff2rgba -c none " + ShellQuote(tiff) + " " + ShellQuote(rgba) +
                      " && convert " + ShellQuote(rgba) +
                      " -alpha off -depth 8 rgb:" + ShellQuote(raw);
    if (voktest::RunShell(cmd, scratch).status != 0)
        return {};
    return voktest::ReadBytes(raw);
}

/* Largest channel difference between the bitmap and RGB triples of the same size. */
inline int MaxDifference(const Dib& dib, const std::vector<uint8_t>& rgb, uint32_t w, uint32_t h) {
    if (rgb.size() != size_t(w) * h * 3)
        return 1000;
    int worst = 0;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            Rgb p = DibPixel(dib, x, y);
            for (int c = 0; c < 3; ++c)
                worst = std::max(worst, std::abs(p[c] - rgb[(size_t(y) * w + x) * 3 + c]));
        }
    return worst;
}

} // namespace imgtest

#endif
