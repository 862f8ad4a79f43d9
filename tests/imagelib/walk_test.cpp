/* JPEG side of the reading library: kinds and classes of files, the header cut and its
 * limits, the Exif segment copy, frame layouts and the standard Huffman table check. */
#include "VokExif.h"
#include "img_test_env.h"

#include <cstring>
#include <unistd.h>

using namespace imgtest;

namespace {

Bytes exif_jpeg(bool bigEndian = false, Sampling sampling = Sampling::S2x1) {
    JpegOptions o;
    o.sampling = sampling;
    Bytes jpeg = make_jpeg(64, 48, o);
    return insert_after_soi(jpeg, exif_app1(build_tiff(camera_exif(bigEndian, 64, 48))));
}

Bytes five_component_jpeg() {
    // SOI, then a frame header with five components of samplings 2x2, 1x1, 1x2, 3x1, 4x4.
    Bytes b = {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 8 + 15, 8, 0x00, 0x30, 0x00, 0x40, 5};
    const uint8_t factors[5] = {0x22, 0x11, 0x12, 0x31, 0x44};
    for (int c = 0; c < 5; ++c) {
        b.push_back(uint8_t(c + 1));
        b.push_back(factors[c]);
        b.push_back(0);
    }
    const uint8_t sos[] = {0xFF, 0xDA, 0x00, 0x08, 1, 1, 0, 0, 63, 0, 0xFF, 0xD9};
    b.insert(b.end(), sos, sos + sizeof sos);
    return b;
}

VokImgBlock view(Bytes& b) {
    return VokImgBlock{b.data(), uint32_t(b.size())};
}

} // namespace

using ImgKindTest = ImgTest;

TEST_F(ImgKindTest, ExifWithJfifIsKindOne) {
    std::string path = put("a.jpg", exif_jpeg());
    EXPECT_EQ(IsImageFileType(path.c_str()), VOK_IMG_KIND_EXIF);
    VokImgBlock* header = GetJpegHeaderFromFile(path.c_str());
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(CheckJpegHeaderFormat(header), VOK_JPEG_CLASS_EXIF);
    VokImg_FreeBlock(header);
}

TEST_F(ImgKindTest, CiffAndExifTogetherIsClassThreeKindZero) {
    JpegOptions o;
    o.jfif = false;
    Bytes jpeg = make_jpeg(32, 16, o);
    jpeg = insert_after_soi(jpeg, exif_app1(build_tiff(camera_exif(false, 32, 16))));
    jpeg = insert_after_soi(jpeg, ciff_app0(320, 240, false));
    std::string path = put("both.jpg", jpeg);
    VokImgBlock* header = GetJpegHeaderFromFile(path.c_str());
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(CheckJpegHeaderFormat(header), VOK_JPEG_CLASS_CIFF_EXIF);
    VokImg_FreeBlock(header);
    EXPECT_EQ(IsImageFileType(path.c_str()), VOK_IMG_KIND_NONE);
}

TEST_F(ImgKindTest, CiffPlainBitmapTiffAndUnknown) {
    JpegOptions o;
    o.jfif = false;
    std::string ciff =
        put("c.jpg", insert_after_soi(make_jpeg(32, 16, o), ciff_app0(640, 480, true)));
    std::string plain = put("p.jpg", make_jpeg(32, 16));
    std::string bare = put("n.jpg", make_jpeg(32, 16, o));
    std::string bmp = put("b.bmp", make_bmp(4, 3));
    std::string mm = put("m.tif", Bytes{'M', 'M', 0x00, 0x2A, 0, 0, 0, 8});
    std::string text = put("t.txt", Bytes{'h', 'e', 'l', 'l', 'o'});
    EXPECT_EQ(IsImageFileType(ciff.c_str()), VOK_IMG_KIND_CIFF);
    EXPECT_EQ(IsImageFileType(plain.c_str()), VOK_IMG_KIND_JPEG);
    EXPECT_EQ(IsImageFileType(bare.c_str()), VOK_IMG_KIND_JPEG);
    EXPECT_EQ(IsImageFileType(bmp.c_str()), VOK_IMG_KIND_BMP);
    EXPECT_EQ(IsImageFileType(mm.c_str()), VOK_IMG_KIND_TIFF);
    EXPECT_EQ(IsImageFileType(text.c_str()), VOK_IMG_KIND_NONE);
    EXPECT_EQ(IsImageFileType((dir_ + "/missing.jpg").c_str()), VOK_IMG_KIND_NONE);
    EXPECT_EQ(IsImageFileType(""), VOK_IMG_KIND_NONE);
    EXPECT_EQ(IsImageFileType(nullptr), VOK_IMG_KIND_NONE);
    EXPECT_EQ(IsImageFileType(dir_.c_str()), VOK_IMG_KIND_NONE);
}

TEST_F(ImgKindTest, ClassOfBlocksWithoutSoi) {
    Bytes junk = {0x00, 0xD8, 0xFF, 0xDA, 0, 2};
    VokImgBlock b = view(junk);
    EXPECT_EQ(CheckJpegHeaderFormat(&b), VOK_JPEG_CLASS_NONE);
    EXPECT_EQ(CheckJpegHeaderFormat(nullptr), VOK_JPEG_CLASS_NONE);
    VokImgBlock empty{nullptr, 0};
    EXPECT_EQ(CheckJpegHeaderFormat(&empty), VOK_JPEG_CLASS_NONE);
}

TEST_F(ImgKindTest, SegmentTestsStayInsideTheirLength) {
    // "HEAPJPGM" lies just past the segment's length: not CIFF.
    Bytes app0 = {0xFF, 0xE0, 0x00, 0x06, 'I', 'I', 'x', 'x',
                  'H',  'E',  'A',  'P',  'J', 'P', 'G', 'M'};
    EXPECT_EQ(CheckCiffFormat(app0.data(), uint32_t(app0.size())), 0);
    app0[3] = 14;
    EXPECT_EQ(CheckCiffFormat(app0.data(), uint32_t(app0.size())), 1);
    EXPECT_EQ(CheckCiffFormat(app0.data(), 10), 0); // the caller's bytes end first
    // "JFIF" before the heap name ends the scan.
    Bytes jfif = {0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F',
                  'H',  'E',  'A',  'P',  'J', 'P', 'G', 'M'};
    EXPECT_EQ(CheckCiffFormat(jfif.data(), uint32_t(jfif.size())), 0);
    Bytes app1 = {0xFF, 0xE1, 0x00, 0x08, 0, 0, 'E', 'x', 'i', 'f'};
    EXPECT_EQ(CheckExifFormat(app1.data(), uint32_t(app1.size())), 1);
    app1[3] = 7;
    EXPECT_EQ(CheckExifFormat(app1.data(), uint32_t(app1.size())), 0);
    EXPECT_EQ(CheckExifFormat(nullptr, 100), 0);
}

using ImgHeaderTest = ImgTest;

TEST_F(ImgHeaderTest, HeaderEndsAfterStartOfScanLength) {
    Bytes jpeg = exif_jpeg();
    std::string path = put("a.jpg", jpeg);
    VokImgBlock* header = GetJpegHeaderFromFile(path.c_str());
    ASSERT_NE(header, nullptr);
    ASSERT_GE(header->size, 4u);
    EXPECT_LT(header->size, jpeg.size());
    EXPECT_EQ(header->data[header->size - 4], 0xFF);
    EXPECT_EQ(header->data[header->size - 3], 0xDA);
    EXPECT_EQ(0, std::memcmp(header->data, jpeg.data(), header->size));
    VokImg_FreeBlock(header);
}

TEST_F(ImgHeaderTest, BadStartsAndTruncationFail) {
    Bytes jpeg = make_jpeg(16, 16);
    // Cut just before the start of scan.
    size_t sos = 0;
    for (size_t i = 2; i + 1 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) {
            sos = i;
            break;
        }
    }
    ASSERT_GT(sos, 0u);
    std::string cut = put("cut.jpg", Bytes(jpeg.begin(), jpeg.begin() + long(sos) + 2));
    EXPECT_EQ(GetJpegHeaderFromFile(cut.c_str()), nullptr);
    std::string bm = put("bm.jpg", Bytes{'B', 'M', 0xFF, 0xDA, 0, 2});
    EXPECT_EQ(GetJpegHeaderFromFile(bm.c_str()), nullptr);
    std::string other = put("o.jpg", Bytes{0x12, 0x34, 0xFF, 0xDA, 0, 2});
    EXPECT_EQ(GetJpegHeaderFromFile(other.c_str()), nullptr);
    // Either start byte is enough for the walk to go on.
    std::string half = put("h.jpg", Bytes{0x00, 0xD8, 0xFF, 0xDA, 0, 2});
    VokImgBlock* header = GetJpegHeaderFromFile(half.c_str());
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->size, 6u);
    VokImg_FreeBlock(header);
    EXPECT_EQ(GetJpegHeaderFromFile((dir_ + "/none.jpg").c_str()), nullptr);
    EXPECT_EQ(GetJpegHeaderFromFile(""), nullptr);
}

TEST_F(ImgHeaderTest, SegmentLengthBelowTwoEndsTheWalk) {
    // A zero length would never move the walk on.
    std::string zero = put("z.jpg", Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x00, 0xFF, 0xDA, 0, 2});
    EXPECT_EQ(GetJpegHeaderFromFile(zero.c_str()), nullptr);
    EXPECT_EQ(IsImageFileType(zero.c_str()), VOK_IMG_KIND_NONE);
    Bytes block = {0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x01, 'E', 'x', 'i', 'f', 0xFF, 0xDA, 0, 2};
    VokImgBlock b = view(block);
    EXPECT_EQ(CheckJpegHeaderFormat(&b), VOK_JPEG_CLASS_PLAIN);
    EXPECT_EQ(GetExifDataFromJpegHeader(&b), nullptr);
    JpegFrameInfo frame;
    EXPECT_EQ(Get_Jpeg_Info(block.data(), uint32_t(block.size()), &frame), 0);
}

TEST_F(ImgHeaderTest, FactsOfAJpegComeFromItsHeaderOnly) {
    // A file of 3 GB (sparse) behind a small Exif JPEG: reading the whole file would
    // take gigabytes of memory; the readers must stop at the start of scan.
    Bytes jpeg = exif_jpeg(true);
    std::string path = put("huge.jpg", jpeg);
    ASSERT_EQ(truncate(path.c_str(), off_t(3) << 30), 0);
    VokImgBlock* header = GetJpegHeaderFromFile(path.c_str());
    ASSERT_NE(header, nullptr);
    EXPECT_LT(header->size, jpeg.size());
    VokImg_FreeBlock(header);
    ImageInfo info{};
    ASSERT_EQ(GetExifData(path.c_str(), &info), 1);
    EXPECT_EQ(info.width, 64u);
    EXPECT_STREQ(info.interopIndex, "R98");
    JpegFrameInfo frame;
    EXPECT_EQ(Get_Jpeg_HvSamp_Main(path.c_str(), &frame), 1);
    EXPECT_EQ(VOK_Check_Jpeg_HuffmanTable(path.c_str()), 0);
    EXPECT_EQ(Get_Normal_Jpeg_Format(path.c_str(), &info), 1);
}

using ImgExifBlockTest = ImgTest;

TEST_F(ImgExifBlockTest, CopiesTheWholeFirstExifSegment) {
    Bytes tiff = build_tiff(camera_exif(false, 64, 48));
    Bytes app1 = exif_app1(tiff);
    Bytes xmp = {0xFF, 0xE1, 0x00, 0x0C, 'h', 't', 't', 'p', ':', '/', '/', 'n', 's', '.'};
    Bytes jpeg = insert_after_soi(insert_after_soi(make_jpeg(16, 16), app1), xmp);
    std::string path = put("x.jpg", jpeg);
    VokImgBlock* exif = GetExifDataFromFile(path.c_str());
    ASSERT_NE(exif, nullptr);
    ASSERT_EQ(exif->size, app1.size());
    EXPECT_EQ(0, std::memcmp(exif->data, app1.data(), app1.size()));
    char make[100];
    EXPECT_EQ(GetExif_MemberData(exif, 271, 2, 1, make, sizeof make, nullptr), 1);
    EXPECT_STREQ(make, "Quintaral");
    VokImg_FreeBlock(exif);
}

TEST_F(ImgExifBlockTest, HeaderWithoutApp1GivesNoBlock) {
    std::string path = put("p.jpg", make_jpeg(16, 16));
    EXPECT_EQ(GetExifDataFromFile(path.c_str()), nullptr);
    char text[100] = "x";
    uint32_t number = 7;
    EXPECT_EQ(GetExif_MemberData(nullptr, 271, 2, 1, text, sizeof text, &number), 0);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(number, 0u);
    ImageInfo info{};
    EXPECT_EQ(Get_Exif_Info(path.c_str(), &info), 0);
}

TEST_F(ImgExifBlockTest, TruncatedApp1IsNotCopied) {
    Bytes block = {0xFF, 0xD8, 0xFF, 0xE1, 0x40, 0x00, 'E', 'x', 'i', 'f', 0, 0};
    VokImgBlock b = view(block);
    EXPECT_EQ(GetExifDataFromJpegHeader(&b), nullptr);
}

using ImgFrameTest = ImgTest;

TEST_F(ImgFrameTest, SamplingsFromLibjpeg) {
    struct Case {
        Sampling sampling;
        uint32_t components;
        uint32_t h1, v1;
    } cases[] = {{Sampling::S1x1, 3, 1, 1},
                 {Sampling::S2x1, 3, 2, 1},
                 {Sampling::S2x2, 3, 2, 2},
                 {Sampling::Grey, 1, 1, 1}};
    for (const Case& c : cases) {
        JpegOptions o;
        o.sampling = c.sampling;
        std::string path = put("f.jpg", make_jpeg(40, 24, o));
        JpegFrameInfo frame;
        ASSERT_EQ(Get_Jpeg_HvSamp_Main(path.c_str(), &frame), 1);
        EXPECT_EQ(frame.width, 40u);
        EXPECT_EQ(frame.height, 24u);
        EXPECT_EQ(frame.components, c.components);
        EXPECT_EQ(frame.sampling[0], c.h1);
        EXPECT_EQ(frame.sampling[1], c.v1);
        if (c.components == 3) {
            EXPECT_EQ(frame.sampling[2], 1u);
            EXPECT_EQ(frame.sampling[3], 1u);
            EXPECT_EQ(frame.sampling[4], 1u);
            EXPECT_EQ(frame.sampling[5], 1u);
        } else {
            EXPECT_EQ(frame.sampling[2], 0u);
        }
        EXPECT_EQ(frame.sampling[6], 0u);
        EXPECT_EQ(frame.sampling[7], 0u);
    }
}

TEST_F(ImgFrameTest, FiveComponentsRecordFour) {
    Bytes b = five_component_jpeg();
    JpegFrameInfo frame;
    ASSERT_EQ(Get_Jpeg_Info(b.data(), uint32_t(b.size()), &frame), 1);
    EXPECT_EQ(frame.width, 64u);
    EXPECT_EQ(frame.height, 48u);
    EXPECT_EQ(frame.components, 5u);
    const uint32_t want[8] = {2, 2, 1, 1, 1, 2, 3, 1};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(frame.sampling[i], want[i]) << i;
    // Components cut off by the end of the bytes: no result.
    EXPECT_EQ(Get_Jpeg_Info(b.data(), 18, &frame), 0);
}

TEST_F(ImgFrameTest, ProgressiveAndScanFirstGiveNothing) {
    JpegOptions o;
    o.progressive = true;
    std::string path = put("prog.jpg", make_jpeg(16, 16, o));
    JpegFrameInfo frame;
    EXPECT_EQ(Get_Jpeg_HvSamp_Main(path.c_str(), &frame), 0);
    Bytes scanFirst = {0xFF, 0xD8, 0xFF, 0xDA, 0, 2, 0xFF, 0xC0, 0, 11,
                       8,    0,    1,    0,    1, 1, 1,    0x11, 0};
    EXPECT_EQ(Get_Jpeg_Info(scanFirst.data(), uint32_t(scanFirst.size()), &frame), 0);
    EXPECT_EQ(GetJpegHVSample(scanFirst.data() + 6, uint32_t(scanFirst.size() - 6), &frame), 1);
    EXPECT_EQ(GetJpegHVSample(scanFirst.data(), uint32_t(scanFirst.size()), &frame), 0);
}

TEST_F(ImgFrameTest, MemoryHandleSizeEndsAtFirstEoi) {
    Bytes b = {0xFF, 0xD8, 1, 2, 0xFF, 0xD9, 9, 9};
    VokImgBlock v = view(b);
    EXPECT_EQ(GetJpegMemoryHandleSize(&v), 6u);
    b[5] = 0x00;
    EXPECT_EQ(GetJpegMemoryHandleSize(&v), 8u);
    EXPECT_EQ(GetJpegMemoryHandleSize(nullptr), 0u);
}

using ImgHuffmanTest = ImgTest;

TEST_F(ImgHuffmanTest, OneSegmentOfTypicalTablesIsStandard) {
    Bytes jpeg = make_jpeg(32, 32);
    std::string separate = put("sep.jpg", jpeg);
    std::string merged = put("one.jpg", merge_dht(jpeg));
    std::string reordered = put("rev.jpg", merge_dht(jpeg, true));
    EXPECT_EQ(VOK_Check_Jpeg_HuffmanTable(separate.c_str()), 0);
    EXPECT_EQ(VOK_Check_Jpeg_HuffmanTable(merged.c_str()), 1);
    EXPECT_EQ(VOK_Check_Jpeg_HuffmanTable(reordered.c_str()), 1);
}

TEST_F(ImgHuffmanTest, OtherCountsMissingSlotsAndTruncationAreNotStandard) {
    JpegOptions o;
    o.optimize = true;
    std::string optimized = put("opt.jpg", merge_dht(make_jpeg(32, 32, o)));
    EXPECT_EQ(VOK_Check_Jpeg_HuffmanTable(optimized.c_str()), 0);
    o.optimize = false;
    o.sampling = Sampling::Grey;
    // A grey image defines only the luminance slots.
    std::string grey = put("grey.jpg", merge_dht(make_jpeg(32, 32, o)));
    EXPECT_EQ(VOK_Check_Jpeg_HuffmanTable(grey.c_str()), 0);
    // One count changed (and one symbol more, so the table still parses).
    Bytes jpeg = merge_dht(make_jpeg(32, 32));
    for (size_t i = 2; i + 1 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC4) {
            jpeg[i + 4 + 1 + 1] += 1; // DC 0 count of length 2: 1 -> 2
            uint32_t length = (uint32_t(jpeg[i + 2]) << 8 | jpeg[i + 3]) + 1;
            jpeg[i + 2] = uint8_t(length >> 8);
            jpeg[i + 3] = uint8_t(length);
            jpeg.insert(jpeg.begin() + long(i) + 4 + 17, 0x00);
            break;
        }
    }
    std::string changed = put("chg.jpg", jpeg);
    EXPECT_EQ(VOK_Check_Jpeg_HuffmanTable(changed.c_str()), 0);
    EXPECT_EQ(VOK_Check_Jpeg_HuffmanTable((dir_ + "/none.jpg").c_str()), 0);
    std::string nodht = put("nodht.jpg", Bytes{0xFF, 0xD8, 0xFF, 0xDA, 0, 2});
    EXPECT_EQ(VOK_Check_Jpeg_HuffmanTable(nodht.c_str()), 0);
    // A table whose counts promise more symbols than the segment holds.
    std::string shortTable =
        put("short.jpg", Bytes{0xFF, 0xD8, 0xFF, 0xC4, 0x00, 0x13, 0x00, 0, 1, 5,    1,    1, 1, 1,
                               1,    1,    0,    0,    0,    0,    0,    0, 0, 0xFF, 0xDA, 0, 2});
    EXPECT_EQ(VOK_Check_Jpeg_HuffmanTable(shortTable.c_str()), 0);
}
