/* The exported operations of VokReged: key paths joined from pieces, and one typed value read
 * or written at a time in the per-user settings store. Nothing here is shown to the user; a
 * missing value is an ordinary result that the callers turn into their defaults. */
#include "VokReged.h"
#include "VokSharedKeys.h"

#include "RegFile.h"

#include <cstring>

using namespace vokreg;

namespace {

struct SetRequest {
    std::string keyPath;
    std::string name;
    Value value;
};

Change applySet(Store& store, void* context) {
    auto* request = static_cast<SetRequest*>(context);
    return setValue(store, request->keyPath, request->name, request->value) ? Change::Apply
                                                                            : Change::Unchanged;
}

// Reads a value of the wanted kind; a value of the other kind is a failure, as a registry
// string read as a number is.
bool queryValue(const char* keyPath, const char* subkey, const char* valueName, ValueKind kind,
                Value& out) {
    std::string path;
    if (!keyPath || !normaliseKeyPath(keyPath, subkey ? subkey : "", path))
        return false;
    StorePaths paths;
    Store store;
    if (!storePaths(paths) || !loadStore(paths.file, store))
        return false;
    const Line* line = findValue(store, path, valueName ? valueName : "");
    if (!line || line->value.kind != kind)
        return false;
    out = line->value;
    return true;
}

bool storeValue(const char* keyPath, const char* subkey, const char* valueName,
                const Value& value) {
    SetRequest request;
    if (!keyPath || !normaliseKeyPath(keyPath, subkey ? subkey : "", request.keyPath))
        return false;
    request.name = valueName ? valueName : "";
    request.value = value;
    return updateStore(applySet, &request);
}

} // namespace

int Union2Strings(char* out, const char* first, const char* second) {
    if (!out || !first || !second)
        return 0;
    // Only the first VOK_MAX_PATH bytes of each piece can reach the result.
    char joined[2 * VOK_MAX_PATH + 1];
    size_t a = strnlen(first, VOK_MAX_PATH);
    size_t b = strnlen(second, VOK_MAX_PATH);
    memcpy(joined, first, a);
    joined[a] = '\\';
    memcpy(joined + a + 1, second, b);
    size_t len = utf8Cut(joined, a + 1 + b, kMaxText);
    memcpy(out, joined, len);
    out[len] = '\0';
    return 1;
}

int VokReg_Query_KeyValue(const char* keyPath, const char* subkey, const char* valueName,
                          int textFlag, void* output) {
    if (!output)
        return 0;
    if (textFlag)
        memset(output, 0, VOK_MAX_PATH);
    else
        memset(output, 0, sizeof(int32_t));
    Value value;
    if (!queryValue(keyPath, subkey, valueName, textFlag ? ValueKind::Text : ValueKind::Number,
                    value))
        return 0;
    if (textFlag) {
        size_t len = utf8Cut(value.text.data(), value.text.size(), kMaxText);
        memcpy(output, value.text.data(), len);
    } else {
        memcpy(output, &value.number, sizeof value.number);
    }
    return 1;
}

int VokReg_Set_KeyValue(const char* keyPath, const char* subkey, const char* valueName,
                        int textFlag, const void* data) {
    if (!data)
        return 0;
    Value value;
    if (textFlag) {
        // A longer text is stored cut to what a reader's buffer holds; no more is ever read.
        const char* text = static_cast<const char*>(data);
        size_t len = strnlen(text, VOK_MAX_PATH);
        value.kind = ValueKind::Text;
        value.text.assign(text, utf8Cut(text, len, kMaxText));
    } else {
        value.kind = ValueKind::Number;
        memcpy(&value.number, data, sizeof value.number);
    }
    return storeValue(keyPath, subkey, valueName, value) ? 1 : 0;
}

int Check_Vok_Reg_Data(const char* modelKey, const char* subkey, const char* valueName,
                       int32_t* number) {
    if (!number)
        return 0;
    *number = 0;
    if (!modelKey)
        return 0;
    std::string keyPath = std::string(VOK_KEY_ROOT) + "\\" + modelKey;
    Value value;
    if (!queryValue(keyPath.c_str(), subkey, valueName, ValueKind::Number, value))
        return 0;
    *number = value.number;
    return 1;
}

int Reg_Change_TargetKeyData(const char* keyPath, const char* subkey, const char* unused,
                             int32_t number) {
    (void)unused;
    Value value;
    value.kind = ValueKind::Number;
    value.number = number;
    return storeValue(keyPath, subkey, VOK_VALUE_ACTIVE, value) ? 1 : 0;
}
