/* Checks the three catalogue files against each other and against the library: same
 * numbers, placeholders and line breaks in every language, the length limit, and
 * VokDsc_Msg_GetString's range, blank, cut and language rules. */
#include "VokDscMsg.h"
#include "msg_test_env.h"
#include "msg_texts.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <regex>
#include <vector>

using msgtest::ScopedEnv;

namespace {

struct Entry {
    std::string raw;  // as stored, escapes kept
    std::string text; // escapes resolved
};

// Reads a data file strictly: every line must be "NUMBER<TAB>TEXT" with known escapes.
std::map<int, Entry> LoadFile(const std::string& lang) {
    std::map<int, Entry> entries;
    std::string data = msgtest::ReadFile(std::string(VOK_MSG_DATA_DIR) + "/" + lang + ".txt");
    EXPECT_FALSE(data.empty()) << lang;
    EXPECT_EQ(data.back(), '\n') << lang << ": last line must end with a line break";
    std::istringstream in(data);
    std::string line;
    int expected = 1;
    while (std::getline(in, line)) {
        std::size_t tab = line.find('\t');
        EXPECT_NE(tab, std::string::npos) << lang << ": " << line;
        if (tab == std::string::npos)
            continue;
        int number = std::stoi(line.substr(0, tab));
        EXPECT_EQ(number, expected) << lang << ": numbers must run 1..476 in order";
        expected = number + 1;
        Entry e;
        e.raw = line.substr(tab + 1);
        EXPECT_EQ(e.raw.find('\t'), std::string::npos) << lang << " " << number;
        EXPECT_EQ(e.raw.find('\r'), std::string::npos) << lang << " " << number;
        for (std::size_t i = 0; i < e.raw.size(); ++i) {
            if (e.raw[i] == '\\') {
                bool known = i + 1 < e.raw.size() && (e.raw[i + 1] == 'n' || e.raw[i + 1] == '\\');
                EXPECT_TRUE(known) << lang << " " << number << ": bad escape";
                if (known)
                    e.text += e.raw[++i] == 'n' ? '\n' : '\\';
            } else {
                e.text += e.raw[i];
            }
        }
        EXPECT_TRUE(entries.emplace(number, e).second) << lang << " " << number;
    }
    return entries;
}

std::vector<std::string> Placeholders(const std::string& text) {
    static const std::regex re("%[-+ #0]*[0-9]*(\\.[0-9]+)?[a-zA-Z%]");
    std::vector<std::string> out;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator();
         ++it)
        out.push_back(it->str());
    return out;
}

// Characters of a UTF-8 text, or -1 when it is not valid UTF-8.
int Utf8Length(const std::string& s) {
    int count = 0;
    for (std::size_t i = 0; i < s.size(); ++count) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        std::size_t len = c < 0x80         ? 1
                          : (c >> 5) == 6  ? 2
                          : (c >> 4) == 14 ? 3
                          : (c >> 3) == 30 ? 4
                                           : 0;
        if (len == 0 || i + len > s.size())
            return -1;
        for (std::size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return -1;
        i += len;
    }
    return count;
}

std::string Get(int number, int capacity = VOK_MSG_BUFFER, int* count = nullptr) {
    std::vector<char> buffer(static_cast<std::size_t>(capacity > 0 ? capacity : 1), 'x');
    int n = VokDsc_Msg_GetString(number, buffer.data(), capacity);
    if (count)
        *count = n;
    return std::string(buffer.data());
}

const char* const kLangs[] = {"en", "de", "fr"};
const char* const kLocales[] = {"C", "de_DE.UTF-8", "fr_FR.UTF-8"};

} // namespace

TEST(msg_catalogue_files, AllLanguagesAgreeOnNumbersPlaceholdersAndLineBreaks) {
    auto en = LoadFile("en");
    ASSERT_EQ(en.size(), 476u);
    for (const char* lang : {"de", "fr"}) {
        auto other = LoadFile(lang);
        ASSERT_EQ(other.size(), 476u) << lang;
        for (const auto& [number, e] : en) {
            const Entry& t = other.at(number);
            EXPECT_EQ(Placeholders(t.text), Placeholders(e.text)) << lang << " " << number;
            EXPECT_EQ(std::count(t.text.begin(), t.text.end(), '\n'),
                      std::count(e.text.begin(), e.text.end(), '\n'))
                << lang << " " << number;
            // A blank (reserved) entry is blank in every language, and only there.
            EXPECT_EQ(t.text == " ", e.text == " ") << lang << " " << number;
            EXPECT_FALSE(t.text.empty()) << lang << " " << number;
        }
    }
}

TEST(msg_catalogue_files, TextsAreValidUtf8AndFitTheLimit) {
    for (const char* lang : kLangs) {
        for (const auto& [number, e] : LoadFile(lang)) {
            int chars = Utf8Length(e.text);
            EXPECT_GE(chars, 1) << lang << " " << number << " is not valid UTF-8";
            EXPECT_LE(chars, VOK_MSG_TEXT_MAX) << lang << " " << number;
            EXPECT_LT(e.text.size(), static_cast<std::size_t>(VOK_MSG_BUFFER))
                << lang << " " << number;
        }
    }
}

TEST(msg_catalogue_files, EnglishKeepsKnownTexts) {
    auto en = LoadFile("en");
    EXPECT_EQ(en.at(14).text,
              "Cannot access Camera.\nMake sure Camera is turned on and properly connected.");
    EXPECT_EQ(en.at(143).text, "OK to cancel Resize process? ");
    EXPECT_EQ(en.at(44).raw,
              "This JPEG file cannot be transferred to the Camera.\\nFile Name : %s\\n");
    EXPECT_EQ(en.at(56).text, "Cannot find the 'VokUsb01.DLL'.");
    for (int n : {21,  39,  62,  75,  136, 145, 148, 211, 226, 242, 256, 264, 272, 280,
                  281, 297, 298, 301, 302, 308, 316, 324, 335, 350, 364, 438, 476})
        EXPECT_EQ(en.at(n).text, " ") << n;
    EXPECT_EQ(en.at(130).text, en.at(255).text);
    EXPECT_EQ(en.at(158).text, en.at(162).text);
}

TEST(msg_catalogue_files, LibraryHoldsExactlyTheFiles) {
    for (int i = 0; i < 3; ++i) {
        ScopedEnv lcAll("LC_ALL", kLocales[i]);
        auto file = LoadFile(kLangs[i]);
        for (const auto& [number, e] : file)
            EXPECT_EQ(Get(number), e.text) << kLangs[i] << " " << number;
    }
}

TEST(msg_get_string, RangeBlankAndPlaceholders) {
    ScopedEnv lcAll("LC_ALL", "C");
    int n = -1;
    EXPECT_EQ(Get(21, 260, &n), " ");
    EXPECT_EQ(n, 1);
    EXPECT_EQ(Get(0, 260, &n), "");
    EXPECT_EQ(n, 0);
    EXPECT_EQ(Get(477, 260, &n), "");
    EXPECT_EQ(n, 0);
    EXPECT_EQ(Get(-5, 260, &n), "");
    EXPECT_EQ(n, 0);
    EXPECT_EQ(Get(140, 260, &n), "VGA Resize proceeding.... (%d / %d)");
    EXPECT_EQ(n, 35);
    EXPECT_EQ(Get(1, 260, &n), "It is a non-definition error.");
    EXPECT_EQ(Get(476, 260, &n), " ");
    EXPECT_EQ(n, 1);
}

TEST(msg_get_string, StoredLineBreaksBecomeRealOnes) {
    ScopedEnv lcAll("LC_ALL", "C");
    EXPECT_EQ(Get(9), "Data error has occurred.\nPlease turn off the camera and turn on again.");
    EXPECT_EQ(Get(44), "This JPEG file cannot be transferred to the Camera.\nFile Name : %s\n");
}

TEST(msg_get_string, CutToCapacityAndTerminated) {
    ScopedEnv lcAll("LC_ALL", "C");
    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(VokDsc_Msg_GetString(140, buffer, 10), 9);
    EXPECT_STREQ(buffer, "VGA Resiz");
    EXPECT_EQ(buffer[10], 'x') << "wrote past the capacity";
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(VokDsc_Msg_GetString(140, buffer, 1), 0);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[1], 'x');
    // Exactly fitting: 35 characters need 36.
    char exact[36];
    EXPECT_EQ(VokDsc_Msg_GetString(140, exact, 36), 35);
    EXPECT_STREQ(exact, "VGA Resize proceeding.... (%d / %d)");
    EXPECT_EQ(VokDsc_Msg_GetString(140, exact, 35), 34);
    EXPECT_EQ(std::strlen(exact), 34u);
}

TEST(msg_get_string, BadBufferCopiesNothing) {
    char buffer[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(VokDsc_Msg_GetString(140, nullptr, 260), 0);
    EXPECT_EQ(VokDsc_Msg_GetString(140, buffer, 0), 0);
    EXPECT_EQ(VokDsc_Msg_GetString(140, buffer, -3), 0);
    EXPECT_EQ(buffer[0], 'x');
    // Out of range with a good buffer leaves an empty text, not stale bytes.
    EXPECT_EQ(VokDsc_Msg_GetString(0, buffer, 4), 0);
    EXPECT_EQ(buffer[0], '\0');
}

TEST(msg_get_string, CutNeverSplitsACharacter) {
    ScopedEnv lcAll("LC_ALL", "de_DE.UTF-8");
    // "Beim Öffnen ...": the Ö takes bytes 5 and 6.
    ASSERT_EQ(Get(7).substr(0, 7), "Beim \xC3\x96");
    int n = -1;
    EXPECT_EQ(Get(7, 7, &n), "Beim ");
    EXPECT_EQ(n, 5);
    EXPECT_EQ(Get(7, 8, &n), "Beim \xC3\x96");
    EXPECT_EQ(n, 7);
    // Every cut of every German and French text stays valid UTF-8.
    for (const char* locale : {"de_DE.UTF-8", "fr_FR.UTF-8"}) {
        ScopedEnv inner("LC_ALL", locale);
        for (int number = 1; number <= VOK_MSG_LAST; ++number) {
            std::string full = Get(number);
            for (int cap = 1; cap <= static_cast<int>(full.size()) + 1; ++cap) {
                std::string cut = Get(number, cap, &n);
                ASSERT_EQ(static_cast<int>(cut.size()), n);
                ASSERT_LT(n, cap);
                ASSERT_GE(n, cap - 4) << "cut more than one character";
                ASSERT_EQ(full.compare(0, cut.size(), cut), 0);
                ASSERT_GE(Utf8Length(cut), 0) << locale << " " << number << " cap " << cap;
            }
        }
    }
}

TEST(msg_language, ChosenFromLocaleVariablesInOrder) {
    ScopedEnv a("LC_ALL", nullptr), m("LC_MESSAGES", nullptr), l("LANG", nullptr);
    EXPECT_EQ(VokDsc_Msg_Language(), VOK_LANG_ENGLISH);
    {
        ScopedEnv lang("LANG", "de_DE.UTF-8");
        EXPECT_EQ(VokDsc_Msg_Language(), VOK_LANG_GERMAN);
        EXPECT_EQ(Get(13), "Der Kameraspeicher ist voll.");
        {
            ScopedEnv msgs("LC_MESSAGES", "fr_CA.UTF-8");
            EXPECT_EQ(VokDsc_Msg_Language(), VOK_LANG_FRENCH);
            EXPECT_EQ(Get(13), "La mémoire de l'appareil photo est pleine.");
            ScopedEnv all("LC_ALL", "C.UTF-8");
            EXPECT_EQ(VokDsc_Msg_Language(), VOK_LANG_ENGLISH);
            EXPECT_EQ(Get(13), "Camera memory is full.");
        }
        {
            // Set but empty does not decide.
            ScopedEnv all("LC_ALL", "");
            ScopedEnv msgs("LC_MESSAGES", "");
            EXPECT_EQ(VokDsc_Msg_Language(), VOK_LANG_GERMAN);
        }
    }
    for (const char* other : {"en_US.UTF-8", "it_IT", "POSIX", "C", "d", "xde"}) {
        ScopedEnv lang("LANG", other);
        EXPECT_EQ(VokDsc_Msg_Language(), VOK_LANG_ENGLISH) << other;
    }
    ScopedEnv lang("LANG", "fr");
    EXPECT_EQ(VokDsc_Msg_Language(), VOK_LANG_FRENCH);
}

TEST(msg_parse, MalformedLinesAreSkippedNotTrusted) {
    const std::string data = "1\tone\n"
                             "no tab here\n"
                             "0\tzero\n"
                             "477\ttoo far\n"
                             "99999999999999999999\thuge\n"
                             "\tno number\n"
                             "2x\tbad number\n"
                             "3\ttrailing backslash \\\n"
                             "4\tcr lf\r\n"
                             "5\ta\\\\b\\nc\\t\n"
                             "6\t"; // last line without a line break, empty text
    vokmsg::LanguageTable t = vokmsg::ParseCatalogue(data.data(), data.size());
    EXPECT_EQ(t.text[1], "one");
    EXPECT_EQ(t.text[3], "trailing backslash \\");
    EXPECT_EQ(t.text[4], "cr lf");
    EXPECT_EQ(t.text[5], "a\\b\nc\\t");
    EXPECT_TRUE(t.has[6]);
    EXPECT_EQ(t.text[6], "");
    EXPECT_FALSE(t.has[0]);
    EXPECT_FALSE(t.has[2]);
    int count = 0;
    for (bool h : t.has)
        count += h;
    EXPECT_EQ(count, 5);
    // Any prefix of the data parses without reading past it (checked under the sanitizer).
    for (std::size_t len = 0; len <= data.size(); ++len) {
        std::vector<char> copy(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(len));
        vokmsg::ParseCatalogue(copy.data(), copy.size());
    }
}
