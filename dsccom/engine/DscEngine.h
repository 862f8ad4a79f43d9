/* The protocol engine of VokComRT70: the connection record, packets, the exchange with its
 * retries, paged listings, waits and the start checks. No widget code lives here; the
 * dialogs plug in through DscUiHooks, and tests replace the link through DscCom_SetLinkOverride. */
#ifndef DSC_ENGINE_H
#define DSC_ENGINE_H

#include <stddef.h>
#include <stdint.h>

#include "VokComRT70.h"
#include "VokMsgNumbers.h"
#include "VokUsb01.h"

/* The camera link operations, bound by name from VokUsb01 (or injected by tests). */
struct DscLink {
    VokUsbHandle (*open_dev)(void);
    VokUsbHandle (*open_file)(const char* pipeName);
    int (*getBulkReadSize)(VokUsbHandle device, uint16_t* value);
    int (*setBulkWriteSize)(VokUsbHandle device, const uint16_t* value);
    int (*preBulkRead)(VokUsbHandle device, const uint16_t* value);
    int (*preBulkRead_RT70)(VokUsbHandle device, const uint16_t* value);
    int (*preBulkWrite_RT70)(VokUsbHandle device, const uint16_t* value);
    int (*WritePipe)(VokUsbHandle pipe, const void* data, uint32_t length, uint32_t* done);
    int (*ReadPipe)(VokUsbHandle pipe, void* data, uint32_t length, uint32_t* done);
    int (*CloseHandle)(VokUsbHandle handle);
};

/* The one connection record of the process. Plain data: SetApplicationInfo clears it. */
struct DscConnection {
    VokOwner owner;
    char appTitle[VOK_MAX_PATH];
    int32_t transport;
    int32_t variant;
    char settingsPath[VOK_MAX_PATH]; /* kept for the caller, not read here */
    int32_t mode;
    uint8_t* sendBuffer; /* DSC_BUFFER_SIZE bytes each while the connection is open */
    uint8_t* recvBuffer;
    uint32_t sendLength; /* total length of the packet in the send buffer */
    uint32_t recvLength; /* bytes that really arrived by the last receive */
    uint32_t fileSize;
    int32_t linkBound;
    DscLink link;
    void* connectDialog;
    void* selectDialog;
    char destFolder[VOK_MAX_PATH];
    char destName[VOK_MAX_PATH];
    int32_t lastNumber;
    uint8_t imageKind;
};

/* Hooks through which the dialog layer shows the connecting dialog. openConnecting returns
 * the dialog, or null when it could not be created; *skipped is set when no dialog is wanted
 * (no graphical application is running). */
struct DscUiHooks {
    void* (*openConnecting)(DscConnection* connection, int* skipped);
    void (*closeConnecting)(DscConnection* connection, void* dialog);
    void (*setWaitCursor)(int on);
};

/* A paged listing goes at most this many pages: the page number travels in one byte. */
#define DSC_MAX_PAGES 256

/* Which block reader runs: the retry rules differ. */
enum DscBlockRead { DSC_BLOCK_THUMBNAIL = 0, DSC_BLOCK_IMAGE = 1 };

/* Catalogue numbers shown by the engine. */
enum DscMessage {
    DSC_MSG_PORT = VOK_MSG_USB_OPEN_FAILED,
    DSC_MSG_CANNOT_EXECUTE = VOK_MSG_COMMAND_FAILED,
    DSC_MSG_TRANSFER = VOK_MSG_TRANSFER_ERROR,
    DSC_MSG_DATA = VOK_MSG_DATA_ERROR,
    DSC_MSG_CAMERA = VOK_MSG_CAMERA_ERROR,
    DSC_MSG_MEMFULL = VOK_MSG_CAMERA_MEMORY_FULL,
    DSC_MSG_ACCESS = VOK_MSG_CAMERA_NOT_REACHED,
    DSC_MSG_READ = VOK_MSG_PORT_READ_FAILED,
    DSC_MSG_MEMORY = VOK_MSG_NO_MEMORY,
    DSC_MSG_LINK_LIBRARY = VOK_MSG_LINK_LIBRARY_MISSING,
    DSC_MSG_UNEXPECTED = VOK_MSG_UNEXPECTED_ERROR,
    DSC_MSG_OTHER_APP = VOK_MSG_CAMERA_IN_USE,
    DSC_TEXT_CONNECTING = VOK_MSG_ESTABLISHING_CONNECTION_WAIT
};

VOK_BEGIN_DECLS

/* The record and its services. */
DscConnection* DscCom_Record(void);
intptr_t DscCom_Notify(unsigned message, uintptr_t wParam, intptr_t lParam);
void DscCom_ShowMessage(int number);
/* How many messages the engine has shown so far. */
unsigned DscCom_MessagesShown(void);
/* A failure is reported once, where it is found: shows message (0: none) and notes that the
 * failure of the running command has been reported; returns result. */
int DscCom_Fail(int result, int message);
/* The note is cleared when a command starts, and read by whoever ends an operation with
 * the command's failure, so that the result-code table does not say it a second time. */
void DscCom_ClearReported(void);
bool DscCom_FailureReported(void);
/* Replaces the box function for tests and the fuzzer (null restores it). */
void DscCom_SetMessageHook(void (*hook)(int number));
void DscCom_SetUiHooks(const DscUiHooks* hooks);
/* Tests: use this link instead of loading VokUsb01 (null restores loading). */
void DscCom_SetLinkOverride(const DscLink* link);
/* Loads VokUsb01 and binds its operations into the record; 0 on success. */
int DscCom_BindLink(DscConnection* connection);

/* Waits, scaled by VOK_TIME_SCALE. Wait dispatches events; Sleep does not. */
double DscCom_TimeScale(void);
void DscCom_Wait(int milliseconds);
void DscCom_Sleep(int milliseconds);
void DscCom_DispatchOne(void);

/* The exchange (packets themselves: DscPacket.h). BuildPacket frames into the send buffer;
 * Exchange sends it and reads one reply into the receive buffer. The response limits of the
 * command table bound only a byte-serial link; on USB the driver's blocking read decides. */
int DscCom_BuildPacket(int type, uint8_t sequence, uint8_t command, uint32_t payloadLength,
                       const void* payload);
int DscCom_Exchange(void);
/* The exchange with its retries for an ordinary command: up to three attempts with the
 * same packet, both sequence bytes set to sequence. */
int DscCom_Command(uint8_t command, uint8_t sequence, const void* payload, uint32_t payloadLength,
                   int expectedReply);
/* Reads one block (command 30 or 133) into out, which holds the block size. */
int DscCom_ReadBlock(int reader, uint8_t command, const void* reference, uint32_t referenceLength,
                     uint16_t block, uint8_t selector, uint8_t* out, uint32_t outCapacity);
/* Sends one data block of the announced file (command 5). */
int DscCom_SendBlock(uint32_t blockIndex, const void* data, uint32_t length);
uint32_t DscCom_BlockSize(void);

/* Connection. */
int DscCom_OpenConnection(void);
void DscCom_ReleaseBuffers(void);
void DscCom_CloseConnection(void);
/* Start check 2: 1 when another running qubex program holds the camera. */
int DscCom_OtherOwnerActive(void);
/* The process runs and is a qubex program. */
int DscCom_IsQubexProcess(int32_t pid);
/* The Now_Toking wait; 0 when the monitor let go in time. */
int DscCom_WaitForMonitor(void);
/* Start checks, connection, dialog, monitor wait and identify (and the count of modes 1
 * and 2). Returns DSC_OK with the connection open, 1 for a busy owner, DSC_ERR_INTERLOCK
 * when another owner holds the camera, DSC_ERR_REPORTED or an exchange result otherwise;
 * on failure nothing stays open. *imageTotal receives the count of modes 1 and 2. */
int DscCom_StartConnection(int withDialog, int32_t* imageTotal);
/* The start of an export that opens its own connection in mode: true with the connection
 * open; otherwise false with the export's answer in *answer (1 when a selection dialog or a
 * busy owner holds the camera, 0 when the start failed, its failure already shown). */
bool DscCom_StartExport(int mode, int* answer);
/* Closes the connecting dialog that a successful start left open. */
void DscCom_CloseConnectingDialog(void);

/* Listings and information. */
int DscCom_Identify(void);
int DscCom_CountPaged(uint8_t command, const void* payload, uint32_t payloadLength, int32_t* total);
int DscCom_ListPaged(uint8_t command, const void* payload, uint32_t payloadLength, int32_t count,
                     uint16_t* out);
int DscCom_CountAll(int32_t* total);
int DscCom_ThumbnailInfo(uint16_t folder, uint16_t image, int32_t* kind, uint32_t* size);
int DscCom_ImageInfo(uint16_t folder, uint16_t image, uint8_t kindRequest, int32_t* kind,
                     uint32_t* size);

VOK_END_DECLS

#endif
