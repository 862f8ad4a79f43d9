/* Where a program's help pages are: our own HTML per language, installed with the program or,
 * in a build that is not installed, read from the source tree. */
#ifndef VOK_HELP_PAGE_H
#define VOK_HELP_PAGE_H

#include <QString>

namespace vokc {

/* The contents page for a language code (2 German, 1 French, else English): installed beside
 * the program (../share/<program>/help/<lang>/index.html), else <sourceDir>/<lang>/index.html;
 * empty when neither is there. */
QString HelpContentsPage(const QString& program, const QString& sourceDir, int language);

} // namespace vokc

#endif
