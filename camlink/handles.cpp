/* The process-wide table of open link handles and the per-thread last error. Handle
 * numbers count up from 1 and are not reused while the library is loaded, so a stale
 * number is refused instead of reaching someone else's connection. */
#include "link.h"

#include <cstdlib>
#include <mutex>
#include <unordered_map>

namespace camlink {

namespace {

thread_local uint32_t tLastError = VOKUSB_ERR_NONE;

std::mutex gMutex;
std::unordered_map<VokUsbHandle, LinkHandle> gHandles;
VokUsbHandle gNext = 1;

} // namespace

void setLastError(uint32_t value) {
    tLastError = value;
}
uint32_t lastError() {
    return tLastError;
}

VokUsbHandle addHandle(const LinkHandle& handle) {
    std::lock_guard<std::mutex> lock(gMutex);
    const VokUsbHandle number = gNext++;
    gHandles[number] = handle;
    return number;
}

bool findHandle(VokUsbHandle number, LinkHandle* out) {
    std::lock_guard<std::mutex> lock(gMutex);
    auto it = gHandles.find(number);
    if (it == gHandles.end())
        return false;
    *out = it->second;
    return true;
}

bool takeHandle(VokUsbHandle number, LinkHandle* out) {
    std::lock_guard<std::mutex> lock(gMutex);
    auto it = gHandles.find(number);
    if (it == gHandles.end())
        return false;
    *out = it->second;
    gHandles.erase(it);
    return true;
}

int linkTimeoutMs() {
    const char* text = std::getenv("VOKUSB_TIMEOUT_MS");
    if (text && *text) {
        char* end = nullptr;
        const long value = std::strtol(text, &end, 10);
        if (end && *end == '\0' && value > 0 && value <= 3600000)
            return static_cast<int>(value);
    }
    return 30000;
}

} // namespace camlink
