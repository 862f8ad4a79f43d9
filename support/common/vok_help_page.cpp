/* Finding a program's help contents page, installed first. */
#include "vok_help_page.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace vokc {

QString HelpContentsPage(const QString& program, const QString& sourceDir, int language) {
    const QString lang = language == 2 ? "de" : language == 1 ? "fr" : "en";
    const QString relative = "/" + lang + "/index.html";
    const QString candidates[] = {
        QCoreApplication::applicationDirPath() + "/../share/" + program + "/help" + relative,
        sourceDir + relative,
    };
    for (const QString& page : candidates)
        if (QFileInfo(page).isFile())
            return QFileInfo(page).canonicalFilePath();
    return QString();
}

} // namespace vokc
