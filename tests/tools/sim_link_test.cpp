/* The camera side of the virtual camera link without sockets: opens, control requests,
 * packets assembled across writes, the pending reply with its peek and full read, and
 * robustness against arbitrary bytes. */
#include "sim_test_util.h"

#include "VokUsb01.h"
#include "link_server.h"

#include <random>

using namespace simtest;
using rt70sim::LinkServer;

namespace {

class SimLink : public SimTest {
  protected:
    void SetUp() override { rt70sim::initCamera(&cam_, dir_, {}); }

    int open(const std::string& name, uint8_t expect = 1) {
        const int id = link_.openConnection();
        Bytes out;
        const std::string line = name + "\n";
        const bool open =
            link_.feed(id, reinterpret_cast<const uint8_t*>(line.data()), line.size(), out);
        EXPECT_EQ(out, Bytes{expect}) << name;
        EXPECT_EQ(open, expect == 1);
        return id;
    }
    Bytes feed(int id, const Bytes& in) {
        Bytes out;
        EXPECT_TRUE(link_.feed(id, in.data(), in.size(), out));
        return out;
    }
    Bytes control(int dev, uint32_t code, uint16_t outLength, uint16_t word = 0) {
        Bytes f(8 + 2);
        rt70sim::PutLe32(&f[0], code);
        rt70sim::PutLe16(&f[4], 2);
        rt70sim::PutLe16(&f[6], outLength);
        rt70sim::PutLe16(&f[8], word);
        return feed(dev, f);
    }
    Bytes write(int pipe, const Bytes& data) {
        Bytes f(4);
        rt70sim::PutLe32(&f[0], static_cast<uint32_t>(data.size()));
        f.insert(f.end(), data.begin(), data.end());
        return feed(pipe, f);
    }
    Bytes read(int pipe, uint32_t wanted) {
        Bytes f(4);
        rt70sim::PutLe32(&f[0], wanted);
        return feed(pipe, f);
    }

    rt70sim::Camera cam_;
    LinkServer link_{cam_};
};

TEST_F(SimLink, OpenLinesAreAnsweredWithOneByte) {
    open("DEV");
    open("PIPE00");
    open("PIPE01");
    open("PIPE02", 0);
    open("", 0);
    link_.refusedNames = {"PIPE01"};
    open("PIPE01", 0);
    open("DEV");
    // A line that never ends is cut off.
    const int id = link_.openConnection();
    Bytes out;
    const Bytes junk(100, 'A');
    EXPECT_FALSE(link_.feed(id, junk.data(), junk.size(), out));
    EXPECT_EQ(out, Bytes{0});
}

TEST_F(SimLink, ReadPreparationFailsWhileNoReplyIsPending) {
    const int dev = open("DEV");
    EXPECT_EQ(control(dev, VOKUSB_IOCTL_PRE_BULK_READ_RT70, 0), Bytes{0});
    EXPECT_EQ(control(dev, VOKUSB_IOCTL_PRE_BULK_WRITE_RT70, 0), Bytes{1});
    EXPECT_EQ(control(dev, VOKUSB_IOCTL_SET_BULK_WRITE_SIZE, 0, 64), Bytes{1});
    EXPECT_EQ(control(dev, 0x230038, 0), Bytes{0}); // not a request of the camera
    // A packet split over two writes (as 262-byte packets go) completes on the second.
    const int out = open("PIPE00");
    const Bytes packet = request(2, 0);
    EXPECT_EQ(write(out, Bytes(packet.begin(), packet.begin() + 10)), (Bytes{10, 0, 0, 0}));
    EXPECT_FALSE(link_.replyPending());
    EXPECT_EQ(control(dev, VOKUSB_IOCTL_PRE_BULK_WRITE_RT70, 0), Bytes{1});
    write(out, Bytes(packet.begin() + 10, packet.end()));
    EXPECT_TRUE(link_.replyPending());
    EXPECT_EQ(control(dev, VOKUSB_IOCTL_PRE_BULK_READ_RT70, 0), Bytes{1});
    EXPECT_EQ(control(dev, VOKUSB_IOCTL_GET_BULK_READ_SIZE, 2), (Bytes{1, 16, 0}));
}

TEST_F(SimLink, PeekLeavesTheReplyAndAFullReadConsumesIt) {
    const int dev = open("DEV");
    const int out = open("PIPE00");
    const int in = open("PIPE01");
    write(out, request(2, 9));
    Bytes r = read(in, 1);
    EXPECT_EQ(r, (Bytes{1, 0, 0, 0, 8}));
    EXPECT_TRUE(link_.replyPending());
    r = read(in, 1);
    EXPECT_EQ(r, (Bytes{1, 0, 0, 0, 8}));
    r = read(in, 16);
    ASSERT_EQ(r.size(), 20u);
    EXPECT_EQ(rt70sim::GetLe32(r.data()), 16u);
    EXPECT_EQ(r[4 + 1], 9);
    EXPECT_EQ(r[4 + 3], 3);
    EXPECT_FALSE(link_.replyPending());
    EXPECT_EQ(control(dev, VOKUSB_IOCTL_PRE_BULK_READ_RT70, 0), Bytes{0});
    EXPECT_EQ(read(in, 16), (Bytes{0, 0, 0, 0}));
    // Asking for more than the reply gives the reply and consumes it.
    write(out, request(2, 1));
    r = read(in, 100);
    EXPECT_EQ(rt70sim::GetLe32(r.data()), 16u);
    EXPECT_FALSE(link_.replyPending());
}

TEST_F(SimLink, ANewRequestReplacesThePendingReply) {
    const int out = open("PIPE00");
    const int in = open("PIPE01");
    write(out, request(2, 1));
    write(out, request(128, 2));
    const Bytes r = read(in, 16);
    EXPECT_EQ(r[4 + 1], 2);
    EXPECT_EQ(r[4 + 3], 129);
    // A request that gets no reply leaves none pending.
    write(out, request(2, 1));
    Bytes broken = request(2, 1);
    broken[14] ^= 0xFF;
    write(out, broken);
    EXPECT_FALSE(link_.replyPending());
}

TEST_F(SimLink, ButtonStatusControlRequest) {
    const int dev = open("DEV");
    EXPECT_EQ(control(dev, VOKUSB_IOCTL_GET_BUTTON_STATUS, 2), (Bytes{1, 0, 0}));
    rt70sim::pressButton(cam_, 1);
    EXPECT_EQ(control(dev, VOKUSB_IOCTL_GET_BUTTON_STATUS, 2), (Bytes{1, 1, 0}));
    EXPECT_EQ(control(dev, VOKUSB_IOCTL_GET_BUTTON_STATUS, 4), (Bytes{1, 1, 0, 0, 0}));
}

TEST_F(SimLink, FramesMayArriveByteByByte) {
    const int dev = open("DEV");
    const int out = open("PIPE00");
    Bytes frame(4);
    rt70sim::PutLe32(frame.data(), 16);
    const Bytes packet = request(2, 4);
    frame.insert(frame.end(), packet.begin(), packet.end());
    Bytes answer;
    for (uint8_t b : frame) {
        EXPECT_TRUE(link_.feed(out, &b, 1, answer));
    }
    EXPECT_EQ(answer, (Bytes{16, 0, 0, 0}));
    Bytes f(10);
    rt70sim::PutLe32(&f[0], VOKUSB_IOCTL_PRE_BULK_READ_RT70);
    rt70sim::PutLe16(&f[4], 2);
    answer.clear();
    for (uint8_t b : f)
        link_.feed(dev, &b, 1, answer);
    EXPECT_EQ(answer, Bytes{1});
}

TEST_F(SimLink, ReadPreparationDropsAnUnfinishedPacket) {
    const int dev = open("DEV");
    const int out = open("PIPE00");
    const int in = open("PIPE01");
    write(out, request(2, 1));
    const Bytes half = {2, 0, 0xFF, 5, 1, 2, 3}; // start of a 32774-byte block
    write(out, half);
    EXPECT_EQ(link_.partialRequestBytes(), half.size());
    EXPECT_EQ(control(dev, VOKUSB_IOCTL_PRE_BULK_READ_RT70, 0), Bytes{0});
    EXPECT_EQ(link_.partialRequestBytes(), 0u);
    write(out, request(2, 2));
    EXPECT_EQ(read(in, 16)[4 + 1], 2);
}

TEST_F(SimLink, GarbageBeforeAPacketIsSkipped) {
    const int out = open("PIPE00");
    Bytes data = {0x00, 0x55, 0xFF, 0x7F};
    const Bytes packet = request(2, 0);
    data.insert(data.end(), packet.begin(), packet.end());
    write(out, data);
    EXPECT_TRUE(link_.replyPending());
}

TEST_F(SimLink, ArbitraryBytesNeverBreakTheCamera) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        const char* names[] = {"DEV\n", "PIPE00\n", "PIPE01\n", "XX\n"};
        const std::string name = names[round % 4];
        const int id = link_.openConnection();
        Bytes out;
        link_.feed(id, reinterpret_cast<const uint8_t*>(name.data()), name.size(), out);
        Bytes junk(static_cast<size_t>(random() % 300));
        for (uint8_t& b : junk)
            b = static_cast<uint8_t>(random() % 4 == 0 ? random() % 3 : random());
        // Small frame lengths so that junk finishes frames now and then.
        if (junk.size() > 4 && round % 4 != 0) {
            junk[1] = junk[2] = junk[3] = 0;
        }
        link_.feed(id, junk.data(), junk.size(), out);
        link_.closeConnection(id);
    }
    // Still a camera afterwards: the read preparation drops an unfinished packet.
    const int dev = open("DEV");
    control(dev, VOKUSB_IOCTL_PRE_BULK_READ_RT70, 0);
    EXPECT_EQ(link_.partialRequestBytes(), 0u);
    const int o = open("PIPE00");
    const int in = open("PIPE01");
    write(o, request(2, 0));
    EXPECT_EQ(control(dev, VOKUSB_IOCTL_PRE_BULK_READ_RT70, 0), Bytes{1});
    const Bytes r = read(in, 16);
    EXPECT_EQ(r[4 + 3], 3);
}

} // namespace
