/* Loading a library by file name from the folder of the library that asks for it, as the suite
 * loads its libraries, and binding its operations by name. */
#ifndef VOK_DL_H
#define VOK_DL_H

#include <dlfcn.h>

namespace vokc {

/* Opens file (a name such as "libVokExif.so") in the folder of the library that holds anchor
 * (any of its functions); null when either is missing. Never closed: the caller keeps it. */
void* OpenBeside(const void* anchor, const char* file);

template <typename F> bool Bind(void* module, const char* name, F*& slot) {
    slot = reinterpret_cast<F*>(dlsym(module, name));
    return slot != nullptr;
}

} // namespace vokc

#endif
