/* Reading and writing the album file. The reader works on the whole file in memory and checks
 * each count and length against the bytes that remain before it uses them. */
#include "album_file.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "vok_bytes.h"
#include "image_files.h"
#include "vok_dib.h"

namespace qubex::album {
namespace {

constexpr uint64_t kMaxAlbumFile = uint64_t(1) << 31;

// The longest path a 260-byte field holds with its terminator.
constexpr size_t kMaxPathChars = kPathField - 1;

// A cursor over the file's bytes that never moves past the end.
struct Reader {
    const uint8_t* data;
    size_t size;
    size_t pos = 0;
    size_t left() const { return size - pos; }
    bool skip(uint64_t n) {
        if (n > left())
            return false;
        pos += size_t(n);
        return true;
    }
    bool le32(uint32_t* v) {
        if (left() < 4)
            return false;
        *v = vokc::GetLe32(data + pos);
        pos += 4;
        return true;
    }
};

// A stored thumbnail must be a bitmap whose table and rows lie within its stored length.
int CheckThumbnail(const Dib& dib) {
    if (dib.size() < vokc::kDibHeaderSize)
        return kMsgReadFailed;
    const vokc::DibHeader h = vokc::GetDibHeader(dib.data());
    switch (h.bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        return kMsgNotAlbum;
    }
    if (h.compression > 3)
        return kMsgNotAlbum;
    image::DibInfo info;
    return image::DibFacts(dib, &info) ? kMsgNone : kMsgReadFailed;
}

} // namespace

bool IsAlbumBytes(const uint8_t* data, size_t size) {
    return size >= kHeaderSize && std::memcmp(data, kSignature, sizeof kSignature) == 0;
}

bool IsAlbumFile(const char* path) {
    uint8_t head[kHeaderSize];
    return image::ReadFileHead(path, head, sizeof head) && IsAlbumBytes(head, sizeof head);
}

std::vector<bool> ReadAlbumFlags(const uint8_t* data, size_t size, bool* shortLength) {
    if (shortLength)
        *shortLength = false;
    if (size < kHeaderSize)
        return {};
    const size_t count = vokc::GetLe16(data + 24);
    std::vector<bool> flags(count, false);
    Reader r{data, size, kHeaderSize};
    for (size_t i = 0; i < count; ++i) {
        uint32_t length = 0;
        if (!r.skip(kPathField) || !r.le32(&length)) {
            if (shortLength)
                *shortLength = true;
            return flags;
        }
        if (!r.skip(length))
            return flags;
    }
    uint32_t rest = 0;
    if (r.left() < 10 || std::memcmp(data + r.pos, kExtTag, 10) != 0 || !r.skip(10) ||
        !r.le32(&rest) || rest > r.left())
        return flags;
    // From here on the announced block, and nothing after it, is read.
    Reader block{data + r.pos, rest};
    uint32_t reserved = 0;
    if (block.left() < 5 || std::memcmp(block.data, kSubTag, 5) != 0 || !block.skip(5) ||
        !block.le32(&reserved) || !block.skip(reserved) || block.left() < 1)
        return flags;
    const size_t c = block.data[block.pos++];
    if (c > block.left())
        return flags;
    for (size_t i = 0; i < c && i < count; ++i)
        flags[i] = block.data[block.pos + i] != 0;
    return flags;
}

AlbumFileResult ParseAlbum(const uint8_t* data, size_t size) {
    AlbumFileResult result;
    if (size < kHeaderSize) {
        result.message = kMsgReadFailed;
        return result;
    }
    if (!IsAlbumBytes(data, size)) {
        result.message = kMsgNotAlbum;
        return result;
    }
    result.version = vokc::GetLe16(data + 16);
    const size_t count = vokc::GetLe16(data + 24);
    const std::vector<bool> flags =
        result.version == kVersionOld ? std::vector<bool>() : ReadAlbumFlags(data, size);
    Reader r{data, size, kHeaderSize};
    for (size_t i = 0; i < count; ++i) {
        uint32_t length = 0;
        if (r.left() < kPathField + 4) {
            result.message = kMsgReadFailed;
            break;
        }
        const char* field = reinterpret_cast<const char*>(data + r.pos);
        FileEntry e;
        e.path.assign(field, strnlen(field, kMaxPathChars));
        r.skip(kPathField);
        r.le32(&length);
        // A length beyond the file is refused before anything is allocated for it.
        if (length > r.left()) {
            result.message = kMsgReadFailed;
            break;
        }
        e.thumbnail.assign(data + r.pos, data + r.pos + length);
        r.skip(length);
        result.message = CheckThumbnail(e.thumbnail);
        if (result.message != kMsgNone)
            break;
        e.marked = i < flags.size() && flags[i];
        result.entries.push_back(std::move(e));
    }
    if (!result.ok())
        result.entries.clear();
    return result;
}

AlbumFileResult ReadAlbumFile(const char* path) {
    std::vector<uint8_t> bytes;
    const int rc = image::ReadWholeImageFile(path, kMaxAlbumFile, &bytes);
    if (rc != kMsgNone) {
        AlbumFileResult result;
        // Whatever keeps the file from being read whole counts as not openable, except a
        // read that broke off.
        result.message = rc == kMsgReadFailed ? kMsgReadFailed : kMsgOpenFailed;
        return result;
    }
    return ParseAlbum(bytes.data(), bytes.size());
}

int SerializeAlbum(const std::vector<FileEntry>& entries, std::vector<uint8_t>* out) {
    assert(entries.size() <= kMaxEntries);
    const size_t n = entries.size();
    out->assign(kHeaderSize, 0);
    std::memcpy(out->data(), kSignature, sizeof kSignature);
    vokc::PutLe16(out->data() + 16, kVersionWritten);
    (*out)[18] = 0x50;
    vokc::PutLe16(out->data() + 24, uint32_t(n));
    std::vector<uint8_t> ext(kExtFixed + n, 0);
    std::memcpy(ext.data(), kExtTag, 10);
    vokc::PutLe32(ext.data() + 10, uint32_t(n + 10));
    std::memcpy(ext.data() + 14, kSubTag, 5);
    vokc::PutLe32(ext.data() + 19, 0);
    ext[23] = uint8_t(n);
    for (size_t i = 0; i < n; ++i) {
        const FileEntry& e = entries[i];
        if (e.thumbnail.empty())
            return kMsgNoBitmap;
        if (e.path.size() > kMaxPathChars || e.path.find('\0') != std::string::npos ||
            e.thumbnail.size() > UINT32_MAX)
            return kMsgWriteFailed;
        ext[kExtFixed + i] = e.marked ? 1 : 0;
        const size_t at = out->size();
        out->resize(at + kPathField + 4, 0);
        std::memcpy(out->data() + at, e.path.data(), e.path.size());
        vokc::PutLe32(out->data() + at + kPathField, uint32_t(e.thumbnail.size()));
        out->insert(out->end(), e.thumbnail.begin(), e.thumbnail.end());
    }
    out->insert(out->end(), ext.begin(), ext.end());
    return kMsgNone;
}

int WriteAlbumFile(const char* path, const std::vector<FileEntry>& entries, vokc::WriteFn write) {
    std::vector<uint8_t> bytes;
    const int rc = SerializeAlbum(entries, &bytes);
    if (rc != kMsgNone)
        return rc;
    bool filled = false;
    vokc::ReplaceOptions options;
    options.write = write;
    const bool ok = vokc::ReplaceFileWith(
        path,
        [&](int fd, vokc::WriteFn w) {
            filled = true;
            // Pieces as the format's writer makes them; the first short one ends the save.
            for (size_t at = 0; at < bytes.size(); at += kWritePiece) {
                const size_t piece = std::min(kWritePiece, bytes.size() - at);
                if (!vokc::WriteFull(fd, bytes.data() + at, piece, w))
                    return false;
            }
            return true;
        },
        options);
    if (ok)
        return kMsgNone;
    return filled ? kMsgWriteFailed : kMsgOpenFailed;
}

} // namespace qubex::album
