/* The image subsystem's side of the frame: opening a file in a window by its type, the image
 * commands (save, print, zoom, editing, capture), and the tool window. */
#ifndef QUBEX_IMAGE_COMMANDS_H
#define QUBEX_IMAGE_COMMANDS_H

#include <string>
#include <vector>

class QString;
class QWidget;

namespace qubex::image {

class ImageWindow;

/* Carries out an image command for the frame; false when the subsystem has no such command
 * yet (the frame then does nothing). */
bool RunCommand(QWidget* frame, int command);

/* Opens path in a new window by its detected type, with title as its display name. false
 * when nothing was opened (the reason has been shown). */
bool OpenImageFile(QWidget* frame, const QString& path, const QString& title);

/* Opens albums, calendars and movies for OpenImageFile: their subsystems register one. */
using FileOpener = bool (*)(QWidget* frame, const QString& path, const QString& title);
void SetFileOpener(int fileType, FileOpener opener);

/* A new image window for a bitmap (source type 1 BMP, 2 JPEG, 4 calendar, 7 TIFF) at the
 * initial zoom of the MDI area; nullptr after the message that says why. */
ImageWindow* CreateImageWindow(QWidget* frame, std::vector<unsigned char> dib,
                               const std::string& path, const std::string& displayName,
                               int sourceType);

/* File Save (askName false) and Save As of the active image window. */
bool SaveActiveWindow(QWidget* frame, bool askName);
/* The same for one image window (the close question saves the window that closes). */
bool SaveWindow(QWidget* frame, ImageWindow* window, bool askName);

/* The tool window of the editing tools: shown or hidden with Tool On/Off. */
void SetToolWindowVisible(QWidget* frame, bool visible);
bool ToolWindowVisible();

} // namespace qubex::image

#endif
