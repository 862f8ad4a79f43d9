/* The shell's side of the camera link: Data in, Data out, Clock Setup and the event
 * downloads, carried out through the connection library, and the frame's answers to the
 * library's notifications (busy state, download album, single image, mail, upload kinds,
 * the library's dialogs). */
#ifndef QUBEX_CAMERA_COMMANDS_H
#define QUBEX_CAMERA_COMMANDS_H

#include <QJsonObject>

#include <cstdint>

class QDialog;
class QString;
class QWidget;

namespace qubex {
class FrameWindow;
}

namespace qubex::camera {

/* Carries out a camera command (Data in, Data out, Clock Setup) for the frame; false when it
 * is not one. */
bool RunCommand(QWidget* frame, int command);

/* The download of an event: every image into the image folder (event 1) or the mail folder
 * (event 2). */
void EventDownload(FrameWindow* frame, int event);

/* The frame's answer to a notification of the connection library. */
intptr_t OnNotify(FrameWindow* frame, unsigned message, uintptr_t code, intptr_t value);

/* The library's progress dialog while it is on screen, else null: JPEG decoding uses its
 * progress bar meanwhile. */
QWidget* LibraryDialog();

/* The connection library's modeless dialog that the message loop serves now (the last one
 * registered and not yet closed), else null. */
QDialog* ModelessDialog();

/* The camera commands' part of the state dump: mails handed over, files opened singly, the
 * library's dialogs. */
QJsonObject DumpState();

} // namespace qubex::camera

#endif
