/* File I/O of every module: whole reads and writes that survive EINTR, the atomic replace of a
 * user's file (a complete copy beside it, fsync, rename) and new files that get their name
 * only when whole, so that no partial file is ever seen under a real name or left behind. */
#ifndef VOK_FILES_H
#define VOK_FILES_H

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <sys/types.h>

namespace vokc {

/* The write(2) that the writers use; tests put one in that fails as a full disk does. */
using WriteFn = ssize_t (*)(int fd, const void* data, size_t size);

/* Writes all of data. false on an error (errno set; ENOSPC for a write that wrote nothing). */
bool WriteFull(int fd, const void* data, size_t size, WriteFn write = nullptr);
/* Reads until size bytes or the end of the file: the count read, or -1 on an error. */
ssize_t ReadFull(int fd, void* data, size_t size);
/* The same at a file offset, leaving the file position alone. */
ssize_t PreadFull(int fd, void* data, size_t size, off_t offset);
/* Calls call (a system call returning -1 on an error) again while it is interrupted. */
template <class Call> auto RetryOnEintr(Call call) -> decltype(call()) {
    decltype(call()) rc;
    do
        rc = call();
    while (rc == -1 && errno == EINTR);
    return rc;
}

/* Copies the rest of an open file into another. */
bool CopyFd(int from, int to, WriteFn write = nullptr);

/* Opens a regular file of at most limit bytes for reading; a named pipe or device is refused
 * without waiting on it. The descriptor with *size set, or -1. */
int OpenRegularFile(const char* path, uint64_t limit, uint64_t* size);
/* Reads exactly size bytes, then closes fd; false on a short read or an error. */
bool ReadAndClose(int fd, void* data, size_t size);

/* Reads a whole regular file of at most limit bytes into out (a byte vector or a string). */
template <class Bytes> bool ReadWholeFile(const char* path, Bytes* out, uint64_t limit) {
    out->clear();
    uint64_t size = 0;
    int fd = OpenRegularFile(path, limit, &size);
    if (fd < 0)
        return false;
    out->resize(static_cast<size_t>(size));
    if (ReadAndClose(fd, out->data(), out->size()))
        return true;
    out->clear();
    return false;
}

/* The process's file-creation mask, read without changing it (umask(2) would race with other
 * threads creating files). */
mode_t CurrentUmask();

/* The file a symbolic link names (the path itself when it is no link or cannot be resolved). */
std::string LinkTarget(const char* path);

/* The folder part of path: "." for a bare name, "/" for a name in the root. */
std::string FolderOf(const std::string& path);

struct ReplaceOptions {
    /* The temporary name beside the target is this prefix plus six random characters; empty
     * gives the target's own name, a dot and the six characters. */
    const char* tempPrefix = ".VOK";
    /* -1: a new file gets 0666 less the umask and a replaced one keeps its mode; otherwise the
     * file always gets this mode. */
    int mode = -1;
    /* A symbolic link is followed, so that the file it names is replaced, not the link. */
    bool followLink = true;
    /* fsync the folder after the rename, so that the new name itself is durable. */
    bool syncFolder = false;
    WriteFn write = nullptr;
};

/* Fills a temporary file beside path with fill (which writes through the given write function),
 * flushes it to disk and renames it over path. On any failure the old file is untouched and the
 * temporary file is gone; errno tells why. */
bool ReplaceFileWith(const char* path, const std::function<bool(int fd, WriteFn write)>& fill,
                     const ReplaceOptions& options = ReplaceOptions());
/* ReplaceFileWith for bytes in memory. */
bool ReplaceFile(const char* path, const void* data, size_t size,
                 const ReplaceOptions& options = ReplaceOptions());

/* A file being written in a folder that has no name there until PublishNewFile gives it one:
 * an O_TMPFILE file where the file system has them; elsewhere a hidden named file that a
 * SIGINT, SIGTERM or SIGHUP which ends the process removes first. */
struct NewFile {
    int fd = -1;
    std::string folder;
    int slot = -1; // the named fallback's entry in the signal handler's table
};
/* Creates the file in folder with 0666 less the umask; tempPrefix names the fallback's file.
 * 0 or an errno value. */
int BeginNewFile(NewFile* file, const char* folder, const char* tempPrefix = ".VOK-new-");
/* Flushes the file and gives it name in its folder, never replacing a file already there:
 * EEXIST leaves the file open for another name. 0 (the file is closed) or an errno value. */
int PublishNewFile(NewFile* file, const char* name);
/* Closes and removes the unpublished file; harmless when there is none. */
void AbandonNewFile(NewFile* file);

} // namespace vokc

#endif
