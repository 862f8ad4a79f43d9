/* The camera link library against a small test server of the virtual camera link:
 * open results and last errors, control requests, pipe frames and handle checks. */
#include "VokUsb01.h"
#include "fake_camera.h"
#include "vok_test_env.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

class CamlinkSim : public ::testing::Test {
  protected:
    void SetUp() override {
        temp_ = std::make_unique<voktest::TempDir>("camlink");
        dir_ = temp_->path();
        ASSERT_FALSE(dir_.empty());
        home_ = std::make_unique<voktest::ScopedHome>(dir_, voktest::HomeLayout{});
        socket_ = dir_ + "/cam.sock";
        sim_ = std::make_unique<voktest::ScopedEnv>(VOKUSB_ENV_SIM, socket_);
        timeout_ = std::make_unique<voktest::ScopedEnv>("VOKUSB_TIMEOUT_MS", nullptr);
    }
    void TearDown() override {
        camera_.reset();
        timeout_.reset();
        sim_.reset();
        home_.reset();
        temp_.reset();
    }
    void startCamera() { camera_ = std::make_unique<FakeCamera>(socket_); }

    std::string dir_, socket_;
    std::unique_ptr<FakeCamera> camera_;

  private:
    std::unique_ptr<voktest::TempDir> temp_;
    std::unique_ptr<voktest::ScopedHome> home_;
    std::unique_ptr<voktest::ScopedEnv> sim_, timeout_;
};

TEST_F(CamlinkSim, NoSocketGivesTheDesignedLastErrors) {
    EXPECT_EQ(open_dev(), VOKUSB_INVALID_HANDLE);
    EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_OPEN);
    EXPECT_EQ(open_file("PIPE00"), VOKUSB_INVALID_HANDLE);
    EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_NO_INTERFACE);
    // A second call rebuilds its answer the same way.
    EXPECT_EQ(open_file("PIPE00"), VOKUSB_INVALID_HANDLE);
    EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_NO_INTERFACE);
}

TEST_F(CamlinkSim, OpenSendsTheNameLineAndSucceedsWithNoError) {
    startCamera();
    const VokUsbHandle dev = open_dev();
    ASSERT_NE(dev, VOKUSB_INVALID_HANDLE);
    EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_NONE);
    EXPECT_EQ(VokUsb_CloseHandle(dev), 1);
    for (int i = 0; i < 2; ++i) {
        const VokUsbHandle pipe = open_file("PIPE01");
        ASSERT_NE(pipe, VOKUSB_INVALID_HANDLE);
        EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_NONE);
        EXPECT_EQ(VokUsb_CloseHandle(pipe), 1);
    }
    const auto lines = camera_->openLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "DEV");
    EXPECT_EQ(lines[1], "PIPE01");
    EXPECT_EQ(lines[2], "PIPE01");
}

TEST_F(CamlinkSim, RefusedOpenGivesOpenError) {
    startCamera();
    camera_->setAccepted({"PIPE00"});
    EXPECT_EQ(open_dev(), VOKUSB_INVALID_HANDLE);
    EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_OPEN);
    EXPECT_EQ(open_file("PIPE01"), VOKUSB_INVALID_HANDLE);
    EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_OPEN);
    // Names that cannot be framed never reach the camera.
    EXPECT_EQ(open_file("PIPE\n00"), VOKUSB_INVALID_HANDLE);
    EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_OPEN);
    EXPECT_EQ(open_file(nullptr), VOKUSB_INVALID_HANDLE);
    EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_OPEN);
    EXPECT_EQ(open_file(""), VOKUSB_INVALID_HANDLE);
    EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_OPEN);
    // A success afterwards clears the error again.
    const VokUsbHandle pipe = open_file("PIPE00");
    ASSERT_NE(pipe, VOKUSB_INVALID_HANDLE);
    EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_NONE);
    VokUsb_CloseHandle(pipe);
}

TEST_F(CamlinkSim, ControlOnInvalidHandleReturnsZeroAndLeavesLastError) {
    EXPECT_EQ(open_dev(), VOKUSB_INVALID_HANDLE);
    ASSERT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_OPEN);
    uint16_t word = 0;
    EXPECT_EQ(setBulkWriteSize(VOKUSB_INVALID_HANDLE, &word), 0);
    EXPECT_EQ(getBulkReadSize(VOKUSB_INVALID_HANDLE, &word), 0);
    EXPECT_EQ(preBulkRead(VOKUSB_INVALID_HANDLE, &word), 0);
    EXPECT_EQ(getBulkButtonStatus(VOKUSB_INVALID_HANDLE, &word), 0);
    EXPECT_EQ(preBulkRead_RT70(VOKUSB_INVALID_HANDLE, &word), 0);
    EXPECT_EQ(preBulkWrite_RT70(VOKUSB_INVALID_HANDLE, &word), 0);
    EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_OPEN);
}

TEST_F(CamlinkSim, ControlRequestsCarryTheirCodes) {
    startCamera();
    camera_->button = 2;
    const VokUsbHandle dev = open_dev();
    ASSERT_NE(dev, VOKUSB_INVALID_HANDLE);
    uint16_t word = 0;
    EXPECT_EQ(setBulkWriteSize(dev, &word), 1);
    EXPECT_EQ(getBulkReadSize(dev, &word), 1);
    EXPECT_EQ(preBulkRead(dev, &word), 1);
    EXPECT_EQ(getBulkButtonStatus(dev, &word), 1);
    EXPECT_EQ(word, 2);
    word = 0;
    EXPECT_EQ(preBulkWrite_RT70(dev, &word), 1);
    EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_NONE);
    // Nothing written yet: no reply pending, the read preparation fails.
    EXPECT_EQ(preBulkRead_RT70(dev, &word), 0);
    EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_GEN_FAILURE);
    // The next request starts from a clean error again.
    EXPECT_EQ(preBulkWrite_RT70(dev, &word), 1);
    EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_NONE);
    VokUsb_CloseHandle(dev);
    const std::vector<uint32_t> want = {0x230020, 0x230024, 0x230028, 0x23002C,
                                        0x230034, 0x230030, 0x230034};
    EXPECT_EQ(camera_->controlCodes(), want);
}

TEST_F(CamlinkSim, WriteThenPeekThenFullRead) {
    startCamera();
    const uint8_t packet[16] = {8, 0, 0xFF, 2, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0x5A, 0};
    VokUsbHandle out = open_file("PIPE00");
    ASSERT_NE(out, VOKUSB_INVALID_HANDLE);
    uint32_t done = 0;
    EXPECT_EQ(VokUsb_WritePipe(out, packet, sizeof packet, &done), 1);
    EXPECT_EQ(done, sizeof packet);
    VokUsb_CloseHandle(out);

    uint8_t buffer[64] = {};
    VokUsbHandle in = open_file("PIPE01");
    EXPECT_EQ(VokUsb_ReadPipe(in, buffer, 1, &done), 1);
    EXPECT_EQ(done, 1u);
    EXPECT_EQ(buffer[0], 8);
    VokUsb_CloseHandle(in);

    in = open_file("PIPE01");
    EXPECT_EQ(VokUsb_ReadPipe(in, buffer, sizeof buffer, &done), 1);
    EXPECT_EQ(done, sizeof packet);
    EXPECT_EQ(0, memcmp(buffer, packet, sizeof packet));
    // Consumed: a further read is short.
    EXPECT_EQ(VokUsb_ReadPipe(in, buffer, sizeof buffer, &done), 1);
    EXPECT_EQ(done, 0u);
    VokUsb_CloseHandle(in);
}

TEST_F(CamlinkSim, HandlesAreCheckedByKind) {
    startCamera();
    const VokUsbHandle dev = open_dev();
    const VokUsbHandle in = open_file("PIPE01");
    const VokUsbHandle out = open_file("PIPE00");
    uint8_t byte = 0;
    uint32_t done = 7;
    uint16_t word = 0;
    EXPECT_EQ(VokUsb_WritePipe(in, &byte, 1, &done), 0);
    EXPECT_EQ(done, 0u);
    EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_INVALID_FUNCTION);
    EXPECT_EQ(VokUsb_ReadPipe(out, &byte, 1, &done), 0);
    EXPECT_EQ(VokUsb_ReadPipe(dev, &byte, 1, &done), 0);
    EXPECT_EQ(preBulkWrite_RT70(out, &word), 0);
    EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_INVALID_FUNCTION);
    EXPECT_EQ(preBulkWrite_RT70(dev, nullptr), 0);
    EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_INVALID_PARAMETER);
    EXPECT_EQ(VokUsb_CloseHandle(dev), 1);
    EXPECT_EQ(VokUsb_CloseHandle(in), 1);
    EXPECT_EQ(VokUsb_CloseHandle(out), 1);
    // Closed handles are refused, even closing twice.
    EXPECT_EQ(VokUsb_CloseHandle(dev), 0);
    EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_INVALID_HANDLE);
    EXPECT_EQ(preBulkWrite_RT70(dev, &word), 0);
    EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_INVALID_HANDLE);
    EXPECT_EQ(VokUsb_ReadPipe(12345, &byte, 1, &done), 0);
}

TEST_F(CamlinkSim, OversizedAnswerIsRefusedNotCopied) {
    startCamera();
    const uint8_t data[4] = {1, 2, 3, 4};
    uint32_t done = 0;
    VokUsbHandle out = open_file("PIPE00");
    VokUsb_WritePipe(out, data, 4, &done);
    VokUsb_CloseHandle(out);
    camera_->oversizedRead = true;
    uint8_t buffer[8] = {0, 0, 0, 0, 0, 0, 0, 0x77};
    VokUsbHandle in = open_file("PIPE01");
    EXPECT_EQ(VokUsb_ReadPipe(in, buffer, 2, &done), 0);
    EXPECT_EQ(done, 0u);
    EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_GEN_FAILURE);
    EXPECT_EQ(buffer[7], 0x77);
    VokUsb_CloseHandle(in);
}

TEST_F(CamlinkSim, LastErrorIsPerThread) {
    EXPECT_EQ(open_dev(), VOKUSB_INVALID_HANDLE);
    uint32_t other = 0;
    std::thread t([&] { other = VokUsb_GetLastError(); });
    t.join();
    EXPECT_EQ(other, VOKUSB_ERR_NONE);
    EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_OPEN);
}

TEST(CamlinkUsb, NoConfiguredCameraIsNotFound) {
    voktest::ScopedEnv noSim(VOKUSB_ENV_SIM, nullptr);
    {
        voktest::ScopedEnv noId(VOKUSB_ENV_ID, "");
        EXPECT_EQ(open_dev(), VOKUSB_INVALID_HANDLE);
        EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_OPEN);
        EXPECT_EQ(open_file("PIPE00"), VOKUSB_INVALID_HANDLE);
        EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_NO_INTERFACE);
    }
    // An id that no device carries (the vendor id 0 is never assigned).
    voktest::ScopedEnv unknownId(VOKUSB_ENV_ID, "0000:0000,zz:1");
    EXPECT_EQ(open_dev(), VOKUSB_INVALID_HANDLE);
    EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_OPEN);
    EXPECT_EQ(open_file("PIPE01"), VOKUSB_INVALID_HANDLE);
    EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_NO_INTERFACE);
}

} // namespace
