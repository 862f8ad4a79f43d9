/* File side of the settings store: locating the per-user file, reading it without the lock,
 * and the locked read-change-replace cycle of every write (temp file, fsync, rename). A store
 * with unreadable lines is copied aside once before it is first rewritten. */
#include "RegFile.h"
#include "vok_files.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vokreg {

namespace {

std::string homeFolder() {
    const char* home = getenv("HOME");
    if (home && home[0] == '/')
        return home;
    struct passwd pw;
    struct passwd* found = nullptr;
    char buf[4096];
    if (getpwuid_r(getuid(), &pw, buf, sizeof buf, &found) == 0 && found && pw.pw_dir &&
        pw.pw_dir[0] == '/')
        return pw.pw_dir;
    return std::string();
}

// Creates every missing folder of path with 0700, as the base-directory rules ask.
bool makeFolders(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    for (size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos < path.size() && path[pos] != '/')
            continue;
        std::string part = path.substr(0, pos);
        if (stat(part.c_str(), &st) == 0)
            continue;
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool readAll(int fd, std::string& out, size_t limit) {
    out.clear();
    char buf[65536];
    while (out.size() < limit) {
        size_t want = std::min(sizeof buf, limit - out.size());
        ssize_t n = vokc::ReadFull(fd, buf, want);
        if (n < 0)
            return false;
        out.append(buf, size_t(n));
        if (size_t(n) < want)
            break;
    }
    return true;
}

bool copyFile(const std::string& from, const std::string& to) {
    int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    bool ok = out >= 0 && vokc::CopyFd(in, out);
    if (out >= 0) {
        ok = fsync(out) == 0 && ok;
        close(out);
        if (!ok)
            unlink(to.c_str());
    }
    close(in);
    return ok;
}

// The file is never changed in place, so a hard link keeps the damaged version whole.
bool keepCopy(const std::string& from, const std::string& to) {
    if (link(from.c_str(), to.c_str()) == 0)
        return true;
    if (errno == EEXIST)
        return false;
    return copyFile(from, to);
}

std::atomic<bool> warned{false};

void keepDamagedFile(const StorePaths& paths, const Store& store) {
    struct stat st;
    std::string copy;
    if (lstat(paths.damaged.c_str(), &st) != 0) {
        copy = paths.damaged;
    } else if (store.cutOff) {
        // The rewrite drops the part past the size limit, so that part must survive somewhere.
        copy = paths.damaged + "-" + std::to_string(long(time(nullptr))) + "-" +
               std::to_string(long(getpid()));
    } else {
        return; // the unreadable lines stay in the file itself
    }
    bool kept = keepCopy(paths.file, copy);
    if (!warned.exchange(true))
        fprintf(stderr, "VokReged: %s has %zu unreadable line(s)%s; they are kept in place%s%s.\n",
                paths.file.c_str(), store.damagedLines,
                store.cutOff ? " and is larger than the store limit" : "",
                kept ? " and the file is copied to " : "", kept ? copy.c_str() : "");
}

// Temporary files of a writer that died before its rename; only called under the lock, when no
// other writer can be between mkstemp and rename.
void removeStaleTempFiles(const StorePaths& paths) {
    DIR* dir = opendir(paths.dir.c_str());
    if (!dir)
        return;
    const std::string prefix = "VQL-RT70.ini.";
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        bool alnum = true;
        for (size_t i = prefix.size(); i < name.size(); ++i)
            alnum = alnum && isalnum(static_cast<unsigned char>(name[i]));
        if (alnum)
            unlinkat(dirfd(dir), name.c_str(), 0);
    }
    closedir(dir);
}

// The store is private to its user whatever the umask, and a link in its place is replaced.
bool replaceFile(const StorePaths& paths, const std::string& data) {
    vokc::ReplaceOptions options;
    options.tempPrefix = ""; // VQL-RT70.ini.XXXXXX, the name removeStaleTempFiles looks for
    options.mode = 0600;
    options.followLink = false;
    options.syncFolder = true;
    return vokc::ReplaceFile(paths.file.c_str(), data.data(), data.size(), options);
}

} // namespace

bool storePaths(StorePaths& paths) {
    std::string base;
    const char* xdg = getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') {
        base = xdg; // a relative value is invalid and ignored, as the base-directory rules say
    } else {
        std::string home = homeFolder();
        if (home.empty())
            return false;
        base = home + "/.config";
    }
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    paths.dir = base + "/Quintaral";
    paths.file = paths.dir + "/VQL-RT70.ini";
    paths.lock = paths.file + ".lock";
    paths.damaged = paths.file + ".damaged";
    return true;
}

bool loadStore(const std::string& file, Store& store) {
    store = Store();
    int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT;
    struct stat st;
    std::string bytes;
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && readAll(fd, bytes, kMaxStoreBytes + 1);
    close(fd);
    if (ok)
        store = parseStore(bytes.data(), bytes.size());
    return ok;
}

bool updateStore(ChangeFn change, void* context) {
    StorePaths paths;
    if (!storePaths(paths) || !makeFolders(paths.dir))
        return false;
    int lock = open(paths.lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lock < 0)
        return false;
    int rc = vokc::RetryOnEintr([lock] { return flock(lock, LOCK_EX); });

    bool ok = false;
    Store store;
    if (rc == 0 && loadStore(paths.file, store)) {
        switch (change(store, context)) {
        case Change::Unchanged:
            ok = true;
            break;
        case Change::Refuse:
            break;
        case Change::Apply:
            removeStaleTempFiles(paths);
            if (store.damaged())
                keepDamagedFile(paths, store);
            ok = replaceFile(paths, serializeStore(store));
            break;
        }
    }
    close(lock); // releases the lock
    return ok;
}

} // namespace vokreg
