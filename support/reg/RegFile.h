/* Where the settings store lives and how it is changed safely: the per-user file, a lock file
 * beside it that serialises writers across processes, and replacement by rename so that
 * readers never see a half-written file. */
#ifndef VOK_REG_FILE_H
#define VOK_REG_FILE_H

#include "RegStore.h"

#include <string>

namespace vokreg {

struct StorePaths {
    std::string dir;     // $XDG_CONFIG_HOME/Quintaral
    std::string file;    // dir/VQL-RT70.ini
    std::string lock;    // file + ".lock"
    std::string damaged; // file + ".damaged": the first damaged file seen, kept as it was
};

// False when neither XDG_CONFIG_HOME, HOME nor the password database names a home folder.
bool storePaths(StorePaths& paths);

// Reads the store file; a missing file is an empty store. False when it exists but cannot be
// read.
bool loadStore(const std::string& file, Store& store);

// Result of one change applied under the lock: Unchanged leaves the file as it is.
enum class Change { Apply, Unchanged, Refuse };
using ChangeFn = Change (*)(Store& store, void* context);

// Locks the store, re-reads it, applies change and replaces the file; false on any failure.
bool updateStore(ChangeFn change, void* context);

} // namespace vokreg

#endif
