// The selection dialog's camera side over an injected link: the folder list with leading
// empty folders dropped, the refusals of 0 and 1000 folders, image counts and numbers, and
// the thumbnail fetch with its retry rule and its bounds on what the camera claims.
#include <sys/stat.h>
#include <unistd.h>

#include <map>

#include <gtest/gtest.h>

#include "DscSelection.h"
#include "FakeCamera.h"
#include "vok_test_env.h"

using voktest::ReadBytes;

namespace {

// A camera with folders (number -> image count) and thumbnails (image -> bytes).
struct CardModel {
    std::vector<uint16_t> folders;
    std::map<uint16_t, int> images;
    std::map<uint16_t, Bytes> thumbs;
    uint8_t kind = 1;
    int32_t folderCountOverride = -1;
    bool failCounts = false;
    int spoilBlockOnce = -1; // this block's first reply has a wrong checksum
    bool statusSixOnBlock = false;
    uint32_t claimedSize = 0; // nonzero: the information reply claims this size
};

Answer respond(CardModel* m, const Bytes& rq) {
    uint8_t seq = rq[1];
    uint16_t a = static_cast<uint16_t>(rq[4] | (rq[5] << 8));
    uint16_t b = static_cast<uint16_t>(rq[6] | (rq[7] << 8));
    switch (rq[3]) {
    case DSC_CMD_COUNT_FOLDERS: {
        int32_t total = m->folderCountOverride >= 0 ? m->folderCountOverride
                                                    : static_cast<int32_t>(m->folders.size());
        return Answer{Packet(8, seq, 11, U32(PageSize(total, seq)))};
    }
    case DSC_CMD_LIST_FOLDERS: {
        Bytes list;
        for (size_t i = seq * 50u; i < m->folders.size() && i < seq * 50u + 50; ++i)
            list = Cat(list, U16(m->folders[i]));
        if (m->folderCountOverride >= 0)
            for (int i = 0; i < 50; ++i)
                list = Cat(list, U16(seq * 50 + i + 1));
        return Answer{Packet(16, seq, 13, list)};
    }
    case DSC_CMD_COUNT_IMAGES: {
        if (m->failCounts)
            return Answer{Status(seq, 2)};
        int total = m->images.count(a) ? m->images[a] : 0;
        return Answer{Packet(8, seq, 8, U16(PageSize(total, seq)))};
    }
    case DSC_CMD_LIST_IMAGES: {
        Bytes list;
        int total = m->images.count(a) ? m->images[a] : 0;
        for (int i = seq * 50; i < total && i < seq * 50 + 50; ++i)
            list = Cat(list, U16(static_cast<uint32_t>(i + 1)));
        return Answer{Packet(16, seq, 15, list)};
    }
    case DSC_CMD_THUMB_INFO: {
        if (!m->thumbs.count(b))
            return Answer{Status(seq, 6)};
        uint32_t size = m->claimedSize ? m->claimedSize : m->thumbs[b].size();
        return Answer{Packet(8, seq, 29, Cat({m->kind}, U32(size)))};
    }
    case DSC_CMD_READ_BLOCK: {
        uint16_t image = b;
        uint16_t block = static_cast<uint16_t>(rq[8] | (rq[9] << 8));
        if (m->statusSixOnBlock)
            return Answer{Status(seq, 6)};
        const Bytes& t = m->thumbs[image];
        Bytes data;
        for (size_t i = block * 32768u; i < t.size() && i < block * 32768u + 32768; ++i)
            data.push_back(t[i]);
        Bytes p = Packet(2, seq, 5, data);
        if (m->spoilBlockOnce == block) {
            m->spoilBlockOnce = -1;
            p[p.size() - 2] ^= 0xFF;
        }
        return Answer{p};
    }
    default:
        return Answer{Status(seq, 0)};
    }
}

class SelectionCamera : public ::testing::Test {
  protected:
    TempHome home;
    voktest::ScopedEnv tmp{"TMPDIR", home.dir};
    FakeCamera camera;
    Observer observer;
    CardModel card;

    void SetUp() override {
        VokDscCom_SetApplicationInfo(nullptr, "test", 1, 5, "");
        ASSERT_EQ(DscCom_OpenConnection(), 1);
        camera.responder = [this](const Bytes& rq) { return respond(&card, rq); };
    }
    void TearDown() override {
        DscCom_ReleaseBuffers();
        EXPECT_EQ(camera.openHandles, 0);
    }
    std::vector<uint32_t> numbers(const std::vector<DscFolderRecord>& f) {
        std::vector<uint32_t> out;
        for (const DscFolderRecord& r : f)
            out.push_back(r.number);
        return out;
    }
    // Temporary files left in the test's temporary folder.
    int leftovers() {
        int n = 0;
        for (const std::string& name : voktest::Names(home.dir))
            n += name.rfind("VOK", 0) == 0;
        return n;
    }
};

TEST_F(SelectionCamera, LeadingEmptyFoldersAreDropped) {
    card.folders = {100, 101, 102, 103, 104};
    card.images = {{102, 3}, {104, 7}}; // 103 is empty after the first full folder
    std::vector<DscFolderRecord> f;
    int allEmpty = -1;
    ASSERT_EQ(DscSel_ReadFolderList(&f, &allEmpty), DSC_OK);
    EXPECT_EQ(allEmpty, 0);
    EXPECT_EQ(numbers(f), (std::vector<uint32_t>{102, 103, 104}));
    EXPECT_EQ(f[0].counted, 1);
    EXPECT_EQ(f[0].imageCount, 3);
    EXPECT_EQ(f[1].counted, 0);
    // Counting stops at the first folder with images.
    EXPECT_EQ(camera.count(DSC_CMD_COUNT_IMAGES), 3);
    EXPECT_TRUE(observer.messages.empty());
}

TEST_F(SelectionCamera, AllFoldersEmptyKeepsThemAll) {
    card.folders = {100, 101, 102};
    std::vector<DscFolderRecord> f;
    int allEmpty = 0;
    ASSERT_EQ(DscSel_ReadFolderList(&f, &allEmpty), DSC_OK);
    EXPECT_EQ(allEmpty, 1);
    EXPECT_EQ(numbers(f), (std::vector<uint32_t>{100, 101, 102}));
    EXPECT_EQ(camera.count(DSC_CMD_COUNT_IMAGES), 3);
}

TEST_F(SelectionCamera, NoFolderShowsMessage53) {
    std::vector<DscFolderRecord> f;
    int allEmpty = 0;
    EXPECT_EQ(DscSel_ReadFolderList(&f, &allEmpty), DSC_ERR_REPORTED);
    EXPECT_EQ(observer.messages, std::vector<int>{53});
    EXPECT_EQ(camera.count(DSC_CMD_LIST_FOLDERS), 0);
}

TEST_F(SelectionCamera, ThousandFoldersAreRefused) {
    card.folderCountOverride = 1000;
    std::vector<DscFolderRecord> f;
    int allEmpty = 0;
    EXPECT_EQ(DscSel_ReadFolderList(&f, &allEmpty), DSC_ERR_REPORTED);
    EXPECT_TRUE(f.empty());
    EXPECT_EQ(camera.count(DSC_CMD_LIST_FOLDERS), 0);
    EXPECT_EQ(observer.messages, std::vector<int>{6});
}

TEST_F(SelectionCamera, NineHundredNinetyNineFoldersAreListed) {
    card.folderCountOverride = 999;
    card.images = {{1, 2}};
    std::vector<DscFolderRecord> f;
    int allEmpty = 0;
    ASSERT_EQ(DscSel_ReadFolderList(&f, &allEmpty), DSC_OK);
    ASSERT_EQ(f.size(), 999u);
    EXPECT_EQ(f.front().number, 1u);
    EXPECT_EQ(f.back().number, 999u);
    EXPECT_EQ(camera.count(DSC_CMD_LIST_FOLDERS), 20);
    EXPECT_TRUE(observer.messages.empty());
}

TEST_F(SelectionCamera, CountFailureWhileSkippingShowsMessage129) {
    card.folders = {100, 101};
    card.failCounts = true;
    std::vector<DscFolderRecord> f;
    int allEmpty = 0;
    EXPECT_EQ(DscSel_ReadFolderList(&f, &allEmpty), DSC_ERR_REPORTED);
    // The exchange gives up with its own message 14, then the listing says 129.
    EXPECT_EQ(observer.messages, (std::vector<int>{14, 129}));
    EXPECT_TRUE(f.empty());
}

TEST_F(SelectionCamera, ImageNumbersFillTheRecords) {
    card.images = {{100, 53}};
    int32_t n = 0;
    ASSERT_EQ(DscSel_CountFolderImages(100, &n), DSC_OK);
    EXPECT_EQ(n, 53);
    std::vector<DscImageRecord> r;
    ASSERT_EQ(DscSel_ReadImageNumbers(100, n, &r), DSC_OK);
    ASSERT_EQ(r.size(), 53u);
    EXPECT_EQ(r[52].number, 53u);
    EXPECT_STREQ(r[52].label, "53");
    EXPECT_EQ(camera.count(DSC_CMD_LIST_IMAGES), 2);
    // The folder number travels as the payload of every page.
    for (const Bytes& rq : camera.requests) {
        if (rq[3] == DSC_CMD_LIST_IMAGES) {
            EXPECT_EQ(rq[4] | (rq[5] << 8), 100);
        }
    }
}

TEST_F(SelectionCamera, CountBeyondSixteenBitNumbersIsADataError) {
    // Full pages of 65535 images, then an end: more images than a folder has 16-bit numbers,
    // which would otherwise become one record each before anything could list them.
    camera.responder = [this](const Bytes& rq) {
        if (rq[3] == DSC_CMD_COUNT_IMAGES)
            return Answer{Packet(8, rq[1], 8, U16(rq[1] < 2 ? 65535u : 0u))};
        return respond(&card, rq);
    };
    int32_t n = -1;
    EXPECT_EQ(DscSel_CountFolderImages(100, &n), DSC_ERR_FRAME);
    EXPECT_EQ(n, 0);
    // A folder of exactly 65536 images is still counted.
    camera.responder = [this](const Bytes& rq) {
        if (rq[3] == DSC_CMD_COUNT_IMAGES)
            return Answer{Packet(8, rq[1], 8, U16(rq[1] == 0 ? 65535u : rq[1] == 1 ? 1u : 0u))};
        return respond(&card, rq);
    };
    EXPECT_EQ(DscSel_CountFolderImages(100, &n), DSC_OK);
    EXPECT_EQ(n, 65536);
}

TEST_F(SelectionCamera, ThumbnailIsWrittenToATemporaryFile) {
    Bytes thumb(40000);
    for (size_t i = 0; i < thumb.size(); ++i)
        thumb[i] = static_cast<uint8_t>(i * 7);
    card.thumbs[5] = thumb;
    card.kind = 3;
    std::string path;
    uint8_t kind = 0;
    ASSERT_EQ(DscSel_FetchThumbnail(100, 5, &path, &kind), DSC_OK);
    EXPECT_EQ(kind, 3);
    EXPECT_EQ(ReadBytes(path), thumb);
    EXPECT_EQ(path.rfind(home.dir + "/VOK", 0), 0u) << path;
    unlink(path.c_str());
    // Command 22, then two blocks of command 30 with selector 0 and the block as sequence.
    std::vector<Bytes> reads;
    for (const Bytes& rq : camera.requests)
        if (rq[3] == DSC_CMD_READ_BLOCK)
            reads.push_back(rq);
    ASSERT_EQ(reads.size(), 2u);
    for (uint8_t b = 0; b < 2; ++b) {
        EXPECT_EQ(reads[b][1], b);
        EXPECT_EQ(reads[b][4] | (reads[b][5] << 8), 100);
        EXPECT_EQ(reads[b][6] | (reads[b][7] << 8), 5);
        EXPECT_EQ(reads[b][8] | (reads[b][9] << 8), b);
        EXPECT_EQ(reads[b][10], 0);
    }
    EXPECT_EQ(camera.count(DSC_CMD_THUMB_INFO), 1);
}

TEST_F(SelectionCamera, ThumbnailBlockRetriedAfterABadChecksum) {
    card.thumbs[1] = Bytes(100, 0x5A);
    card.spoilBlockOnce = 0;
    std::string path;
    uint8_t kind = 0;
    ASSERT_EQ(DscSel_FetchThumbnail(100, 1, &path, &kind), DSC_OK);
    EXPECT_EQ(ReadBytes(path), Bytes(100, 0x5A));
    unlink(path.c_str());
    EXPECT_EQ(camera.count(DSC_CMD_READ_BLOCK), 2);
    EXPECT_TRUE(observer.messages.empty());
}

TEST_F(SelectionCamera, MissingThumbnailIsNoItemAndLeavesNoFile) {
    std::string path = "x";
    uint8_t kind = 0;
    EXPECT_EQ(DscSel_FetchThumbnail(100, 9, &path, &kind), DSC_ERR_NOITEM);
    EXPECT_TRUE(path.empty());
    card.thumbs[2] = Bytes(10, 1);
    card.statusSixOnBlock = true;
    EXPECT_EQ(DscSel_FetchThumbnail(100, 2, &path, &kind), DSC_ERR_NOITEM);
    EXPECT_TRUE(observer.messages.empty());
    EXPECT_EQ(leftovers(), 0);
}

TEST_F(SelectionCamera, EmptyThumbnailCountsAsNone) {
    card.thumbs[3] = Bytes();
    std::string path;
    uint8_t kind = 0;
    EXPECT_EQ(DscSel_FetchThumbnail(100, 3, &path, &kind), DSC_ERR_NOITEM);
    EXPECT_EQ(camera.count(DSC_CMD_READ_BLOCK), 0);
}

TEST_F(SelectionCamera, HugeClaimedThumbnailIsRefusedBeforeAnyRead) {
    card.thumbs[4] = Bytes(10, 1);
    card.claimedSize = 0xFFFFFFF0u;
    std::string path;
    uint8_t kind = 0;
    EXPECT_EQ(DscSel_FetchThumbnail(100, 4, &path, &kind), DSC_ERR_FRAME);
    EXPECT_EQ(camera.count(DSC_CMD_READ_BLOCK), 0);
    EXPECT_TRUE(path.empty());
    EXPECT_EQ(leftovers(), 0);
}

TEST_F(SelectionCamera, CameraGoneMidThumbnailEndsTheFetch) {
    card.thumbs[6] = Bytes(70000, 3);
    int reads = 0;
    camera.responder = [this, &reads](const Bytes& rq) {
        if (rq[3] == DSC_CMD_READ_BLOCK && ++reads > 1)
            return Answer{{}, true};
        return respond(&card, rq);
    };
    std::string path;
    uint8_t kind = 0;
    EXPECT_EQ(DscSel_FetchThumbnail(100, 6, &path, &kind), DSC_ERR_NOANSWER);
    EXPECT_EQ(observer.messages, std::vector<int>{14});
    EXPECT_EQ(reads, 4); // the first block, then three attempts at the second
    EXPECT_EQ(leftovers(), 0);
}

} // namespace
