/* The album file: a 32-byte header, entries of a 260-byte path, a 4-byte length and a packed
 * bitmap thumbnail, then the extension block with one selection flag per entry. Reading checks
 * every count and length against the file; writing replaces the file only when it is whole. */
#ifndef QUBEX_ALBUM_FILE_H
#define QUBEX_ALBUM_FILE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "album_facts.h"
#include "album_messages.h"
#include "vok_files.h"

namespace qubex::album {

constexpr size_t kHeaderSize = 32;
constexpr size_t kPathField = 260;
constexpr size_t kMaxEntries = kAlbumCapacity;
constexpr uint16_t kVersionWritten = 0x0102;
constexpr uint16_t kVersionOld = 0x0101; // no selection flags
constexpr char kSignature[] = "VOK DSC ALBUM  ";
constexpr char kExtTag[] = "VOK_ALBEXT";
constexpr char kSubTag[] = "VOK_P";
constexpr size_t kExtFixed = 24; // extension block without the flag bytes
/* Thumbnail bytes are written in pieces no larger than this. */
constexpr size_t kWritePiece = 32767;

/* One entry as the file holds it. */
struct FileEntry {
    std::string path; // up to the terminator of the 260-byte field
    Dib thumbnail;    // the stored bytes, trailing bytes included
    bool marked = false;
};

struct AlbumFileResult {
    int message = kMsgNone;
    uint16_t version = 0;
    std::vector<FileEntry> entries;
    bool ok() const { return message == kMsgNone; }
};

/* true when the first 32 bytes can be read and the first 16 hold the signature, compared as a
 * zero-terminated text. */
bool IsAlbumFile(const char* path);
bool IsAlbumBytes(const uint8_t* data, size_t size);

/* The selection flags alone, as the separate pass reads them: one per entry of the header's
 * count, all clear when the extension block is missing, damaged or short. *shortLength is set
 * when an entry length could not be read (the pass's message 41). */
std::vector<bool> ReadAlbumFlags(const uint8_t* data, size_t size, bool* shortLength = nullptr);

/* The entries of an album file in memory: header (41 short, 80 signature), each entry (41 short
 * path, length or thumbnail; 51 a thumbnail too large to hold), the flags of a 0x0102 file. The
 * header's count is not limited here: the album model refuses the 101st entry (102). */
AlbumFileResult ParseAlbum(const uint8_t* data, size_t size);

/* The same for a file: 42 when it cannot be opened (missing, a pipe or device, too large). */
AlbumFileResult ReadAlbumFile(const char* path);

/* The file's bytes: header with version 0x0102 and the count, the entries in order, the
 * extension block. 92 when an entry has no thumbnail (the bytes then end after the entries
 * before it, as the walk stopped there). */
int SerializeAlbum(const std::vector<FileEntry>& entries, std::vector<uint8_t>* out);

/* Writes the album through a complete temporary file renamed over path, so that a failed save
 * keeps the album that was there. 0, 42 cannot create, 100 short write, 92 no thumbnail. */
int WriteAlbumFile(const char* path, const std::vector<FileEntry>& entries,
                   vokc::WriteFn write = nullptr);

} // namespace qubex::album

#endif
