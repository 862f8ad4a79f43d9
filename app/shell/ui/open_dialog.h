/* The File Open dialog (FILEOPEN): the program's filters in the user's language, the folder
 * kept in `dir`, and the preview box 240 with its frame 241 whose state is kept in `PrevOn`
 * (0 off, 1 on, 2 on but nothing shown). */
#ifndef QUBEX_OPEN_DIALOG_H
#define QUBEX_OPEN_DIALOG_H

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace qubex {

class SettingsFile;

struct OpenChoice {
    QString path;
    QString title; /* the file name with its extension */
};

/* Runs the dialog; answer (from the drive socket) replaces it without showing anything.
 * Nothing when cancelled or when the chosen file no longer exists. */
std::optional<OpenChoice> ChooseFileToOpen(QWidget* frame, const SettingsFile& ini, int language,
                                           bool movies, const std::optional<QString>& answer);

/* The same dialog for several existing files (Data out to Camera), with the preview, titled
 * title, opening in the folder kept in `dir`; the chosen paths as the dialog lists them, none
 * when cancelled. PrevOn is kept as File Open keeps it; the caller writes the folder. */
QStringList ChooseFilesToSend(QWidget* frame, const SettingsFile& ini, int language,
                              const QString& title, const QStringList& filters);

} // namespace qubex

#endif
