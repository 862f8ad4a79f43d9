/* Album commands from the frame: creating and opening album windows, the Edit commands and
 * saving on the active album, Add to Album with its multiple-selection dialog, and the
 * camera's download album. */
#include "album_commands.h"

#include "album_window.h"
#include "bridge.h"
#include "commands.h"
#include "drive_protocol.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace qubex::album {
namespace {

constexpr int kMaxSelectedNames = 30720; // characters the dialog's name buffer holds
constexpr int kMsgNamesTooLong = 103;

AlbumNumbering& Numbering() {
    static AlbumNumbering numbering;
    return numbering;
}

std::string Caption(QWidget* frame) {
    return frame ? frame->windowTitle().toStdString() : std::string("qubex");
}

AlbumWindow* ActiveAlbum(QWidget* frame) {
    QMdiArea* mdi = MdiOf(frame);
    if (!mdi)
        return nullptr;
    QMdiSubWindow* sub = mdi->activeSubWindow() ? mdi->activeSubWindow() : mdi->currentSubWindow();
    return sub ? qobject_cast<AlbumWindow*>(sub->widget()) : nullptr;
}

AlbumWindow* Show(QWidget* frame, Album album) {
    QMdiArea* mdi = MdiOf(frame);
    auto* window = new AlbumWindow(frame, std::move(album), ProgramSources());
    if (!mdi)
        return window;
    QMdiSubWindow* sub = mdi->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(frame->windowIcon());
    sub->show();
    window->LayOut();
    mdi->setActiveSubWindow(sub);
    return window;
}

/* The program's string "Add Album File" in the user's language. */
QString AddAlbumTitle() {
    switch (bridge::Language()) {
    case 1:
        return "Ajouter un fichier à l'album";
    case 2:
        return "Album-Datei hinzufügen";
    default:
        return "Add Album File";
    }
}

QStringList ChooseFilesToAdd(QWidget* frame) {
    QString answer;
    int type = 0;
    if (TakeFileAnswer(frame, &answer, &type))
        return SplitFileAnswer(answer);
    QFileDialog dialog(frame, AddAlbumTitle());
    dialog.setObjectName("ADDALBUMFILE");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters(
        {"Images (*.jpg *.JPG *.jpeg *.bmp *.BMP *.tif *.TIF *.tiff *.mov *.MOV *.avi *.AVI)",
         "JPEG (*.jpg *.JPG *.jpeg)", "Bitmap (*.bmp *.BMP)", "TIFF (*.tif *.TIF *.tiff)",
         "QuickTime (*.mov *.MOV)", "AVI (*.avi *.AVI)", "* (*)"});
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

void AddToAlbum(QWidget* frame) {
    AlbumWindow* album = ActiveAlbum(frame);
    if (!album)
        return;
    const QStringList files = ChooseFilesToAdd(frame);
    int length = 0;
    for (const QString& f : files)
        length += int(f.toUtf8().size()) + 1;
    if (length > kMaxSelectedNames) {
        bridge::ShowMessage(frame, kMsgNamesTooLong, Caption(frame));
        return;
    }
    for (const QString& f : files)
        if (album->AddFile(QFileInfo(f).absoluteFilePath().toStdString()) == kMsgAlbumFull)
            break;
}

} // namespace

bool IsAlbumPath(const QString& path) {
    return IsAlbumFile(path.toLocal8Bit().constData());
}

QWidget* CreateAlbumWindow(QWidget* frame, const QString& path) {
    if (path.isEmpty()) {
        Album album;
        album.title = NewAlbumTitle(&Numbering());
        return Show(frame, std::move(album));
    }
    const std::string file = QFileInfo(path).absoluteFilePath().toStdString();
    QMdiArea* mdi = MdiOf(frame);
    for (AlbumWindow* open : AlbumWindows(mdi))
        if (!open->album().path.empty() && SameImage(open->album().path, file)) {
            bridge::ShowMessage(frame, kMsgAlreadyOpen, Caption(frame));
            if (QMdiSubWindow* sub = open->subWindow()) {
                if (sub->isMinimized())
                    sub->showNormal();
                mdi->setActiveSubWindow(sub);
            }
            return nullptr;
        }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    OpenResult r = OpenAlbum(file, ProgramSources());
    QApplication::restoreOverrideCursor();
    if (!r.ok()) {
        bridge::ShowMessage(frame, r.message, Caption(frame));
        return nullptr;
    }
    return Show(frame, std::move(r.album));
}

bool RunCommand(QWidget* frame, int command) {
    if (command == CMD_NEW_ALBUM) {
        CreateAlbumWindow(frame, QString());
        return true;
    }
    if (command == CMD_ADD_TO_ALBUM) {
        AddToAlbum(frame);
        return true;
    }
    AlbumWindow* album = ActiveAlbum(frame);
    switch (command) {
    case CMD_COPY:
    case CMD_CUT:
    case CMD_PASTE:
        if (album)
            command == CMD_COPY  ? album->Copy()
            : command == CMD_CUT ? album->Cut()
                                 : album->Paste();
        return true;
    case CMD_SAVE:
    case CMD_SAVE_AS:
        if (!album)
            return false;
        album->Save(command == CMD_SAVE_AS);
        return true;
    default:
        return false;
    }
}

std::vector<AlbumPicture> AlbumPictures(const QWidget* album) {
    std::vector<AlbumPicture> pictures;
    if (const auto* window = qobject_cast<const AlbumWindow*>(album))
        for (const Entry& e : window->album().entries)
            pictures.push_back({QString::fromStdString(e.path), e.marked});
    return pictures;
}

QWidget* DownloadAlbum(QWidget* frame, QWidget* current) {
    auto* album = qobject_cast<AlbumWindow*>(current);
    if (album && album->album().entries.size() < kMaxEntries)
        return album;
    return CreateAlbumWindow(frame, QString());
}

bool AddFileToAlbum(QWidget* album, const QString& path) {
    auto* window = qobject_cast<AlbumWindow*>(album);
    return window && window->AddFile(QFileInfo(path).absoluteFilePath().toStdString()) == kMsgNone;
}

bool AddToDownloadAlbum(QWidget* frame, QPointer<QWidget>* album, const QString& path) {
    *album = DownloadAlbum(frame, *album);
    return AddFileToAlbum(*album, path);
}

} // namespace qubex::album
