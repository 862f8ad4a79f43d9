/* The Model and MakerNote overrides of the camera form. */
#include "vok_tag_overrides.h"

#include <cassert>
#include <cstring>

namespace vokc {

void MakeTagOverrides(ExifTagEntry out[2], const char* model, const char* maker, uint8_t byte1,
                      uint8_t byte2) {
    assert(out && model && maker);
    std::memset(out, 0, 2 * sizeof(ExifTagEntry));
    // An odd name keeps its terminator as the padding; an even one gets a blank before it.
    size_t n = std::strlen(model);
    if (n > VOK_EXIF_TAG_BYTES - 2)
        n = VOK_EXIF_TAG_BYTES - 2;
    std::memcpy(out[0].bytes, model, n);
    if (n % 2 == 0)
        out[0].bytes[n++] = ' ';
    out[0].tag = 272;
    out[0].type = 2;
    out[0].count = static_cast<uint32_t>(n + 1);

    size_t m = std::strlen(maker);
    if (m > VOK_EXIF_TAG_BYTES - 2)
        m = VOK_EXIF_TAG_BYTES - 2;
    std::memcpy(out[1].bytes, maker, m);
    out[1].bytes[m] = byte1;
    out[1].bytes[m + 1] = byte2;
    out[1].tag = 37500;
    out[1].type = 7;
    out[1].count = static_cast<uint32_t>(m + 2);
}

} // namespace vokc
