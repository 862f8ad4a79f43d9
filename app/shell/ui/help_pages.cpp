/* Finding and opening the help pages. */
#include "help_pages.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace qubex {

QString HelpContentsPage(int language) {
    const QString lang = language == 2 ? "de" : language == 1 ? "fr" : "en";
    const QString relative = "/" + lang + "/index.html";
    const QString candidates[] = {
        QCoreApplication::applicationDirPath() + "/../share/qubex/help" + relative,
        QStringLiteral(QUBEX_HELP_SOURCE_DIR) + relative,
    };
    for (const QString& page : candidates)
        if (QFileInfo(page).isFile())
            return QFileInfo(page).canonicalFilePath();
    return QString();
}

bool OpenHelpContents(int language) {
    const QString page = HelpContentsPage(language);
    return !page.isEmpty() && QDesktopServices::openUrl(QUrl::fromLocalFile(page));
}

} // namespace qubex
