/* How tests and scripts observe and drive the program from outside: the state dump
 * (VOK_STATE_DUMP: JSON replaced atomically 200 ms after the visible state settles, at once on
 * SIGUSR1, and at exit) and the drive socket (VOK_DRIVE: one command per line). Both exist only
 * when their variable is set. */
#ifndef QUBEX_TEST_HOOKS_H
#define QUBEX_TEST_HOOKS_H

#include <QByteArray>
#include <QObject>

#include "vok_state_dumper.h"

class QLocalServer;
class QLocalSocket;

namespace qubex {

class FrameWindow;

using vokc::StateDumper;

class DriveServer : public QObject {
    Q_OBJECT
  public:
    DriveServer(FrameWindow* frame, StateDumper* dumper, QString path);
    ~DriveServer() override;
    bool listening() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Serve(QLocalSocket* socket);
    void Execute(QLocalSocket* socket, const std::string& line);
    void Answer(const QByteArray& text);
    FrameWindow* frame_;
    StateDumper* dumper_;
    QString path_;
    QLocalServer* server_;
    QLocalSocket* waiting_ = nullptr; /* the client whose command runs now */
};

} // namespace qubex

#endif
