/* Finds and opens a widget plugin beside the library that asks for it, by file name as the
 * platform loads libraries, and tells whether Qt is in the process without loading it. */
#include "ui_plugin.h"

#include <dlfcn.h>
#include <link.h>

#include <cstring>

#include "vok_dl.h"

namespace vokui {
namespace {

// Whether a library of that file name is mapped, from the loader's list: asking dlopen, even
// with RTLD_NOLOAD, would search the file system for it.
bool Mapped(const char* soname) {
    struct Search {
        const char* name;
        bool found;
    } search{soname, false};
    ::dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            auto* s = static_cast<Search*>(data);
            const char* path = info->dlpi_name ? info->dlpi_name : "";
            const char* slash = std::strrchr(path, '/');
            s->found = std::strcmp(slash ? slash + 1 : path, s->name) == 0;
            return s->found ? 1 : 0;
        },
        &search);
    return search.found;
}

} // namespace

bool WidgetsLoaded() {
    return Mapped(VOK_QT_WIDGETS_SONAME);
}

bool CoreLoaded() {
    return Mapped(VOK_QT_CORE_SONAME);
}

void* PluginSymbol(const void* anchor, const char* file, const char* symbol) {
    // Never closed: a library holding Qt objects cannot be unloaded safely.
    void* handle = vokc::OpenBeside(anchor, file);
    return handle ? ::dlsym(handle, symbol) : nullptr;
}

} // namespace vokui
