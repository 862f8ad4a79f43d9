// Clock registers, deletion and the button reset against the virtual camera: the register
// addresses of each variant, writes in order with a refused one stopping the rest, exactly
// the named images deleted, the refusals of a protected card, and the reset's identify.
#include <time.h>

#include <gtest/gtest.h>

#include "DscHousekeeping.h"
#include "FakeCamera.h"
#include "sim_camera.h"
#include "transfer_env.h"

using voktest::MakeCard;
using voktest::SimCamera;

namespace {

class Housekeeping : public ::testing::Test {
  protected:
    TempHome home;
    Observer observer;
    void SetUp() override { VokDscCom_SetApplicationInfo(nullptr, "test", 1, 5, ""); }
    void TearDown() override { VokDscCom_Disconnect(); }
};

TEST_F(Housekeeping, ClockOfEachVariantWrittenAndReadBack) {
    for (const char* variant : {"1", "2"}) {
        std::string dir = MakeFolder(home.dir, variant);
        SimCamera camera(dir, MakeCard(dir, 1, 1), {"--variant", variant});
        ASSERT_EQ(VokDscCom_Connect(), DSC_OK);
        EXPECT_EQ(VokDscCom_GetCameraVariant(), variant[0] - '0');
        VokClock set = {2000, 2, 29, 23, 58};
        EXPECT_EQ(VokDscCom_WriteClock(&set), DSC_OK);
        VokClock got = {};
        EXPECT_EQ(VokDscCom_ReadClock(&got), DSC_OK);
        EXPECT_EQ(got.year, 2000) << variant;
        EXPECT_EQ(got.month, 2);
        EXPECT_EQ(got.day, 29);
        EXPECT_EQ(got.hour, 23);
        EXPECT_TRUE(got.minute == 58 || got.minute == 59); // the camera's clock runs on
        VokDscCom_Disconnect();
    }
    EXPECT_TRUE(observer.messages.empty());
}

TEST_F(Housekeeping, RegisterPacketsOfVariantTwoAndARefusedWrite) {
    FakeCamera camera;
    std::vector<Bytes> registerRequests;
    camera.responder = [&](const Bytes& q) {
        if (q[3] == DSC_CMD_IDENTIFY)
            return Answer{Packet(DSC_TYPE_SHORT, q[1], DSC_REPLY_IDENTIFY, {'D', 'S', 'C', '2'})};
        if (q[3] == DSC_CMD_READ_REGISTER) {
            registerRequests.push_back(q);
            return Answer{Packet(DSC_TYPE_SHORT, q[1], DSC_REPLY_REGISTER,
                                 U16(q[4] == 0xC1 ? 0x0C1F : 2001))};
        }
        if (q[3] == DSC_CMD_WRITE_REGISTER) {
            registerRequests.push_back(q);
            // The date register refuses (status 2): the time is never written.
            return Answer{Status(q[1], q[4] == 0xC1 ? 2 : 0)};
        }
        return Answer{Status(q[1], 0)};
    };
    ASSERT_EQ(VokDscCom_Connect(), DSC_OK);
    VokClock got = {};
    EXPECT_EQ(VokDscCom_ReadClock(&got), DSC_OK);
    EXPECT_EQ(got.month, 12);
    EXPECT_EQ(got.day, 31);
    VokClock set = {2001, 1, 2, 3, 4};
    EXPECT_EQ(VokDscCom_WriteClock(&set), DSC_ERR_STATUS2);
    VokDscCom_Disconnect();
    ASSERT_EQ(registerRequests.size(), 5u);
    // Reads: a one-byte address, the rest of the payload zero.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(registerRequests[i][4], 0xC0 + i);
        EXPECT_EQ(std::count(registerRequests[i].begin() + 5, registerRequests[i].end() - 2, 0), 9);
    }
    // Writes: two-byte address, two-byte value, year first.
    EXPECT_EQ(Bytes(registerRequests[3].begin() + 4, registerRequests[3].begin() + 8),
              Cat(U16(0x00C0), U16(2001)));
    EXPECT_EQ(Bytes(registerRequests[4].begin() + 4, registerRequests[4].begin() + 8),
              Cat(U16(0x00C1), U16(0x0102)));
}

TEST_F(Housekeeping, DeletesExactlyTheNamedImagesAndStopsOnRefusals) {
    std::string card = MakeCard(home.dir, 2, 3);
    {
        SimCamera camera(home.dir, card);
        ASSERT_EQ(VokDscCom_Connect(), DSC_OK);
        const uint16_t folders[] = {100, 101, 101};
        const uint16_t images[] = {2, 1, 3};
        int32_t deleted[3] = {};
        EXPECT_EQ(VokDscCom_DeleteImages(folders, images, 3, deleted), DSC_OK);
        EXPECT_EQ(std::vector<int32_t>(deleted, deleted + 3), (std::vector<int32_t>{1, 1, 1}));
        EXPECT_EQ(Names(card + "/100"), (std::vector<std::string>{"0001.jpg", "0003.jpg"}));
        EXPECT_EQ(Names(card + "/101"), (std::vector<std::string>{"0002.jpg"}));
        // An image that is not there: status 2, message 4, and the ones before it stay.
        const uint16_t more[] = {1, 7, 3};
        const uint16_t moreFolders[] = {100, 100, 100};
        EXPECT_EQ(VokDscCom_DeleteImages(moreFolders, more, 3, deleted), DSC_ERR_STATUS2);
        EXPECT_EQ(std::vector<int32_t>(deleted, deleted + 3), (std::vector<int32_t>{0, 0, 1}));
        EXPECT_EQ(observer.messages, std::vector<int>{4});
        EXPECT_EQ(Names(card + "/100"), (std::vector<std::string>{"0001.jpg"}));
        VokDscCom_Disconnect();
    }
    observer.messages.clear();
    SimCamera camera(home.dir, card, {"--write-protect"});
    ASSERT_EQ(VokDscCom_Connect(), DSC_OK);
    const uint16_t folders[] = {100};
    const uint16_t images[] = {1};
    int32_t deleted[1] = {1};
    EXPECT_EQ(VokDscCom_DeleteImages(folders, images, 1, deleted), DSC_ERR_PROTECTED);
    EXPECT_EQ(deleted[0], 0);
    EXPECT_EQ(observer.messages, std::vector<int>{19});
    EXPECT_EQ(Names(card + "/100"), (std::vector<std::string>{"0001.jpg"}));
}

TEST_F(Housekeeping, ResetEndsTheConnectionWhateverTheIdentifyGave) {
    FakeCamera camera;
    camera.responder = [](const Bytes& q) {
        if (q[3] == DSC_CMD_IDENTIFY) // a camera that never answers identify properly
            return Answer{Status(q[1], 0)};
        return Answer{Status(q[1], 0)};
    };
    EXPECT_EQ(VokDscCom_ResetButtonStatus(), 1);
    EXPECT_EQ(camera.count(DSC_CMD_IDENTIFY), 3);
    EXPECT_EQ(camera.count(DSC_CMD_END), 1);
    EXPECT_EQ(observer.messages, std::vector<int>{14});
    EXPECT_EQ(DscCom_Record()->sendBuffer, nullptr);
    EXPECT_EQ(camera.openHandles, 0);
    // A busy owner: nothing touched.
    observer.answer = [](unsigned m, uintptr_t code, intptr_t) -> intptr_t {
        return m == WM_DSC_STATUS && code == DSC_STATUS_BUSY_QUERY;
    };
    size_t before = camera.requests.size();
    EXPECT_EQ(VokDscCom_ResetButtonStatus(), 1);
    EXPECT_EQ(camera.requests.size(), before);
}

TEST_F(Housekeeping, ResetClearsThePendingButtonEvent) {
    SimCamera camera(home.dir, MakeCard(home.dir, 1, 1), {"--button", "1"});
    EXPECT_EQ(VokDscCom_ResetButtonStatus(), 1);
    ASSERT_EQ(VokDscCom_Connect(), DSC_OK);
    ASSERT_EQ(DscCom_Command(128, 0, nullptr, 0, 129), DSC_OK);
    EXPECT_EQ(DscCom_Record()->recvBuffer[4], 0);
}

} // namespace
