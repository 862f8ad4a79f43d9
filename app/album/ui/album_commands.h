/* The album's side of the frame: New Album, Add to Album, Copy, Cut, Paste, Save and Save As
 * of an album window, opening album files, and the camera's download album. */
#ifndef QUBEX_ALBUM_COMMANDS_H
#define QUBEX_ALBUM_COMMANDS_H

#include <QPointer>
#include <QString>

#include <vector>

class QWidget;

namespace qubex::album {

/* Carries out an album command for the frame: 105 new album, 140 copy, 141 paste, 142 cut,
 * 143 add to album; 101 save and 107 save as when the active child is an album window. false
 * when the command is not the album's (the frame then passes it on). */
bool RunCommand(QWidget* frame, int command);

/* true for a file with the album signature (File Open sends it here, not to an image window). */
bool IsAlbumPath(const QString& path);

/* A new empty album window titled "Album %d" (path empty), or the album read from path and
 * titled with its file name. Null when refused: message 183 when a window shows that album
 * already (that window is restored and activated), or the reader's message. The window is the
 * widget inside the MDI sub-window. */
QWidget* CreateAlbumWindow(QWidget* frame, const QString& path);

/* The pictures of an album window in album order, with their selection marks (album printing
 * and mail take the marked ones); empty for any other widget. */
struct AlbumPicture {
    QString path;
    bool marked = false;
};
std::vector<AlbumPicture> AlbumPictures(const QWidget* album);

/* For the camera's downloaded images (the connection library's status codes 1 and 2):
 *   QPointer<QWidget> album;                  // one per connection, cleared when it closes
 *   album::AddToDownloadAlbum(frame, &album, path);
 * adds the written file (JPEG, BMP, TIFF or movie) to *album, which
 * becomes a new empty album window when it is unset, closed, or already holds 100 pictures,
 * so that the 101st image of one connection starts a second album. Refusals (101, 46, ...)
 * are shown as Add to Album shows them. true when added. */
bool AddToDownloadAlbum(QWidget* frame, QPointer<QWidget>* album, const QString& path);
/* The two steps apart: code 1 (the album that receives the next image) and code 2 (add a
 * file to that album window). */
QWidget* DownloadAlbum(QWidget* frame, QWidget* current);
bool AddFileToAlbum(QWidget* album, const QString& path);

} // namespace qubex::album

#endif
