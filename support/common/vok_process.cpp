/* The owner test behind the interlock values, from /proc, and the wait scale of the tests. */
#include "vok_process.h"

#include <errno.h>
#include <limits.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

namespace vokc {
namespace {

std::string readSmallFile(const char* path) {
    FILE* f = fopen(path, "re");
    if (!f)
        return std::string();
    char buffer[512];
    size_t n = fread(buffer, 1, sizeof buffer - 1, f);
    fclose(f);
    buffer[n] = 0;
    return std::string(buffer, n);
}

std::string baseName(std::string path) {
    const char deleted[] = " (deleted)";
    size_t dl = sizeof deleted - 1;
    if (path.size() > dl && path.compare(path.size() - dl, dl, deleted) == 0)
        path.resize(path.size() - dl);
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

int IsQubexProcess(int32_t pid) {
    if (pid <= 0)
        return 0;
    if (kill(pid, 0) != 0 && errno != EPERM)
        return 0;
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
    std::string stat = readSmallFile(path);
    size_t close = stat.rfind(')');
    if (stat.empty() || close == std::string::npos || close + 2 >= stat.size())
        return 0;
    char state = stat[close + 2];
    if (state == 'Z' || state == 'X')
        return 0;
    snprintf(path, sizeof path, "/proc/%d/exe", static_cast<int>(pid));
    char target[PATH_MAX];
    ssize_t n = readlink(path, target, sizeof target - 1);
    if (n > 0) {
        target[n] = 0;
        if (baseName(target) == "qubex")
            return 1;
    }
    snprintf(path, sizeof path, "/proc/%d/comm", static_cast<int>(pid));
    std::string comm = readSmallFile(path);
    while (!comm.empty() && (comm.back() == '\n' || comm.back() == '\r'))
        comm.pop_back();
    return comm == "qubex";
}

double TimeScale() {
    const char* text = getenv("VOK_TIME_SCALE");
    if (!text || !*text)
        return 1.0;
    char* end = nullptr;
    double f = strtod(text, &end);
    if (end == text || !(f >= 0) || f > 1000)
        return 1.0;
    return f;
}

} // namespace vokc
