/* Fuzz target: the program's TIFF reader on a whole file in memory; whatever it returns must
 * be a bitmap whose header fits the block it came in. */
#include "tiff_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qubex::image::DibResult r = qubex::image::ReadTiffBytes(data, size);
    qubex::image::DibInfo info;
    if (r.ok() && !qubex::image::DibFacts(r.dib, &info))
        __builtin_trap();
    return 0;
}
