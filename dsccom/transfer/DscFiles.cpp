// Files of the download: DSC numbering of a destination folder (FindLastJpegFile), the paths
// the owner asks for, and the writer behind every downloaded file. A file has no name in its
// destination until it is whole; then it gets its DSC name, never replacing another file.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <pwd.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "DscFiles.h"
#include "DscGuard.h"
#include "DscTransfer.h"
#include "vok_files.h"

namespace {

const int32_t kHighest = 99999;
const size_t kPiece = 32767;

uint64_t g_bytesWritten = 0; // by the running run, for the free-space test hook

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// "DSC" + five characters + "." + three characters, letters in any case.
bool matchesPattern(const char* name) {
    return strlen(name) == 12 && strncasecmp(name, "DSC", 3) == 0 && name[8] == '.';
}

// A file can be created in folder: the check the numbering and the folder choice share. The
// probe never has a name that a signal could leave behind.
bool canCreateIn(const char* folder) {
    vokc::NewFile probe;
    bool ok = vokc::BeginNewFile(&probe, folder, ".VOK") == 0;
    vokc::AbandonNewFile(&probe);
    return ok;
}

void copyOut(char* out, size_t capacity, const std::string& text) {
    snprintf(out, capacity, "%s", text.c_str());
}

} // namespace

std::string DscFiles_Join(const char* folder, const char* name) {
    std::string path = folder ? folder : "";
    if (path.empty() || path.back() != '/')
        path += '/';
    return path + (name ? name : "");
}

std::string DscFiles_HomeFolder() {
    const char* home = getenv("HOME");
    if (home && *home)
        return home;
    struct passwd* pw = getpwuid(getuid());
    return pw && pw->pw_dir ? pw->pw_dir : "/";
}

uint64_t DscFiles_FreeBytes(const char* folder) {
    struct statvfs fs;
    uint64_t free = UINT64_MAX;
    if (statvfs(folder, &fs) == 0)
        free = static_cast<uint64_t>(fs.f_bavail) * fs.f_frsize;
    const char* limit = getenv("VOK_TEST_FREE_BYTES");
    if (limit && *limit) {
        uint64_t n = strtoull(limit, nullptr, 10);
        uint64_t left = n > g_bytesWritten ? n - g_bytesWritten : 0;
        if (left < free)
            free = left;
    }
    return free;
}

void DscFiles_StartRun() {
    g_bytesWritten = 0;
}

int DscFiles_Begin(DscFileWriter* w, const char* folder) {
    DscFiles_Abort(w);
    w->written = 0;
    return vokc::BeginNewFile(&w->file, folder, ".VOK-download-");
}

int DscFiles_Write(DscFileWriter* w, const uint8_t* data, size_t length) {
    if (w->file.fd < 0)
        return EBADF;
    while (length > 0) {
        size_t piece = length < kPiece ? length : kPiece;
        if (!vokc::WriteFull(w->file.fd, data, piece))
            return errno ? errno : ENOSPC;
        data += piece;
        length -= piece;
        w->written += piece;
        g_bytesWritten += piece;
    }
    return 0;
}

int DscFiles_Commit(DscFileWriter* w, int32_t* number, int kind, char* name) {
    if (w->file.fd < 0)
        return EBADF;
    for (int32_t n = *number; n <= kHighest; ++n) {
        char bare[16];
        DscTransfer_FileName(n, kind, bare);
        int rc = vokc::PublishNewFile(&w->file, bare);
        if (rc == 0) {
            *number = n;
            copyOut(name, 16, bare);
            return 0;
        }
        if (rc != EEXIST)
            return rc;
    }
    return EEXIST;
}

void DscFiles_Abort(DscFileWriter* w) {
    vokc::AbandonNewFile(&w->file);
}

int DscTransfer_HasRoom(int count, int last) {
    return count >= 0 && last >= 0 && static_cast<int64_t>(count) + last <= kHighest;
}

void DscTransfer_FileName(int number, int kind, char* out) {
    const char* ending = kind == 2 ? ".tif" : (kind == 3 || kind == 4) ? ".mov" : ".jpg";
    snprintf(out, 13, "DSC%05d%s", number < 0 ? 0 : number % 100000, ending);
}

int DscTransfer_CheckFolder(const char* folder) {
    if (!folder || !*folder)
        return VOK_MSG_DRIVE_NOT_READY;
    DIR* d = opendir(folder);
    if (!d)
        return VOK_MSG_DRIVE_NOT_READY;
    closedir(d);
    return canCreateIn(folder) ? 0 : VOK_MSG_FOLDER_NOT_COPYABLE;
}

int32_t FindLastJpegFile(const char* folder) {
    return DscCom_Guarded(kHighest, [&] {
        if (!folder)
            return kHighest;
        DIR* d = opendir(folder);
        if (!d)
            return kHighest;
        int32_t highest = 0;
        bool full = false;
        while (struct dirent* e = readdir(d)) {
            const char* n = e->d_name;
            if (!matchesPattern(n))
                continue;
            int32_t value = 0;
            for (int i = 3; i < 8 && value >= 0; ++i)
                value = isDigit(n[i]) ? value * 10 + (n[i] - '0') : -1;
            if (value < 0)
                value = 0;
            if (value == kHighest &&
                (strcasecmp(n + 8, ".jpg") == 0 || strcasecmp(n + 8, ".mov") == 0))
                full = true;
            if (value > highest)
                highest = value;
        }
        closedir(d);
        if (full || !canCreateIn(folder))
            return kHighest;
        return highest;
    });
}

void VokComUtil_CopyStructData(char* path, int32_t flag) {
    DscCom_GuardedVoid([&] {
        if (!path || !flag)
            return;
        const DscConnection* c = DscCom_Record();
        if (!c->destName[0]) {
            path[0] = 0;
            return;
        }
        copyOut(path, VOK_MAX_PATH, DscFiles_Join(c->destFolder, c->destName));
    });
}

void VokComUtil_CopyMailFileData(char* path, char* name, uint32_t* size, int32_t* kind) {
    DscCom_GuardedVoid([&] {
        const DscConnection* c = DscCom_Record();
        if (path)
            copyOut(path, VOK_MAX_PATH,
                    c->destName[0] ? DscFiles_Join(c->destFolder, c->destName) : std::string());
        if (name)
            copyOut(name, VOK_MAX_PATH, c->destName);
        if (size)
            *size = c->fileSize;
        if (kind)
            *kind = c->imageKind;
    });
}

void VokUtil_GetFileNameFromFullPath(const char* fullPath, char* out) {
    DscCom_GuardedVoid([&] {
        if (!out)
            return;
        if (!fullPath) {
            out[0] = 0;
            return;
        }
        const char* slash = strrchr(fullPath, '/');
        copyOut(out, VOK_MAX_PATH, slash ? slash + 1 : fullPath);
    });
}
