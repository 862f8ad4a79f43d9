/* Fuzz target: the program's BMP reader on a whole file in memory, then the display copy of
 * what it returns (run-length expansion and bit fields); both must stay inside their blocks. */
#include "bmp_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qubex::image::DibResult r = qubex::image::ReadBmpBytes(data, size);
    qubex::image::DibInfo info;
    if (r.ok() && !qubex::image::DibFacts(r.dib, &info))
        __builtin_trap();
    // Pictures of many megapixels only spend the run's time filling zeros.
    if (r.ok() && uint64_t(info.width) * info.height <= (1u << 22)) {
        qubex::image::Dib shown = qubex::image::MakeDisplayCopy(r.dib);
        if (!shown.empty() && !qubex::image::DibFacts(shown, &info))
            __builtin_trap();
    }
    return 0;
}
