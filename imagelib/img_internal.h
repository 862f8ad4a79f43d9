/* Shared inside VokExif: bounded byte reading, block allocation and the in-memory forms
 * of the reading operations, so that files and fuzzers take the same walks. Every walk
 * here receives its bytes with their count and never reads past them. */
#ifndef VOK_IMG_INTERNAL_H
#define VOK_IMG_INTERNAL_H

#include "VokExif.h"
#include "vok_bytes.h"

#include <cstddef>
#include <cstdint>

namespace vokimg {

// Unsigned value of n (1..4) bytes in the given order.
inline uint32_t read_uint(const unsigned char* p, unsigned n, bool bigEndian) {
    uint32_t v = 0;
    for (unsigned i = 0; i < n; ++i) {
        unsigned shift = bigEndian ? 8 * (n - 1 - i) : 8 * i;
        v |= uint32_t(p[i]) << shift;
    }
    return v;
}

// True when [offset, offset + length) lies within size.
inline bool fits(uint64_t offset, uint64_t length, uint64_t size) {
    return offset <= size && length <= size - offset;
}

// A new block of size bytes (zeroed), or null.
VokImgBlock* block_new(uint32_t size);

// Where header bytes come from: a file descriptor or memory.
struct ByteSource {
    int fd = -1;
    const unsigned char* mem = nullptr;
    size_t memSize = 0;
};
// Opens a file for reading without waiting on a FIFO or device; -1 on failure.
int open_for_reading(const char* path);

// Reads up to n bytes at offset; returns the count read.
size_t source_read(const ByteSource& src, uint64_t offset, void* buffer, size_t n);

// The JPEG header cut from a source, or null.
VokImgBlock* cut_jpeg_header(const ByteSource& src);

// Header class of n bytes.
int header_class(const unsigned char* data, uint32_t size);

// Kind code for a header class.
int kind_from_class(int headerClass);

// Copy of the first APP1 segment of header bytes that carries the Exif signature (the first
// APP1 when none does), or null.
VokImgBlock* exif_from_header(const unsigned char* data, uint32_t size);

// True when the first APP1 segment of header bytes is the Exif one, as the camera reads it.
bool exif_is_first_app1(const unsigned char* data, uint32_t size);

// 1 when the first DHT segment of header bytes holds the typical tables.
int huffman_standard(const unsigned char* data, uint32_t size);

// Width and height from a CIFF heap in APP0 of header bytes.
int ciff_size(const unsigned char* data, uint32_t size, uint32_t* width, uint32_t* height);

// TIFF fields of a whole TIFF file in memory (no file name or folder).
int tiff_info(const unsigned char* data, uint32_t size, ImageInfo* info);

// Interoperability index by directory 0 -> Exif directory -> interoperability chain.
int interop_index(const unsigned char* tiff, uint32_t size, bool bigEndian, char* text,
                  uint32_t textSize);

// Copies text into a fixed field, cutting it to fit.
void copy_text(char* field, size_t fieldSize, const char* text);

// Writes the file's time into dateTaken as the record's date when it has no other.
int record_file_time(int fd, ImageInfo* info);

// Fills the Exif fields from a cut header, as Get_Exif_Info does from a file.
int exif_info_from_header(const VokImgBlock* header, const char* path, ImageInfo* info);
// Fills info from an Exif block (null: nothing read) and frees the block.
int exif_info_from_block(VokImgBlock* exif, const char* path, ImageInfo* info);

// User's language code (1 French, 2 German, 4 other).
int language();

} // namespace vokimg

#endif
