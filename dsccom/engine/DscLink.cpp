// Loading the camera link library by file name and binding its operations by name.
// The folder of this library is searched first, so a build or install folder that holds
// both libraries works without any search path; tests may inject a link of their own.
#include <dlfcn.h>
#include <string.h>

#include "DscEngine.h"
#include "vok_dl.h"

namespace {

bool g_overrideSet = false;
DscLink g_override;
void* g_module = nullptr; // stays loaded for the life of the process

void* loadModule() {
    if (g_module)
        return g_module;
    g_module = vokc::OpenBeside(reinterpret_cast<void*>(&DscCom_BindLink), VOKUSB_LIBRARY_NAME);
    if (!g_module)
        g_module = dlopen(VOKUSB_LIBRARY_NAME, RTLD_NOW | RTLD_LOCAL);
    return g_module;
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
    bool ok = vokc::Bind(module, "open_dev", l.open_dev) &&
              vokc::Bind(module, "open_file", l.open_file) &&
              vokc::Bind(module, "getBulkReadSize", l.getBulkReadSize) &&
              vokc::Bind(module, "setBulkWriteSize", l.setBulkWriteSize) &&
              vokc::Bind(module, "preBulkRead", l.preBulkRead) &&
              vokc::Bind(module, "preBulkRead_RT70", l.preBulkRead_RT70) &&
              vokc::Bind(module, "preBulkWrite_RT70", l.preBulkWrite_RT70) &&
              vokc::Bind(module, "VokUsb_WritePipe", l.WritePipe) &&
              vokc::Bind(module, "VokUsb_ReadPipe", l.ReadPipe) &&
              vokc::Bind(module, "VokUsb_CloseHandle", l.CloseHandle);
    if (!ok)
        return -1;
    connection->linkBound = 1;
    return 0;
}
