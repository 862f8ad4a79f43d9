// Packet framing and reply checking as pure functions over a buffer: byte vectors built by
// hand from the packet rules, every rule of the reply check with the message its verdict
// names, and the result-code messages.
#include <gtest/gtest.h>

#include "FakeCamera.h"

namespace {

class Packets : public ::testing::Test {
  protected:
    Bytes out = Bytes(DSC_BUFFER_SIZE, 0);
    uint32_t length = 0;

    // Frames into out; the packet's total length, 0 when refused.
    uint32_t build(int type, uint8_t seq, uint8_t command, uint32_t payloadLength,
                   const void* payload) {
        length = DscPacket_Build(out.data(), static_cast<uint32_t>(out.size()), type, seq, command,
                                 payload, payloadLength);
        return length;
    }
    Bytes built() const { return Bytes(out.begin(), out.begin() + length); }
    // The verdict on a reply to command (sequence seq) expecting reply code expected.
    static DscVerdict check(const Bytes& reply, uint8_t command, int expected, uint8_t seq = 0,
                            bool thumbnail = false) {
        DscReplyRule rule = {seq, command, expected, thumbnail};
        return DscPacket_Check(reply.empty() ? nullptr : reply.data(),
                               static_cast<uint32_t>(reply.size()), &rule);
    }
};

void ExpectVerdict(const DscVerdict& v, int result, int message) {
    EXPECT_EQ(v.result, result);
    EXPECT_EQ(v.message, message);
}

TEST_F(Packets, ShortRequestMatchesHandVector) {
    ASSERT_EQ(build(DSC_TYPE_SHORT, 0x05, DSC_CMD_IDENTIFY, 0, nullptr), 16u);
    // 0x05 + 0xFA + 0x02 = 0x101; the type byte 8 is not part of the sum.
    Bytes want = {8, 0x05, 0xFA, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0};
    EXPECT_EQ(built(), want);
}

TEST_F(Packets, PayloadIsCopiedAndRestZeroed) {
    std::fill(out.begin(), out.end(), 0xEE);
    uint8_t payload[5] = {0x64, 0x00, 0x07, 0x00, 0x01};
    ASSERT_EQ(build(DSC_TYPE_SHORT, 0, DSC_CMD_IMAGE_INFO, 5, payload), 16u);
    Bytes want = {8, 0, 0xFF, 26, 0x64, 0, 7, 0, 1, 0, 0, 0, 0, 0, 0, 0};
    want[14] = static_cast<uint8_t>(0xFF + 26 + 0x64 + 7 + 1);
    EXPECT_EQ(built(), want);
    EXPECT_EQ(out[16], 0xEE) << "nothing written past the packet";
}

TEST_F(Packets, EveryTypeHasItsLengthAndChecksumPlace) {
    struct {
        int type;
        uint32_t total;
    } cases[] = {{8, 16}, {16, 262}, {1, 1030}, {2, 32774}};
    for (auto k : cases) {
        Bytes payload(k.total - 6, 0x01);
        ASSERT_EQ(build(k.type, 3, 5, k.total - 6, payload.data()), k.total);
        uint8_t expected = static_cast<uint8_t>(3 + 0xFC + 5 + (k.total - 6));
        EXPECT_EQ(out[k.total - 2], expected) << k.type;
        EXPECT_EQ(out[k.total - 1], 0) << k.type;
        EXPECT_EQ(built(), Packet(k.type, 3, 5, payload));
    }
    EXPECT_EQ(DscPacket_Length(3), 0u);
}

TEST_F(Packets, OversizedPayloadUnknownTypeOrSmallBufferIsRefused) {
    Bytes big(11, 1);
    EXPECT_EQ(build(DSC_TYPE_SHORT, 0, 2, 11, big.data()), 0u);
    EXPECT_EQ(build(4, 0, 2, 0, nullptr), 0u);
    Bytes small(15, 0xEE);
    EXPECT_EQ(DscPacket_Build(small.data(), 15, DSC_TYPE_SHORT, 0, 2, nullptr, 0), 0u);
    EXPECT_EQ(small, Bytes(15, 0xEE));
}

TEST_F(Packets, RightReplyPasses) {
    Bytes reply = Packet(DSC_TYPE_SHORT, 7, DSC_REPLY_IDENTIFY, {'D', 'S', 'C', '6'});
    ExpectVerdict(check(reply, DSC_CMD_IDENTIFY, DSC_REPLY_IDENTIFY, 7), DSC_OK, 0);
}

TEST_F(Packets, WrongComplementIsFramingEvenWithRightChecksum) {
    Bytes reply = Packet(DSC_TYPE_SHORT, 7, DSC_REPLY_IDENTIFY, {'D', 'S', 'C', '6'});
    reply[2] ^= 0x10;
    reply[14] = DscPacket_Checksum(reply.data(), 16); // re-summed over the damaged byte
    ExpectVerdict(check(reply, DSC_CMD_IDENTIFY, DSC_REPLY_IDENTIFY, 7), DSC_ERR_FRAME, 8);
}

TEST_F(Packets, WrongSequenceOrTypeIsFraming) {
    ExpectVerdict(check(Packet(DSC_TYPE_SHORT, 8, DSC_REPLY_IDENTIFY), DSC_CMD_IDENTIFY,
                        DSC_REPLY_IDENTIFY, 7),
                  DSC_ERR_FRAME, 8);
    Bytes odd = Packet(DSC_TYPE_SHORT, 7, DSC_REPLY_IDENTIFY);
    odd[0] = 9;
    ExpectVerdict(check(odd, DSC_CMD_IDENTIFY, DSC_REPLY_IDENTIFY, 7), DSC_ERR_FRAME, 8);
}

TEST_F(Packets, ChecksumThatIncludesTheTypeByteIsWrong) {
    // An ordinary reply retries (33); the listed replies call it a data error (30).
    Bytes reply = Packet(DSC_TYPE_SHORT, 0, DSC_REPLY_IDENTIFY, {'D', 'S', 'C', '1'});
    reply[14] = static_cast<uint8_t>(reply[14] + reply[0]);
    ExpectVerdict(check(reply, DSC_CMD_IDENTIFY, DSC_REPLY_IDENTIFY), DSC_ERR_REPLY, 0);

    for (int code : {5, 8, 15, 29, 131}) {
        Bytes r = Packet(DSC_TYPE_SHORT, 0, static_cast<uint8_t>(code), {1, 0x10});
        r[14] = static_cast<uint8_t>(r[14] + r[0]);
        DscVerdict v = check(r, DSC_CMD_IMAGE_INFO, code);
        EXPECT_EQ(v.result, DSC_ERR_FRAME) << code;
        EXPECT_EQ(v.message, 8) << code;
    }
}

TEST_F(Packets, WrongReplyCodeRetries) {
    ExpectVerdict(check(Packet(DSC_TYPE_SHORT, 0, DSC_REPLY_LIST_FOLDERS), DSC_CMD_COUNT_FOLDERS,
                        DSC_REPLY_COUNT_FOLDERS),
                  DSC_ERR_REPLY, 0);
}

TEST_F(Packets, ShortArrivalIsNeverReadPastWhatCame) {
    Bytes reply = Packet(DSC_TYPE_LIST, 0, DSC_REPLY_LIST_FOLDERS, U16(5));
    for (size_t n : {size_t(0), size_t(1), size_t(2), size_t(3), size_t(16), size_t(261)}) {
        // An exact-size copy, so that the sanitizer sees any read past the arrival.
        Bytes cut(reply.begin(), reply.begin() + n);
        ExpectVerdict(check(cut, DSC_CMD_LIST_FOLDERS, DSC_REPLY_LIST_FOLDERS), DSC_ERR_REPLY, 0);
    }
    ExpectVerdict(check(reply, DSC_CMD_LIST_FOLDERS, DSC_REPLY_LIST_FOLDERS), DSC_OK, 0);
}

TEST_F(Packets, StatusBytesMapToResults) {
    struct {
        uint8_t status;
        int result;
    } cases[] = {{0, 0}, {2, 90}, {3, 33}, {4, 92}, {5, 93}, {8, 111}, {9, 112}};
    for (auto k : cases) {
        DscVerdict v = check(Status(0, k.status), DSC_CMD_DELETE, DSC_REPLY_STATUS);
        EXPECT_EQ(v.result, k.result) << int(k.status);
        EXPECT_EQ(v.message, 0) << int(k.status);
    }
    // An unknown status is a camera error, reported where it is found.
    for (uint8_t odd : {1, 6, 7, 10, 255})
        ExpectVerdict(check(Status(0, odd), DSC_CMD_DELETE, DSC_REPLY_STATUS), DSC_ERR_REPORTED,
                      11);
}

TEST_F(Packets, NoSuchItemOnlyForInformationAndThumbnails) {
    for (uint8_t command : {22, 26, 132})
        EXPECT_EQ(check(Status(0, 6), command, DSC_REPLY_INFO).result, DSC_ERR_NOITEM)
            << int(command);
    EXPECT_EQ(check(Status(0, 6), DSC_CMD_READ_BLOCK, DSC_REPLY_BLOCK, 0, true).result,
              DSC_ERR_NOITEM);
    EXPECT_EQ(check(Status(0, 6), DSC_CMD_READ_BLOCK, DSC_REPLY_BLOCK).result, DSC_ERR_REPLY);
    EXPECT_EQ(check(Status(0, 6), DSC_CMD_COUNT_IMAGES, DSC_REPLY_COUNT_IMAGES).result,
              DSC_ERR_REPLY);
}

TEST_F(Packets, DamagedNoSuchItemIsRetriedNotBelieved) {
    Bytes r = Status(0, 6);
    r[14] ^= 1;
    ExpectVerdict(check(r, DSC_CMD_THUMB_INFO, DSC_REPLY_INFO), DSC_ERR_REPLY, 0);
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
        EXPECT_EQ(DscPacket_ResultMessage(k.result), k.message) << k.result;
}

} // namespace
