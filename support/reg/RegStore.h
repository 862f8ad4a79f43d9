/* The text form of the per-user settings store: a store file parsed into lines, one value found
 * or changed, and the lines written back so that everything else in the file stays as it was.
 * Pure functions on bytes; the file handling lives in RegFile. */
#ifndef VOK_REG_STORE_H
#define VOK_REG_STORE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vokreg {

// Longest text a value holds, without the terminator.
constexpr size_t kMaxText = 259;
// A settings file is a few hundred bytes; anything past this is not read.
constexpr size_t kMaxStoreBytes = 1u << 20;

enum class LineKind { Blank, Comment, Section, Value, Damaged };
enum class ValueKind { Text, Number };

struct Value {
    ValueKind kind = ValueKind::Number;
    std::string text;
    int32_t number = 0;
};

struct Line {
    LineKind kind = LineKind::Blank;
    std::string raw;  // the line exactly as read, without its '\n'
    std::string name; // Section: normalised key path; Value: value name
    Value value;
    bool orphan = false;       // a value line outside a readable section: kept, never read
    bool opensSection = false; // a section line, or a damaged line that looks like one
};

struct Store {
    std::vector<Line> lines;
    size_t damagedLines = 0; // lines that could not be read (orphans included)
    bool cutOff = false;     // the input was longer than kMaxStoreBytes
    bool damaged() const { return damagedLines > 0 || cutOff; }
};

Store parseStore(const char* data, size_t size);
std::string serializeStore(const Store& store);

// First value of that name in any section of that key path (both case-insensitive), or null.
const Line* findValue(const Store& store, const std::string& keyPath, const std::string& name);

// Sets the value; false when the store already held exactly that value.
bool setValue(Store& store, const std::string& keyPath, const std::string& name,
              const Value& value);

// Joins keyPath and subkey with "\" and drops empty parts; false for an empty result or a
// control character (which the file cannot hold in a section line).
bool normaliseKeyPath(const std::string& keyPath, const std::string& subkey, std::string& out);

// The one line that stores name = value, as written to the file.
std::string formatValueLine(const std::string& name, const Value& value);

bool equalsFold(const std::string& a, const std::string& b);

// Longest prefix of s (len bytes) of at most max bytes that does not split a UTF-8 character.
size_t utf8Cut(const char* s, size_t len, size_t max);

} // namespace vokreg

#endif
