// Arbitrary bytes as a TIFF for the upload's pixel reader; whatever it accepts, and the bytes
// themselves taken as a bitmap, are turned by the first byte's orientation.
#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "DscUpload.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> dib, turned;
    int orientation = size ? data[0] % 9 : 1;
    if (DscTiff_ReadRgb(data, size, &dib))
        DscDib_Orient(dib.data(), dib.size(), orientation, &turned);
    DscDib_Orient(data, size, orientation, &turned);
    return 0;
}
