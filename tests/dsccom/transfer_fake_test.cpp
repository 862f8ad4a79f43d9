// The download against a scripted camera, for replies the virtual camera never gives: a kind
// of 5 or more, a size too large for 16-bit block numbers, a block reply of the wrong size,
// and the exact requests of a whole-camera run.
#include <gtest/gtest.h>

#include "DscTransfer.h"
#include "FakeCamera.h"
#include "vok_test_env.h"
#include "transfer_env.h"

using voktest::ReadBytes;

namespace {

struct Script {
    uint8_t kind = 1;
    uint32_t size = 40000;
    int images = 2;
    bool shortBlocks = false;
};

class Scripted : public ::testing::Test {
  protected:
    TempHome home;
    Observer observer;
    FakeCamera camera;
    Script script;
    std::string dest;

    void SetUp() override {
        VokDscCom_SetApplicationInfo(nullptr, "test", 1, 5, "");
        dest = MakeFolder(home.dir, "dest");
        camera.responder = [this](const Bytes& rq) {
            uint8_t seq = rq[1];
            switch (rq[3]) {
            case DSC_CMD_IDENTIFY:
                return Answer{Packet(8, 0, 3, {'D', 'S', 'C', '1'})};
            case DSC_CMD_COUNT_ALL:
                return Answer{Packet(8, seq, DSC_REPLY_COUNT_ALL,
                                     U32(seq == 0 ? script.images : 0xFFFFFFFFu))};
            case DSC_CMD_INDEX_INFO:
                return Answer{Packet(8, 0, DSC_REPLY_INFO, Cat({script.kind}, U32(script.size)))};
            case DSC_CMD_INDEX_READ_BLOCK: {
                uint16_t block = static_cast<uint16_t>(rq[8] | (rq[9] << 8));
                Bytes data(32768, static_cast<uint8_t>(block + rq[4]));
                if (script.shortBlocks)
                    return Answer{Packet(1, seq, DSC_REPLY_BLOCK, Bytes(1024, 1))};
                return Answer{Packet(2, seq, DSC_REPLY_BLOCK, data)};
            }
            default:
                return Answer{Status(seq, 0)};
            }
        };
        ASSERT_EQ(VokDscCom_Connect(), DSC_OK);
    }
    void TearDown() override { VokDscCom_Disconnect(); }
};

TEST_F(Scripted, WholeCameraRunRequests) {
    int32_t written = 0;
    ASSERT_EQ(DscTransfer_RunAllInto(1, dest.c_str(), &written), DSC_OK);
    EXPECT_EQ(written, 2);
    EXPECT_EQ(camera.count(DSC_CMD_INDEX_INFO), 2);
    EXPECT_EQ(camera.count(DSC_CMD_INDEX_READ_BLOCK), 4); // 40000 bytes: two blocks each
    // Image 1, block 1: index 1 (4 bytes), block 1 (2 bytes), selector 0, sequence 1.
    const Bytes* last = nullptr;
    for (const Bytes& r : camera.requests)
        if (r[3] == DSC_CMD_INDEX_READ_BLOCK)
            last = &r;
    ASSERT_TRUE(last);
    EXPECT_EQ(Bytes(last->begin() + 1, last->begin() + 11),
              (Bytes{1, 0xFE, DSC_CMD_INDEX_READ_BLOCK, 1, 0, 0, 0, 1, 0, 0}));
    std::vector<uint8_t> second = ReadBytes(dest + "/DSC00002.jpg");
    ASSERT_EQ(second.size(), 40000u);
    EXPECT_EQ(second[0], 1);     // block 0 of index 1
    EXPECT_EQ(second[39999], 2); // block 1 of index 1
    EXPECT_TRUE(observer.messages.empty());
}

TEST_F(Scripted, KindFiveOrMoreEndsTheRun) {
    for (uint8_t kind : {5, 200}) {
        script.kind = kind;
        EXPECT_EQ(DscTransfer_RunAllInto(1, dest.c_str(), nullptr), DSC_ERR_REPORTED);
        EXPECT_EQ(observer.messages, (std::vector<int>{DSC_MSG_DATA}));
        EXPECT_EQ(camera.count(DSC_CMD_INDEX_READ_BLOCK), 0);
        EXPECT_TRUE(Names(dest).empty());
        observer.messages.clear();
    }
}

TEST_F(Scripted, SizeBeyondBlockNumbersIsRefused) {
    script.size = 0xFFFFFFFFu;
    EXPECT_EQ(DscTransfer_RunAllInto(1, dest.c_str(), nullptr), DSC_ERR_REPORTED);
    EXPECT_EQ(observer.messages, (std::vector<int>{DSC_MSG_DATA}));
    EXPECT_EQ(camera.count(DSC_CMD_INDEX_READ_BLOCK), 0);
    EXPECT_TRUE(Names(dest).empty());
}

TEST_F(Scripted, BlockOfTheWrongSizeIsADataError) {
    script.shortBlocks = true;
    EXPECT_EQ(DscTransfer_RunAllInto(1, dest.c_str(), nullptr), DSC_ERR_REPORTED);
    EXPECT_EQ(observer.messages, (std::vector<int>{DSC_MSG_DATA}));
    EXPECT_EQ(camera.count(DSC_CMD_INDEX_READ_BLOCK), 3);
    EXPECT_TRUE(Names(dest).empty());
}

TEST_F(Scripted, BlockReadsThatNeverCheckOutAreReported) {
    // Three replies with the wrong reply code end the read quietly; the run must still say so.
    camera.responder = [base = camera.responder](const Bytes& rq) {
        if (rq[3] == DSC_CMD_INDEX_READ_BLOCK)
            return Answer{Status(rq[1], 0)};
        return base(rq);
    };
    EXPECT_EQ(DscTransfer_RunAllInto(1, dest.c_str(), nullptr), DSC_ERR_REPLY);
    EXPECT_EQ(observer.messages, (std::vector<int>{DSC_MSG_DATA}));
    EXPECT_EQ(camera.count(DSC_CMD_INDEX_READ_BLOCK), 3);
    EXPECT_TRUE(Names(dest).empty());
}

TEST_F(Scripted, SilentCameraAfterTheFirstFile) {
    camera.responder = [base = camera.responder, this](const Bytes& rq) {
        if (rq[3] == DSC_CMD_INDEX_INFO && camera.count(DSC_CMD_INDEX_INFO) > 1)
            return Answer{};
        return base(rq);
    };
    EXPECT_EQ(DscTransfer_RunAllInto(1, dest.c_str(), nullptr), DSC_ERR_REPORTED);
    EXPECT_EQ(observer.messages, (std::vector<int>{DSC_MSG_ACCESS}));
    EXPECT_EQ(Names(dest), (std::vector<std::string>{"DSC00001.jpg"}));
}

} // namespace
