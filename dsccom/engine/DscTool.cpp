// Operations for the command-line programs: a connection held across several calls, the
// listings a tool prints and the downloads. They reuse the start checks, the exchange and the
// transfer runs unchanged, so a tool talks to the camera exactly as the dialogs do; each runs
// behind the export guard.
#include <vector>

#include "DscEngine.h"
#include "DscGuard.h"
#include "DscTransfer.h"

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
        return DscCom_Fail(DSC_ERR_FRAME, DSC_MSG_DATA);
    }
    return result;
}

// The tools learn from the result alone whether the failure has been told already.
int settled(int result, unsigned shownBefore) {
    if (result == DSC_OK)
        return result;
    if (result == DSC_ERR_REPORTED || DscCom_FailureReported() ||
        DscCom_MessagesShown() != shownBefore)
        return DSC_ERR_REPORTED;
    return result;
}

} // namespace

int VokDscCom_ResultShown(int result) {
    return result == DSC_ERR_REPORTED || (result != DSC_OK && DscCom_FailureReported());
}

uint32_t VokDscCom_MessagesShown(void) {
    return DscCom_MessagesShown();
}

void VokDscCom_SetProgress(VokDscProgress progress, void* context) {
    DscTransfer_SetProgress(progress, context);
}

int VokDscCom_DownloadAll(const char* folder, int32_t* written) {
    return DscCom_Guarded(DSC_ERR_REPORTED, [&] {
        if (written)
            *written = 0;
        if (!connected() || !folder)
            return DSC_ERR_REPORTED;
        const unsigned shownBefore = DscCom_MessagesShown();
        return settled(DscTransfer_RunAllInto(1, folder, written), shownBefore);
    });
}

int VokDscCom_DownloadImages(const VokDscImage* images, int32_t count, const char* folder,
                             int32_t* written) {
    return DscCom_Guarded(DSC_ERR_REPORTED, [&] {
        if (written)
            *written = 0;
        if (!connected() || !folder || !images || count <= 0)
            return DSC_ERR_REPORTED;
        std::vector<DscPickedImage> picks(static_cast<size_t>(count));
        for (int32_t i = 0; i < count; ++i)
            picks[i] = DscPickedImage{images[i].folder, images[i].image, 0, 0};
        const unsigned shownBefore = DscCom_MessagesShown();
        int result = DscTransfer_RunPickedInto(picks.data(), count, folder, nullptr, written);
        return settled(result, shownBefore);
    });
}

int VokDscCom_Connect(void) {
    return DscCom_Guarded(DSC_ERR_REPORTED, [&] {
        if (connected())
            return DSC_OK;
        int result = DscCom_StartConnection(1, nullptr);
        if (result == DSC_OK)
            DscCom_CloseConnectingDialog();
        return result;
    });
}

void VokDscCom_Disconnect(void) {
    DscCom_GuardedVoid([&] { DscCom_CloseConnection(); });
}

int VokDscCom_CountFolders(int32_t* count) {
    return DscCom_Guarded(DSC_ERR_REPORTED, [&] {
        if (!connected() || !count)
            return DSC_ERR_REPORTED;
        return listableCount(DscCom_CountPaged(DSC_CMD_COUNT_FOLDERS, nullptr, 0, count), count);
    });
}

int VokDscCom_GetFolderNumbers(uint16_t* numbers, int32_t count) {
    return DscCom_Guarded(DSC_ERR_REPORTED, [&] {
        if (!connected())
            return DSC_ERR_REPORTED;
        return DscCom_ListPaged(DSC_CMD_LIST_FOLDERS, nullptr, 0, count, numbers);
    });
}

int VokDscCom_CountImages(uint16_t folder, int32_t* count) {
    return DscCom_Guarded(DSC_ERR_REPORTED, [&] {
        if (!connected() || !count)
            return DSC_ERR_REPORTED;
        uint8_t payload[2] = {static_cast<uint8_t>(folder), static_cast<uint8_t>(folder >> 8)};
        return listableCount(
            DscCom_CountPaged(DSC_CMD_COUNT_IMAGES, payload, sizeof payload, count), count);
    });
}

int VokDscCom_GetImageNumbers(uint16_t folder, uint16_t* numbers, int32_t count) {
    return DscCom_Guarded(DSC_ERR_REPORTED, [&] {
        if (!connected())
            return DSC_ERR_REPORTED;
        uint8_t payload[2] = {static_cast<uint8_t>(folder), static_cast<uint8_t>(folder >> 8)};
        return DscCom_ListPaged(DSC_CMD_LIST_IMAGES, payload, sizeof payload, count, numbers);
    });
}

int VokDscCom_GetImageInfo(uint16_t folder, uint16_t image, int32_t* kind, uint32_t* size) {
    return DscCom_Guarded(DSC_ERR_REPORTED, [&] {
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
        if (k >= 5)
            return DscCom_Fail(DSC_ERR_FRAME, DSC_MSG_DATA);
        *kind = k == 0 ? 1 : k;
        return result;
    });
}
