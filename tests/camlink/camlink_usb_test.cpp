/* The USB back end of the camera link against a fake camera behind its libusb calls. The
 * fake's bulk IN endpoint behaves like a real one: each packet is handed out once, a short
 * packet ends a transfer, and a transfer too small for the next packet overflows. */
#include "VokUsb01.h"
#include "usb_calls.h"
#include "vok_test_env.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <vector>

namespace {

constexpr unsigned char kOut = 0x01;
constexpr unsigned char kIn = 0x81;
constexpr int kMaxPacket = 512;
constexpr uint8_t kPreBulkReadRT70 = 12;
constexpr uint8_t kGetBulkReadSize = 9;

/* The one camera on the fake bus. Every write on the OUT endpoint is taken as a whole
 * request; the camera answers it with `reply`, replacing whatever the host left unread. */
struct FakeUsbCamera {
    uint8_t address = 1;
    std::vector<uint8_t> reply;
    std::deque<std::vector<uint8_t>> inPackets;
    int openHandles = 0;
    int claimed = 0;

    void answer() {
        inPackets.clear();
        if (reply.empty())
            return;
        for (size_t at = 0; at < reply.size(); at += kMaxPacket) {
            const size_t n = std::min<size_t>(kMaxPacket, reply.size() - at);
            inPackets.emplace_back(reply.begin() + at, reply.begin() + at + n);
        }
        // A reply of whole packets is ended by a zero-length one.
        if (reply.size() % kMaxPacket == 0)
            inPackets.emplace_back();
    }
    size_t bytesWaiting() const {
        size_t n = 0;
        for (const auto& p : inPackets)
            n += p.size();
        return n;
    }
};

FakeUsbCamera* gCamera = nullptr;
char gDeviceToken, gHandleToken, gContextToken;

libusb_device* fakeDevice() {
    return reinterpret_cast<libusb_device*>(&gDeviceToken);
}
libusb_device_handle* fakeHandle() {
    return reinterpret_cast<libusb_device_handle*>(&gHandleToken);
}

int fakeInit(libusb_context** ctx) {
    *ctx = reinterpret_cast<libusb_context*>(&gContextToken);
    return 0;
}
ssize_t fakeGetDeviceList(libusb_context*, libusb_device*** list) {
    *list = new libusb_device* [2] { fakeDevice(), nullptr };
    return 1;
}
void fakeFreeDeviceList(libusb_device** list, int) {
    delete[] list;
}
int fakeGetDeviceDescriptor(libusb_device*, libusb_device_descriptor* desc) {
    *desc = {};
    desc->idVendor = 0x1234;
    desc->idProduct = 0x5678;
    return 0;
}
uint8_t fakeGetBusNumber(libusb_device*) {
    return 1;
}
uint8_t fakeGetDeviceAddress(libusb_device*) {
    return gCamera->address;
}

int fakeGetActiveConfigDescriptor(libusb_device*, libusb_config_descriptor** config) {
    auto* endpoints = new libusb_endpoint_descriptor[2]{};
    endpoints[0].bEndpointAddress = kOut;
    endpoints[0].bmAttributes = LIBUSB_TRANSFER_TYPE_BULK;
    endpoints[0].wMaxPacketSize = kMaxPacket;
    endpoints[1].bEndpointAddress = kIn;
    endpoints[1].bmAttributes = LIBUSB_TRANSFER_TYPE_BULK;
    endpoints[1].wMaxPacketSize = kMaxPacket;
    auto* alt = new libusb_interface_descriptor{};
    alt->bNumEndpoints = 2;
    alt->endpoint = endpoints;
    auto* itf = new libusb_interface{};
    itf->altsetting = alt;
    itf->num_altsetting = 1;
    auto* c = new libusb_config_descriptor{};
    c->bNumInterfaces = 1;
    c->interface = itf;
    *config = c;
    return 0;
}
void fakeFreeConfigDescriptor(libusb_config_descriptor* c) {
    delete[] c->interface->altsetting->endpoint;
    delete c->interface->altsetting;
    delete c->interface;
    delete c;
}

int fakeOpen(libusb_device*, libusb_device_handle** handle) {
    ++gCamera->openHandles;
    *handle = fakeHandle();
    return 0;
}
void fakeClose(libusb_device_handle*) {
    --gCamera->openHandles;
}
int fakeSetAutoDetach(libusb_device_handle*, int) {
    return 0;
}
int fakeClaim(libusb_device_handle*, int) {
    ++gCamera->claimed;
    return 0;
}
int fakeRelease(libusb_device_handle*, int) {
    --gCamera->claimed;
    return 0;
}

/* The camera side of the control requests: the read preparation stalls while it has no reply
 * to hand out, the read size counts what still waits on its IN endpoint. */
int fakeControl(libusb_device_handle*, uint8_t, uint8_t request, uint16_t, uint16_t,
                unsigned char* data, uint16_t length, unsigned int) {
    if (request == kPreBulkReadRT70)
        return gCamera->inPackets.empty() ? LIBUSB_ERROR_PIPE : 0;
    if (length >= 2) {
        const size_t waiting = request == kGetBulkReadSize ? gCamera->bytesWaiting() : 0;
        data[0] = static_cast<unsigned char>(waiting);
        data[1] = static_cast<unsigned char>(waiting >> 8);
    }
    return length;
}

int fakeBulk(libusb_device_handle*, unsigned char endpoint, unsigned char* data, int length,
             int* transferred, unsigned int) {
    *transferred = 0;
    if (endpoint == kOut) {
        gCamera->answer();
        *transferred = length;
        return 0;
    }
    EXPECT_EQ(endpoint, kIn);
    while (*transferred < length) {
        // A real endpoint with nothing to send lets the transfer run into its time-out.
        if (gCamera->inPackets.empty())
            return LIBUSB_ERROR_TIMEOUT;
        std::vector<uint8_t> packet = std::move(gCamera->inPackets.front());
        gCamera->inPackets.pop_front();
        const int size = static_cast<int>(packet.size());
        if (size > length - *transferred)
            return LIBUSB_ERROR_OVERFLOW; // the packet is gone all the same
        std::copy(packet.begin(), packet.end(), data + *transferred);
        *transferred += size;
        if (size < kMaxPacket)
            break;
    }
    return 0;
}

class CamlinkUsb : public ::testing::Test {
  protected:
    void SetUp() override {
        camlink::UsbCalls& calls = camlink::usbCalls();
        calls = {fakeInit,
                 fakeGetDeviceList,
                 fakeFreeDeviceList,
                 fakeGetDeviceDescriptor,
                 fakeGetBusNumber,
                 fakeGetDeviceAddress,
                 fakeGetActiveConfigDescriptor,
                 fakeFreeConfigDescriptor,
                 fakeOpen,
                 fakeClose,
                 fakeSetAutoDetach,
                 fakeClaim,
                 fakeRelease,
                 fakeControl,
                 fakeBulk};
        // Each test gets a camera of its own, as a newly plugged-in one would be.
        static uint8_t nextAddress = 1;
        camera_.address = nextAddress++;
        gCamera = &camera_;
    }
    void TearDown() override {
        EXPECT_EQ(camera_.openHandles, 0);
        EXPECT_EQ(camera_.claimed, 0);
        gCamera = nullptr;
    }

    static std::vector<uint8_t> pattern(size_t length, uint8_t first) {
        std::vector<uint8_t> bytes(length);
        for (size_t i = 0; i < length; ++i)
            bytes[i] = static_cast<uint8_t>(first + i * 7);
        return bytes;
    }

    // One transfer each, as the connection library makes them: a fresh device handle for the
    // preparation, a fresh pipe handle for the bytes.
    bool sendRequest() {
        const VokUsbHandle dev = open_dev();
        uint16_t zero = 0;
        const bool prepared = dev != VOKUSB_INVALID_HANDLE && preBulkWrite_RT70(dev, &zero) == 1;
        VokUsb_CloseHandle(dev);
        const VokUsbHandle pipe = open_file("PIPE00");
        const uint8_t request[16] = {8};
        uint32_t done = 0;
        const bool ok = prepared && VokUsb_WritePipe(pipe, request, sizeof request, &done) == 1;
        VokUsb_CloseHandle(pipe);
        return ok && done == sizeof request;
    }
    bool prepareRead() {
        const VokUsbHandle dev = open_dev();
        uint16_t zero = 0;
        const bool ok = preBulkRead_RT70(dev, &zero) == 1;
        const uint32_t error = VokUsb_GetLastError();
        VokUsb_CloseHandle(dev);
        lastError_ = error;
        return ok;
    }
    uint16_t readSize() {
        const VokUsbHandle dev = open_dev();
        uint16_t size = 0xFFFF;
        EXPECT_EQ(getBulkReadSize(dev, &size), 1);
        VokUsb_CloseHandle(dev);
        return size;
    }
    // Reads up to `want` bytes; the bytes read, or nothing when the read failed.
    std::vector<uint8_t> read(uint32_t want, bool* ok = nullptr) {
        const VokUsbHandle pipe = open_file("PIPE01");
        std::vector<uint8_t> bytes(want);
        uint32_t done = 0;
        const bool success = VokUsb_ReadPipe(pipe, bytes.data(), want, &done) == 1;
        lastError_ = VokUsb_GetLastError();
        VokUsb_CloseHandle(pipe);
        if (ok)
            *ok = success;
        bytes.resize(success ? done : 0);
        return bytes;
    }

    FakeUsbCamera camera_;
    uint32_t lastError_ = 0;

  private:
    voktest::ScopedEnv sim_{VOKUSB_ENV_SIM, nullptr};
    voktest::ScopedEnv id_{VOKUSB_ENV_ID, "1234:5678"};
};

// The exchange's pattern: peek at the type byte, then read the whole reply from its start.
TEST_F(CamlinkUsb, PeekThenWholeReadGetsTheReplyFromItsStart) {
    for (size_t length : {16u, 262u, 1030u, 1024u, 32774u}) {
        SCOPED_TRACE(length);
        camera_.reply = pattern(length, static_cast<uint8_t>(length));
        ASSERT_TRUE(sendRequest());
        ASSERT_TRUE(prepareRead());
        bool ok = false;
        EXPECT_EQ(read(1, &ok), pattern(1, static_cast<uint8_t>(length)));
        EXPECT_TRUE(ok);
        // The peek left the reply pending: the next read may be prepared and sees it whole.
        EXPECT_TRUE(prepareRead()) << lastError_;
        EXPECT_EQ(readSize(), length);
        EXPECT_EQ(read(static_cast<uint32_t>(length), &ok), camera_.reply);
        EXPECT_TRUE(ok);
        // A read that covered the reply consumed it.
        EXPECT_FALSE(prepareRead());
        EXPECT_EQ(lastError_, VOKUSB_ERR_GEN_FAILURE);
        EXPECT_EQ(readSize(), 0);
    }
}

TEST_F(CamlinkUsb, ANewRequestDropsWhatWasLeftUnread) {
    camera_.reply = pattern(262, 1);
    ASSERT_TRUE(sendRequest());
    ASSERT_TRUE(prepareRead());
    EXPECT_EQ(read(1), pattern(1, 1));

    camera_.reply = pattern(16, 100);
    ASSERT_TRUE(sendRequest());
    ASSERT_TRUE(prepareRead());
    EXPECT_EQ(read(1), pattern(1, 100));
    // Asking for more than the reply holds is a short read, and consumes it.
    EXPECT_EQ(read(33792), camera_.reply);
    EXPECT_FALSE(prepareRead());
}

TEST_F(CamlinkUsb, ACameraWithoutAReplyFailsTheReadAndLeavesNothingBehind) {
    camera_.reply.clear();
    ASSERT_TRUE(sendRequest());
    EXPECT_FALSE(prepareRead());
    EXPECT_EQ(lastError_, VOKUSB_ERR_GEN_FAILURE);
    bool ok = true;
    EXPECT_TRUE(read(1, &ok).empty());
    EXPECT_FALSE(ok);
    EXPECT_EQ(lastError_, VOKUSB_ERR_TIMEOUT);

    // The next request is served as if nothing had gone wrong.
    camera_.reply = pattern(16, 9);
    ASSERT_TRUE(sendRequest());
    ASSERT_TRUE(prepareRead());
    EXPECT_EQ(read(1), pattern(1, 9));
    EXPECT_EQ(read(16), camera_.reply);
}

} // namespace
