// The camera side of the selection dialog, over the engine: the folder list with its leading
// empty folders dropped, image counts and numbers, and one thumbnail fetched into a
// temporary file (also the tools' thumbnail operation). Camera answers are bounded before
// anything is allocated from them.
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "DscEngine.h"
#include "DscGuard.h"
#include "DscSelection.h"
#include "ThumbRender.h"
#include "vok_bytes.h"
#include "vok_files.h"

int DscSel_CountFolderImages(uint16_t folder, int32_t* count) {
    uint8_t payload[2];
    vokc::PutLe16(payload, folder);
    *count = 0;
    int result = DscCom_CountPaged(DSC_CMD_COUNT_IMAGES, payload, sizeof payload, count);
    if (result == DSC_ERR_NOITEM) {
        *count = 0;
        return DSC_OK;
    }
    // Images carry 16-bit numbers: a larger count is a broken reply, refused before it
    // becomes one record per claimed image.
    if (result == DSC_OK && *count > DSC_MAX_FOLDER_IMAGES) {
        *count = 0;
        return DSC_ERR_FRAME;
    }
    return result;
}

int DscSel_ReadFolderList(std::vector<DscFolderRecord>* folders, int* allEmpty) {
    folders->clear();
    *allEmpty = 0;
    int32_t count = 0;
    int result = DscCom_CountPaged(DSC_CMD_COUNT_FOLDERS, nullptr, 0, &count);
    if (result != DSC_OK)
        return result;
    if (count == 0) {
        DscCom_ShowMessage(VOK_MSG_NO_IMAGES);
        return DSC_ERR_REPORTED;
    }
    if (count >= DSC_MAX_FOLDERS) {
        // Refused; said aloud so that the dialog does not just vanish.
        DscCom_ShowMessage(DSC_MSG_TRANSFER);
        return DSC_ERR_REPORTED;
    }
    std::vector<uint16_t> numbers(count);
    result = DscCom_ListPaged(DSC_CMD_LIST_FOLDERS, nullptr, 0, count, numbers.data());
    if (result != DSC_OK)
        return result;

    std::vector<DscFolderRecord> list(count);
    for (int32_t i = 0; i < count; ++i)
        list[i] = DscFolderRecord{numbers[i], 0, 0};
    int32_t firstFull = -1;
    for (int32_t i = 0; i < count && firstFull < 0; ++i) {
        int32_t images = 0;
        result = DscSel_CountFolderImages(static_cast<uint16_t>(list[i].number), &images);
        DscCom_Wait(300);
        if (result != DSC_OK) {
            DscCom_ShowMessage(DSC_MSG_UNEXPECTED);
            return DSC_ERR_REPORTED;
        }
        list[i].imageCount = images;
        list[i].counted = 1;
        if (images > 0)
            firstFull = i;
    }
    if (firstFull < 0)
        *allEmpty = 1;
    else
        list.erase(list.begin(), list.begin() + firstFull);
    *folders = std::move(list);
    return DSC_OK;
}

int DscSel_ReadImageNumbers(uint16_t folder, int32_t count, std::vector<DscImageRecord>* records) {
    uint8_t payload[2];
    vokc::PutLe16(payload, folder);
    std::vector<uint16_t> numbers(count > 0 ? count : 0);
    int result = DSC_OK;
    if (count > 0)
        result =
            DscCom_ListPaged(DSC_CMD_LIST_IMAGES, payload, sizeof payload, count, numbers.data());
    if (result != DSC_OK)
        return result;
    DscSel_InitRecords(records, numbers.data(), count);
    return DSC_OK;
}

int DscSel_FetchThumbnail(uint16_t folder, uint16_t image, std::string* path, uint8_t* kind) {
    path->clear();
    int32_t k = 0;
    uint32_t size = 0;
    int result = DscCom_ThumbnailInfo(folder, image, &k, &size);
    // A thumbnail of size 0 is no thumbnail at all, not a reason to give up the grid.
    if (result == DSC_ERR_SIZE0)
        return DSC_ERR_NOITEM;
    if (result != DSC_OK)
        return result;
    *kind = k >= 1 && k <= 4 ? static_cast<uint8_t>(k) : 0;
    if (size > DSC_MAX_THUMB_BYTES)
        return DSC_ERR_FRAME;

    uint32_t blockSize = DscCom_BlockSize();
    uint32_t blocks = (size + blockSize - 1) / blockSize;
    std::vector<uint8_t> buffer(static_cast<size_t>(blocks) * blockSize);
    uint8_t reference[4];
    vokc::PutLe16(reference, folder);
    vokc::PutLe16(reference + 2, image);
    for (uint32_t b = 0; b < blocks; ++b) {
        result = DscCom_ReadBlock(DSC_BLOCK_THUMBNAIL, DSC_CMD_READ_BLOCK, reference,
                                  sizeof reference, static_cast<uint16_t>(b), 0,
                                  buffer.data() + static_cast<size_t>(b) * blockSize, blockSize);
        if (result != DSC_OK)
            return result;
        DscCom_DispatchOne();
    }

    std::string file;
    int fd = vokthumb::CreateTempFile(&file);
    bool ok = fd >= 0 && vokc::WriteFull(fd, buffer.data(), size);
    if (fd >= 0 && close(fd) != 0)
        ok = false;
    if (!ok) {
        // No room for the temporary file: this image shows the no-thumbnail picture.
        if (fd >= 0)
            unlink(file.c_str());
        DscCom_ShowMessage(VOK_MSG_FILE_OPEN_FAILED);
        return DSC_ERR_NOITEM;
    }
    *path = file;
    return DSC_OK;
}

int VokDscCom_FetchThumbnail(uint16_t folder, uint16_t image, char* path) {
    return DscCom_Guarded(DSC_ERR_REPORTED, [&] {
        if (!path || !DscCom_Record()->sendBuffer)
            return DSC_ERR_REPORTED;
        path[0] = 0;
        std::string file;
        uint8_t kind = 0;
        const unsigned shownBefore = DscCom_MessagesShown();
        int result = DscSel_FetchThumbnail(folder, image, &file, &kind);
        if (result == DSC_OK && file.size() >= VOK_MAX_PATH) {
            // A temporary folder too deep for the caller's buffer cannot hand the file over.
            unlink(file.c_str());
            DscCom_ShowMessage(VOK_MSG_FILE_OPEN_FAILED);
            return DSC_ERR_REPORTED;
        }
        if (result == DSC_OK) {
            memcpy(path, file.c_str(), file.size() + 1);
            return DSC_OK;
        }
        // The fetch also gives "no thumbnail" when it could not keep one, after its message.
        if (result == DSC_ERR_REPORTED || DscCom_FailureReported() ||
            DscCom_MessagesShown() != shownBefore)
            return DSC_ERR_REPORTED;
        return result;
    });
}
