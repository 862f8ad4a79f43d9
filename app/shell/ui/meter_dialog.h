/* MeterDlg: the progress dialog of long image conversions (progress bar 1036, text lines
 * 1037 and 1038, a Cancel button that only the mail workflow shows). The frame takes no
 * input while it shows. */
#ifndef QUBEX_METER_DIALOG_H
#define QUBEX_METER_DIALOG_H

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace qubex {

class MeterDialog : public QDialog {
    Q_OBJECT
  public:
    MeterDialog(QWidget* frame, const QString& title, bool showCancel = false);
    ~MeterDialog() override;
    /* Line 1037 gets a catalogue text, line 1038 "File Name: %s" with the display name. */
    void SetTexts(int message, const QString& displayName);
    void SetRows(long done, long rows);
    bool cancelled() const { return cancelled_; }

  private:
    QWidget* frame_;
    QProgressBar* bar_;
    QLabel* line1_;
    QLabel* line2_;
    QPushButton* cancel_;
    bool cancelled_ = false;
};

} // namespace qubex

#endif
