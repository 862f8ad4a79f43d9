/* JPEG marker walks: cutting the header out of a file, classifying it (Exif, CIFF, plain),
 * copying the Exif segment, reading frame layouts and checking the Huffman tables. Every
 * walk advances by segment lengths and stops at the end of the bytes it was given. */
#include "img_internal.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vokimg {
namespace {

// A segment whose length field is below 2 would never advance the walk.
constexpr uint32_t kMinSegmentLength = 2;

bool at_marker(const unsigned char* data, uint64_t pos, uint32_t size, unsigned char marker) {
    return pos + 2 <= size && data[pos] == 0xFF && data[pos + 1] == marker;
}

// The bytes a segment's length field covers, clipped to what is readable.
uint32_t segment_window(const unsigned char* segment, uint32_t available) {
    if (available < 4)
        return 0;
    uint32_t length = vokc::GetBe16(segment + 2);
    return std::min(length, available - 2);
}

bool contains_at(const unsigned char* p, uint32_t left, const char* text) {
    size_t n = std::strlen(text);
    return left >= n && std::memcmp(p, text, n) == 0;
}

bool marker_without_length(unsigned char m) {
    return m == 0xD8 || m == 0xD9 || m == 0x01 || (m >= 0xD0 && m <= 0xD7);
}

// The four typical tables: DC luminance, DC chrominance, AC luminance, AC chrominance.
const unsigned char kTypicalCounts[4][16] = {
    {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0},
    {0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0},
    {0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 125},
    {0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 119},
};

int slot_of(unsigned char classAndId) {
    switch (classAndId) {
    case 0x00:
        return 0;
    case 0x01:
        return 1;
    case 0x10:
        return 2;
    case 0x11:
        return 3;
    default:
        return -1;
    }
}

} // namespace

VokImgBlock* cut_jpeg_header(const ByteSource& src) {
    unsigned char b[4];
    if (source_read(src, 0, b, 2) != 2)
        return nullptr;
    if (b[0] == 'B' && b[1] == 'M')
        return nullptr;
    if (b[0] != 0xFF && b[1] != 0xD8)
        return nullptr;
    uint64_t pos = 2;
    for (;;) {
        if (source_read(src, pos, b, 4) != 4)
            return nullptr;
        if (b[0] == 0xFF && b[1] == 0xDA)
            break;
        uint32_t length = vokc::GetBe16(b + 2);
        if (length < kMinSegmentLength)
            return nullptr;
        pos += 2 + uint64_t(length);
    }
    uint64_t headerLength = pos + 4;
    if (headerLength > UINT32_MAX - 64)
        return nullptr;
    VokImgBlock* block = block_new(uint32_t(headerLength));
    if (!block)
        return nullptr;
    if (source_read(src, 0, block->data, block->size) != block->size) {
        VokImg_FreeBlock(block);
        return nullptr;
    }
    return block;
}

int header_class(const unsigned char* data, uint32_t size) {
    if (!data || !at_marker(data, 0, size, 0xD8))
        return VOK_JPEG_CLASS_NONE;
    bool ciff = false;
    bool exif = false;
    uint64_t pos = 2;
    while (pos + 4 <= size) {
        if (at_marker(data, pos, size, 0xDA))
            break;
        uint32_t length = vokc::GetBe16(data + pos + 2);
        if (length < kMinSegmentLength)
            break;
        uint32_t left = uint32_t(size - pos);
        if (!ciff && at_marker(data, pos, size, 0xE0))
            ciff = CheckCiffFormat(data + pos, left) != 0;
        if (at_marker(data, pos, size, 0xE1) && CheckExifFormat(data + pos, left))
            exif = true;
        pos += 2 + uint64_t(length);
    }
    if (ciff && exif)
        return VOK_JPEG_CLASS_CIFF_EXIF;
    if (ciff)
        return VOK_JPEG_CLASS_CIFF;
    return exif ? VOK_JPEG_CLASS_EXIF : VOK_JPEG_CLASS_PLAIN;
}

bool exif_is_first_app1(const unsigned char* data, uint32_t size) {
    if (!data || !at_marker(data, 0, size, 0xD8))
        return false;
    uint64_t pos = 2;
    while (pos + 4 <= size) {
        if (at_marker(data, pos, size, 0xDA))
            break;
        uint32_t length = vokc::GetBe16(data + pos + 2);
        if (length < kMinSegmentLength)
            break;
        if (at_marker(data, pos, size, 0xE1))
            return CheckExifFormat(data + pos, uint32_t(size - pos)) != 0;
        pos += 2 + uint64_t(length);
    }
    return false;
}

int kind_from_class(int headerClass) {
    switch (headerClass) {
    case VOK_JPEG_CLASS_CIFF:
        return VOK_IMG_KIND_CIFF;
    case VOK_JPEG_CLASS_EXIF:
        return VOK_IMG_KIND_EXIF;
    case VOK_JPEG_CLASS_PLAIN:
        return VOK_IMG_KIND_JPEG;
    default:
        return VOK_IMG_KIND_NONE;
    }
}

VokImgBlock* exif_from_header(const unsigned char* data, uint32_t size) {
    if (!data)
        return nullptr;
    // The first APP1 that carries the Exif signature wins; an XMP APP1 placed before it
    // would otherwise hide the Exif data. Without one, the first APP1 is taken.
    uint64_t firstApp1 = 0;
    uint32_t firstApp1Size = 0;
    uint64_t pos = 2;
    while (pos + 1 < size) {
        if (data[pos] != 0xFF) {
            ++pos;
            continue;
        }
        unsigned char m = data[pos + 1];
        if (m == 0x00 || m == 0xFF) {
            ++pos;
            continue;
        }
        if (m == 0xDA)
            break;
        if (marker_without_length(m)) {
            pos += 2;
            continue;
        }
        if (pos + 4 > size)
            break;
        uint32_t length = vokc::GetBe16(data + pos + 2);
        if (length < kMinSegmentLength)
            break;
        uint32_t total = length + 2;
        if (m == 0xE1 && fits(pos, total, size)) {
            if (contains_at(data + pos + 4, length - 2, "Exif")) {
                firstApp1 = pos;
                firstApp1Size = total;
                break;
            }
            if (firstApp1Size == 0) {
                firstApp1 = pos;
                firstApp1Size = total;
            }
        }
        pos += total;
    }
    if (firstApp1Size == 0)
        return nullptr;
    VokImgBlock* block = block_new(firstApp1Size);
    if (block)
        std::memcpy(block->data, data + firstApp1, firstApp1Size);
    return block;
}

int huffman_standard(const unsigned char* data, uint32_t size) {
    if (!data || size < 2)
        return 0;
    uint64_t pos = 2;
    uint32_t length = 0;
    for (;;) {
        if (pos + 4 > size)
            return 0;
        if (at_marker(data, pos, size, 0xDA) || at_marker(data, pos, size, 0xF9))
            return 0;
        length = vokc::GetBe16(data + pos + 2);
        if (length < kMinSegmentLength)
            return 0;
        if (at_marker(data, pos, size, 0xC4))
            break;
        pos += 2 + uint64_t(length);
    }
    unsigned char counts[4][16] = {};
    uint64_t p = pos + 4;
    uint64_t end = std::min<uint64_t>(pos + 2 + length, size);
    while (p < end) {
        if (p + 17 > end)
            return 0;
        uint32_t symbols = 0;
        for (int i = 0; i < 16; ++i)
            symbols += data[p + 1 + i];
        if (p + 17 + symbols > end)
            return 0;
        int slot = slot_of(data[p]);
        if (slot >= 0)
            std::memcpy(counts[slot], data + p + 1, 16);
        p += 17 + symbols;
    }
    return std::memcmp(counts, kTypicalCounts, sizeof counts) == 0 ? 1 : 0;
}

} // namespace vokimg

using namespace vokimg;

VOK_EXTERN_C VokImgBlock* GetJpegHeaderFromFile(const char* path) {
    if (!path || !*path)
        return nullptr;
    int fd = open_for_reading(path);
    if (fd < 0)
        return nullptr;
    ByteSource src;
    src.fd = fd;
    VokImgBlock* header = cut_jpeg_header(src);
    close(fd);
    return header;
}

VOK_EXTERN_C int CheckJpegHeaderFormat(const VokImgBlock* header) {
    if (!header)
        return VOK_JPEG_CLASS_NONE;
    return header_class(header->data, header->size);
}

VOK_EXTERN_C int CheckCiffFormat(const unsigned char* segment, uint32_t available) {
    if (!segment)
        return 0;
    uint32_t window = segment_window(segment, available);
    const unsigned char* p = segment + 2;
    for (uint32_t i = 0; i < window; ++i) {
        if (contains_at(p + i, window - i, "JFIF"))
            return 0;
        if (contains_at(p + i, window - i, "HEAPJPGM"))
            return 1;
    }
    return 0;
}

VOK_EXTERN_C int CheckExifFormat(const unsigned char* segment, uint32_t available) {
    if (!segment)
        return 0;
    uint32_t window = segment_window(segment, available);
    const unsigned char* p = segment + 2;
    for (uint32_t i = 0; i + 4 <= window; ++i) {
        if (std::memcmp(p + i, "Exif", 4) == 0)
            return 1;
    }
    return 0;
}

VOK_EXTERN_C VokImgBlock* GetExifDataFromJpegHeader(const VokImgBlock* header) {
    if (!header)
        return nullptr;
    return exif_from_header(header->data, header->size);
}

VOK_EXTERN_C VokImgBlock* GetExifDataFromFile(const char* path) {
    VokImgBlock* header = GetJpegHeaderFromFile(path);
    if (!header)
        return nullptr;
    VokImgBlock* exif = exif_from_header(header->data, header->size);
    VokImg_FreeBlock(header);
    return exif;
}

VOK_EXTERN_C uint32_t GetJpegMemoryHandleSize(const VokImgBlock* stream) {
    if (!stream || !stream->data)
        return 0;
    for (uint32_t i = 0; i + 1 < stream->size; ++i) {
        if (stream->data[i] == 0xFF && stream->data[i + 1] == 0xD9)
            return i + 2;
    }
    return stream->size;
}

VOK_EXTERN_C int GetJpegHVSample(const unsigned char* segment, uint32_t available,
                                 JpegFrameInfo* frame) {
    if (!segment || !frame || available < 10 || segment[0] != 0xFF || segment[1] != 0xC0)
        return 0;
    uint32_t components = segment[9];
    uint32_t recorded = std::min<uint32_t>(components, 4);
    if (10 + 3 * recorded > available)
        return 0;
    std::memset(frame, 0, sizeof *frame);
    frame->height = vokc::GetBe16(segment + 5);
    frame->width = vokc::GetBe16(segment + 7);
    frame->components = components;
    for (uint32_t c = 0; c < recorded; ++c) {
        unsigned char factors = segment[11 + 3 * c];
        frame->sampling[2 * c] = factors >> 4;
        frame->sampling[2 * c + 1] = factors & 0x0F;
    }
    return 1;
}

VOK_EXTERN_C int Get_Jpeg_Info(const unsigned char* bytes, uint32_t count, JpegFrameInfo* frame) {
    if (!bytes || !frame)
        return 0;
    uint64_t pos = 0;
    while (pos + 2 <= count) {
        if (at_marker(bytes, pos, count, 0xD8)) {
            pos += 2;
            continue;
        }
        if (at_marker(bytes, pos, count, 0xC0))
            return GetJpegHVSample(bytes + pos, uint32_t(count - pos), frame);
        if (at_marker(bytes, pos, count, 0xDA) || at_marker(bytes, pos, count, 0xF9))
            return 0;
        if (pos + 4 > count)
            return 0;
        uint32_t length = vokc::GetBe16(bytes + pos + 2);
        if (length < kMinSegmentLength)
            return 0;
        pos += 2 + uint64_t(length);
    }
    return 0;
}

VOK_EXTERN_C int Get_Jpeg_HvSamp_Main(const char* path, JpegFrameInfo* frame) {
    if (!frame)
        return 0;
    VokImgBlock* header = GetJpegHeaderFromFile(path);
    if (!header)
        return 0;
    int ok = Get_Jpeg_Info(header->data, header->size, frame);
    VokImg_FreeBlock(header);
    return ok;
}

VOK_EXTERN_C int VOK_Check_Jpeg_HuffmanTable(const char* path) {
    VokImgBlock* header = GetJpegHeaderFromFile(path);
    if (!header)
        return 0;
    int standard = huffman_standard(header->data, header->size);
    VokImg_FreeBlock(header);
    return standard;
}
