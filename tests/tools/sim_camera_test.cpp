/* The virtual camera's command handling, request packet in and reply packet out:
 * listings and their pages, information and block reads, upload, delete, card limits,
 * registers and the clock, the button, and every fault kind. */
#include "sim_test_util.h"

#include "camera.h"
#include "demo_card.h"
#include "jpeg_util.h"

#include <filesystem>
#include <sys/stat.h>

using namespace simtest;
using rt70sim::Camera;

namespace {

class SimCamera : public SimTest {
  protected:
    void SetUp() override {
        ASSERT_FALSE(dir_.empty());
        card_ = dir_ + "/card";
        ::mkdir(card_.c_str(), 0755);
    }

    void emptyCard() {
        std::filesystem::remove_all(card_);
        ::mkdir(card_.c_str(), 0755);
    }
    void addFolder(const std::string& name) { ::mkdir((card_ + "/" + name).c_str(), 0755); }
    std::string addFile(const std::string& folder, const std::string& name, const Bytes& data) {
        addFolder(folder);
        const std::string path = card_ + "/" + folder + "/" + name;
        writeBytes(path, data);
        return path;
    }
    void start(rt70sim::CameraOptions options = {}) {
        rt70sim::initCamera(&cam_, card_, options);
        cam_.now = [this] { return now_; };
    }
    Bytes ask(const Bytes& packet) {
        auto reply = send(cam_, packet);
        EXPECT_TRUE(reply.has_value());
        return reply ? *reply : Bytes(16, 0);
    }
    Bytes jpeg(int w, int h, int n) {
        Bytes out;
        EXPECT_TRUE(rt70sim::encodeJpeg(rt70sim::demoPicture(w, h, n), 80, true, nullptr, &out));
        return out;
    }

    std::string card_;
    Camera cam_;
    int64_t now_ = 1000000000; // 2001-09-09 01:46:40 UTC
};

TEST_F(SimCamera, IdentifyCarriesLettersAndVariant) {
    rt70sim::CameraOptions o;
    o.variant = '6';
    start(o);
    const Bytes r = ask(request(2, 0));
    expectWellFramed(r);
    EXPECT_EQ(r[0], 8);
    EXPECT_EQ(r[3], 3);
    EXPECT_EQ(std::string(r.begin() + 4, r.begin() + 8), "DSC6");
    o.variant = '4';
    o.letters = "DSX";
    start(o);
    const Bytes w = ask(request(2, 0));
    EXPECT_EQ(std::string(w.begin() + 4, w.begin() + 8), "DSX4");
}

TEST_F(SimCamera, FolderPagesOfFifty) {
    for (int total : {49, 50, 51}) {
        emptyCard();
        for (int i = 0; i < total; ++i)
            addFolder(std::to_string(100 + i));
        start();
        std::vector<uint32_t> counts;
        for (uint8_t page = 0; page < 3; ++page) {
            const Bytes r = ask(request(10, page));
            expectWellFramed(r);
            EXPECT_EQ(r[1], page);
            EXPECT_EQ(r[3], 11);
            counts.push_back(rt70sim::GetLe32(&r[4]));
        }
        const std::vector<uint32_t> want = total == 49   ? std::vector<uint32_t>{49, 0, 0}
                                           : total == 50 ? std::vector<uint32_t>{50, 0, 0}
                                                         : std::vector<uint32_t>{50, 1, 0};
        EXPECT_EQ(counts, want);
        // The list of the last page holds the remaining numbers in order, zeros after.
        const uint8_t last = total > 50 ? 1 : 0;
        const Bytes list = ask(request(12, last));
        expectWellFramed(list);
        EXPECT_EQ(list[0], 16);
        EXPECT_EQ(list[3], 13);
        const int onPage = total > 50 ? total - 50 : total;
        for (int i = 0; i < onPage; ++i)
            EXPECT_EQ(rt70sim::GetLe16(&list[4 + 2 * i]), 100 + last * 50 + i);
        EXPECT_EQ(rt70sim::GetLe16(&list[4 + 2 * onPage]), 0);
    }
}

TEST_F(SimCamera, ImagePagesOfFiftyPerFolder) {
    for (int i = 1; i <= 51; ++i)
        addFile("100", std::to_string(i) + ".jpg", Bytes{1, 2, 3});
    for (int i = 1; i <= 49; ++i)
        addFile("101", std::to_string(i) + ".jpg", Bytes{1});
    start();
    const Bytes p0 = ask(request(7, 0, {100, 0}));
    EXPECT_EQ(p0[3], 8);
    EXPECT_EQ(rt70sim::GetLe16(&p0[4]), 50);
    EXPECT_EQ(rt70sim::GetLe16(&ask(request(7, 1, {100, 0}))[4]), 1);
    EXPECT_EQ(rt70sim::GetLe16(&ask(request(7, 0, {101, 0}))[4]), 49);
    EXPECT_EQ(rt70sim::GetLe16(&ask(request(7, 0, {99, 0}))[4]), 0);
    const Bytes list = ask(request(14, 1, {100, 0}));
    EXPECT_EQ(list[3], 15);
    EXPECT_EQ(rt70sim::GetLe16(&list[4]), 51);
    EXPECT_EQ(rt70sim::GetLe16(&list[6]), 0);
}

TEST_F(SimCamera, RunningCountEndsWithTheEndMark) {
    auto pages = [&](int total) {
        emptyCard();
        for (int i = 1; i <= total; ++i)
            addFile(i <= 30 ? "100" : "105", std::to_string(i) + ".jpg", Bytes{9});
        start();
        std::vector<uint32_t> counts;
        for (uint8_t page = 0; page < 4; ++page) {
            const Bytes r = ask(request(130, page));
            EXPECT_EQ(r[3], 131);
            EXPECT_EQ(r[1], page);
            counts.push_back(rt70sim::GetLe32(&r[4]));
            if (counts.back() == 0xFFFFFFFFu)
                break;
        }
        return counts;
    };
    EXPECT_EQ(pages(0), (std::vector<uint32_t>{0xFFFFFFFFu}));
    EXPECT_EQ(pages(49), (std::vector<uint32_t>{49, 0xFFFFFFFFu}));
    EXPECT_EQ(pages(50), (std::vector<uint32_t>{50, 0xFFFFFFFFu}));
    EXPECT_EQ(pages(51), (std::vector<uint32_t>{50, 1, 0xFFFFFFFFu}));
}

TEST_F(SimCamera, InformationAndBlocksGiveTheFileBytes) {
    const Bytes big = pattern(32768 + 100, 1), small = pattern(10, 2);
    addFile("100", "0001.jpg", big);
    addFile("100", "0002.mov", small);
    addFile("102", "0007.wav", small);
    addFile("102", "0008.tif", pattern(500, 3));
    start();
    // Mode 0: folder and image.
    Bytes r = ask(request(26, 0, {100, 0, 1, 0, 0}));
    expectWellFramed(r);
    EXPECT_EQ(r[3], 29);
    EXPECT_EQ(r[4], 1);
    EXPECT_EQ(rt70sim::GetLe32(&r[5]), big.size());
    Bytes got;
    for (uint8_t b = 0; b < 2; ++b) {
        r = ask(request(30, b, {100, 0, 1, 0, b, 0, 0}));
        expectWellFramed(r);
        EXPECT_EQ(r[0], 2);
        EXPECT_EQ(r[1], b);
        EXPECT_EQ(r[3], 5);
        got.insert(got.end(), r.begin() + 4, r.begin() + 4 + 32768);
    }
    EXPECT_TRUE(std::equal(big.begin(), big.end(), got.begin()));
    EXPECT_TRUE(std::all_of(got.begin() + static_cast<long>(big.size()), got.end(),
                            [](uint8_t v) { return v == 0; }));
    // Past the end: refused.
    r = ask(request(30, 2, {100, 0, 1, 0, 2, 0, 0}));
    EXPECT_EQ(r[3], 1);
    EXPECT_EQ(r[4], 2);

    // Modes 1 and 2: running index over folders in order; kinds by file type.
    const uint8_t kinds[] = {1, 3, 4, 2};
    for (uint8_t i = 0; i < 4; ++i) {
        r = ask(request(132, 0, {i, 0, 0, 0}));
        EXPECT_EQ(r[3], 29);
        EXPECT_EQ(r[4], kinds[i]);
    }
    r = ask(request(132, 0, {1, 0, 0, 0}));
    EXPECT_EQ(rt70sim::GetLe32(&r[5]), small.size());
    r = ask(request(133, 0, {1, 0, 0, 0, 0, 0, 2}));
    EXPECT_EQ(r[3], 5);
    EXPECT_TRUE(std::equal(small.begin(), small.end(), r.begin() + 4));
    EXPECT_EQ(r[4 + small.size()], 0);
    // No such image: status 6.
    r = ask(request(132, 0, {4, 0, 0, 0}));
    EXPECT_EQ(r[3], 1);
    EXPECT_EQ(r[4], 6);
    r = ask(request(26, 0, {100, 0, 9, 0, 0}));
    EXPECT_EQ(r[3], 1);
    EXPECT_EQ(r[4], 6);
}

TEST_F(SimCamera, TiffGivesItsJpegStillForSelectorZero) {
    const Bytes tiff = pattern(40000, 4), still = jpeg(64, 48, 4);
    addFile("100", "0001.tif", tiff);
    addFile("100", "0001.thm", still);
    start();
    Bytes r = ask(request(132, 0, {0, 0, 0, 0}));
    EXPECT_EQ(r[4], 2);
    EXPECT_EQ(rt70sim::GetLe32(&r[5]), tiff.size());
    r = ask(request(133, 0, {0, 0, 0, 0, 0, 0, 1}));
    EXPECT_TRUE(std::equal(r.begin() + 4, r.begin() + 4 + 32768, tiff.begin()));
    r = ask(request(133, 0, {0, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(std::equal(still.begin(), still.end(), r.begin() + 4));
    // The still is read to the TIFF's size: the second block exists and is empty.
    r = ask(request(133, 1, {0, 0, 0, 0, 1, 0, 0}));
    EXPECT_EQ(r[3], 5);
}

TEST_F(SimCamera, TiffWithoutItsStillIsConvertedForThumbnailAndSelectorZero) {
    const rt70sim::Picture picture = rt70sim::demoPicture(320, 240, 8);
    const Bytes tiff = rt70sim::tiffFile(picture);
    addFile("100", "0001.tif", tiff);
    start();
    Bytes r = ask(request(22, 0, {100, 0, 1, 0}));
    EXPECT_EQ(r[3], 29);
    EXPECT_EQ(r[4], 2);
    r = ask(request(132, 0, {0, 0, 0, 0}));
    EXPECT_EQ(rt70sim::GetLe32(&r[5]), tiff.size());
    Bytes still;
    for (uint8_t b = 0; b * 32768u < tiff.size(); ++b) {
        r = ask(request(133, b, {0, 0, 0, 0, b, 0, 0}));
        ASSERT_EQ(r[3], 5);
        still.insert(still.end(), r.begin() + 4, r.begin() + 4 + 32768);
    }
    still.resize(tiff.size());
    EXPECT_EQ(still[0], 0xFF);
    EXPECT_EQ(still[1], 0xD8);
    rt70sim::Picture decoded;
    ASSERT_TRUE(rt70sim::decodeJpeg(still, 100000, &decoded)); // zeros after its end are fine
    EXPECT_EQ(decoded.width, 320);
    EXPECT_EQ(decoded.height, 240);
    // Selector 1 still gives the TIFF itself.
    r = ask(request(133, 0, {0, 0, 0, 0, 0, 0, 1}));
    EXPECT_TRUE(std::equal(r.begin() + 4, r.begin() + 4 + 32768, tiff.begin()));
}

TEST_F(SimCamera, MotionJpegMovieWithoutItsStillGivesItsFirstPicture) {
    const std::vector<Bytes> frames = {jpeg(96, 64, 1), jpeg(96, 64, 2)};
    addFile("100", "0001.mov", rt70sim::movieFile(frames, 96, 64, 10));
    Bytes cut = rt70sim::movieFile(frames, 96, 64, 10);
    cut.resize(40); // the media atom claims more than the file holds
    addFile("100", "0002.mov", cut);
    start();
    Bytes r = ask(request(22, 0, {100, 0, 1, 0}));
    ASSERT_EQ(r[3], 29);
    EXPECT_EQ(r[4], 3);
    const uint32_t size = rt70sim::GetLe32(&r[5]);
    r = ask(request(30, 0, {100, 0, 1, 0, 0, 0, 0}));
    rt70sim::Picture thumb;
    ASSERT_TRUE(rt70sim::decodeJpeg(Bytes(r.begin() + 4, r.begin() + 4 + size), 10000, &thumb));
    EXPECT_EQ(thumb.width, 96);
    EXPECT_EQ(thumb.height, 64);
    r = ask(request(22, 0, {100, 0, 2, 0}));
    EXPECT_EQ(r[3], 1);
    EXPECT_EQ(r[4], 6);
}

TEST_F(SimCamera, ThumbnailsAreSmallJpegsOfTheImage) {
    addFile("100", "0001.jpg", jpeg(640, 480, 1));
    addFile("100", "0002.mov", pattern(100, 1));
    addFile("100", "0003.mov", pattern(100, 2));
    addFile("100", "0003.thm", jpeg(160, 120, 3));
    addFile("100", "0004.jpg", pattern(3000, 9)); // not a JPEG at all
    start();
    Bytes r = ask(request(22, 0, {100, 0, 1, 0}));
    EXPECT_EQ(r[3], 29);
    EXPECT_EQ(r[4], 1);
    const uint32_t size = rt70sim::GetLe32(&r[5]);
    ASSERT_GT(size, 0u);
    ASSERT_LE(size, 32768u);
    r = ask(request(30, 0, {100, 0, 1, 0, 0, 0, 0}));
    EXPECT_EQ(r[3], 5);
    rt70sim::Picture thumb;
    ASSERT_TRUE(rt70sim::decodeJpeg(Bytes(r.begin() + 4, r.begin() + 4 + size), 10000, &thumb));
    EXPECT_EQ(thumb.width, 160);
    EXPECT_EQ(thumb.height, 120);
    // A movie without its still, not Motion-JPEG, has no thumbnail; with it, it has one.
    r = ask(request(22, 0, {100, 0, 2, 0}));
    EXPECT_EQ(r[3], 1);
    EXPECT_EQ(r[4], 6);
    r = ask(request(22, 0, {100, 0, 3, 0}));
    EXPECT_EQ(r[3], 29);
    EXPECT_EQ(r[4], 3);
    r = ask(request(22, 0, {100, 0, 4, 0}));
    EXPECT_EQ(r[4], 6);
    // The full image after its thumbnail: 26 switches the block source back.
    ask(request(26, 0, {100, 0, 1, 0, 0}));
    r = ask(request(30, 0, {100, 0, 1, 0, 0, 0, 0}));
    const Bytes file = ReadBytes(card_ + "/100/0001.jpg");
    EXPECT_TRUE(std::equal(file.begin(), file.begin() + 1000, r.begin() + 4));
}

/* Sends one file as the host does: blocks of type 2, sequence = block index. */
std::vector<Bytes> blocksOf(const Bytes& file) {
    std::vector<Bytes> packets;
    for (size_t at = 0, b = 0; at < file.size(); at += 32768, ++b) {
        const size_t n = std::min<size_t>(32768, file.size() - at);
        packets.push_back(rt70sim::buildPacket(2, static_cast<uint8_t>(b), 5, &file[at], n));
    }
    return packets;
}

Bytes announcement(uint8_t code, uint32_t first, uint32_t second) {
    Bytes p(9);
    p[0] = code;
    rt70sim::PutLe32(&p[1], first);
    rt70sim::PutLe32(&p[5], second);
    return rt70sim::buildPacket(8, 0, 21, p.data(), p.size());
}

TEST_F(SimCamera, UploadStoresTheFileOnTheCard) {
    addFile("100", "0001.jpg", Bytes{1});
    start();
    const Bytes file = pattern(32769, 5);
    Bytes r = ask(announcement(0, static_cast<uint32_t>(file.size()), 0));
    EXPECT_EQ(r[3], 1);
    EXPECT_EQ(r[4], 0);
    const auto blocks = blocksOf(file);
    ASSERT_EQ(blocks.size(), 2u);
    r = ask(blocks[0]);
    EXPECT_EQ(r[1], 0);
    EXPECT_EQ(r[4], 0);
    // The same block again (its answer was lost) is acknowledged, not stored twice.
    EXPECT_EQ(ask(blocks[0])[4], 0);
    r = ask(blocks[1]);
    expectWellFramed(r);
    EXPECT_EQ(r[1], 0); // sequence 0 even for block 1
    EXPECT_EQ(r[4], 0);
    EXPECT_EQ(ReadBytes(card_ + "/100/0002.jpg"), file);
    // And it is listed.
    EXPECT_EQ(rt70sim::GetLe16(&ask(request(7, 0, {100, 0}))[4]), 2);
}

TEST_F(SimCamera, MovieUploadKeepsItsStill) {
    start();
    const Bytes still = pattern(100, 6), movie = pattern(70000, 7);
    EXPECT_EQ(ask(announcement(2, 100, 70000))[4], 0);
    for (const Bytes& b : blocksOf(still))
        EXPECT_EQ(ask(b)[4], 0);
    for (const Bytes& b : blocksOf(movie))
        EXPECT_EQ(ask(b)[4], 0);
    EXPECT_EQ(ReadBytes(card_ + "/100/0001.mov"), movie);
    EXPECT_EQ(ReadBytes(card_ + "/100/0001.thm"), still);
    const Bytes r = ask(request(132, 0, {0, 0, 0, 0}));
    EXPECT_EQ(r[4], 3);
}

TEST_F(SimCamera, UploadRefusesBlocksOutOfOrderOrUnannounced) {
    start();
    const Bytes file = pattern(70000, 8);
    const auto blocks = blocksOf(file);
    EXPECT_EQ(ask(blocks[0])[4], 2); // nothing announced
    EXPECT_EQ(ask(announcement(0, 70000, 0))[4], 0);
    EXPECT_EQ(ask(blocks[1])[4], 2);     // block 1 before block 0
    EXPECT_EQ(ask(request(5, 0))[4], 2); // a block in a short packet
    EXPECT_EQ(ask(announcement(7, 10, 0))[4], 2);
    EXPECT_EQ(ask(announcement(0, 0, 0))[4], 2);
    EXPECT_FALSE(exists(card_ + "/100"));
}

TEST_F(SimCamera, CapacityAndWriteProtection) {
    addFile("100", "0001.jpg", pattern(1000, 1));
    rt70sim::CameraOptions o;
    o.capacity = 1500;
    start(o);
    EXPECT_EQ(ask(announcement(0, 501, 0))[4], 4);
    EXPECT_EQ(ask(announcement(0, 500, 0))[4], 0);
    o.capacity = 0;
    o.writeProtected = true;
    start(o);
    EXPECT_EQ(ask(announcement(0, 10, 0))[4], 9);
    EXPECT_EQ(ask(request(17, 0, {100, 0, 1, 0}))[4], 9);
    EXPECT_TRUE(exists(card_ + "/100/0001.jpg"));
}

TEST_F(SimCamera, DeleteRemovesTheImageAndItsStill) {
    addFile("100", "0001.mov", pattern(10, 1));
    addFile("100", "0001.thm", pattern(10, 2));
    addFile("100", "0002.jpg", pattern(10, 3));
    start();
    Bytes r = ask(request(17, 0, {100, 0, 1, 0}));
    EXPECT_EQ(r[3], 1);
    EXPECT_EQ(r[4], 0);
    EXPECT_FALSE(exists(card_ + "/100/0001.mov"));
    EXPECT_FALSE(exists(card_ + "/100/0001.thm"));
    EXPECT_TRUE(exists(card_ + "/100/0002.jpg"));
    EXPECT_EQ(ask(request(17, 0, {100, 0, 1, 0}))[4], 2);
    const Bytes list = ask(request(14, 0, {100, 0}));
    EXPECT_EQ(rt70sim::GetLe16(&list[4]), 2);
    EXPECT_EQ(rt70sim::GetLe16(&list[6]), 0);
}

TEST_F(SimCamera, ClockRegistersSitAtTheVariantsAddresses) {
    for (char variant : {'1', '2', '3', '6'}) {
        rt70sim::CameraOptions o;
        o.variant = variant;
        start(o);
        const unsigned base = variant == '2' ? 0xC0 : 0x140;
        EXPECT_EQ(ask(request(52, 0, {lo(base), hi(base), lo(2001), hi(2001)}))[4], 0);
        EXPECT_EQ(ask(request(52, 0, {lo(base + 1), hi(base + 1), 31, 12}))[4], 0);
        EXPECT_EQ(ask(request(52, 0, {lo(base + 2), hi(base + 2), 59, 23}))[4], 0);
        now_ += 30; // the clock runs, but not past the minute here
        Bytes r = variant == '2' ? ask(request(53, 0, {lo(base)}))
                                 : ask(request(53, 0, {lo(base), hi(base)}));
        EXPECT_EQ(r[3], 54);
        EXPECT_EQ(rt70sim::GetLe16(&r[4]), 2001) << variant;
        EXPECT_EQ(rt70sim::GetLe16(&ask(request(53, 0, {lo(base + 1), hi(base + 1)}))[4]), 0x0C1F);
        EXPECT_EQ(rt70sim::GetLe16(&ask(request(53, 0, {lo(base + 2), hi(base + 2)}))[4]), 0x173B);
        now_ += 60; // a minute later it is the next year
        EXPECT_EQ(rt70sim::GetLe16(&ask(request(53, 0, {lo(base), hi(base)}))[4]), 2002);
        // Out-of-range fields are refused.
        EXPECT_EQ(ask(request(52, 0, {lo(base + 1), hi(base + 1), 30, 2}))[4], 2);
        EXPECT_EQ(ask(request(52, 0, {lo(base + 2), hi(base + 2), 0, 24}))[4], 2);
        // The other variant's addresses are plain registers.
        const unsigned other = variant == '2' ? 0x140 : 0xC0;
        EXPECT_EQ(rt70sim::GetLe16(&ask(request(53, 0, {lo(other), hi(other)}))[4]), 0);
        EXPECT_EQ(ask(request(52, 0, {lo(other), hi(other), 7, 0}))[4], 0);
        EXPECT_EQ(rt70sim::GetLe16(&ask(request(53, 0, {lo(other), hi(other)}))[4]), 7);
    }
}

TEST_F(SimCamera, ButtonEventUntilResetOrEnd) {
    start();
    Bytes r = ask(request(128, 0));
    EXPECT_EQ(r[3], 129);
    EXPECT_EQ(r[4], 0);
    rt70sim::pressButton(cam_, 2);
    EXPECT_EQ(ask(request(128, 0))[4], 2);
    EXPECT_EQ(ask(request(128, 0))[4], 2); // reading does not clear it
    ask(request(2, 0));
    EXPECT_EQ(ask(request(128, 0))[4], 2); // nor does identify
    r = ask(request(134, 0));
    EXPECT_EQ(r[3], 1);
    EXPECT_EQ(r[4], 0);
    EXPECT_EQ(ask(request(128, 0))[4], 0);
    rt70sim::pressButton(cam_, 1);
    ask(request(31, 0));
    EXPECT_EQ(ask(request(128, 0))[4], 0);
}

TEST_F(SimCamera, BrokenRequestsGetNoReplyAndUnknownCommandsStatusTwo) {
    start();
    Bytes p = request(2, 3);
    p[2] ^= 1;
    EXPECT_FALSE(send(cam_, p).has_value());
    p = request(2, 3);
    p[14] ^= 1;
    EXPECT_FALSE(send(cam_, p).has_value());
    p = request(2, 3);
    p[0] = 16; // wrong length for its type
    EXPECT_FALSE(send(cam_, p).has_value());
    const Bytes r = ask(request(99, 7));
    EXPECT_EQ(r[1], 7);
    EXPECT_EQ(r[3], 1);
    EXPECT_EQ(r[4], 2);
}

TEST_F(SimCamera, EveryFaultKindSpoilsTheNamedRequest) {
    struct Case {
        const char* kind;
        std::function<void(const std::optional<Bytes>&)> check;
    };
    const std::vector<Case> cases = {
        {"drop", [](const std::optional<Bytes>& r) { EXPECT_FALSE(r.has_value()); }},
        {"checksum",
         [](const std::optional<Bytes>& r) {
             EXPECT_NE((*r)[14], rt70sim::packetChecksum(r->data(), 16));
         }},
        {"seq",
         [](const std::optional<Bytes>& r) {
             EXPECT_NE((*r)[1], 5);
             EXPECT_EQ((*r)[2], static_cast<uint8_t>(~(*r)[1]));
             EXPECT_EQ((*r)[14], rt70sim::packetChecksum(r->data(), 16));
         }},
        {"complement",
         [](const std::optional<Bytes>& r) {
             EXPECT_EQ((*r)[1], 5);
             EXPECT_NE((*r)[2], static_cast<uint8_t>(~5));
             EXPECT_EQ((*r)[14], rt70sim::packetChecksum(r->data(), 16));
         }},
        {"code",
         [](const std::optional<Bytes>& r) {
             EXPECT_NE((*r)[3], 3);
             EXPECT_EQ((*r)[14], rt70sim::packetChecksum(r->data(), 16));
         }},
        {"short", [](const std::optional<Bytes>& r) { EXPECT_EQ(r->size(), 8u); }},
        {"type",
         [](const std::optional<Bytes>& r) { EXPECT_EQ(rt70sim::packetLength((*r)[0]), 0u); }},
    };
    for (const Case& c : cases) {
        start();
        rt70sim::FaultRule rule;
        std::string error;
        ASSERT_TRUE(rt70sim::parseFaultRule(std::string("2:2:") + c.kind, &rule, &error)) << error;
        cam_.faults.rules = {rule};
        const Bytes first = ask(request(2, 5));
        EXPECT_EQ(first[3], 3) << c.kind; // only the second identify is hit
        c.check(send(cam_, request(2, 5)));
        EXPECT_EQ(ask(request(2, 5))[3], 3) << c.kind;
    }
    for (int status : {2, 3, 5, 8, 6}) {
        start();
        rt70sim::FaultRule rule;
        std::string error;
        ASSERT_TRUE(rt70sim::parseFaultRule("17:1:status" + std::to_string(status), &rule, &error));
        cam_.faults.rules = {rule};
        addFile("100", "0001.jpg", Bytes{1});
        const Bytes r = ask(request(17, 0, {100, 0, 1, 0}));
        EXPECT_EQ(r[3], 1);
        EXPECT_EQ(r[4], status);
        EXPECT_TRUE(exists(card_ + "/100/0001.jpg")); // not acted on
        EXPECT_EQ(ask(request(17, 0, {100, 0, 1, 0}))[4], 0);
    }
}

TEST_F(SimCamera, FaultRulesAndRandomFaultsParseAndRepeat) {
    rt70sim::FaultRule rule;
    std::string error;
    EXPECT_TRUE(rt70sim::parseFaultRule("*:*:drop", &rule, &error));
    EXPECT_EQ(rule.command, -1);
    EXPECT_EQ(rule.nth, 0u);
    EXPECT_FALSE(rt70sim::parseFaultRule("2:0:drop", &rule, &error));
    EXPECT_FALSE(rt70sim::parseFaultRule("256:1:drop", &rule, &error));
    EXPECT_FALSE(rt70sim::parseFaultRule("2:1:melt", &rule, &error));
    EXPECT_FALSE(rt70sim::parseFaultRule("2:1", &rule, &error));
    EXPECT_FALSE(error.empty());

    auto run = [&](uint64_t seed) {
        start();
        cam_.faults.rate = 0.5;
        cam_.faults.random.seed(seed);
        ASSERT_TRUE(rt70sim::parseFaultKinds("drop,status3", &cam_.faults.randomKinds, &error));
    };
    std::vector<int> a, b;
    run(42);
    for (int i = 0; i < 40; ++i) {
        auto r = send(cam_, request(2, 0));
        a.push_back(r ? (*r)[3] : -1);
    }
    run(42);
    for (int i = 0; i < 40; ++i) {
        auto r = send(cam_, request(2, 0));
        b.push_back(r ? (*r)[3] : -1);
    }
    EXPECT_EQ(a, b);
    EXPECT_NE(std::count(a.begin(), a.end(), -1), 0);
    EXPECT_NE(std::count(a.begin(), a.end(), 1), 0);
    EXPECT_NE(std::count(a.begin(), a.end(), 3), 0);
}

} // namespace
