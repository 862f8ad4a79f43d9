// The selection dialog VOKDLGCOM_RT70 ("Image Preview"). A thin layer of widgets: the rules
// live in dsccom/selection, the camera work in the engine; the dialog owns the open
// connection until it ends.
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <utility>

#include "../engine/DscEngine.h"
#include "../housekeeping/DscHousekeeping.h"
#include "../selection/DscSelection.h"
#include "../selection/DscSelectionArt.h"
#include "../transfer/DscTransfer.h"
#include "DscImageButton.h"
#include "DscStatusWindow.h"
#include "ThumbQt.h"
#include "VokDscMsg.h"
#include "vok_owner.h"
#include "vok_text.h"

namespace {

const int kTextImageNumber = 210; // "No.%d"
const int kButtonWidth = 112;
const int kButtonHeight = 108;
const int kFirstButtonId = 1000;

QString catalogue(int number, std::initializer_list<long> values = {}) {
    return QString::fromStdString(vokc::CatalogueText(number, values));
}

class SelectionDialog : public QDialog {
  public:
    explicit SelectionDialog(DscConnection* c, QWidget* owner);
    ~SelectionDialog() override;
    // Opening steps 3 to 5; false when the dialog had to close.
    bool start();

  protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override { finish(); }
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* e) override;
    // The wheel over the grid scrolls it as the wheel over the scroll bar does.
    void wheelEvent(QWheelEvent* e) override {
        if (scrollBar_->isEnabled() && !busy_)
            QCoreApplication::sendEvent(scrollBar_, e);
    }

  private:
    void setState(int state);
    void selectFolder(int index, bool byUser);
    void preview();
    int fetchVisible();
    void freeThumbnails();
    void blankButtons();
    void repaintChanged();
    void click(int button, Qt::KeyboardModifiers keys, bool doubleClick);
    void transfer();
    void deleteSelected();
    void scrollAction(int action);
    void scrollEnded();
    void refetchAfterScroll(); // the deferred request (window message 0x622)
    void showScrollBar(bool enabled);
    void failAndClose(int result);
    void finish();
    QPixmap renderButton(int button, bool focused);
    uint16_t currentFolderNumber() const;

    DscConnection* c_;
    DscStatusWindow* status_;
    DscImageButton* buttons_[DSC_GRID_BUTTONS] = {};
    QComboBox* folderList_;
    QScrollBar* scrollBar_;
    QLabel* total_;
    QPushButton* preview_;
    QPushButton* transfer_;
    QPushButton* delete_;
    QPushButton* exit_;

    std::vector<DscFolderRecord> folders_;
    int current_ = -1;
    std::vector<DscImageRecord> images_;
    std::vector<QPixmap> thumbs_;
    int32_t topIndex_ = 0;
    uint32_t topImage_ = 0;
    uint32_t anchor_ = 0;
    int hasAnchor_ = 0;
    DscScroll scroll_ = {};
    int state_ = DSC_STATE_BUSY;
    bool busy_ = false;
    bool shown_ = false; // thumbnails are shown: clicks count
    bool blanked_ = true;
    bool allEmpty_ = false;
    bool finished_ = false;
    QImage noThumb_;
};

SelectionDialog::SelectionDialog(DscConnection* c, QWidget* owner)
    : QDialog(owner), c_(c), noThumb_(DscArt_NoThumbnail()) {
    setObjectName(QStringLiteral("VOKDLGCOM_RT70"));
    setWindowTitle(QStringLiteral("Image Preview"));
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose, false);
    // No sizing and no maximising: the grid has one size.
    setWindowFlags((windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                    Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) &
                   ~(Qt::WindowMaximizeButtonHint | Qt::WindowContextHelpButtonHint));

    auto* grid = new QGridLayout;
    grid->setSpacing(3);
    for (int i = 0; i < DSC_GRID_BUTTONS; ++i) {
        auto* b = new DscImageButton(this, kButtonWidth, kButtonHeight);
        b->setObjectName(QString::number(kFirstButtonId + i));
        b->render = [this, i](bool focused) { return renderButton(i, focused); };
        b->clicked = [this, i](Qt::KeyboardModifiers keys, bool dbl) { click(i, keys, dbl); };
        grid->addWidget(b, i / DSC_GRID_COLUMNS, i % DSC_GRID_COLUMNS);
        buttons_[i] = b;
    }
    scrollBar_ = new QScrollBar(Qt::Vertical, this);
    scrollBar_->setObjectName(QStringLiteral("1018"));
    scrollBar_->setRange(1, 1);
    scrollBar_->setPageStep(DSC_GRID_ROWS);
    scrollBar_->setEnabled(false);
    scrollBar_->installEventFilter(this);
    connect(scrollBar_, &QScrollBar::actionTriggered, this, [this](int a) { scrollAction(a); });
    grid->addWidget(scrollBar_, 0, DSC_GRID_COLUMNS, DSC_GRID_ROWS, 1);

    auto* side = new QVBoxLayout;
    auto* folderLabel = new QLabel(QStringLiteral("Folder No."), this);
    folderList_ = new QComboBox(this);
    folderList_->setObjectName(QStringLiteral("1017"));
    folderLabel->setBuddy(folderList_);
    connect(folderList_, QOverload<int>::of(&QComboBox::activated), this,
            [this](int index) { selectFolder(index, true); });
    auto* totalRow = new QHBoxLayout;
    total_ = new QLabel(QStringLiteral("0"), this);
    total_->setObjectName(QStringLiteral("1025"));
    total_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    total_->setMinimumWidth(36);
    totalRow->addWidget(new QLabel(QStringLiteral("Total:"), this));
    totalRow->addWidget(total_);
    totalRow->addWidget(new QLabel(QStringLiteral("Image(s)"), this));
    totalRow->addStretch();
    preview_ = new QPushButton(QStringLiteral("&Preview"), this);
    preview_->setObjectName(QStringLiteral("1021"));
    transfer_ = new QPushButton(QStringLiteral("&Transfer"), this);
    transfer_->setObjectName(QStringLiteral("1022"));
    delete_ = new QPushButton(QStringLiteral("&Delete"), this);
    delete_->setObjectName(QStringLiteral("1023"));
    exit_ = new QPushButton(QStringLiteral("E&xit"), this);
    exit_->setObjectName(QStringLiteral("2"));
    for (QPushButton* b : {preview_, transfer_, delete_, exit_})
        b->setAutoDefault(false);
    connect(preview_, &QPushButton::clicked, this, [this] { preview(); });
    connect(transfer_, &QPushButton::clicked, this, [this] { transfer(); });
    connect(delete_, &QPushButton::clicked, this, [this] { deleteSelected(); });
    connect(exit_, &QPushButton::clicked, this, [this] { finish(); });
    side->addWidget(folderLabel);
    side->addWidget(folderList_);
    side->addSpacing(8);
    side->addLayout(totalRow);
    side->addSpacing(16);
    side->addWidget(preview_);
    side->addWidget(transfer_);
    side->addWidget(delete_);
    side->addStretch();
    side->addWidget(exit_);

    auto* top = new QHBoxLayout(this);
    top->addLayout(grid);
    top->addSpacing(8);
    top->addLayout(side);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    status_ = new DscStatusWindow(this);
    setState(DSC_STATE_BUSY);
}

SelectionDialog::~SelectionDialog() {
    // The owner went away with the dialog still open: the connection still has to end.
    if (!finished_ && c_->selectDialog == static_cast<QDialog*>(this)) {
        c_->selectDialog = nullptr;
        DscCom_CloseConnection();
    }
}

uint16_t SelectionDialog::currentFolderNumber() const {
    return current_ >= 0 ? static_cast<uint16_t>(folders_[current_].number) : 0;
}

void SelectionDialog::setState(int state) {
    state_ = state;
    DscControlsEnabled on = DscSel_Controls(state);
    folderList_->setEnabled(on.folderList && !allEmpty_);
    exit_->setEnabled(on.exitButton);
    preview_->setEnabled(on.preview && !allEmpty_);
    transfer_->setEnabled(on.transfer);
    // While an operation runs the grid cannot move under it; the end of each operation puts
    // the scroll bar back.
    if (state == DSC_STATE_BUSY)
        scrollBar_->setEnabled(false);
    delete_->setEnabled(on.deleteButton);
}

bool SelectionDialog::start() {
    // Centred horizontally, at one third of the free height.
    adjustSize();
    QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        QRect area = screen->availableGeometry();
        QSize size = frameGeometry().size();
        move(area.x() + (area.width() - size.width()) / 2,
             area.y() + (area.height() - size.height()) / 3);
    }
    show();
    DscCom_Notify(WM_DSC_STATUS, DSC_STATUS_MODELESS_OPEN,
                  reinterpret_cast<intptr_t>(static_cast<QDialog*>(this)));
    busy_ = true;
    status_->showText(VOK_MSG_GETTING_INFO, this);
    int empty = 0;
    int result = DscSel_ReadFolderList(&folders_, &empty);
    if (result != DSC_OK) {
        status_->close();
        if (result != DSC_ERR_REPORTED)
            DscCom_ShowMessage(DSC_MSG_TRANSFER);
        busy_ = false;
        finish();
        return false;
    }
    allEmpty_ = empty != 0;
    for (const DscFolderRecord& f : folders_)
        folderList_->addItem(QString::asprintf("%03u", static_cast<unsigned>(f.number)));
    folderList_->setCurrentIndex(0);
    busy_ = false;
    selectFolder(0, false);
    if (finished_)
        return false;
    status_->close();
    int count = current_ >= 0 ? folders_[current_].imageCount : 0;
    setState(count == 0 ? DSC_STATE_EMPTY : DSC_STATE_IDLE);
    showScrollBar(false);
    preview_->setFocus();
    return true;
}

void SelectionDialog::freeThumbnails() {
    thumbs_.clear();
    images_.clear();
    topIndex_ = 0;
    topImage_ = 0;
    hasAnchor_ = 0;
    shown_ = false;
}

void SelectionDialog::blankButtons() {
    blanked_ = true;
    for (DscImageButton* b : buttons_)
        b->update();
}

void SelectionDialog::selectFolder(int index, bool byUser) {
    if (busy_ || index < 0 || index >= static_cast<int>(folders_.size()) || index == current_)
        return;
    busy_ = true;
    status_->showText(VOK_MSG_GETTING_INFO, this);
    setState(DSC_STATE_BUSY);
    freeThumbnails();
    current_ = index;
    DscFolderRecord& f = folders_[index];
    int result = DSC_OK;
    if (!f.counted) {
        int32_t n = 0;
        result = DscSel_CountFolderImages(static_cast<uint16_t>(f.number), &n);
        if (result == DSC_OK) {
            f.imageCount = n;
            f.counted = 1;
        }
    }
    status_->close();
    busy_ = false;
    if (result != DSC_OK) {
        if (byUser) {
            DscCom_ShowMessage(DSC_MSG_TRANSFER);
            finish();
            return;
        }
        f.imageCount = 0;
        total_->setText(QStringLiteral("0"));
        setState(DSC_STATE_EMPTY);
        return;
    }
    DscSel_InitRecords(&images_, nullptr, f.imageCount);
    thumbs_.assign(images_.size(), QPixmap());
    total_->setText(QString::number(f.imageCount));
    setState(f.imageCount == 0 ? DSC_STATE_EMPTY : DSC_STATE_IDLE);
    DscSel_ScrollReset(&scroll_, 0);
    showScrollBar(false);
    if (byUser) {
        blankButtons();
        preview_->setFocus();
    }
}

void SelectionDialog::showScrollBar(bool enabled) {
    scrollBar_->blockSignals(true);
    scrollBar_->setRange(1, DscSel_ScrollLast(&scroll_));
    scrollBar_->setPageStep(DSC_GRID_ROWS);
    scrollBar_->setSingleStep(1);
    scrollBar_->setValue(scroll_.position);
    scrollBar_->blockSignals(false);
    scrollBar_->setEnabled(enabled && scroll_.enabled);
}

void SelectionDialog::preview() {
    if (busy_ || finished_ || current_ < 0)
        return;
    setState(DSC_STATE_BUSY);
    busy_ = true;
    status_->showText(VOK_MSG_GETTING_THUMBNAILS, this);
    int32_t count = folders_[current_].imageCount;
    std::vector<DscImageRecord> fresh;
    int result = DscSel_ReadImageNumbers(currentFolderNumber(), count, &fresh);
    if (result != DSC_OK) {
        status_->close();
        busy_ = false;
        setState(DscSel_StateForSelection(images_));
        showScrollBar(shown_);
        return;
    }
    std::vector<int32_t> from = DscSel_CarryOver(images_, &fresh);
    std::vector<QPixmap> freshThumbs(fresh.size());
    for (size_t i = 0; i < fresh.size(); ++i)
        if (from[i] >= 0)
            freshThumbs[i] = thumbs_[from[i]];
    topIndex_ = topImage_ && shown_ ? DscSel_RowStartOf(fresh, topImage_) : 0;
    images_ = std::move(fresh);
    thumbs_ = std::move(freshThumbs);

    result = fetchVisible();
    status_->close();
    if (result != DSC_OK) {
        busy_ = false;
        failAndClose(result);
        return;
    }
    DscSel_ScrollReset(&scroll_, count);
    scroll_.position =
        DscSel_ScrollRequest(&scroll_, DSC_SCROLL_TO, topIndex_ / DSC_GRID_COLUMNS + 1);
    showScrollBar(true);
    shown_ = true;
    busy_ = false;
    setState(DscSel_StateForSelection(images_));
    exit_->setFocus();
}

int SelectionDialog::fetchVisible() {
    for (int32_t i : DscSel_TrimCache(images_, topIndex_)) {
        images_[i].hasThumbnail = 0;
        thumbs_[i] = QPixmap();
    }
    if (topIndex_ < 0 || topIndex_ >= static_cast<int32_t>(images_.size()))
        topIndex_ = 0;
    blanked_ = false;
    DscButtonLayout layout = DscArt_Layout(kButtonWidth, kButtonHeight);
    for (int b = 0; b < DSC_GRID_BUTTONS; ++b) {
        size_t index = static_cast<size_t>(topIndex_) + b;
        if (index < images_.size() && !images_[index].hasThumbnail) {
            DscImageRecord& r = images_[index];
            std::string path;
            uint8_t kind = 0;
            int result = DscSel_FetchThumbnail(currentFolderNumber(),
                                               static_cast<uint16_t>(r.number), &path, &kind);
            if (finished_)
                return DSC_ERR_REPORTED;
            QPixmap pixmap;
            int w = 0, h = 0;
            if (result == DSC_OK) {
                r.kind = kind;
                bool ok = vokthumb::RenderThumbnailPixmap(path.c_str(), layout.thumbArea.width(),
                                                          layout.thumbArea.height(), this,
                                                          c_->appTitle, &pixmap, &w, &h);
                unlink(path.c_str());
                if (!ok)
                    pixmap = QPixmap();
            } else if (result != DSC_ERR_NOITEM) {
                return result;
            }
            if (pixmap.isNull()) {
                pixmap = QPixmap::fromImage(noThumb_);
                w = h = 48;
            }
            thumbs_[index] = pixmap;
            r.hasThumbnail = 1;
            r.thumbWidth = w;
            r.thumbHeight = h;
        }
        if (index < images_.size())
            images_[index].drawnSelected = images_[index].selected;
        buttons_[b]->repaint();
    }
    if (topIndex_ < static_cast<int32_t>(images_.size()))
        topImage_ = images_[topIndex_].number;
    return DSC_OK;
}

QPixmap SelectionDialog::renderButton(int button, bool focused) {
    size_t index = static_cast<size_t>(topIndex_) + button;
    DscButtonLook look = {nullptr, nullptr, QString(), focused};
    if (!blanked_ && index < images_.size() && images_[index].hasThumbnail) {
        look.record = &images_[index];
        look.thumbnail = &thumbs_[index];
        look.labelText = catalogue(kTextImageNumber, {images_[index].number});
    }
    return DscArt_PaintButton(kButtonWidth, kButtonHeight, look);
}

void SelectionDialog::repaintChanged() {
    for (int b = 0; b < DSC_GRID_BUTTONS; ++b) {
        size_t index = static_cast<size_t>(topIndex_) + b;
        if (index < images_.size() && images_[index].drawnSelected != images_[index].selected) {
            images_[index].drawnSelected = images_[index].selected;
            buttons_[b]->repaint();
        }
    }
}

void SelectionDialog::click(int button, Qt::KeyboardModifiers keys, bool doubleClick) {
    size_t index = static_cast<size_t>(topIndex_) + button;
    if (busy_ || !shown_ || blanked_ || index >= images_.size())
        return;
    int k = DSC_CLICK_PLAIN;
    if (keys & Qt::ShiftModifier)
        k = DSC_CLICK_SHIFT;
    else if (keys & Qt::ControlModifier)
        k = DSC_CLICK_CONTROL;
    DscSel_Click(&images_, static_cast<int32_t>(index), k, doubleClick, &anchor_, &hasAnchor_);
    repaintChanged();
    setState(DscSel_StateForSelection(images_));
    if (doubleClick)
        transfer();
}

void SelectionDialog::transfer() {
    if (busy_ || finished_ || current_ < 0)
        return;
    std::vector<DscPickedImage> picked;
    for (const DscImageRecord& r : images_)
        if (r.selected)
            picked.push_back(DscPickedImage{folders_[current_].number,
                                            static_cast<uint16_t>(r.number), r.kind, 0});
    if (picked.empty())
        return;
    busy_ = true;
    setState(DSC_STATE_BUSY);
    int result = DscTransfer_RunPicked(picked.data(), static_cast<int>(picked.size()), this);
    busy_ = false;
    if (finished_)
        return;
    if (result != DSC_OK && result != DSC_TRANSFER_DECLINED && result != DSC_ERR_NOTHING) {
        DscCom_ShowMessage(DSC_MSG_TRANSFER);
        finish();
        return;
    }
    showScrollBar(shown_);
    setState(DscSel_StateForSelection(images_));
    activateWindow();
}

// The Delete button: the deletion run, then the deleted images leave the grid and the
// thumbnails of the new view are fetched.
void SelectionDialog::deleteSelected() {
    if (busy_ || finished_ || current_ < 0 || DscSel_SelectedCount(images_) == 0)
        return;
    busy_ = true;
    setState(DSC_STATE_BUSY);
    int result = DscDel_RunDialogs(this, currentFolderNumber(), &images_);
    busy_ = false;
    if (finished_)
        return;
    if (result != DSC_OK && result != DSC_ERR_STATUS2 && result != DSC_ERR_PROTECTED) {
        failAndClose(result);
        return;
    }
    int32_t top = 0;
    std::vector<int32_t> kept = DscDel_Remaining(images_, topIndex_, &top);
    std::vector<DscImageRecord> records;
    std::vector<QPixmap> thumbs;
    for (int32_t i : kept) {
        records.push_back(images_[i]);
        thumbs.push_back(thumbs_[i]);
    }
    images_ = std::move(records);
    thumbs_ = std::move(thumbs);
    int32_t count = static_cast<int32_t>(images_.size());
    folders_[current_].imageCount = count;
    total_->setText(QString::number(count));
    DscSel_ScrollReset(&scroll_, count);
    scroll_.position = DscSel_ScrollRequest(&scroll_, DSC_SCROLL_TO, top / DSC_GRID_COLUMNS + 1);
    topIndex_ = DscSel_TopIndexForPosition(scroll_.position);
    blankButtons();
    if (count == 0) {
        shown_ = false;
        showScrollBar(false);
        setState(DSC_STATE_EMPTY);
        return;
    }
    busy_ = true;
    setState(DSC_STATE_BUSY);
    result = fetchVisible();
    busy_ = false;
    if (finished_)
        return;
    showScrollBar(result == DSC_OK);
    setState(result == DSC_OK ? DscSel_StateForSelection(images_) : DSC_STATE_EMPTY);
    activateWindow();
}

void SelectionDialog::scrollAction(int action) {
    if (busy_)
        return;
    int a = -1;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        a = DSC_SCROLL_LINE_DOWN;
        break;
    case QAbstractSlider::SliderSingleStepSub:
        a = DSC_SCROLL_LINE_UP;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        a = DSC_SCROLL_PAGE_DOWN;
        break;
    case QAbstractSlider::SliderPageStepSub:
        a = DSC_SCROLL_PAGE_UP;
        break;
    case QAbstractSlider::SliderToMinimum:
        a = DSC_SCROLL_TOP;
        break;
    case QAbstractSlider::SliderToMaximum:
        a = DSC_SCROLL_BOTTOM;
        break;
    case QAbstractSlider::SliderMove:
        a = DSC_SCROLL_TO;
        break;
    default:
        return;
    }
    int32_t p = DscSel_ScrollRequest(&scroll_, a, scrollBar_->sliderPosition());
    scrollBar_->setSliderPosition(p);
    setState(DscSel_StateForSelection(images_));
}

bool SelectionDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == scrollBar_ && scrollBar_->isEnabled()) {
        QEvent::Type t = event->type();
        if (t == QEvent::MouseButtonRelease || t == QEvent::KeyRelease) {
            // The scroll action ends once the bar has handled the release.
            QTimer::singleShot(0, this, [this] { scrollEnded(); });
        } else if (t == QEvent::Wheel) {
            QTimer::singleShot(0, this, [this] { scrollEnded(); });
        }
    }
    return QDialog::eventFilter(watched, event);
}

void SelectionDialog::scrollEnded() {
    if (busy_ || finished_ || !shown_)
        return;
    if (DscSel_TopIndexForPosition(scroll_.position) == topIndex_ && !blanked_ && !scroll_.pending)
        return; // the box did not move
    blankButtons();
    if (DscSel_ScrollEnded(&scroll_))
        QMetaObject::invokeMethod(
            this, [this] { refetchAfterScroll(); }, Qt::QueuedConnection);
}

void SelectionDialog::refetchAfterScroll() {
    if (finished_)
        return;
    if (busy_) { // an operation runs: try again once it is over
        QTimer::singleShot(50, this, [this] { refetchAfterScroll(); });
        return;
    }
    scrollBar_->setEnabled(false);
    setState(DSC_STATE_BUSY);
    busy_ = true;
    topIndex_ = DscSel_ScrollTakeRefetch(&scroll_);
    int result = fetchVisible();
    busy_ = false;
    if (result != DSC_OK) {
        failAndClose(result);
        return;
    }
    showScrollBar(true);
    setState(DscSel_StateForSelection(images_));
}

void SelectionDialog::failAndClose(int result) {
    if (finished_)
        return;
    VokDscCom_ReportResult(result);
    finish();
}

void SelectionDialog::closeEvent(QCloseEvent* e) {
    e->ignore();
    finish();
}

void SelectionDialog::changeEvent(QEvent* e) {
    // A display of 256 colours keeps its fixed palette through Qt; nothing to realise here.
    QDialog::changeEvent(e);
}

void SelectionDialog::finish() {
    if (busy_ || finished_)
        return;
    finished_ = true;
    status_->close();
    hide();
    freeThumbnails();
    folders_.clear();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    DscCom_Wait(1500);
    QApplication::restoreOverrideCursor();
    c_->selectDialog = nullptr;
    deleteLater();
    DscCom_CloseConnection();
}

} // namespace

int DscSel_OpenDialog(DscConnection* c) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        DscCom_ShowMessage(DSC_MSG_UNEXPECTED);
        return 1;
    }
    QWidget* owner = vokc::LiveWidget(c->owner);
    auto* dialog = new SelectionDialog(c, owner);
    c->selectDialog = static_cast<QDialog*>(dialog); // what tests and owners cast back
    dialog->start();
    return 0;
}

namespace {

struct Registration {
    Registration() { DscTransfer_SetSelectionHook(DscSel_OpenDialog); }
} g_registration;

} // namespace
