/* Fuzz target: the TIFF/Exif directory search and value reading, with the input taken both
 * as an Exif segment and as a TIFF block, and the Exif record built from it. */
#include "img_internal.h"

#include <cstring>

namespace {

const uint32_t kTags[] = {1,   2,   256,   257,   259,   262,   271,   272,   306,
                          513, 514, 34665, 36864, 36867, 40962, 40963, 40965, 0xFFFF};

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > UINT32_MAX)
        return 0;
    VokImgBlock block{const_cast<unsigned char*>(data), uint32_t(size)};
    char text[VOK_IMG_TEXT];
    uint32_t number = 0;
    for (int isExif = 0; isExif < 2; ++isExif) {
        for (uint32_t tag : kTags) {
            if (GetExif_MemberData(&block, tag, 2, isExif, text, sizeof text, &number) &&
                strnlen(text, sizeof text) >= sizeof text)
                __builtin_trap();
            GetExif_MemberData_ExifIFD(&block, 34665, tag, 2, isExif, text, sizeof text, &number);
        }
    }
    ImageInfo info;
    std::memset(&info, 0, sizeof info);
    Get_Exif_Info_Sub(&block, &info);
    Get_Exif_Thumbnail_Info(&block, &info);
    if (size >= 8) {
        bool be = data[0] == 'M';
        uint32_t offset = 0, valueSize = 0, type = 0, next = 0;
        ScanIFDFromData(data, uint32_t(size / 2), 271, be, uint32_t(size), &offset, &valueSize,
                        &type, &next);
        GetTagDataAddress(data, uint32_t(size), uint32_t(size / 3), be, &offset, &valueSize);
        GetTargetTag(data, uint32_t(size), offset, type, valueSize, be, text, sizeof text, &number);
    }
    return 0;
}
