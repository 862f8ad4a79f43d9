/* Image commands from the frame: opening files in image windows by their type, File Save and
 * Save As with the type list and the writers of the six image types, the View zoom and Undo.
 * Which type, which zoom, which name and which writer are the logic's decisions. */
#include "image_commands.h"

#include "album_file.h"
#include "bmp_reader.h"
#include "bridge.h"
#include "convert.h"
#include "file_type.h"
#include "frame_window.h"
#include "image_window.h"
#include "ini_table.h"
#include "jpeg_meter.h"
#include "movie_facts.h"
#include "program_strings.h"
#include "save_rules.h"
#include "tiff_reader.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <cstdlib>
#include <map>
#include <unistd.h>

namespace qubex::image {
namespace {

constexpr int kCmdSave = 101;
constexpr int kCmdSaveAs = 107;
constexpr int kSaveAsTitle = 401; // the program string "Save As"

std::map<int, FileOpener>& Openers() {
    static std::map<int, FileOpener> openers;
    return openers;
}

FrameWindow* Frame(QWidget* widget) {
    return qobject_cast<FrameWindow*>(widget);
}

std::string Caption() {
    return ProgramText(STR_PRODUCT, bridge::Language());
}

void Error(QWidget* frame, int message) {
    bridge::ShowError(frame, message, Caption());
}

ImageWindow* ActiveImageWindow(FrameWindow* frame) {
    if (!frame)
        return nullptr;
    QMdiSubWindow* sub = frame->mdiArea()->activeSubWindow();
    return sub ? qobject_cast<ImageWindow*>(sub->widget()) : nullptr;
}

QSize AreaSize(FrameWindow* frame) {
    return frame ? frame->mdiArea()->viewport()->size() : QSize(640, 480);
}

/* The View menu's check mark follows the active window, once per frame. */
void WatchActivation(FrameWindow* frame) {
    QMdiArea* area = frame->mdiArea();
    if (area->property("vokImageWatch").toBool())
        return;
    area->setProperty("vokImageWatch", true);
    QObject::connect(area, &QMdiArea::subWindowActivated, area, [area](QMdiSubWindow* sub) {
        // Null while the frame is being destroyed.
        auto* frame = qobject_cast<FrameWindow*>(area->window());
        if (!frame)
            return;
        if (auto* w = sub ? qobject_cast<ImageWindow*>(sub->widget()) : nullptr) {
            w->CheckZoomItem();
            return;
        }
        for (int command = kCmdZoom25; command <= kCmdZoom400; ++command)
            if (QAction* a = frame->MenuAction(command))
                a->setChecked(false);
    });
}

ImageWindow* MakeWindow(FrameWindow* frame, ImageDoc doc, Dib preview) {
    if (!frame)
        return nullptr;
    const QSize area = AreaSize(frame);
    const int zoom = InitialZoom(doc.width, doc.height, uint32_t(std::max(area.width(), 0)),
                                 uint32_t(std::max(area.height(), 0)));
    auto* window = new ImageWindow(frame, std::move(doc), std::move(preview), zoom);
    if (!window->Displayable()) {
        delete window;
        Error(frame, kMsgUnexpected);
        return nullptr;
    }
    WatchActivation(frame);
    QMdiSubWindow* sub = frame->mdiArea()->addSubWindow(window);
    sub->show();
    window->FitWindow();
    window->UpdateProperties();
    frame->mdiArea()->setActiveSubWindow(sub);
    window->setFocus();
    window->CheckZoomItem();
    return window;
}

/* A JPEG shown below 100 % starts from libjpeg's scaled decoding; the full picture is decoded
 * (with the meter) when a larger zoom, a change or a converting save needs it. */
bool OpenJpeg(FrameWindow* frame, const QString& path, const QString& title) {
    const std::string file = QFile::encodeName(path).toStdString();
    uint32_t width = 0, height = 0;
    if (bridge::JpegSize(file, &width, &height)) {
        const uint64_t rowBytes = (uint64_t(width) * 3 + 3) / 4 * 4;
        if (rowBytes * height > kMaxPixelBytes) {
            Error(frame, kMsgNoMemory);
            return false;
        }
        const QSize area = AreaSize(frame);
        const int zoom = InitialZoom(width, height, uint32_t(std::max(area.width(), 0)),
                                     uint32_t(std::max(area.height(), 0)));
        Dib scaled;
        if (zoom < kZoom100)
            scaled = bridge::JpegScaledDib(file.c_str(), ZoomedExtent(width, zoom),
                                           ZoomedExtent(height, zoom), nullptr, nullptr);
        if (!scaled.empty()) {
            ImageDoc doc;
            if (MakeImageDoc(std::move(scaled), path.toStdString(), title.toStdString(), kTypeJpeg,
                             &doc) == kMsgNone) {
                Dib preview;
                if (doc.width != width || doc.height != height) {
                    preview = std::move(doc.image);
                    doc.image.clear();
                    doc.width = width;
                    doc.height = height;
                    doc.bitCount = 24;
                    doc.colorsUsed = 0;
                }
                return MakeWindow(frame, std::move(doc), std::move(preview)) != nullptr;
            }
        }
    }
    Dib full;
    if (!ExtractJpegToDib(frame, path, title, &full))
        return false;
    return CreateImageWindow(frame, std::move(full), path.toStdString(), title.toStdString(),
                             kTypeJpeg) != nullptr;
}

/* A temporary file "VOK..." with the suffix in the temporary folder; empty on failure. */
std::string TemporaryFile(const char* suffix) {
    std::string name = QDir::tempPath().toStdString() + "/VOKXXXXXX" + suffix;
    const int fd = ::mkstemps(name.data(), int(strlen(suffix)));
    if (fd < 0)
        return std::string();
    ::close(fd);
    return name;
}

/* The Save As dialog, or the drive's answer in its place: the path and type chosen. */
bool ChooseSaveName(FrameWindow* frame, const ImageWindow& window, std::string* path, int* type) {
    const int language = frame->language();
    const std::vector<int> types = SaveTypesFor(false, window.doc().sourceType);
    int answeredType = -1;
    const std::optional<QString> answer = frame->TakeNextFileAnswer(&answeredType);
    QString chosen;
    int chosenType = *type;
    if (answer) {
        chosen = *answer;
        if (std::find(types.begin(), types.end(), answeredType) != types.end())
            chosenType = answeredType;
    } else {
        QFileDialog dialog(frame);
        dialog.setObjectName("FILESAVE");
        dialog.setWindowTitle(QString::fromStdString(ProgramText(kSaveAsTitle, language)));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        const std::string remembered = frame->settings().ReadText(
            QUBEX_SEC_APP, "dir", QDir::currentPath().toStdString().c_str(), 260);
        dialog.setDirectory(QString::fromStdString(remembered));
        QStringList filters;
        int preset = 0;
        for (size_t i = 0; i < types.size(); ++i) {
            const SaveTypeInfo info = DescribeSaveType(types[i], language);
            const QString pattern = QString::fromLatin1(info.filter);
            filters << QString("%1 (%2 %3)")
                           .arg(QString::fromStdString(info.label), pattern, pattern.toUpper());
            if (types[i] == *type)
                preset = int(i);
        }
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters[preset]);
        dialog.selectFile(QString::fromStdString(
            ReplaceExtension(QFileInfo(QString::fromStdString(window.doc().displayName))
                                 .completeBaseName()
                                 .toStdString(),
                             *type)));
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, &filters, &types](const QString& filter) {
                             const int index = int(filters.indexOf(filter));
                             auto* edit = dialog.findChild<QLineEdit*>("fileNameEdit");
                             if (index < 0 || !edit || edit->text().isEmpty())
                                 return;
                             edit->setText(QString::fromStdString(
                                 ReplaceExtension(edit->text().toStdString(), types[index])));
                         });
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return false;
        chosen = dialog.selectedFiles().first();
        const int index = int(filters.indexOf(dialog.selectedNameFilter()));
        chosenType = types[std::max(index, 0)];
    }
    if (chosen.isEmpty())
        return false;
    const QFileInfo info(
        QString::fromStdString(NameWithExtension(chosen.toStdString(), chosenType)));
    *path = info.absoluteFilePath().toStdString();
    *type = chosenType;
    return true;
}

/* Writes the window's picture as type; 0, the message to show, or -1 when the reason was
 * shown already. converted gets the picture the window keeps (empty: unchanged). */
int WriteImage(FrameWindow* frame, ImageWindow& window, const std::string& path, int type,
               Dib* converted) {
    if (SaveIsByteCopy(window.doc().sourceType, ImageWindowIsModified(window.doc()), type))
        return CopyImageFile(
            QFile::encodeName(QString::fromStdString(window.doc().path)).constData(),
            QFile::encodeName(QString::fromStdString(path)).constData());
    if (!window.EnsureFullImage())
        return -1;
    DibResult result = ConvertDib(window.doc().image, type == kSaveBmp256 ? 8 : 24);
    if (!result.ok())
        return result.message;
    const std::string target = QFile::encodeName(QString::fromStdString(path)).toStdString();
    switch (type) {
    case kSaveBmp24:
    case kSaveBmp256:
        if (int message = WriteBmpFile(target.c_str(), result.dib))
            return message;
        break;
    case kSaveTiff:
        if (!bridge::SaveAsTiff(result.dib, target))
            return -1;
        break;
    default: {
        const std::string bmp = TemporaryFile(".bmp");
        const std::string jpeg = TemporaryFile(".jpg");
        int message = bmp.empty() || jpeg.empty() ? kMsgOpenFailed : kMsgNone;
        if (!message)
            message = WriteBmpFile(bmp.c_str(), result.dib);
        bool ok =
            !message &&
            CompressBmpToJpeg(frame, QString::fromStdString(bmp), QString::fromStdString(jpeg),
                              DescribeSaveType(type, 4).jpegQuality,
                              QString::fromStdString(window.doc().displayName)) &&
            bridge::SaveAsExif(jpeg, target);
        for (const std::string& name : {bmp, jpeg})
            if (!name.empty())
                ::unlink(name.c_str());
        if (message)
            return message;
        if (!ok)
            return -1;
        break;
    }
    }
    *converted = std::move(result.dib);
    return kMsgNone;
}

int SourceTypeOfSave(int type) {
    if (type == kSaveBmp24 || type == kSaveBmp256)
        return kTypeBmp;
    return type == kSaveTiff ? kTypeTiff : kTypeJpeg;
}

} // namespace

void SetFileOpener(int fileType, FileOpener opener) {
    Openers()[fileType] = opener;
}

ImageWindow* CreateImageWindow(QWidget* frameWidget, std::vector<unsigned char> dib,
                               const std::string& path, const std::string& displayName,
                               int sourceType) {
    ImageDoc doc;
    if (int message = MakeImageDoc(std::move(dib), path, displayName, sourceType, &doc)) {
        Error(frameWidget, message);
        return nullptr;
    }
    return MakeWindow(Frame(frameWidget), std::move(doc), Dib());
}

bool OpenImageFile(QWidget* frameWidget, const QString& path, const QString& title) {
    FrameWindow* frame = Frame(frameWidget);
    if (path.isEmpty()) {
        Error(frameWidget, kMsgOpenFailed);
        return false;
    }
    if (!QFileInfo::exists(path)) {
        Error(frameWidget, kMsgFileMissing);
        return false;
    }
    const std::string file = QFile::encodeName(path).toStdString();
    FileTypeTests tests;
    tests.isAlbum = [](const char* p) { return album::IsAlbumFile(p); };
    // Movies first: the JPEG test finds the start mark inside a Motion-JPEG movie.
    const int type =
        media::IsMovieFile(file.c_str()) ? kTypeMovie : DetectFileType(file.c_str(), tests);
    DibResult read;
    switch (type) {
    case kTypeJpeg:
        return OpenJpeg(frame, path, title);
    case kTypeBmp:
        read = ReadBmpFile(file.c_str());
        break;
    case kTypeTiff:
        read = ReadTiffFile(file.c_str());
        break;
    default:
        if (auto it = Openers().find(type); it != Openers().end() && it->second)
            return it->second(frameWidget, path, title);
        Error(frameWidget, kMsgExtractError);
        return false;
    }
    if (!read.ok()) {
        Error(frameWidget, read.message);
        return false;
    }
    return CreateImageWindow(frameWidget, std::move(read.dib), path.toStdString(),
                             title.toStdString(), type) != nullptr;
}

bool SaveWindow(QWidget* frameWidget, ImageWindow* window, bool askName) {
    FrameWindow* frame = Frame(frameWidget);
    if (!frame || !window) {
        Error(frameWidget, kMsgUnexpected);
        return false;
    }
    const ImageDoc& doc = window->doc();
    int type = DefaultSaveType(false, doc.sourceType, doc.bitCount);
    std::string path = doc.path;
    const bool dialog = askName || doc.untitled;
    if (dialog && !ChooseSaveName(frame, *window, &path, &type))
        return false;
    std::vector<std::string> others;
    for (ImageWindow* other : ImageWindow::All())
        if (other != window)
            others.push_back(other->doc().path);
    if (PathOpenElsewhere(path, others)) {
        bridge::ShowErrorText(frame, kMsgPathInUse, bridge::TextWith(kMsgPathInUse, path),
                              Caption());
        return false;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Dib converted;
    const int message = WriteImage(frame, *window, path, type, &converted);
    QApplication::restoreOverrideCursor();
    if (message > 0)
        Error(frame, message);
    if (message != kMsgNone)
        return false;
    if (dialog)
        frame->settings().WriteText(
            QUBEX_SEC_APP, "dir",
            QFileInfo(QString::fromStdString(path)).absolutePath().toStdString());
    window->Saved(std::move(converted), path,
                  QFileInfo(QString::fromStdString(path)).fileName().toStdString(),
                  SourceTypeOfSave(type));
    return true;
}

bool SaveActiveWindow(QWidget* frameWidget, bool askName) {
    return SaveWindow(frameWidget, ActiveImageWindow(Frame(frameWidget)), askName);
}

bool RunCommand(QWidget* frameWidget, int command) {
    ImageWindow* window = ActiveImageWindow(Frame(frameWidget));
    if (command == kCmdSave || command == kCmdSaveAs) {
        // Album and calendar windows save through their own subsystems.
        if (!window)
            return false;
        SaveActiveWindow(frameWidget, command == kCmdSaveAs);
        return true;
    }
    if (const int zoom = ZoomOfCommand(command)) {
        if (window)
            window->SetZoom(zoom);
        return true;
    }
    if (command == kCmdUndo) {
        if (window)
            window->Undo();
        return true;
    }
    return false;
}

void SetToolWindowVisible(QWidget* frame, bool visible) {
    (void)frame;
    (void)visible;
}

bool ToolWindowVisible() {
    return false;
}

} // namespace qubex::image
