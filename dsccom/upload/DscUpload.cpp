// The upload: for each record the owner's kind, the announce (command 21), then each file
// whole in memory and out in blocks (command 5) with their own retry rules, the progress
// dialog and the cancel question between records. An abandoned file never stops the upload.
#include <assert.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include "../transfer/DscTransfer.h"
#include "DscGuard.h"
#include "DscUpload.h"
#include "VokDscMsg.h"
#include "vok_bytes.h"
#include "vok_files.h"

namespace {

uint32_t blocksOf(uint32_t size, uint32_t blockSize) {
    return static_cast<uint32_t>((static_cast<uint64_t>(size) + blockSize - 1) / blockSize);
}

// A catalogue text with its one "%s" filled, without handing the text to printf.
std::string withName(int number, const char* name) {
    char pattern[VOK_MSG_BUFFER] = {};
    VokDsc_Msg_GetString(number, pattern, sizeof pattern);
    std::string out = pattern;
    size_t at = out.find("%s");
    if (at != std::string::npos)
        out.replace(at, 2, name);
    return out;
}

// The whole file into buffer (size bytes); a file shorter than its announced size is a
// failed read, and only a regular file is read at all.
int readWhole(const char* path, uint8_t* buffer, uint32_t size) {
    uint64_t actual = 0;
    int fd = vokc::OpenRegularFile(path, UINT64_MAX, &actual);
    if (fd < 0)
        return VOK_MSG_FILE_OPEN_FAILED;
    ssize_t n = vokc::ReadFull(fd, buffer, size);
    close(fd);
    return n == static_cast<ssize_t>(size) ? 0 : VOK_MSG_FILE_READ_FAILED;
}

struct Upload {
    DscConnection* c;
    const DscTransferHooks* hooks;
    void* dialog;
};

void stepProgress(Upload* u) {
    if (u->dialog && u->hooks->step)
        u->hooks->step(u->dialog);
}

// Sends one file; false when it was abandoned (its message shown).
bool sendFile(Upload* u, const char* path, uint32_t size) {
    uint8_t* data = static_cast<uint8_t*>(calloc(size ? size : 1, 1));
    if (!data) {
        DscCom_ShowMessage(DSC_MSG_MEMORY);
        return false;
    }
    if (int message = readWhole(path, data, size)) {
        free(data);
        DscCom_ShowMessage(message);
        return false;
    }
    uint32_t blockSize = DscCom_BlockSize();
    uint32_t count = blocksOf(size, blockSize);
    int result = DSC_OK;
    for (uint32_t b = 0; b < count && result == DSC_OK; ++b) {
        uint32_t offset = b * blockSize;
        uint32_t left = size - offset;
        stepProgress(u);
        // The packet builder fills the payload after the file's last byte with zeros.
        result = DscCom_SendBlock(b, data + offset, left < blockSize ? left : blockSize);
        DscCom_DispatchOne();
    }
    free(data);
    return result == DSC_OK;
}

bool cancelRequested(Upload* u) {
    if (!DscCom_Notify(WM_DSC_CANCEL, DSC_CANCEL_POLL, 0))
        return false;
    int yes = u->hooks->askCancel ? u->hooks->askCancel(u->dialog)
                                  : VokDsc_Msg_Query(u->c->owner, VOK_MSG_CANCEL_TRANSFER,
                                                     u->c->appTitle) == VOK_IDYES;
    if (yes)
        return true;
    DscCom_Notify(WM_DSC_CANCEL, DSC_CANCEL_SET, 0);
    if (u->dialog && u->hooks->enableCancel)
        u->hooks->enableCancel(u->dialog);
    return false;
}

void prepareDialog(Upload* u, int32_t index, int32_t count, const DscUploadPlan& plan,
                   const char* pathA) {
    const DscTransferHooks* h = u->hooks;
    if (index == count - 1) // the last record cannot be cancelled
        DscCom_Notify(WM_DSC_CANCEL, DSC_CANCEL_SET, 0);
    if (!u->dialog)
        return;
    if (h->setRange)
        h->setRange(u->dialog, static_cast<int>(plan.blocks));
    if (h->prepareProgress)
        h->prepareProgress(u->dialog, index, count);
    if (h->setOperationLine) {
        char text[VOK_MSG_BUFFER] = {};
        VokDsc_Msg_GetString(VOK_MSG_UPLOADING, text, sizeof text);
        h->setOperationLine(u->dialog, text);
    }
    if (h->setItemLine) {
        char name[VOK_MAX_PATH];
        VokUtil_GetFileNameFromFullPath(pathA, name);
        h->setItemLine(u->dialog, withName(VOK_MSG_UPLOAD_FILE_NAME, name).c_str());
    }
}

int announce(const DscUploadPlan& plan) {
    int result =
        DscCom_Command(DSC_CMD_ANNOUNCE, 0, plan.announce, sizeof plan.announce, DSC_REPLY_STATUS);
    if (result == DSC_ERR_MEMFULL)
        DscCom_Fail(result, DSC_MSG_MEMFULL);
    else if (result == DSC_ERR_PROTECTED)
        DscCom_Fail(result, VOK_MSG_CARD_PROTECTED_HINT);
    else if (result != DSC_OK)
        VokDscCom_ReportResult(result);
    return result;
}

} // namespace

int DscUpload_Plan(const VokUploadRecord* r, int kind, uint32_t blockSize, DscUploadPlan* plan) {
    assert(blockSize > 0);
    memset(plan, 0, sizeof *plan);
    uint8_t code = 0;
    switch (kind) {
    case DSC_UPLOAD_A:
        plan->files = 1;
        plan->paths[0] = r->pathA;
        plan->sizes[0] = r->sizeA;
        break;
    case DSC_UPLOAD_B:
        plan->files = 1;
        plan->paths[0] = r->pathB;
        plan->sizes[0] = r->sizeB;
        break;
    case DSC_UPLOAD_MOVIE:
    case DSC_UPLOAD_TIFF:
        code = kind == DSC_UPLOAD_MOVIE ? 2 : 1;
        plan->files = 2;
        plan->paths[0] = r->pathB;
        plan->sizes[0] = r->sizeB;
        plan->paths[1] = r->pathA;
        plan->sizes[1] = r->sizeA;
        break;
    default:
        return 0;
    }
    plan->announce[0] = code;
    vokc::PutLe32(plan->announce + 1, plan->sizes[0]);
    vokc::PutLe32(plan->announce + 5, plan->files == 2 ? plan->sizes[1] : 0);
    for (int f = 0; f < plan->files; ++f)
        plan->blocks += blocksOf(plan->sizes[f], blockSize);
    return 1;
}

int DscUpload_Run(VokUploadRecord* records, int32_t count, void* parent, int32_t* sent) {
    DscConnection* c = DscCom_Record();
    if (sent)
        *sent = 0;
    if (!c->sendBuffer || count < 0 || (count > 0 && !records))
        return DSC_ERR_REPORTED;
    Upload u = {c, DscTransfer_Hooks(), nullptr};
    if (u.hooks->openProgress)
        u.dialog = u.hooks->openProgress(c, parent);
    DscCom_Notify(WM_DSC_CANCEL, DSC_CANCEL_SET, 0);
    int result = DSC_OK;
    for (int32_t i = 0; i < count; ++i) {
        VokUploadRecord* r = &records[i];
        // Paths come from the owner: a missing terminator must not let a read run past them.
        r->pathA[VOK_MAX_PATH - 1] = 0;
        r->pathB[VOK_MAX_PATH - 1] = 0;
        intptr_t kind =
            DscCom_Notify(WM_DSC_QUERYFILE, DSC_QUERYFILE_KIND, reinterpret_cast<intptr_t>(r));
        DscUploadPlan plan;
        if (!DscUpload_Plan(r, static_cast<int>(kind), DscCom_BlockSize(), &plan))
            continue;
        prepareDialog(&u, i, count, plan, r->pathA);
        result = announce(plan);
        if (result != DSC_OK)
            break;
        // The camera takes the files of a record as one piece: once one is abandoned, the
        // other could only be taken for the rest of it.
        bool whole = true;
        for (int f = 0; f < plan.files && whole; ++f)
            whole = sendFile(&u, plan.paths[f], plan.sizes[f]);
        if (whole && sent)
            ++*sent;
        if (i < count - 1 && cancelRequested(&u))
            break;
        if (u.dialog && u.hooks->setRange)
            u.hooks->setRange(u.dialog, static_cast<int>(plan.blocks));
    }
    if (u.dialog && u.hooks->closeProgress)
        u.hooks->closeProgress(u.dialog);
    return result;
}

int VokDscCom_Upload(VokUploadRecord* records, int32_t count, int32_t* sent) {
    return DscCom_Guarded(DSC_ERR_REPORTED,
                          [&] { return DscUpload_Run(records, count, nullptr, sent); });
}

int32_t VokDscCom_RT70_PC2DSC(int32_t count, VokUploadRecord* records) {
    return DscCom_Guarded(0, [&] {
        int answer = 0;
        if (!DscCom_StartExport(4, &answer))
            return answer;
        DscConnection* c = DscCom_Record();
        DscCom_CloseConnectingDialog();
        int result = DscUpload_Run(records, count, nullptr, nullptr);
        if (result == DSC_ERR_MEMFULL) {
            // The user makes room in the selection dialog, which keeps the connection open.
            c->mode = 0;
            DscSelectionDialogHook selection = DscTransfer_SelectionHook();
            if (selection && selection(c) == 0)
                return 1;
        }
        if (result == DSC_ERR_NOITEM)
            DscCom_Command(DSC_CMD_END, 0, nullptr, 0, DSC_REPLY_STATUS);
        DscCom_CloseConnection();
        return 1;
    });
}
