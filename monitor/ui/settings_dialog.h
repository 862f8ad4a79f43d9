/* The settings dialog DLG_EVENT_CONFIG: the interruption box, the three folders with their
 * browse buttons and the resize options. Modeless; OK writes the settings and hides it. */
#ifndef QUBEXMON_SETTINGS_DIALOG_H
#define QUBEXMON_SETTINGS_DIALOG_H

#include <QDialog>

#include <functional>

#include "monitor_settings.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace qubexmon {

class SettingsDialog : public QDialog {
    Q_OBJECT
  public:
    /* onOk runs after the settings were written, with the interruption box's state; the
     * labels are in the language code's language. */
    SettingsDialog(std::string ownFolder, std::function<void(bool interrupted)> onOk, int language);
    /* Fills the controls from the store and the interruption flag, centres and shows it. */
    void ShowWith(bool interrupted);
    void SetInterrupted(bool interrupted);

  signals:
    void HelpRequested();

  private:
    void Browse(QLineEdit* path);
    void Accept();
    std::string ownFolder_;
    std::function<void(bool)> onOk_;
    QCheckBox* interruption_;
    QLineEdit* application_;
    QLineEdit* image_;
    QLineEdit* mail_;
    QCheckBox* resize_;
    QRadioButton* vga_;
    QRadioButton* qvga_;
};

} // namespace qubexmon

#endif
