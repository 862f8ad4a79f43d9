/* Conversion into the camera's JPEG form: kept and recompressed image data, the stripped
 * layout, the thumbnail, the size rules, the camera-ready test, JPEGs from bitmaps,
 * sources that libjpeg decodes with a warning, and the destination and temporary folder after
 * failures (fatal codec error, full disk, a copy that fails after the backup). */
#include "img_write.h"
#include "write_helpers.h"

#include <cmath>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace imgw;
using imgtest::JpegOptions;
using imgtest::make_jpeg;
using imgtest::Sampling;

namespace {

JpegOptions with(Sampling s, bool jfif = true) {
    JpegOptions o;
    o.sampling = s;
    o.jfif = jfif;
    return o;
}

ImageInfo info_of(const std::string& path) {
    ImageInfo info;
    std::memset(&info, 0, sizeof info);
    EXPECT_TRUE(Get_Exif_Info(path.c_str(), &info)) << path;
    return info;
}

JpegFrameInfo frame_of(const Bytes& jpeg) {
    JpegFrameInfo f{};
    EXPECT_TRUE(Get_Jpeg_Info(jpeg.data(), uint32_t(jpeg.size()), &f));
    return f;
}

// The first quantisation value of table 0 (8 at quality 75 with the standard tables).
int first_quant(const Bytes& jpeg) {
    for (const Segment& s : segments(jpeg)) {
        if (s.marker == 0xDB)
            return jpeg[s.at + 5];
    }
    return -1;
}

// Columns of the thumbnail's top-down picture that are black from top to bottom.
std::vector<bool> black_columns(const Bytes& thumb) {
    BlockPtr dib(vokimg::decode_jpeg(thumb.data(), thumb.size(), 0));
    std::vector<bool> black;
    if (!dib)
        return black;
    uint32_t width = GetLe32(dib.get()->data + 4);
    uint32_t height = GetLe32(dib.get()->data + 8);
    for (uint32_t x = 0; x < width; ++x) {
        bool all = true;
        for (uint32_t y = 0; y < height && all; ++y) {
            const unsigned char* p = dib_pixel(dib.get(), x, y);
            all = p[0] < 24 && p[1] < 24 && p[2] < 24;
        }
        black.push_back(all);
    }
    return black;
}

} // namespace

TEST_F(WriteTest, TwoByOneSourceKeepsItsImageDataBitForBit) {
    Bytes jpeg = make_jpeg(640, 480, with(Sampling::S2x1));
    ASSERT_EQ(count_marker(jpeg, 0xE0), 1); // JFIF
    ASSERT_GT(count_marker(jpeg, 0xC4), 1); // libjpeg writes one table per segment
    std::string src = put_work("src.jpg", jpeg);
    std::string dst = in_work("dst.jpg");
    ASSERT_EQ(ChangeFormatToExifAndSave(src.c_str(), dst.c_str(), nullptr, 0), 1);
    Bytes out = imgtest::read_file(dst);
    EXPECT_EQ(scan_data(out), scan_data(jpeg));
    EXPECT_EQ(count_marker(out, 0xDB), 1);
    EXPECT_EQ(count_marker(out, 0xC4), 1);
    EXPECT_EQ(count_marker(out, 0xE1), 1);
    EXPECT_EQ(count_app_or_com(out, true), 0);
    EXPECT_EQ(segments(out)[0].marker, 0xE1); // the Exif segment follows SOI
    EXPECT_EQ(out[out.size() - 2], 0xFF);
    EXPECT_EQ(out[out.size() - 1], 0xD9);

    ImageInfo info = info_of(dst);
    EXPECT_EQ(info.width, 640u);
    EXPECT_EQ(info.height, 480u);
    EXPECT_STREQ(info.make, "Quintaral");
    EXPECT_STREQ(info.exifVersion, "0210");
    EXPECT_STREQ(info.interopIndex, "R98");
    EXPECT_EQ(info.thumbnail.width, 160u);
    EXPECT_EQ(info.thumbnail.height, 120u);
    EXPECT_EQ(info.thumbnail.sampling[0], 2u);
    EXPECT_EQ(info.thumbnail.sampling[1], 1u);
    EXPECT_STRNE(info.dateTaken, "1999:01:01 00:00:00");
    EXPECT_STREQ(info.dateTaken, info.dateChanged);
    EXPECT_TRUE(VokImg_IsCameraReady(dst.c_str()));

    // The thumbnail is stripped too and sits where directory 1 says, at TIFF offset 482.
    Bytes a = app1(out);
    VokImgBlock view = view_of(a);
    uint32_t offset = 0;
    ASSERT_TRUE(GetExif_MemberData(&view, 513, 4, 1, nullptr, 0, &offset));
    EXPECT_EQ(offset, 482u);
    Bytes thumb = thumbnail_of(out);
    ASSERT_FALSE(thumb.empty());
    EXPECT_EQ(a.size(), 492u + thumb.size());
    EXPECT_EQ(count_app_or_com(thumb, false), 0);
    EXPECT_EQ(count_marker(thumb, 0xDB), 1);
    EXPECT_EQ(count_marker(thumb, 0xC4), 1);

    // Tables already merged, and 2x2 sampling, are kept as well.
    Bytes merged = imgtest::merge_dht(make_jpeg(320, 240, with(Sampling::S2x2, false)));
    std::string src2 = put_work("merged.jpg", merged);
    ASSERT_EQ(ChangeFormatToExifAndSave(src2.c_str(), dst.c_str(), nullptr, 0), 1);
    EXPECT_EQ(scan_data(imgtest::read_file(dst)), scan_data(merged));
    EXPECT_TRUE(VokImg_IsCameraReady(dst.c_str()));
}

TEST_F(WriteTest, OtherSourcesAreRecompressedAtQuality75With2x1) {
    struct Case {
        const char* name;
        JpegOptions options;
    } cases[] = {
        {"444", with(Sampling::S1x1)},
        {"grey", with(Sampling::Grey)},
        {"optimized",
         [] {
             JpegOptions o;
             o.optimize = true; // image-specific Huffman tables
             return o;
         }()},
        {"progressive",
         [] {
             JpegOptions o;
             o.progressive = true;
             return o;
         }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes jpeg = make_jpeg(200, 150, c.options);
        std::string src = put_work(std::string(c.name) + ".jpg", jpeg);
        std::string dst = in_work(std::string(c.name) + "-out.jpg");
        ASSERT_EQ(ChangeFormatToExifAndSave(src.c_str(), dst.c_str(), nullptr, 0), 1);
        Bytes out = imgtest::read_file(dst);
        EXPECT_NE(scan_data(out), scan_data(jpeg));
        JpegFrameInfo f = frame_of(out);
        EXPECT_EQ(f.width, 200u);
        EXPECT_EQ(f.height, 150u);
        EXPECT_EQ(f.components, 3u);
        EXPECT_EQ(f.sampling[0], 2u);
        EXPECT_EQ(f.sampling[1], 1u);
        EXPECT_EQ(f.sampling[2], 1u);
        EXPECT_EQ(f.sampling[3], 1u);
        EXPECT_EQ(first_quant(out), 8);
        EXPECT_EQ(count_marker(out, 0xDB), 1);
        EXPECT_EQ(count_marker(out, 0xC4), 1);
        EXPECT_TRUE(VokImg_IsCameraReady(dst.c_str()));
    }
}

TEST_F(WriteTest, ScaledConversionFollowsTheSizeRule) {
    struct Case {
        int w, h;
        uint32_t maxW, maxH;
        uint32_t outW, outH;
    } cases[] = {
        {640, 480, 320, 240, 320, 240},
        {480, 640, 320, 240, 192, 240}, // 180 wide, rounded up to 192
        {100, 75, 0, 0, 112, 80},       // no scaling: rounded up with black borders
        {640, 480, 640, 480, 640, 480},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " in " << c.maxW << "x" << c.maxH);
        std::string src = put_work("src.jpg", make_jpeg(c.w, c.h, with(Sampling::S2x1)));
        std::string dst = in_work("small.jpg");
        ASSERT_EQ(
            ChangeFormatToExifAndSave_Size(src.c_str(), dst.c_str(), nullptr, 0, c.maxW, c.maxH),
            1);
        ImageInfo info = info_of(dst);
        EXPECT_EQ(info.width, c.outW);
        EXPECT_EQ(info.height, c.outH);
        JpegFrameInfo f = frame_of(imgtest::read_file(dst));
        EXPECT_EQ(f.width, c.outW);
        EXPECT_EQ(f.height, c.outH);
        EXPECT_TRUE(VokImg_IsCameraReady(dst.c_str()));
    }
}

TEST_F(WriteTest, ThumbnailFitsInto160x120CentredOnBlack) {
    uint32_t w = 0, h = 0;
    vokimg::thumbnail_size(1600, 1200, &w, &h);
    EXPECT_EQ(w, 160u);
    EXPECT_EQ(h, 120u);
    vokimg::thumbnail_size(1200, 1600, &w, &h);
    EXPECT_EQ(w, 90u);
    EXPECT_EQ(h, 120u);
    vokimg::thumbnail_size(1000, 200, &w, &h); // wide: height by width
    EXPECT_EQ(w, 160u);
    EXPECT_EQ(h, 32u);
    vokimg::thumbnail_size(4000, 1, &w, &h); // degenerate: still one row
    EXPECT_EQ(w, 160u);
    EXPECT_EQ(h, 1u);

    std::string wide = put_work("wide.jpg", make_jpeg(1600, 1200, with(Sampling::S2x1)));
    std::string tall = put_work("tall.jpg", make_jpeg(1200, 1600, with(Sampling::S2x1)));
    ASSERT_EQ(ChangeFormatToExifAndSave(wide.c_str(), in_work("w.jpg").c_str(), nullptr, 0), 1);
    ASSERT_EQ(ChangeFormatToExifAndSave(tall.c_str(), in_work("t.jpg").c_str(), nullptr, 0), 1);
    std::vector<bool> wideBlack = black_columns(thumbnail_of(imgtest::read_file(in_work("w.jpg"))));
    std::vector<bool> tallBlack = black_columns(thumbnail_of(imgtest::read_file(in_work("t.jpg"))));
    ASSERT_EQ(wideBlack.size(), 160u);
    ASSERT_EQ(tallBlack.size(), 160u);
    EXPECT_EQ(std::count(wideBlack.begin(), wideBlack.end(), true), 0);
    // 90 columns of picture at offset 35.
    std::string shown;
    for (bool b : tallBlack)
        shown += b ? '#' : '.';
    // Blocks of 8 columns that the picture does not reach stay black.
    EXPECT_TRUE(tallBlack[0] && tallBlack[31] && tallBlack[128] && tallBlack[159]) << shown;
    EXPECT_FALSE(tallBlack[38] || tallBlack[80] || tallBlack[121]);
}

namespace {

// Peak signal-to-noise ratio of two 24-bit bitmaps of one size, in dB.
double psnr(const VokImgBlock* a, const VokImgBlock* b) {
    uint32_t width = GetLe32(a->data + 4);
    uint32_t height = GetLe32(a->data + 8);
    EXPECT_EQ(GetLe32(b->data + 4), width);
    EXPECT_EQ(GetLe32(b->data + 8), height);
    double sum = 0;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) {
                double d = double(dib_pixel(a, x, y)[c]) - dib_pixel(b, x, y)[c];
                sum += d * d;
            }
    double mse = sum / (3.0 * width * height);
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

// A camera-ready JPEG (2x1 sampling, typical tables) of smooth waves, as a photograph's
// content looks at thumbnail size.
Bytes smooth_camera_jpeg(uint32_t width, uint32_t height) {
    Bytes dib = pattern_dib(width, height);
    VokImgBlock block = view_of(dib);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            unsigned char* p = const_cast<unsigned char*>(dib_pixel(&block, x, y));
            for (int c = 0; c < 3; ++c)
                p[c] = uint8_t(128 + 100 * std::sin(x / (40.0 + 9 * c) + c) *
                                         std::cos(y / (35.0 + 7 * c)));
        }
    vokimg::DibView view;
    Bytes jpeg;
    EXPECT_TRUE(vokimg::dib_view(&block, &view));
    EXPECT_TRUE(vokimg::encode_dib(view, 90, vokimg::kCameraSampling, &jpeg));
    return jpeg;
}

} // namespace

// A kept-scan conversion makes its thumbnail from libjpeg's scaled decoding; the pixels differ
// from a thumbnail of the full-size decoding by that alone.
TEST_F(WriteTest, ThumbnailFromTheScaledDecodingIsCloseToTheFullOne) {
    for (auto size : {std::pair<uint32_t, uint32_t>{2048, 1536}, {1200, 1600}}) {
        Bytes jpeg = smooth_camera_jpeg(size.first, size.second);
        std::string src = put_work("src.jpg", jpeg);
        std::string dst = in_work("dst.jpg");
        ASSERT_EQ(ChangeFormatToExifAndSave(src.c_str(), dst.c_str(), nullptr, 0), 1);
        Bytes out = imgtest::read_file(dst);
        ASSERT_EQ(scan_data(out), scan_data(jpeg)) << "the scan is kept";
        EXPECT_EQ(info_of(dst).width, size.first);
        EXPECT_EQ(info_of(dst).height, size.second);
        Bytes thumb = thumbnail_of(out);
        BlockPtr scaled(vokimg::decode_jpeg(thumb.data(), thumb.size(), 0));

        BlockPtr full(vokimg::decode_jpeg(jpeg.data(), jpeg.size(), 0));
        vokimg::DibView view;
        ASSERT_TRUE(full && vokimg::dib_view(full.get(), &view));
        Bytes fullThumb;
        ASSERT_TRUE(vokimg::make_thumbnail(view, view.width, view.height, 64000, &fullThumb));
        BlockPtr reference(vokimg::decode_jpeg(fullThumb.data(), fullThumb.size(), 0));
        ASSERT_TRUE(scaled && reference);
        // About 32 dB here (the scaled decoding averages blocks, the full one is sampled);
        // a misplaced or mirrored picture gives far less.
        EXPECT_GE(psnr(scaled.get(), reference.get()), 28.0) << size.first;
    }
}

TEST_F(WriteTest, BilinearResamplingWeightsTheFourNeighbours) {
    // A 2 x 1 source to 4 x 1: positions 0, 0.5, 1, 1.5 (the last column repeats).
    Bytes src = pattern_dib(2, 1);
    unsigned char* px = src.data() + 40;
    const unsigned char left[3] = {10, 100, 200};
    const unsigned char right[3] = {21, 0, 255};
    std::memcpy(px, left, 3);
    std::memcpy(px + 3, right, 3);
    VokImgBlock block = view_of(src);
    vokimg::DibView view;
    ASSERT_TRUE(vokimg::dib_view(&block, &view));
    BlockPtr dst(vokimg::dib_new(4, 1, 24));
    ASSERT_TRUE(vokimg::resample_into(view, dst.get(), 0, 0, 4, 1));
    const unsigned char* p = dib_pixel(dst.get(), 0, 0);
    EXPECT_EQ(0, std::memcmp(p, left, 3));
    EXPECT_EQ(p[3], 15); // (10 + 21) / 2 truncated
    EXPECT_EQ(p[4], 50);
    EXPECT_EQ(p[5], 227);
    EXPECT_EQ(0, std::memcmp(p + 6, right, 3));
    EXPECT_EQ(0, std::memcmp(p + 9, right, 3));
}

TEST_F(WriteTest, CameraReadyTestRejectsWhatTheCameraCannotTake) {
    std::string plain = put_work("plain.jpg", make_jpeg(320, 240));
    EXPECT_FALSE(VokImg_IsCameraReady(plain.c_str()));
    EXPECT_FALSE(VokImg_IsCameraReady(in_work("missing.jpg").c_str()));
    std::string good = in_work("good.jpg");
    ASSERT_EQ(ChangeFormatToExifAndSave(plain.c_str(), good.c_str(), nullptr, 0), 1);
    EXPECT_TRUE(VokImg_IsCameraReady(good.c_str()));

    // An XMP segment ahead of the Exif one: the camera would read the XMP as its Exif block.
    {
        const std::string sig = std::string("http://ns.adobe.com/xap/1.0/") + '\0' + "<x/>";
        Bytes xmp = {0xFF, 0xE1, 0, uint8_t(sig.size() + 2)};
        for (char c : sig) // not insert(): g++ 12 warns falsely on a four-byte vector
            xmp.push_back(uint8_t(c));
        EXPECT_FALSE(VokImg_IsCameraReady(
            put_work("xmp-first.jpg", imgtest::insert_after_soi(imgtest::read_file(good), xmp))
                .c_str()));
    }

    // The same Exif segment in front of other image data.
    Bytes exif = app1(imgtest::read_file(good));
    Bytes wide444 = imgtest::strip_app_segments(make_jpeg(320, 240, with(Sampling::S1x1)));
    EXPECT_FALSE(VokImg_IsCameraReady(
        put_work("444.jpg", imgtest::insert_after_soi(wide444, exif)).c_str()));
    Bytes optimized;
    {
        JpegOptions o;
        o.optimize = true;
        optimized = imgtest::strip_app_segments(make_jpeg(320, 240, o));
    }
    EXPECT_FALSE(VokImg_IsCameraReady(
        put_work("opt.jpg", imgtest::insert_after_soi(optimized, exif)).c_str()));

    // Sizes outside 64..2048 x 48..1536.
    std::string big = put_work("big.jpg", make_jpeg(2050, 60));
    ASSERT_EQ(ChangeFormatToExifAndSave(big.c_str(), good.c_str(), nullptr, 0), 1);
    EXPECT_FALSE(VokImg_IsCameraReady(good.c_str()));
    std::string tiny = put_work("tiny.jpg", make_jpeg(60, 40));
    ASSERT_EQ(ChangeFormatToExifAndSave(tiny.c_str(), good.c_str(), nullptr, 0), 1);
    EXPECT_FALSE(VokImg_IsCameraReady(good.c_str()));

    // Another Exif version.
    ASSERT_EQ(ChangeFormatToExifAndSave(plain.c_str(), good.c_str(), nullptr, 0), 1);
    Bytes file = imgtest::read_file(good);
    Bytes a = app1(file);
    uint32_t offset = 0, size = 0, type = 0;
    ASSERT_TRUE(
        ScanTargetTag(a.data() + 10, 36864, 0, uint32_t(a.size() - 10), &offset, &size, &type));
    size_t at = size_t(segments(file)[0].at) + 10 + offset;
    std::memcpy(file.data() + at, "0220", 4);
    EXPECT_FALSE(VokImg_IsCameraReady(put_work("v220.jpg", file).c_str()));
}

TEST_F(WriteTest, ImageFormatCheckConvertsOnlyPlainAndCiffSources) {
    std::string plain = put_work("plain.jpg", make_jpeg(128, 96));
    std::string dst = in_work("out.jpg");
    EXPECT_EQ(ImageFormat_Check(plain.c_str(), dst.c_str()), 1);
    EXPECT_TRUE(VokImg_IsCameraReady(dst.c_str()));
    std::string dst2 = in_work("out2.jpg");
    EXPECT_EQ(ImageFormat_Check(dst.c_str(), dst2.c_str()), 1); // Exif: nothing written
    EXPECT_FALSE(std::filesystem::exists(dst2));
    EXPECT_EQ(ImageFormat_Check(in_work("missing.jpg").c_str(), dst2.c_str()), 0);
    // A conversion refused for disk space is a failure here, not a nonzero "success".
    setenv("VOK_TEST_FREE_BYTES", "1", 1);
    EXPECT_EQ(ImageFormat_Check(plain.c_str(), dst2.c_str()), 0);
}

TEST_F(WriteTest, JpegFromBitmapCarriesTheTemplateAndThumbnail) {
    Bytes dib = pattern_dib(300, 200);
    VokImgBlock block = view_of(dib);
    std::string dst = in_work("from-dib.jpg");
    ASSERT_EQ(VokImg_Jpeg_CreateAndSaveFromDIB(&block, dst.c_str(), nullptr, 0, 0), 1);
    ImageInfo info = info_of(dst);
    EXPECT_EQ(info.width, 300u);
    EXPECT_EQ(info.height, 200u);
    EXPECT_EQ(info.thumbnail.width, 160u);
    EXPECT_TRUE(VokImg_IsCameraReady(dst.c_str()));
    uint64_t large = VokGetFileSize(dst.c_str());

    // The small form lowers the quality until the main image fits 15,360 bytes less the
    // thumbnail, or quality 5 is reached.
    Bytes big = pattern_dib(512, 384);
    for (size_t i = 40; i < big.size(); ++i) // detail that needs a lower quality to fit
        big[i] = uint8_t((i - 40) % 1536 / 8 + ((i * 7919) % 13) * 3);
    VokImgBlock bigBlock = view_of(big);
    std::string small = in_work("small.jpg");
    ASSERT_EQ(VokImg_Jpeg_CreateAndSaveFromDIB(&bigBlock, small.c_str(), nullptr, 0, 1), 1);
    Bytes out = imgtest::read_file(small);
    Bytes thumb = thumbnail_of(out);
    ASSERT_FALSE(thumb.empty());
    size_t mainSize = out.size() - 2 - app1(out).size(); // the main image without its SOI
    EXPECT_LE(mainSize + thumb.size(), 15360u);
    EXPECT_GT(first_quant(out), 8) << mainSize; // a lower quality than 75
    EXPECT_GT(large, 0u);

    // A 16-bit bitmap is not a form the library reads.
    Bytes bad = dib;
    bad[14] = 16;
    VokImgBlock badBlock = view_of(bad);
    EXPECT_EQ(
        VokImg_Jpeg_CreateAndSaveFromDIB(&badBlock, in_work("bad.jpg").c_str(), nullptr, 0, 0), 0);
    EXPECT_FALSE(std::filesystem::exists(in_work("bad.jpg")));
}

// libjpeg only warns about a stream cut short or a damaged last segment and shows the
// missing part grey; the library decodes such files as libjpeg's own programs do.
TEST_F(WriteTest, CutOrDamagedScansDecodeWithGreyRows) {
    Bytes jpeg = make_jpeg(320, 240, with(Sampling::S2x1));
    Bytes cut(jpeg.begin(), jpeg.begin() + long(jpeg.size() * 2 / 3));
    // Garbage over the scan's last bytes (no FF, so no marker); the end marker stays.
    Bytes damaged = jpeg;
    for (size_t i = damaged.size() - 400; i + 2 < damaged.size(); ++i)
        damaged[i] = uint8_t(i * 37 & 0x7F);
    for (const Bytes* source : std::initializer_list<const Bytes*>{&cut, &damaged}) {
        std::string src = put_work("src.jpg", *source);
        std::string bmp = in_work("out.bmp");
        ASSERT_EQ(jpg2bmp(src.c_str(), bmp.c_str(), 0), 1);
        BlockPtr dib(VokImg_ReadBmpFile(bmp.c_str()));
        ASSERT_TRUE(dib);
        EXPECT_EQ(GetLe32(dib.get()->data + 4), 320u);
        EXPECT_EQ(GetLe32(dib.get()->data + 8), 240u);
        const unsigned char* last = dib_pixel(dib.get(), 300, 239);
        EXPECT_NEAR(last[0], 128, 2);
        EXPECT_NEAR(last[1], 128, 2);
        EXPECT_NEAR(last[2], 128, 2);
        EXPECT_EQ(jpg2bmp(src.c_str(), bmp.c_str(), 256), 1);

        std::string dst = in_work("camera.jpg");
        ASSERT_EQ(ChangeFormatToExifAndSave(src.c_str(), dst.c_str(), nullptr, 0), 1);
        EXPECT_EQ(info_of(dst).width, 320u);
        ASSERT_EQ(ChangeFormatToExifAndSave_Size(src.c_str(), dst.c_str(), nullptr, 0, 160, 120),
                  1);
        EXPECT_EQ(info_of(dst).width, 160u);
    }
    // The preview takes a JPEG whose end marker is there.
    char path[VOK_MAX_PATH];
    std::snprintf(path, sizeof path, "%s", put_work("damaged.jpg", damaged).c_str());
    EXPECT_EQ(VokDIB_GetPrevFile(nullptr, path, in_work("preview.bmp").c_str()), 1);
    EXPECT_EQ(std::string(path), in_work("preview.bmp"));
}

TEST_F(WriteTest, FatalCodecErrorsLeaveDestinationAndTempFolderAlone) {
    std::string dst = put_work("dst.jpg", {'o', 'l', 'd'});
    Bytes jpeg = make_jpeg(320, 240, with(Sampling::S2x1));
    // Cut before the scan: no picture at all.
    size_t scan = jpeg.size() - scan_data(jpeg).size();
    Bytes header(jpeg.begin(), jpeg.begin() + long(scan));
    std::string src = put_work("cut.jpg", header);
    // A Huffman table whose code counts add up to more than 256 codes.
    Bytes table = jpeg;
    for (const Segment& s : segments(jpeg))
        if (s.marker == 0xC4) {
            for (size_t i = s.at + 5; i < s.at + 5 + 16; ++i)
                table[i] = 0xFF;
            break;
        }
    std::string src2 = put_work("table.jpg", table);
    auto before = list_folder(tmp_);
    auto workBefore = list_folder(work_);
    for (const std::string& bad : {src, src2}) {
        EXPECT_EQ(ChangeFormatToExifAndSave(bad.c_str(), dst.c_str(), nullptr, 0), 0) << bad;
        EXPECT_EQ(ChangeFormatToExifAndSave_Size(bad.c_str(), dst.c_str(), nullptr, 0, 160, 120),
                  0);
        EXPECT_EQ(jpg2bmp(bad.c_str(), in_work("x.bmp").c_str(), 0), 0);
    }
    EXPECT_EQ(imgtest::read_file(dst), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(list_folder(tmp_), before);
    EXPECT_EQ(list_folder(work_), workBefore);
    // Not a JPEG at all.
    std::string text = put_work("text.jpg", {'h', 'e', 'l', 'l', 'o'});
    EXPECT_EQ(ChangeFormatToExifAndSave(text.c_str(), dst.c_str(), nullptr, 0), 0);
    EXPECT_EQ(ChangeFormatToExifAndSave(in_work("none.jpg").c_str(), dst.c_str(), nullptr, 0), 0);
    EXPECT_EQ(imgtest::read_file(dst), (Bytes{'o', 'l', 'd'}));
}

TEST_F(WriteTest, FullDiskGivesMinusOneAndKeepsTheOldFile) {
    std::string src = put_work("src.jpg", make_jpeg(320, 240, with(Sampling::S2x1)));
    std::string dst = put_work("dst.jpg", {'o', 'l', 'd'});
    setenv("VOK_TEST_FREE_BYTES", "0", 1);
    EXPECT_EQ(ChangeFormatToExifAndSave(src.c_str(), dst.c_str(), nullptr, 0), -1);
    setenv("VOK_TEST_FREE_BYTES", "2000", 1);
    EXPECT_EQ(ChangeFormatToExifAndSave_Size(src.c_str(), dst.c_str(), nullptr, 0, 0, 0), -1);
    EXPECT_EQ(imgtest::read_file(dst), (Bytes{'o', 'l', 'd'}));
    EXPECT_TRUE(list_folder(tmp_).empty());
    EXPECT_EQ(list_folder(work_), (std::set<std::string>{"dst.jpg", "src.jpg"}));
    // The file system's own free space, through statvfs, is plenty here.
    unsetenv("VOK_TEST_FREE_BYTES");
    EXPECT_EQ(CheckDiskFreeSpace(dst.c_str(), src.c_str()), 1);
    setenv("VOK_TEST_FREE_BYTES", "100", 1);
    EXPECT_EQ(CheckDiskFreeSpace(dst.c_str(), src.c_str()), 0);
    EXPECT_EQ(CheckDiskFreeSpace(dst.c_str(), in_work("missing").c_str()), 0);
}

TEST_F(WriteTest, FailedCopyAfterBackupPutsTheOldFileBack) {
    std::string src = put_work("src.jpg", make_jpeg(320, 240, with(Sampling::S2x1)));
    Bytes old(600, 'o');
    std::string dst = put_work("dst.jpg", old);
    // Files may grow to 4 KiB: the backup fits, the converted file does not.
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    int result = ChangeFormatToExifAndSave(src.c_str(), dst.c_str(), nullptr, 0);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(imgtest::read_file(dst), old);
    EXPECT_TRUE(list_folder(tmp_).empty());
    EXPECT_EQ(list_folder(work_), (std::set<std::string>{"dst.jpg", "src.jpg"}));
    // Without the limit the same conversion succeeds and leaves no temporary files.
    ASSERT_EQ(ChangeFormatToExifAndSave(src.c_str(), dst.c_str(), nullptr, 0), 1);
    EXPECT_TRUE(list_folder(tmp_).empty());
    EXPECT_EQ(list_folder(work_), (std::set<std::string>{"dst.jpg", "src.jpg"}));
}

TEST_F(WriteTest, BackupAndRestoreOfADestination) {
    std::string dst = put_work("keep.txt", {'o', 'l', 'd'});
    char backup[VOK_MAX_PATH];
    ASSERT_EQ(Vok_SaveOrgFileData(dst.c_str(), backup), 1);
    ASSERT_NE(backup[0], '\0');
    EXPECT_EQ(std::string(backup).rfind(tmp_ + "/VOK", 0), 0u) << backup;
    ASSERT_TRUE(imgtest::write_file(dst, {'h', 'a', 'l'})); // a half-written copy
    EXPECT_EQ(Vok_RestoreKeepFile(backup, dst.c_str(), 0), 1);
    EXPECT_EQ(backup[0], '\0');
    EXPECT_EQ(imgtest::read_file(dst), (Bytes{'o', 'l', 'd'}));
    EXPECT_TRUE(list_folder(tmp_).empty());

    ASSERT_EQ(Vok_SaveOrgFileData(dst.c_str(), backup), 1);
    ASSERT_TRUE(imgtest::write_file(dst, {'n', 'e', 'w'}));
    EXPECT_EQ(Vok_RestoreKeepFile(backup, dst.c_str(), 1), 1);
    EXPECT_EQ(imgtest::read_file(dst), (Bytes{'n', 'e', 'w'}));
    EXPECT_TRUE(list_folder(tmp_).empty());

    // No file: an empty backup name, nothing to restore.
    ASSERT_EQ(Vok_SaveOrgFileData(in_work("none").c_str(), backup), 1);
    EXPECT_EQ(backup[0], '\0');
    EXPECT_EQ(Vok_RestoreKeepFile(backup, in_work("none").c_str(), 0), 1);
    EXPECT_FALSE(std::filesystem::exists(in_work("none")));

    char name[VOK_MAX_PATH];
    ASSERT_EQ(GetTmpFile(name), 1);
    EXPECT_EQ(std::string(name).rfind(tmp_ + "/VOK", 0), 0u);
    EXPECT_EQ(VokGetFileSize(name), 0u);
    EXPECT_TRUE(std::filesystem::exists(name));
    EXPECT_EQ(DeleteTmpFile(name), 1);
    EXPECT_EQ(name[0], '\0');
    EXPECT_EQ(DeleteTmpFile(name), 1);
    EXPECT_TRUE(list_folder(tmp_).empty());
    EXPECT_EQ(VokGetFileSize(dst.c_str()), 3u);
    EXPECT_EQ(VokGetFileSize(in_work("none").c_str()), 0u);
}

TEST_F(WriteTest, ReplacingKeepsTheModeAndFollowsLinks) {
    std::string dst = put_work("dst.jpg", {'o', 'l', 'd'});
    std::filesystem::permissions(dst, std::filesystem::perms(0640));
    std::string link = in_work("link.jpg");
    std::filesystem::create_symlink(dst, link);
    std::string src = put_work("src.jpg", make_jpeg(64, 48));
    ASSERT_EQ(ChangeFormatToExifAndSave(src.c_str(), link.c_str(), nullptr, 0), 1);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_TRUE(VokImg_IsCameraReady(dst.c_str()));
    EXPECT_EQ(std::filesystem::status(dst).permissions() & std::filesystem::perms::all,
              std::filesystem::perms(0640));
}

TEST_F(WriteTest, MutatedInputsNeverReadOutsideTheirBytes) {
    // Random byte changes and cuts of a small JPEG and BMP through every parser of the
    // writing side; the sanitizer build turns any stray read into a failure.
    Bytes jpeg = make_jpeg(48, 32, with(Sampling::S2x1));
    Bytes bmp = imgtest::make_bmp(7, 5);
    uint32_t seed = 99;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    for (int round = 0; round < 600; ++round) {
        Bytes j = jpeg;
        Bytes b = bmp;
        for (int k = 0; k < 4; ++k) {
            j[next() % j.size()] = uint8_t(next());
            b[next() % b.size()] = uint8_t(next());
        }
        if (round % 3 == 0)
            j.resize(next() % j.size() + 1);
        if (round % 5 == 0)
            b.resize(next() % b.size() + 1);
        Bytes out;
        vokimg::strip_jpeg(j.data(), j.size(), &out);
        VokImg_FreeBlock(vokimg::decode_jpeg(j.data(), j.size(), round % 2 ? 0 : 16));
        VokImgBlock* dib = vokimg::bmp_from_bytes(b.data(), b.size());
        vokimg::DibView view;
        if (dib && vokimg::dib_view(dib, &view))
            VokImg_FreeBlock(vokimg::dib_to_24(view));
        VokImg_FreeBlock(dib);
    }
    SUCCEED();
}

TEST_F(WriteTest, ConvertingAFileOntoItself) {
    std::string path = put_work("self.jpg", make_jpeg(320, 240, with(Sampling::S2x1)));
    Bytes before = imgtest::read_file(path);
    ASSERT_EQ(ChangeFormatToExifAndSave(path.c_str(), path.c_str(), nullptr, 0), 1);
    Bytes after = imgtest::read_file(path);
    EXPECT_EQ(scan_data(after), scan_data(before));
    EXPECT_TRUE(VokImg_IsCameraReady(path.c_str()));
    // Once more: the Exif segment is replaced, not added.
    ASSERT_EQ(ChangeFormatToExifAndSave(path.c_str(), path.c_str(), nullptr, 0), 1);
    EXPECT_EQ(count_marker(imgtest::read_file(path), 0xE1), 1);
    EXPECT_EQ(list_folder(work_), (std::set<std::string>{"self.jpg"}));
}

TEST_F(WriteTest, FifoPathsFailInsteadOfWaitingForAWriter) {
    // A named pipe given as a picture, or as a destination to back up, has no writer: the
    // operations must fail at once. They run in a child that an alarm ends if one waits.
    std::string fifo = in_work("pipe.jpg");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string src = put_work("src.jpg", make_jpeg(64, 48, with(Sampling::S2x1)));
    std::string bmp = put_work("src.bmp", imgtest::make_bmp(8, 8));
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        alarm(20);
        VokRect r{};
        bool failedAll =
            ChangeFormatToExifAndSave(fifo.c_str(), in_work("a.jpg").c_str(), nullptr, 0) == 0 &&
            ChangeFormatToExifAndSave_Size(fifo.c_str(), in_work("b.jpg").c_str(), nullptr, 0, 0,
                                           0) == 0 &&
            jpg2bmp(fifo.c_str(), in_work("c.bmp").c_str(), 0) == 0 &&
            VokImg_Jpeg_ReadDIB(fifo.c_str()) == nullptr &&
            VokImg_ReadBmpFile(fifo.c_str()) == nullptr && GetJpegRect(fifo.c_str(), &r, &r) == 1 &&
            ChangeFormatToExifAndSave(src.c_str(), fifo.c_str(), nullptr, 0) == 0;
        _exit(failedAll ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status)) << "an operation waited on the pipe (signal "
                                   << (WIFSIGNALED(status) ? WTERMSIG(status) : 0) << ")";
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0);
    EXPECT_TRUE(list_folder(tmp_).empty());
    EXPECT_EQ(list_folder(work_), (std::set<std::string>{"pipe.jpg", "src.jpg", "src.bmp"}));
}

TEST_F(WriteTest, CameraReadyTestTakesItsBoundsInclusiveAndComparesWithoutCase) {
    std::string good = in_work("good.jpg");
    ASSERT_EQ(ChangeFormatToExifAndSave(put_work("src.jpg", make_jpeg(320, 240)).c_str(),
                                        good.c_str(), nullptr, 0),
              1);
    const Bytes file = imgtest::read_file(good);
    const size_t at = segments(file)[0].at; // the Exif APP1
    const uint32_t app1Size = uint32_t(app1(file).size());
    int variant = 0;
    // The file with some tags of its Exif block changed in place.
    auto changed = [&](std::initializer_list<std::pair<uint32_t, uint32_t>> numbers,
                       const char* index = nullptr) {
        Bytes copy = file;
        VokImgBlock block{copy.data() + at, app1Size};
        for (auto [tag, number] : numbers) {
            EXPECT_TRUE(ChangeExif_MemberData(&block, tag, nullptr, number, 1));
        }
        if (index) {
            EXPECT_TRUE(ChangeExif_MemberData(&block, 1, index, 0, 1));
        }
        return put_work("v" + std::to_string(++variant) + ".jpg", copy);
    };
    struct Case {
        uint32_t width, height;
        bool ready;
    } cases[] = {
        {64, 48, true},      {2048, 1536, true},  {63, 48, false},  {64, 47, false},
        {2049, 1536, false}, {2048, 1537, false}, {64, 1536, true}, {2048, 48, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        EXPECT_EQ(VokImg_IsCameraReady(changed({{40962, c.width}, {40963, c.height}}).c_str()),
                  c.ready ? 1 : 0);
    }
    EXPECT_EQ(VokImg_IsCameraReady(changed({}, "r98").c_str()), 1);
    EXPECT_EQ(VokImg_IsCameraReady(changed({}, "R99").c_str()), 0);

    // Without a thumbnail pointer (its entry renamed) the file is not ready.
    Bytes copy = file;
    uint32_t offset = 0, size = 0, type = 0;
    ASSERT_TRUE(ScanTargetTag(copy.data() + at + 10, 513, 0, app1Size - 10, &offset, &size, &type));
    copy[at + 10 + offset - 8] = 0x99; // the tag number two fields before an inline value
    std::string noThumb = put_work("nothumb.jpg", copy);
    ImageInfo info;
    std::memset(&info, 0, sizeof info);
    ASSERT_TRUE(Get_Exif_Info(noThumb.c_str(), &info));
    EXPECT_EQ(info.thumbnailState, uint32_t(VOK_IMG_NO_THUMBNAIL));
    EXPECT_EQ(VokImg_IsCameraReady(noThumb.c_str()), 0);
}

TEST(ImgWriteSizes, EveryBranchOfTheTwoSizeRules) {
    struct Case {
        uint32_t w, h, wantW, wantH;
    } thumbs[] = {
        {200, 199, 120, 120},                       // landscape whose height by width exceeds 120
        {170, 150, 136, 120}, {320, 240, 160, 120}, // landscape by width
        {500, 500, 120, 120},                       // square: by height
        {300, 400, 90, 120},                        // portrait by height
    };
    for (const Case& c : thumbs) {
        uint32_t w = 0, h = 0;
        vokimg::thumbnail_size(c.w, c.h, &w, &h);
        EXPECT_EQ(w, c.wantW) << c.w << " x " << c.h;
        EXPECT_EQ(h, c.wantH) << c.w << " x " << c.h;
    }
    struct Limited {
        uint32_t w, h, maxW, maxH, wantW, wantH, roundW, roundH;
    } sizes[] = {
        {800, 600, 320, 240, 320, 240, 320, 240}, // landscape by height
        {1000, 100, 320, 240, 320, 32, 320, 32},  // landscape, width bounded
        {400, 500, 320, 480, 320, 400, 320, 400}, // portrait by width
        {480, 640, 320, 240, 180, 240, 192, 240}, // portrait, height bounded
        {500, 500, 320, 240, 240, 240, 240, 240}, // square: by width, then bounded
        {100, 75, 0, 240, 100, 75, 112, 80},      // one zero limit: no scaling
    };
    for (const Limited& c : sizes) {
        SCOPED_TRACE(testing::Message()
                     << c.w << " x " << c.h << " in " << c.maxW << " x " << c.maxH);
        uint32_t w = 0, h = 0, rw = 0, rh = 0;
        vokimg::adjust_size(c.w, c.h, c.maxW, c.maxH, &w, &h, &rw, &rh);
        EXPECT_EQ(w, c.wantW);
        EXPECT_EQ(h, c.wantH);
        EXPECT_EQ(rw, c.roundW);
        EXPECT_EQ(rh, c.roundH);
    }
}
