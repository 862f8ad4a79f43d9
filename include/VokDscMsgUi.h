/* VokDscMsgUi: the widget side of the suite's message box, a plugin that libVokDscMsg opens by
 * file name from its own folder when a box is to be shown in a process that has Qt Widgets.
 * Programs never call it: they show boxes through VokDsc_Msg_Box, which logs and answers them
 * for the test hooks before anything is loaded. */
#ifndef VOK_DSC_MSG_UI_H
#define VOK_DSC_MSG_UI_H

#include "VokPlatform.h"

/* Icons of a box. */
#define VOK_MSG_UI_NO_ICON 0
#define VOK_MSG_UI_CRITICAL 1
#define VOK_MSG_UI_QUESTION 2
#define VOK_MSG_UI_WARNING 3
#define VOK_MSG_UI_INFORMATION 4

/* One box as the catalogue laid it out: buttons (VOK_IDOK, VOK_IDCANCEL, VOK_IDYES, VOK_IDNO)
 * in display order with their texts, the default and the escape button, the icon. */
typedef struct VokMsgUiBox {
    int buttons[3];
    const char* labels[3];
    int count;
    int defaultButton;
    int escapeButton;
    int icon;
} VokMsgUiBox;

VOK_BEGIN_DECLS

/* Shows the box application-modal in the GUI thread of the process's QApplication (a worker
 * thread waits for it), with owner as parent when it is a live widget, the arrow cursor over
 * it and the owner's window raised. Returns the button chosen, or 0 when no QApplication
 * runs (the caller then prints the box instead). */
VOK_API int VokDscMsgUi_Show(VokOwner owner, const VokMsgUiBox* box, const char* text,
                             const char* caption);

VOK_END_DECLS

#endif
