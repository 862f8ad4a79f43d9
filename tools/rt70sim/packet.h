/* The camera's packet format as the virtual camera sees it: lengths by type byte,
 * the checksum, and the little-endian helpers used by every reply. */
#ifndef RT70SIM_PACKET_H
#define RT70SIM_PACKET_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rt70sim {

using Bytes = std::vector<uint8_t>;

/* Total length of a packet of this type: 16, 262, 1030 or 32774; 0 for other types. */
size_t packetLength(uint8_t type);
/* Payload length of a packet of this type (total minus six). */
inline size_t payloadLength(uint8_t type) {
    const size_t n = packetLength(type);
    return n ? n - 6 : 0;
}
/* Sum modulo 256 of bytes 1 to n-3 of a packet of total length n. */
uint8_t packetChecksum(const uint8_t* packet, size_t n);
/* A packet of the type with sequence, complement, code, the payload and the checksum. */
Bytes buildPacket(uint8_t type, uint8_t seq, uint8_t code, const uint8_t* payload, size_t length);
/* Recomputes the checksum after a field was changed on purpose. */
void resealPacket(Bytes& packet);

inline uint16_t getU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t getU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void putU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void putU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

} // namespace rt70sim

#endif
