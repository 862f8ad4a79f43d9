/* New files that have no name until they are whole: O_TMPFILE and linkat where the file system
 * has them, else a hidden named file that a terminating signal removes before the process
 * ends. Neither way replaces a file that already has the wanted name. */
#include "vok_files.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vokc {

namespace {

const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
const int kSignalCount = 3;
const int kSlots = 4;

// Written only with the three signals blocked; the handler reads them.
char g_paths[kSlots][PATH_MAX];
volatile sig_atomic_t g_used[kSlots];
struct sigaction g_previous[kSignalCount];
int g_usedCount = 0;

void removeNamedFiles() {
    for (int i = 0; i < kSlots; ++i)
        if (g_used[i])
            unlink(g_paths[i]);
}

void onSignal(int sig, siginfo_t* info, void* context) {
    int i = 0;
    while (i < kSignalCount && kSignals[i] != sig)
        ++i;
    if (i == kSignalCount)
        return;
    struct sigaction& previous = g_previous[i];
    const bool own = (previous.sa_flags & SA_SIGINFO)
                         ? previous.sa_sigaction != nullptr
                         : (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN);
    if (!own) {
        if (previous.sa_handler == SIG_IGN)
            return;
        // The process ends: the named file goes first, then the default action as before.
        removeNamedFiles();
        struct sigaction fallback = {};
        fallback.sa_handler = SIG_DFL;
        sigaction(sig, &fallback, nullptr);
        raise(sig);
        return;
    }
    // The program handles the signal itself (a first Ctrl-C that cancels): the file stays
    // for the writer to finish or abandon.
    if (previous.sa_flags & SA_SIGINFO)
        previous.sa_sigaction(sig, info, context);
    else
        previous.sa_handler(sig);
    if (previous.sa_flags & SA_RESETHAND) {
        previous.sa_handler = SIG_DFL;
        previous.sa_flags &= ~(SA_SIGINFO | SA_RESETHAND);
    }
    // A handler that put the default action back and raised the signal again ends the process
    // when this handler returns.
    struct sigaction now;
    if (sigaction(sig, nullptr, &now) == 0 && !(now.sa_flags & SA_SIGINFO) &&
        now.sa_handler == SIG_DFL)
        removeNamedFiles();
}

struct SignalsBlocked {
    sigset_t old;
    SignalsBlocked() {
        sigset_t set;
        sigemptyset(&set);
        for (int s : kSignals)
            sigaddset(&set, s);
        pthread_sigmask(SIG_BLOCK, &set, &old);
    }
    ~SignalsBlocked() { pthread_sigmask(SIG_SETMASK, &old, nullptr); }
};

// Called with the signals blocked.
void installHandlers() {
    for (int i = 0; i < kSignalCount; ++i) {
        sigaction(kSignals[i], nullptr, &g_previous[i]);
        struct sigaction action = {};
        action.sa_sigaction = onSignal;
        action.sa_flags = SA_SIGINFO | (g_previous[i].sa_flags & SA_RESTART);
        sigemptyset(&action.sa_mask);
        sigaction(kSignals[i], &action, nullptr);
    }
}

// Called with the signals blocked; a handler someone else put in since stays.
void restoreHandlers() {
    for (int i = 0; i < kSignalCount; ++i) {
        struct sigaction now;
        if (sigaction(kSignals[i], nullptr, &now) == 0 && (now.sa_flags & SA_SIGINFO) &&
            now.sa_sigaction == onSignal)
            sigaction(kSignals[i], &g_previous[i], nullptr);
    }
}

void releaseSlot(NewFile* file, bool removeFile) {
    if (file->slot < 0)
        return;
    SignalsBlocked blocked;
    if (removeFile)
        unlink(g_paths[file->slot]);
    g_used[file->slot] = 0;
    file->slot = -1;
    if (--g_usedCount == 0)
        restoreHandlers();
}

std::string joinPath(const std::string& folder, const char* name) {
    std::string path = folder;
    if (path.empty() || path.back() != '/')
        path += '/';
    return path + name;
}

bool noTmpFile() {
    // Test hook: behave as on a file system without O_TMPFILE.
    const char* hook = getenv("VOK_TEST_NO_TMPFILE");
    return hook && *hook && strcmp(hook, "0") != 0;
}

int beginNamed(NewFile* file, const char* prefix) {
    std::string pattern = joinPath(file->folder, prefix) + "XXXXXX";
    if (pattern.size() >= PATH_MAX)
        return ENAMETOOLONG;
    SignalsBlocked blocked;
    int slot = 0;
    while (slot < kSlots && g_used[slot])
        ++slot;
    if (slot == kSlots)
        return EMFILE;
    memcpy(g_paths[slot], pattern.c_str(), pattern.size() + 1);
    file->fd = mkostemp(g_paths[slot], O_CLOEXEC);
    if (file->fd < 0)
        return errno ? errno : EIO;
    g_used[slot] = 1;
    file->slot = slot;
    if (g_usedCount++ == 0)
        installHandlers();
    // mkstemp makes the file private; the finished file gets the mode any new file would get.
    fchmod(file->fd, 0666 & ~CurrentUmask());
    return 0;
}

// Links the named fallback to target without replacing anything there.
int linkNamed(const char* temp, const char* target) {
    int rc = link(temp, target);
    if (rc != 0 && errno != EEXIST)
        rc = renameat2(AT_FDCWD, temp, AT_FDCWD, target, RENAME_NOREPLACE);
    if (rc != 0 && errno == EINVAL) {
        // No hard links and no exclusive rename here: claim the name first, then replace
        // only that empty claim.
        int fd = open(target, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0)
            return errno;
        close(fd);
        rc = rename(temp, target);
        if (rc != 0) {
            int error = errno;
            unlink(target);
            return error;
        }
    }
    return rc == 0 ? 0 : errno;
}

// Gives the anonymous file a name; linkat never replaces an existing one.
int linkAnonymous(int fd, const char* target) {
    char self[64];
    snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
    if (linkat(AT_FDCWD, self, AT_FDCWD, target, AT_SYMLINK_FOLLOW) == 0)
        return 0;
    if (errno != ENOENT || access("/proc/self/fd", F_OK) == 0)
        return errno;
    // No /proc: AT_EMPTY_PATH, which needs more privilege but no mounted /proc.
    return linkat(fd, "", AT_FDCWD, target, AT_EMPTY_PATH) == 0 ? 0 : errno;
}

} // namespace

int BeginNewFile(NewFile* file, const char* folder, const char* tempPrefix) {
    AbandonNewFile(file);
    file->folder = folder ? folder : "";
    if (!noTmpFile()) {
        file->fd = open(file->folder.empty() ? "." : file->folder.c_str(),
                        O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (file->fd >= 0)
            return 0;
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return errno ? errno : EIO;
    }
    return beginNamed(file, tempPrefix ? tempPrefix : ".VOK-new-");
}

int PublishNewFile(NewFile* file, const char* name) {
    if (file->fd < 0)
        return EBADF;
    // The data must be on disk before the name says the file is whole.
    if (fsync(file->fd) != 0 && errno != EINVAL && errno != EROFS)
        return errno ? errno : EIO;
    std::string target = joinPath(file->folder, name);
    int rc = file->slot >= 0 ? linkNamed(g_paths[file->slot], target.c_str())
                             : linkAnonymous(file->fd, target.c_str());
    if (rc != 0)
        return rc;
    releaseSlot(file, true); // the name is there; the hidden one goes (gone after a rename)
    close(file->fd);         // the data is on disk and named already: nothing left to lose
    file->fd = -1;
    return 0;
}

void AbandonNewFile(NewFile* file) {
    if (file->fd >= 0)
        close(file->fd);
    file->fd = -1;
    releaseSlot(file, true);
}

} // namespace vokc
