/* Whole reads and writes, whole-file reads and the atomic replace of a user's file. Every
 * read and write of the suite that must not stop at a signal goes through here. */
#include "vok_files.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vokc {

namespace {

// Keeps errno across the clean-up calls of a failed path.
struct ErrnoKeeper {
    int saved = errno;
    ~ErrnoKeeper() { errno = saved; }
};

// Calls read(where, count, doneSoFar) until size bytes or the end; the count, or -1.
template <class Read> ssize_t readUntil(void* data, size_t size, Read read) {
    auto* p = static_cast<uint8_t*>(data);
    size_t done = 0;
    while (done < size) {
        ssize_t n = read(p + done, size - done, done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

} // namespace

bool WriteFull(int fd, const void* data, size_t size, WriteFn write) {
    const auto* p = static_cast<const uint8_t*>(data);
    while (size > 0) {
        ssize_t n = write ? write(fd, p, size) : ::write(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

ssize_t ReadFull(int fd, void* data, size_t size) {
    return readUntil(data, size, [fd](uint8_t* p, size_t n, size_t) { return ::read(fd, p, n); });
}

ssize_t PreadFull(int fd, void* data, size_t size, off_t offset) {
    return readUntil(data, size, [fd, offset](uint8_t* p, size_t n, size_t done) {
        return ::pread(fd, p, n, offset + static_cast<off_t>(done));
    });
}

bool CopyFd(int from, int to, WriteFn write) {
    uint8_t buffer[1 << 16];
    for (;;) {
        ssize_t n = ReadFull(from, buffer, sizeof buffer);
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        if (!WriteFull(to, buffer, static_cast<size_t>(n), write))
            return false;
    }
}

int OpenRegularFile(const char* path, uint64_t limit, uint64_t* size) {
    if (!path || !*path)
        return -1;
    int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return -1;
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && uint64_t(st.st_size) <= limit) {
        *size = uint64_t(st.st_size);
        return fd;
    }
    ::close(fd);
    return -1;
}

bool ReadAndClose(int fd, void* data, size_t size) {
    ssize_t n = ReadFull(fd, data, size);
    ErrnoKeeper keep;
    ::close(fd);
    return n >= 0 && static_cast<size_t>(n) == size;
}

std::string LinkTarget(const char* path) {
    char resolved[PATH_MAX];
    struct stat st;
    if (lstat(path, &st) == 0 && S_ISLNK(st.st_mode) && realpath(path, resolved))
        return resolved;
    return path;
}

mode_t CurrentUmask() {
    mode_t mask = 022;
    FILE* status = std::fopen("/proc/self/status", "re");
    if (!status)
        return mask;
    char line[128];
    while (std::fgets(line, sizeof line, status)) {
        unsigned value = 0;
        if (std::sscanf(line, "Umask: %o", &value) == 1) {
            mask = static_cast<mode_t>(value);
            break;
        }
    }
    std::fclose(status);
    return mask;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

bool ReplaceFileWith(const char* path, const std::function<bool(int, WriteFn)>& fill,
                     const ReplaceOptions& options) {
    if (!path || !*path) {
        errno = EINVAL;
        return false;
    }
    const std::string target = options.followLink ? LinkTarget(path) : std::string(path);
    const std::string folder = FolderOf(target);
    std::string stage = options.tempPrefix && *options.tempPrefix
                            ? folder + "/" + options.tempPrefix + "XXXXXX"
                            : target + ".XXXXXX";
    int fd = mkostemp(&stage[0], O_CLOEXEC);
    if (fd < 0)
        return false;
    mode_t mode = static_cast<mode_t>(options.mode);
    struct stat old;
    if (options.mode < 0)
        mode = stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : (0666 & ~CurrentUmask());
    bool ok = fill(fd, options.write) && fchmod(fd, mode) == 0 && fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok)
        ok = rename(stage.c_str(), target.c_str()) == 0;
    if (!ok) {
        ErrnoKeeper keep;
        unlink(stage.c_str());
        return false;
    }
    if (options.syncFolder) {
        int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            fsync(dir); // failure here loses nothing now
            ::close(dir);
        }
    }
    return true;
}

bool ReplaceFile(const char* path, const void* data, size_t size, const ReplaceOptions& options) {
    return ReplaceFileWith(
        path, [&](int fd, WriteFn write) { return WriteFull(fd, data, size, write); }, options);
}

} // namespace vokc
