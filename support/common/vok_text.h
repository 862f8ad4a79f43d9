/* Catalogue texts with "%d" fields filled in, without ever handing a translated text to printf
 * as its format. */
#ifndef VOK_TEXT_H
#define VOK_TEXT_H

#include <initializer_list>
#include <string>

#include "VokDscMsg.h"

namespace vokc {

/* pattern with each "%d" replaced by the next value; fields past the last value stay. */
std::string FillNumbers(const char* pattern, std::initializer_list<long> values);

/* Catalogue entry number in the current language, its "%d" fields filled with values. */
inline std::string CatalogueText(int number, std::initializer_list<long> values = {}) {
    char pattern[VOK_MSG_BUFFER] = {};
    VokDsc_Msg_GetString(number, pattern, sizeof pattern);
    return FillNumbers(pattern, values);
}

} // namespace vokc

#endif
