/* File access of the image readers, through the common whole-read helpers so that a pipe or
 * device is never waited on and interrupted reads are retried. */
#include "image_files.h"

#include "image_dib.h"
#include "vok_files.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace qubex::image {

bool ReadFileHead(const char* path, uint8_t* head, size_t n) {
    if (!path || !*path)
        return false;
    uint64_t size = 0;
    int fd = vokc::OpenRegularFile(path, UINT64_MAX, &size);
    if (fd < 0)
        return false;
    if (size < n) {
        close(fd);
        return false;
    }
    return vokc::ReadAndClose(fd, head, n);
}

int ReadWholeImageFile(const char* path, uint64_t limit, std::vector<uint8_t>* out) {
    out->clear();
    struct stat st;
    if (!path || !*path)
        return kMsgOpenFailed;
    if (stat(path, &st) != 0)
        return errno == ENOENT ? kMsgFileMissing : kMsgOpenFailed;
    if (!S_ISREG(st.st_mode))
        return kMsgOpenFailed;
    if (uint64_t(st.st_size) > limit)
        return kMsgNoMemory;
    uint64_t size = 0;
    int fd = vokc::OpenRegularFile(path, limit, &size);
    if (fd < 0)
        return kMsgOpenFailed;
    out->resize(size_t(size));
    if (!vokc::ReadAndClose(fd, out->data(), out->size())) {
        out->clear();
        return kMsgReadFailed;
    }
    return kMsgNone;
}

} // namespace qubex::image
