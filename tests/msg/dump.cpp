/* Prints every catalogue entry in the language of the locale, one "NUMBER<TAB>TEXT"
 * line each with line breaks and backslashes escaped as in the data files. Uses only
 * the public header, as any client of the library would. */
#include "VokDscMsg.h"

#include <cstdio>

int main() {
    char text[VOK_MSG_BUFFER];
    for (int number = VOK_MSG_FIRST; number <= VOK_MSG_LAST; ++number) {
        if (VokDsc_Msg_GetString(number, text, sizeof text) <= 0)
            return 1;
        std::printf("%d\t", number);
        for (const char* p = text; *p; ++p) {
            if (*p == '\n')
                std::fputs("\\n", stdout);
            else if (*p == '\\')
                std::fputs("\\\\", stdout);
            else
                std::putchar(*p);
        }
        std::putchar('\n');
    }
    return 0;
}
