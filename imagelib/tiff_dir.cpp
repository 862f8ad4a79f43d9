/* TIFF and Exif directory walks: finding a tag through directory 0, the Exif directory and
 * the interoperability directory with their chains, reading a value by its entry's own
 * type, and the Exif and TIFF records built from them. Offsets from the file are checked
 * against the data size before every read; directory chains are bounded against loops. */
#include "img_internal.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vokimg {
namespace {

constexpr uint32_t kTagExifPointer = 34665;
constexpr uint32_t kTagInteropPointer = 40965;
constexpr uint32_t kTagInteropIndex = 1;
constexpr uint32_t kExifHeaderSkip = 10; // FF E1, length, "Exif", two zero bytes
// Longest directory chain followed; real files have one or two directories per chain.
constexpr int kMaxChain = 64;

enum class Scan { Found, Missing, Aborted };

struct TagHit {
    uint32_t offset = 0;
    uint32_t size = 0;
    uint32_t type = 0;
};

struct TiffView {
    const unsigned char* data = nullptr;
    uint32_t size = 0;
    bool bigEndian = false;
};

// Bytes per value of a field type; the unlisted types have no defined size.
uint32_t unit_size(uint32_t type) {
    switch (type) {
    case 1: // BYTE
    case 2: // ASCII
    case 6: // SBYTE
    case 7: // UNDEFINED
        return 1;
    case 3: // SHORT
    case 8: // SSHORT
        return 2;
    case 4:  // LONG
    case 9:  // SLONG
    case 11: // FLOAT
    case 13: // IFD
        return 4;
    case 5:  // RATIONAL
    case 10: // SRATIONAL
    case 12: // DOUBLE
        return 8;
    default:
        return 0;
    }
}

uint32_t u16(const TiffView& v, uint64_t at) {
    return vokc::Get16(v.data + at, v.bigEndian);
}
uint32_t u32(const TiffView& v, uint64_t at) {
    return vokc::Get32(v.data + at, v.bigEndian);
}

void entry_value_place(const TiffView& v, uint64_t entry, TagHit* hit) {
    hit->type = u16(v, entry + 2);
    uint64_t bytes = uint64_t(u32(v, entry + 4)) * unit_size(hit->type);
    // An impossible size can never fit the data, so every read of it fails.
    hit->size = bytes > UINT32_MAX ? UINT32_MAX : uint32_t(bytes);
    hit->offset = hit->size <= 4 ? uint32_t(entry + 8) : u32(v, entry + 8);
}

// One directory: Found with the hit, or Missing with the next directory's offset.
Scan scan_ifd(const TiffView& v, uint32_t ifd, uint32_t tag, TagHit* hit, uint32_t* next) {
    *next = 0;
    if (!fits(ifd, 2, v.size))
        return Scan::Missing;
    uint32_t count = u16(v, ifd);
    uint64_t entry = uint64_t(ifd) + 2;
    for (uint32_t i = 0; i < count; ++i, entry += 12) {
        if (!fits(entry, 12, v.size))
            return Scan::Missing;
        if (u16(v, entry) == tag) {
            entry_value_place(v, entry, hit);
            return Scan::Found;
        }
    }
    if (fits(entry, 4, v.size))
        *next = u32(v, entry);
    return Scan::Missing;
}

// A directory and its chain. A directory offset beyond the data aborts the whole search.
Scan scan_chain(const TiffView& v, uint32_t ifd, uint32_t tag, TagHit* hit) {
    uint32_t seen[kMaxChain];
    for (int steps = 0; ifd != 0 && steps < kMaxChain; ++steps) {
        if (ifd >= v.size)
            return Scan::Aborted;
        for (int i = 0; i < steps; ++i) {
            if (seen[i] == ifd)
                return Scan::Missing;
        }
        seen[steps] = ifd;
        uint32_t next = 0;
        if (scan_ifd(v, ifd, tag, hit, &next) == Scan::Found)
            return Scan::Found;
        ifd = next;
    }
    return Scan::Missing;
}

// The number a pointer tag holds (0 when it cannot be read).
uint32_t hit_number(const TiffView& v, const TagHit& hit) {
    uint32_t number = 0;
    if (!GetTargetTag(v.data, v.size, hit.offset, hit.type, hit.size, v.bigEndian, nullptr, 0,
                      &number))
        return 0;
    return number;
}

uint32_t ifd0_offset(const TiffView& v) {
    return v.size >= 8 ? u32(v, 4) : 0;
}

// The directory that pointerTag of directory 0 (not its chain) points to, or 0.
uint32_t pointed_ifd(const TiffView& v, uint32_t pointerTag) {
    TagHit hit;
    uint32_t next = 0;
    if (scan_ifd(v, ifd0_offset(v), pointerTag, &hit, &next) != Scan::Found)
        return 0;
    return hit_number(v, hit);
}

Scan scan_all(const TiffView& v, uint32_t tag, TagHit* hit) {
    if (v.size < 8)
        return Scan::Missing;
    Scan s = scan_chain(v, ifd0_offset(v), tag, hit);
    if (s != Scan::Missing)
        return s;
    uint32_t exifIfd = pointed_ifd(v, kTagExifPointer);
    if (exifIfd == 0)
        return Scan::Missing;
    s = scan_chain(v, exifIfd, tag, hit);
    if (s != Scan::Missing)
        return s;
    TagHit pointer;
    if (scan_chain(v, exifIfd, kTagInteropPointer, &pointer) != Scan::Found)
        return Scan::Missing;
    uint32_t interopIfd = hit_number(v, pointer);
    if (interopIfd == 0)
        return Scan::Missing;
    return scan_chain(v, interopIfd, tag, hit);
}

TiffView view_of(const unsigned char* tiff, uint32_t size, bool bigEndian) {
    TiffView v;
    v.data = tiff;
    v.size = tiff ? size : 0;
    v.bigEndian = bigEndian;
    return v;
}

bool view_of_block(const VokImgBlock* block, int isExifBlock, TiffView* v) {
    if (!block || !block->data)
        return false;
    uint32_t skip = isExifBlock ? kExifHeaderSkip : 0;
    if (block->size < skip + 8)
        return false;
    v->data = block->data + skip;
    v->size = block->size - skip;
    v->bigEndian = v->data[0] == 'M' && v->data[1] == 'M';
    return true;
}

bool read_hit(const TiffView& v, const TagHit& hit, char* text, uint32_t textSize,
              uint32_t* number) {
    return GetTargetTag(v.data, v.size, hit.offset, hit.type, hit.size, v.bigEndian, text, textSize,
                        number) != 0;
}

bool member(const TiffView& v, uint32_t tag, char* text, uint32_t textSize, uint32_t* number) {
    TagHit hit;
    return scan_all(v, tag, &hit) == Scan::Found && read_hit(v, hit, text, textSize, number);
}

bool member_exif_ifd(const TiffView& v, uint32_t pointerTag, uint32_t tag, char* text,
                     uint32_t textSize, uint32_t* number) {
    uint32_t ifd = pointed_ifd(v, pointerTag);
    TagHit hit;
    return ifd != 0 && scan_chain(v, ifd, tag, &hit) == Scan::Found &&
           read_hit(v, hit, text, textSize, number);
}

// Reads a tag into a text field only when present.
void text_field(const TiffView& v, uint32_t tag, char* field) {
    char text[VOK_IMG_TEXT];
    if (member(v, tag, text, sizeof text, nullptr))
        copy_text(field, VOK_IMG_TEXT, text);
}

void number_field(const TiffView& v, uint32_t tag, uint32_t* field) {
    uint32_t number = 0;
    if (member(v, tag, nullptr, 0, &number))
        *field = number;
}

void exif_version_field(const TiffView& v, char* field) {
    char text[VOK_IMG_TEXT];
    if (member_exif_ifd(v, kTagExifPointer, 36864, text, sizeof text, nullptr))
        copy_text(field, VOK_IMG_TEXT, text);
}

int interop_field(const TiffView& v, char* field) {
    char text[VOK_IMG_TEXT];
    if (!interop_index(v.data, v.size, v.bigEndian, text, sizeof text))
        return 0;
    copy_text(field, VOK_IMG_TEXT, text);
    return 1;
}

} // namespace

int interop_index(const unsigned char* tiff, uint32_t size, bool bigEndian, char* text,
                  uint32_t textSize) {
    TiffView v = view_of(tiff, size, bigEndian);
    uint32_t exifIfd = pointed_ifd(v, kTagExifPointer);
    if (exifIfd == 0)
        return 0;
    TagHit hit;
    uint32_t next = 0;
    if (scan_ifd(v, exifIfd, kTagInteropPointer, &hit, &next) != Scan::Found)
        return 0;
    uint32_t interopIfd = hit_number(v, hit);
    if (interopIfd == 0 || scan_chain(v, interopIfd, kTagInteropIndex, &hit) != Scan::Found)
        return 0;
    return read_hit(v, hit, text, textSize, nullptr) ? 1 : 0;
}

int tiff_info(const unsigned char* data, uint32_t size, ImageInfo* info) {
    VokImgBlock block{const_cast<unsigned char*>(data), size};
    TiffView v;
    if (!view_of_block(&block, 0, &v))
        return 0;
    number_field(v, 256, &info->width);
    number_field(v, 257, &info->height);
    number_field(v, 259, &info->compression);
    number_field(v, 262, &info->photometric);
    text_field(v, 306, info->dateTaken);
    text_field(v, 271, info->make);
    text_field(v, 272, info->model);
    exif_version_field(v, info->exifVersion);
    return interop_field(v, info->interopIndex);
}

} // namespace vokimg

using namespace vokimg;

VOK_EXTERN_C int ScanIFDFromData(const unsigned char* tiff, uint32_t ifdOffset, uint32_t tag,
                                 int bigEndian, uint32_t dataSize, uint32_t* valueOffset,
                                 uint32_t* valueSize, uint32_t* fieldType, uint32_t* nextIfd) {
    TiffView v = view_of(tiff, dataSize, bigEndian != 0);
    TagHit hit;
    uint32_t next = 0;
    Scan s = scan_ifd(v, ifdOffset, tag, &hit, &next);
    if (nextIfd)
        *nextIfd = next;
    if (s != Scan::Found)
        return 0;
    if (valueOffset)
        *valueOffset = hit.offset;
    if (valueSize)
        *valueSize = hit.size;
    if (fieldType)
        *fieldType = hit.type;
    return 1;
}

VOK_EXTERN_C int ScanTargetTag(const unsigned char* tiff, uint32_t tag, int bigEndian,
                               uint32_t dataSize, uint32_t* valueOffset, uint32_t* valueSize,
                               uint32_t* fieldType) {
    TiffView v = view_of(tiff, dataSize, bigEndian != 0);
    TagHit hit;
    if (scan_all(v, tag, &hit) != Scan::Found)
        return 0;
    if (valueOffset)
        *valueOffset = hit.offset;
    if (valueSize)
        *valueSize = hit.size;
    if (fieldType)
        *fieldType = hit.type;
    return 1;
}

VOK_EXTERN_C uint32_t GetDataFromByte(const unsigned char* source, uint32_t length, int bigEndian) {
    if (!source)
        return 0;
    return read_uint(source, std::min<uint32_t>(length, 4), bigEndian != 0);
}

VOK_EXTERN_C int GetTagDataAddress(const unsigned char* tiff, uint32_t dataSize,
                                   uint32_t entryOffset, int bigEndian, uint32_t* valueOffset,
                                   uint32_t* valueSize) {
    TiffView v = view_of(tiff, dataSize, bigEndian != 0);
    if (!fits(entryOffset, 12, v.size))
        return -1;
    TagHit hit;
    entry_value_place(v, entryOffset, &hit);
    if (valueOffset)
        *valueOffset = hit.offset;
    if (valueSize)
        *valueSize = hit.size;
    return hit.size > 4 ? 1 : 0;
}

VOK_EXTERN_C int GetTargetTag(const unsigned char* tiff, uint32_t dataSize, uint32_t valueOffset,
                              uint32_t fieldType, uint32_t valueSize, int bigEndian, char* text,
                              uint32_t textSize, uint32_t* number) {
    if (text && textSize)
        text[0] = '\0';
    if (number)
        *number = 0;
    if (!tiff)
        return 0;
    bool be = bigEndian != 0;
    switch (fieldType) {
    case 2:
    case 7: {
        if (!fits(valueOffset, valueSize, dataSize))
            return 0;
        if (!text || textSize == 0)
            return 1;
        // ASCII counts its terminator, but some cameras count only the letters: a last byte
        // that is no NUL is a letter. UNDEFINED bytes are taken whole.
        uint32_t n = valueSize;
        if (fieldType == 2 && n > 0 && tiff[valueOffset + n - 1] == '\0')
            --n;
        n = std::min(n, textSize - 1);
        std::memcpy(text, tiff + valueOffset, n);
        text[n] = '\0';
        return 1;
    }
    case 5:
    case 10:
        return 1;
    default: {
        unsigned width = (fieldType == 1 || fieldType == 6)   ? 1
                         : (fieldType == 3 || fieldType == 8) ? 2
                                                              : 4;
        if (!fits(valueOffset, width, dataSize))
            return 0;
        if (number)
            *number = read_uint(tiff + valueOffset, width, be);
        return 1;
    }
    }
}

VOK_EXTERN_C int GetExif_MemberData(const VokImgBlock* block, uint32_t tag, uint32_t fieldType,
                                    int isExifBlock, char* text, uint32_t textSize,
                                    uint32_t* number) {
    (void)fieldType;
    if (text && textSize)
        text[0] = '\0';
    if (number)
        *number = 0;
    TiffView v;
    if (!view_of_block(block, isExifBlock, &v))
        return 0;
    return member(v, tag, text, textSize, number) ? 1 : 0;
}

VOK_EXTERN_C int GetExif_MemberData_ExifIFD(const VokImgBlock* block, uint32_t pointerTag,
                                            uint32_t tag, uint32_t fieldType, int isExifBlock,
                                            char* text, uint32_t textSize, uint32_t* number) {
    (void)fieldType;
    if (text && textSize)
        text[0] = '\0';
    if (number)
        *number = 0;
    TiffView v;
    if (!view_of_block(block, isExifBlock, &v))
        return 0;
    return member_exif_ifd(v, pointerTag, tag, text, textSize, number) ? 1 : 0;
}

VOK_EXTERN_C int Get_Exif_Info_Sub(const VokImgBlock* exif, ImageInfo* info) {
    TiffView v;
    if (!info || !view_of_block(exif, 1, &v))
        return 0;
    text_field(v, 271, info->make);
    text_field(v, 272, info->model);
    text_field(v, 36867, info->dateTaken);
    text_field(v, 306, info->dateChanged);
    number_field(v, 40962, &info->width);
    number_field(v, 40963, &info->height);
    exif_version_field(v, info->exifVersion);
    return interop_field(v, info->interopIndex);
}

VOK_EXTERN_C int Get_Exif_Thumbnail_Info(const VokImgBlock* exif, ImageInfo* info) {
    if (!info)
        return 1;
    std::memset(&info->thumbnail, 0, sizeof info->thumbnail);
    TiffView v;
    uint32_t offset = 0;
    uint32_t length = 0;
    if (!view_of_block(exif, 1, &v) || !member(v, 513, nullptr, 0, &offset) ||
        !member(v, 514, nullptr, 0, &length)) {
        info->thumbnailState = VOK_IMG_NO_THUMBNAIL;
        return 1;
    }
    if (offset < v.size) {
        uint32_t count = std::min(length, v.size - offset);
        Get_Jpeg_Info(v.data + offset, count, &info->thumbnail);
    }
    return 1;
}

int vokimg::exif_info_from_block(VokImgBlock* exif, const char* path, ImageInfo* info) {
    if (!exif)
        return 0;
    int ok = Get_Exif_Info_Sub(exif, info);
    if (ok) {
        Get_Exif_Thumbnail_Info(exif, info);
        Get_Filename_Path(path, info);
        info->kind = VOK_IMG_KIND_EXIF;
    }
    VokImg_FreeBlock(exif);
    return ok;
}

VOK_EXTERN_C int Get_Exif_Info(const char* path, ImageInfo* info) {
    if (!info)
        return 0;
    return exif_info_from_block(GetExifDataFromFile(path), path, info);
}

VOK_EXTERN_C int VokImg_Tiff_GetTagInfo(const char* path, ImageInfo* info) {
    if (!info || !path || !*path)
        return 0;
    Get_Filename_Path(path, info);
    info->kind = VOK_IMG_KIND_TIFF;
    int fd = open_for_reading(path);
    if (fd < 0)
        return 0;
    // Mapped rather than read, so that only the directories' pages are touched.
    struct stat st;
    int ok = 0;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 8) {
        size_t length = size_t(st.st_size);
        void* map = mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd, 0);
        if (map != MAP_FAILED) {
            uint32_t size = length > UINT32_MAX ? UINT32_MAX : uint32_t(length);
            ok = tiff_info(static_cast<const unsigned char*>(map), size, info);
            munmap(map, length);
        }
    }
    close(fd);
    return ok;
}
