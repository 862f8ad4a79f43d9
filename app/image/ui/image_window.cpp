/* The image window's widget: what it draws, how it scrolls and zooms, what it tells the frame
 * through the child properties, and the shared undo level. The arithmetic is image_view's. */
#include "image_window.h"

#include "bmp_reader.h"
#include "bridge.h"
#include "child_record.h"
#include "frame_window.h"
#include "image_commands.h"
#include "jpeg_meter.h"
#include "program_strings.h"

#include "VokDscMsg.h"

#include "vok_bytes.h"

#include <QAction>
#include <QCloseEvent>
#include <QJsonObject>
#include <QLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>

#include <climits>
#include <cstring>
#include <set>

namespace qubex::image {
namespace {

constexpr int kMsgMousePosition = 322;

std::set<ImageWindow*>& Windows() {
    static std::set<ImageWindow*> windows;
    return windows;
}

UndoLevel& SharedUndo() {
    static UndoLevel undo;
    return undo;
}

std::string Caption() {
    return ProgramText(STR_PRODUCT, bridge::Language());
}

/* The picture as the screen shows it: run-length and bit-field bitmaps expanded first. */
QImage DisplayImage(const Dib& dib) {
    const Dib copy = MakeDisplayCopy(dib);
    const Dib& shown = copy.empty() ? dib : copy;
    DibInfo d;
    if (!DibFacts(shown, &d) || d.compression != 0 || d.width == 0 || d.height == 0)
        return QImage();
    if (d.bits == 24) {
        // Rows copied as they are: the DIB's blue, green, red order is Qt's BGR888.
        QImage image(int(d.width), int(d.height), QImage::Format_BGR888);
        if (image.isNull())
            return image;
        for (uint32_t y = 0; y < d.height; ++y) {
            const uint32_t stored = d.topDown ? y : d.height - 1 - y;
            memcpy(image.scanLine(int(y)), shown.data() + d.pixelOffset + size_t(stored) * d.stride,
                   size_t(d.width) * 3);
        }
        return image;
    }
    QImage image(int(d.width), int(d.height), QImage::Format_RGB32);
    if (image.isNull())
        return image;
    const uint8_t* table = shown.data() + vokc::GetLe32(shown.data());
    auto entry = [&](uint32_t i) -> QRgb {
        if (i >= d.colors)
            return qRgb(0, 0, 0);
        return qRgb(table[4 * i + 2], table[4 * i + 1], table[4 * i]);
    };
    for (uint32_t y = 0; y < d.height; ++y) {
        const uint32_t stored = d.topDown ? y : d.height - 1 - y;
        const uint8_t* row = shown.data() + d.pixelOffset + size_t(stored) * d.stride;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(int(y)));
        for (uint32_t x = 0; x < d.width; ++x) {
            switch (d.bits) {
            case 1:
                out[x] = entry(row[x / 8] >> (7 - x % 8) & 1);
                break;
            case 4:
                out[x] = entry(x % 2 ? row[x / 2] & 15 : row[x / 2] >> 4);
                break;
            case 8:
                out[x] = entry(row[x]);
                break;
            case 16: {
                const uint32_t p = vokc::GetLe16(row + 2 * x);
                out[x] = qRgb(int(p >> 10 & 31) * 8, int(p >> 5 & 31) * 8, int(p & 31) * 8);
                break;
            }
            case 24:
                out[x] = qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
                break;
            default:
                out[x] = qRgb(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
                break;
            }
        }
    }
    return image;
}

ScrollRequest RequestOf(int action) {
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        return kLineBack;
    case QAbstractSlider::SliderSingleStepAdd:
        return kLineForward;
    case QAbstractSlider::SliderPageStepSub:
        return kPageBack;
    case QAbstractSlider::SliderPageStepAdd:
        return kPageForward;
    case QAbstractSlider::SliderMove:
    case QAbstractSlider::SliderToMinimum:
    case QAbstractSlider::SliderToMaximum:
        return kThumbReleased;
    default:
        return kIgnored;
    }
}

int g_nextId = 1;

} // namespace

ImageWindow::ImageWindow(FrameWindow* frame, ImageDoc doc, Dib preview, int zoom)
    : frame_(frame), doc_(std::move(doc)), preview_(std::move(preview)), id_(g_nextId++) {
    setObjectName("VOKNormalChild");
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    doc_.zoom = zoom;
    for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()}) {
        // Dragging the thumb moves the picture when it is released, as the design's windows do.
        bar->setTracking(false);
        connect(bar, &QAbstractSlider::actionTriggered, this, [this, bar](int action) {
            const ScrollRequest request = RequestOf(action);
            if (request == kIgnored || request == kThumbReleased)
                return;
            const bool across = bar == horizontalScrollBar();
            const int extent = across ? viewport()->width() : viewport()->height();
            bar->setSliderPosition(
                ScrollTarget(request, bar->value(), bar->maximum(), extent, bar->sliderPosition()));
        });
    }
    RebuildDisplay();
    Windows().insert(this);
    UpdateProperties();
}

ImageWindow::~ImageWindow() {
    ForgetWindow(&SharedUndo(), id_);
    Windows().erase(this);
    for (ImageWindow* other : Windows())
        other->UpdateProperties();
    if (Windows().empty()) {
        SetStatusField(1, QString());
        SetStatusField(2, QString());
    }
}

std::vector<ImageWindow*> ImageWindow::All() {
    return {Windows().begin(), Windows().end()};
}

FrameWindow* ImageWindow::Frame() const {
    return qobject_cast<FrameWindow*>(frame_.data());
}

QMdiSubWindow* ImageWindow::SubWindow() const {
    return qobject_cast<QMdiSubWindow*>(parentWidget());
}

void ImageWindow::RebuildDisplay() {
    display_ = DisplayImage(preview_.empty() ? doc_.image : preview_);
    viewport()->update();
}

void ImageWindow::ReplacePicture(Dib dib) {
    DibInfo d;
    if (DibFacts(dib, &d)) {
        doc_.width = d.width;
        doc_.height = d.height;
        doc_.bitCount = d.bits;
        doc_.colorsUsed = d.bits <= 8 ? d.colors : 0;
    }
    doc_.image = std::move(dib);
    preview_.clear();
    RebuildDisplay();
}

QSize ImageWindow::ZoomedSize() const {
    return QSize(int(ZoomedExtent(doc_.width, doc_.zoom)),
                 int(ZoomedExtent(doc_.height, doc_.zoom)));
}

void ImageWindow::UpdateProperties() {
    const bool modified = ImageWindowIsModified(doc_);
    setProperty(child::kKind, int(kChildImage));
    setProperty(child::kClass, "VOKNormalChild");
    setProperty(child::kHasDocument, true);
    setProperty(child::kPath, QString::fromStdString(doc_.path));
    setProperty(child::kDisplayName, QString::fromStdString(doc_.displayName));
    setProperty(child::kModified, modified);
    setProperty(child::kSourceType, doc_.sourceType);
    setProperty(child::kZoom, doc_.zoom);
    setProperty(child::kUndoHere, UndoAvailable(SharedUndo(), id_));
    QJsonObject extra;
    extra["source_type"] = doc_.sourceType;
    extra["zoom"] = doc_.zoom * 100 / 4;
    extra["width"] = int(doc_.width);
    extra["height"] = int(doc_.height);
    extra["bits"] = int(doc_.bitCount);
    extra["scaled_preview"] = !preview_.empty();
    setProperty(child::kDumpExtra, extra);
    const QString title =
        QString::fromStdString(WindowTitle(doc_.displayName, doc_.zoom, modified));
    setWindowTitle(title);
    if (QMdiSubWindow* sub = SubWindow())
        sub->setWindowTitle(title);
}

void ImageWindow::CheckZoomItem() const {
    FrameWindow* frame = Frame();
    if (!frame)
        return;
    const int checked = CommandOfZoom(doc_.zoom);
    for (int command = kCmdZoom25; command <= kCmdZoom400; ++command)
        if (QAction* a = frame->MenuAction(command))
            a->setChecked(command == checked);
}

void ImageWindow::FitWindow() {
    QMdiSubWindow* sub = SubWindow();
    if (!sub)
        return;
    // The frame's extent is known once the child's layout has run: a second pass settles it.
    for (int pass = 0; pass < 2; ++pass) {
        QSize outer = ZoomedSize() + (sub->size() - size());
        if (QMdiArea* area = sub->mdiArea())
            outer = outer.boundedTo(area->viewport()->size());
        sub->resize(outer.expandedTo(sub->minimumSizeHint()));
        if (sub->layout())
            sub->layout()->activate();
    }
    // Its top-left corner stays unless the new size would reach past the area.
    if (QMdiArea* area = sub->mdiArea()) {
        const QSize room = area->viewport()->size();
        sub->move(std::max(0, std::min(sub->x(), room.width() - sub->width())),
                  std::max(0, std::min(sub->y(), room.height() - sub->height())));
    }
}

bool ImageWindow::SetZoom(int zoom) {
    if (!preview_.empty() && ZoomedExtent(doc_.width, zoom) > uint32_t(display_.width()) &&
        !EnsureFullImage())
        return false;
    if (QMdiSubWindow* sub = SubWindow(); sub && (sub->isMinimized() || sub->isMaximized()))
        sub->showNormal();
    doc_.zoom = zoom;
    CheckZoomItem();
    FitWindow();
    UpdateScrollRanges();
    UpdateProperties();
    viewport()->update();
    return true;
}

bool ImageWindow::EnsureFullImage() {
    if (preview_.empty())
        return true;
    Dib full;
    if (!ExtractJpegToDib(Frame(), QString::fromStdString(doc_.path),
                          QString::fromStdString(doc_.displayName), &full))
        return false;
    DibInfo d;
    if (!DibFacts(full, &d) || d.width != doc_.width || d.height != doc_.height) {
        // The file changed under the window: its picture no longer is the one shown.
        bridge::ShowError(frame_, kMsgCannotParse, Caption());
        return false;
    }
    ReplacePicture(std::move(full));
    UpdateProperties();
    return true;
}

bool ImageWindow::ChangeImage(Dib changed, int undoKind) {
    if (!EnsureFullImage())
        return false;
    Dib before = std::move(doc_.image);
    ReplacePicture(std::move(changed));
    RecordChange(&SharedUndo(), id_, std::move(before), undoKind);
    doc_.lastOperation = undoKind;
    ++doc_.changeCount;
    for (ImageWindow* w : Windows())
        w->UpdateProperties();
    return true;
}

bool ImageWindow::Undo() {
    if (!UndoAvailable(SharedUndo(), id_))
        return false;
    if (!bridge::QueryYes(frame_, kMsgUndoQuestion, Caption()))
        return false;
    const uint32_t width = doc_.width;
    ApplyUndo(&SharedUndo(), id_, &doc_);
    RebuildDisplay();
    if (doc_.width != width)
        FitWindow();
    UpdateScrollRanges();
    UpdateProperties();
    return true;
}

void ImageWindow::Saved(Dib converted, const std::string& path, const std::string& displayName,
                        int sourceType) {
    if (!converted.empty())
        ReplacePicture(std::move(converted));
    doc_.path = path;
    doc_.folder = FolderOfPath(path);
    doc_.displayName = displayName;
    doc_.sourceType = sourceType;
    doc_.changeCount = 0;
    doc_.untitled = false;
    UpdateProperties();
}

void ImageWindow::UpdateScrollRanges() {
    // Ranges against the whole window, less a bar only where the other one is needed, so a
    // window that fits its picture shows no bars.
    const QSize zoomed = ZoomedSize();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const bool across = zoomed.width() > width();
    const bool down = zoomed.height() > height();
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    h->setRange(0, ScrollRange(uint32_t(zoomed.width()), width(), down ? bar : 0));
    v->setRange(0, ScrollRange(uint32_t(zoomed.height()), height(), across ? bar : 0));
    h->setPageStep(std::max(viewport()->width(), 1));
    v->setPageStep(std::max(viewport()->height(), 1));
    // Arrow keys and the bars' arrows take the line step above; a wheel notch, which Qt counts
    // as three single steps, moves one line step too.
    const int lineAcross = ScrollTarget(kLineForward, 0, INT_MAX, viewport()->width(), 0);
    const int lineDown = ScrollTarget(kLineForward, 0, INT_MAX, viewport()->height(), 0);
    h->setSingleStep(std::max(lineAcross / 3, 1));
    v->setSingleStep(std::max(lineDown / 3, 1));
}

void ImageWindow::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().window());
    if (display_.isNull())
        return;
    const int zoom = doc_.zoom;
    const int ox = PaintOffset(viewport()->width(), doc_.width, zoom);
    const int oy = PaintOffset(viewport()->height(), doc_.height, zoom);
    const int hpos = horizontalScrollBar()->value();
    const int vpos = verticalScrollBar()->value();
    const SourceSpan sx = VisibleSpan(hpos, viewport()->width(), doc_.width, zoom);
    const SourceSpan sy = VisibleSpan(vpos, viewport()->height(), doc_.height, zoom);
    if (sx.count <= 0 || sy.count <= 0)
        return;
    const double s = zoom * 0.25;
    const QRectF target(ox + sx.first * s - hpos, oy + sy.first * s - vpos, sx.count * s,
                        sy.count * s);
    // The shown picture may be a scaled decoding: image pixels map onto it by its scale.
    const double kx = double(display_.width()) / doc_.width;
    const double ky = double(display_.height()) / doc_.height;
    const QRectF source(sx.first * kx, sy.first * ky, sx.count * kx, sy.count * ky);
    if (std::abs(target.width() - source.width()) > 0.5)
        painter.setRenderHint(QPainter::SmoothPixmapTransform, zoom < kZoom100);
    painter.drawImage(target, display_, source);
}

void ImageWindow::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    // Back to the origin, new ranges, then the old positions as far as they still reach.
    const int h = horizontalScrollBar()->value();
    const int v = verticalScrollBar()->value();
    UpdateScrollRanges();
    horizontalScrollBar()->setValue(h);
    verticalScrollBar()->setValue(v);
}

void ImageWindow::scrollContentsBy(int, int) {
    viewport()->update();
}

void ImageWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        doc_.selectionActive = false;
        SetStatusField(3, QString());
        SetStatusField(4, QString());
        viewport()->update();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void ImageWindow::mouseMoveEvent(QMouseEvent* event) {
    const int zoom = doc_.zoom;
    const QPoint p = event->position().toPoint();
    const int x = ImageCoordinate(p.x(), horizontalScrollBar()->value(),
                                  PaintOffset(viewport()->width(), doc_.width, zoom), zoom);
    const int y = ImageCoordinate(p.y(), verticalScrollBar()->value(),
                                  PaintOffset(viewport()->height(), doc_.height, zoom), zoom);
    if (x >= 0 && y >= 0 && uint32_t(x) < doc_.width && uint32_t(y) < doc_.height) {
        SetStatusField(1, QString::fromStdString(bridge::Text(kMsgMousePosition)));
        SetStatusField(2, QString::fromStdString(PointerText(x, y)));
    }
    QAbstractScrollArea::mouseMoveEvent(event);
}

void ImageWindow::focusOutEvent(QFocusEvent* event) {
    doc_.selectionActive = false;
    for (int field = 1; field <= 4; ++field)
        SetStatusField(field, QString());
    QAbstractScrollArea::focusOutEvent(event);
}

void ImageWindow::closeEvent(QCloseEvent* event) {
    if (!ImageWindowIsModified(doc_)) {
        event->accept();
        return;
    }
    const std::string title = windowTitle().toStdString();
    switch (bridge::AskYesNoCancel(frame_, kMsgSaveQuestion,
                                   bridge::TextWith(kMsgSaveQuestion, title), Caption())) {
    case VOK_IDYES:
        if (SaveWindow(frame_, this, true))
            event->accept();
        else
            event->ignore();
        return;
    case VOK_IDNO:
        event->accept();
        return;
    default:
        event->ignore();
        return;
    }
}

void ImageWindow::SetStatusField(int field, const QString& text) const {
    FrameWindow* frame = Frame();
    if (!frame)
        return;
    if (auto* label = frame->findChild<QLabel*>(QString("700.%1").arg(field)))
        label->setText(text);
}

} // namespace qubex::image
