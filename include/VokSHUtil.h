/* VokSHUtil: the suite's folder browser. One modal dialog with a tree of the file system's
 * folders and a button that creates a new folder inside the selected one; the programs and the
 * connection library use it wherever the user picks a destination folder. */
#ifndef VOK_SHUTIL_H
#define VOK_SHUTIL_H

#include "VokPlatform.h"

VOK_BEGIN_DECLS

/* Shows the folder browser over owner (a QWidget* or null) and waits for the user. path is a
 * buffer of VOK_MAX_PATH bytes: on entry the folder to show first (empty: the home folder; a
 * folder that does not exist: its deepest existing part), on OK the chosen folder (UTF-8,
 * at most 259 bytes). Returns 1 after OK; 0 after Cancel, without a QApplication or with a
 * null buffer, the buffer then holding what it held before. Call it from the GUI thread. */
VOK_API int VokSHBrowseFolder(VokOwner owner, char* path);

/* Sets the caption of the library's message boxes (empty until set; null empties it).
 * number is kept for compatibility and not used. Returns 1. */
VOK_API int VokSHLibSetMsgTitle(int number, const char* caption);

VOK_END_DECLS

#endif
