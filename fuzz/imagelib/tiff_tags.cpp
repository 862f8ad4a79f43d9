/* Fuzz target: the TIFF record of a whole TIFF file in memory, and the date functions on
 * whatever date text it yields. */
#include "img_internal.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > UINT32_MAX)
        return 0;
    ImageInfo info;
    std::memset(&info, 0, sizeof info);
    vokimg::tiff_info(data, uint32_t(size), &info);
    if (strnlen(info.dateTaken, sizeof info.dateTaken) >= sizeof info.dateTaken ||
        strnlen(info.make, sizeof info.make) >= sizeof info.make)
        __builtin_trap();
    char shown[2 * VOK_IMG_TEXT];
    for (int mode = 0; mode < 4; ++mode) {
        shown[0] = '\0';
        ChangeDisplayMode(info.dateTaken, shown, sizeof shown, mode);
    }
    ExifDate date;
    SetStructExifDate(info, &date);
    return 0;
}
