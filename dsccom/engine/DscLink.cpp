// Loading the camera link library by file name and binding its operations by name.
// The folder of this library is searched first, so a build or install folder that holds
// both libraries works without any search path; tests may inject a link of their own.
#include <dlfcn.h>
#include <string.h>

#include <string>

#include "DscEngine.h"

namespace {

bool g_overrideSet = false;
DscLink g_override;
void* g_module = nullptr; // stays loaded for the life of the process

std::string ownFolder() {
    Dl_info info;
    if (!dladdr(reinterpret_cast<void*>(&DscCom_BindLink), &info) || !info.dli_fname)
        return std::string();
    std::string path = info.dli_fname;
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void* loadModule() {
    if (g_module)
        return g_module;
    std::string folder = ownFolder();
    if (!folder.empty())
        g_module = dlopen((folder + VOKUSB_LIBRARY_NAME).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!g_module)
        g_module = dlopen(VOKUSB_LIBRARY_NAME, RTLD_NOW | RTLD_LOCAL);
    return g_module;
}

template <typename F> bool bind(void* module, const char* name, F*& slot) {
    slot = reinterpret_cast<F*>(dlsym(module, name));
    return slot != nullptr;
}

} // namespace

void DscCom_SetLinkOverride(const DscLink* link) {
    g_overrideSet = link != nullptr;
    if (link)
        g_override = *link;
}

int DscCom_BindLink(DscConnection* connection) {
    connection->linkBound = 0;
    if (g_overrideSet) {
        connection->link = g_override;
        connection->linkBound = 1;
        return 0;
    }
    void* module = loadModule();
    if (!module)
        return -1;
    DscLink& l = connection->link;
    bool ok = bind(module, "open_dev", l.open_dev) && bind(module, "open_file", l.open_file) &&
              bind(module, "getBulkReadSize", l.getBulkReadSize) &&
              bind(module, "setBulkWriteSize", l.setBulkWriteSize) &&
              bind(module, "preBulkRead", l.preBulkRead) &&
              bind(module, "preBulkRead_RT70", l.preBulkRead_RT70) &&
              bind(module, "preBulkWrite_RT70", l.preBulkWrite_RT70) &&
              bind(module, "VokUsb_WritePipe", l.WritePipe) &&
              bind(module, "VokUsb_ReadPipe", l.ReadPipe) &&
              bind(module, "VokUsb_CloseHandle", l.CloseHandle);
    if (!ok)
        return -1;
    connection->linkBound = 1;
    return 0;
}
