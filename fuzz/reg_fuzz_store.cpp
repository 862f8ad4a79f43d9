/* Fuzzes the settings store's text form: any bytes parse without reading outside the input,
 * an unchanged store writes back byte for byte, and setting a value keeps every other line
 * (damaged ones included) while the value reads back as written. */
#include "RegStore.h"

#include <cstdlib>
#include <string>

using namespace vokreg;

static void check(bool ok) {
    if (!ok)
        abort();
}

static std::string withoutNul(std::string s) {
    std::string out;
    for (char c : s)
        if (c != '\0')
            out += c;
    return out;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    Store store = parseStore(bytes, size);
    std::string file = serializeStore(store);
    if (!store.cutOff) {
        std::string expected(bytes, size);
        if (!expected.empty() && expected.back() != '\n')
            expected += '\n';
        check(file == expected);
    }

    // Name, text and key path come from the input's first bytes.
    size_t n = size < 24 ? size : 24;
    std::string piece(bytes, n);
    std::string name = withoutNul(piece.substr(0, n / 3));
    std::string keyPath;
    if (!normaliseKeyPath("software\\" + withoutNul(piece.substr(n / 3, n / 3)), "Sub", keyPath))
        return 0;
    Value value;
    value.kind = (n & 1) ? ValueKind::Text : ValueKind::Number;
    value.text = withoutNul(piece.substr(2 * n / 3));
    value.number = int32_t(size * 2654435761u);

    size_t damagedBefore = store.damagedLines;
    setValue(store, keyPath, name, value);
    std::string rewritten = serializeStore(store);
    if (rewritten.size() > kMaxStoreBytes)
        return 0;
    Store again = parseStore(rewritten.data(), rewritten.size());
    check(again.damagedLines == damagedBefore);
    const Line* line = findValue(again, keyPath, name);
    check(line != nullptr);
    check(line->value.kind == value.kind);
    if (value.kind == ValueKind::Text)
        check(line->value.text == value.text);
    else
        check(line->value.number == value.number);
    return 0;
}
