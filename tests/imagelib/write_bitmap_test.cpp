/* Bitmaps: BMP files read (40- and 12-byte headers, top-down rows, refused forms) and
 * written, JPEG decoding with and without colour quantisation, the camera's size rule,
 * and TIFF files written from bitmaps read back byte by byte. */
#include "img_write.h"
#include "write_helpers.h"

using namespace imgw;

namespace {

// An 8-bit BMP with the 12-byte header and a palette of three-byte entries.
Bytes core_bmp_8bit() {
    const uint32_t width = 5, height = 3, stride = 8;
    const uint32_t offBits = 14 + 12 + 256 * 3;
    Bytes b = {'B', 'M'};
    vokc::Append32(b, offBits + stride * height, false);
    vokc::Append32(b, 0, false);
    vokc::Append32(b, offBits, false);
    vokc::Append32(b, 12, false);
    vokc::Append16(b, width, false);
    vokc::Append16(b, height, false);
    vokc::Append16(b, 1, false);
    vokc::Append16(b, 8, false);
    for (uint32_t i = 0; i < 256; ++i) {
        b.push_back(uint8_t(i));       // blue
        b.push_back(uint8_t(255 - i)); // green
        b.push_back(uint8_t(i / 2));   // red
    }
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < stride; ++x)
            b.push_back(uint8_t(x < width ? y * 10 + x : 0));
    }
    return b;
}

} // namespace

TEST_F(WriteTest, BmpFilesRoundTripThroughSaveThumbNail) {
    Bytes dib = pattern_dib(37, 11);
    VokImgBlock block = view_of(dib);
    std::string path = in_work("a.bmp");
    ASSERT_EQ(SaveThumbNail(&block, path.c_str()), 1);
    Bytes file = imgtest::read_file(path);
    ASSERT_EQ(file.size(), dib.size() + 14);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(GetLe32(file.data() + 2), dib.size() + 14);
    EXPECT_EQ(GetLe32(file.data() + 6), 0u);
    EXPECT_EQ(GetLe32(file.data() + 10), 14u + 40u);
    EXPECT_EQ(0, std::memcmp(file.data() + 14, dib.data(), dib.size()));
    BlockPtr back(VokImg_ReadBmpFile(path.c_str()));
    ASSERT_TRUE(back);
    ASSERT_EQ(back.get()->size, dib.size());
    EXPECT_EQ(0, std::memcmp(back.get()->data, dib.data(), dib.size()));
    uint32_t h = 0, w = 0;
    EXPECT_EQ(GetImageDimension(back.get(), &h, &w), 1);
    EXPECT_EQ(h, 11u);
    EXPECT_EQ(w, 37u);
    EXPECT_EQ(GetImageDimension(nullptr, &h, &w), 0);
    EXPECT_EQ(h, 0u);
    EXPECT_EQ(w, 0u);
}

TEST_F(WriteTest, CoreHeaderAndTopDownBmpsBecomeTheUsualForm) {
    std::string core = put_work("core.bmp", core_bmp_8bit());
    BlockPtr dib(VokImg_ReadBmpFile(core.c_str()));
    ASSERT_TRUE(dib);
    const unsigned char* h = dib.get()->data;
    EXPECT_EQ(GetLe32(h), 40u);
    EXPECT_EQ(GetLe32(h + 4), 5u);
    EXPECT_EQ(GetLe32(h + 8), 3u);
    EXPECT_EQ(GetLe16(h + 14), 8u);
    // Palette entries widened to four bytes.
    EXPECT_EQ(h[40 + 4 * 7], 7);
    EXPECT_EQ(h[40 + 4 * 7 + 1], 248);
    EXPECT_EQ(h[40 + 4 * 7 + 2], 3);
    EXPECT_EQ(h[40 + 4 * 7 + 3], 0);
    EXPECT_EQ(h[40 + 1024 + 8 + 2], 12); // second stored row, third pixel
    // Through the palette into 24 bits.
    vokimg::DibView view;
    ASSERT_TRUE(vokimg::dib_view(dib.get(), &view));
    BlockPtr full(vokimg::dib_to_24(view));
    ASSERT_TRUE(full);
    const unsigned char* p = dib_pixel(full.get(), 2, 1); // index 12
    EXPECT_EQ(p[0], 12);
    EXPECT_EQ(p[1], 243);
    EXPECT_EQ(p[2], 6);

    Bytes topDown = imgtest::make_bmp(4, 3, false, true);
    Bytes bottomUp = imgtest::make_bmp(4, 3, false, false);
    // Different rows, so that the order shows.
    for (int row = 0; row < 3; ++row) {
        topDown[54 + size_t(row) * 12] = uint8_t(row);
        bottomUp[54 + size_t(2 - row) * 12] = uint8_t(row);
    }
    BlockPtr a(VokImg_ReadBmpFile(put_work("td.bmp", topDown).c_str()));
    BlockPtr b(VokImg_ReadBmpFile(put_work("bu.bmp", bottomUp).c_str()));
    ASSERT_TRUE(a && b);
    ASSERT_EQ(a.get()->size, b.get()->size);
    EXPECT_EQ(0, std::memcmp(a.get()->data, b.get()->data, a.get()->size));
    BlockPtr core24(VokImg_ReadBmpFile(put_work("c24.bmp", imgtest::make_bmp(6, 2, true)).c_str()));
    ASSERT_TRUE(core24);
    EXPECT_EQ(GetLe32(core24.get()->data), 40u);
}

TEST_F(WriteTest, BrokenBmpFilesAreRefused) {
    Bytes good = imgtest::make_bmp(8, 8);
    EXPECT_FALSE(VokImg_ReadBmpFile(in_work("none.bmp").c_str()));
    Bytes truncated(good.begin(), good.end() - 10);
    EXPECT_FALSE(VokImg_ReadBmpFile(put_work("t.bmp", truncated).c_str()));
    Bytes rle = good;
    rle[14 + 16] = 1; // BI_RLE8
    EXPECT_FALSE(VokImg_ReadBmpFile(put_work("rle.bmp", rle).c_str()));
    Bytes zero = good;
    std::memset(zero.data() + 18, 0, 4);
    EXPECT_FALSE(VokImg_ReadBmpFile(put_work("zero.bmp", zero).c_str()));
    Bytes huge = good;
    vokc::Append32(huge, 0, false);
    huge[18] = 0xFF;
    huge[19] = 0xFF;
    huge[20] = 0xFF;
    huge[21] = 0x7F;
    EXPECT_FALSE(VokImg_ReadBmpFile(put_work("huge.bmp", huge).c_str()));
    Bytes header = good;
    header[14] = 20; // no such header size
    EXPECT_FALSE(VokImg_ReadBmpFile(put_work("h.bmp", header).c_str()));
    EXPECT_FALSE(VokImg_ReadBmpFile(put_work("j.bmp", imgtest::make_jpeg(8, 8)).c_str()));
}

TEST_F(WriteTest, Jpg2bmpWritesFullColourOrQuantised) {
    std::string src = put_work("src.jpg", imgtest::make_jpeg(120, 90));
    std::string full = in_work("full.bmp");
    ASSERT_EQ(jpg2bmp(src.c_str(), full.c_str(), 0), 1);
    BlockPtr dib(VokImg_ReadBmpFile(full.c_str()));
    ASSERT_TRUE(dib);
    EXPECT_EQ(GetLe16(dib.get()->data + 14), 24u);
    EXPECT_EQ(GetLe32(dib.get()->data + 4), 120u);
    EXPECT_EQ(GetLe32(dib.get()->data + 8), 90u);

    std::string few = in_work("few.bmp");
    ASSERT_EQ(jpg2bmp(src.c_str(), few.c_str(), 16), 1);
    BlockPtr q(VokImg_ReadBmpFile(few.c_str()));
    ASSERT_TRUE(q);
    const unsigned char* h = q.get()->data;
    EXPECT_EQ(GetLe16(h + 14), 8u);
    uint32_t colors = GetLe32(h + 32);
    EXPECT_GE(colors, 2u);
    EXPECT_LE(colors, 16u);
    uint32_t stride = (120 + 3) & ~3u;
    const unsigned char* pixels = h + 40 + 4 * colors;
    for (uint32_t y = 0; y < 90; ++y) {
        for (uint32_t x = 0; x < 120; ++x)
            ASSERT_LT(pixels[y * stride + x], colors);
    }
    // libjpeg cannot quantise a colour picture to fewer than eight colours: refused up front,
    // and the earlier file stays as it was.
    const std::string before = voktest::ReadFile(few);
    for (int tooFew = 1; tooFew < 8; ++tooFew)
        EXPECT_EQ(jpg2bmp(src.c_str(), few.c_str(), tooFew), 0) << tooFew;
    EXPECT_EQ(jpg2bmp(src.c_str(), few.c_str(), 257), 0);
    EXPECT_EQ(voktest::ReadFile(few), before);
    EXPECT_EQ(jpg2bmp(in_work("missing.jpg").c_str(), few.c_str(), 0), 0);
    // The JPEG's pixels come through the decoder unchanged.
    BlockPtr direct(VokImg_Jpeg_ReadDIB(src.c_str()));
    ASSERT_TRUE(direct);
    EXPECT_EQ(0, std::memcmp(direct.get()->data + 40, dib.get()->data + 40, dib.get()->size - 40));
}

TEST_F(WriteTest, ScaledJpegDecodingCoversTheWantedSizeAndTellsTheFullOne) {
    const std::string src = put_work("big.jpg", imgtest::make_jpeg(2048, 1536));
    uint32_t w = 0, h = 0, dw = 0, dh = 0;
    BlockPtr eighth(VokImg_Jpeg_ReadScaledDIB(src.c_str(), 96, 72, &w, &h));
    ASSERT_TRUE(eighth);
    EXPECT_EQ(w, 2048u);
    EXPECT_EQ(h, 1536u);
    ASSERT_EQ(GetImageDimension(eighth.get(), &dh, &dw), 1);
    EXPECT_EQ(dw, 256u);
    EXPECT_EQ(dh, 192u);
    BlockPtr half(VokImg_Jpeg_ReadScaledDIB(src.c_str(), 1000, 72, nullptr, nullptr));
    ASSERT_TRUE(half);
    GetImageDimension(half.get(), &dh, &dw);
    EXPECT_EQ(dw, 1024u);
    // A picture smaller than the wanted size comes whole; broken files give nothing.
    const std::string small = put_work("small.jpg", imgtest::make_jpeg(40, 30));
    BlockPtr whole(VokImg_Jpeg_ReadScaledDIB(small.c_str(), 96, 72, &w, &h));
    ASSERT_TRUE(whole);
    GetImageDimension(whole.get(), &dh, &dw);
    EXPECT_EQ(dw, 40u);
    EXPECT_EQ(w, 40u);
    w = h = 7;
    EXPECT_FALSE(VokImg_Jpeg_ReadScaledDIB(in_work("none.jpg").c_str(), 96, 72, &w, &h));
    EXPECT_EQ(w, 0u);
    EXPECT_EQ(h, 0u);
    EXPECT_FALSE(VokImg_Jpeg_ReadScaledDIB(
        put_work("bmp.jpg", imgtest::make_bmp(8, 8, false)).c_str(), 96, 72, nullptr, nullptr));
}

TEST_F(WriteTest, AdjustSizeRoundsUpAndCentresWithoutLimits) {
    Bytes src = pattern_dib(100, 75);
    VokImgBlock block = view_of(src);
    BlockPtr out(CreateAdjustSizeToDSC(&block, 75, 100, 0, 0));
    ASSERT_TRUE(out);
    uint32_t h = 0, w = 0;
    GetImageDimension(out.get(), &h, &w);
    EXPECT_EQ(w, 112u);
    EXPECT_EQ(h, 80u);
    const unsigned char black[3] = {0, 0, 0};
    EXPECT_EQ(0, std::memcmp(dib_pixel(out.get(), 0, 0), black, 3));
    EXPECT_EQ(0, std::memcmp(dib_pixel(out.get(), 5, 40), black, 3));
    EXPECT_EQ(0, std::memcmp(dib_pixel(out.get(), 111, 79), black, 3));
    EXPECT_EQ(0, std::memcmp(dib_pixel(out.get(), 50, 1), black, 3));
    // The picture starts at (6, 2).
    EXPECT_EQ(0, std::memcmp(dib_pixel(out.get(), 6, 2), dib_pixel(&block, 0, 0), 3));
    EXPECT_EQ(0, std::memcmp(dib_pixel(out.get(), 105, 76), dib_pixel(&block, 99, 74), 3));

    // With limits: landscape by height, portrait by width, each then bounded by the other.
    uint32_t sw, sh, rw, rh;
    vokimg::adjust_size(640, 480, 320, 240, &sw, &sh, &rw, &rh);
    EXPECT_EQ(rw, 320u);
    EXPECT_EQ(rh, 240u);
    vokimg::adjust_size(480, 640, 320, 240, &sw, &sh, &rw, &rh);
    EXPECT_EQ(sw, 180u);
    EXPECT_EQ(rw, 192u);
    EXPECT_EQ(rh, 240u);
    vokimg::adjust_size(1000, 100, 320, 240, &sw, &sh, &rw, &rh);
    EXPECT_EQ(sw, 320u);
    EXPECT_EQ(sh, 32u);
    vokimg::adjust_size(3000, 1, 640, 480, &sw, &sh, &rw, &rh);
    EXPECT_EQ(sh, 1u);
    EXPECT_EQ(rh, 8u);
    Bytes big = pattern_dib(640, 480);
    VokImgBlock bigBlock = view_of(big);
    BlockPtr scaled(CreateAdjustSizeToDSC(&bigBlock, 480, 640, 320, 240));
    ASSERT_TRUE(scaled);
    GetImageDimension(scaled.get(), &h, &w);
    EXPECT_EQ(w, 320u);
    EXPECT_EQ(h, 240u);
    EXPECT_EQ(0, std::memcmp(dib_pixel(scaled.get(), 0, 0), dib_pixel(&bigBlock, 0, 0), 3));
    // A size that does not match the bitmap is refused.
    EXPECT_FALSE(CreateAdjustSizeToDSC(&bigBlock, 480, 641, 320, 240));
}

TEST_F(WriteTest, TiffFileHoldsTheBitmapsPixelsTopDown) {
    Bytes dib = pattern_dib(33, 21);
    VokImgBlock block = view_of(dib);
    std::string path = in_work("a.tif");
    ASSERT_EQ(VokImg_Tiff_CreateTiffAndSave(&block, path.c_str(), nullptr, 0), 1);
    Bytes file = imgtest::read_file(path);
    ASSERT_EQ(file.size(), 330u + 33u * 21u * 3u);
    for (uint32_t y = 0; y < 21; ++y) {
        for (uint32_t x = 0; x < 33; ++x) {
            const unsigned char* p = dib_pixel(&block, x, y);
            const unsigned char* t = file.data() + 330 + (y * 33 + x) * 3;
            ASSERT_EQ(t[0], p[2]);
            ASSERT_EQ(t[1], p[1]);
            ASSERT_EQ(t[2], p[0]);
        }
    }
    // The reading side finds the fields; it asks for an interoperability index that a
    // TIFF written here does not carry.
    ImageInfo info;
    std::memset(&info, 0, sizeof info);
    EXPECT_EQ(VokImg_Tiff_GetTagInfo(path.c_str(), &info), 0);
    EXPECT_EQ(info.width, 33u);
    EXPECT_EQ(info.height, 21u);
    EXPECT_EQ(info.compression, 1u);
    EXPECT_EQ(info.photometric, 2u);
    EXPECT_STREQ(info.make, "Quintaral");
    EXPECT_STREQ(info.exifVersion, "0210");
    EXPECT_EQ(IsImageFileType(path.c_str()), VOK_IMG_KIND_TIFF);

    // Overrides as for Exif: Model replaced.
    ExifTagEntry model;
    SetExifStructInfoMember(&model, 272, 2, 6, 0, 0, "RT70 ");
    ASSERT_EQ(VokImg_Tiff_CreateTiffAndSave(&block, path.c_str(), &model, 1), 1);
    std::memset(&info, 0, sizeof info);
    VokImg_Tiff_GetTagInfo(path.c_str(), &info);
    EXPECT_STREQ(info.model, "RT70 ");
    EXPECT_EQ(imgtest::read_file(path).size(), 326u + 33u * 21u * 3u);
    EXPECT_EQ(VokImg_Tiff_CreateTiffAndSave(nullptr, path.c_str(), nullptr, 0), 0);
}

TEST(ImgWriteCodec, SamplingTextIsParsedByTheLibrary) {
    int h[3] = {};
    int v[3] = {};
    ASSERT_TRUE(vokimg::parse_sampling("2x1,1x1,1x1", h, v));
    EXPECT_EQ(h[0], 2);
    EXPECT_EQ(v[0], 1);
    EXPECT_EQ(h[2], 1);
    ASSERT_TRUE(vokimg::parse_sampling("2X2,1x1,1x1", h, v));
    EXPECT_EQ(v[0], 2);
    EXPECT_FALSE(vokimg::parse_sampling("2x1,1x1", h, v));
    EXPECT_FALSE(vokimg::parse_sampling("2x1,1x1,1x1,", h, v));
    EXPECT_FALSE(vokimg::parse_sampling("5x1,1x1,1x1", h, v));
    EXPECT_FALSE(vokimg::parse_sampling("2x0,1x1,1x1", h, v));
    EXPECT_FALSE(vokimg::parse_sampling("", h, v));
    EXPECT_FALSE(vokimg::parse_sampling(nullptr, h, v));
    // A bitmap compressed with a sampling the text does not allow is refused.
    Bytes dib = pattern_dib(16, 8);
    VokImgBlock block = view_of(dib);
    vokimg::DibView view;
    ASSERT_TRUE(vokimg::dib_view(&block, &view));
    Bytes out;
    EXPECT_FALSE(vokimg::encode_dib(view, 75, "2x1;1x1;1x1", &out));
    ASSERT_TRUE(vokimg::encode_dib(view, 75, "2x2,1x1,1x1", &out));
    JpegFrameInfo f{};
    ASSERT_TRUE(Get_Jpeg_Info(out.data(), uint32_t(out.size()), &f));
    EXPECT_EQ(f.sampling[0], 2u);
    EXPECT_EQ(f.sampling[1], 2u);
    EXPECT_EQ(count_marker(out, 0xE0), 0); // no JFIF segment from the encoder
}

namespace {

struct ProgressLog {
    std::vector<uint32_t> done;
    uint32_t rows = 0;
    size_t stopAfter = SIZE_MAX;
};

int log_progress(void* context, uint32_t rowsDone, uint32_t rows) {
    auto* log = static_cast<ProgressLog*>(context);
    log->done.push_back(rowsDone);
    log->rows = rows;
    return log->done.size() < log->stopAfter ? 1 : 0;
}

void expect_climbs_to(const ProgressLog& log, uint32_t rows) {
    ASSERT_FALSE(log.done.empty());
    EXPECT_EQ(log.rows, rows);
    for (size_t i = 1; i < log.done.size(); ++i)
        EXPECT_GT(log.done[i], log.done[i - 1]);
    EXPECT_EQ(log.done.back(), rows);
}

} // namespace

TEST_F(WriteTest, CodingWithProgressReportsRowsAndStopsOnRequest) {
    Bytes jpeg = imgtest::make_jpeg(96, 70);
    std::string src = put_work("src.jpg", jpeg);
    ProgressLog decodeLog;
    VokImgBlock* raw = nullptr;
    ASSERT_EQ(VokImg_Jpeg_ReadDIBProgress(src.c_str(), &raw, log_progress, &decodeLog),
              VOK_IMG_CODEC_DONE);
    BlockPtr decoded(raw);
    expect_climbs_to(decodeLog, 70);
    BlockPtr plain(VokImg_Jpeg_ReadDIB(src.c_str()));
    ASSERT_TRUE(plain);
    ASSERT_EQ(plain.get()->size, decoded.get()->size);
    EXPECT_EQ(0, std::memcmp(plain.get()->data, decoded.get()->data, plain.get()->size));

    // Compressed with the camera's sampling, read back by the library and by ImageMagick.
    std::string dst = in_work("out.jpg");
    ProgressLog encodeLog;
    ASSERT_EQ(VokImg_Jpeg_SaveDIBProgress(decoded.get(), dst.c_str(), 75, "2x1,1x1,1x1",
                                          log_progress, &encodeLog),
              VOK_IMG_CODEC_DONE);
    expect_climbs_to(encodeLog, 70);
    Bytes out = imgtest::read_file(dst);
    bool sawFrame = false;
    for (const Segment& s : segments(out)) {
        if (s.marker != 0xC0)
            continue;
        sawFrame = true;
        ASSERT_EQ(out[s.at + 9], 3);
        EXPECT_EQ(out[s.at + 11], 0x21);
        EXPECT_EQ(out[s.at + 14], 0x11);
        EXPECT_EQ(out[s.at + 17], 0x11);
    }
    EXPECT_TRUE(sawFrame);
    BlockPtr back(VokImg_Jpeg_ReadDIB(dst.c_str()));
    ASSERT_TRUE(back);
    EXPECT_NEAR(dib_pixel(back.get(), 90, 60)[2], dib_pixel(decoded.get(), 90, 60)[2], 12);
    if (HaveTool("identify")) {
        ProgramRun id =
            RunShell("identify -format '%w %h %[jpeg:sampling-factor]' " + ShellQuote(dst), dir_);
        EXPECT_EQ(id.out, "96 70 2x1,1x1,1x1");
    }
    // An 8-bit bitmap is compressed from its colours.
    BlockPtr few(VokDIB_Reduce256(decoded.get()));
    ASSERT_TRUE(few);
    EXPECT_EQ(VokImg_Jpeg_SaveDIBProgress(few.get(), in_work("few.jpg").c_str(), 50, "2x1,1x1,1x1",
                                          nullptr, nullptr),
              VOK_IMG_CODEC_DONE);

    // A stop asked for by the callback leaves no bitmap and no file; an older file stays.
    ProgressLog stop;
    stop.stopAfter = 3;
    raw = decoded.get();
    EXPECT_EQ(VokImg_Jpeg_ReadDIBProgress(src.c_str(), &raw, log_progress, &stop),
              VOK_IMG_CODEC_CANCELLED);
    EXPECT_EQ(raw, nullptr);
    EXPECT_EQ(stop.done.size(), 3u);
    stop.done.clear();
    std::string fresh = in_work("fresh.jpg");
    EXPECT_EQ(VokImg_Jpeg_SaveDIBProgress(decoded.get(), fresh.c_str(), 75, "2x1,1x1,1x1",
                                          log_progress, &stop),
              VOK_IMG_CODEC_CANCELLED);
    EXPECT_FALSE(std::filesystem::exists(fresh));
    const std::string before = voktest::ReadFile(dst);
    stop.done.clear();
    EXPECT_EQ(VokImg_Jpeg_SaveDIBProgress(decoded.get(), dst.c_str(), 75, "2x1,1x1,1x1",
                                          log_progress, &stop),
              VOK_IMG_CODEC_CANCELLED);
    EXPECT_EQ(voktest::ReadFile(dst), before);
    EXPECT_EQ(list_folder(work_), (std::set<std::string>{"src.jpg", "out.jpg", "few.jpg"}));

    // Bad arguments are refused before anything is written.
    EXPECT_EQ(
        VokImg_Jpeg_SaveDIBProgress(decoded.get(), fresh.c_str(), 75, "2x1", nullptr, nullptr),
        VOK_IMG_CODEC_CANNOT_OPEN);
    EXPECT_EQ(VokImg_Jpeg_SaveDIBProgress(decoded.get(), fresh.c_str(), 0, "2x1,1x1,1x1", nullptr,
                                          nullptr),
              VOK_IMG_CODEC_CANNOT_OPEN);
    EXPECT_EQ(
        VokImg_Jpeg_SaveDIBProgress(nullptr, fresh.c_str(), 75, "2x1,1x1,1x1", nullptr, nullptr),
        VOK_IMG_CODEC_CANNOT_OPEN);
    EXPECT_EQ(VokImg_Jpeg_ReadDIBProgress(src.c_str(), nullptr, nullptr, nullptr),
              VOK_IMG_CODEC_CANNOT_OPEN);
    EXPECT_FALSE(std::filesystem::exists(fresh));
}

// The result tells a file the decoder cannot start on from one that fails while its rows are
// decoded; a cut scan only warns and decodes in full.
TEST_F(WriteTest, DecodingWithProgressTellsWhereItFailed) {
    Bytes jpeg = imgtest::make_jpeg(64, 48);
    VokImgBlock* raw = nullptr;
    EXPECT_EQ(VokImg_Jpeg_ReadDIBProgress(in_work("missing.jpg").c_str(), &raw, nullptr, nullptr),
              VOK_IMG_CODEC_CANNOT_OPEN);
    EXPECT_EQ(VokImg_Jpeg_ReadDIBProgress(put_work("not.jpg", {'B', 'M', 0, 0}).c_str(), &raw,
                                          nullptr, nullptr),
              VOK_IMG_CODEC_CANNOT_OPEN);
    EXPECT_EQ(raw, nullptr);

    Bytes cut(jpeg.begin(), jpeg.begin() + long(jpeg.size() * 2 / 3));
    ProgressLog log;
    ASSERT_EQ(
        VokImg_Jpeg_ReadDIBProgress(put_work("cut.jpg", cut).c_str(), &raw, log_progress, &log),
        VOK_IMG_CODEC_DONE);
    BlockPtr cutDib(raw);
    expect_climbs_to(log, 48);

    // A second frame header after the scan is fatal once every row has been decoded.
    Bytes twice(jpeg.begin(), jpeg.end() - 2);
    for (const Segment& s : segments(jpeg))
        if (s.marker == 0xC0)
            twice.insert(twice.end(), jpeg.begin() + long(s.at),
                         jpeg.begin() + long(s.at + s.size));
    twice.push_back(0xFF);
    twice.push_back(0xD9);
    raw = nullptr;
    EXPECT_EQ(
        VokImg_Jpeg_ReadDIBProgress(put_work("twice.jpg", twice).c_str(), &raw, nullptr, nullptr),
        VOK_IMG_CODEC_FAILED);
    EXPECT_EQ(raw, nullptr);
    EXPECT_FALSE(BlockPtr(VokImg_Jpeg_ReadDIB(in_work("twice.jpg").c_str())));
}
