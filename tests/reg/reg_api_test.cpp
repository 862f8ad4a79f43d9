/* Tests of VokReged's exported operations against a store file in a private temporary home:
 * round trips, missing values, text limits, several processes writing at once, and a damaged
 * store file. */
#include "VokReged.h"
#include "vok_test_env.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <dirent.h>
#include <iterator>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

const char kProduct[] = "software\\Quintaral\\VQL-RT70";

using voktest::ReadFile;
using voktest::WriteFile;

bool exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

class RegApi : public ::testing::Test {
  protected:
    void SetUp() override {
        temp_ = std::make_unique<voktest::TempDir>("reg_api");
        root = temp_->path();
        ASSERT_FALSE(root.empty());
        home_ = std::make_unique<voktest::ScopedHome>(root, voktest::HomeLayout{"home", "config"});
        dir = root + "/config/Quintaral";
        store = dir + "/VQL-RT70.ini";
    }
    void TearDown() override {
        home_.reset();
        temp_.reset();
    }

    int setText(const char* sub, const char* name, const char* text) {
        return VokReg_Set_KeyValue(kProduct, sub, name, VOK_REG_TEXT, text);
    }
    int setNumber(const char* sub, const char* name, int32_t n) {
        return VokReg_Set_KeyValue(kProduct, sub, name, VOK_REG_NUMBER, &n);
    }
    std::string getText(const char* sub, const char* name, int* rc = nullptr) {
        char buf[VOK_MAX_PATH];
        memset(buf, 'x', sizeof buf);
        int r = VokReg_Query_KeyValue(kProduct, sub, name, VOK_REG_TEXT, buf);
        if (rc)
            *rc = r;
        EXPECT_NE(memchr(buf, 0, sizeof buf), nullptr);
        return std::string(buf, strnlen(buf, sizeof buf));
    }

    std::string root, dir, store;

  private:
    std::unique_ptr<voktest::TempDir> temp_;
    std::unique_ptr<voktest::ScopedHome> home_;
};

} // namespace

TEST_F(RegApi, TextAndNumberRoundTrip) {
    EXPECT_EQ(setText("Event_App", "Path_Mail", "/home/user/Mail Images"), 1);
    int rc = 0;
    EXPECT_EQ(getText("Event_App", "Path_Mail", &rc), "/home/user/Mail Images");
    EXPECT_EQ(rc, 1);
    for (int32_t n : {0, 1, -1, 4242, INT32_MIN, INT32_MAX}) {
        ASSERT_EQ(setNumber("Event_App", "APP_HANDLE", n), 1);
        int32_t out = 77;
        EXPECT_EQ(VokReg_Query_KeyValue(kProduct, "Event_App", "APP_HANDLE", VOK_REG_NUMBER, &out),
                  1);
        EXPECT_EQ(out, n);
    }
    // Values of other keys and names are untouched by these writes.
    EXPECT_EQ(getText("Event_App", "Path_Mail"), "/home/user/Mail Images");
}

TEST_F(RegApi, MissingKeyOrValueGivesZeroAndClearedOutput) {
    int rc = 1;
    EXPECT_EQ(getText("Event_App", "Path_Mail", &rc), ""); // no store file at all
    EXPECT_EQ(rc, 0);
    int32_t n = 99;
    EXPECT_EQ(VokReg_Query_KeyValue(kProduct, "Event_App", "Active", VOK_REG_NUMBER, &n), 0);
    EXPECT_EQ(n, 0);

    ASSERT_EQ(setNumber("Event_App", "Active", 1), 1);
    n = 99;
    EXPECT_EQ(VokReg_Query_KeyValue(kProduct, "Event_App", "Resizeing", VOK_REG_NUMBER, &n), 0);
    EXPECT_EQ(n, 0);
    n = 99;
    EXPECT_EQ(VokReg_Query_KeyValue(kProduct, "Application", "Active", VOK_REG_NUMBER, &n), 0);
    EXPECT_EQ(n, 0);

    char buf[VOK_MAX_PATH];
    memset(buf, 'x', sizeof buf);
    EXPECT_EQ(VokReg_Query_KeyValue(kProduct, "Application", "Path_dir", VOK_REG_TEXT, buf), 0);
    for (char c : buf)
        ASSERT_EQ(c, 0);
}

TEST_F(RegApi, NullArgumentsFailSafely) {
    int32_t n = 5;
    EXPECT_EQ(VokReg_Query_KeyValue(nullptr, "Event_App", "Active", VOK_REG_NUMBER, &n), 0);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(VokReg_Query_KeyValue(kProduct, "Event_App", "Active", VOK_REG_NUMBER, nullptr), 0);
    EXPECT_EQ(VokReg_Set_KeyValue(kProduct, "Event_App", "Active", VOK_REG_NUMBER, nullptr), 0);
    EXPECT_EQ(VokReg_Set_KeyValue(nullptr, "Event_App", "Active", VOK_REG_NUMBER, &n), 0);
    EXPECT_EQ(VokReg_Set_KeyValue("", "", "Active", VOK_REG_NUMBER, &n), 0);
    EXPECT_EQ(Check_Vok_Reg_Data("VQL-RT70", "Event_App", "Active", nullptr), 0);
    EXPECT_EQ(Reg_Change_TargetKeyData(nullptr, "Event_App", nullptr, 1), 0);
    EXPECT_FALSE(exists(store));
    // A missing subkey or value name means the key itself and its unnamed value.
    n = 5;
    EXPECT_EQ(VokReg_Set_KeyValue(kProduct, nullptr, nullptr, VOK_REG_NUMBER, &n), 1);
    n = 0;
    EXPECT_EQ(VokReg_Query_KeyValue(kProduct, "", "", VOK_REG_NUMBER, &n), 1);
    EXPECT_EQ(n, 5);
}

TEST_F(RegApi, WritingCreatesSubkeyFolderAndPrivateFile) {
    EXPECT_FALSE(exists(root + "/config"));
    ASSERT_EQ(setText("Application", "Path_dir", "/data/pictures"), 1);
    struct stat st;
    ASSERT_EQ(stat(dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(stat((root + "/config").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(stat(store.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(ReadFile(store), "[software\\Quintaral\\VQL-RT70\\Application]\n"
                               "Path_dir=\"/data/pictures\"\n");
    // A new subkey is added as its own section.
    ASSERT_EQ(setNumber("Event_App", "Now_Toking", 0), 1);
    EXPECT_NE(ReadFile(store).find("[software\\Quintaral\\VQL-RT70\\Event_App]\nNow_Toking=0\n"),
              std::string::npos);
    // Rewrites keep the private mode even when the old file had lost it.
    chmod(store.c_str(), 0644);
    ASSERT_EQ(setNumber("Event_App", "Now_Toking", 1), 1);
    ASSERT_EQ(stat(store.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // Only the store and its lock file are left in the folder.
    EXPECT_EQ(system(("test $(ls -A '" + dir + "' | wc -l) -eq 2").c_str()), 0);
}

TEST_F(RegApi, KeysAndNamesAreCaseInsensitive) {
    ASSERT_EQ(VokReg_Set_KeyValue("Software\\Quintaral\\VQL-RT70", "Event_App", "Path_Image",
                                  VOK_REG_TEXT, "/a"),
              1);
    char buf[VOK_MAX_PATH];
    EXPECT_EQ(VokReg_Query_KeyValue("SOFTWARE\\quintaral\\vql-rt70", "EVENT_APP", "path_image",
                                    VOK_REG_TEXT, buf),
              1);
    EXPECT_STREQ(buf, "/a");
    ASSERT_EQ(VokReg_Set_KeyValue("software\\quintaral\\vql-rt70", "event_app", "PATH_IMAGE",
                                  VOK_REG_TEXT, "/b"),
              1);
    std::string file = ReadFile(store);
    EXPECT_EQ(file, "[Software\\Quintaral\\VQL-RT70\\Event_App]\nPath_Image=\"/b\"\n");
}

TEST_F(RegApi, ValueOfTheOtherKindIsNotRead) {
    ASSERT_EQ(setText("Event_App", "Mode_Resize", "1"), 1);
    int32_t n = 42;
    EXPECT_EQ(VokReg_Query_KeyValue(kProduct, "Event_App", "Mode_Resize", VOK_REG_NUMBER, &n), 0);
    EXPECT_EQ(n, 0);
    ASSERT_EQ(setNumber("Event_App", "Path_Mail", 7), 1);
    int rc = 1;
    EXPECT_EQ(getText("Event_App", "Path_Mail", &rc), "");
    EXPECT_EQ(rc, 0);
    // Writing the other kind replaces the value and its kind.
    ASSERT_EQ(setText("Event_App", "Path_Mail", "/m"), 1);
    EXPECT_EQ(getText("Event_App", "Path_Mail"), "/m");
}

TEST_F(RegApi, TextLimitsAt259Characters) {
    std::string t259(259, 'a'), t260(260, 'b'), t300(300, 'c');
    ASSERT_EQ(setText("Event_App", "t259", t259.c_str()), 1);
    ASSERT_EQ(setText("Event_App", "t260", t260.c_str()), 1);
    ASSERT_EQ(setText("Event_App", "t300", t300.c_str()), 1);
    int rc = 0;
    EXPECT_EQ(getText("Event_App", "t259", &rc), t259);
    EXPECT_EQ(rc, 1);
    // Longer texts are stored and read back cut to 259 characters.
    EXPECT_EQ(getText("Event_App", "t260"), t260.substr(0, 259));
    EXPECT_EQ(getText("Event_App", "t300"), t300.substr(0, 259));
    EXPECT_EQ(ReadFile(store).find(std::string(260, 'b')), std::string::npos);

    // A cut never splits a UTF-8 character: 258 ASCII + "é" (2 bytes) keeps only 258.
    std::string utf = std::string(258, 'd') + "\xc3\xa9" + "tail";
    ASSERT_EQ(setText("Event_App", "utf", utf.c_str()), 1);
    EXPECT_EQ(getText("Event_App", "utf"), std::string(258, 'd'));
}

TEST_F(RegApi, OverlongTextInTheFileIsReadCut) {
    mkdir((root + "/config").c_str(), 0700);
    mkdir(dir.c_str(), 0700);
    WriteFile(store, "[software\\Quintaral\\VQL-RT70\\Event_App]\nPath_Mail=\"" +
                         std::string(1000, 'z') + "\"\n");
    EXPECT_EQ(getText("Event_App", "Path_Mail"), std::string(259, 'z'));
}

TEST_F(RegApi, SpecialCharactersRoundTripThroughTheFile) {
    const std::string samples[] = {
        "a=b;c[d]e",
        "  leading and trailing  ",
        "quote \" backslash \\ done",
        "two\nlines\r\nand\ttab",
        "Grüße ça 日本語",
        "[software\\Quintaral\\Fake]",
        "\"",
        "",
    };
    int i = 0;
    for (const std::string& t : samples) {
        std::string name = "v" + std::to_string(i++);
        ASSERT_EQ(setText("Event_App", name.c_str(), t.c_str()), 1);
    }
    i = 0;
    for (const std::string& t : samples) {
        std::string name = "v" + std::to_string(i++);
        int rc = 0;
        EXPECT_EQ(getText("Event_App", name.c_str(), &rc), t);
        EXPECT_EQ(rc, 1);
    }
    // The file stays one value per line.
    std::string file = ReadFile(store);
    size_t lines = size_t(std::count(file.begin(), file.end(), '\n'));
    EXPECT_EQ(lines, std::size(samples) + 1);
}

TEST_F(RegApi, Union2StringsJoinsAndCutsSafely) {
    char out[VOK_MAX_PATH];
    EXPECT_EQ(Union2Strings(out, "software\\Quintaral", "VQL-RT70"), 1);
    EXPECT_STREQ(out, "software\\Quintaral\\VQL-RT70");

    char same[VOK_MAX_PATH] = "software\\Quintaral";
    EXPECT_EQ(Union2Strings(same, same, "VQL-RT70"), 1);
    EXPECT_STREQ(same, "software\\Quintaral\\VQL-RT70");

    EXPECT_EQ(Union2Strings(out, "", ""), 1);
    EXPECT_STREQ(out, "\\");

    std::string longFirst(400, 'f'), longSecond(400, 's');
    char guarded[VOK_MAX_PATH + 16];
    memset(guarded, 'G', sizeof guarded);
    EXPECT_EQ(Union2Strings(guarded, longFirst.c_str(), "x"), 1);
    EXPECT_EQ(strlen(guarded), 259u);
    EXPECT_EQ(std::string(guarded), std::string(259, 'f'));
    for (size_t k = VOK_MAX_PATH; k < sizeof guarded; ++k)
        ASSERT_EQ(guarded[k], 'G');

    EXPECT_EQ(Union2Strings(out, "abc", longSecond.c_str()), 1);
    EXPECT_EQ(std::string(out), "abc\\" + std::string(255, 's'));

    // A full first buffer (259 characters) aliased with the output.
    char full[VOK_MAX_PATH];
    memset(full, 'q', 259);
    full[259] = 0;
    EXPECT_EQ(Union2Strings(full, full, "more"), 1);
    EXPECT_EQ(std::string(full), std::string(259, 'q'));

    std::string utf = std::string(256, 'u') + "\xe6\x97\xa5"; // 256 + 1 + 3 bytes
    EXPECT_EQ(Union2Strings(out, "", utf.c_str()), 1);
    EXPECT_EQ(std::string(out), "\\" + std::string(256, 'u'));

    EXPECT_EQ(Union2Strings(nullptr, "a", "b"), 0);
    EXPECT_EQ(Union2Strings(out, nullptr, "b"), 0);
    EXPECT_EQ(Union2Strings(out, "a", nullptr), 0);
}

TEST_F(RegApi, CheckVokRegDataAndTargetKeyData) {
    int32_t n = 5;
    EXPECT_EQ(Check_Vok_Reg_Data("VQL-RT70", "Event_App", "Active", &n), 0);
    EXPECT_EQ(n, 0);
    char key[VOK_MAX_PATH];
    Union2Strings(key, "software\\Quintaral", "VQL-RT70");
    EXPECT_EQ(Reg_Change_TargetKeyData(key, "Event_App", "ignored", 1), 1);
    EXPECT_EQ(Check_Vok_Reg_Data("VQL-RT70", "Event_App", "Active", &n), 1);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(Reg_Change_TargetKeyData(key, "Event_App", nullptr, -3), 1);
    int32_t q = 0;
    EXPECT_EQ(VokReg_Query_KeyValue(key, "Event_App", "Active", VOK_REG_NUMBER, &q), 1);
    EXPECT_EQ(q, -3);

    // Another model key is another section of the same store.
    EXPECT_EQ(Reg_Change_TargetKeyData("software\\Quintaral\\VQL-RT90", "Event_App", "", 9), 1);
    EXPECT_EQ(Check_Vok_Reg_Data("VQL-RT90", "Event_App", "Active", &n), 1);
    EXPECT_EQ(n, 9);
    EXPECT_EQ(Check_Vok_Reg_Data("VQL-RT70", "Event_App", "Active", &n), 1);
    EXPECT_EQ(n, -3);
    n = 4;
    EXPECT_EQ(Check_Vok_Reg_Data("VQL-RT70", "Event_App", "Missing", &n), 0);
    EXPECT_EQ(n, 0);
    // A text value is not a number.
    ASSERT_EQ(setText("Event_App", "Path_Mail", "/m"), 1);
    n = 4;
    EXPECT_EQ(Check_Vok_Reg_Data("VQL-RT70", "Event_App", "Path_Mail", &n), 0);
    EXPECT_EQ(n, 0);
}

TEST_F(RegApi, ConfigFolderFallsBackToHome) {
    unsetenv("XDG_CONFIG_HOME");
    ASSERT_EQ(setNumber("Event_App", "Active", 1), 1);
    std::string homeStore = root + "/home/.config/Quintaral/VQL-RT70.ini";
    EXPECT_TRUE(exists(homeStore));
    EXPECT_FALSE(exists(store));

    setenv("XDG_CONFIG_HOME", "", 1);
    int32_t n = 0;
    EXPECT_EQ(VokReg_Query_KeyValue(kProduct, "Event_App", "Active", VOK_REG_NUMBER, &n), 1);
    EXPECT_EQ(n, 1);
    // A relative XDG_CONFIG_HOME is invalid and ignored.
    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    n = 0;
    EXPECT_EQ(VokReg_Query_KeyValue(kProduct, "Event_App", "Active", VOK_REG_NUMBER, &n), 1);
    EXPECT_EQ(n, 1);
}

TEST_F(RegApi, ProcessesWritingAtOnceLoseNothing) {
    const int kChildren = 6, kRounds = 25;
    std::vector<pid_t> kids;
    for (int c = 0; c < kChildren; ++c) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            bool ok = true;
            for (int r = 0; r < kRounds; ++r) {
                std::string name = "c" + std::to_string(c) + "_" + std::to_string(r);
                std::string text = "text " + name;
                ok = setNumber("Event_App", name.c_str(), c * 1000 + r) == 1 && ok;
                ok = setText("Application", name.c_str(), text.c_str()) == 1 && ok;
                ok = setNumber("Event_App", "shared", c) == 1 && ok; // same value, many writers
            }
            _exit(ok ? 0 : 1);
        }
        kids.push_back(pid);
    }
    for (pid_t pid : kids) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int c = 0; c < kChildren; ++c)
        for (int r = 0; r < kRounds; ++r) {
            std::string name = "c" + std::to_string(c) + "_" + std::to_string(r);
            int32_t n = -1;
            ASSERT_EQ(
                VokReg_Query_KeyValue(kProduct, "Event_App", name.c_str(), VOK_REG_NUMBER, &n), 1)
                << name;
            EXPECT_EQ(n, c * 1000 + r);
            EXPECT_EQ(getText("Application", name.c_str()), "text " + name);
        }
    int32_t shared = -1;
    EXPECT_EQ(VokReg_Query_KeyValue(kProduct, "Event_App", "shared", VOK_REG_NUMBER, &shared), 1);
    EXPECT_GE(shared, 0);
    EXPECT_LT(shared, kChildren);
    // No temporary files are left behind.
    EXPECT_EQ(system(("test $(ls -A '" + dir + "' | wc -l) -eq 2").c_str()), 0);
}

TEST_F(RegApi, ThreadsWritingAtOnceLoseNothing) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([this, t] {
            for (int r = 0; r < 20; ++r) {
                std::string name = "t" + std::to_string(t) + "_" + std::to_string(r);
                EXPECT_EQ(setNumber("Event_App", name.c_str(), r), 1);
            }
        });
    for (auto& th : threads)
        th.join();
    for (int t = 0; t < 4; ++t)
        for (int r = 0; r < 20; ++r) {
            std::string name = "t" + std::to_string(t) + "_" + std::to_string(r);
            int32_t n = -1;
            EXPECT_EQ(
                VokReg_Query_KeyValue(kProduct, "Event_App", name.c_str(), VOK_REG_NUMBER, &n), 1);
            EXPECT_EQ(n, r);
        }
}

TEST_F(RegApi, ReadersNeverSeeAHalfWrittenStore) {
    ASSERT_EQ(setText("Event_App", "Path_Image", "/always/here"), 1);
    pid_t writer = fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        bool ok = true;
        for (int r = 0; r < 150; ++r) // enough rewrites that the reader overlaps some
            ok = setNumber("Event_App", ("filler" + std::to_string(r % 40)).c_str(), r) == 1 && ok;
        _exit(ok ? 0 : 1);
    }
    int misses = 0;
    for (int r = 0; r < 300; ++r) {
        char buf[VOK_MAX_PATH];
        if (VokReg_Query_KeyValue(kProduct, "Event_App", "Path_Image", VOK_REG_TEXT, buf) != 1 ||
            strcmp(buf, "/always/here") != 0)
            ++misses;
    }
    int status = 0;
    ASSERT_EQ(waitpid(writer, &status, 0), writer);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(misses, 0);
}

TEST_F(RegApi, DamagedStoreKeepsItsLinesAndACopy) {
    mkdir((root + "/config").c_str(), 0700);
    mkdir(dir.c_str(), 0700);
    std::string garbage = std::string("\x7f"
                                      "ELF\x01\x02\x03 binary\xff\xfe garbage\n") +
                          std::string("NUL\0byte=3\n", 11) + "no equals sign here\n" +
                          "Flag_Resize=maybe\n";
    std::string original = "[software\\Quintaral\\VQL-RT70\\Event_App]\nPath_Mail=\"/mail\"\n" +
                           garbage + "Mode_Resize=1\n[broken\nActive=1\nfinal line without newline";
    WriteFile(store, original);

    // Readable values are read; the damaged ones count as missing.
    EXPECT_EQ(getText("Event_App", "Path_Mail"), "/mail");
    int32_t n = -1;
    EXPECT_EQ(VokReg_Query_KeyValue(kProduct, "Event_App", "Mode_Resize", VOK_REG_NUMBER, &n), 1);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(VokReg_Query_KeyValue(kProduct, "Event_App", "Flag_Resize", VOK_REG_NUMBER, &n), 0);
    EXPECT_EQ(VokReg_Query_KeyValue(kProduct, "Event_App", "Active", VOK_REG_NUMBER, &n), 0);
    EXPECT_FALSE(exists(store + ".damaged")); // reading changes nothing

    ASSERT_EQ(setNumber("Event_App", "Now_Toking", 1), 1);
    std::string after = ReadFile(store);
    EXPECT_NE(after.find(garbage), std::string::npos);
    EXPECT_NE(after.find("[broken\nActive=1\nfinal line without newline\n"), std::string::npos);
    EXPECT_EQ(ReadFile(store + ".damaged"), original);
    EXPECT_EQ(getText("Event_App", "Path_Mail"), "/mail");
    EXPECT_EQ(VokReg_Query_KeyValue(kProduct, "Event_App", "Now_Toking", VOK_REG_NUMBER, &n), 1);
    EXPECT_EQ(n, 1);

    // A later write with damage still in the file does not replace the first copy.
    ASSERT_EQ(setText("Event_App", "Path_Mail", "/new"), 1);
    EXPECT_EQ(ReadFile(store + ".damaged"), original);
    EXPECT_NE(ReadFile(store).find(garbage), std::string::npos);
    EXPECT_EQ(getText("Event_App", "Path_Mail"), "/new");
}

TEST_F(RegApi, HugeStoreIsCutButKeptWholeInACopy) {
    mkdir((root + "/config").c_str(), 0700);
    mkdir(dir.c_str(), 0700);
    std::string big = "[software\\Quintaral\\VQL-RT70\\Event_App]\nActive=1\n";
    std::string junk(4000, '#');
    junk += '\n';
    while (big.size() < (3u << 20))
        big += junk;
    big += "[tail]\nt=1\n";
    WriteFile(store, big);
    WriteFile(store + ".damaged", "older copy");

    int32_t n = 0;
    EXPECT_EQ(VokReg_Query_KeyValue(kProduct, "Event_App", "Active", VOK_REG_NUMBER, &n), 1);
    EXPECT_EQ(n, 1);
    ASSERT_EQ(setNumber("Event_App", "Active", 0), 1);
    EXPECT_LE(ReadFile(store).size(), size_t(1u << 20) + 100);
    EXPECT_EQ(ReadFile(store + ".damaged"), "older copy");
    // The whole file survives in a second, dated copy.
    std::vector<std::string> copies;
    DIR* d = opendir(dir.c_str());
    ASSERT_NE(d, nullptr);
    while (dirent* e = readdir(d))
        if (strncmp(e->d_name, "VQL-RT70.ini.damaged-", 21) == 0)
            copies.push_back(e->d_name);
    closedir(d);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_TRUE(ReadFile(dir + "/" + copies[0]) == big);
    EXPECT_EQ(VokReg_Query_KeyValue(kProduct, "Event_App", "Active", VOK_REG_NUMBER, &n), 1);
    EXPECT_EQ(n, 0);
}

TEST_F(RegApi, TemporaryFilesOfADeadWriterAreRemoved) {
    ASSERT_EQ(setNumber("Event_App", "Active", 1), 1);
    WriteFile(store + ".Ab12Cd", "half a store");
    WriteFile(store + ".keepme-not-a-temp", "x");
    ASSERT_EQ(setNumber("Event_App", "Active", 0), 1);
    EXPECT_FALSE(exists(store + ".Ab12Cd"));
    EXPECT_TRUE(exists(store + ".keepme-not-a-temp"));
    EXPECT_TRUE(exists(store + ".lock"));
}

TEST_F(RegApi, UnreadableStoreIsNotOverwritten) {
    mkdir((root + "/config").c_str(), 0700);
    mkdir(dir.c_str(), 0700);
    mkdir(store.c_str(), 0700); // a folder where the file should be
    EXPECT_EQ(setNumber("Event_App", "Active", 1), 0);
    struct stat st;
    ASSERT_EQ(stat(store.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    int32_t n = 3;
    EXPECT_EQ(VokReg_Query_KeyValue(kProduct, "Event_App", "Active", VOK_REG_NUMBER, &n), 0);
    EXPECT_EQ(n, 0);
}
