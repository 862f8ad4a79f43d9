/* CIFF heaps in APP0 segments: the image size that old cameras stored in a heap instead of
 * an Exif segment. The heap's directory and the image record are reached through
 * offsets inside the heap, each checked against the heap's end. */
#include "img_internal.h"

#include <algorithm>

namespace vokimg {
namespace {

constexpr uint32_t kTypeImageSpec = 0x1810;
constexpr uint32_t kRecordSize = 10;

// Width and height from the CIFF header at ciff; its heap runs from the header length on
// to end, the end of the APP0 segment.
int heap_size(const unsigned char* data, uint64_t ciff, uint64_t end, uint32_t* width,
              uint32_t* height) {
    bool be = data[ciff] == 'M';
    if (!fits(ciff, 6, end))
        return 0;
    uint64_t heapStart = ciff + vokc::Get32(data + ciff + 2, be);
    if (heapStart + 4 > end)
        return 0;
    uint64_t heapLength = end - heapStart;
    const unsigned char* heap = data + heapStart;
    uint32_t directory = vokc::Get32(heap + heapLength - 4, be);
    if (!fits(directory, 2, heapLength))
        return 0;
    uint32_t records = vokc::Get16(heap + directory, be);
    for (uint32_t i = 0; i < records; ++i) {
        uint64_t record = uint64_t(directory) + 2 + uint64_t(i) * kRecordSize;
        if (!fits(record, kRecordSize, heapLength))
            return 0;
        if (vokc::Get16(heap + record, be) != kTypeImageSpec)
            continue;
        uint32_t imageRecord = vokc::Get32(heap + record + 6, be);
        if (!fits(imageRecord, 8, heapLength))
            return 0;
        *width = vokc::Get32(heap + imageRecord, be);
        *height = vokc::Get32(heap + imageRecord + 4, be);
        return 1;
    }
    return 0;
}

} // namespace

int ciff_size(const unsigned char* data, uint32_t size, uint32_t* width, uint32_t* height) {
    if (!data || size < 2)
        return 0;
    uint64_t pos = 2;
    while (pos + 4 <= size) {
        if (data[pos] == 0xFF && data[pos + 1] == 0xDA)
            break;
        uint32_t length = vokc::GetBe16(data + pos + 2);
        if (length < 2)
            break;
        uint64_t end = std::min<uint64_t>(pos + 2 + length, size);
        bool app0 = data[pos] == 0xFF && data[pos + 1] == 0xE0;
        if (app0 && pos + 6 <= end) {
            const unsigned char* order = data + pos + 4;
            bool marked =
                (order[0] == 'I' && order[1] == 'I') || (order[0] == 'M' && order[1] == 'M');
            if (marked && CheckCiffFormat(data + pos, uint32_t(size - pos)) &&
                heap_size(data, pos + 4, end, width, height))
                return 1;
        }
        pos += 2 + uint64_t(length);
    }
    return 0;
}

} // namespace vokimg

using namespace vokimg;

VOK_EXTERN_C int Get_Image_Ciff_Info(const char* path, ImageInfo* info) {
    if (!info)
        return 0;
    VokImgBlock* header = GetJpegHeaderFromFile(path);
    if (!header)
        return 0;
    uint32_t width = 0;
    uint32_t height = 0;
    int ok = ciff_size(header->data, header->size, &width, &height);
    if (ok) {
        info->width = width;
        info->height = height;
    }
    VokImg_FreeBlock(header);
    return ok;
}
