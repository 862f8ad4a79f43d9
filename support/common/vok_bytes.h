/* Little- and big-endian numbers in byte buffers: the one set of readers and writers for the
 * camera packets, the bitmap and TIFF layouts and the test builders. The caller has checked
 * that the bytes are there. */
#ifndef VOK_BYTES_H
#define VOK_BYTES_H

#include <cstdint>

namespace vokc {

inline uint16_t GetLe16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
inline uint32_t GetLe32(const uint8_t* p) {
    return GetLe16(p) | static_cast<uint32_t>(GetLe16(p + 2)) << 16;
}
inline uint16_t GetBe16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}
inline uint32_t GetBe32(const uint8_t* p) {
    return static_cast<uint32_t>(GetBe16(p)) << 16 | GetBe16(p + 2);
}
inline uint16_t Get16(const uint8_t* p, bool bigEndian) {
    return bigEndian ? GetBe16(p) : GetLe16(p);
}
inline uint32_t Get32(const uint8_t* p, bool bigEndian) {
    return bigEndian ? GetBe32(p) : GetLe32(p);
}

inline void PutLe16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutLe32(uint8_t* p, uint32_t v) {
    PutLe16(p, v);
    PutLe16(p + 2, v >> 16);
}
inline void PutBe16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 8);
    p[1] = static_cast<uint8_t>(v);
}
inline void PutBe32(uint8_t* p, uint32_t v) {
    PutBe16(p, v >> 16);
    PutBe16(p + 2, v);
}
inline void Put16(uint8_t* p, uint32_t v, bool bigEndian) {
    bigEndian ? PutBe16(p, v) : PutLe16(p, v);
}
inline void Put32(uint8_t* p, uint32_t v, bool bigEndian) {
    bigEndian ? PutBe32(p, v) : PutLe32(p, v);
}

/* Appending forms for growing buffers (std::vector<uint8_t> or std::string alike). */
template <class Buffer> void Append16(Buffer& out, uint32_t v, bool bigEndian) {
    uint8_t b[2];
    Put16(b, v, bigEndian);
    out.insert(out.end(), b, b + 2);
}
template <class Buffer> void Append32(Buffer& out, uint32_t v, bool bigEndian) {
    uint8_t b[4];
    Put32(b, v, bigEndian);
    out.insert(out.end(), b, b + 4);
}

} // namespace vokc

#endif
