/* The image window (VOKNormalChild): one picture in an MDI child, shown at its zoom with
 * scroll bars, its title and modified mark, the save question on closing, and the one undo
 * level all image windows share. A JPEG opened below 100 % may show libjpeg's scaled decoding
 * until the full picture is needed (zoom up, a change, a save that converts). */
#ifndef QUBEX_IMAGE_WINDOW_H
#define QUBEX_IMAGE_WINDOW_H

#include "image_view.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QPointer>

class QMdiSubWindow;

namespace qubex {
class FrameWindow;
}

namespace qubex::image {

class ImageWindow : public QAbstractScrollArea {
    Q_OBJECT
  public:
    /* doc holds the picture, or (with preview set) only its facts while preview is a scaled
     * decoding of the JPEG at doc.path. */
    ImageWindow(FrameWindow* frame, ImageDoc doc, Dib preview, int zoom);
    ~ImageWindow() override;

    /* false when the picture could not be made displayable (message 129 is the caller's). */
    bool Displayable() const { return !display_.isNull(); }
    const ImageDoc& doc() const { return doc_; }
    int Id() const { return id_; }
    QMdiSubWindow* SubWindow() const;
    /* The picture's size at the current zoom, the window's client size. */
    QSize ZoomedSize() const;
    /* Resizes the MDI child to the picture at its zoom, never beyond the MDI area; the
     * top-left corner stays unless the window would reach past the area. */
    void FitWindow();
    /* The View command's zoom: restores an iconic or maximised window, resizes it and
     * follows with the scroll ranges. false when the full picture was needed and failed. */
    bool SetZoom(int zoom);
    /* Decodes the full JPEG when only the scaled one is shown (with the meter). */
    bool EnsureFullImage();
    bool ShowsScaledPreview() const { return !preview_.empty(); }
    /* An undoable change: the picture before it becomes the shared undo image. */
    bool ChangeImage(Dib changed, int undoKind);
    /* Edit > Undo for this window: asks message 196, then exchanges the pictures. */
    bool Undo();
    /* The window after a successful save: its new picture, path, name and source type. */
    void Saved(Dib converted, const std::string& path, const std::string& displayName,
               int sourceType);
    /* Properties the frame reads (kind, class, path, modified, zoom, dump keys, undo). */
    void UpdateProperties();
    /* The View menu's check mark at this window's zoom. */
    void CheckZoomItem() const;

    /* Every open image window, in no particular order. */
    static std::vector<ImageWindow*> All();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void RebuildDisplay();
    void UpdateScrollRanges();
    void SetStatusField(int field, const QString& text) const;
    void ReplacePicture(Dib dib);

    /* The frame, or null once it is being destroyed. */
    FrameWindow* Frame() const;

    QPointer<QWidget> frame_;
    ImageDoc doc_;
    Dib preview_; // the scaled decoding shown while doc_.image is empty
    QImage display_;
    int id_;
};

} // namespace qubex::image

#endif
