/* The decisions behind VokDsc_Msg_Box, free of Qt: buttons, icon, default and escape
 * button of each kind of box, the answer a test hook gives, and the line it logs. */
#ifndef VOK_MSG_BOX_RULES_H
#define VOK_MSG_BOX_RULES_H

#include "VokDscMsg.h"

#include <string>

namespace vokmsg {

enum class BoxIcon { None, Critical, Question, Warning, Information };

struct BoxLayout {
    int buttons[3] = {0, 0, 0}; // VOK_IDOK, VOK_IDCANCEL, VOK_IDYES, VOK_IDNO in display order
    int count = 0;
    int defaultButton = VOK_IDOK;
    int escapeButton = VOK_IDOK;
    BoxIcon icon = BoxIcon::None;
};

/* Buttons and icon of kind (a VokBoxKind; int, so that any value a caller passes is
 * defined); style's VOK_MB_DEFBUTTON2/3 pick the default (the first
 * button when the box has fewer). An unknown kind is treated as VOK_BOX_OTHER. */
BoxLayout LayoutFor(int kind, unsigned style);

/* The result for a VOK_MSG_ANSWER value: that button when the box has it, else the
 * box's default. */
int AnswerFor(const BoxLayout& layout, const char* answer);

/* "error", "query", "message", "yesnocancel" or "other". */
const char* KindName(int kind);

/* One log line, newline included: "<kind> <number> <caption>\t<text>", number "-" when
 * negative; line breaks in caption and text written as the two characters \n. */
std::string LogLine(int kind, int number, const char* caption, const char* text);

} // namespace vokmsg

#endif
