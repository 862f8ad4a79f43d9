/* Helpers of the rt70sim tests: a folder per test, request packets and the fields of
 * replies. */
#ifndef RT70SIM_TEST_UTIL_H
#define RT70SIM_TEST_UTIL_H

#include "camera.h"
#include "packet.h"
#include "vok_test_env.h"

#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <string>
#include <sys/stat.h>

namespace simtest {

using rt70sim::Bytes;

using voktest::ReadBytes;

/* Each test's own folder, which is also its HOME and XDG folders. */
class SimTest : public ::testing::Test {
  protected:
    voktest::TempHome home_{"rt70sim", {"", ""}};
    const std::string dir_ = home_.dir;
};

inline void writeBytes(const std::string& path, const Bytes& data) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

inline bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

/* Bytes of a recognisable pattern, different per seed. */
inline Bytes pattern(size_t n, unsigned seed) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = static_cast<uint8_t>((i * 31 + seed * 7 + (i >> 8)) & 0xFF);
    return b;
}

inline Bytes request(uint8_t code, uint8_t seq, std::initializer_list<uint8_t> payload = {}) {
    Bytes p(payload);
    return rt70sim::buildPacket(8, seq, code, p.data(), p.size());
}

inline std::optional<Bytes> send(rt70sim::Camera& cam, const Bytes& packet) {
    return rt70sim::handleRequest(cam, packet.data(), packet.size());
}

inline uint8_t lo(unsigned v) {
    return static_cast<uint8_t>(v & 0xFF);
}
inline uint8_t hi(unsigned v) {
    return static_cast<uint8_t>((v >> 8) & 0xFF);
}

/* Checks the framing every reply must have: known type and length, complement, checksum. */
inline void expectWellFramed(const Bytes& reply) {
    ASSERT_GE(reply.size(), 16u);
    EXPECT_EQ(reply.size(), rt70sim::packetLength(reply[0]));
    EXPECT_EQ(reply[2], static_cast<uint8_t>(~reply[1]));
    EXPECT_EQ(reply[reply.size() - 2], rt70sim::packetChecksum(reply.data(), reply.size()));
    EXPECT_EQ(reply[reply.size() - 1], 0);
}

} // namespace simtest

#endif
