/* Packet lengths, checksum and packet building for the virtual camera. */
#include "packet.h"

#include <cstring>

namespace rt70sim {

size_t packetLength(uint8_t type) {
    switch (type) {
    case 8:
        return 16;
    case 16:
        return 262;
    case 1:
        return 1030;
    case 2:
        return 32774;
    default:
        return 0;
    }
}

uint8_t packetChecksum(const uint8_t* packet, size_t n) {
    unsigned sum = 0;
    for (size_t i = 1; i + 2 < n; ++i)
        sum += packet[i];
    return static_cast<uint8_t>(sum);
}

Bytes buildPacket(uint8_t type, uint8_t seq, uint8_t code, const uint8_t* payload, size_t length) {
    const size_t n = packetLength(type);
    Bytes p(n, 0);
    p[0] = type;
    p[1] = seq;
    p[2] = static_cast<uint8_t>(~seq);
    p[3] = code;
    if (length > n - 6)
        length = n - 6;
    if (length)
        std::memcpy(&p[4], payload, length);
    p[n - 2] = packetChecksum(p.data(), n);
    return p;
}

void resealPacket(Bytes& packet) {
    if (packet.size() >= 6)
        packet[packet.size() - 2] = packetChecksum(packet.data(), packet.size());
}

} // namespace rt70sim
