/* The camera link library against the real virtual camera program: open results and
 * last errors, the host's open-per-transfer exchange, read preparation and peek, the
 * button from outside, refused opens, and a clean stop on SIGTERM. */
#include "VokUsb01.h"
#include "sim_camera.h"
#include "vok_test_env.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes packet8(uint8_t code, uint8_t seq, const Bytes& payload = {}) {
    Bytes p(16, 0);
    p[0] = 8;
    p[1] = seq;
    p[2] = static_cast<uint8_t>(~seq);
    p[3] = code;
    for (size_t i = 0; i < payload.size() && i < 10; ++i)
        p[4 + i] = payload[i];
    unsigned sum = 0;
    for (size_t i = 1; i < 14; ++i)
        sum += p[i];
    p[14] = static_cast<uint8_t>(sum);
    return p;
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

Bytes readFile(const std::string& path) {
    const std::string bytes = voktest::ReadFile(path);
    return Bytes(bytes.begin(), bytes.end());
}

class CamlinkRt70sim : public ::testing::Test {
  protected:
    void SetUp() override {
        temp_ = std::make_unique<voktest::TempDir>("camsim");
        dir_ = temp_->path();
        ASSERT_FALSE(dir_.empty());
        home_ = std::make_unique<voktest::ScopedHome>(dir_, voktest::HomeLayout{});
        socket_ = dir_ + "/camera.sock";
        // Where the camera will be, also while none runs.
        simVar_ = std::make_unique<voktest::ScopedEnv>(VOKUSB_ENV_SIM, socket_);
        card_ = voktest::MakeDemoCard(dir_);
        ASSERT_TRUE(exists(card_ + "/100"));
    }
    void TearDown() override {
        sim_.reset();
        simVar_.reset();
        home_.reset();
        temp_.reset();
    }

    void start(const std::vector<std::string>& extra = {}) {
        sim_.reset();
        sim_ = std::make_unique<voktest::SimCamera>(dir_, card_, extra);
    }
    int stop() { return sim_ ? sim_->Stop() : -1; }

    // The host's exchange, one open per transfer.
    bool writePacket(const Bytes& p) {
        const uint16_t zero = 0;
        VokUsbHandle dev = open_dev();
        if (dev == VOKUSB_INVALID_HANDLE)
            return false;
        const int ok = preBulkWrite_RT70(dev, &zero);
        VokUsb_CloseHandle(dev);
        VokUsbHandle pipe = open_file("PIPE00");
        if (!ok || pipe == VOKUSB_INVALID_HANDLE)
            return false;
        uint32_t done = 0;
        const int written =
            VokUsb_WritePipe(pipe, p.data(), static_cast<uint32_t>(p.size()), &done);
        VokUsb_CloseHandle(pipe);
        return written && done == p.size();
    }
    std::optional<Bytes> readSome(uint32_t n) {
        const uint16_t zero = 0;
        VokUsbHandle dev = open_dev();
        if (dev == VOKUSB_INVALID_HANDLE)
            return std::nullopt;
        const int ok = preBulkRead_RT70(dev, &zero);
        VokUsb_CloseHandle(dev);
        if (!ok)
            return std::nullopt;
        VokUsbHandle pipe = open_file("PIPE01");
        Bytes buffer(n);
        uint32_t done = 0;
        const int read = VokUsb_ReadPipe(pipe, buffer.data(), n, &done);
        VokUsb_CloseHandle(pipe);
        if (!read)
            return std::nullopt;
        buffer.resize(done);
        return buffer;
    }
    // A reply, or a failure recorded and a reply no check accepts.
    Bytes exchange(const Bytes& p) {
        std::optional<Bytes> r = tryExchange(p);
        if (!r) {
            ADD_FAILURE() << "no reply to command " << static_cast<int>(p[3]);
            return Bytes(32774, 0xEE);
        }
        return *r;
    }
    std::optional<Bytes> tryExchange(const Bytes& p) {
        if (!writePacket(p))
            return std::nullopt;
        auto head = readSome(1);
        if (!head || head->size() != 1)
            return std::nullopt;
        const uint32_t total = (*head)[0] == 8    ? 16
                               : (*head)[0] == 16 ? 262
                               : (*head)[0] == 2  ? 32774
                                                  : 0;
        return readSome(total);
    }

    std::string dir_, socket_, card_;
    std::unique_ptr<voktest::SimCamera> sim_;

  private:
    std::unique_ptr<voktest::TempDir> temp_;
    std::unique_ptr<voktest::ScopedHome> home_;
    std::unique_ptr<voktest::ScopedEnv> simVar_;
};

TEST_F(CamlinkRt70sim, NoCameraRunningGivesTheDesignedErrors) {
    EXPECT_EQ(open_dev(), VOKUSB_INVALID_HANDLE);
    EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_OPEN);
    EXPECT_EQ(open_file("PIPE00"), VOKUSB_INVALID_HANDLE);
    EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_NO_INTERFACE);
    uint16_t word = 0;
    EXPECT_EQ(preBulkRead_RT70(VOKUSB_INVALID_HANDLE, &word), 0);
    EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_NO_INTERFACE);
}

TEST_F(CamlinkRt70sim, HostExchangeReadsTheCardFiles) {
    start();
    Bytes r = exchange(packet8(2, 0));
    ASSERT_EQ(r.size(), 16u);
    EXPECT_EQ(r[3], 3);
    EXPECT_EQ(std::string(r.begin() + 4, r.begin() + 8), "DSC1");
    r = exchange(packet8(130, 0));
    EXPECT_EQ(r[4], 6); // the demo card holds six images
    r = exchange(packet8(130, 1));
    EXPECT_EQ(r[4], 0xFF);
    // Image 2 of the run is 100/0003.jpg, larger than one block.
    r = exchange(packet8(132, 0, {2, 0, 0, 0}));
    EXPECT_EQ(r[3], 29);
    const uint32_t size = r[5] | (r[6] << 8) | (r[7] << 16) | (static_cast<uint32_t>(r[8]) << 24);
    const Bytes file = readFile(card_ + "/100/0003.jpg");
    ASSERT_EQ(size, file.size());
    Bytes got;
    for (uint8_t b = 0; b * 32768u < size; ++b) {
        r = exchange(packet8(133, b, {2, 0, 0, 0, b, 0, 0}));
        ASSERT_EQ(r.size(), 32774u);
        got.insert(got.end(), r.begin() + 4, r.begin() + 4 + 32768);
    }
    got.resize(size);
    EXPECT_EQ(got, file);
    exchange(packet8(31, 0));
}

TEST_F(CamlinkRt70sim, ReadPreparationAndPeek) {
    start();
    VokUsbHandle dev = open_dev();
    ASSERT_NE(dev, VOKUSB_INVALID_HANDLE);
    EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_NONE);
    const uint16_t zero = 0;
    EXPECT_EQ(preBulkRead_RT70(dev, &zero), 0); // no reply pending
    EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_GEN_FAILURE);
    EXPECT_EQ(preBulkWrite_RT70(dev, &zero), 1);
    EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_NONE);
    VokUsb_CloseHandle(dev);
    ASSERT_TRUE(writePacket(packet8(2, 7)));
    for (int i = 0; i < 3; ++i) {
        auto peek = readSome(1);
        ASSERT_TRUE(peek);
        EXPECT_EQ(*peek, Bytes{8});
    }
    auto full = readSome(16);
    ASSERT_TRUE(full);
    EXPECT_EQ((*full)[1], 7);
    EXPECT_FALSE(readSome(1)); // consumed: the read preparation fails again
    // A dropped request leaves nothing to read.
    stop();
    start({"--fault", "2:1:drop"});
    EXPECT_FALSE(tryExchange(packet8(2, 0)));
    EXPECT_TRUE(tryExchange(packet8(2, 0)));
}

TEST_F(CamlinkRt70sim, RefusedOpensAndRepeatedOpens) {
    start({"--refuse", "PIPE01"});
    VokUsbHandle dev = open_dev();
    EXPECT_NE(dev, VOKUSB_INVALID_HANDLE);
    VokUsb_CloseHandle(dev);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(open_file("PIPE01"), VOKUSB_INVALID_HANDLE);
        EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_OPEN);
        VokUsbHandle out = open_file("PIPE00");
        EXPECT_NE(out, VOKUSB_INVALID_HANDLE);
        EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_NONE);
        VokUsb_CloseHandle(out);
    }
    EXPECT_EQ(open_file("PIPE07"), VOKUSB_INVALID_HANDLE);
    EXPECT_EQ(VokUsb_GetLastError(), VOKUSB_ERR_OPEN);
}

TEST_F(CamlinkRt70sim, ButtonPressedFromOutside) {
    const std::string file = dir_ + "/button";
    start({"--button-file", file});
    auto status = [] {
        VokUsbHandle dev = open_dev();
        uint16_t value = 0xFFFF;
        EXPECT_EQ(getBulkButtonStatus(dev, &value), 1);
        VokUsb_CloseHandle(dev);
        return value;
    };
    EXPECT_EQ(status(), 0);
    kill(sim_->pid(), SIGUSR1);
    for (int i = 0; i < 1000 && status() != 1; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(status(), 1);
    Bytes r = exchange(packet8(128, 0));
    EXPECT_EQ(r[3], 129);
    EXPECT_EQ(r[4], 1);
    r = exchange(packet8(134, 0));
    EXPECT_EQ(r[3], 1);
    EXPECT_EQ(status(), 0);
    {
        std::ofstream f(file);
        f << "2\n";
    }
    for (int i = 0; i < 1000 && status() != 2; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(status(), 2);
    EXPECT_FALSE(exists(file));
}

TEST_F(CamlinkRt70sim, UploadThroughTheLinkLandsOnTheCard) {
    start();
    Bytes file(40000);
    for (size_t i = 0; i < file.size(); ++i)
        file[i] = static_cast<uint8_t>(i * 7);
    Bytes r = exchange(packet8(21, 0, {0, 0x40, 0x9C, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(r[4], 0);
    for (size_t at = 0, b = 0; at < file.size(); at += 32768, ++b) {
        Bytes p(32774, 0);
        p[0] = 2;
        p[1] = static_cast<uint8_t>(b);
        p[2] = static_cast<uint8_t>(~b);
        p[3] = 5;
        std::copy(file.begin() + static_cast<long>(at),
                  file.begin() + static_cast<long>(std::min(file.size(), at + 32768)),
                  p.begin() + 4);
        unsigned sum = 0;
        for (size_t i = 1; i < 32772; ++i)
            sum += p[i];
        p[32772] = static_cast<uint8_t>(sum);
        r = exchange(p);
        EXPECT_EQ(r[1], 0);
        EXPECT_EQ(r[4], 0);
    }
    EXPECT_EQ(readFile(card_ + "/101/0003.jpg"), file);
}

TEST_F(CamlinkRt70sim, StopsCleanlyOnSigterm) {
    start();
    VokUsbHandle dev = open_dev(); // a connection still open does not hold it up
    EXPECT_EQ(stop(), 0);
    EXPECT_FALSE(exists(socket_));
    VokUsb_CloseHandle(dev);
    EXPECT_EQ(open_dev(), VOKUSB_INVALID_HANDLE);
}

} // namespace
