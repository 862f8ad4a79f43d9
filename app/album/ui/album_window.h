/* The album window (VOKAlbumChild): the MDI child that shows one album as a grid of image
 * buttons (VOKAlbumButton), forwards clicks, keys, marks, renames, drags, the clipboard and
 * saving to the album logic, and tells the frame what it is through the child properties. */
#ifndef QUBEX_ALBUM_WINDOW_H
#define QUBEX_ALBUM_WINDOW_H

#include "album_model.h"

#include <QScrollArea>

#include <vector>

class QCheckBox;
class QLineEdit;
class QMdiArea;
class QMdiSubWindow;

namespace qubex::album {

class AlbumWindow;

/* One entry's button: thumbnail, date, selection mark and name field. */
class ImageButton : public QWidget {
    Q_OBJECT
  public:
    ImageButton(AlbumWindow* album, QWidget* parent);
    /* Shows entry's thumbnail, date, mark and name; current draws the pressed face. */
    void Show(const Entry& entry, const QString& dateText, bool current);
    QCheckBox* markBox() const { return mark_; }
    QLineEdit* nameField() const { return name_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    int Index() const;
    AlbumWindow* album_;
    QImage thumbnail_;
    QString date_;
    QString typed_; // the name when editing began
    bool current_ = false;
    bool dragging_ = false;
    QCheckBox* mark_;
    QLineEdit* name_;
};

class AlbumWindow : public QScrollArea {
    Q_OBJECT
  public:
    /* An empty album window, or one filled from album (read from a file). */
    AlbumWindow(QWidget* frame, Album album, AlbumSources sources);
    ~AlbumWindow() override;

    const Album& album() const { return album_; }
    QWidget* frame() const { return frame_; }
    ImageButton* button(size_t index) const { return buttons_.at(index); }
    QMdiSubWindow* subWindow() const;

    /* The one add step with its messages; 0 when added. */
    int AddPicture(const std::string& path, const Dib& picture);
    /* Add to Album for one file by its type, with its messages; 0 when added. */
    int AddFile(const std::string& path);
    void SetCurrent(int index);
    void MoveCurrent(Key key);
    void SetMarked(size_t index, bool marked);
    /* The name field's text after editing: renames the file with every check; false when
     * the field must keep the focus. */
    bool Rename(size_t index, const std::string& typedName);
    bool Renaming() const { return renaming_; }
    void OpenEntry(size_t index);
    /* Copies the entry into the album under target (a widget of another album window); a
     * widget of this album or of no album changes nothing. true when an entry was added. */
    bool DropEntryOn(size_t index, QWidget* target);

    void Copy();
    void Cut();
    void Paste();
    /* Save (without a dialog when the album has a file) or Save As; true when written. */
    bool Save(bool askName);
    /* Buttons at their grid places; the sub-window at the preferred size. */
    void LayOut();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void Message(int number);
    void Refresh(size_t index);
    int Added(int rc);
    void Publish();
    QWidget* frame_;
    Album album_;
    AlbumSources sources_;
    QWidget* canvas_;
    std::vector<ImageButton*> buttons_;
    bool renaming_ = false;
};

/* The album windows of the frame's MDI area, in creation order. */
std::vector<AlbumWindow*> AlbumWindows(QMdiArea* mdi);
QMdiArea* MdiOf(QWidget* frame);
/* The image library's functions, the movie reader and the platform's button-face colour for
 * the album logic. */
AlbumSources ProgramSources();
/* The frame's next file-dialog answer (drive socket): path and type, or nothing. */
bool TakeFileAnswer(QWidget* frame, QString* path, int* type);

} // namespace qubex::album

#endif
