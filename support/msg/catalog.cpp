/* The catalogue table: parses the built-in text files once, picks the language from the
 * locale variables and copies entries out with VokDsc_Msg_GetString. Entries are UTF-8,
 * so a cut never splits a character. */
#include "VokDscMsg.h"
#include "msg_texts.h"

#include <cstdlib>
#include <cstring>

namespace vokmsg {

LanguageTable ParseCatalogue(const char* data, std::size_t size) {
    LanguageTable table;
    std::size_t pos = 0;
    while (pos < size) {
        std::size_t end = pos;
        while (end < size && data[end] != '\n')
            ++end;
        std::size_t p = pos;
        long number = 0;
        bool digits = false;
        while (p < end && data[p] >= '0' && data[p] <= '9' && number <= VOK_MSG_LAST) {
            number = number * 10 + (data[p] - '0');
            digits = true;
            ++p;
        }
        if (digits && p < end && data[p] == '\t' && number >= VOK_MSG_FIRST &&
            number <= VOK_MSG_LAST) {
            std::string text;
            for (++p; p < end; ++p) {
                char c = data[p];
                if (c == '\r' && p + 1 == end)
                    break; // tolerate files saved with CR LF
                if (c == '\\' && p + 1 < end && (data[p + 1] == 'n' || data[p + 1] == '\\')) {
                    c = data[p + 1] == 'n' ? '\n' : '\\';
                    ++p;
                }
                text.push_back(c);
            }
            table.text[number] = std::move(text);
            table.has[number] = true;
        }
        pos = end + 1;
    }
    return table;
}

namespace {

struct Catalogue {
    LanguageTable lang[3];
};

const Catalogue& TheCatalogue() {
    // Built once on first use; C++ makes this initialisation thread-safe.
    static const Catalogue* catalogue = [] {
        auto* c = new Catalogue;
        for (int i = 0; i < 3; ++i)
            c->lang[i] = ParseCatalogue(kRawTexts[i].data, kRawTexts[i].size);
        return c;
    }();
    return *catalogue;
}

const char* LocaleValue() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return value;
    }
    return "";
}

} // namespace

const std::string* LookUp(int number, Language language) {
    if (number < VOK_MSG_FIRST || number > VOK_MSG_LAST)
        return nullptr;
    const Catalogue& c = TheCatalogue();
    if (c.lang[language].has[number])
        return &c.lang[language].text[number];
    return &c.lang[kEnglish].text[number];
}

Language CurrentLanguage() {
    const char* value = LocaleValue();
    if (std::strncmp(value, "de", 2) == 0)
        return kGerman;
    if (std::strncmp(value, "fr", 2) == 0)
        return kFrench;
    return kEnglish;
}

} // namespace vokmsg

extern "C" int VokDsc_Msg_Language(void) {
    switch (vokmsg::CurrentLanguage()) {
    case vokmsg::kGerman:
        return VOK_LANG_GERMAN;
    case vokmsg::kFrench:
        return VOK_LANG_FRENCH;
    default:
        return VOK_LANG_ENGLISH;
    }
}

extern "C" int VokDsc_Msg_GetString(int number, char* buffer, int capacity) {
    if (!buffer || capacity <= 0)
        return 0;
    buffer[0] = '\0';
    const std::string* text = vokmsg::LookUp(number, vokmsg::CurrentLanguage());
    if (!text)
        return 0;
    std::size_t n = text->size();
    if (n > static_cast<std::size_t>(capacity) - 1) {
        n = static_cast<std::size_t>(capacity) - 1;
        // Step back to the start of a character, so the cut keeps whole UTF-8 sequences.
        while (n > 0 && (static_cast<unsigned char>((*text)[n]) & 0xC0) == 0x80)
            --n;
    }
    std::memcpy(buffer, text->data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}
