/* Memory blocks handed to callers and the byte sources the walks read from. A block is
 * one allocation: the VokImgBlock record followed by its bytes, so one free releases it. */
#include "img_internal.h"
#include "vok_files.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vokimg {

VokImgBlock* block_new(uint32_t size) {
    void* raw = std::calloc(1, sizeof(VokImgBlock) + size_t(size) + 1);
    if (!raw)
        return nullptr;
    VokImgBlock* block = static_cast<VokImgBlock*>(raw);
    block->data = reinterpret_cast<unsigned char*>(block + 1);
    block->size = size;
    return block;
}

int open_for_reading(const char* path) {
    if (!path || !*path)
        return -1;
    // Non-blocking, so that a path naming a FIFO fails instead of hanging the caller.
    return open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
}

size_t source_read(const ByteSource& src, uint64_t offset, void* buffer, size_t n) {
    if (src.mem) {
        if (offset >= src.memSize)
            return 0;
        size_t count = std::min<uint64_t>(n, src.memSize - offset);
        std::memcpy(buffer, src.mem + offset, count);
        return count;
    }
    ssize_t got = vokc::PreadFull(src.fd, buffer, n, off_t(offset));
    return got < 0 ? 0 : size_t(got);
}

void copy_text(char* field, size_t fieldSize, const char* text) {
    if (fieldSize == 0)
        return;
    size_t n = strnlen(text, fieldSize - 1);
    std::memcpy(field, text, n);
    field[n] = '\0';
}

} // namespace vokimg

VOK_EXTERN_C void VokImg_FreeBlock(VokImgBlock* block) {
    std::free(block);
}
