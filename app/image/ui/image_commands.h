/* The image subsystem's side of the frame: opening a file in a window by its type, the image
 * commands (save, print, zoom, editing, capture), and the tool window. */
#ifndef QUBEX_IMAGE_COMMANDS_H
#define QUBEX_IMAGE_COMMANDS_H

class QString;
class QWidget;

namespace qubex::image {

/* Carries out an image command for the frame; false when the subsystem has no such command
 * yet (the frame then does nothing). */
bool RunCommand(QWidget* frame, int command);

/* Opens path in a new window by its detected type, with title as its display name. false
 * when nothing was opened (the reason has been shown). */
bool OpenImageFile(QWidget* frame, const QString& path, const QString& title);

/* The tool window of the editing tools: shown or hidden with Tool On/Off. */
void SetToolWindowVisible(QWidget* frame, bool visible);
bool ToolWindowVisible();

} // namespace qubex::image

#endif
