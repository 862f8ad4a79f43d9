/* Camera commands from the frame and the frame's answers to the connection library. Every
 * call into the library is preceded by the application information (frame, product name,
 * USB link, variant 5, settings file). */
#include "camera_commands.h"

#include "album_model.h"
#include "bridge.h"
#include "camera_link.h"
#include "commands.h"
#include "file_type.h"
#include "frame_window.h"
#include "image_commands.h"
#include "ini_table.h"
#include "mail_commands.h"
#include "mail_jobs.h"
#include "movie_facts.h"
#include "movie_playback.h"
#include "open_dialog.h"
#include "program_strings.h"

#include "VokComRT70.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QPointer>

#include <cstdio>

namespace qubex::camera {
namespace {

CameraLink& Link() {
    static CameraLink link;
    return link;
}

/* The library's progress dialog, forgotten by itself should it go without a word. */
QPointer<QWidget>& ShownDialog() {
    static QPointer<QWidget> dialog;
    return dialog;
}

/* The download albums of this run. Until the album window takes them, they are kept here as
 * album records and shown in the state dump. */
struct DownloadAlbums {
    std::vector<album::Album> albums;
    album::AlbumNumbering numbering;
    std::vector<std::string> openedSingly;
};

DownloadAlbums& Downloads() {
    static DownloadAlbums downloads;
    return downloads;
}

album::AlbumSources Sources() {
    album::AlbumSources s;
    s.pictures.jpegScaled = [](const char* path, uint32_t minWidth, uint32_t minHeight,
                               uint32_t* width, uint32_t* height) {
        return bridge::JpegScaledDib(path, minWidth, minHeight, width, height);
    };
    return s;
}

void Prepare(FrameWindow* frame) {
    Link().settingsPath = frame->settings().path();
    bridge::SetApplicationInfo(frame, ProgramText(STR_PRODUCT, frame->language()),
                               Link().settingsPath);
}

/* Code 1: the recorded album while it takes more, else a new one. Albums are numbered from 1
 * so that the answer is never 0. */
intptr_t CurrentDownloadAlbum() {
    DownloadAlbums& d = Downloads();
    const int recorded = Link().downloadAlbum;
    const bool exists = recorded >= 0 && static_cast<size_t>(recorded) < d.albums.size();
    if (DownloadAlbumTakesMore(exists, exists ? d.albums[recorded].entries.size() : 0))
        return recorded + 1;
    album::Album fresh;
    fresh.title = album::NewAlbumTitle(&d.numbering);
    d.albums.push_back(std::move(fresh));
    Link().downloadAlbum = static_cast<int>(d.albums.size()) - 1;
    return Link().downloadAlbum + 1;
}

/* Code 2: the written file into the download album; a picture-with-sound movie gets its
 * still written beside it, which follows it into the album. */
intptr_t FileWritten(FrameWindow* frame) {
    if (Link().downloadAlbum < 0)
        CurrentDownloadAlbum();
    const std::string path = bridge::LastWrittenPath();
    if (path.empty())
        return 0;
    const QFileInfo info(QString::fromStdString(path));
    std::string still;
    if (media::IsMovieFile(path.c_str())) {
        media::MovieFacts facts;
        media::ReadMovieFacts(path, &facts);
        if (facts.videoRate == 0 && facts.width > 0) {
            still = StillPathOf(path);
            if (!media::WriteMovieStill(path, still, 0, facts.HasSound() ? 1 : 0))
                still.clear();
        }
    }
    const bool added = AddToDownloadAlbum(frame, Link().downloadAlbum + 1, info.absoluteFilePath(),
                                          info.fileName());
    if (added && !still.empty())
        AddToDownloadAlbum(frame, Link().downloadAlbum + 1, QString::fromStdString(still),
                           QFileInfo(QString::fromStdString(still)).fileName());
    return added ? 1 : 0;
}

/* Code 3: the one image of an event-1 run opens in a window as File Open opens it. */
intptr_t SingleImage(FrameWindow* frame) {
    const std::string path = bridge::LastWrittenPath();
    if (path.empty())
        return 0;
    Downloads().openedSingly.push_back(path);
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
        media::MovieFacts facts;
        media::ReadMovieFacts(path, &facts);
        if (!media::IsCameraMovie(facts))
            return DSC_UPLOAD_SKIP;
        const std::vector<uint8_t> still = media::GetMovieFirstPicture(path);
        if (still.empty())
            return DSC_UPLOAD_SKIP;
        return bridge::PrepareUploadMovie(record, temp, still, facts.videoRate != 0,
                                          facts.HasSound());
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
        chosen = answer->split('\t', Qt::SkipEmptyParts);
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
            link.downloadAlbum = -1; // the next connection starts a new album
        frame->SetCommunicating(link.communicating);
        return 0;
    case DSC_STATUS_ALBUM:
        return CurrentDownloadAlbum();
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

bool AddToDownloadAlbum(QWidget* frame, int album, const QString& path, const QString& name) {
    (void)frame;
    (void)name; // the album shows the file name of its path
    DownloadAlbums& d = Downloads();
    if (album < 1 || static_cast<size_t>(album) > d.albums.size())
        return false;
    album::Album& target = d.albums[album - 1];
    const std::string file = path.toStdString();
    int message = album::kMsgNone;
    if (media::IsMovieFile(file.c_str())) {
        const std::vector<uint8_t> picture = media::GetMovieFirstPicture(file);
        message = picture.empty() ? album::kMsgExtractError
                                  : album::AddEntry(&target, file, picture, Sources());
    } else {
        message = album::AddImageFile(&target, file, Sources());
    }
    return message == album::kMsgNone;
}

QJsonObject DumpState() {
    QJsonArray albums;
    for (const album::Album& a : Downloads().albums) {
        QJsonArray entries;
        for (const album::Entry& e : a.entries)
            entries.append(QJsonObject{{"path", QString::fromStdString(e.path)},
                                       {"name", QString::fromStdString(album::ShownName(e.path))}});
        albums.append(
            QJsonObject{{"title", QString::fromStdString(a.title)}, {"entries", entries}});
    }
    QJsonArray mails;
    for (const std::vector<std::string>& files : mail::DownloadedMailsHandedOver()) {
        QJsonArray list;
        for (const std::string& f : files)
            list.append(QString::fromStdString(f));
        mails.append(list);
    }
    QJsonArray opened;
    for (const std::string& p : Downloads().openedSingly)
        opened.append(QString::fromStdString(p));
    return QJsonObject{{"download_albums", albums},
                       {"mails_handed_over", mails},
                       {"opened_singly", opened},
                       {"library_dialog", Link().libraryDialogShown},
                       {"modeless_dialogs", static_cast<int>(Link().modelessDialogs.size())}};
}

} // namespace qubex::camera
