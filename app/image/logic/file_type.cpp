/* File-type detection: a JPEG is a file whose first 2048 bytes hold a start-of-image marker,
 * that does not begin like the other kinds, and that holds an end-of-image marker found by
 * scanning back from its end; the others are told by their first bytes. */
#include "file_type.h"

#include "image_files.h"
#include "tiff_reader.h"
#include "vok_bytes.h"
#include "vok_files.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <unistd.h>

namespace qubex::image {
namespace {

constexpr size_t kScanBlock = 2048;

bool HasPair(const uint8_t* p, size_t n, uint8_t a, uint8_t b) {
    for (size_t i = 0; i + 1 < n; ++i)
        if (p[i] == a && p[i + 1] == b)
            return true;
    return false;
}

bool LooksLikeJpeg(const char* path) {
    uint64_t size = 0;
    int fd = vokc::OpenRegularFile(path, UINT64_MAX, &size);
    if (fd < 0)
        return false;
    uint8_t block[kScanBlock + 1];
    bool result = false;
    ssize_t got = vokc::PreadFull(fd, block, std::min<uint64_t>(size, kScanBlock), 0);
    if (got >= 2 && HasPair(block, size_t(got), 0xFF, 0xD8)) {
        auto lower = [](uint8_t c) { return static_cast<uint8_t>(c | 0x20); };
        bool otherKind = (block[0] == 'B' && block[1] == 'M') ||
                         (got >= 3 && memcmp(block, "VOK", 3) == 0) ||
                         (lower(block[0]) == 'm' && lower(block[1]) == 'm') ||
                         (lower(block[0]) == 'i' && lower(block[1]) == 'i');
        // Back from the end block by block; each block keeps the first byte of the one after
        // it, so that a marker split across two blocks is still seen.
        uint64_t end = size;
        uint8_t carry = 0;
        bool haveCarry = false;
        while (!otherKind && !result && end > 0) {
            uint64_t start = end > kScanBlock ? end - kScanBlock : 0;
            size_t n = size_t(end - start);
            if (vokc::PreadFull(fd, block, n, off_t(start)) != ssize_t(n))
                break;
            if (haveCarry)
                block[n++] = carry;
            result = HasPair(block, n, 0xFF, 0xD9);
            carry = block[0];
            haveCarry = true;
            end = start;
        }
    }
    close(fd);
    return result;
}

bool IsCalendarFile(const char* path) {
    uint8_t head[1532];
    if (!ReadFileHead(path, head, sizeof head))
        return false;
    uint32_t kind = vokc::GetLe32(head);
    return kind == 131 || kind == 132;
}

bool IsBmpFile(const char* path) {
    uint8_t head[14];
    return ReadFileHead(path, head, sizeof head) && head[0] == 'B' && head[1] == 'M';
}

} // namespace

int DetectFileType(const char* path, const FileTypeTests& tests) {
    if (!path || !*path)
        return kTypeNoPath;
    if (LooksLikeJpeg(path))
        return kTypeJpeg;
    if (IsBmpFile(path))
        return kTypeBmp;
    if (tests.isAlbum && tests.isAlbum(path))
        return kTypeAlbum;
    if (IsCalendarFile(path))
        return kTypeCalendar;
    if (IsTiffFile(path))
        return kTypeTiff;
    if (tests.isMovie && tests.isMovie(path))
        return kTypeMovie;
    return kTypeUnknown;
}

} // namespace qubex::image
