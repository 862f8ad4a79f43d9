/* The tray program around the worker: the notification-area icon and its menu (or, where the
 * desktop has none, no icon at all), the settings dialog, the version box, help, the launch of
 * the main program, the launch messages and a clean exit that waits for the worker. */
#ifndef QUBEXMON_MONITOR_APP_H
#define QUBEXMON_MONITOR_APP_H

#include <QObject>

#include <memory>

#include "monitor_worker.h"

class QMenu;
class QSystemTrayIcon;

namespace qubexmon {

class SettingsDialog;

class MonitorApp : public QObject, public MonHost {
    Q_OBJECT
  public:
    /* link must be loaded. */
    MonitorApp(MonLink* link, int language);
    ~MonitorApp() override;
    void Start();
    /* Removes the icon, stops the worker and ends the event loop. */
    void Exit();
    void ShowSettings();
    void ShowVersion();
    void ShowHelp();
    /* The state dump's text. */
    QByteArray DumpText() const;

    MonLaunch Launch(int event) override;
    void LaunchMessage(int stringId) override;
    void Interrupted() override;
    void Ended() override;

  private:
    QString Text(int id) const;
    int language_;
    std::string ownFolder_;
    MonWorker worker_;
    std::unique_ptr<SettingsDialog> settings_;
    std::unique_ptr<QMenu> menu_;
    QSystemTrayIcon* tray_ = nullptr;
    bool helpOpen_ = false;
};

} // namespace qubexmon

#endif
