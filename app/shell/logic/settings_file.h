/* qubex.ini with private-profile semantics: a missing file, section or key gives the caller's
 * default; every write reads the file afresh and replaces it whole (temporary file and
 * rename), so that a reader never sees half a file and unknown lines survive. */
#ifndef QUBEX_SETTINGS_FILE_H
#define QUBEX_SETTINGS_FILE_H

#include <string>

namespace qubex {

/* $XDG_CONFIG_HOME/qubex/qubex.ini (~/.config when unset). */
std::string DefaultIniPath();

class SettingsFile {
  public:
    explicit SettingsFile(std::string path) : path_(std::move(path)) {}
    const std::string& path() const { return path_; }

    /* The key's leading decimal number (sign allowed, "12ab" is 12, "ab" is 0); the default
     * only when the key is missing. Sections and keys compare without case. */
    int ReadInt(const char* section, const char* key, int defaultValue) const;
    /* The key's text cut to capacity - 1 bytes (never inside a UTF-8 character), or the
     * default cut the same way when the key is missing. */
    std::string ReadText(const char* section, const char* key, const char* defaultValue,
                         int capacity) const;
    bool Has(const char* section, const char* key) const;

    /* Sets the key, adding the section or key where missing; the folder is created. false
     * when the file cannot be replaced (the caller ignores it, as the design does). */
    bool WriteText(const char* section, const char* key, const std::string& value) const;
    bool WriteInt(const char* section, const char* key, int value) const {
        return WriteText(section, key, std::to_string(value));
    }

  private:
    bool Find(const char* section, const char* key, std::string* value) const;
    std::string path_;
};

/* The settings text with one key set: the pure core of WriteText. */
std::string SetProfileValue(const std::string& text, const char* section, const char* key,
                            const std::string& value);
/* The value of a key in settings text; false when missing. */
bool FindProfileValue(const std::string& text, const char* section, const char* key,
                      std::string* value);
/* text cut to at most bytes bytes at a UTF-8 character boundary. */
std::string CutUtf8(const std::string& text, size_t bytes);

} // namespace qubex

#endif
