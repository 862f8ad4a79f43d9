/* Builders for test and benchmark image files. libjpeg makes the JPEG streams; everything
 * around them (directories, segments, heaps, bitmaps) is laid out byte by byte here. */
#include "image_builders.h"
#include "vok_bytes.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include <jpeglib.h>

namespace imgtest {
namespace {

uint32_t unit(uint16_t type) {
    switch (type) {
    case 3:
        return 2;
    case 4:
        return 4;
    case 5:
        return 8;
    default:
        return 1;
    }
}

Bytes value_bytes(const TiffEntry& e, bool be) {
    Bytes out;
    if (e.type == 3) {
        for (uint32_t n : e.numbers)
            vokc::Append16(out, n, be);
    } else if (e.type == 4 || e.type == 5) {
        for (uint32_t n : e.numbers)
            vokc::Append32(out, n, be);
    } else {
        out.assign(e.bytes.begin(), e.bytes.end());
    }
    out.resize(std::max<size_t>(out.size(), size_t(e.count) * unit(e.type)));
    return out;
}

struct Segment {
    size_t at;
    size_t size; // with marker and length
};

// The segments before the scan (SOI excluded), and where the scan begins.
std::vector<Segment> segments_of(const Bytes& jpeg, size_t* scan) {
    std::vector<Segment> list;
    size_t pos = 2;
    while (pos + 4 <= jpeg.size() && !(jpeg[pos] == 0xFF && jpeg[pos + 1] == 0xDA)) {
        size_t size = 2 + vokc::GetBe16(&jpeg[pos + 2]);
        list.push_back({pos, size});
        pos += size;
    }
    *scan = pos;
    return list;
}

} // namespace

Bytes make_jpeg(int width, int height, const JpegOptions& options) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    bool grey = options.sampling == Sampling::Grey;
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = grey ? 1 : 3;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, options.quality, TRUE);
    cinfo.write_JFIF_header = options.jfif ? TRUE : FALSE;
    cinfo.optimize_coding = options.optimize ? TRUE : FALSE;
    if (!grey) {
        int h = options.sampling == Sampling::S1x1 ? 1 : 2;
        int v = options.sampling == Sampling::S2x2 ? 2 : 1;
        cinfo.comp_info[0].h_samp_factor = h;
        cinfo.comp_info[0].v_samp_factor = v;
    }
    if (options.progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(size_t(width) * size_t(cinfo.input_components));
    while (cinfo.next_scanline < cinfo.image_height) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < cinfo.input_components; ++c)
                row[size_t(x * cinfo.input_components + c)] = JSAMPLE(
                    (x * 255 / std::max(1, width - 1) + c * 60 + int(cinfo.next_scanline) * 3) &
                    0xFF);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

Bytes merge_dht(const Bytes& jpeg, bool reverseSymbols) {
    size_t scan = 0;
    std::vector<Segment> list = segments_of(jpeg, &scan);
    Bytes tables;
    for (const Segment& s : list) {
        if (jpeg[s.at + 1] != 0xC4)
            continue;
        size_t p = s.at + 4;
        size_t end = s.at + s.size;
        while (p + 17 <= end) {
            size_t symbols = 0;
            for (int i = 0; i < 16; ++i)
                symbols += jpeg[p + 1 + size_t(i)];
            tables.insert(tables.end(), jpeg.begin() + long(p), jpeg.begin() + long(p + 17));
            Bytes list2(jpeg.begin() + long(p + 17), jpeg.begin() + long(p + 17 + symbols));
            if (reverseSymbols)
                std::reverse(list2.begin(), list2.end());
            tables.insert(tables.end(), list2.begin(), list2.end());
            p += 17 + symbols;
        }
    }
    Bytes out(jpeg.begin(), jpeg.begin() + 2);
    bool written = false;
    for (const Segment& s : list) {
        if (jpeg[s.at + 1] == 0xC4) {
            if (written)
                continue;
            written = true;
            out.push_back(0xFF);
            out.push_back(0xC4);
            vokc::Append16(out, uint32_t(tables.size() + 2), true);
            out.insert(out.end(), tables.begin(), tables.end());
            continue;
        }
        out.insert(out.end(), jpeg.begin() + long(s.at), jpeg.begin() + long(s.at + s.size));
    }
    out.insert(out.end(), jpeg.begin() + long(scan), jpeg.end());
    return out;
}

Bytes insert_after_soi(const Bytes& jpeg, const Bytes& segment) {
    Bytes out(jpeg.size() + segment.size());
    auto at = std::copy(jpeg.begin(), jpeg.begin() + 2, out.begin());
    at = std::copy(segment.begin(), segment.end(), at);
    std::copy(jpeg.begin() + 2, jpeg.end(), at);
    return out;
}

Bytes strip_app_segments(const Bytes& jpeg) {
    size_t scan = 0;
    std::vector<Segment> list = segments_of(jpeg, &scan);
    Bytes out(jpeg.begin(), jpeg.begin() + 2);
    for (const Segment& s : list) {
        if (jpeg[s.at + 1] >= 0xE0 && jpeg[s.at + 1] <= 0xEF)
            continue;
        out.insert(out.end(), jpeg.begin() + long(s.at), jpeg.begin() + long(s.at + s.size));
    }
    out.insert(out.end(), jpeg.begin() + long(scan), jpeg.end());
    return out;
}

TiffEntry ascii(uint16_t tag, const std::string& text) {
    TiffEntry e;
    e.tag = tag;
    e.type = 2;
    e.bytes = text;
    e.bytes.push_back('\0');
    e.count = uint32_t(e.bytes.size());
    return e;
}

TiffEntry undefined(uint16_t tag, const std::string& bytes) {
    TiffEntry e;
    e.tag = tag;
    e.type = 7;
    e.bytes = bytes;
    e.count = uint32_t(bytes.size());
    return e;
}

TiffEntry shortv(uint16_t tag, uint16_t value) {
    TiffEntry e;
    e.tag = tag;
    e.type = 3;
    e.count = 1;
    e.numbers = {value};
    return e;
}

TiffEntry longv(uint16_t tag, uint32_t value) {
    TiffEntry e;
    e.tag = tag;
    e.type = 4;
    e.count = 1;
    e.numbers = {value};
    return e;
}

TiffEntry rational(uint16_t tag, uint32_t numerator, uint32_t denominator) {
    TiffEntry e;
    e.tag = tag;
    e.type = 5;
    e.count = 1;
    e.numbers = {numerator, denominator};
    return e;
}

Bytes build_tiff(const TiffPlan& plan, TiffLayout* layoutOut) {
    const bool be = plan.bigEndian;
    std::vector<TiffEntry> dirs[4] = {plan.ifd0, plan.exif, plan.interop, plan.ifd1};
    const bool present[4] = {true, plan.hasExif, plan.hasExif && plan.hasInterop, plan.hasIfd1};
    if (present[1])
        dirs[0].push_back(longv(34665, 0));
    if (present[2])
        dirs[1].push_back(longv(40965, 0));
    if (present[3] && !plan.thumbnail.empty()) {
        dirs[3].push_back(longv(513, 0));
        dirs[3].push_back(longv(514, uint32_t(plan.thumbnail.size())));
    }
    for (auto& d : dirs)
        std::stable_sort(d.begin(), d.end(),
                         [](const TiffEntry& a, const TiffEntry& b) { return a.tag < b.tag; });

    // Pass 1: where every directory and out-of-line value goes.
    uint32_t dirOffset[4] = {};
    std::vector<uint32_t> valueOffset[4];
    uint32_t off = 8;
    for (int d = 0; d < 4; ++d) {
        if (!present[d])
            continue;
        dirOffset[d] = off;
        off += 2 + 12 * uint32_t(dirs[d].size()) + 4;
        for (const TiffEntry& e : dirs[d]) {
            uint32_t size = uint32_t(value_bytes(e, be).size());
            valueOffset[d].push_back(size > 4 ? off : 0);
            if (size > 4)
                off += size + (size & 1);
        }
    }
    TiffLayout layout;
    layout.ifd0 = dirOffset[0];
    layout.exif = dirOffset[1];
    layout.interop = dirOffset[2];
    layout.ifd1 = dirOffset[3];
    layout.thumbnail = off;
    layout.trailer = off + uint32_t(plan.thumbnail.size());
    for (auto& d : dirs) {
        for (TiffEntry& e : d) {
            if (e.tag == 34665 && present[1])
                e.numbers = {layout.exif};
            if (e.tag == 40965 && present[2])
                e.numbers = {layout.interop};
            if (e.tag == 513 && present[3] && !plan.thumbnail.empty())
                e.numbers = {layout.thumbnail};
        }
    }

    // Pass 2: the bytes.
    Bytes out;
    out.push_back(be ? 'M' : 'I');
    out.push_back(be ? 'M' : 'I');
    vokc::Append16(out, 42, be);
    vokc::Append32(out, 8, be);
    for (int d = 0; d < 4; ++d) {
        if (!present[d])
            continue;
        vokc::Append16(out, uint32_t(dirs[d].size()), be);
        for (size_t i = 0; i < dirs[d].size(); ++i) {
            const TiffEntry& e = dirs[d][i];
            vokc::Append16(out, e.tag, be);
            vokc::Append16(out, e.type, be);
            vokc::Append32(out, e.count, be);
            Bytes v = value_bytes(e, be);
            if (v.size() > 4) {
                vokc::Append32(out, valueOffset[d][i], be);
            } else {
                v.resize(4);
                out.insert(out.end(), v.begin(), v.end());
            }
        }
        vokc::Append32(out, d == 0 && present[3] ? layout.ifd1 : 0, be);
        for (const TiffEntry& e : dirs[d]) {
            Bytes v = value_bytes(e, be);
            if (v.size() <= 4)
                continue;
            out.insert(out.end(), v.begin(), v.end());
            if (v.size() & 1)
                out.push_back(0);
        }
    }
    out.insert(out.end(), plan.thumbnail.begin(), plan.thumbnail.end());
    out.insert(out.end(), plan.trailer.begin(), plan.trailer.end());
    if (layoutOut)
        *layoutOut = layout;
    return out;
}

TiffPlan camera_exif(bool bigEndian, uint32_t width, uint32_t height) {
    TiffPlan plan;
    plan.bigEndian = bigEndian;
    plan.ifd0 = {ascii(271, "Quintaral"),
                 ascii(272, "qubex    "),
                 rational(282, 72, 1),
                 rational(283, 72, 1),
                 shortv(296, 2),
                 ascii(305, "Ver.1.0"),
                 ascii(306, "2000:01:05 13:45:10"),
                 shortv(531, 2)};
    plan.exif = {undefined(36864, "0210"),
                 ascii(36867, "1999:12:31 23:59:59"),
                 ascii(36868, "1999:12:31 23:59:59"),
                 undefined(37121, std::string("\x01\x02\x03\x00", 4)),
                 undefined(40960, "0100"),
                 shortv(40961, 1),
                 longv(40962, width),
                 longv(40963, height)};
    plan.interop = {ascii(1, "R98"), undefined(2, "0100")};
    plan.ifd1 = {shortv(259, 6), rational(282, 72, 1), rational(283, 72, 1), shortv(296, 2)};
    return plan;
}

Bytes exif_app1(const Bytes& tiff) {
    Bytes out = {0xFF, 0xE1};
    vokc::Append16(out, uint32_t(tiff.size() + 8), true);
    const char sig[6] = {'E', 'x', 'i', 'f', 0, 0};
    out.insert(out.end(), sig, sig + 6);
    out.insert(out.end(), tiff.begin(), tiff.end());
    return out;
}

Bytes ciff_app0(uint32_t width, uint32_t height, bool be) {
    Bytes heap;
    // The image record at heap offset 0: width, height, aspect, rotation, bit depths.
    vokc::Append32(heap, width, be);
    vokc::Append32(heap, height, be);
    vokc::Append32(heap, 0x3F800000, be);
    vokc::Append32(heap, 0, be);
    vokc::Append32(heap, 8, be);
    vokc::Append32(heap, 24, be);
    vokc::Append32(heap, 1, be);
    uint32_t directory = uint32_t(heap.size());
    vokc::Append16(heap, 2, be);
    vokc::Append16(heap, 0x0805, be); // a text record before the one that matters
    vokc::Append32(heap, 0, be);
    vokc::Append32(heap, 0, be);
    vokc::Append16(heap, 0x1810, be);
    vokc::Append32(heap, 28, be);
    vokc::Append32(heap, 0, be);
    vokc::Append32(heap, directory, be);

    Bytes payload;
    payload.push_back(be ? 'M' : 'I');
    payload.push_back(be ? 'M' : 'I');
    vokc::Append32(payload, 26, be);
    const char sig[] = "HEAPJPGM";
    payload.insert(payload.end(), sig, sig + 8);
    vokc::Append32(payload, 0x00010002, be);
    payload.resize(26, 0);
    payload.insert(payload.end(), heap.begin(), heap.end());

    Bytes out = {0xFF, 0xE0};
    vokc::Append16(out, uint32_t(payload.size() + 2), true);
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

Bytes make_bmp(int width, int height, bool coreHeader, bool topDown) {
    uint32_t rowBytes = (uint32_t(width) * 3 + 3) & ~3u;
    uint32_t headerSize = coreHeader ? 12 : 40;
    uint32_t pixels = rowBytes * uint32_t(height);
    Bytes out = {'B', 'M'};
    vokc::Append32(out, 14 + headerSize + pixels, false);
    vokc::Append32(out, 0, false);
    vokc::Append32(out, 14 + headerSize, false);
    vokc::Append32(out, headerSize, false);
    if (coreHeader) {
        vokc::Append16(out, uint32_t(width), false);
        vokc::Append16(out, uint32_t(height), false);
        vokc::Append16(out, 1, false);
        vokc::Append16(out, 24, false);
    } else {
        vokc::Append32(out, uint32_t(width), false);
        vokc::Append32(out, topDown ? uint32_t(-height) : uint32_t(height), false);
        vokc::Append16(out, 1, false);
        vokc::Append16(out, 24, false);
        for (int i = 0; i < 6; ++i)
            vokc::Append32(out, 0, false);
    }
    out.resize(out.size() + pixels, 0x80);
    return out;
}

Bytes make_tiff_file(bool bigEndian, uint32_t width, uint32_t height,
                     const std::vector<TiffEntry>& extra, bool withExif, bool withInterop) {
    TiffPlan plan;
    plan.bigEndian = bigEndian;
    TiffEntry bits;
    bits.tag = 258;
    bits.type = 3;
    bits.count = 3;
    bits.numbers = {8, 8, 8};
    plan.ifd0 = {longv(256, width), longv(257, height), bits,
                 shortv(259, 1),    shortv(262, 2),     longv(273, 0),
                 shortv(277, 3),    longv(278, height), longv(279, width * height * 3)};
    plan.ifd0.insert(plan.ifd0.end(), extra.begin(), extra.end());
    plan.hasExif = withExif;
    plan.hasInterop = withInterop;
    plan.exif = {undefined(36864, "0220"), undefined(40960, "0100"), shortv(40961, 1)};
    plan.interop = {ascii(1, "R98"), undefined(2, "0100")};
    plan.trailer.assign(size_t(width) * height * 3, 0x40);
    TiffLayout layout;
    build_tiff(plan, &layout);
    for (TiffEntry& e : plan.ifd0) {
        if (e.tag == 273)
            e.numbers = {layout.trailer};
    }
    return build_tiff(plan);
}

bool write_file(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

Bytes read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace imgtest
