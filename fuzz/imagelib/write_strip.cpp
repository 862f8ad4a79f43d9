/* Fuzz target: the camera form's stream work on arbitrary bytes: stripping (one DQT, one DHT,
 * no APPn or COM, nothing after the end marker), the test that decides whether a source's
 * image data can be kept, and the camera-ready test of the bytes as a file. */
#include "img_internal.h"
#include "img_write.h"

#include <string>
#include <sys/mman.h>
#include <unistd.h>

using namespace vokimg;

namespace {

// The segments before the first scan of a stripped stream: each inside the stream, at most
// one table segment of each kind, no application or comment segment.
bool StrippedFormHolds(const Bytes& s) {
    if (s.size() < 4 || s[0] != 0xFF || s[1] != 0xD8 || s[s.size() - 2] != 0xFF ||
        s[s.size() - 1] != 0xD9)
        return false;
    int dqt = 0;
    int dht = 0;
    size_t pos = 2;
    while (pos + 2 <= s.size()) {
        if (s[pos] != 0xFF)
            return false;
        const unsigned char m = s[pos + 1];
        if (m == 0x01 || (m >= 0xD0 && m <= 0xD7)) {
            pos += 2;
            continue;
        }
        if (pos + 4 > s.size())
            return false;
        const size_t length = size_t(s[pos + 2]) << 8 | s[pos + 3];
        if (length < 2 || pos + 2 + length > s.size())
            return false;
        if (m == 0xDA)
            return true;
        dqt += m == 0xDB;
        dht += m == 0xC4;
        if (dqt > 1 || dht > 1 || (m >= 0xE0 && m <= 0xEF) || m == 0xFE)
            return false;
        pos += 2 + length;
    }
    return false;
}

// The bytes as a file with a path, without touching a disk.
int CameraReady(const uint8_t* data, size_t size) {
    const int fd = memfd_create("vokfuzz", MFD_CLOEXEC);
    if (fd < 0)
        return 0;
    size_t done = 0;
    while (done < size) {
        const ssize_t n = write(fd, data + done, size - done);
        if (n <= 0)
            break;
        done += size_t(n);
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    const int ready = done == size ? VokImg_IsCameraReady(path.c_str()) : 0;
    close(fd);
    return ready;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > UINT32_MAX)
        return 0;
    Bytes stripped;
    if (strip_jpeg(data, size, &stripped)) {
        // Stripping only drops and merges, and a stripped stream strips to itself.
        Bytes again;
        if (stripped.size() > size || !StrippedFormHolds(stripped) ||
            !strip_jpeg(stripped.data(), stripped.size(), &again) || again != stripped)
            __builtin_trap();
        huffman_standard(stripped.data(), uint32_t(stripped.size()));
    }
    JpegFrameInfo frame{};
    if (Get_Jpeg_Info(data, uint32_t(size), &frame))
        camera_sampling(frame, true);
    CameraReady(data, size);
    return 0;
}
