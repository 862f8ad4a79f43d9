/* The directory writer behind the Exif APP1 segment and the TIFF header: tag templates,
 * overrides applied in template order, value areas laid out after each directory, and
 * in-place changes of single tags. Everything is written little-endian ("II"). */
#include "img_internal.h"
#include "img_write.h"

#include <algorithm>
#include <cstring>

namespace vokimg {
namespace {

constexpr uint32_t kTiffHeader = 8;
constexpr uint32_t kExifPrefix = 10; // FF E1, length, "Exif", two zero bytes
constexpr uint32_t kMaxNumbers = 64; // values of one numeric entry

uint32_t unit_of(uint32_t type) {
    switch (type) {
    case 2:
    case 7:
        return 1;
    case 3:
        return 2;
    case 4:
        return 4;
    case 5:
        return 8;
    default:
        return 0;
    }
}

uint32_t value_bytes(const ExifTagEntry& e) {
    return e.count * unit_of(e.type);
}

uint32_t dir_size(const ExifTagEntry* e, size_t n) {
    uint32_t size = 6 + 12 * uint32_t(n);
    for (size_t i = 0; i < n; ++i) {
        uint32_t bytes = value_bytes(e[i]);
        if (bytes > 4)
            size += bytes;
    }
    return size;
}

void put_value(unsigned char* p, const ExifTagEntry& e) {
    switch (e.type) {
    case 2:
        std::memcpy(p, e.bytes, e.count);
        p[e.count - 1] = 0; // ASCII always ends with its terminator
        break;
    case 7:
        if (e.value != 0 && e.count <= 4) {
            // An UNDEFINED value given as a number: its bytes from the most significant.
            for (uint32_t i = 0; i < e.count; ++i)
                p[i] = uint8_t(e.value >> (24 - 8 * i));
        } else {
            std::memcpy(p, e.bytes, e.count);
        }
        break;
    case 3:
        for (uint32_t i = 0; i < e.count; ++i)
            vokc::PutLe16(p + 2 * i, e.value);
        break;
    case 4:
        for (uint32_t i = 0; i < e.count; ++i)
            vokc::PutLe32(p + 4 * i, e.value);
        break;
    case 5:
        for (uint32_t i = 0; i < e.count; ++i) {
            vokc::PutLe32(p + 8 * i, e.value);
            vokc::PutLe32(p + 8 * i + 4, e.second);
        }
        break;
    default:
        break;
    }
}

// One directory at offset at (from the byte-order mark) with its value area after it.
void write_dir(unsigned char* tiff, uint32_t at, const ExifTagEntry* e, size_t n, uint32_t next) {
    vokc::PutLe16(tiff + at, uint32_t(n));
    uint32_t values = at + 6 + 12 * uint32_t(n);
    for (size_t i = 0; i < n; ++i) {
        unsigned char* entry = tiff + at + 2 + 12 * i;
        vokc::PutLe16(entry, e[i].tag);
        vokc::PutLe16(entry + 2, e[i].type);
        vokc::PutLe32(entry + 4, e[i].count);
        std::memset(entry + 8, 0, 4);
        uint32_t bytes = value_bytes(e[i]);
        if (bytes <= 4) {
            put_value(entry + 8, e[i]);
        } else {
            vokc::PutLe32(entry + 8, values);
            put_value(tiff + values, e[i]);
            values += bytes;
        }
    }
    vokc::PutLe32(tiff + at + 2 + 12 * n, next);
}

bool entry_valid(const ExifTagEntry& e) {
    if (e.count == 0 || unit_of(e.type) == 0)
        return false;
    if (e.type == 2 || e.type == 7)
        return e.count <= VOK_EXIF_TAG_BYTES;
    return e.count <= kMaxNumbers;
}

ExifTagEntry entry(uint16_t tag, uint16_t type, uint32_t count, uint32_t value, uint32_t second = 0,
                   const char* bytes = nullptr) {
    ExifTagEntry e;
    SetExifStructInfoMember(&e, tag, type, count, value, second, bytes);
    return e;
}

constexpr const char* kTemplateDate = "1999:01:01 00:00:00";

// Directory sizes of the Exif template: directory 0, Exif, interoperability, directory 1.
constexpr size_t kExifDirs[4] = {9, 10, 2, 6};
constexpr size_t kTiffDirs[2] = {17, 3};

std::vector<ExifTagEntry> exif_template() {
    return {
        entry(271, 2, 10, 0, 0, "Quintaral"),
        entry(272, 2, 10, 0, 0, "qubex    "),
        entry(282, 5, 1, 72, 1),
        entry(283, 5, 1, 72, 1),
        entry(296, 3, 1, 2),
        entry(305, 2, 8, 0, 0, "Ver.1.0"),
        entry(306, 2, 20, 0, 0, kTemplateDate),
        entry(531, 3, 1, 2),
        entry(34665, 4, 1, 0),
        entry(36864, 7, 4, 0, 0, "0210"),
        entry(36867, 2, 20, 0, 0, kTemplateDate),
        entry(36868, 2, 20, 0, 0, kTemplateDate),
        entry(37121, 7, 4, 0x01020300),
        entry(37500, 7, 6, 0, 0, "VOKD\0\0"),
        entry(40960, 7, 4, 0, 0, "0100"),
        entry(40961, 3, 1, 1),
        entry(40962, 4, 1, 0),
        entry(40963, 4, 1, 0),
        entry(40965, 4, 1, 0),
        entry(1, 2, 4, 0, 0, "R98"),
        entry(2, 7, 4, 0, 0, "0100"),
        entry(259, 3, 1, 6),
        entry(282, 5, 1, 72, 1),
        entry(283, 5, 1, 72, 1),
        entry(296, 3, 1, 2),
        entry(513, 4, 1, 0),
        entry(514, 4, 1, 0),
    };
}

std::vector<ExifTagEntry> tiff_template() {
    return {
        entry(256, 4, 1, 0),
        entry(257, 4, 1, 0),
        entry(258, 3, 3, 8),
        entry(259, 3, 1, 1),
        entry(262, 3, 1, 2),
        entry(271, 2, 10, 0, 0, "Quintaral"),
        entry(272, 2, 10, 0, 0, "qubex    "),
        entry(273, 4, 1, 0),
        entry(277, 3, 1, 3),
        entry(278, 4, 1, 0),
        entry(279, 4, 1, 0),
        entry(282, 5, 1, 72, 1),
        entry(283, 5, 1, 72, 1),
        entry(296, 3, 1, 2),
        entry(305, 2, 8, 0, 0, "Ver.1.0"),
        entry(306, 2, 20, 0, 0, kTemplateDate),
        entry(34665, 4, 1, 0),
        entry(36864, 7, 4, 0, 0, "0210"),
        entry(40960, 7, 4, 0, 0, "0100"),
        entry(40961, 3, 1, 1),
    };
}

// The template and the overrides walk in step; a tag the template lacks stops the walk.
bool apply_overrides(std::vector<ExifTagEntry>* entries, const ExifTagEntry* overrides,
                     uint32_t count) {
    uint32_t next = 0;
    for (ExifTagEntry& e : *entries) {
        if (!overrides || next >= count)
            break;
        const ExifTagEntry& o = overrides[next];
        if (e.tag != o.tag)
            continue;
        e.type = o.type;
        e.count = o.count;
        e.value = o.value;
        e.second = o.second;
        if (o.value == 0 && o.second == 0) {
            std::memset(e.bytes, 0, sizeof e.bytes);
            std::memcpy(e.bytes, o.bytes, std::min<uint32_t>(o.count, VOK_EXIF_TAG_BYTES));
        }
        ++next;
    }
    return std::all_of(entries->begin(), entries->end(), entry_valid);
}

uint32_t dirs_size(const std::vector<ExifTagEntry>& entries, const size_t* counts, size_t dirs) {
    uint32_t size = 0;
    size_t first = 0;
    for (size_t d = 0; d < dirs; ++d) {
        size += dir_size(entries.data() + first, counts[d]);
        first += counts[d];
    }
    return size;
}

ExifTagEntry* find_entry(std::vector<ExifTagEntry>& entries, uint16_t tag) {
    for (ExifTagEntry& e : entries) {
        if (e.tag == tag)
            return &e;
    }
    return nullptr;
}

} // namespace

bool exif_entries(const ExifTagEntry* overrides, uint32_t count, std::vector<ExifTagEntry>* out) {
    *out = exif_template();
    return apply_overrides(out, overrides, count);
}

uint32_t exif_block_size(const std::vector<ExifTagEntry>& entries) {
    return kExifPrefix + kTiffHeader + dirs_size(entries, kExifDirs, 4);
}

bool build_exif_block(const std::vector<ExifTagEntry>& source, uint32_t thumbnailSize,
                      Bytes* block) {
    std::vector<ExifTagEntry> entries = source;
    if (entries.size() != 27)
        return false;
    uint32_t size = exif_block_size(entries);
    if (uint64_t(size) - 2 + thumbnailSize > 0xFFFF)
        return false;
    const ExifTagEntry* e = entries.data();
    uint32_t ifd0 = kTiffHeader;
    uint32_t exif = ifd0 + dir_size(e, kExifDirs[0]);
    uint32_t interop = exif + dir_size(e + 9, kExifDirs[1]);
    uint32_t ifd1 = interop + dir_size(e + 19, kExifDirs[2]);
    uint32_t thumb = ifd1 + dir_size(e + 21, kExifDirs[3]);
    // The pointers are the template's own entries 8, 18 and 25.
    entries[8].value = exif;
    entries[18].value = interop;
    entries[25].value = thumb;
    block->assign(size, 0);
    unsigned char* b = block->data();
    b[0] = 0xFF;
    b[1] = 0xE1;
    uint32_t length = size - 2 + thumbnailSize;
    b[2] = uint8_t(length >> 8);
    b[3] = uint8_t(length);
    std::memcpy(b + 4, "Exif\0\0", 6);
    unsigned char* tiff = b + kExifPrefix;
    std::memcpy(tiff, "II", 2);
    vokc::PutLe16(tiff + 2, 42);
    vokc::PutLe32(tiff + 4, ifd0);
    write_dir(tiff, ifd0, e, kExifDirs[0], ifd1);
    write_dir(tiff, exif, e + 9, kExifDirs[1], 0);
    write_dir(tiff, interop, e + 19, kExifDirs[2], 0);
    write_dir(tiff, ifd1, e + 21, kExifDirs[3], 0);
    return true;
}

// The TIFF header (directories and value areas) for a width x height RGB strip.
bool build_tiff_header(const ExifTagEntry* overrides, uint32_t count, uint32_t width,
                       uint32_t height, const char* now, Bytes* header) {
    std::vector<ExifTagEntry> entries = tiff_template();
    if (!apply_overrides(&entries, overrides, count))
        return false;
    uint32_t dir0 = dir_size(entries.data(), kTiffDirs[0]);
    uint32_t size = kTiffHeader + dirs_size(entries, kTiffDirs, 2);
    uint64_t pixels = uint64_t(width) * height * 3;
    if (pixels > UINT32_MAX - size)
        return false;
    find_entry(entries, 256)->value = width;
    find_entry(entries, 257)->value = height;
    find_entry(entries, 278)->value = height;
    find_entry(entries, 279)->value = uint32_t(pixels);
    find_entry(entries, 273)->value = size;
    find_entry(entries, 34665)->value = kTiffHeader + dir0;
    ExifTagEntry* date = find_entry(entries, 306);
    if (date->type == 2) {
        std::memset(date->bytes, 0, sizeof date->bytes);
        std::memcpy(date->bytes, now, std::min<size_t>(std::strlen(now), date->count - 1));
    }
    header->assign(size, 0);
    unsigned char* t = header->data();
    std::memcpy(t, "II", 2);
    vokc::PutLe16(t + 2, 42);
    vokc::PutLe32(t + 4, kTiffHeader);
    write_dir(t, kTiffHeader, entries.data(), kTiffDirs[0], 0);
    write_dir(t, kTiffHeader + dir0, entries.data() + kTiffDirs[0], kTiffDirs[1], 0);
    return true;
}

} // namespace vokimg

using namespace vokimg;

VOK_EXTERN_C void SetExifStructInfoMember(ExifTagEntry* entry, uint16_t tag, uint16_t type,
                                          uint32_t count, uint32_t value, uint32_t second,
                                          const void* bytes) {
    if (!entry)
        return;
    std::memset(entry, 0, sizeof *entry);
    entry->tag = tag;
    entry->type = type;
    entry->count = count;
    entry->value = value;
    entry->second = second;
    if (!bytes)
        return;
    size_t n = std::min<size_t>(count, VOK_EXIF_TAG_BYTES);
    if (type == 2)
        n = strnlen(static_cast<const char*>(bytes), n);
    else if (type != 7)
        n = 0;
    std::memcpy(entry->bytes, bytes, n);
}

VOK_EXTERN_C int ChangeTargetTag(unsigned char* tiff, uint32_t dataSize, uint32_t valueOffset,
                                 uint32_t fieldType, uint32_t valueSize, const char* text,
                                 uint32_t number, int bigEndian) {
    if (!tiff || valueSize == 0 || !fits(valueOffset, valueSize, dataSize))
        return 0;
    unsigned char* p = tiff + valueOffset;
    if (text) {
        size_t n = std::min<size_t>(std::strlen(text) + 1, valueSize);
        std::memcpy(p, text, n);
        p[n - 1] = '\0';
        return 1;
    }
    uint32_t width = (fieldType == 1 || fieldType == 6)   ? 1
                     : (fieldType == 3 || fieldType == 8) ? 2
                                                          : 4;
    width = std::min(width, valueSize);
    for (uint32_t i = 0; i < width; ++i) {
        uint32_t shift = bigEndian ? 8 * (width - 1 - i) : 8 * i;
        p[i] = uint8_t(number >> shift);
    }
    return 1;
}

VOK_EXTERN_C int ChangeExif_MemberData(VokImgBlock* block, uint32_t tag, const char* text,
                                       uint32_t number, int isExifBlock) {
    uint32_t skip = isExifBlock ? kExifPrefix : 0;
    if (!block || !block->data || block->size < skip + kTiffHeader)
        return 0;
    unsigned char* tiff = block->data + skip;
    uint32_t size = block->size - skip;
    int bigEndian = tiff[0] == 'M' && tiff[1] == 'M';
    uint32_t offset = 0;
    uint32_t valueSize = 0;
    uint32_t type = 0;
    if (!ScanTargetTag(tiff, tag, bigEndian, size, &offset, &valueSize, &type))
        return 0;
    return ChangeTargetTag(tiff, size, offset, type, valueSize, text, number, bigEndian);
}
