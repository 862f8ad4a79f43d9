/* Filling the number fields of catalogue texts. */
#include "vok_text.h"

namespace vokc {

std::string FillNumbers(const char* pattern, std::initializer_list<long> values) {
    std::string out;
    auto next = values.begin();
    for (const char* p = pattern ? pattern : ""; *p; ++p) {
        if (p[0] == '%' && p[1] == 'd' && next != values.end()) {
            out += std::to_string(*next++);
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

} // namespace vokc
