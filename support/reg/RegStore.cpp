/* Parser and writer of the settings store's text form (format in README.md). Every line that
 * cannot be read is kept byte for byte, so a rewrite never loses what a person or a fault put
 * into the file. */
#include "RegStore.h"

#include <cstring>

namespace vokreg {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

bool isControl(unsigned char c) {
    return c < 0x20 || c == 0x7f;
}

char foldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads a quoted text starting at s[pos] == '"'; pos ends after the closing quote.
bool parseQuoted(const std::string& s, size_t& pos, std::string& out) {
    out.clear();
    ++pos;
    while (pos < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[pos]);
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c == '\\') {
            if (pos + 1 >= s.size())
                return false;
            char e = s[pos + 1];
            pos += 2;
            switch (e) {
            case '\\':
                out += '\\';
                break;
            case '"':
                out += '"';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'x': {
                if (pos + 2 > s.size())
                    return false;
                int hi = hexDigit(s[pos]);
                int lo = hexDigit(s[pos + 1]);
                if (hi < 0 || lo < 0 || (hi == 0 && lo == 0))
                    return false;
                out += char(hi * 16 + lo);
                pos += 2;
                break;
            }
            default:
                return false;
            }
            continue;
        }
        if (c < 0x20 && c != '\t')
            return false;
        out += char(c);
        ++pos;
    }
    return false;
}

void appendQuoted(std::string& out, const std::string& text) {
    static const char hex[] = "0123456789ABCDEF";
    out += '"';
    for (char ch : text) {
        unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (isControl(c)) {
                out += "\\x";
                out += hex[c >> 4];
                out += hex[c & 15];
            } else {
                out += ch;
            }
        }
    }
    out += '"';
}

bool parseNumber(const std::string& s, int32_t& out) {
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && s[i] == '-') {
        negative = true;
        ++i;
    }
    if (i >= s.size())
        return false;
    int64_t v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        v = v * 10 + (s[i] - '0');
        if (v > int64_t(INT32_MAX) + 1)
            return false;
    }
    if (negative)
        v = -v;
    if (v < INT32_MIN || v > INT32_MAX)
        return false;
    out = int32_t(v);
    return true;
}

bool nameNeedsQuotes(const std::string& name) {
    if (name.empty())
        return true;
    char first = name.front();
    if (first == '"' || first == ';' || first == '#' || first == '[' || isSpace(first) ||
        isSpace(name.back()))
        return true;
    for (char ch : name)
        if (ch == '=' || isControl(static_cast<unsigned char>(ch)))
            return true;
    return false;
}

bool hasControl(const std::string& s) {
    for (char ch : s)
        if (isControl(static_cast<unsigned char>(ch)) && ch != 0x7f)
            return true;
    return false;
}

void classify(Line& line, bool inSection) {
    std::string s = line.raw;
    if (!s.empty() && s.back() == '\r')
        s.pop_back();
    size_t b = 0;
    while (b < s.size() && isSpace(s[b]))
        ++b;
    size_t e = s.size();
    while (e > b && isSpace(s[e - 1]))
        --e;
    if (b == e) {
        line.kind = LineKind::Blank;
        return;
    }
    line.kind = LineKind::Damaged;
    if (s[b] == ';' || s[b] == '#') {
        line.kind = LineKind::Comment;
        return;
    }
    if (s[b] == '[') {
        line.opensSection = true;
        if (s[e - 1] != ']' || e - b < 2)
            return;
        std::string path = s.substr(b + 1, e - b - 2);
        std::string normal;
        if (!normaliseKeyPath(path, std::string(), normal))
            return;
        line.kind = LineKind::Section;
        line.name = normal;
        return;
    }

    size_t pos = b;
    std::string name;
    if (s[pos] == '"') {
        if (!parseQuoted(s, pos, name))
            return;
        while (pos < e && isSpace(s[pos]))
            ++pos;
        if (pos >= e || s[pos] != '=')
            return;
    } else {
        size_t eq = s.find('=', pos);
        if (eq == std::string::npos || eq >= e)
            return;
        size_t ne = eq;
        while (ne > pos && isSpace(s[ne - 1]))
            --ne;
        name = s.substr(pos, ne - pos);
        if (name.empty() || hasControl(name))
            return;
        pos = eq;
    }
    ++pos; // past '='
    while (pos < e && isSpace(s[pos]))
        ++pos;
    if (pos >= e)
        return;
    Value value;
    if (s[pos] == '"') {
        if (!parseQuoted(s, pos, value.text) || pos != e)
            return;
        value.kind = ValueKind::Text;
    } else {
        if (!parseNumber(s.substr(pos, e - pos), value.number))
            return;
        value.kind = ValueKind::Number;
    }
    line.kind = LineKind::Value;
    line.name = name;
    line.value = value;
    line.orphan = !inSection;
}

bool sameValue(const Value& a, const Value& b) {
    if (a.kind != b.kind)
        return false;
    return a.kind == ValueKind::Text ? a.text == b.text : a.number == b.number;
}

} // namespace

bool equalsFold(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (foldAscii(a[i]) != foldAscii(b[i]))
            return false;
    return true;
}

size_t utf8Cut(const char* s, size_t len, size_t max) {
    if (len <= max)
        return len;
    auto cont = [&](size_t i) { return (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80; };
    // s[max] is the first byte left out; when it continues a character, leave that whole
    // character out. Bytes that are not valid UTF-8 are cut where they fall.
    size_t n = max;
    while (n > 0 && max - n < 3 && cont(n))
        --n;
    if (n < max && static_cast<unsigned char>(s[n]) >= 0xC0)
        return n;
    return max;
}

bool normaliseKeyPath(const std::string& keyPath, const std::string& subkey, std::string& out) {
    out.clear();
    std::string all = keyPath;
    all += '\\';
    all += subkey;
    size_t start = 0;
    while (start <= all.size()) {
        size_t end = all.find('\\', start);
        if (end == std::string::npos)
            end = all.size();
        if (end > start) {
            if (!out.empty())
                out += '\\';
            out.append(all, start, end - start);
        }
        start = end + 1;
    }
    return !out.empty() && !hasControl(out);
}

Store parseStore(const char* data, size_t size) {
    Store store;
    if (size > kMaxStoreBytes) {
        // Keep whole lines only; the rest is reported as cut off.
        size = kMaxStoreBytes;
        const void* nl = memrchr(data, '\n', size);
        size = nl ? size_t(static_cast<const char*>(nl) - data) + 1 : 0;
        store.cutOff = true;
    }
    bool inSection = false;
    size_t start = 0;
    while (start < size) {
        const void* nl = memchr(data + start, '\n', size - start);
        size_t end = nl ? size_t(static_cast<const char*>(nl) - data) : size;
        Line line;
        line.raw.assign(data + start, end - start);
        classify(line, inSection);
        if (line.opensSection)
            inSection =
                line.kind == LineKind::Section; // values under a damaged header belong to no key
        if (line.kind == LineKind::Damaged || line.orphan)
            ++store.damagedLines;
        store.lines.push_back(std::move(line));
        start = end + 1;
    }
    return store;
}

std::string serializeStore(const Store& store) {
    std::string out;
    for (const Line& line : store.lines) {
        out += line.raw;
        out += '\n';
    }
    return out;
}

std::string formatValueLine(const std::string& name, const Value& value) {
    std::string out;
    if (nameNeedsQuotes(name))
        appendQuoted(out, name);
    else
        out += name;
    out += '=';
    if (value.kind == ValueKind::Text)
        appendQuoted(out, value.text);
    else
        out += std::to_string(value.number);
    return out;
}

namespace {

// Index of the first value line called name under keyPath, or -1.
long findIndex(const Store& store, const std::string& keyPath, const std::string& name) {
    bool match = false;
    for (size_t i = 0; i < store.lines.size(); ++i) {
        const Line& line = store.lines[i];
        if (line.opensSection)
            match = line.kind == LineKind::Section && equalsFold(line.name, keyPath);
        else if (match && line.kind == LineKind::Value && !line.orphan &&
                 equalsFold(line.name, name))
            return long(i);
    }
    return -1;
}

} // namespace

const Line* findValue(const Store& store, const std::string& keyPath, const std::string& name) {
    long i = findIndex(store, keyPath, name);
    return i < 0 ? nullptr : &store.lines[size_t(i)];
}

bool setValue(Store& store, const std::string& keyPath, const std::string& name,
              const Value& value) {
    Line line;
    line.kind = LineKind::Value;
    line.name = name;
    line.value = value;
    line.raw = formatValueLine(name, value);

    long found = findIndex(store, keyPath, name);
    if (found >= 0) {
        Line& old = store.lines[size_t(found)];
        if (sameValue(old.value, value))
            return false;
        line.name = old.name; // the value keeps the case it was first written with
        line.raw = formatValueLine(old.name, value);
        old = std::move(line);
        return true;
    }

    // Add to the first section of that key, after its last non-blank line.
    for (size_t i = 0; i < store.lines.size(); ++i) {
        if (store.lines[i].kind != LineKind::Section || !equalsFold(store.lines[i].name, keyPath))
            continue;
        size_t insertAt = i + 1;
        for (size_t j = i + 1; j < store.lines.size(); ++j) {
            if (store.lines[j].opensSection)
                break;
            if (store.lines[j].kind != LineKind::Blank)
                insertAt = j + 1;
        }
        store.lines.insert(store.lines.begin() + long(insertAt), std::move(line));
        return true;
    }

    if (!store.lines.empty() && store.lines.back().kind != LineKind::Blank) {
        Line blank;
        store.lines.push_back(blank);
    }
    Line section;
    section.kind = LineKind::Section;
    section.opensSection = true;
    section.name = keyPath;
    section.raw = "[" + keyPath + "]";
    store.lines.push_back(std::move(section));
    store.lines.push_back(std::move(line));
    return true;
}

} // namespace vokreg
