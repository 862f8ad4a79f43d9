/* The catalogue texts as built into the library, and the parsed table behind the four
 * operations. Internal to VokDscMsg; the tests use it to compare files and table. */
#ifndef VOK_MSG_TEXTS_H
#define VOK_MSG_TEXTS_H

#include <cstddef>
#include <string>

namespace vokmsg {

/* Raw bytes of one language file ("NUMBER<TAB>TEXT" lines), in the order English,
 * German, French. */
struct RawTexts {
    const char* data;
    std::size_t size;
};
extern const RawTexts kRawTexts[3];

enum Language { kEnglish = 0, kGerman = 1, kFrench = 2 };

/* One language's entries parsed from the file format: index = message number. Numbers
 * that the file lacks stay missing (has[n] false). */
struct LanguageTable {
    std::string text[477];
    bool has[477] = {};
};

/* Parses the file format: lines "NUMBER<TAB>TEXT", "\n" and "\\" escapes turned into a
 * line break and a backslash. Lines that do not fit the format are skipped. */
LanguageTable ParseCatalogue(const char* data, std::size_t size);

/* The entry of number in language, or nullptr when the number is outside 1..476. A
 * number missing from German or French falls back to English. */
const std::string* LookUp(int number, Language language);

/* Language from LC_ALL, LC_MESSAGES, LANG (first set and non-empty). */
Language CurrentLanguage();

} // namespace vokmsg

#endif
