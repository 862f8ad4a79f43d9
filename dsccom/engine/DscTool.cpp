// Operations for the command-line programs: a connection held across several calls and
// the listings a tool prints. They reuse the start checks and the exchange unchanged, so a
// tool talks to the camera exactly as the transfer operations do.
#include "DscEngine.h"

namespace {

bool connected() {
    return DscCom_Record()->sendBuffer != nullptr;
}

uint8_t kindRequest(int32_t kind) {
    // The picking transfer asks for a still (0), a TIFF (1) or a movie or memo (2).
    switch (kind) {
    case 2:
        return 1;
    case 3:
    case 4:
        return 2;
    default:
        return 0;
    }
}

// A count no listing could deliver is a broken reply, refused before a caller sizes a
// buffer by it.
int listableCount(int result, int32_t* count) {
    if (result == DSC_OK && *count > DSC_MAX_PAGES * DSC_PAGE_ENTRIES) {
        *count = 0;
        DscCom_ShowMessage(DSC_MSG_DATA);
        return DSC_ERR_FRAME;
    }
    return result;
}

} // namespace

int VokDscCom_Connect(void) {
    if (connected())
        return DSC_OK;
    int result = DscCom_StartConnection(1, nullptr);
    if (result == DSC_OK)
        DscCom_CloseConnectingDialog();
    return result;
}

void VokDscCom_Disconnect(void) {
    DscCom_CloseConnection();
}

int VokDscCom_CountFolders(int32_t* count) {
    if (!connected() || !count)
        return DSC_ERR_REPORTED;
    return listableCount(DscCom_CountPaged(DSC_CMD_COUNT_FOLDERS, nullptr, 0, count), count);
}

int VokDscCom_GetFolderNumbers(uint16_t* numbers, int32_t count) {
    if (!connected())
        return DSC_ERR_REPORTED;
    return DscCom_ListPaged(DSC_CMD_LIST_FOLDERS, nullptr, 0, count, numbers);
}

int VokDscCom_CountImages(uint16_t folder, int32_t* count) {
    if (!connected() || !count)
        return DSC_ERR_REPORTED;
    uint8_t payload[2] = {static_cast<uint8_t>(folder), static_cast<uint8_t>(folder >> 8)};
    return listableCount(DscCom_CountPaged(DSC_CMD_COUNT_IMAGES, payload, sizeof payload, count),
                         count);
}

int VokDscCom_GetImageNumbers(uint16_t folder, uint16_t* numbers, int32_t count) {
    if (!connected())
        return DSC_ERR_REPORTED;
    uint8_t payload[2] = {static_cast<uint8_t>(folder), static_cast<uint8_t>(folder >> 8)};
    return DscCom_ListPaged(DSC_CMD_LIST_IMAGES, payload, sizeof payload, count, numbers);
}

int VokDscCom_GetImageInfo(uint16_t folder, uint16_t image, int32_t* kind, uint32_t* size) {
    if (!connected() || !kind || !size)
        return DSC_ERR_REPORTED;
    int32_t thumbKind = 0;
    uint32_t thumbSize = 0;
    int result = DscCom_ThumbnailInfo(folder, image, &thumbKind, &thumbSize);
    // No thumbnail (102) or an empty one (103) leaves the kind unknown, as in the picking
    // transfer before its thumbnails are fetched.
    if (result == DSC_ERR_NOITEM)
        thumbKind = 0;
    else if (result != DSC_OK && result != DSC_ERR_SIZE0)
        return result;
    int32_t k = 0;
    result = DscCom_ImageInfo(folder, image, kindRequest(thumbKind), &k, size);
    if (result != DSC_OK && result != DSC_ERR_SIZE0)
        return result;
    if (k >= 5) {
        DscCom_ShowMessage(DSC_MSG_DATA);
        return DSC_ERR_FRAME;
    }
    *kind = k == 0 ? 1 : k;
    return result;
}
