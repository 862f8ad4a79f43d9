/* The start-up picture (WaitBMPDlgBox), shown while movie playback starts, and the about box
 * (AboutDlg) with the same picture. */
#ifndef QUBEX_STARTUP_PICTURE_H
#define QUBEX_STARTUP_PICTURE_H

#include <QDialog>
#include <QImage>

class QTimer;

namespace qubex {

/* The picture unscaled in a dialog 6 pixels larger each way, centred on the screen. A left
 * click or OK ends it. */
class PictureDialog : public QDialog {
    Q_OBJECT
  public:
    PictureDialog(QWidget* parent, const QString& objectName, const QString& title);
    bool hasPicture() const { return !picture_.isNull(); }

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    virtual void Finish() { done(1); }

    QImage picture_;
};

/* Ends with 1 after movie playback has started and the picture has shown for a second; with
 * 0 when movie playback cannot start (message 59 shown, onNoMovie called first) or the
 * picture is missing (message 129). */
class StartupPicture : public PictureDialog {
    Q_OBJECT
  public:
    StartupPicture(QWidget* parent, const QString& title, std::function<void()> onNoMovie,
                   std::function<void()> onMovieReady);

  protected:
    void showEvent(QShowEvent* event) override;
    void Finish() override;

  private:
    void SplashInit(); // WM_SPLASHINIT
    std::function<void()> onNoMovie_;
    std::function<void()> onMovieReady_;
    QTimer* timer_ = nullptr;
    bool started_ = false;
    bool finishing_ = false;
};

} // namespace qubex

#endif
