/* The libjpeg boundary shared by VokExif and the thumbnail renderer: whole pictures from memory
 * and from a file into bottom-up rows, quantised rows with their palette, room in front for
 * the caller, cut or damaged scans decoded through libjpeg's warnings, and the fatal failures
 * (broken headers, other colour spaces, too many pixels) that must release everything. */
#include "image_builders.h"
#include "jpeg_boundary.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <jpeglib.h>

using imgtest::Bytes;

namespace {

struct Decoded {
    int ok = 0;
    VokJpegRows rows{};
    Decoded() = default;
    Decoded(const Decoded&) = delete;
    Decoded& operator=(const Decoded&) = delete;
    ~Decoded() { std::free(rows.block); }
};

void DecodeMemory(const Bytes& jpeg, int colors, size_t headroom, Decoded* out,
                  uint64_t maxPixels = VOK_JPEG_MAX_PIXELS) {
    out->ok = vok_jpeg_decode_rows(nullptr, jpeg.data(), jpeg.size(), maxPixels, colors, headroom,
                                   &out->rows);
}

void DecodeFile(const Bytes& jpeg, Decoded* out) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::tmpfile(), &std::fclose);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(std::fwrite(jpeg.data(), 1, jpeg.size(), file.get()), jpeg.size());
    std::rewind(file.get());
    out->ok = vok_jpeg_decode_rows(file.get(), nullptr, 0, VOK_JPEG_MAX_PIXELS, 0, 0, &out->rows);
}

// libjpeg's own decoding into top-down RGB, for comparison.
Bytes ReferenceRgb(const Bytes& jpeg, int* width, int* height) {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    *width = static_cast<int>(cinfo.output_width);
    *height = static_cast<int>(cinfo.output_height);
    Bytes rgb(size_t(*width) * size_t(*height) * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = rgb.data() + size_t(cinfo.output_scanline) * size_t(*width) * 3;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return rgb;
}

Bytes CmykJpeg(int width, int height) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    Bytes row(size_t(width) * 4, 0x40);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

// Offset of the first marker segment of kind m (FF m), or 0.
size_t FindMarker(const Bytes& jpeg, uint8_t m) {
    for (size_t i = 2; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == m)
            return i;
    return 0;
}

void ExpectCleared(const VokJpegRows& rows) {
    EXPECT_EQ(rows.block, nullptr);
    EXPECT_EQ(rows.rows, nullptr);
    EXPECT_EQ(rows.width, 0u);
    EXPECT_EQ(rows.height, 0u);
}

TEST(ImgJpegBoundary, ColourRowsAreBottomUpBgrFromMemoryAndFile) {
    const Bytes jpeg = imgtest::make_jpeg(37, 21);
    int width = 0;
    int height = 0;
    const Bytes rgb = ReferenceRgb(jpeg, &width, &height);
    Decoded mem;
    DecodeMemory(jpeg, 0, 0, &mem);
    ASSERT_EQ(mem.ok, 1);
    EXPECT_EQ(mem.rows.width, 37u);
    EXPECT_EQ(mem.rows.height, 21u);
    EXPECT_EQ(mem.rows.stride, (37u * 3u + 3u) & ~3u);
    EXPECT_EQ(mem.rows.rows, mem.rows.block);
    EXPECT_EQ(mem.rows.colors, 0u);
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = mem.rows.rows + size_t(mem.rows.stride) * size_t(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
            ASSERT_EQ(row[3 * x], p[2]) << x << "," << y;
            ASSERT_EQ(row[3 * x + 1], p[1]) << x << "," << y;
            ASSERT_EQ(row[3 * x + 2], p[0]) << x << "," << y;
        }
    }
    Decoded file;
    DecodeFile(jpeg, &file);
    ASSERT_EQ(file.ok, 1);
    EXPECT_EQ(std::memcmp(file.rows.rows, mem.rows.rows, size_t(mem.rows.stride) * 21u), 0);
}

TEST(ImgJpegBoundary, GreyPicturesGiveGreyPixels) {
    imgtest::JpegOptions grey;
    grey.sampling = imgtest::Sampling::Grey;
    Decoded d;
    DecodeMemory(imgtest::make_jpeg(9, 4, grey), 0, 0, &d);
    ASSERT_EQ(d.ok, 1);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 9; ++x) {
            const unsigned char* p = d.rows.rows + d.rows.stride * y + 3 * x;
            EXPECT_TRUE(p[0] == p[1] && p[1] == p[2]) << x << "," << y;
        }
}

TEST(ImgJpegBoundary, HeadroomIsZeroedAndQuantisedRowsIndexTheirPalette) {
    const size_t headroom = 1000;
    Decoded d;
    DecodeMemory(imgtest::make_jpeg(40, 30), 16, headroom, &d);
    ASSERT_EQ(d.ok, 1);
    EXPECT_EQ(d.rows.rows, d.rows.block + headroom);
    for (size_t i = 0; i < headroom; ++i)
        ASSERT_EQ(d.rows.block[i], 0) << i;
    EXPECT_EQ(d.rows.stride, 40u);
    ASSERT_GE(d.rows.colors, 2u);
    ASSERT_LE(d.rows.colors, 16u);
    for (uint32_t i = 0; i < 256; ++i)
        EXPECT_EQ(d.rows.palette[i][3], 0) << i;
    for (uint32_t i = 0; i < d.rows.stride * d.rows.height; ++i)
        ASSERT_LT(d.rows.rows[i], d.rows.colors) << i;
}

// The bottom-up BGR rows of a decoding against libjpeg's own top-down RGB, pixel for pixel.
void ExpectSamePixels(const VokJpegRows& rows, const Bytes& rgb, int width, int height) {
    ASSERT_EQ(rows.width, uint32_t(width));
    ASSERT_EQ(rows.height, uint32_t(height));
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = rows.rows + size_t(rows.stride) * size_t(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
            ASSERT_EQ(row[3 * x], p[2]) << x << "," << y;
            ASSERT_EQ(row[3 * x + 1], p[1]) << x << "," << y;
            ASSERT_EQ(row[3 * x + 2], p[0]) << x << "," << y;
        }
    }
}

// libjpeg only warns about a cut or damaged scan and fills what is missing with grey; the
// decoding goes on as libjpeg's own does, and the warning is kept for the caller.
TEST(ImgJpegBoundary, CutOrDamagedScansDecodeAsLibjpegDoes) {
    const Bytes jpeg =
        imgtest::make_jpeg(64, 48, {imgtest::Sampling::S2x1, true, false, false, 95});
    const size_t scan = FindMarker(jpeg, 0xDA);
    ASSERT_GT(scan, 0u);
    const Bytes cut(jpeg.begin(), jpeg.begin() + long(scan + (jpeg.size() - scan) / 2));
    // An end marker in the middle of the entropy-coded data.
    Bytes damaged = jpeg;
    const size_t middle = scan + (jpeg.size() - scan) / 2;
    damaged[middle] = 0xFF;
    damaged[middle + 1] = 0xD9;
    for (const Bytes* input : std::initializer_list<const Bytes*>{&cut, &damaged}) {
        int width = 0;
        int height = 0;
        const Bytes rgb = ReferenceRgb(*input, &width, &height);
        Decoded mem;
        DecodeMemory(*input, 0, 0, &mem);
        ASSERT_EQ(mem.ok, 1);
        EXPECT_STRNE(vok_jpeg_last_message(), "");
        ExpectSamePixels(mem.rows, rgb, width, height);
        // The missing part is grey.
        const unsigned char* bottom = mem.rows.rows;
        EXPECT_NEAR(bottom[0], 128, 2);
        EXPECT_NEAR(bottom[3 * 63 + 2], 128, 2);
        Decoded file;
        DecodeFile(*input, &file);
        ASSERT_EQ(file.ok, 1);
        ExpectSamePixels(file.rows, rgb, width, height);
        Decoded q;
        DecodeMemory(*input, 256, 64, &q);
        EXPECT_EQ(q.ok, 1);
    }
}

// Fatal errors leave through libjpeg's jump; the sanitizer build's leak check sees a block
// that the jump lost (this file compiles the boundary optimised for that reason).
TEST(ImgJpegBoundary, FatalErrorsFailAndReleaseEverything) {
    const Bytes jpeg =
        imgtest::make_jpeg(64, 48, {imgtest::Sampling::S2x1, true, false, false, 95});
    const size_t scan = FindMarker(jpeg, 0xDA);
    const size_t dht = FindMarker(jpeg, 0xC4);
    ASSERT_GT(scan, 0u);
    ASSERT_GT(dht, 0u);
    // Cut before the scan: no picture at all.
    const Bytes header(jpeg.begin(), jpeg.begin() + long(scan));
    // A Huffman table whose code counts add up to more than 256 codes.
    Bytes table = jpeg;
    for (size_t i = dht + 5; i < dht + 5 + 16; ++i)
        table[i] = 0xFF;
    for (const Bytes* input : std::initializer_list<const Bytes*>{&header, &table}) {
        Decoded a;
        DecodeMemory(*input, 0, 0, &a);
        EXPECT_EQ(a.ok, 0);
        ExpectCleared(a.rows);
        EXPECT_STRNE(vok_jpeg_last_message(), "");
        Decoded b;
        DecodeFile(*input, &b);
        EXPECT_EQ(b.ok, 0);
        ExpectCleared(b.rows);
        Decoded q;
        DecodeMemory(*input, 256, 64, &q);
        EXPECT_EQ(q.ok, 0);
    }
    // A failure after the rows were allocated: a progressive picture whose second scan asks
    // for an impossible spectral band.
    imgtest::JpegOptions progressive;
    progressive.progressive = true;
    Bytes lateFailure = imgtest::make_jpeg(64, 48, progressive);
    size_t second = 0;
    for (size_t i = FindMarker(lateFailure, 0xDA) + 2; i + 1 < lateFailure.size(); ++i)
        if (lateFailure[i] == 0xFF && lateFailure[i + 1] == 0xDA) {
            second = i;
            break;
        }
    ASSERT_GT(second, 0u);
    const size_t components = lateFailure[second + 4];
    lateFailure[second + 5 + 2 * components] = 0x3F; // Ss beyond Se
    Decoded c;
    DecodeMemory(lateFailure, 0, 0, &c);
    EXPECT_EQ(c.ok, 0);
    ExpectCleared(c.rows);
}

TEST(ImgJpegBoundary, ScaledDecodingIsTheSmallestScaleThatCoversTheWantedSize) {
    const Bytes jpeg = imgtest::make_jpeg(2048, 1536);
    struct Case {
        uint32_t minWidth, minHeight, width, height;
    };
    for (const Case& c : {Case{160, 120, 256, 192}, Case{0, 0, 256, 192}, Case{256, 192, 256, 192},
                          Case{257, 100, 512, 384}, Case{100, 385, 1024, 768},
                          Case{1025, 1, 2048, 1536}, Case{4000, 3000, 2048, 1536}}) {
        VokJpegRows rows;
        ASSERT_EQ(vok_jpeg_decode_rows_at_least(nullptr, jpeg.data(), jpeg.size(),
                                                VOK_JPEG_MAX_PIXELS, c.minWidth, c.minHeight, 16,
                                                &rows),
                  1);
        EXPECT_EQ(rows.width, c.width) << c.minWidth << "x" << c.minHeight;
        EXPECT_EQ(rows.height, c.height) << c.minWidth << "x" << c.minHeight;
        EXPECT_EQ(rows.rows, rows.block + 16);
        EXPECT_EQ(rows.stride, c.width * 3);
        std::free(rows.block);
    }
    // The pixel limit holds for the whole picture, not for the scaled one.
    VokJpegRows rows;
    EXPECT_EQ(vok_jpeg_decode_rows_at_least(nullptr, jpeg.data(), jpeg.size(), 2048u * 1536u - 1,
                                            160, 120, 0, &rows),
              0);
    ExpectCleared(rows);
}

TEST(ImgJpegBoundary, StrayBytesBetweenSegmentsAreTolerated) {
    const Bytes jpeg = imgtest::make_jpeg(16, 16);
    const size_t sof = FindMarker(jpeg, 0xC0);
    ASSERT_GT(sof, 0u);
    Bytes stray = jpeg;
    const Bytes junk = {0x00, 0x11, 0x22};
    stray.insert(stray.begin() + long(sof), junk.begin(), junk.end());
    Decoded clean;
    DecodeMemory(jpeg, 0, 0, &clean);
    Decoded d;
    DecodeMemory(stray, 0, 0, &d);
    ASSERT_EQ(clean.ok, 1);
    ASSERT_EQ(d.ok, 1);
    EXPECT_EQ(std::memcmp(d.rows.rows, clean.rows.rows, size_t(d.rows.stride) * 16u), 0);
}

TEST(ImgJpegBoundary, OtherColourSpacesTooManyPixelsAndBadArgumentsAreRefused) {
    Decoded cmyk;
    DecodeMemory(CmykJpeg(8, 8), 0, 0, &cmyk);
    EXPECT_EQ(cmyk.ok, 0);
    ExpectCleared(cmyk.rows);

    const Bytes jpeg = imgtest::make_jpeg(20, 10);
    Decoded big;
    DecodeMemory(jpeg, 0, 0, &big, 199);
    EXPECT_EQ(big.ok, 0);
    Decoded fits;
    DecodeMemory(jpeg, 0, 0, &fits, 200);
    EXPECT_EQ(fits.ok, 1);

    VokJpegRows rows;
    EXPECT_EQ(vok_jpeg_decode_rows(nullptr, jpeg.data(), jpeg.size(), 1000, 1, 0, &rows), 0);
    EXPECT_EQ(vok_jpeg_decode_rows(nullptr, jpeg.data(), jpeg.size(), 1000, 257, 0, &rows), 0);
    EXPECT_EQ(vok_jpeg_decode_rows(nullptr, nullptr, 0, 1000, 0, 0, &rows), 0);
    EXPECT_EQ(vok_jpeg_decode_rows(nullptr, jpeg.data(), jpeg.size(), 1000, 0, 0, nullptr), 0);
    EXPECT_EQ(vok_jpeg_decode_rows(nullptr, jpeg.data(), 0, 1000, 0, 0, &rows), 0);
}

} // namespace
