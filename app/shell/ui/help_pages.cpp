/* Finding and opening the help pages. */
#include "help_pages.h"

#include "vok_help_page.h"

#include <QDesktopServices>
#include <QUrl>

namespace qubex {

QString HelpContentsPage(int language) {
    return vokc::HelpContentsPage("qubex", QStringLiteral(QUBEX_HELP_SOURCE_DIR), language);
}

bool OpenHelpContents(int language) {
    const QString page = HelpContentsPage(language);
    return !page.isEmpty() && QDesktopServices::openUrl(QUrl::fromLocalFile(page));
}

} // namespace qubex
