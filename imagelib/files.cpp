/* Files of the writing side: temporary files with the "VOK" prefix, the free-space check,
 * the backup of a destination and its restore, and the final replacement of a file,
 * which goes through a complete copy beside it and a rename so that the destination is
 * never half-written. */
#include "img_internal.h"
#include "img_write.h"
#include "vok_files.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace vokimg {
namespace {

bool free_bytes(const std::string& folder, uint64_t* freeSpace) {
    const char* stub = std::getenv("VOK_TEST_FREE_BYTES");
    if (stub && *stub) {
        char* end = nullptr;
        errno = 0;
        unsigned long long v = std::strtoull(stub, &end, 10);
        if (errno == 0 && end && *end == '\0') {
            *freeSpace = v;
            return true;
        }
    }
    struct statvfs fs;
    if (statvfs(folder.c_str(), &fs) != 0)
        return false;
    *freeSpace = uint64_t(fs.f_bavail) * fs.f_frsize;
    return true;
}

bool copy_into_buffer(char* buffer, const std::string& text) {
    if (text.size() >= VOK_MAX_PATH)
        return false;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

} // namespace

std::string temp_folder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = tmp && *tmp ? tmp : "/tmp";
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

namespace {

// Copies the file at from into to (an open file).
bool copy_path(const char* from, int to) {
    // Non-blocking: a named pipe fails the regular-file check instead of waiting.
    int fd = open(from, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st;
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && vokc::CopyFd(fd, to);
    close(fd);
    return ok;
}

} // namespace

bool replace_file(const char* path, const unsigned char* data, size_t size) {
    return vokc::ReplaceFile(path, data, size);
}

bool space_for(const char* path, uint64_t size) {
    uint64_t freeSpace = 0;
    if (!free_bytes(vokc::FolderOf(vokc::LinkTarget(path)), &freeSpace))
        return false;
    // The new file is complete beside the old one before it takes its name, so all of it
    // must fit, not only the growth.
    return size < freeSpace;
}

} // namespace vokimg

using namespace vokimg;

VOK_EXTERN_C int CheckDiskFreeSpace(const char* dst, const char* newFile) {
    if (!dst || !*dst || !newFile)
        return 0;
    struct stat st;
    if (stat(newFile, &st) != 0)
        return 0;
    return space_for(dst, uint64_t(st.st_size)) ? 1 : 0;
}

VOK_EXTERN_C uint64_t VokGetFileSize(const char* path) {
    struct stat st;
    if (!path || stat(path, &st) != 0 || !S_ISREG(st.st_mode))
        return 0;
    return uint64_t(st.st_size);
}

VOK_EXTERN_C int GetTmpFile(char* path) {
    if (!path)
        return 0;
    path[0] = '\0';
    std::string name = temp_folder() + "/VOKXXXXXX";
    int fd = mkostemp(&name[0], O_CLOEXEC);
    if (fd < 0)
        return 0;
    close(fd);
    if (!copy_into_buffer(path, name)) {
        unlink(name.c_str());
        return 0;
    }
    return 1;
}

VOK_EXTERN_C int DeleteTmpFile(char* path) {
    if (!path || !*path)
        return 1;
    int ok = unlink(path) == 0 || errno == ENOENT;
    path[0] = '\0';
    return ok;
}

VOK_EXTERN_C int Vok_SaveOrgFileData(const char* path, char* backup) {
    if (!backup)
        return 0;
    backup[0] = '\0';
    struct stat st;
    if (!path || !*path || stat(path, &st) != 0)
        return 1; // nothing to keep
    if (!GetTmpFile(backup))
        return 0;
    int fd = open(backup, O_WRONLY | O_TRUNC | O_CLOEXEC);
    bool ok = fd >= 0 && copy_path(path, fd);
    if (fd >= 0)
        ok = close(fd) == 0 && ok;
    if (!ok)
        DeleteTmpFile(backup);
    return ok ? 1 : 0;
}

VOK_EXTERN_C int Vok_RestoreKeepFile(char* backup, const char* path, int writeSucceeded) {
    if (!backup)
        return 0;
    int ok = 1;
    if (!writeSucceeded && backup[0] && path && *path) {
        ok = vokc::ReplaceFileWith(path,
                                   [&](int fd, vokc::WriteFn) { return copy_path(backup, fd); });
    }
    DeleteTmpFile(backup);
    return ok;
}
