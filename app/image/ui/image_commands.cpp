/* Image commands from the frame. Until image windows are built, each command is accepted and
 * does nothing, and opening a file opens no window. */
#include "image_commands.h"

namespace qubex::image {

bool RunCommand(QWidget* frame, int command) {
    (void)frame;
    (void)command;
    return false;
}

bool OpenImageFile(QWidget* frame, const QString& path, const QString& title) {
    (void)frame;
    (void)path;
    (void)title;
    return false;
}

void SetToolWindowVisible(QWidget* frame, bool visible) {
    (void)frame;
    (void)visible;
}

bool ToolWindowVisible() {
    return false;
}

} // namespace qubex::image
