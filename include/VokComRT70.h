/* VokComRT70: the camera connection library. Frames every request to the camera as a
 * fixed-size packet, runs the exchange with its retries over the camera link (VokUsb01,
 * loaded by file name), and tells the owner what happens through a registered handler. */
#ifndef VOK_COM_RT70_H
#define VOK_COM_RT70_H

#include <stddef.h>
#include "VokPlatform.h"

/* Notification messages handed to the owner's handler; the values are fixed. */
#define WM_DSC_STATUS 0x470u
#define WM_DSC_CANCEL 0x480u
#define WM_DSC_QUERYFILE 0x490u

/* Codes (wParam) of WM_DSC_STATUS. */
#define DSC_STATUS_CONNECTION 0     /* lParam 1: buffers held; 0: released */
#define DSC_STATUS_ALBUM 1          /* before code 2; answer: the download album */
#define DSC_STATUS_FILE_WRITTEN 2   /* lParam: the connection record */
#define DSC_STATUS_SINGLE_IMAGE 3   /* lParam: the connection record */
#define DSC_STATUS_MAIL_FILE 8      /* lParam: the answer to code 11 */
#define DSC_STATUS_MAIL_END 10      /* lParam: the answer to code 11 */
#define DSC_STATUS_MAIL_START 11    /* answer: mail job, 50 aborts */
#define DSC_STATUS_DIALOG 12        /* lParam: connecting or progress dialog, 0 when closed */
#define DSC_STATUS_BUSY_QUERY 13    /* answer: nonzero when the owner is busy */
#define DSC_STATUS_MODELESS_OPEN 14 /* lParam: the selection, clock or question dialog */
#define DSC_STATUS_MODELESS_CLOSED 15
/* Codes (wParam) of WM_DSC_CANCEL and WM_DSC_QUERYFILE. */
#define DSC_CANCEL_SET 4          /* lParam 0 clears, 1 raises the cancel request */
#define DSC_CANCEL_POLL 5         /* answer: nonzero when a cancel is requested */
#define DSC_CANCEL_DELETE_COUNT 6 /* lParam: images marked for deletion */
#define DSC_CANCEL_DELETE_ALL 7   /* answer: 1 disables "Delete All" */
#define DSC_QUERYFILE_KIND 9      /* lParam: upload record; answer: kind 0 to 4 */

/* Result codes of every exchange and camera operation; 0 is success. */
#define DSC_OK 0
#define DSC_ERR_PIPE 10        /* a pipe could not be opened */
#define DSC_ERR_FRAME 30       /* unknown type, wrong sequence byte or complement */
#define DSC_ERR_REPLY 33       /* reply code or checksum wrong, short read, camera status 3 */
#define DSC_ERR_WRITE 40       /* the request could not be written completely */
#define DSC_ERR_STATUS2 90     /* camera status 2: command cannot be executed */
#define DSC_ERR_MEMFULL 92     /* camera status 4 */
#define DSC_ERR_STATUS5 93     /* camera status 5 */
#define DSC_ERR_NOANSWER 100   /* read preparation failed */
#define DSC_ERR_NOITEM 102     /* the camera has no such item */
#define DSC_ERR_SIZE0 103      /* the camera reported size 0 */
#define DSC_ERR_LINE 106       /* line error on the 1024-byte transport */
#define DSC_ERR_NOTHING 107    /* nothing to transfer */
#define DSC_ERR_STATUS8 111    /* camera status 8 */
#define DSC_ERR_PROTECTED 112  /* camera status 9: card write-protected */
#define DSC_ERR_REPORTED (-1)  /* other failure, already reported */
#define DSC_ERR_INTERLOCK (-2) /* the button monitor kept the camera (tool operations only) */

/* Packet types and their total lengths. */
#define DSC_TYPE_SHORT 8     /* 16 bytes, 10 payload */
#define DSC_TYPE_LIST 16     /* 262 bytes, 256 payload */
#define DSC_TYPE_BLOCK1K 1   /* 1030 bytes, 1024 payload */
#define DSC_TYPE_BLOCK32K 2  /* 32774 bytes, 32768 payload */
#define DSC_HEADER_LENGTH 4  /* type, sequence, complement, code */
#define DSC_TRAILER_LENGTH 2 /* checksum, zero */
#define DSC_BUFFER_SIZE 33792

/* Command codes (requests) and the reply codes they expect. */
#define DSC_CMD_IDENTIFY 2
#define DSC_CMD_SEND_BLOCK 5
#define DSC_CMD_COUNT_IMAGES 7
#define DSC_CMD_COUNT_FOLDERS 10
#define DSC_CMD_LIST_FOLDERS 12
#define DSC_CMD_LIST_IMAGES 14
#define DSC_CMD_DELETE 17
#define DSC_CMD_ANNOUNCE 21
#define DSC_CMD_THUMB_INFO 22
#define DSC_CMD_IMAGE_INFO 26
#define DSC_CMD_READ_BLOCK 30
#define DSC_CMD_END 31
#define DSC_CMD_WRITE_REGISTER 52
#define DSC_CMD_READ_REGISTER 53
#define DSC_CMD_COUNT_ALL 130
#define DSC_CMD_INDEX_INFO 132
#define DSC_CMD_INDEX_READ_BLOCK 133

#define DSC_REPLY_STATUS 1
#define DSC_REPLY_IDENTIFY 3
#define DSC_REPLY_BLOCK 5
#define DSC_REPLY_COUNT_IMAGES 8
#define DSC_REPLY_COUNT_FOLDERS 11
#define DSC_REPLY_LIST_FOLDERS 13
#define DSC_REPLY_LIST_IMAGES 15
#define DSC_REPLY_INFO 29
#define DSC_REPLY_COUNT_ALL 131
#define DSC_REPLY_REGISTER 54

/* Entries per page of the paged listings. */
#define DSC_PAGE_ENTRIES 50

/* The owner's notification handler: called synchronously with the message value, the code
 * (wParam) and the value (lParam); some notifications use its answer. */
typedef intptr_t (*VokDscNotifyHandler)(void* context, unsigned message, uintptr_t wParam,
                                        intptr_t lParam);

VOK_BEGIN_DECLS

/* Clears the connection record and stores the owner, the caption of every box and dialog,
 * the transport flag (1: USB link), the camera variant and the settings file path. */
VOK_API void VokDscCom_SetApplicationInfo(VokOwner owner, const char* title, int32_t transport,
                                          int32_t variant, const char* settingsPath);

/* Registers the owner's notification handler (null removes it). It survives
 * VokDscCom_SetApplicationInfo. */
VOK_API void VokDscCom_SetNotifyHandler(VokDscNotifyHandler handler, void* context);

/* Tool operations (additions for the command-line programs). Each returns a result code
 * (DSC_OK on success). The messages of the exchange are shown where they arise; the
 * others are left to VokDscCom_ReportResult. */

/* Start checks, connection, the monitor wait and identify. DSC_OK leaves the connection open;
 * 1 means the owner answered busy (nothing was touched). */
VOK_API int VokDscCom_Connect(void);
/* End of connection and release of the buffers; harmless when nothing is open. */
VOK_API void VokDscCom_Disconnect(void);
/* The camera variant set by the last identify (1, 2, 4 or 5). */
VOK_API int32_t VokDscCom_GetCameraVariant(void);
VOK_API int VokDscCom_CountFolders(int32_t* count);
/* Fills numbers[0 .. count-1]; count is the value CountFolders gave. */
VOK_API int VokDscCom_GetFolderNumbers(uint16_t* numbers, int32_t count);
VOK_API int VokDscCom_CountImages(uint16_t folder, int32_t* count);
VOK_API int VokDscCom_GetImageNumbers(uint16_t folder, uint16_t* numbers, int32_t count);
/* Kind (1 to 4) and size in bytes of one image, the way the picking transfer asks for them:
 * thumbnail information for the kind, then image information with the kind request. */
VOK_API int VokDscCom_GetImageInfo(uint16_t folder, uint16_t image, int32_t* kind, uint32_t* size);
/* The catalogue message number that reports a result code (0: none). */
VOK_API int VokDscCom_ResultMessage(int result);
/* Shows the message of a result code, if it has one and the exchange has not shown one for
 * it already; returns its number or 0. */
VOK_API int VokDscCom_ReportResult(int result);
/* Nonzero when the library has shown the message of this result where it arose, so that
 * nothing is to be said about it again. */
VOK_API int VokDscCom_ResultShown(int result);
/* How many messages the library has shown since the process started: a caller compares two
 * readings to learn whether a session it ran reported a failure. */
VOK_API uint32_t VokDscCom_MessagesShown(void);

/* Downloads and thumbnails for the tools. Their results: DSC_OK; DSC_ERR_REPORTED when the
 * failure's message has been shown; any other code has not been reported yet. */

/* One camera image by its folder and image numbers. */
typedef struct VokDscImage {
    uint16_t folder;
    uint16_t image;
} VokDscImage;

/* Progress of a download: file index (from 0) of total, block done of blocks. */
typedef void (*VokDscProgress)(void* context, int32_t index, int32_t total, int32_t done,
                               int32_t blocks);

/* Sets the progress report of the downloads below (null removes it). */
VOK_API void VokDscCom_SetProgress(VokDscProgress progress, void* context);
/* Copies every image of the camera into folder (no folder browser; a folder without room
 * gets message 55), numbering on from its DSC files; the owner's handler hears of each file
 * and is polled for a cancel request as in mode 1. *written (may be null) receives the
 * number of files written. */
VOK_API int VokDscCom_DownloadAll(const char* folder, int32_t* written);
/* Copies count images, in that order, into folder the same way; the run stops at the first
 * image that fails, which is then images[*written]. */
VOK_API int VokDscCom_DownloadImages(const VokDscImage* images, int32_t count, const char* folder,
                                     int32_t* written);
/* Fetches the camera's thumbnail of one image (a JPEG) into a new temporary file and puts its
 * path into path (VOK_MAX_PATH bytes); the caller deletes the file. DSC_ERR_NOITEM: the
 * camera has no thumbnail of it (nothing said). */
VOK_API int VokDscCom_FetchThumbnail(uint16_t folder, uint16_t image, char* path);

/* ---- Download from the camera to the PC ---- */

/* Copies images from the camera into a folder on the PC. Mode 0: the selection dialog opens
 * and the user picks images and a folder; modes 1 and 2: every image of the camera goes into
 * the folder kept for the mode ("Path_Image" or "Path_Mail"). Returns 1 when the operation
 * was started or the owner is busy, 0 when the connection could not be started. */
VOK_API int32_t VokDscCom_RT70_DSC2PC(int32_t mode);
/* The highest number among the folder's "DSC?????.???" files (letters in any case; five
 * characters that are not all digits count 0), 0 when there is none, 99999 when the folder
 * holds DSC99999.jpg or DSC99999.mov or no file can be created in it. */
VOK_API int32_t FindLastJpegFile(const char* folder);
/* With flag nonzero: the full path of the last file written into path (VOK_MAX_PATH bytes;
 * empty when none was written). */
VOK_API void VokComUtil_CopyStructData(char* path, int32_t flag);
/* Full path and bare name (VOK_MAX_PATH bytes each), size in bytes and kind (1 to 4) of the
 * last file written. Null arguments are skipped. */
VOK_API void VokComUtil_CopyMailFileData(char* path, char* name, uint32_t* size, int32_t* kind);
/* The name and ending of a full path into out (VOK_MAX_PATH bytes). */
VOK_API void VokUtil_GetFileNameFromFullPath(const char* fullPath, char* out);

/* ---- Upload from the PC to the camera ---- */

/* One file of an upload list, 532 bytes as the design lays it out. The owner fills the sizes
 * (and file B for kinds 2 to 4) when it is asked for the kind (WM_DSC_QUERYFILE 9). */
typedef struct VokUploadRecord {
    char pathA[VOK_MAX_PATH]; /* the file the user chose */
    uint32_t sizeA;
    char pathB[VOK_MAX_PATH]; /* a prepared copy, or empty */
    uint32_t sizeB;
    uint8_t reserved[4];
} VokUploadRecord;
#ifdef __cplusplus
static_assert(sizeof(VokUploadRecord) == 532, "upload record is 532 bytes");
#else
_Static_assert(sizeof(VokUploadRecord) == 532, "upload record is 532 bytes");
#endif

/* Upload kinds: what the owner answers for a record. */
#define DSC_UPLOAD_SKIP 0  /* nothing is sent */
#define DSC_UPLOAD_A 1     /* file A */
#define DSC_UPLOAD_B 2     /* file B */
#define DSC_UPLOAD_MOVIE 3 /* B (its still), then A (the movie) */
#define DSC_UPLOAD_TIFF 4  /* B (its still), then A (the TIFF) */

/* Sends the files of count records into the camera. Returns 1 when the operation ran
 * (whatever its outcome) or the owner was busy, 0 when the connection could not be started.
 * A full camera opens the selection dialog, which keeps the connection until it closes. */
VOK_API int32_t VokDscCom_RT70_PC2DSC(int32_t count, VokUploadRecord* records);

/* Tool operation: the upload on the connection VokDscCom_Connect opened, without any
 * selection dialog. DSC_OK, or the result that ended it (92 memory full, 112
 * write-protected, ...; its message shown). *sent, when not null, receives the number of
 * records whose files all reached the camera. */
VOK_API int VokDscCom_Upload(VokUploadRecord* records, int32_t count, int32_t* sent);

/* Tool operation, the owner's answer to WM_DSC_QUERYFILE: prepares record->pathA for the
 * camera and returns the upload kind. A camera-ready JPEG goes as it is (1); any other JPEG
 * is converted into a camera-form copy, a new file in tempFolder (the temporary folder when
 * null), named in pathB (2); an acceptable TIFF goes whole after a camera-form still made
 * from it, named in pathB (4). Pictures beyond the camera's sizes are
 * fitted into 2048 x 1536, and an Exif orientation other than 1 is turned upright first.
 * 0: the file cannot go to the camera (nothing is left behind). Shows no message. */
VOK_API int32_t VokDscCom_PrepareUploadFile(VokUploadRecord* record, const char* tempFolder);

/* Tool operation, the owner's answer to WM_DSC_QUERYFILE for a movie that it found fit for the
 * camera: the movie's first picture (a packed bitmap of stillSize bytes) becomes a camera-form
 * still in tempFolder, named in pathB, whose maker note tells a motion movie (motion nonzero)
 * from a picture with sound and says whether the movie has sound; the still goes first, then
 * the movie (3). 0 when the still cannot be made (nothing is left behind). Shows no message. */
VOK_API int32_t VokDscCom_PrepareUploadMovie(VokUploadRecord* record, const char* tempFolder,
                                             const void* still, uint32_t stillSize, int32_t motion,
                                             int32_t sound);

/* ---- Clock, deletion and button reset ---- */

/* Runs the clock dialog VOKDLGCOM_TIME over its own connection. 1 when the dialog was shown
 * or the owner was busy, 0 when the connection could not be made. */
VOK_API int32_t VokDscCom_RT70_TimeSetup(void);

/* Identifies the camera once, which clears its pending button event. 1 when the camera was
 * reached (whatever the identify result) or the owner was busy, 0 otherwise. */
VOK_API int32_t VokDscCom_ResetButtonStatus(void);

/* The camera's clock; hour 0 to 23. */
typedef struct VokClock {
    int32_t year, month, day, hour, minute;
} VokClock;

/* Control identifiers of the clock fields, as the validation names the field in error. */
#define DSC_CLOCK_YEAR 1039
#define DSC_CLOCK_MONTH 1040
#define DSC_CLOCK_DAY 1041
#define DSC_CLOCK_HOUR 1044
#define DSC_CLOCK_MINUTE 1045

/* The clock dialog's validation of its fields (hour in 12-hour form, 0 to 11), in its
 * order: 0 when valid, else the identifier of the first field in error. */
VOK_API int32_t VokDscCom_CheckClockFields(int32_t year, int32_t month, int32_t day, int32_t hour12,
                                           int32_t minute);

/* Tool operations on the open connection: the three clock registers read (waiting 100 ms
 * before each) or written in the order year, date, time. */
VOK_API int VokDscCom_ReadClock(VokClock* clock);
VOK_API int VokDscCom_WriteClock(const VokClock* clock);

/* Tool operation: deletes images without asking, as the deletion's "Delete All" does,
 * walking from the last entry to the first: status 2 shows message 4, a write-protected
 * card message 19, and either ends the walk. deleted[i] (count entries, may be null)
 * becomes 1 for each image that was deleted. DSC_OK, 90, 112 or the result that ended it. */
VOK_API int VokDscCom_DeleteImages(const uint16_t* folders, const uint16_t* images, int32_t count,
                                   int32_t* deleted);

VOK_END_DECLS

#endif
