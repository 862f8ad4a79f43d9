/* Camera commands from the frame and the frame's answers to the connection library. Every
 * call into the library is preceded by the application information (frame, product name,
 * USB link, variant 5, settings file). */
#include "camera_commands.h"

#include "album_commands.h"
#include "bridge.h"
#include "camera_link.h"
#include "commands.h"
#include "drive_protocol.h"
#include "file_type.h"
#include "frame_window.h"
#include "image_commands.h"
#include "ini_table.h"
#include "mail_commands.h"
#include "mail_jobs.h"
#include "movie_facts.h"
#include "movie_playback.h"
#include "movie_still.h"
#include "open_dialog.h"
#include "program_strings.h"

#include "VokComRT70.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QPointer>

#include <cstdio>
#include <vector>

namespace qubex::camera {
namespace {

CameraLink& Link() {
    static CameraLink link;
    return link;
}

/* The library's modeless dialogs as the loop serves them, the current one last. */
std::vector<QPointer<QDialog>>& Modeless() {
    static std::vector<QPointer<QDialog>> dialogs;
    return dialogs;
}

/* The library's progress dialog, forgotten by itself should it go without a word. */
QPointer<QWidget>& ShownDialog() {
    static QPointer<QWidget> dialog;
    return dialog;
}

/* The album receiving this connection's images, and the files opened singly. */
QPointer<QWidget>& DownloadAlbumWindow() {
    static QPointer<QWidget> album;
    return album;
}

std::vector<std::string>& OpenedSingly() {
    static std::vector<std::string> opened;
    return opened;
}

void Prepare(FrameWindow* frame) {
    Link().settingsPath = frame->settings().path();
    bridge::SetApplicationInfo(frame, ProgramText(STR_PRODUCT, frame->language()),
                               Link().settingsPath);
}

/* Code 1: the recorded album window while it takes more, else a new one. */
intptr_t CurrentDownloadAlbum(FrameWindow* frame) {
    DownloadAlbumWindow() = album::DownloadAlbum(frame, DownloadAlbumWindow());
    return reinterpret_cast<intptr_t>(DownloadAlbumWindow().data());
}

/* Whether the album window shows pictures of this file: JPEG, BMP and TIFF files. */
bool AlbumShows(const std::string& path) {
    const int type = image::DetectFileType(path.c_str());
    return type == image::kTypeJpeg || type == image::kTypeBmp || type == image::kTypeTiff;
}

/* Code 2: the written file into the download album. A picture-with-sound movie gets its still
 * written beside it, which follows the movie into the album; a sound memo is no picture and
 * is left out without a message. */
intptr_t FileWritten(FrameWindow* frame) {
    const std::string path = bridge::LastWrittenPath();
    if (path.empty())
        return 0;
    std::vector<std::string> pictures;
    if (media::IsMovieFile(path.c_str())) {
        pictures.push_back(path);
        media::MovieFacts facts;
        media::ReadMovieFacts(path, &facts);
        if (facts.videoRate == 0 && facts.width > 0) {
            const std::string still = StillPathOf(path);
            if (media::WriteMovieStill(path, still, 0, facts.HasSound() ? 1 : 0))
                pictures.push_back(still);
        }
    } else if (AlbumShows(path)) {
        pictures.push_back(path);
    }
    bool added = false;
    for (const std::string& picture : pictures) {
        // The still may be the 101st entry: it then starts the next album.
        CurrentDownloadAlbum(frame);
        if (album::AddFileToAlbum(DownloadAlbumWindow(), QString::fromStdString(picture)))
            added = true;
    }
    return added ? 1 : 0;
}

/* Code 3: the one image of an event-1 run opens in a window as File Open opens it. */
intptr_t SingleImage(FrameWindow* frame) {
    const std::string path = bridge::LastWrittenPath();
    if (path.empty())
        return 0;
    OpenedSingly().push_back(path);
    const QFileInfo info(QString::fromStdString(path));
    return image::OpenImageFile(frame, info.absoluteFilePath(), info.fileName()) ? 1 : 0;
}

/* Code 9: what the camera gets for a chosen file. */
intptr_t UploadKind(intptr_t record) {
    const std::string path = bridge::UploadRecordPath(record);
    const std::string temp = QDir::tempPath().toStdString();
    // Movies first: the JPEG detection finds the start mark inside a Motion-JPEG movie.
    const int type =
        media::IsMovieFile(path.c_str()) ? image::kTypeMovie : image::DetectFileType(path.c_str());
    switch (type) {
    case image::kTypeJpeg:
    case image::kTypeTiff:
        return bridge::PrepareUploadPicture(record, temp);
    case image::kTypeMovie: {
        media::MovieUpload upload;
        if (!media::ReadMovieUpload(path, &upload))
            return DSC_UPLOAD_SKIP;
        return bridge::PrepareUploadMovie(record, temp, upload.still, upload.motion, upload.sound);
    }
    default:
        return DSC_UPLOAD_SKIP;
    }
}

/* Data out: the chosen files, first and last exchanged, sent with their prepared copies,
 * which go afterwards. */
void DataOut(FrameWindow* frame) {
    QStringList chosen;
    if (std::optional<QString> answer = frame->TakeNextFileAnswer()) {
        chosen = SplitFileAnswer(*answer);
    } else {
        QStringList filters;
        for (const std::string& f : UploadFilters(media::MoviePlaybackAvailable()))
            filters << QString::fromStdString(f);
        chosen = ChooseFilesToSend(
            frame, frame->settings(), frame->language(),
            QString::fromStdString(ProgramText(STR_UPLOAD_TITLE, frame->language())), filters);
    }
    if (chosen.isEmpty())
        return;
    const QString folder = QFileInfo(chosen.front()).absolutePath();
    frame->settings().WriteText(QUBEX_SEC_APP, "dir", folder.toStdString());
    std::vector<std::string> names;
    for (const QString& path : chosen) {
        const QFileInfo info(path);
        // Files of one selection share their folder; any other keeps its own.
        names.push_back(info.absolutePath() == folder ? info.fileName().toStdString()
                                                      : info.absoluteFilePath().toStdString());
    }
    const std::vector<std::string> order = SendingOrder(folder.toStdString(), names);
    Prepare(frame);
    for (const std::string& companion : bridge::Upload(order))
        std::remove(companion.c_str());
}

} // namespace

bool RunCommand(QWidget* frame, int command) {
    auto* f = qobject_cast<FrameWindow*>(frame);
    if (!f)
        return false;
    switch (command) {
    case CMD_DATA_IN:
        Prepare(f);
        bridge::DownloadPicked();
        return true;
    case CMD_DATA_OUT:
        DataOut(f);
        return true;
    case CMD_CLOCK:
        Prepare(f);
        bridge::ClockSetup();
        return true;
    default:
        return false;
    }
}

void EventDownload(FrameWindow* frame, int event) {
    Prepare(frame);
    bridge::DownloadForEvent(event);
}

intptr_t OnNotify(FrameWindow* frame, unsigned message, uintptr_t code, intptr_t value) {
    CameraLink& link = Link();
    bool handled = false;
    const intptr_t plain = AnswerPlain(&link, message, code, value, &handled);
    if (message == WM_DSC_STATUS && code == DSC_STATUS_DIALOG)
        ShownDialog() = static_cast<QWidget*>(link.libraryDialog);
    if (message == WM_DSC_STATUS && code == DSC_STATUS_MODELESS_OPEN)
        Modeless().push_back(reinterpret_cast<QDialog*>(value));
    if (message == WM_DSC_STATUS && code == DSC_STATUS_MODELESS_CLOSED && !Modeless().empty())
        Modeless().pop_back();
    if (handled)
        return plain;
    if (message == WM_DSC_QUERYFILE && code == DSC_QUERYFILE_KIND)
        return UploadKind(value);
    if (message != WM_DSC_STATUS)
        return 0;
    switch (code) {
    case DSC_STATUS_CONNECTION:
        link.communicating = value != 0;
        if (!link.communicating)
            DownloadAlbumWindow().clear(); // the next connection starts a new album
        frame->SetCommunicating(link.communicating);
        return 0;
    case DSC_STATUS_ALBUM:
        return CurrentDownloadAlbum(frame);
    case DSC_STATUS_FILE_WRITTEN:
        return FileWritten(frame);
    case DSC_STATUS_SINGLE_IMAGE:
        return SingleImage(frame);
    case DSC_STATUS_MAIL_START:
        return mail::Jobs().Take();
    case DSC_STATUS_MAIL_FILE:
        return mail::Jobs().Record(static_cast<int>(value), bridge::LastWrittenPath()) ? 1 : 0;
    case DSC_STATUS_MAIL_END:
        return mail::SendDownloadedMail(frame, mail::Jobs().Release(static_cast<int>(value))) ? 1
                                                                                              : 0;
    default:
        return 0;
    }
}

QWidget* LibraryDialog() {
    return Link().libraryDialogShown ? ShownDialog().data() : nullptr;
}

QDialog* ModelessDialog() {
    // The selection dialog ends without code 15: a dialog that is gone is skipped.
    std::vector<QPointer<QDialog>>& dialogs = Modeless();
    while (!dialogs.empty() && !dialogs.back())
        dialogs.pop_back();
    return dialogs.empty() ? nullptr : dialogs.back().data();
}

QJsonObject DumpState() {
    QJsonArray mails;
    for (const std::vector<std::string>& files : mail::DownloadedMailsHandedOver()) {
        QJsonArray list;
        for (const std::string& f : files)
            list.append(QString::fromStdString(f));
        mails.append(list);
    }
    QJsonArray opened;
    for (const std::string& p : OpenedSingly())
        opened.append(QString::fromStdString(p));
    return QJsonObject{{"mails_handed_over", mails},
                       {"opened_singly", opened},
                       {"library_dialog", Link().libraryDialogShown},
                       {"modeless_dialog", ModelessDialog() != nullptr}};
}

} // namespace qubex::camera
