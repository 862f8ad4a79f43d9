/* Loading a library's widget side on demand: a plugin beside the library, opened by file name
 * the first time a box or dialog is to be shown, and only when the process already has Qt, so
 * that a command-line run never maps Qt at all. Internal to VokDscMsg and VokExif. */
#ifndef VOK_UI_PLUGIN_H
#define VOK_UI_PLUGIN_H

namespace vokui {

/* Whether Qt Widgets, or Qt Core, is mapped in the process. A QApplication can exist only in
 * the first case, a QCoreApplication only in the second. */
bool WidgetsLoaded();
bool CoreLoaded();

/* The operation symbol of the plugin file (a name such as "libVokDscMsgUi.so") in the folder
 * of the library that holds anchor (any of its functions), or null when either is missing.
 * The plugin stays loaded for the rest of the process. */
void* PluginSymbol(const void* anchor, const char* file, const char* symbol);

} // namespace vokui

#endif
