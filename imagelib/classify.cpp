/* Kinds of image files and the all-kinds record: which reader a file needs (Exif, CIFF,
 * plain JPEG, bitmap, TIFF) and the file-name, bitmap and libjpeg fallbacks around them.
 * A JPEG's header is cut once per call and serves every question asked of it. */
#include "img_internal.h"
#include "jpeg_boundary.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vokimg {
namespace {

// Closes a descriptor and frees a block at the end of a scope.
struct OpenFile {
    int fd = -1;
    VokImgBlock* header = nullptr;
    ~OpenFile() {
        VokImg_FreeBlock(header);
        if (fd >= 0)
            close(fd);
    }
};

// Kind from the first bytes; for a JPEG also the cut header, kept in file.
int kind_of(OpenFile& file) {
    unsigned char b[2];
    ByteSource src;
    src.fd = file.fd;
    if (source_read(src, 0, b, 2) != 2)
        return VOK_IMG_KIND_NONE;
    if (b[0] == 'B' && b[1] == 'M')
        return VOK_IMG_KIND_BMP;
    if ((b[0] == 'I' && b[1] == 'I') || (b[0] == 'M' && b[1] == 'M'))
        return VOK_IMG_KIND_TIFF;
    file.header = cut_jpeg_header(src);
    if (!file.header)
        return VOK_IMG_KIND_NONE;
    return kind_from_class(header_class(file.header->data, file.header->size));
}

void copy_part(char* field, size_t fieldSize, const char* text, size_t length) {
    size_t n = std::min(length, fieldSize - 1);
    std::memcpy(field, text, n);
    field[n] = '\0';
}

} // namespace

int exif_info_from_header(const VokImgBlock* header, const char* path, ImageInfo* info) {
    return exif_info_from_block(header ? exif_from_header(header->data, header->size) : nullptr,
                                path, info);
}

} // namespace vokimg

using namespace vokimg;

VOK_EXTERN_C int IsImageFileType(const char* path) {
    if (!path || !*path)
        return VOK_IMG_KIND_NONE;
    OpenFile file;
    file.fd = open_for_reading(path);
    if (file.fd < 0)
        return VOK_IMG_KIND_NONE;
    return kind_of(file);
}

VOK_EXTERN_C int Get_Filename_Path(const char* path, ImageInfo* info) {
    if (!path || !info)
        return 0;
    const char* slash = std::strrchr(path, '/');
    size_t folderLength = slash ? size_t(slash - path) + 1 : 0;
    copy_part(info->folder, sizeof info->folder, path, folderLength);
    copy_text(info->fileName, sizeof info->fileName, path + folderLength);
    return 1;
}

VOK_EXTERN_C int Get_Image_Bitmap_Info(const char* path, ImageInfo* info) {
    if (!path || !*path || !info)
        return 0;
    int fd = open_for_reading(path);
    if (fd < 0)
        return 0;
    unsigned char b[26];
    ByteSource src;
    src.fd = fd;
    size_t got = source_read(src, 0, b, sizeof b);
    close(fd);
    if (got < 22 || b[0] != 'B' || b[1] != 'M')
        return 0;
    uint32_t headerSize = vokc::Get32(b + 14, false);
    if (headerSize == 12) {
        info->width = vokc::Get16(b + 18, false);
        info->height = vokc::Get16(b + 20, false);
        return 1;
    }
    if (got < 26 || headerSize < 16)
        return 0;
    // Heights are negative for top-down rows.
    int32_t width = int32_t(vokc::Get32(b + 18, false));
    int32_t height = int32_t(vokc::Get32(b + 22, false));
    info->width = uint32_t(std::abs(int64_t(width)));
    info->height = uint32_t(std::abs(int64_t(height)));
    return 1;
}

VOK_EXTERN_C int Get_Normal_Jpeg_Format(const char* path, ImageInfo* info) {
    if (!info)
        return 0;
    VokJpegHeader header;
    if (!vok_jpeg_read_header_file(path, &header))
        return 0;
    info->width = header.width;
    info->height = header.height;
    return 1;
}

VOK_EXTERN_C int GetExifData(const char* path, ImageInfo* info) {
    if (!info)
        return 0;
    // The whole record is cleared, not only the fields every kind fills, so that a reused
    // record never shows facts of the file read before.
    std::memset(info, 0, sizeof *info);
    if (!path || !*path)
        return 0;
    OpenFile file;
    file.fd = open_for_reading(path);
    if (file.fd < 0)
        return 0;
    switch (kind_of(file)) {
    case VOK_IMG_KIND_EXIF:
        exif_info_from_header(file.header, path, info);
        if (info->width == 0 && info->height == 0)
            Get_Normal_Jpeg_Format(path, info);
        break;
    case VOK_IMG_KIND_CIFF: {
        uint32_t width = 0;
        uint32_t height = 0;
        if (ciff_size(file.header->data, file.header->size, &width, &height)) {
            info->width = width;
            info->height = height;
        }
        record_file_time(file.fd, info);
        break;
    }
    case VOK_IMG_KIND_JPEG:
        Get_Normal_Jpeg_Format(path, info);
        record_file_time(file.fd, info);
        break;
    case VOK_IMG_KIND_BMP:
        Get_Image_Bitmap_Info(path, info);
        record_file_time(file.fd, info);
        break;
    case VOK_IMG_KIND_TIFF:
        VokImg_Tiff_GetTagInfo(path, info);
        if (!info->dateTaken[0] && !info->dateChanged[0])
            record_file_time(file.fd, info);
        break;
    default:
        break;
    }
    Get_Filename_Path(path, info);
    return 1;
}
