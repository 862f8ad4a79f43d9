/* Helpers of the rt70sim tests: temporary card folders, request packets and the
 * fields of replies. */
#ifndef RT70SIM_TEST_UTIL_H
#define RT70SIM_TEST_UTIL_H

#include "camera.h"
#include "packet.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <string>
#include <sys/stat.h>

namespace simtest {

using rt70sim::Bytes;

inline std::string makeTempDir() {
    char pattern[] = "/tmp/rt70simXXXXXX";
    const char* dir = mkdtemp(pattern);
    return dir ? dir : "";
}

inline void removeTree(const std::string& dir) {
    if (!dir.empty()) {
        const std::string cmd = "rm -rf '" + dir + "'";
        if (std::system(cmd.c_str()) != 0)
            ADD_FAILURE() << "cannot remove " << dir;
    }
}

inline void writeBytes(const std::string& path, const Bytes& data) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

inline Bytes readBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
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
