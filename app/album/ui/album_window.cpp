/* The album window and its image buttons: drawing, mouse and keys, marks, renaming, dragging
 * between albums, the clipboard, saving and the close question. Every decision is the album
 * logic's; this file shows it and forwards what the user does. */
#include "album_window.h"

#include "bridge.h"
#include "child_record.h"
#include "image_commands.h"
#include "ini_table.h"
#include "movie_facts.h"
#include "save_rules.h"
#include "settings_file.h"

#include "vok_dib.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QJsonArray>
#include <QJsonObject>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPainter>
#include <QTimer>

#include <cstring>

namespace qubex::album {
namespace {

constexpr char kDibMime[] = "application/x-vok-dib";
constexpr int kButtonWidth = 130;
constexpr int kButtonHeight = 150;

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

std::string Caption(QWidget* frame) {
    return frame ? frame->windowTitle().toStdString() : std::string("qubex");
}

/* A 24-bit packed bitmap as an image ready for drawing. */
QImage ImageOfDib(const Dib& dib) {
    image::DibInfo info;
    if (!image::DibFacts(dib, &info) || info.bits != 24 || info.compression != 0)
        return QImage();
    const QImage rows(dib.data() + info.pixelOffset, int(info.width), int(info.height),
                      qsizetype(info.stride), QImage::Format_BGR888);
    // Bottom-up rows are turned over; the copy no longer refers to the bitmap's bytes.
    QImage upright = info.topDown ? rows.copy() : rows.mirrored();
    return upright.convertToFormat(QImage::Format_RGB32);
}

/* An image from another program's clipboard as a 24-bit packed bitmap. */
Dib DibOfImage(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull())
        return Dib();
    const uint32_t stride = vokc::DibStride(uint32_t(rgb.width()), 24);
    Dib dib(vokc::kDibHeaderSize + size_t(stride) * size_t(rgb.height()));
    vokc::DibHeader h;
    h.width = rgb.width();
    h.height = rgb.height();
    vokc::PutDibHeader(dib.data(), h);
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar* src = rgb.constScanLine(y);
        uint8_t* dst =
            dib.data() + vokc::kDibHeaderSize + size_t(stride) * size_t(rgb.height() - 1 - y);
        for (int x = 0; x < rgb.width(); ++x) {
            dst[3 * x] = src[3 * x + 2];
            dst[3 * x + 1] = src[3 * x + 1];
            dst[3 * x + 2] = src[3 * x];
        }
    }
    return dib;
}

const std::array<std::string, 12>& MonthNames() {
    static std::array<std::string, 12> names;
    static int language = 0;
    if (language != bridge::Language()) {
        language = bridge::Language();
        for (size_t i = 0; i < names.size(); ++i)
            names[i] = bridge::Text(kMsgMonthFirst + int(i));
    }
    return names;
}

AlbumWindow* AlbumOf(QWidget* w) {
    for (; w; w = w->parentWidget())
        if (auto* album = qobject_cast<AlbumWindow*>(w))
            return album;
    return nullptr;
}

} // namespace

/* ---- Free helpers ---- */

QMdiArea* MdiOf(QWidget* frame) {
    return frame ? frame->findChild<QMdiArea*>() : nullptr;
}

std::vector<AlbumWindow*> AlbumWindows(QMdiArea* mdi) {
    std::vector<AlbumWindow*> albums;
    if (mdi)
        for (QMdiSubWindow* sub : mdi->subWindowList(QMdiArea::CreationOrder))
            if (auto* album = qobject_cast<AlbumWindow*>(sub->widget()))
                albums.push_back(album);
    return albums;
}

AlbumSources ProgramSources() {
    AlbumSources s;
    s.pictures.jpegScaled = [](const char* path, uint32_t minWidth, uint32_t minHeight,
                               uint32_t* width, uint32_t* height) {
        return bridge::JpegScaledDib(path, minWidth, minHeight, width, height);
    };
    s.pictures.isMovie = media::IsMovieFile;
    s.pictures.movieFirstPicture = [](const char* path) {
        return media::GetMovieFirstPicture(path);
    };
    s.imageDate = [](const char* path) {
        Date d;
        if (!bridge::ImageDate(path, &d.year, &d.month, &d.day))
            d = Date();
        return d;
    };
    const QColor face = QApplication::palette().color(QPalette::Button);
    s.background = Rgb{uint8_t(face.red()), uint8_t(face.green()), uint8_t(face.blue())};
    return s;
}

bool TakeFileAnswer(QWidget* frame, QString* path, int* type) {
    QVariantList answer;
    if (!frame ||
        !QMetaObject::invokeMethod(frame, "TakeFileAnswer", Qt::DirectConnection,
                                   Q_RETURN_ARG(QVariantList, answer)) ||
        answer.size() != 2)
        return false;
    *path = answer[0].toString();
    *type = answer[1].toInt();
    return true;
}

/* ---- Image button ---- */

ImageButton::ImageButton(AlbumWindow* album, QWidget* parent) : QWidget(parent), album_(album) {
    setObjectName("VOKAlbumButton");
    setProperty(child::kKind, 3);
    setProperty(child::kClass, "VOKAlbumButton");
    setFixedSize(kButtonWidth, kButtonHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    mark_ = new QCheckBox(this);
    mark_->setObjectName("0");
    mark_->setGeometry(10, 116, 15, 15);
    mark_->setFocusPolicy(Qt::NoFocus);
    connect(mark_, &QCheckBox::toggled, this, [this](bool on) {
        const int i = Index();
        if (i >= 0)
            album_->SetMarked(size_t(i), on);
    });
    auto* sunken = new QFrame(this);
    sunken->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    sunken->setLineWidth(1);
    sunken->setGeometry(26, 113, 88, 22);
    name_ = new QLineEdit(this);
    name_->setObjectName("name");
    name_->setGeometry(27, 114, 86, 20);
    name_->setFrame(false);
    name_->setReadOnly(true);
    name_->setMaxLength(int(kMaxShownName));
    name_->setFocusPolicy(Qt::ClickFocus);
    name_->installEventFilter(this);
    connect(name_, &QLineEdit::editingFinished, this, [this] {
        const int i = Index();
        if (i < 0 || name_->isReadOnly() || album_->Renaming())
            return;
        if (album_->Rename(size_t(i), name_->text().toStdString()))
            name_->setReadOnly(true);
        else
            QTimer::singleShot(0, name_, [this] { name_->setFocus(); });
    });
}

int ImageButton::Index() const {
    const Album& a = album_->album();
    for (size_t i = 0; i < a.entries.size(); ++i)
        if (album_->button(i) == this)
            return int(i);
    return -1;
}

void ImageButton::Show(const Entry& entry, const QString& dateText, bool current) {
    thumbnail_ = ImageOfDib(entry.display);
    date_ = dateText;
    current_ = current;
    {
        const QSignalBlocker block(mark_);
        mark_->setChecked(entry.marked);
    }
    if (name_->isReadOnly()) {
        name_->setText(Q(ShownName(entry.path)));
        name_->setCursorPosition(0); // a long name shows its beginning, not its extension
    }
    update();
}

void ImageButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    const QColor face = pal.color(QPalette::Button);
    const QColor light = pal.color(QPalette::Light);
    const QColor shadow = pal.color(QPalette::Dark);
    p.fillRect(rect(), face);
    if (current_) {
        // Pressed: a shadowed inside, black top and left, white bottom and right.
        p.fillRect(QRect(QPoint(4, 4), QPoint(125, 145)), shadow);
        p.fillRect(3, 3, 124, 2, Qt::black);
        p.fillRect(3, 3, 2, 145, Qt::black);
        p.fillRect(3, 146, 125, 2, Qt::white);
        p.fillRect(126, 3, 2, 145, Qt::white);
    } else {
        p.fillRect(3, 3, 124, 2, light);
        p.fillRect(3, 3, 2, 144, light);
        p.fillRect(3, 146, 125, 2, shadow);
        p.fillRect(126, 3, 2, 145, shadow);
    }
    p.setPen(Qt::black);
    p.drawRect(16, 26, 97, 73);
    if (!thumbnail_.isNull())
        p.drawImage(17, 27, thumbnail_);
    if (!date_.isEmpty()) {
        p.setPen(current_ ? Qt::white : pal.color(QPalette::ButtonText));
        const QRect box(QPoint(12, 8), QPoint(117, 27));
        if (p.fontMetrics().horizontalAdvance(date_) <= box.width())
            p.drawText(box, Qt::AlignCenter, date_);
        else
            p.drawText(QRect(12, 0, 400, 19), Qt::AlignLeft | Qt::AlignBottom, date_);
    }
}

void ImageButton::mousePressEvent(QMouseEvent* event) {
    const int i = Index();
    if (event->button() != Qt::LeftButton || i < 0)
        return;
    album_->SetCurrent(i);
    album_->setFocus();
    dragging_ = true;
    setCursor(Qt::DragCopyCursor);
}

void ImageButton::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_)
        return;
    dragging_ = false;
    unsetCursor();
    const int i = Index();
    if (i < 0)
        return;
    album_->DropEntryOn(size_t(i), QApplication::widgetAt(event->globalPosition().toPoint()));
}

void ImageButton::mouseDoubleClickEvent(QMouseEvent* event) {
    const int i = Index();
    if (event->button() == Qt::LeftButton && i >= 0)
        album_->OpenEntry(size_t(i));
}

bool ImageButton::eventFilter(QObject* watched, QEvent* event) {
    // A click into the name field makes it editable for renaming.
    if (watched == name_ && event->type() == QEvent::MouseButtonPress && name_->isReadOnly()) {
        const int i = Index();
        if (i >= 0)
            album_->SetCurrent(i);
        name_->setReadOnly(false);
        typed_ = name_->text();
    }
    // Leaving the field without a change ends the editing; a change is renamed on its own.
    if (watched == name_ && event->type() == QEvent::FocusOut && !name_->isReadOnly() &&
        !album_->Renaming() && name_->text() == typed_)
        name_->setReadOnly(true);
    return QWidget::eventFilter(watched, event);
}

/* ---- Album window ---- */

AlbumWindow::AlbumWindow(QWidget* frame, Album album, AlbumSources sources)
    : frame_(frame), album_(std::move(album)), sources_(std::move(sources)), canvas_(new QWidget) {
    setObjectName("VOKAlbumChild");
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    setWidget(canvas_);
    setWidgetResizable(false);
    canvas_->setAutoFillBackground(true);
    for (size_t i = 0; i < album_.entries.size(); ++i) {
        buttons_.push_back(new ImageButton(this, canvas_));
        Refresh(i);
    }
    LayOut();
}

AlbumWindow::~AlbumWindow() = default;

QMdiSubWindow* AlbumWindow::subWindow() const {
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (auto* sub = qobject_cast<QMdiSubWindow*>(w))
            return sub;
    return nullptr;
}

void AlbumWindow::Message(int number) {
    if (number != kMsgNone)
        bridge::ShowMessage(this, number, Caption(frame_));
}

void AlbumWindow::Refresh(size_t index) {
    buttons_[index]->Show(album_.entries[index],
                          Q(DateText(album_.entries[index].date, MonthNames())),
                          int(index) == album_.current);
}

void AlbumWindow::LayOut() {
    const Size pref = PreferredClientSize(int(album_.entries.size()));
    canvas_->resize(int(pref.width), int(pref.height));
    for (size_t i = 0; i < buttons_.size(); ++i) {
        const Point at = ButtonPosition(i);
        buttons_[i]->move(at.x, at.y);
        buttons_[i]->show();
    }
    QMdiSubWindow* sub = subWindow();
    if (sub && !sub->isMaximized() && !sub->isMinimized()) {
        // The sub-window takes the preferred size, never more than the MDI area shows.
        const QSize extra = sub->size() - size();
        QSize want = QSize(int(pref.width), int(pref.height)) + extra;
        if (QWidget* area = sub->parentWidget())
            want = want.boundedTo(area->size());
        sub->resize(want);
    }
    Publish();
}

void AlbumWindow::Publish() {
    const Album& a = album_;
    setProperty(child::kKind, 2);
    setProperty(child::kClass, "VOKAlbumChild");
    setProperty(child::kPath, Q(a.path));
    setProperty(child::kHasDocument, true);
    setProperty(child::kModified, a.modified);
    setProperty(child::kDisplayName, Q(a.title));
    const bool selected = a.current >= 0 && size_t(a.current) < a.entries.size();
    setProperty(child::kAlbumSelection, selected);
    setProperty(child::kAlbumSelectedName,
                selected ? Q(ShownName(a.entries[size_t(a.current)].path)) : QString());
    int marked = 0;
    QJsonArray entries;
    for (const Entry& e : a.entries) {
        marked += e.marked ? 1 : 0;
        entries.append(
            QJsonObject{{"path", Q(e.path)}, {"name", Q(ShownName(e.path))}, {"marked", e.marked}});
    }
    setProperty(child::kAlbumMarked, marked);
    setProperty(child::kDumpExtra, QJsonObject{{"entries", entries}, {"current", a.current}});
    setWindowTitle(Q(a.title));
    if (QMdiSubWindow* sub = subWindow())
        sub->setWindowTitle(Q(a.title));
}

/* The new last entry's button once adding succeeded, else the message rc names. */
int AlbumWindow::Added(int rc) {
    if (rc != kMsgNone) {
        Message(rc);
        return rc;
    }
    buttons_.push_back(new ImageButton(this, canvas_));
    Refresh(buttons_.size() - 1);
    LayOut();
    return kMsgNone;
}

int AlbumWindow::AddPicture(const std::string& path, const Dib& picture) {
    return Added(AddEntry(&album_, path, picture, sources_));
}

int AlbumWindow::AddFile(const std::string& path) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int rc = AddImageFile(&album_, path, sources_);
    QApplication::restoreOverrideCursor();
    return Added(rc);
}

void AlbumWindow::SetCurrent(int index) {
    const int before = album_.current;
    album_.current = index;
    for (int i : {before, index})
        if (i >= 0 && size_t(i) < buttons_.size())
            Refresh(size_t(i));
    if (index >= 0 && size_t(index) < buttons_.size())
        ensureWidgetVisible(buttons_[size_t(index)], 5, 5);
    Publish();
}

void AlbumWindow::MoveCurrent(Key key) {
    const int next = album::MoveCurrent(album_.current, album_.entries.size(), key);
    if (next != album_.current)
        SetCurrent(next);
}

void AlbumWindow::SetMarked(size_t index, bool marked) {
    if (index >= album_.entries.size() || album_.entries[index].marked == marked)
        return;
    album_.entries[index].marked = marked;
    album_.modified = true; // marks are saved with the album
    Refresh(index);
    Publish();
}

bool AlbumWindow::Rename(size_t index, const std::string& typedName) {
    if (renaming_ || index >= album_.entries.size())
        return false;
    renaming_ = true;
    const RenamePlan plan = RenameEntry(&album_, index, typedName);
    const bool renamed = !plan.newPath.empty() && album_.entries[index].path == plan.newPath;
    if (plan.message == kMsgBadNameChars)
        bridge::ShowErrorText(this, kMsgBadNameChars,
                              BadNameCharsText(bridge::Text(kMsgBadNameChars)), Caption(frame_));
    else
        Message(plan.message);
    // Refusals the user can correct keep the field; after 46 it shows the old name again.
    bool done = renamed || plan.message == kMsgNone || plan.message == kMsgFileMissing ||
                plan.message == kMsgRenameFailed;
    if (plan.restoreOldName) {
        buttons_[index]->nameField()->setText(Q(ShownName(album_.entries[index].path)));
        buttons_[index]->nameField()->setCursorPosition(0);
    }
    renaming_ = false;
    if (done) {
        buttons_[index]->nameField()->setReadOnly(true);
        Refresh(index);
        Publish();
    }
    return done;
}

void AlbumWindow::OpenEntry(size_t index) {
    if (index >= album_.entries.size())
        return;
    const QString path = Q(album_.entries[index].path);
    if (QMdiArea* mdi = MdiOf(frame_))
        for (QMdiSubWindow* sub : mdi->subWindowList()) {
            QWidget* w = sub->widget();
            if (w && w->property(child::kKind).toInt() == 1 &&
                w->property(child::kPath).toString() == path) {
                bridge::ShowMessage(this, kMsgAlreadyOpen, Caption(frame_));
                if (sub->isMinimized())
                    sub->showNormal();
                mdi->setActiveSubWindow(sub);
                return;
            }
        }
    image::OpenImageFile(frame_, path, Q(FileTitle(album_.entries[index].path)));
}

bool AlbumWindow::DropEntryOn(size_t index, QWidget* target) {
    AlbumWindow* to = AlbumOf(target);
    if (index >= album_.entries.size() || !DropAddsEntry(&album_, to ? &to->album_ : nullptr))
        return false;
    const Entry& e = album_.entries[index];
    if (to->AddPicture(e.path, e.stored) != kMsgNone)
        return false;
    if (QMdiSubWindow* sub = to->subWindow())
        if (QMdiArea* mdi = sub->mdiArea())
            mdi->setActiveSubWindow(sub);
    return true;
}

void AlbumWindow::Copy() {
    if (album_.current < 0 || size_t(album_.current) >= album_.entries.size())
        return;
    const ClipboardPayload p = MakeClipboardPayload(album_.entries[size_t(album_.current)]);
    auto* mime = new QMimeData;
    mime->setText(QString::fromUtf8(p.text.c_str()));
    mime->setImageData(ImageOfDib(p.dib));
    mime->setData(kDibMime,
                  QByteArray(reinterpret_cast<const char*>(p.dib.data()), qsizetype(p.dib.size())));
    QApplication::clipboard()->setMimeData(mime);
}

void AlbumWindow::Cut() {
    if (album_.current < 0 || size_t(album_.current) >= album_.entries.size())
        return;
    Copy();
    const size_t index = size_t(album_.current);
    RemoveEntry(&album_, index);
    delete buttons_[index];
    buttons_.erase(buttons_.begin() + long(index));
    if (album_.current >= 0)
        Refresh(size_t(album_.current));
    LayOut();
}

void AlbumWindow::Paste() {
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    Dib dib;
    std::string text;
    if (mime) {
        if (mime->hasFormat(kDibMime)) {
            const QByteArray bytes = mime->data(kDibMime);
            dib.assign(bytes.begin(), bytes.end());
        } else if (mime->hasImage()) {
            dib = DibOfImage(qvariant_cast<QImage>(mime->imageData()));
        }
        text = mime->text().trimmed().toStdString();
    }
    const PasteData d = ReadClipboardPayload(dib, text);
    if (d.message != kMsgNone) {
        Message(d.message);
        return;
    }
    AddPicture(d.path, d.dib);
}

bool AlbumWindow::Save(bool askName) {
    std::string path = album_.path;
    if (askName || path.empty()) {
        QString chosen;
        int type = 0;
        if (!TakeFileAnswer(frame_, &chosen, &type)) {
            const SettingsFile ini(DefaultIniPath());
            const int language = bridge::Language();
            std::string label = image::DescribeSaveType(image::kSaveAlbum, language).label;
            label = label.substr(0, label.find('('));
            QFileDialog dialog(this, Q(bridge::Text(338)));
            dialog.setObjectName("FILESAVE");
            dialog.setOption(QFileDialog::DontUseNativeDialog);
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setNameFilter(Q(label) + "(*.alb *.ALB)");
            dialog.setDirectory(Q(ini.ReadText(QUBEX_SEC_APP, "dir",
                                               QDir::currentPath().toStdString().c_str(), 260)));
            if (!album_.path.empty())
                dialog.selectFile(Q(album_.path));
            if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
                return false;
            chosen = dialog.selectedFiles().first();
            ini.WriteText(QUBEX_SEC_APP, "dir", QFileInfo(chosen).absolutePath().toStdString());
        }
        path = WithAlbumExtension(QFileInfo(chosen).absoluteFilePath().toStdString());
        for (AlbumWindow* other : AlbumWindows(MdiOf(frame_)))
            if (other != this && !other->album_.path.empty() &&
                SameImage(other->album_.path, path)) {
                bridge::ShowErrorText(this, 184, bridge::TextWith(184, path), Caption(frame_));
                return false;
            }
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int rc = SaveAlbum(&album_, path);
    QApplication::restoreOverrideCursor();
    Publish();
    if (rc != kMsgNone) {
        Message(rc);
        return false;
    }
    return true;
}

void AlbumWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left:
        MoveCurrent(Key::Left);
        return;
    case Qt::Key_Right:
        MoveCurrent(Key::Right);
        return;
    case Qt::Key_Up:
        MoveCurrent(Key::Up);
        return;
    case Qt::Key_Down:
        MoveCurrent(Key::Down);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter in a name field ends the renaming there; the line edit passes it on.
        if (qobject_cast<QLineEdit*>(QApplication::focusWidget()))
            return;
        if (album_.current >= 0)
            OpenEntry(size_t(album_.current));
        return;
    default:
        QScrollArea::keyPressEvent(event);
    }
}

void AlbumWindow::closeEvent(QCloseEvent* event) {
    if (album_.modified) {
        // The save prompt of a document: Yes saves and closes only when saved.
        const int answer =
            bridge::AskYesNoCancel(this, 151, bridge::TextWith(151, album_.title), Caption(frame_));
        if (answer == 2 || (answer == 6 && !Save(false))) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

void AlbumWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void AlbumWindow::dropEvent(QDropEvent* event) {
    // Files dropped from the desktop are added as Add to Album adds them.
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile() &&
            AddFile(QFileInfo(url.toLocalFile()).absoluteFilePath().toStdString()) == kMsgAlbumFull)
            break;
    event->acceptProposedAction();
}

} // namespace qubex::album
