/* Fuzz target: the standard Huffman table check over an arbitrary header block. */
#include "img_internal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > UINT32_MAX)
        return 0;
    int standard = vokimg::huffman_standard(data, uint32_t(size));
    if (standard != 0 && standard != 1)
        __builtin_trap();
    return 0;
}
