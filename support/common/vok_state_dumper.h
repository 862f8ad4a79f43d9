/* The state dump of a program (VOK_STATE_DUMP): the text a producer gives is written by atomic
 * replace once it has stayed the same for two polls (at most 200 ms), at once on SIGUSR1, and
 * when the dumper goes. qubex and qubexmon each supply their own text. */
#ifndef VOK_STATE_DUMPER_H
#define VOK_STATE_DUMPER_H

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

class QTimer;

namespace vokc {

class StateDumper : public QObject {
    Q_OBJECT
  public:
    StateDumper(std::function<QByteArray()> produce, QString path);
    /* Writes a last dump. */
    ~StateDumper() override;
    void WriteNow();

  private:
    void Poll();
    bool Write(const QByteArray& text);
    std::function<QByteArray()> produce_;
    QString path_;
    QTimer* timer_;
    QByteArray seen_;
    QByteArray written_;
};

} // namespace vokc

#endif
