/* TIFF side of the reading library: the directory search order, value reading by the
 * entry's own type, the Exif and TIFF records, CIFF and bitmap sizes, and the all-kinds
 * record of GetExifData, in both byte orders and against damaged offsets. */
#include "VokExif.h"
#include "img_test_env.h"

#include <cstring>
#include <sys/stat.h>
#include <utime.h>

using namespace imgtest;

namespace {

VokImgBlock view(Bytes& b) {
    return VokImgBlock{b.data(), uint32_t(b.size())};
}

Bytes thumbnail_jpeg() {
    JpegOptions o;
    o.sampling = Sampling::S2x2;
    o.jfif = false;
    return make_jpeg(160, 120, o);
}

Bytes exif_file(const TiffPlan& plan, Sampling sampling = Sampling::S2x1) {
    JpegOptions o;
    o.sampling = sampling;
    return insert_after_soi(make_jpeg(64, 48, o), exif_app1(build_tiff(plan)));
}

std::string text_of(const VokImgBlock* block, uint32_t tag, int isExif) {
    char text[100];
    if (!GetExif_MemberData(block, tag, 2, isExif, text, sizeof text, nullptr))
        return "<missing>";
    return text;
}

uint32_t number_of(const VokImgBlock* block, uint32_t tag, int isExif) {
    uint32_t n = 0;
    if (!GetExif_MemberData(block, tag, 4, isExif, nullptr, 0, &n))
        return 0xFFFFFFFF;
    return n;
}

} // namespace

using ImgDirectoryTest = ImgTest;

TEST_F(ImgDirectoryTest, BothByteOrdersGiveTheSameValues) {
    for (bool be : {false, true}) {
        Bytes tiff = build_tiff(camera_exif(be, 640, 480));
        VokImgBlock b = view(tiff);
        EXPECT_EQ(text_of(&b, 271, 0), "Quintaral") << be;
        EXPECT_EQ(text_of(&b, 272, 0), "qubex    ");
        EXPECT_EQ(text_of(&b, 36867, 0), "1999:12:31 23:59:59");
        EXPECT_EQ(text_of(&b, 36864, 0), "0210");
        EXPECT_EQ(number_of(&b, 40962, 0), 640u);
        EXPECT_EQ(number_of(&b, 40963, 0), 480u);
        EXPECT_EQ(number_of(&b, 296, 0), 2u);
        EXPECT_EQ(text_of(&b, 1, 0), "R98");
        // Rationals are not read: empty text and 0.
        uint32_t n = 5;
        char t[100] = "x";
        EXPECT_EQ(GetExif_MemberData(&b, 282, 5, 0, t, sizeof t, &n), 1);
        EXPECT_EQ(n, 0u);
        EXPECT_STREQ(t, "");
    }
}

TEST_F(ImgDirectoryTest, SearchOrderDirectoryZeroChainExifInterop) {
    TiffPlan plan = camera_exif(false, 64, 48);
    plan.exif.push_back(ascii(271, "ExifMake"));      // also in directory 0
    plan.ifd1.push_back(ascii(305, "ChainSoftware")); // also in directory 0
    plan.ifd1.push_back(ascii(316, "HostInIfd1"));    // only in the chain
    plan.interop.push_back(ascii(272, "InteropModel"));
    plan.interop.push_back(ascii(4097, "OnlyInterop"));
    plan.hasIfd1 = true;
    Bytes tiff = build_tiff(plan);
    VokImgBlock b = view(tiff);
    EXPECT_EQ(text_of(&b, 271, 0), "Quintaral");
    EXPECT_EQ(text_of(&b, 305, 0), "Ver.1.0");
    EXPECT_EQ(text_of(&b, 316, 0), "HostInIfd1");
    EXPECT_EQ(text_of(&b, 272, 0), "qubex    ");
    EXPECT_EQ(text_of(&b, 4097, 0), "OnlyInterop");
    EXPECT_EQ(text_of(&b, 9999, 0), "<missing>");
    // The Exif-directory search sees only that chain.
    char t[100];
    EXPECT_EQ(GetExif_MemberData_ExifIFD(&b, 34665, 271, 2, 0, t, sizeof t, nullptr), 1);
    EXPECT_STREQ(t, "ExifMake");
    EXPECT_EQ(GetExif_MemberData_ExifIFD(&b, 34665, 272, 2, 0, t, sizeof t, nullptr), 0);
    uint32_t offset = 0, size = 0, type = 0;
    ASSERT_EQ(ScanTargetTag(tiff.data(), 4097, 0, uint32_t(tiff.size()), &offset, &size, &type), 1);
    EXPECT_EQ(size, 12u);
    EXPECT_EQ(type, 2u);
    EXPECT_EQ(0, std::memcmp(tiff.data() + offset, "OnlyInterop", 12));
}

TEST_F(ImgDirectoryTest, InteropIndexComesOnlyFromTheInteropDirectory) {
    TiffPlan plan = camera_exif(true, 64, 48);
    plan.ifd0.push_back(ascii(1, "BAD"));
    std::string path = put("x.jpg", exif_file(plan));
    ImageInfo info{};
    ASSERT_EQ(Get_Exif_Info(path.c_str(), &info), 1);
    EXPECT_STREQ(info.interopIndex, "R98");
}

TEST_F(ImgDirectoryTest, OneDirectoryScanAndEntryPlaces) {
    TiffPlan plan = camera_exif(false, 64, 48);
    plan.hasIfd1 = true;
    TiffLayout layout;
    Bytes tiff = build_tiff(plan, &layout);
    uint32_t offset = 0, size = 0, type = 0, next = 0;
    EXPECT_EQ(ScanIFDFromData(tiff.data(), layout.ifd0, 296, 0, uint32_t(tiff.size()), &offset,
                              &size, &type, &next),
              1);
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(type, 3u);
    EXPECT_EQ(ScanIFDFromData(tiff.data(), layout.ifd0, 513, 0, uint32_t(tiff.size()), &offset,
                              &size, &type, &next),
              0);
    EXPECT_EQ(next, layout.ifd1);
    // Make's 10 bytes lie outside its entry, ResolutionUnit's 2 inside.
    uint32_t entry = layout.ifd0 + 2;
    EXPECT_EQ(GetTagDataAddress(tiff.data(), uint32_t(tiff.size()), entry, 0, &offset, &size), 1);
    EXPECT_EQ(size, 10u);
    EXPECT_EQ(0, std::memcmp(tiff.data() + offset, "Quintaral", 10));
    uint32_t unitEntry = layout.ifd0 + 2 + 4 * 12;
    EXPECT_EQ(GetTagDataAddress(tiff.data(), uint32_t(tiff.size()), unitEntry, 0, &offset, &size),
              0);
    EXPECT_EQ(offset, unitEntry + 8);
    EXPECT_EQ(GetTagDataAddress(tiff.data(), uint32_t(tiff.size()), uint32_t(tiff.size()) - 4, 0,
                                &offset, &size),
              -1);
}

TEST_F(ImgDirectoryTest, ValuesAreReadByTheEntrysType) {
    const unsigned char bytes[] = {0x12, 0x34, 0x56, 0x78, 'A', 'B', 'C', 'D'};
    EXPECT_EQ(GetDataFromByte(bytes, 2, 0), 0x3412u);
    EXPECT_EQ(GetDataFromByte(bytes, 2, 1), 0x1234u);
    EXPECT_EQ(GetDataFromByte(bytes, 4, 1), 0x12345678u);
    char t[100];
    uint32_t n = 0;
    // ASCII without its terminator keeps its last byte when there is room; UNDEFINED keeps
    // all bytes.
    EXPECT_EQ(GetTargetTag(bytes, 8, 4, 2, 4, 0, t, sizeof t, &n), 1);
    EXPECT_STREQ(t, "ABCD");
    EXPECT_EQ(GetTargetTag(bytes, 8, 4, 2, 4, 0, t, 4, &n), 1);
    EXPECT_STREQ(t, "ABC");
    EXPECT_EQ(GetTargetTag(bytes, 8, 4, 7, 4, 0, t, sizeof t, &n), 1);
    EXPECT_STREQ(t, "ABCD");
    EXPECT_EQ(GetTargetTag(bytes, 8, 4, 7, 4, 0, t, 3, &n), 1); // cut to the buffer
    EXPECT_STREQ(t, "AB");
    EXPECT_EQ(GetTargetTag(bytes, 8, 0, 3, 2, 1, t, sizeof t, &n), 1);
    EXPECT_EQ(n, 0x1234u);
    EXPECT_EQ(GetTargetTag(bytes, 8, 0, 4, 4, 0, t, sizeof t, &n), 1);
    EXPECT_EQ(n, 0x78563412u);
    EXPECT_EQ(GetTargetTag(bytes, 8, 0, 1, 1, 1, t, sizeof t, &n), 1);
    EXPECT_EQ(n, 0x12u);
    // Values that would pass the end of the data are not read.
    EXPECT_EQ(GetTargetTag(bytes, 8, 6, 4, 4, 0, t, sizeof t, &n), 0);
    EXPECT_EQ(GetTargetTag(bytes, 8, 6, 2, 4, 0, t, sizeof t, &n), 0);
    EXPECT_EQ(GetTargetTag(bytes, 8, 0xFFFFFFFF, 7, 2, 0, t, sizeof t, &n), 0);
    // The entry's type wins over the caller's: a SHORT asked for as text gives a number.
    Bytes tiff = build_tiff(camera_exif(true, 64, 48));
    VokImgBlock b = view(tiff);
    EXPECT_EQ(GetExif_MemberData(&b, 296, 2, 0, t, sizeof t, &n), 1);
    EXPECT_EQ(n, 2u);
    EXPECT_STREQ(t, "");
}

TEST_F(ImgDirectoryTest, TextCountedWithoutTerminatorKeepsItsLastLetter) {
    // Some cameras count an ASCII value without its NUL: a 21-letter Make (outside the entry)
    // and a 3-letter interoperability index (inside it).
    auto unterminated = [](uint16_t tag, const std::string& text) {
        TiffEntry e = ascii(tag, text);
        e.bytes.pop_back();
        e.count = uint32_t(e.bytes.size());
        return e;
    };
    for (bool be : {false, true}) {
        TiffPlan plan = camera_exif(be, 64, 48);
        for (TiffEntry& e : plan.ifd0)
            if (e.tag == 271)
                e = unterminated(271, "Quintaral Imaging Co.");
        for (TiffEntry& e : plan.interop)
            if (e.tag == 1)
                e = unterminated(1, "R98");
        std::string path = put("unterminated.jpg", exif_file(plan));
        ImageInfo info{};
        ASSERT_EQ(Get_Exif_Info(path.c_str(), &info), 1) << be;
        EXPECT_STREQ(info.make, "Quintaral Imaging Co.") << be;
        EXPECT_STREQ(info.interopIndex, "R98") << be;
    }
}

TEST_F(ImgDirectoryTest, DamagedOffsetsEndTheSearch) {
    TiffPlan plan = camera_exif(false, 64, 48);
    TiffLayout layout;
    Bytes tiff = build_tiff(plan, &layout);
    uint32_t o = 0, s = 0;
    // Directory 0 beyond the data.
    Bytes far = tiff;
    far[4] = 0xF0;
    far[7] = 0x7F;
    EXPECT_EQ(ScanTargetTag(far.data(), 271, 0, uint32_t(far.size()), &o, &s, nullptr), 0);
    // Entry count larger than the data: stops at the end, finds nothing past it.
    Bytes many = tiff;
    many[layout.ifd0] = 0xFF;
    many[layout.ifd0 + 1] = 0xFF;
    EXPECT_EQ(ScanTargetTag(many.data(), 9999, 0, uint32_t(many.size()), &o, &s, nullptr), 0);
    EXPECT_EQ(ScanTargetTag(many.data(), 271, 0, uint32_t(many.size()), &o, &s, nullptr), 1);
    // A chain that points back at itself ends.
    Bytes loop = tiff;
    uint32_t next = layout.ifd0 + 2 + uint32_t(plan.ifd0.size() + 1) * 12;
    loop[next] = uint8_t(layout.ifd0);
    EXPECT_EQ(ScanTargetTag(loop.data(), 9999, 0, uint32_t(loop.size()), &o, &s, nullptr), 0);
    // Data too short for a header, and no data at all.
    EXPECT_EQ(ScanTargetTag(tiff.data(), 271, 0, 7, &o, &s, nullptr), 0);
    EXPECT_EQ(ScanTargetTag(nullptr, 271, 0, 100, &o, &s, nullptr), 0);
    // A value whose offset points past the end is found but not read.
    Bytes out = tiff;
    uint32_t makeEntry = layout.ifd0 + 2;
    out[makeEntry + 8] = 0xFF;
    out[makeEntry + 9] = 0xFF;
    VokImgBlock b = view(out);
    EXPECT_EQ(text_of(&b, 271, 0), "<missing>");
    // Blocks shorter than the Exif prefix plus a TIFF header.
    Bytes tiny = {0xFF, 0xE1, 0, 8, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I'};
    VokImgBlock t = view(tiny);
    EXPECT_EQ(text_of(&t, 271, 1), "<missing>");
}

using ImgRecordTest = ImgTest;

TEST_F(ImgRecordTest, ExifInfoWithInteropAndThumbnail) {
    for (bool be : {false, true}) {
        TiffPlan plan = camera_exif(be, 640, 480);
        plan.hasIfd1 = true;
        plan.thumbnail = thumbnail_jpeg();
        std::string path = put(be ? "mm.jpg" : "ii.jpg", exif_file(plan));
        ImageInfo info{};
        ASSERT_EQ(Get_Exif_Info(path.c_str(), &info), 1);
        EXPECT_EQ(info.width, 640u);
        EXPECT_EQ(info.height, 480u);
        EXPECT_STREQ(info.make, "Quintaral");
        EXPECT_STREQ(info.model, "qubex    ");
        EXPECT_STREQ(info.dateTaken, "1999:12:31 23:59:59");
        EXPECT_STREQ(info.dateChanged, "2000:01:05 13:45:10");
        EXPECT_STREQ(info.exifVersion, "0210");
        EXPECT_STREQ(info.interopIndex, "R98");
        EXPECT_EQ(info.kind, 1u);
        EXPECT_EQ(info.thumbnailState, 0u);
        EXPECT_EQ(info.thumbnail.width, 160u);
        EXPECT_EQ(info.thumbnail.height, 120u);
        EXPECT_EQ(info.thumbnail.components, 3u);
        EXPECT_EQ(info.thumbnail.sampling[0], 2u);
        EXPECT_EQ(info.thumbnail.sampling[1], 2u);
        EXPECT_EQ(info.thumbnail.sampling[2], 1u);
        EXPECT_STREQ(info.fileName, be ? "mm.jpg" : "ii.jpg");
        EXPECT_EQ(std::string(info.folder), dir_ + "/");
    }
}

TEST_F(ImgRecordTest, NoThumbnailPointerMarks999) {
    std::string path = put("a.jpg", exif_file(camera_exif(false, 64, 48)));
    ImageInfo info{};
    ASSERT_EQ(Get_Exif_Info(path.c_str(), &info), 1);
    EXPECT_EQ(info.thumbnailState, 999u);
    EXPECT_EQ(info.thumbnail.width, 0u);
}

TEST_F(ImgRecordTest, ThumbnailPointerPastTheBlockReadsNothing) {
    TiffPlan plan = camera_exif(false, 64, 48);
    plan.hasIfd1 = true;
    plan.ifd1.push_back(longv(513, 0x7FFFFFF0));
    plan.ifd1.push_back(longv(514, 0x7FFFFFF0));
    std::string path = put("a.jpg", exif_file(plan));
    ImageInfo info{};
    ASSERT_EQ(Get_Exif_Info(path.c_str(), &info), 1);
    EXPECT_EQ(info.thumbnailState, 0u);
    EXPECT_EQ(info.thumbnail.width, 0u);
}

TEST_F(ImgRecordTest, MissingInteropFailsButGetExifDataSucceeds) {
    TiffPlan plan = camera_exif(false, 640, 480);
    plan.hasInterop = false;
    std::string path = put("noi.jpg", exif_file(plan));
    ImageInfo info{};
    EXPECT_EQ(Get_Exif_Info(path.c_str(), &info), 0);
    EXPECT_STREQ(info.make, "Quintaral"); // filled before the failure
    EXPECT_EQ(info.width, 640u);
    EXPECT_EQ(info.kind, 0u);
    ASSERT_EQ(GetExifData(path.c_str(), &info), 1);
    EXPECT_EQ(info.width, 640u);
    EXPECT_EQ(info.height, 480u);
    EXPECT_STREQ(info.fileName, "noi.jpg");
    EXPECT_EQ(std::string(info.folder), dir_ + "/");
    EXPECT_STREQ(info.interopIndex, "");

    // Without the size tags, the size comes from the JPEG frame.
    plan.exif.erase(plan.exif.end() - 2, plan.exif.end());
    std::string bare = put("nosize.jpg", exif_file(plan));
    ASSERT_EQ(GetExifData(bare.c_str(), &info), 1);
    EXPECT_EQ(info.width, 64u);
    EXPECT_EQ(info.height, 48u);
    EXPECT_STREQ(info.make, "Quintaral");
}

TEST_F(ImgRecordTest, TiffRecordSameInBothOrders) {
    std::vector<TiffEntry> extra = {ascii(271, "Maker"), ascii(272, "Modeller"),
                                    ascii(306, "2003:04:05 06:07:08")};
    ImageInfo infos[2] = {};
    for (int i = 0; i < 2; ++i) {
        std::string path =
            put(i ? "mm.tif" : "ii.tif", make_tiff_file(i == 1, 12, 10, extra, true, true));
        EXPECT_EQ(IsImageFileType(path.c_str()), VOK_IMG_KIND_TIFF);
        ASSERT_EQ(VokImg_Tiff_GetTagInfo(path.c_str(), &infos[i]), 1);
        EXPECT_EQ(infos[i].width, 12u);
        EXPECT_EQ(infos[i].height, 10u);
        EXPECT_EQ(infos[i].compression, 1u);
        EXPECT_EQ(infos[i].photometric, 2u);
        EXPECT_STREQ(infos[i].make, "Maker");
        EXPECT_STREQ(infos[i].model, "Modeller");
        EXPECT_STREQ(infos[i].dateTaken, "2003:04:05 06:07:08");
        EXPECT_STREQ(infos[i].exifVersion, "0220");
        EXPECT_STREQ(infos[i].interopIndex, "R98");
        EXPECT_EQ(infos[i].kind, 5u);
    }
    std::strcpy(infos[1].fileName, infos[0].fileName);
    EXPECT_EQ(0, std::memcmp(&infos[0], &infos[1], sizeof infos[0]));
}

TEST_F(ImgRecordTest, TiffWithoutInteropFailsAfterFilling) {
    std::string path = put("t.tif", make_tiff_file(false, 8, 6, {}, true, false));
    ImageInfo info{};
    EXPECT_EQ(VokImg_Tiff_GetTagInfo(path.c_str(), &info), 0);
    EXPECT_EQ(info.width, 8u);
    EXPECT_STREQ(info.exifVersion, "0220");
    EXPECT_EQ(info.kind, 5u);
    // GetExifData takes the file time when the TIFF has no date.
    struct utimbuf times = {946684800, 946771199}; // 2000-01-01 .. 2000-01-01 23:59:59 UTC
    ASSERT_EQ(utime(path.c_str(), &times), 0);
    ASSERT_EQ(GetExifData(path.c_str(), &info), 1);
    EXPECT_STREQ(info.dateTaken, "2000:01:01 23:59:59");
    EXPECT_EQ(info.kind, 5u);
    EXPECT_STREQ(info.fileName, "t.tif");
}

TEST_F(ImgRecordTest, CiffBitmapAndPlainJpegSizes) {
    for (bool be : {false, true}) {
        JpegOptions o;
        o.jfif = false;
        std::string path =
            put("c.jpg", insert_after_soi(make_jpeg(32, 16, o), ciff_app0(1600, 1200, be)));
        ImageInfo info{};
        ASSERT_EQ(Get_Image_Ciff_Info(path.c_str(), &info), 1);
        EXPECT_EQ(info.width, 1600u);
        EXPECT_EQ(info.height, 1200u);
        ASSERT_EQ(GetExifData(path.c_str(), &info), 1);
        EXPECT_EQ(info.width, 1600u);
        EXPECT_NE(info.dateTaken[0], '\0');
    }
    std::string bmp = put("b.bmp", make_bmp(7, 5));
    std::string core = put("c.bmp", make_bmp(9, 4, true));
    std::string down = put("d.bmp", make_bmp(6, 3, false, true));
    ImageInfo info{};
    ASSERT_EQ(GetExifData(bmp.c_str(), &info), 1);
    EXPECT_EQ(info.width, 7u);
    EXPECT_EQ(info.height, 5u);
    ASSERT_EQ(Get_Image_Bitmap_Info(core.c_str(), &info), 1);
    EXPECT_EQ(info.width, 9u);
    EXPECT_EQ(info.height, 4u);
    ASSERT_EQ(Get_Image_Bitmap_Info(down.c_str(), &info), 1);
    EXPECT_EQ(info.height, 3u);
    std::string plain = put("p.jpg", make_jpeg(33, 17));
    ASSERT_EQ(GetExifData(plain.c_str(), &info), 1);
    EXPECT_EQ(info.width, 33u);
    EXPECT_EQ(info.height, 17u);
    EXPECT_EQ(info.kind, 0u);
}

TEST_F(ImgRecordTest, DamagedCiffHeapsGiveNoSize) {
    Bytes app0 = ciff_app0(100, 50, false);
    JpegOptions o;
    o.jfif = false;
    Bytes jpeg = make_jpeg(16, 16, o);
    // The directory offset in the heap's last four bytes points outside the heap.
    Bytes bad = app0;
    bad[bad.size() - 2] = 0x7F;
    std::string path = put("bad.jpg", insert_after_soi(jpeg, bad));
    ImageInfo info{};
    EXPECT_EQ(Get_Image_Ciff_Info(path.c_str(), &info), 0);
    // A header length beyond the segment.
    Bytes longHeader = app0;
    longHeader[7] = 0x7F;
    path = put("long.jpg", insert_after_soi(jpeg, longHeader));
    EXPECT_EQ(Get_Image_Ciff_Info(path.c_str(), &info), 0);
    EXPECT_EQ(Get_Image_Ciff_Info((dir_ + "/none.jpg").c_str(), &info), 0);
}

TEST_F(ImgRecordTest, GetExifDataOnMissingUnknownAndReusedRecords) {
    ImageInfo info;
    std::memset(&info, 0x5A, sizeof info);
    EXPECT_EQ(GetExifData((dir_ + "/none.jpg").c_str(), &info), 0);
    EXPECT_EQ(info.width, 0u);
    EXPECT_STREQ(info.make, "");
    EXPECT_EQ(GetExifData("", &info), 0);
    std::string text = put("notes.txt", Bytes{'n', 'o', 't', 'e', 's'});
    ASSERT_EQ(GetExifData(text.c_str(), &info), 1);
    EXPECT_STREQ(info.fileName, "notes.txt");
    EXPECT_STREQ(info.dateTaken, "");
    // CIFF with Exif is kind 0 too: only the name.
    JpegOptions o;
    o.jfif = false;
    Bytes both =
        insert_after_soi(make_jpeg(16, 16, o), exif_app1(build_tiff(camera_exif(false, 9, 9))));
    both = insert_after_soi(both, ciff_app0(5, 5, false));
    std::string path = put("both.jpg", both);
    ASSERT_EQ(GetExifData(path.c_str(), &info), 1);
    EXPECT_EQ(info.width, 0u);
    EXPECT_STREQ(info.make, "");
    // A record used for an Exif file and then a bitmap keeps no Exif fields.
    TiffPlan plan = camera_exif(false, 64, 48);
    plan.hasIfd1 = true;
    plan.thumbnail = thumbnail_jpeg();
    std::string exif = put("e.jpg", exif_file(plan));
    std::string bmp = put("b.bmp", make_bmp(3, 2));
    ASSERT_EQ(GetExifData(exif.c_str(), &info), 1);
    EXPECT_EQ(info.thumbnail.width, 160u);
    ASSERT_EQ(GetExifData(bmp.c_str(), &info), 1);
    EXPECT_EQ(info.thumbnail.width, 0u);
    EXPECT_STREQ(info.interopIndex, "");
    EXPECT_STREQ(info.make, "");
}

TEST_F(ImgRecordTest, FifosAndFoldersDoNotHang) {
    std::string fifo = dir_ + "/pipe.jpg";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(IsImageFileType(fifo.c_str()), VOK_IMG_KIND_NONE);
    EXPECT_EQ(GetJpegHeaderFromFile(fifo.c_str()), nullptr);
    ImageInfo info{};
    EXPECT_EQ(GetExifData(fifo.c_str(), &info), 1);
    EXPECT_STREQ(info.fileName, "pipe.jpg");
    EXPECT_EQ(IsImageFileType(dir_.c_str()), VOK_IMG_KIND_NONE);
    EXPECT_EQ(VokImg_Tiff_GetTagInfo(dir_.c_str(), &info), 0);
}

TEST_F(ImgRecordTest, CodecErrorsEndOnlyTheCall) {
    // A frame header that libjpeg refuses (zero width), then a good file in the same process.
    Bytes bad = {0xFF, 0xD8, 0xFF, 0xC0, 0, 11, 8, 0, 16, 0, 0,  1, 1,
                 0x11, 0,    0xFF, 0xDA, 0, 8,  1, 1, 0,  0, 63, 0};
    std::string badPath = put("bad.jpg", bad);
    std::string good = put("good.jpg", make_jpeg(20, 10));
    ImageInfo info{};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Get_Normal_Jpeg_Format(badPath.c_str(), &info), 0);
        ASSERT_EQ(Get_Normal_Jpeg_Format(good.c_str(), &info), 1);
        EXPECT_EQ(info.width, 20u);
        EXPECT_EQ(info.height, 10u);
    }
    EXPECT_EQ(Get_Normal_Jpeg_Format((dir_ + "/none.jpg").c_str(), &info), 0);
    ASSERT_EQ(GetExifData(badPath.c_str(), &info), 1);
    EXPECT_EQ(info.width, 0u);
}

TEST_F(ImgRecordTest, FileNameAndFolder) {
    ImageInfo info{};
    ASSERT_EQ(Get_Filename_Path("/a/b/c.jpg", &info), 1);
    EXPECT_STREQ(info.fileName, "c.jpg");
    EXPECT_STREQ(info.folder, "/a/b/");
    ASSERT_EQ(Get_Filename_Path("c.jpg", &info), 1);
    EXPECT_STREQ(info.fileName, "c.jpg");
    EXPECT_STREQ(info.folder, "");
    std::string longPath = "/" + std::string(400, 'd') + "/x.jpg";
    ASSERT_EQ(Get_Filename_Path(longPath.c_str(), &info), 1);
    EXPECT_EQ(std::strlen(info.folder), size_t(VOK_MAX_PATH - 1));
    EXPECT_STREQ(info.fileName, "x.jpg");
}
