/* Upload from the PC to the camera: the export VokDscCom_RT70_PC2DSC, the upload run with its
 * announce and block sending, and the preparation of a file for the camera. No widget code:
 * the progress dialog comes in through the transfer's DscTransferHooks, the selection dialog
 * (memory full) through the transfer's selection hook. */
#ifndef DSC_UPLOAD_H
#define DSC_UPLOAD_H

#include <stdint.h>

#include "DscEngine.h"

/* Files of a kind and the announce that goes ahead of them. */
struct DscUploadPlan {
    int files;            /* 0 to 2 */
    const char* paths[2]; /* in sending order */
    uint32_t sizes[2];
    uint8_t announce[9]; /* the announce payload (command 21) */
    uint32_t blocks;     /* the progress bar's range */
};

VOK_BEGIN_DECLS

/* The plan of a record for an upload kind and a block size; 0 for kind 0 or a kind
 * outside 1 to 4 (nothing is sent). */
int DscUpload_Plan(const VokUploadRecord* record, int kind, uint32_t blockSize,
                   DscUploadPlan* plan);

/* The upload on the open connection. parent is the progress dialog's parent (null: the
 * owner). Returns DSC_OK or the result that stopped it (92 and 112 after their messages);
 * *sent, when not null, counts the records whose files all reached the camera. */
int DscUpload_Run(VokUploadRecord* records, int32_t count, void* parent, int32_t* sent);

VOK_END_DECLS

/* ---- preparing a file (plain functions over bytes, reached by the tests) ---- */

#include <vector>

/* A 24-bit packed bitmap turned upright for an Exif orientation (2 to 8; others copy it).
 * false when the bitmap is not a whole 24-bit bitmap. */
bool DscDib_Orient(const uint8_t* dib, size_t size, int orientation, std::vector<uint8_t>* out);

/* The camera's picture limits; pictures outside them are fitted into the largest size. */
bool DscUpload_WithinCameraSize(uint32_t width, uint32_t height);

#endif
