// The upload: the exact packets over an injected link (announce payload, block numbering,
// zero padding, the progress range), then whole uploads into the virtual camera with its
// fault injection: sizes at the block boundary, a movie pair, skipped and unreadable files,
// refused blocks, a full camera and a write-protected card.
#include <functional>

#include <gtest/gtest.h>

#include "DscTransfer.h"
#include "DscUpload.h"
#include "tiff_reader.h"
#include "FakeCamera.h"
#include "sim_camera.h"
#include "transfer_env.h"

using voktest::ReadBytes;
using voktest::SimCamera;

namespace {

VokUploadRecord Record(const std::string& a, uint32_t sizeA, const std::string& b = "",
                       uint32_t sizeB = 0) {
    VokUploadRecord r = {};
    snprintf(r.pathA, sizeof r.pathA, "%s", a.c_str());
    snprintf(r.pathB, sizeof r.pathB, "%s", b.c_str());
    r.sizeA = sizeA;
    r.sizeB = sizeB;
    return r;
}

// Progress hooks that record what the dialog would show.
struct ProgressLog {
    std::vector<int> ranges;
    int steps = 0;
    std::vector<std::string> operations, items;
    static ProgressLog*& current() {
        static ProgressLog* p = nullptr;
        return p;
    }
};

class Upload : public ::testing::Test {
  protected:
    TempHome home;
    Observer observer;
    std::vector<intptr_t> kinds; // the owner's answers, record by record
    size_t asked = 0;
    DscTransferHooks saved = *DscTransfer_Hooks();
    ProgressLog progress;

    void SetUp() override {
        VokDscCom_SetApplicationInfo(nullptr, "test", 1, 5, "");
        observer.answer = [this](unsigned m, uintptr_t code, intptr_t) -> intptr_t {
            if (m == WM_DSC_QUERYFILE && code == DSC_QUERYFILE_KIND)
                return asked < kinds.size() ? kinds[asked++] : 0;
            return 0;
        };
        ProgressLog::current() = &progress;
        DscTransferHooks hooks = {};
        hooks.openProgress = [](DscConnection*, void*) -> void* { return ProgressLog::current(); };
        hooks.setRange = [](void*, int n) { ProgressLog::current()->ranges.push_back(n); };
        hooks.step = [](void*) { ProgressLog::current()->steps++; };
        hooks.setOperationLine = [](void*, const char* t) {
            ProgressLog::current()->operations.push_back(t);
        };
        hooks.setItemLine = [](void*, const char* t) {
            ProgressLog::current()->items.push_back(t);
        };
        hooks.closeProgress = [](void*) {};
        DscTransfer_SetHooks(&hooks);
    }
    void TearDown() override {
        VokDscCom_Disconnect();
        DscTransfer_SetHooks(&saved);
        ProgressLog::current() = nullptr;
    }
    std::string file(const char* name, size_t size, unsigned seed) {
        std::string path = home.dir + "/" + name;
        WriteBytes(path, Pattern(size, seed));
        return path;
    }
    std::string emptyCard() {
        std::string card = home.dir + "/card";
        mkdir(card.c_str(), 0700);
        return card;
    }
};

TEST_F(Upload, PacketsOfAMoviePairAndTheZeroPaddedLastBlock) {
    FakeCamera camera;
    camera.responder = [](const Bytes& request) {
        if (request[3] == DSC_CMD_IDENTIFY)
            return Answer{
                Packet(DSC_TYPE_SHORT, request[1], DSC_REPLY_IDENTIFY, {'D', 'S', 'C', '1'})};
        return Answer{Status(request[3] == DSC_CMD_SEND_BLOCK ? 0 : request[1], 0)};
    };
    std::string still = file("still.jpg", 32769, 1);
    std::string movie = file("movie.mov", 10, 2);
    VokUploadRecord r = Record(movie, 10, still, 32769);
    kinds = {DSC_UPLOAD_MOVIE};
    ASSERT_EQ(VokDscCom_Connect(), DSC_OK);
    int32_t sent = 0;
    EXPECT_EQ(VokDscCom_Upload(&r, 1, &sent), DSC_OK);
    VokDscCom_Disconnect(); // while the injected link is still there
    EXPECT_EQ(sent, 1);
    EXPECT_EQ(observer.messages, std::vector<int>{});

    std::vector<Bytes> ours;
    for (const Bytes& q : camera.requests)
        if (q[3] == DSC_CMD_ANNOUNCE || q[3] == DSC_CMD_SEND_BLOCK)
            ours.push_back(q);
    ASSERT_EQ(ours.size(), 4u);
    // Announce: code 2, the size of B, then the size of A.
    EXPECT_EQ(Bytes(ours[0].begin() + 4, ours[0].begin() + 13),
              Cat(Cat(Bytes{2}, U32(32769)), U32(10)));
    // B in two blocks, the second holding one byte of data and zeros; then A in one.
    std::vector<uint8_t> b = Pattern(32769, 1), a = Pattern(10, 2);
    for (size_t i = 1; i < 4; ++i) {
        EXPECT_EQ(ours[i][0], DSC_TYPE_BLOCK32K);
        EXPECT_EQ(ours[i].size(), 32774u);
    }
    EXPECT_EQ(ours[1][1], 0);
    EXPECT_EQ(ours[2][1], 1);
    EXPECT_EQ(ours[3][1], 0);
    EXPECT_TRUE(std::equal(b.begin(), b.begin() + 32768, ours[1].begin() + 4));
    EXPECT_EQ(ours[2][4], b[32768]);
    EXPECT_EQ(std::count(ours[2].begin() + 5, ours[2].end() - 2, 0), 32767);
    EXPECT_TRUE(std::equal(a.begin(), a.end(), ours[3].begin() + 4));
    EXPECT_EQ(std::count(ours[3].begin() + 14, ours[3].end() - 2, 0), 32768 - 10);
    // Three blocks on the progress bar, stepped three times, with the upload's texts.
    ASSERT_FALSE(progress.ranges.empty());
    EXPECT_EQ(progress.ranges[0], 3);
    EXPECT_EQ(progress.steps, 3);
    EXPECT_EQ(progress.operations,
              (std::vector<std::string>{"Now transferring image(PC->Digital Camera)."}));
    EXPECT_EQ(progress.items, (std::vector<std::string>{"File Name: movie.mov"}));
}

TEST_F(Upload, PlansOfEveryKind) {
    VokUploadRecord r = Record("/a", 32768, "/b", 65537);
    DscUploadPlan plan;
    EXPECT_EQ(DscUpload_Plan(&r, 0, 32768, &plan), 0);
    EXPECT_EQ(DscUpload_Plan(&r, 5, 32768, &plan), 0);
    ASSERT_EQ(DscUpload_Plan(&r, 1, 32768, &plan), 1);
    EXPECT_EQ(plan.files, 1);
    EXPECT_EQ(plan.blocks, 1u);
    EXPECT_EQ(Bytes(plan.announce, plan.announce + 9), Cat(Cat(Bytes{0}, U32(32768)), U32(0)));
    ASSERT_EQ(DscUpload_Plan(&r, 2, 32768, &plan), 1);
    EXPECT_EQ(plan.blocks, 3u);
    EXPECT_STREQ(plan.paths[0], "/b");
    ASSERT_EQ(DscUpload_Plan(&r, 4, 32768, &plan), 1);
    EXPECT_EQ(plan.blocks, 4u);
    EXPECT_EQ(Bytes(plan.announce, plan.announce + 9), Cat(Cat(Bytes{1}, U32(65537)), U32(32768)));
    EXPECT_STREQ(plan.paths[1], "/a");
    // On the 1024-byte transport the blocks are counted in its size.
    ASSERT_EQ(DscUpload_Plan(&r, 1, 1024, &plan), 1);
    EXPECT_EQ(plan.blocks, 32u);
}

TEST_F(Upload, SizesAtTheBlockBoundarySkippedAndUnreadableFilesIntoTheCamera) {
    std::string card = emptyCard();
    SimCamera camera(home.dir, card);
    std::string exact = file("exact.jpg", 32768, 3);
    std::string over = file("over.jpg", 32769, 4);
    std::string skipped = file("skipped.jpg", 100, 5);
    std::vector<VokUploadRecord> records = {Record(exact, 32768), Record(skipped, 100),
                                            Record(home.dir + "/missing.jpg", 50),
                                            Record(over, 32769)};
    kinds = {DSC_UPLOAD_A, DSC_UPLOAD_SKIP, DSC_UPLOAD_A, DSC_UPLOAD_A};
    EXPECT_EQ(VokDscCom_RT70_PC2DSC(4, records.data()), 1);
    EXPECT_EQ(DscCom_Record()->sendBuffer, nullptr);
    EXPECT_EQ(asked, 4u);
    // The missing file is reported and skipped; the skipped one is no error.
    EXPECT_EQ(observer.messages, std::vector<int>{42});
    EXPECT_EQ(Names(card + "/100"), (std::vector<std::string>{"0001.jpg", "0002.jpg"}));
    EXPECT_EQ(ReadBytes(card + "/100/0001.jpg"), Pattern(32768, 3));
    EXPECT_EQ(ReadBytes(card + "/100/0002.jpg"), Pattern(32769, 4));
    // The announce of the missing file went out, so the camera holds an unfinished upload
    // when the next announce comes; it takes the new one.
}

TEST_F(Upload, MoviePairARefusedBlockAndATruncatedFile) {
    std::string card = emptyCard();
    // The second block of the run is refused once (status 2) and sent again after 500 ms.
    SimCamera camera(home.dir, card, {"--fault", "5:2:status2"});
    std::string still = file("still.jpg", 32769, 6);
    std::string movie = file("movie.mov", 10, 7);
    std::string shortFile = file("short.jpg", 100, 8);
    std::string last = file("last.jpg", 2000, 9);
    std::vector<VokUploadRecord> records = {Record(movie, 10, still, 32769),
                                            Record(shortFile, 5000), Record(last, 2000)};
    kinds = {DSC_UPLOAD_MOVIE, DSC_UPLOAD_A, DSC_UPLOAD_A};
    ASSERT_EQ(VokDscCom_Connect(), DSC_OK);
    int32_t sent = 0;
    EXPECT_EQ(VokDscCom_Upload(records.data(), 3, &sent), DSC_OK);
    EXPECT_EQ(sent, 2);
    EXPECT_EQ(observer.messages, std::vector<int>{41}); // the file is shorter than its size
    EXPECT_EQ(Names(card + "/100"), (std::vector<std::string>{"0001.mov", "0001.thm", "0002.jpg"}));
    EXPECT_EQ(ReadBytes(card + "/100/0001.thm"), Pattern(32769, 6));
    EXPECT_EQ(ReadBytes(card + "/100/0001.mov"), Pattern(10, 7));
    EXPECT_EQ(ReadBytes(card + "/100/0002.jpg"), Pattern(2000, 9));
}

TEST_F(Upload, AnAbandonedFileLeavesTheRestOfItsRecordAndTheUploadGoesOn) {
    std::string card = emptyCard();
    // Every attempt at the first block of the still goes unanswered: message 14.
    SimCamera camera(home.dir, card,
                     {"--fault", "5:1:drop", "--fault", "5:2:drop", "--fault", "5:3:drop"});
    std::string still = file("still.jpg", 5000, 10);
    std::string movie = file("movie.mov", 10, 11);
    std::string next = file("next.jpg", 3000, 12);
    std::vector<VokUploadRecord> records = {Record(movie, 10, still, 5000), Record(next, 3000)};
    kinds = {DSC_UPLOAD_MOVIE, DSC_UPLOAD_A};
    ASSERT_EQ(VokDscCom_Connect(), DSC_OK);
    int32_t sent = 0;
    EXPECT_EQ(VokDscCom_Upload(records.data(), 2, &sent), DSC_OK);
    EXPECT_EQ(sent, 1);
    EXPECT_EQ(observer.messages, std::vector<int>{14});
    EXPECT_EQ(Names(card + "/100"), (std::vector<std::string>{"0001.jpg"}));
    EXPECT_EQ(ReadBytes(card + "/100/0001.jpg"), Pattern(3000, 12));
}

TEST_F(Upload, FullCameraAndWriteProtectedCardStopTheUpload) {
    {
        std::string card = emptyCard();
        SimCamera camera(home.dir, card, {"--capacity", "40000"});
        std::vector<VokUploadRecord> records = {Record(file("a.jpg", 30000, 1), 30000),
                                                Record(file("b.jpg", 30000, 2), 30000),
                                                Record(file("c.jpg", 100, 3), 100)};
        kinds = {DSC_UPLOAD_A, DSC_UPLOAD_A, DSC_UPLOAD_A};
        ASSERT_EQ(VokDscCom_Connect(), DSC_OK);
        EXPECT_EQ(VokDscCom_Upload(records.data(), 3, nullptr), DSC_ERR_MEMFULL);
        EXPECT_EQ(observer.messages, std::vector<int>{13});
        EXPECT_EQ(asked, 2u); // the third record is never asked about
        EXPECT_EQ(Names(card + "/100"), (std::vector<std::string>{"0001.jpg"}));
        VokDscCom_Disconnect();
    }
    observer.messages.clear();
    asked = 0;
    std::string other = MakeFolder(home.dir, "other");
    std::string card = other + "/card";
    mkdir(card.c_str(), 0700);
    SimCamera camera(other, card, {"--write-protect"});
    VokUploadRecord r = Record(file("d.jpg", 100, 4), 100);
    kinds = {DSC_UPLOAD_A};
    EXPECT_EQ(VokDscCom_RT70_PC2DSC(1, &r), 1);
    EXPECT_EQ(observer.messages, std::vector<int>{20});
    EXPECT_EQ(DscCom_Record()->sendBuffer, nullptr);
    EXPECT_TRUE(Names(card).empty());
}

// A small RGB TIFF: header, one directory, then the pixels in `strips` strips. Entries can be
// changed or added through `change` before the directory is written.
struct TiffEntrySpec {
    uint16_t tag, type;
    uint32_t count, value;
};
Bytes MakeTiff(bool big, uint32_t w, uint32_t h, const Bytes& pixels, int strips,
               const std::function<void(std::vector<TiffEntrySpec>*)>& change = {}) {
    Bytes out;
    auto put16 = [&](Bytes& b, size_t at, uint32_t v) {
        b[at] = big ? uint8_t(v >> 8) : uint8_t(v);
        b[at + 1] = big ? uint8_t(v) : uint8_t(v >> 8);
    };
    auto put32 = [&](Bytes& b, size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = uint8_t(v >> (big ? 8 * (3 - i) : 8 * i));
    };
    uint32_t rowsPer = (h + strips - 1) / strips;
    std::vector<TiffEntrySpec> e = {{256, 3, 1, w}, {257, 4, 1, h},       {258, 3, 1, 8},
                                    {259, 3, 1, 1}, {262, 3, 1, 2},       {273, 4, 0, 0},
                                    {277, 3, 1, 3}, {278, 4, 1, rowsPer}, {279, 4, 0, 0}};
    if (change)
        change(&e);
    size_t ifd = 8, n = e.size();
    size_t lists = ifd + 2 + 12 * n + 4;
    size_t data = lists + 8 * strips;
    out.assign(data + pixels.size(), 0);
    out[0] = out[1] = big ? 'M' : 'I';
    put16(out, 2, 42);
    put32(out, 4, uint32_t(ifd));
    put16(out, ifd, uint32_t(n));
    for (size_t i = 0; i < n; ++i) {
        size_t at = ifd + 2 + 12 * i;
        uint32_t count = e[i].count, value = e[i].value;
        if (e[i].tag == 273 || e[i].tag == 279) {
            count = uint32_t(strips);
            value = strips == 1 ? (e[i].tag == 273 ? uint32_t(data) : uint32_t(pixels.size()))
                                : uint32_t(lists + (e[i].tag == 273 ? 0 : 4 * strips));
        }
        put16(out, at, e[i].tag);
        put16(out, at + 2, e[i].type);
        put32(out, at + 4, count);
        if (e[i].type == 3 && count == 1)
            put16(out, at + 8, value);
        else
            put32(out, at + 8, value);
    }
    uint32_t rowBytes = w * 3;
    for (int s = 0; s < strips && strips > 1; ++s) {
        uint32_t first = s * rowsPer * rowBytes;
        uint32_t length = std::min<uint32_t>(rowsPer * rowBytes, uint32_t(pixels.size()) - first);
        put32(out, lists + 4 * s, uint32_t(data + first));
        put32(out, lists + 4 * strips + 4 * s, length);
    }
    std::copy(pixels.begin(), pixels.end(), out.begin() + data);
    return out;
}

// The pixel (x, y from the top) of a 24-bit bottom-up bitmap as R, G, B.
Bytes Pixel(const std::vector<uint8_t>& dib, uint32_t x, uint32_t y) {
    uint32_t w = dib[4] | (dib[5] << 8), h = dib[8] | (dib[9] << 8);
    uint32_t stride = (w * 3 + 3) / 4 * 4;
    const uint8_t* p = dib.data() + 40 + (h - 1 - y) * stride + x * 3;
    return {p[2], p[1], p[0]};
}

TEST(UploadPixels, OrientationsTurnTheBitmapUpright) {
    // A stored 3 x 2 bitmap with distinct pixels.
    Bytes pixels;
    for (uint8_t y = 0; y < 2; ++y)
        for (uint8_t x = 0; x < 3; ++x)
            pixels.insert(pixels.end(), {x, y, 0});
    std::vector<uint8_t> out;
    // The program's TIFF reader makes the bitmap of a TIFF that lists its three sample sizes.
    Bytes tiff = MakeTiff(false, 3, 2, pixels, 1, [](std::vector<TiffEntrySpec>* e) {
        for (auto& x : *e)
            if (x.tag == 258)
                x = {258, 3, 3, 0}; // 8, 8, 8 at an offset, patched below
    });
    const size_t sizes = tiff.size();
    tiff.insert(tiff.end(), {8, 0, 8, 0, 8, 0});
    for (size_t at = 10; at + 12 <= sizes; at += 12)
        if (tiff[at] == 2 && tiff[at + 1] == 1) // tag 258
            for (int i = 0; i < 4; ++i)
                tiff[at + 8 + i] = uint8_t(sizes >> (8 * i));
    const qubex::image::DibResult read = qubex::image::ReadTiffBytes(tiff.data(), tiff.size());
    ASSERT_TRUE(read.ok());
    ASSERT_EQ(read.dib[14], 24);
    // Its rows only: the reader leaves room after them.
    ASSERT_GE(read.dib.size(), 40u + 2 * 12);
    const std::vector<uint8_t> stored(read.dib.begin(), read.dib.begin() + 40 + 2 * 12);
    // Orientation 6: the stored top row is the upright picture's right column.
    ASSERT_TRUE(DscDib_Orient(stored.data(), stored.size(), 6, &out));
    EXPECT_EQ(out[4], 2); // 2 x 3
    EXPECT_EQ(out[8], 3);
    EXPECT_EQ(Pixel(out, 1, 0), (Bytes{0, 0, 0}));
    EXPECT_EQ(Pixel(out, 0, 0), (Bytes{0, 1, 0}));
    EXPECT_EQ(Pixel(out, 1, 2), (Bytes{2, 0, 0}));
    // Orientation 8: the stored top row is the left column, read upwards.
    ASSERT_TRUE(DscDib_Orient(stored.data(), stored.size(), 8, &out));
    EXPECT_EQ(Pixel(out, 0, 2), (Bytes{0, 0, 0}));
    EXPECT_EQ(Pixel(out, 0, 0), (Bytes{2, 0, 0}));
    EXPECT_EQ(Pixel(out, 1, 0), (Bytes{2, 1, 0}));
    // Orientation 3: turned half round.
    ASSERT_TRUE(DscDib_Orient(stored.data(), stored.size(), 3, &out));
    EXPECT_EQ(Pixel(out, 0, 0), (Bytes{2, 1, 0}));
    EXPECT_EQ(Pixel(out, 2, 1), (Bytes{0, 0, 0}));
    // Anything else copies; a broken bitmap is refused.
    ASSERT_TRUE(DscDib_Orient(stored.data(), stored.size(), 1, &out));
    EXPECT_EQ(out, stored);
    EXPECT_FALSE(DscDib_Orient(stored.data(), stored.size() - 1, 6, &out));
    EXPECT_FALSE(DscDib_Orient(stored.data(), 39, 6, &out));
}

} // namespace
