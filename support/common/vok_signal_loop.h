/* Signals turned into events: the handler only writes a byte to a socket pair whose other end
 * the event loop watches, so that what a signal asks for runs in the loop, where any call is
 * safe. */
#ifndef VOK_SIGNAL_LOOP_H
#define VOK_SIGNAL_LOOP_H

#include <QObject>

#include <functional>

namespace vokc {

/* From now on runs act in context's thread whenever signal number arrives, until context goes;
 * false when the socket pair cannot be made (the signal then keeps its handling). */
bool OnSignalInLoop(int number, QObject* context, std::function<void()> act);

} // namespace vokc

#endif
