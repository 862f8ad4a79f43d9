/* The folder of the calling library, from the loader, and the library beside it. */
#include "vok_dl.h"

#include <string>

namespace vokc {

void* OpenBeside(const void* anchor, const char* file) {
    Dl_info info;
    if (!dladdr(anchor, &info) || !info.dli_fname)
        return nullptr;
    std::string path = info.dli_fname;
    const std::string::size_type slash = path.rfind('/');
    path = slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
    path += file;
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

} // namespace vokc
