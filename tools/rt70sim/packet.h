/* The camera's packet format as the virtual camera sees it: lengths by type byte,
 * the checksum, and the little-endian helpers used by every reply. */
#ifndef RT70SIM_PACKET_H
#define RT70SIM_PACKET_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "vok_bytes.h"

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

// The little-endian helpers of every reply.
using vokc::GetLe16;
using vokc::GetLe32;
using vokc::PutLe16;
using vokc::PutLe32;

} // namespace rt70sim

#endif
