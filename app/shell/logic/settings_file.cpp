/* Reading and writing qubex.ini the way the platform's private-profile calls do: lines
 * "[Section]" and "key=value", blanks around names and values ignored, the first match wins. */
#include "settings_file.h"

#include "vok_files.h"

#include <cassert>
#include <cstdlib>
#include <strings.h>
#include <sys/stat.h>
#include <vector>

namespace qubex {
namespace {

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r'))
        --e;
    return s.substr(b, e - b);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

/* The section a line opens, or false when it opens none. */
bool SectionOf(const std::string& line, std::string* name) {
    const std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[')
        return false;
    const size_t close = t.find(']');
    if (close == std::string::npos)
        return false;
    *name = Trim(t.substr(1, close - 1));
    return true;
}

bool KeyOf(const std::string& line, std::string* key, std::string* value) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos)
        return false;
    *key = Trim(line.substr(0, eq));
    *value = Trim(line.substr(eq + 1));
    return !key->empty() && (*key)[0] != ';';
}

bool Same(const std::string& a, const char* b) {
    return strcasecmp(a.c_str(), b) == 0;
}

} // namespace

std::string DefaultIniPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (config && *config)
        base = config;
    else {
        const char* home = std::getenv("HOME");
        base = std::string(home ? home : ".") + "/.config";
    }
    return base + "/qubex/qubex.ini";
}

std::string CutUtf8(const std::string& text, size_t bytes) {
    if (text.size() <= bytes)
        return text;
    size_t cut = bytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return text.substr(0, cut);
}

bool FindProfileValue(const std::string& text, const char* section, const char* key,
                      std::string* value) {
    bool inSection = false;
    for (const std::string& line : Lines(text)) {
        std::string name, k, v;
        if (SectionOf(line, &name)) {
            inSection = Same(name, section);
            continue;
        }
        if (inSection && KeyOf(line, &k, &v) && Same(k, key)) {
            *value = v;
            return true;
        }
    }
    return false;
}

std::string SetProfileValue(const std::string& text, const char* section, const char* key,
                            const std::string& value) {
    std::vector<std::string> lines = Lines(text);
    const std::string entry = std::string(key) + "=" + value;
    int sectionLine = -1, lastInSection = -1;
    bool inSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string name, k, v;
        if (SectionOf(lines[i], &name)) {
            if (inSection)
                break;
            inSection = Same(name, section);
            if (inSection)
                sectionLine = lastInSection = static_cast<int>(i);
            continue;
        }
        if (!inSection)
            continue;
        if (KeyOf(lines[i], &k, &v) && Same(k, key)) {
            lines[i] = entry;
            sectionLine = -2;
            break;
        }
        if (!Trim(lines[i]).empty())
            lastInSection = static_cast<int>(i);
    }
    if (sectionLine == -1) {
        if (!lines.empty() && !Trim(lines.back()).empty())
            lines.push_back("");
        lines.push_back("[" + std::string(section) + "]");
        lines.push_back(entry);
    } else if (sectionLine >= 0) {
        lines.insert(lines.begin() + lastInSection + 1, entry);
    }
    std::string out;
    for (const std::string& line : lines)
        out += line + "\n";
    return out;
}

bool SettingsFile::Find(const char* section, const char* key, std::string* value) const {
    std::string text;
    if (!vokc::ReadWholeFile(path_.c_str(), &text, 1u << 20))
        return false;
    return FindProfileValue(text, section, key, value);
}

bool SettingsFile::Has(const char* section, const char* key) const {
    std::string value;
    return Find(section, key, &value);
}

int SettingsFile::ReadInt(const char* section, const char* key, int defaultValue) const {
    std::string value;
    if (!Find(section, key, &value))
        return defaultValue;
    return static_cast<int>(std::strtol(value.c_str(), nullptr, 10));
}

std::string SettingsFile::ReadText(const char* section, const char* key, const char* defaultValue,
                                   int capacity) const {
    assert(capacity > 0);
    std::string value;
    if (!Find(section, key, &value))
        value = defaultValue ? defaultValue : "";
    return CutUtf8(value, static_cast<size_t>(capacity - 1));
}

bool SettingsFile::WriteText(const char* section, const char* key, const std::string& value) const {
    std::string text;
    vokc::ReadWholeFile(path_.c_str(), &text, 1u << 20);
    const std::string folder = vokc::FolderOf(path_);
    ::mkdir(vokc::FolderOf(folder).c_str(), 0700);
    ::mkdir(folder.c_str(), 0700);
    const std::string updated = SetProfileValue(text, section, key, value);
    vokc::ReplaceOptions options;
    options.tempPrefix = ".qubex.ini.";
    return vokc::ReplaceFile(path_.c_str(), updated.data(), updated.size(), options);
}

} // namespace qubex
