/* Settings and interlock numbers through the settings store (VokReged), with the folder
 * defaults of a Linux desktop. */
#include "monitor_settings.h"

#include <limits.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "VokReged.h"
#include "VokSharedKeys.h"

namespace qubexmon {
namespace {

bool IsFolder(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

/* The text, or empty with found false. */
std::string ReadText(const char* name, bool* found) {
    char text[VOK_MAX_PATH] = {};
    *found = VokReg_Query_KeyValue(VOK_KEY_PATH, VOK_SUBKEY_EVENT, name, VOK_REG_TEXT, text) != 0;
    return text;
}

std::string ReadFolder(const char* name) {
    bool found = false;
    const std::string folder = ReadText(name, &found);
    return IsFolder(folder) ? folder : MonHomeFolder();
}

bool WriteText(const char* name, const std::string& text) {
    return VokReg_Set_KeyValue(VOK_KEY_PATH, VOK_SUBKEY_EVENT, name, VOK_REG_TEXT, text.c_str()) !=
           0;
}

} // namespace

std::string MonHomeFolder() {
    const char* home = getenv("HOME");
    if (home && *home == '/')
        return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/";
}

std::string MonOwnFolder() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return ".";
    const std::string self(path, static_cast<size_t>(n));
    const std::string::size_type slash = self.rfind('/');
    return slash == 0 ? "/" : self.substr(0, slash);
}

MonSettings MonReadSettings(const std::string& ownFolder) {
    MonSettings s;
    bool found = false;
    s.application = ReadText(VOK_VALUE_PATH_APPLICATION, &found);
    if (s.application.empty())
        s.application = ownFolder;
    else if (!IsFolder(s.application))
        s.application = MonHomeFolder();
    s.image = ReadFolder(VOK_VALUE_PATH_IMAGE);
    s.mail = ReadFolder(VOK_VALUE_PATH_MAIL);
    if (!MonReadNumber(VOK_VALUE_FLAG_RESIZE, &s.flagResize))
        s.flagResize = 1;
    if (!MonReadNumber(VOK_VALUE_MODE_RESIZE, &s.modeResize))
        s.modeResize = 0;
    return s;
}

bool MonWriteSettings(const MonSettings& s) {
    bool ok = WriteText(VOK_VALUE_PATH_MAIL, s.mail);
    ok = MonWriteNumber(VOK_VALUE_FLAG_RESIZE, s.flagResize) && ok;
    ok = MonWriteNumber(VOK_VALUE_MODE_RESIZE, s.modeResize) && ok;
    ok = WriteText(VOK_VALUE_PATH_APPLICATION, s.application) && ok;
    return WriteText(VOK_VALUE_PATH_IMAGE, s.image) && ok;
}

std::string MonProgramPath(const std::string& folder) {
    std::string path = folder;
    if (path.empty() || path.back() != '/')
        path += '/';
    return path + "qubex";
}

bool MonReadNumber(const char* name, int32_t* value) {
    *value = 0;
    return VokReg_Query_KeyValue(VOK_KEY_PATH, VOK_SUBKEY_EVENT, name, VOK_REG_NUMBER, value) != 0;
}

bool MonWriteNumber(const char* name, int32_t value) {
    return VokReg_Set_KeyValue(VOK_KEY_PATH, VOK_SUBKEY_EVENT, name, VOK_REG_NUMBER, &value) != 0;
}

} // namespace qubexmon
