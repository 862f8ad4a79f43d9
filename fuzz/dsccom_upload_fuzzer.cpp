// Arbitrary bytes as a TIFF for the program's reader; whatever it accepts, and the bytes
// themselves taken as a bitmap, are turned by the first byte's orientation.
#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "DscUpload.h"
#include "tiff_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> turned;
    int orientation = size ? data[0] % 9 : 1;
    const qubex::image::DibResult tiff = qubex::image::ReadTiffBytes(data, size);
    if (tiff.ok())
        DscDib_Orient(tiff.dib.data(), tiff.dib.size(), orientation, &turned);
    DscDib_Orient(data, size, orientation, &turned);
    return 0;
}
