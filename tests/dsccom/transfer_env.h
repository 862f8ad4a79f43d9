// Helpers of the download tests: destination folders, cards of given file sizes, and the
// registry values the runs read.
#ifndef DSCCOM_TRANSFER_ENV_H
#define DSCCOM_TRANSFER_ENV_H

#include <stdio.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "VokReged.h"
#include "vok_test_env.h"

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_TRUE(f) << path;
    if (!bytes.empty())
        fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

inline void Touch(const std::string& path) {
    WriteBytes(path, {});
}

// Bytes that differ from file to file and from block to block.
inline std::vector<uint8_t> Pattern(size_t size, unsigned seed) {
    std::vector<uint8_t> bytes(size);
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        bytes[i] = static_cast<uint8_t>(x >> 16);
    }
    return bytes;
}

// A card of one folder (100) with files 0001.<ending> ... of the given sizes.
inline std::string MakeSizedCard(const std::string& dir, const std::vector<size_t>& sizes,
                                 const char* ending = "jpg") {
    std::string card = dir + "/card";
    mkdir(card.c_str(), 0700);
    mkdir((card + "/100").c_str(), 0700);
    for (size_t i = 0; i < sizes.size(); ++i) {
        char name[32];
        snprintf(name, sizeof name, "/100/%04zu.%s", i + 1, ending);
        WriteBytes(card + name, Pattern(sizes[i], static_cast<unsigned>(i + 1)));
    }
    return card;
}

inline std::string MakeFolder(const std::string& dir, const char* name) {
    std::string path = dir + "/" + name;
    mkdir(path.c_str(), 0700);
    return path;
}

using voktest::Names;

// The key under which the camera programs keep their settings.
inline std::string SettingsKey() {
    char key[VOK_MAX_PATH];
    Union2Strings(key, "software\\Quintaral", "VQL-RT70");
    return key;
}

inline void SetFolderValue(const char* subkey, const char* name, const std::string& folder) {
    ASSERT_TRUE(
        VokReg_Set_KeyValue(SettingsKey().c_str(), subkey, name, VOK_REG_TEXT, folder.c_str()));
}

inline std::string FolderValue(const char* subkey, const char* name) {
    char value[VOK_MAX_PATH] = {};
    VokReg_Query_KeyValue(SettingsKey().c_str(), subkey, name, VOK_REG_TEXT, value);
    return value;
}

inline void SetEventValue(const char* name, int32_t value) {
    ASSERT_TRUE(
        VokReg_Set_KeyValue(SettingsKey().c_str(), "Event_App", name, VOK_REG_NUMBER, &value));
}

#endif
