/* Download from the camera to the PC: the whole-camera run (modes 1 and 2), the picked run
 * that the selection dialog starts (mode 0), the destination choice and the file naming.
 * No widget code: the dialogs plug in through DscTransferHooks and the selection hook. */
#ifndef DSC_TRANSFER_H
#define DSC_TRANSFER_H

#include <stdint.h>

#include "DscEngine.h"

/* One image picked in the selection dialog, in folder order. kind is the kind the thumbnail
 * information gave (1 to 4), 0 when no thumbnail was fetched. size is informational. */
struct DscPickedImage {
    uint32_t folder;
    uint16_t image;
    uint8_t kind;
    uint32_t size;
};

/* Result of DscTransfer_RunPicked besides DSC_OK and the engine's result codes: the user
 * cancelled the destination choice; the selection dialog simply returns to idle. */
#define DSC_TRANSFER_DECLINED 1

/* Mode 0 hands over to the selection dialog through this hook, registered by the dialog
 * library when it loads. Called with the connection open and the connecting dialog closed.
 * It returns 0 once the dialog is shown: the dialog then owns the connection and closes it
 * (command 31, buffers released) when it ends. Nonzero: the dialog could not be opened and
 * the connection is still open (the caller closes it). */
typedef int (*DscSelectionDialogHook)(DscConnection* connection);

/* Hooks of the transfer dialogs (progress VOKDLGCOM_METER, destination VOKDLGCOM_FOLDER_STATUS).
 * Any of them may be null, and the dialog layer leaves them unset without a graphical
 * application: the run then goes on headless. */
struct DscTransferHooks {
    /* Opens the progress dialog over parent (null: the owner); returns it or null. */
    void* (*openProgress)(DscConnection* connection, void* parent);
    /* Prepares for file index of total: operation line, position 0, Cancel shown or hidden. */
    void (*prepareProgress)(void* dialog, int index, int total);
    void (*setItemLine)(void* dialog, const char* text);
    void (*setRange)(void* dialog, int maximum);
    void (*step)(void* dialog);
    /* Re-enables Cancel after the user answered No to the cancellation question. */
    void (*enableCancel)(void* dialog);
    void (*closeProgress)(void* dialog);
    /* Asks the cancellation question over dialog; nonzero for Yes. */
    int (*askCancel)(void* dialog);
    /* Mode 0 destination dialog: edits folder in place (VOK_MAX_PATH bytes); nonzero for OK. */
    int (*chooseFolder)(DscConnection* connection, void* parent, char* folder);
    /* Folder browser for modes 1 and 2 when the folder is full; nonzero when one was chosen. */
    int (*browseFolder)(DscConnection* connection, char* folder);
    /* The operation line (the upload says it goes the other way). */
    void (*setOperationLine)(void* dialog, const char* text);
};

VOK_BEGIN_DECLS

void DscTransfer_SetSelectionHook(DscSelectionDialogHook hook);
void DscTransfer_SetHooks(const DscTransferHooks* hooks);
/* Progress reports for the tools, in addition to the dialog hooks. */
void DscTransfer_SetProgress(VokDscProgress progress, void* context);
/* The hooks and the selection hand-over as registered, for the upload. */
const DscTransferHooks* DscTransfer_Hooks(void);
DscSelectionDialogHook DscTransfer_SelectionHook(void);

/* The picked run (the Transfer button of the selection dialog, connection open): asks for
 * the destination (folder browser and transfer path dialog over parent), checks the room,
 * then copies each picked image with commands 26 and 30, showing the progress dialog over
 * parent. Errors are reported (result-code table) before returning; the selection dialog
 * then shows message 6 and closes. Returns DSC_OK, DSC_TRANSFER_DECLINED, DSC_ERR_NOTHING
 * or another result code. */
int DscTransfer_RunPicked(const DscPickedImage* images, int count, void* parent);

/* The picked run into a given folder without any destination dialog (tools and tests); the
 * room check still applies (message 55 and DSC_ERR_REPORTED when there is no room). *written,
 * when not null, receives the number of files written. */
int DscTransfer_RunPickedInto(const DscPickedImage* images, int count, const char* folder,
                              void* parent, int32_t* written);

/* The whole-camera run of modes 1 and 2 with the connection open and total images counted
 * (command 130): destination from the settings, files, notifications. Closes nothing.
 * Returns DSC_OK or a result code (already reported). */
int DscTransfer_RunAll(int mode, int32_t total);

/* The whole-camera run into a given folder (tools): counts the images itself (command 130),
 * no folder browser (no room: message 55 and DSC_ERR_REPORTED). *written, when not null,
 * receives the number of files written. */
int DscTransfer_RunAllInto(int mode, const char* folder, int32_t* written);

/* Decisions, exposed for tests. */
/* Kind and block selector from the information reply's kind byte k; 0 when k is refused. */
int DscTransfer_KindSelector(int mode, int k, uint8_t* kind, uint8_t* selector);
/* "DSC%05d" and the ending of kind into out (at least 13 bytes). */
void DscTransfer_FileName(int number, int kind, char* out);
/* Room check: count more files fit after the last number (up to 99999). */
int DscTransfer_HasRoom(int count, int last);
/* The folder exists and a file can be created in it; 0 when it does, else the message
 * number that says why not. */
int DscTransfer_CheckFolder(const char* folder);

VOK_END_DECLS

#endif
