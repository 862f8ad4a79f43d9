/* VOKDLGCOM_PREVIMG, the selection dialog's status window: one line of catalogue text over
 * the dialog while folders or thumbnails are fetched; text 228 blinks once a second. */
#ifndef DSC_STATUS_WINDOW_H
#define DSC_STATUS_WINDOW_H

#include <QDialog>
#include <QString>
#include <QTimer>

class QLabel;

class DscStatusWindow : public QDialog {
  public:
    explicit DscStatusWindow(QWidget* parent);
    /* Shows catalogue text number centred over the widget, and lets it paint at once. */
    void showText(int number, QWidget* over);
    void close();

  private:
    QLabel* text_ = nullptr;
    QTimer blink_;
    QString message_;
    bool shown_ = true;
};

#endif
