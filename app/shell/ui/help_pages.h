/* The help pages stand in for the help file: our own HTML in English, German and French,
 * installed with the program and opened with the desktop's browser. */
#ifndef QUBEX_HELP_PAGES_H
#define QUBEX_HELP_PAGES_H

#include <QString>

namespace qubex {

/* The contents page for a language code: installed beside the program
 * (../share/qubex/help/<lang>/index.html), else the source tree's; empty when neither. */
QString HelpContentsPage(int language);
/* Opens it; false when there is none or the desktop cannot open it. */
bool OpenHelpContents(int language);

} // namespace qubex

#endif
