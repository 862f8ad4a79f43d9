/* The hand-off file and the runtime folder. */
#include "handoff.h"

#include "vok_files.h"

#include <QDir>

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qubex {
namespace {

bool PrivateFolder(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 022) == 0;
}

} // namespace

std::string RuntimeFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime && PrivateFolder(runtime))
        return runtime;
    const std::string own = QDir::tempPath().toStdString() + "/qubex-" + std::to_string(::getuid());
    ::mkdir(own.c_str(), 0700);
    return PrivateFolder(own) ? own : std::string();
}

std::string HandoffPath() {
    const std::string folder = RuntimeFolder();
    return folder.empty() ? std::string() : folder + "/" QUBEX_HANDOFF_FILE;
}

std::string InstanceSocketPath() {
    const std::string folder = RuntimeFolder();
    return folder.empty() ? std::string() : folder + "/qubex.instance";
}

bool WriteHandoff(const std::string& path, const std::string& text) {
    if (path.empty() || text.size() > QUBEX_HANDOFF_LIMIT)
        return false;
    vokc::ReplaceOptions options;
    options.mode = 0600;
    options.followLink = false;
    options.tempPrefix = ".VokCmdLine.";
    return vokc::ReplaceFile(path.c_str(), text.data(), text.size(), options);
}

bool TakeHandoff(const std::string& path, std::string* text) {
    text->clear();
    if (path.empty())
        return false;
    const int fd = vokc::RetryOnEintr(
        [&] { return ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC); });
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::getuid() &&
              static_cast<uint64_t>(st.st_size) <= QUBEX_HANDOFF_LIMIT;
    if (ok) {
        text->resize(static_cast<size_t>(st.st_size));
        ok = vokc::ReadAndClose(fd, text->data(), text->size());
        if (!ok)
            text->clear();
    } else {
        ::close(fd);
    }
    // A refused file is left alone: it may be someone else's, and removing it is not ours.
    if (ok)
        ::unlink(path.c_str());
    // The design's writer adds a zero byte after a short write; the text ends there.
    const size_t zero = text->find('\0');
    if (zero != std::string::npos)
        text->resize(zero);
    return ok;
}

} // namespace qubex
