/* The demo card and the command line of rt70sim: every demo file is what it claims to
 * be (JPEG sizes and samplings with an Exif block, TIFF, a movie that FFmpeg reads, WAV),
 * and the options parse into the camera's settings. */
#include "sim_test_util.h"

#include "demo_card.h"
#include "jpeg_util.h"
#include "options.h"
#include "tiff_read.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

using namespace simtest;

namespace {

struct JpegFacts {
    int width = 0, height = 0, lumaH = 0, lumaV = 0;
    std::string exif; // the APP1 payload
};

/* Walks the markers up to the frame header. */
JpegFacts jpegFacts(const Bytes& j) {
    JpegFacts f;
    size_t i = 2;
    while (i + 4 <= j.size() && j[i] == 0xFF) {
        const uint8_t marker = j[i + 1];
        const size_t length = static_cast<size_t>(j[i + 2] << 8 | j[i + 3]);
        if (i + 2 + length > j.size())
            break;
        if (marker == 0xE1)
            f.exif.assign(j.begin() + static_cast<long>(i + 4),
                          j.begin() + static_cast<long>(i + 2 + length));
        if (marker == 0xC0 && length >= 11) {
            f.height = j[i + 5] << 8 | j[i + 6];
            f.width = j[i + 7] << 8 | j[i + 8];
            f.lumaH = j[i + 11] >> 4;
            f.lumaV = j[i + 11] & 15;
            break;
        }
        i += 2 + length;
    }
    return f;
}

class SimDemo : public SimTest {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(rt70sim::makeDemoCard(dir_ + "/card", &error)) << error;
    }
};

TEST_F(SimDemo, StillsHaveTheirSizesSamplingsAndExif) {
    struct Want {
        const char* name;
        int width, height, h;
    };
    for (const Want& w : {Want{"100/0001.jpg", 640, 480, 2}, Want{"100/0002.jpg", 320, 240, 1},
                          Want{"100/0003.jpg", 1024, 768, 2}, Want{"100/0004.thm", 320, 240, 2}}) {
        const Bytes file = ReadBytes(dir_ + "/card/" + w.name);
        const JpegFacts f = jpegFacts(file);
        EXPECT_EQ(f.width, w.width) << w.name;
        EXPECT_EQ(f.height, w.height) << w.name;
        EXPECT_EQ(f.lumaH, w.h) << w.name;
        EXPECT_EQ(f.lumaV, 1) << w.name;
        ASSERT_GT(f.exif.size(), 6u) << w.name;
        EXPECT_EQ(f.exif.substr(0, 6), std::string("Exif\0\0", 6));
        EXPECT_NE(f.exif.find("Quintaral"), std::string::npos);
        EXPECT_NE(f.exif.find("RT70"), std::string::npos);
        EXPECT_NE(f.exif.find("2001:06:15 10:"), std::string::npos);
        rt70sim::Picture p;
        EXPECT_TRUE(rt70sim::decodeJpeg(file, 100000, &p)) << w.name;
    }
}

TEST_F(SimDemo, ExifBlockIsAWellFormedTiffDirectory) {
    const Bytes app1 = rt70sim::exifApp1("Make", "Model", "2002:01:02 03:04:05", 640, 480);
    ASSERT_GT(app1.size(), 14u);
    const uint8_t* t = app1.data() + 6;
    const size_t size = app1.size() - 6;
    ASSERT_EQ(std::string(app1.begin() + 6, app1.begin() + 8), "II");
    EXPECT_EQ(rt70sim::GetLe16(t + 2), 42);
    // The entry of a tag in the directory at `ifd`, checked against the block's end.
    auto find = [&](uint32_t ifd, uint16_t tag) -> const uint8_t* {
        if (ifd + 2 > size)
            return nullptr;
        const uint16_t n = rt70sim::GetLe16(t + ifd);
        for (uint16_t i = 0; i < n && ifd + 2 + 12u * (i + 1) <= size; ++i)
            if (rt70sim::GetLe16(t + ifd + 2 + 12 * i) == tag)
                return t + ifd + 2 + 12 * i;
        return nullptr;
    };
    auto text = [&](const uint8_t* e) {
        const uint32_t count = rt70sim::GetLe32(e + 4);
        const uint8_t* at = count <= 4 ? e + 8 : t + rt70sim::GetLe32(e + 8);
        EXPECT_LE(static_cast<size_t>(at - t) + count, size);
        return std::string(reinterpret_cast<const char*>(at), count ? count - 1 : 0);
    };
    const uint32_t ifd0 = rt70sim::GetLe32(t + 4);
    ASSERT_TRUE(find(ifd0, 0x010F) && find(ifd0, 0x0110) && find(ifd0, 0x0132));
    EXPECT_EQ(text(find(ifd0, 0x010F)), "Make");
    EXPECT_EQ(text(find(ifd0, 0x0110)), "Model");
    EXPECT_EQ(text(find(ifd0, 0x0132)), "2002:01:02 03:04:05");
    ASSERT_TRUE(find(ifd0, 0x8769));
    const uint32_t exif = rt70sim::GetLe32(find(ifd0, 0x8769) + 8);
    EXPECT_EQ(exif % 2, 0u);
    ASSERT_TRUE(find(exif, 0x9000) && find(exif, 0x9003) && find(exif, 0xA002) &&
                find(exif, 0xA003) && find(exif, 0xA005));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(find(exif, 0x9000) + 8), 4), "0210");
    EXPECT_EQ(text(find(exif, 0x9003)), "2002:01:02 03:04:05");
    EXPECT_EQ(rt70sim::GetLe32(find(exif, 0xA002) + 8), 640u);
    EXPECT_EQ(rt70sim::GetLe32(find(exif, 0xA003) + 8), 480u);
    const uint32_t interop = rt70sim::GetLe32(find(exif, 0xA005) + 8);
    ASSERT_TRUE(find(interop, 0x0001));
    EXPECT_EQ(text(find(interop, 0x0001)), "R98");
}

TEST_F(SimDemo, ExiftoolReadsTheStillsAsCameraPictures) {
    if (std::system("exiftool -ver >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "exiftool is not installed";
    const std::string out = voktest::RunShell("exiftool -n -s -s -s -Make -Model -ExifVersion "
                                              "-InteropIndex -ExifImageWidth -ExifImageHeight " +
                                                  voktest::ShellQuote(dir_ + "/card/100/0001.jpg"),
                                              dir_)
                                .out;
    EXPECT_EQ(out, "Quintaral\nRT70\n0210\nR98\n640\n480\n");
    const std::string check =
        voktest::RunShell("exiftool -validate -warning -a " +
                              voktest::ShellQuote(dir_ + "/card/100/0002.jpg"),
                          dir_)
            .out;
    EXPECT_NE(check.find("Validate                        : OK"), std::string::npos) << check;
}

TEST_F(SimDemo, TiffIsUncompressedRgbWithItsPixels) {
    const Bytes tiff = ReadBytes(dir_ + "/card/100/0004.tif");
    ASSERT_GT(tiff.size(), 200u);
    EXPECT_EQ(std::string(tiff.begin(), tiff.begin() + 2), "II");
    const uint32_t ifd = rt70sim::GetLe32(&tiff[4]);
    const uint16_t n = rt70sim::GetLe16(&tiff[ifd]);
    uint32_t width = 0, height = 0, offset = 0, bytes = 0, compression = 0, photometric = 0;
    for (uint16_t i = 0; i < n; ++i) {
        const uint8_t* e = &tiff[ifd + 2 + 12 * i];
        const uint16_t tag = rt70sim::GetLe16(e);
        const uint32_t value =
            rt70sim::GetLe16(e + 2) == 3 ? rt70sim::GetLe16(e + 8) : rt70sim::GetLe32(e + 8);
        width = tag == 256 ? value : width;
        height = tag == 257 ? value : height;
        compression = tag == 259 ? value : compression;
        photometric = tag == 262 ? value : photometric;
        offset = tag == 273 ? value : offset;
        bytes = tag == 279 ? value : bytes;
    }
    EXPECT_EQ(width, 320u);
    EXPECT_EQ(height, 240u);
    EXPECT_EQ(compression, 1u);
    EXPECT_EQ(photometric, 2u);
    EXPECT_EQ(bytes, 320u * 240 * 3);
    EXPECT_EQ(offset + bytes, tiff.size());
    const rt70sim::Picture p = rt70sim::demoPicture(320, 240, 4);
    EXPECT_TRUE(std::equal(p.rgb.begin(), p.rgb.end(), tiff.begin() + offset));
}

TEST(SimTiff, ReaderTakesPlainRgbAndRefusesTheRest) {
    const rt70sim::Picture p = rt70sim::demoPicture(64, 48, 2);
    const Bytes tiff = rt70sim::tiffFile(p);
    rt70sim::Picture back;
    ASSERT_TRUE(rt70sim::readRgbTiff(tiff, &back));
    EXPECT_EQ(back.width, 64);
    EXPECT_EQ(back.height, 48);
    EXPECT_EQ(back.rgb, p.rgb);
    // Cut short, wrong magic, compressed: refused without reading outside the bytes.
    EXPECT_FALSE(rt70sim::readRgbTiff(Bytes(tiff.begin(), tiff.end() - 1), &back));
    EXPECT_FALSE(rt70sim::readRgbTiff(Bytes(tiff.begin(), tiff.begin() + 40), &back));
    Bytes wrong = tiff;
    wrong[2] = 43;
    EXPECT_FALSE(rt70sim::readRgbTiff(wrong, &back));
    Bytes packed = tiff;
    for (size_t e = 10; e + 12 <= 10 + 13 * 12; e += 12)
        if (rt70sim::GetLe16(&packed[e]) == 259)
            packed[e + 8] = 5;
    EXPECT_FALSE(rt70sim::readRgbTiff(packed, &back));
    EXPECT_FALSE(rt70sim::readRgbTiff(Bytes{}, &back));
    EXPECT_FALSE(rt70sim::readRgbTiff(Bytes{'M', 'M', 0, 42, 0xFF, 0xFF, 0xFF, 0xF0}, &back));
}

TEST_F(SimDemo, MovieIsReadByFfmpeg) {
    const std::string path = dir_ + "/card/101/0001.mov";
    AVFormatContext* format = nullptr;
    ASSERT_EQ(avformat_open_input(&format, path.c_str(), nullptr, nullptr), 0);
    ASSERT_GE(avformat_find_stream_info(format, nullptr), 0);
    ASSERT_EQ(format->nb_streams, 1u);
    const AVCodecParameters* par = format->streams[0]->codecpar;
    EXPECT_EQ(par->codec_type, AVMEDIA_TYPE_VIDEO);
    EXPECT_EQ(par->codec_id, AV_CODEC_ID_MJPEG);
    EXPECT_EQ(par->width, 160);
    EXPECT_EQ(par->height, 120);
    EXPECT_NEAR(static_cast<double>(format->duration) / AV_TIME_BASE, 1.0, 0.01);
    int frames = 0;
    AVPacket* packet = av_packet_alloc();
    while (av_read_frame(format, packet) >= 0) {
        ++frames;
        EXPECT_EQ(packet->data[0], 0xFF);
        EXPECT_EQ(packet->data[1], 0xD8);
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    avformat_close_input(&format);
    EXPECT_EQ(frames, 10);
    // Its still is the first picture.
    rt70sim::Picture still;
    EXPECT_TRUE(rt70sim::decodeJpeg(ReadBytes(dir_ + "/card/101/0001.thm"), 1000, &still));
    EXPECT_EQ(still.width, 160);
}

TEST_F(SimDemo, AudioMemoIsPcmWave) {
    const Bytes wav = ReadBytes(dir_ + "/card/101/0002.wav");
    ASSERT_EQ(wav.size(), 44u + 8000);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(rt70sim::GetLe32(&wav[4]), wav.size() - 8);
    EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(rt70sim::GetLe16(&wav[20]), 1);
    EXPECT_EQ(rt70sim::GetLe32(&wav[24]), 8000u);
    EXPECT_EQ(rt70sim::GetLe32(&wav[40]), 8000u);
}

TEST_F(SimDemo, CardListsAsDesigned) {
    rt70sim::Card card;
    ASSERT_TRUE(rt70sim::scanCard(dir_ + "/card", &card));
    ASSERT_EQ(card.folders.size(), 2u);
    EXPECT_EQ(card.folders[0].number, 100);
    EXPECT_EQ(card.folders[1].number, 101);
    std::vector<int> kinds;
    for (uint32_t i = 0; i < rt70sim::imageCount(card); ++i)
        kinds.push_back(rt70sim::imageAtIndex(card, i)->kind);
    EXPECT_EQ(kinds, (std::vector<int>{1, 1, 1, 2, 3, 4}));
    EXPECT_FALSE(rt70sim::imageAtIndex(card, 6));
    // Writing again gives the same bytes.
    const Bytes first = ReadBytes(dir_ + "/card/100/0001.jpg");
    std::string error;
    ASSERT_TRUE(rt70sim::makeDemoCard(dir_ + "/again", &error));
    EXPECT_EQ(ReadBytes(dir_ + "/again/100/0001.jpg"), first);
}

TEST(SimOptions, CommandLineParses) {
    rt70sim::SimOptions o;
    std::string error;
    const char* good[] = {"rt70sim",
                          "--socket",
                          "/s",
                          "--card",
                          "/c",
                          "--variant",
                          "2",
                          "--capacity",
                          "1000",
                          "--write-protect",
                          "--refuse",
                          "DEV,PIPE01",
                          "--fault",
                          "2:1:drop",
                          "--fault",
                          "*:*:status3",
                          "--fault-rate",
                          "0.25",
                          "--fault-kinds",
                          "seq,short",
                          "--seed",
                          "9",
                          "--button",
                          "2"};
    ASSERT_TRUE(rt70sim::parseOptions(sizeof good / sizeof *good, good, &o, &error)) << error;
    EXPECT_EQ(o.socketPath, "/s");
    EXPECT_EQ(o.camera.variant, '2');
    EXPECT_EQ(o.camera.capacity, 1000u);
    EXPECT_TRUE(o.camera.writeProtected);
    EXPECT_EQ(o.refused.size(), 2u);
    ASSERT_EQ(o.faults.rules.size(), 2u);
    EXPECT_EQ(o.faults.rules[1].command, -1);
    EXPECT_EQ(o.faults.rules[1].kind, rt70sim::FaultKind::Status3);
    EXPECT_DOUBLE_EQ(o.faults.rate, 0.25);
    EXPECT_EQ(o.faults.randomKinds.size(), 2u);
    EXPECT_EQ(o.initialButton, 2);

    const std::vector<std::vector<const char*>> bad = {
        {"rt70sim", "--card", "/c"},
        {"rt70sim", "--socket", "/s", "--card", "/c", "--variant", "12"},
        {"rt70sim", "--socket", "/s", "--card", "/c", "--capacity", "-1"},
        {"rt70sim", "--socket", "/s", "--card", "/c", "--fault-rate", "2"},
        {"rt70sim", "--socket", "/s", "--card", "/c", "--fault", "x:1:drop"},
        {"rt70sim", "--socket", "/s", "--card", "/c", "--refuse", "PIPE02"},
        {"rt70sim", "--socket", "/s", "--card", "/c", "--bogus"},
        {"rt70sim", "--socket"},
    };
    for (const auto& args : bad) {
        error.clear();
        EXPECT_FALSE(rt70sim::parseOptions(static_cast<int>(args.size()), args.data(), &o, &error));
        EXPECT_FALSE(error.empty());
    }
    const char* demo[] = {"rt70sim", "--make-demo-card", "/d"};
    EXPECT_TRUE(rt70sim::parseOptions(3, demo, &o, &error));
    EXPECT_EQ(o.demoCardPath, "/d");
}

} // namespace
