// Packet framing and reply checking: byte vectors built by hand from the packet rules,
// every rule of the reply check, and the result-code messages.
#include <gtest/gtest.h>

#include "FakeCamera.h"

namespace {

class Packets : public ::testing::Test {
  protected:
    TempHome home;
    FakeCamera camera;
    Observer observer;
    DscConnection* c = nullptr;

    void SetUp() override {
        VokDscCom_SetApplicationInfo(nullptr, "test", 1, 5, "");
        ASSERT_EQ(DscCom_OpenConnection(), 1);
        c = DscCom_Record();
        observer.messages.clear();
    }
    void TearDown() override { DscCom_ReleaseBuffers(); }

    // Puts a reply into the receive buffer as if it had arrived.
    void arrive(const Bytes& bytes) {
        ASSERT_LE(bytes.size(), static_cast<size_t>(DSC_BUFFER_SIZE));
        if (!bytes.empty())
            memcpy(c->recvBuffer, bytes.data(), bytes.size());
        c->recvLength = static_cast<uint32_t>(bytes.size());
    }
    // The request whose reply is checked: the command byte decides the information rules.
    void request(uint8_t command, uint8_t seq = 0) {
        ASSERT_EQ(DscCom_BuildPacket(DSC_TYPE_SHORT, seq, command, 0, nullptr), DSC_OK);
        c->seqExpected = seq;
    }
};

TEST_F(Packets, ShortRequestMatchesHandVector) {
    ASSERT_EQ(DscCom_BuildPacket(DSC_TYPE_SHORT, 0x05, DSC_CMD_IDENTIFY, 0, nullptr), DSC_OK);
    // 0x05 + 0xFA + 0x02 = 0x101; the type byte 8 is not part of the sum.
    Bytes want = {8, 0x05, 0xFA, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0};
    EXPECT_EQ(c->sendLength, 16u);
    EXPECT_EQ(Bytes(c->sendBuffer, c->sendBuffer + 16), want);
}

TEST_F(Packets, PayloadIsCopiedAndRestZeroed) {
    memset(c->sendBuffer, 0xEE, DSC_BUFFER_SIZE);
    uint8_t payload[5] = {0x64, 0x00, 0x07, 0x00, 0x01};
    ASSERT_EQ(DscCom_BuildPacket(DSC_TYPE_SHORT, 0, DSC_CMD_IMAGE_INFO, 5, payload), DSC_OK);
    Bytes want = {8, 0, 0xFF, 26, 0x64, 0, 7, 0, 1, 0, 0, 0, 0, 0, 0, 0};
    want[14] = static_cast<uint8_t>(0xFF + 26 + 0x64 + 7 + 1);
    EXPECT_EQ(Bytes(c->sendBuffer, c->sendBuffer + 16), want);
}

TEST_F(Packets, EveryTypeHasItsLengthAndChecksumPlace) {
    struct {
        int type;
        uint32_t total;
    } cases[] = {{8, 16}, {16, 262}, {1, 1030}, {2, 32774}};
    for (auto k : cases) {
        Bytes payload(k.total - 6, 0x01);
        ASSERT_EQ(DscCom_BuildPacket(k.type, 3, 5, k.total - 6, payload.data()), DSC_OK);
        EXPECT_EQ(c->sendLength, k.total);
        uint8_t expected = static_cast<uint8_t>(3 + 0xFC + 5 + (k.total - 6));
        EXPECT_EQ(c->sendBuffer[k.total - 2], expected) << k.type;
        EXPECT_EQ(c->sendBuffer[k.total - 1], 0) << k.type;
        EXPECT_EQ(Bytes(c->sendBuffer, c->sendBuffer + k.total), Packet(k.type, 3, 5, payload));
    }
    EXPECT_EQ(DscCom_PacketLength(3), 0u);
}

TEST_F(Packets, OversizedPayloadOrUnknownTypeIsRefused) {
    Bytes big(11, 1);
    EXPECT_NE(DscCom_BuildPacket(DSC_TYPE_SHORT, 0, 2, 11, big.data()), DSC_OK);
    EXPECT_NE(DscCom_BuildPacket(4, 0, 2, 0, nullptr), DSC_OK);
}

TEST_F(Packets, RightReplyPasses) {
    request(DSC_CMD_IDENTIFY, 7);
    arrive(Packet(DSC_TYPE_SHORT, 7, DSC_REPLY_IDENTIFY, {'D', 'S', 'C', '6'}));
    EXPECT_EQ(DscCom_CheckReply(DSC_REPLY_IDENTIFY), DSC_OK);
    EXPECT_TRUE(observer.messages.empty());
}

TEST_F(Packets, WrongComplementIsFramingEvenWithRightChecksum) {
    request(DSC_CMD_IDENTIFY, 7);
    Bytes reply = Packet(DSC_TYPE_SHORT, 7, DSC_REPLY_IDENTIFY, {'D', 'S', 'C', '6'});
    reply[2] ^= 0x10;
    reply[14] = DscCom_Checksum(reply.data(), 16); // re-summed over the damaged byte
    arrive(reply);
    EXPECT_EQ(DscCom_CheckReply(DSC_REPLY_IDENTIFY), DSC_ERR_FRAME);
    EXPECT_EQ(observer.messages, std::vector<int>{8});
}

TEST_F(Packets, WrongSequenceOrTypeIsFraming) {
    request(DSC_CMD_IDENTIFY, 7);
    arrive(Packet(DSC_TYPE_SHORT, 8, DSC_REPLY_IDENTIFY));
    EXPECT_EQ(DscCom_CheckReply(DSC_REPLY_IDENTIFY), DSC_ERR_FRAME);
    Bytes odd = Packet(DSC_TYPE_SHORT, 7, DSC_REPLY_IDENTIFY);
    odd[0] = 9;
    arrive(odd);
    EXPECT_EQ(DscCom_CheckReply(DSC_REPLY_IDENTIFY), DSC_ERR_FRAME);
    EXPECT_EQ(observer.count(8), 2);
}

TEST_F(Packets, QuietFramingShowsNothing) {
    request(DSC_CMD_READ_BLOCK, 7);
    c->quietFraming = 1;
    arrive(Packet(DSC_TYPE_SHORT, 8, DSC_REPLY_BLOCK));
    EXPECT_EQ(DscCom_CheckReply(DSC_REPLY_BLOCK), DSC_ERR_FRAME);
    EXPECT_TRUE(observer.messages.empty());
    c->quietFraming = 0;
}

TEST_F(Packets, ChecksumThatIncludesTheTypeByteIsWrong) {
    // An ordinary reply retries (33); the listed replies call it a data error (30).
    request(DSC_CMD_IDENTIFY);
    Bytes reply = Packet(DSC_TYPE_SHORT, 0, DSC_REPLY_IDENTIFY, {'D', 'S', 'C', '1'});
    reply[14] = static_cast<uint8_t>(reply[14] + reply[0]);
    arrive(reply);
    EXPECT_EQ(DscCom_CheckReply(DSC_REPLY_IDENTIFY), DSC_ERR_REPLY);
    EXPECT_TRUE(observer.messages.empty());

    for (int code : {5, 8, 15, 29, 131}) {
        request(DSC_CMD_IMAGE_INFO);
        Bytes r = Packet(DSC_TYPE_SHORT, 0, static_cast<uint8_t>(code), {1, 0x10});
        r[14] = static_cast<uint8_t>(r[14] + r[0]);
        arrive(r);
        EXPECT_EQ(DscCom_CheckReply(code), DSC_ERR_FRAME) << code;
    }
    EXPECT_EQ(observer.count(8), 5);
}

TEST_F(Packets, WrongReplyCodeRetries) {
    request(DSC_CMD_COUNT_FOLDERS);
    arrive(Packet(DSC_TYPE_SHORT, 0, DSC_REPLY_LIST_FOLDERS));
    EXPECT_EQ(DscCom_CheckReply(DSC_REPLY_COUNT_FOLDERS), DSC_ERR_REPLY);
}

TEST_F(Packets, ShortArrivalIsNeverReadPastWhatCame) {
    request(DSC_CMD_LIST_FOLDERS);
    Bytes reply = Packet(DSC_TYPE_LIST, 0, DSC_REPLY_LIST_FOLDERS, U16(5));
    for (size_t n : {size_t(0), size_t(1), size_t(2), size_t(3), size_t(16), size_t(261)}) {
        arrive(Bytes(reply.begin(), reply.begin() + n));
        EXPECT_EQ(DscCom_CheckReply(DSC_REPLY_LIST_FOLDERS), DSC_ERR_REPLY) << n;
    }
    arrive(reply);
    EXPECT_EQ(DscCom_CheckReply(DSC_REPLY_LIST_FOLDERS), DSC_OK);
}

TEST_F(Packets, StatusBytesMapToResults) {
    struct {
        uint8_t status;
        int result;
    } cases[] = {{0, 0}, {2, 90}, {3, 33}, {4, 92}, {5, 93}, {8, 111}, {9, 112}};
    for (auto k : cases) {
        request(DSC_CMD_DELETE);
        arrive(Status(0, k.status));
        EXPECT_EQ(DscCom_CheckReply(DSC_REPLY_STATUS), k.result) << int(k.status);
    }
    EXPECT_TRUE(observer.messages.empty());
    for (uint8_t odd : {1, 6, 7, 10, 255}) {
        request(DSC_CMD_DELETE);
        arrive(Status(0, odd));
        EXPECT_EQ(DscCom_CheckReply(DSC_REPLY_STATUS), DSC_ERR_REPORTED);
    }
    EXPECT_EQ(observer.count(11), 5);
}

TEST_F(Packets, NoSuchItemOnlyForInformationAndThumbnails) {
    for (uint8_t command : {22, 26, 132}) {
        request(command);
        arrive(Status(0, 6));
        EXPECT_EQ(DscCom_CheckReply(DSC_REPLY_INFO), DSC_ERR_NOITEM) << int(command);
    }
    request(DSC_CMD_READ_BLOCK);
    c->thumbnailRead = 1;
    arrive(Status(0, 6));
    EXPECT_EQ(DscCom_CheckReply(DSC_REPLY_BLOCK), DSC_ERR_NOITEM);
    c->thumbnailRead = 0;
    EXPECT_EQ(DscCom_CheckReply(DSC_REPLY_BLOCK), DSC_ERR_REPLY);
    request(DSC_CMD_COUNT_IMAGES);
    EXPECT_EQ(DscCom_CheckReply(DSC_REPLY_COUNT_IMAGES), DSC_ERR_REPLY);
}

TEST_F(Packets, DamagedNoSuchItemIsRetriedNotBelieved) {
    request(DSC_CMD_THUMB_INFO);
    Bytes r = Status(0, 6);
    r[14] ^= 1;
    arrive(r);
    EXPECT_EQ(DscCom_CheckReply(DSC_REPLY_INFO), DSC_ERR_REPLY);
}

TEST(ResultMessages, EveryCodeWithAMessage) {
    struct {
        int result;
        int message;
    } cases[] = {{1, 6},   {2, 6},   {11, 6}, {14, 6},  {10, 2},  {15, 2},  {16, 2},
                 {17, 14}, {20, 14}, {30, 8}, {33, 8},  {40, 8},  {90, 4},  {91, 11},
                 {93, 11}, {92, 13}, {0, 0},  {100, 0}, {102, 0}, {103, 0}, {107, 0},
                 {111, 0}, {112, 0}, {-1, 0}, {3, 0},   {-2, 149}};
    for (auto k : cases)
        EXPECT_EQ(VokDscCom_ResultMessage(k.result), k.message) << k.result;
}

} // namespace
