// The download runs: the export VokDscCom_RT70_DSC2PC, the whole-camera run of modes 1 and 2,
// the picked run of the selection dialog and the copy of one file. Dialogs come in through
// DscTransferHooks; without them (no graphical application) the same runs go on headless.
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "DscFiles.h"
#include "DscGuard.h"
#include "DscTransfer.h"
#include "VokDscMsg.h"
#include "VokReged.h"
#include "VokSharedKeys.h"
#include "vok_bytes.h"
#include "vok_text.h"

namespace {

const int32_t kHighest = 99999;
const uint32_t kMaxBlocks = 65536; // block numbers travel as 16 bits
const intptr_t kMailAbort = 50;
const int kMsgWriteFailed = 100; // "It failed in the writing of the file."

DscSelectionDialogHook g_selection = nullptr;
DscTransferHooks g_hooks = {};
VokDscProgress g_progress = nullptr;
void* g_progressContext = nullptr;
int32_t g_written = 0;

std::string settingsKey() {
    char key[VOK_MAX_PATH];
    Union2Strings(key, VOK_KEY_ROOT, VOK_KEY_MODEL);
    return key;
}

std::string readFolder(const char* subkey, const char* name) {
    char value[VOK_MAX_PATH] = {};
    if (!VokReg_Query_KeyValue(settingsKey().c_str(), subkey, name, VOK_REG_TEXT, value) ||
        !value[0])
        return DscFiles_HomeFolder();
    return value;
}

void writeFolder(const char* subkey, const char* name, const std::string& folder) {
    VokReg_Set_KeyValue(settingsKey().c_str(), subkey, name, VOK_REG_TEXT, folder.c_str());
}

bool isFolder(const std::string& path) {
    return DscTransfer_CheckFolder(path.c_str()) != VOK_MSG_DRIVE_NOT_READY;
}

std::string currentFolder() {
    char buffer[VOK_MAX_PATH];
    return getcwd(buffer, sizeof buffer) ? buffer : DscFiles_HomeFolder();
}

// The destination folder must leave room for a DSC name inside the fixed-size record.
bool setDestination(DscConnection* c, const std::string& folder, int32_t last) {
    if (folder.size() + 13 >= sizeof c->destFolder)
        return false;
    snprintf(c->destFolder, sizeof c->destFolder, "%s", folder.c_str());
    c->lastNumber = last;
    c->destName[0] = 0;
    return true;
}

uint8_t kindRequest(int kind) {
    return kind == 2 ? 1 : (kind == 3 || kind == 4) ? 2 : 0;
}

int indexInfo(uint32_t index, int32_t* kind, uint32_t* size) {
    uint8_t payload[4] = {static_cast<uint8_t>(index), static_cast<uint8_t>(index >> 8),
                          static_cast<uint8_t>(index >> 16), static_cast<uint8_t>(index >> 24)};
    int result = DscCom_Command(DSC_CMD_INDEX_INFO, 0, payload, sizeof payload, DSC_REPLY_INFO);
    if (result != DSC_OK)
        return result;
    const uint8_t* r = DscCom_Record()->recvBuffer;
    *kind = r[4];
    *size = vokc::GetLe32(r + 5);
    return *size == 0 ? DSC_ERR_SIZE0 : DSC_OK;
}

// The result-code table; in modes 1 and 2 nobody else would say anything about a code the
// table leaves out (a camera that stopped answering, an image that vanished), so those get
// a message of their own there. Mode 0's selection dialog shows its own message afterwards.
void reportRunError(int result, int mode) {
    if (result == DSC_OK || result == DSC_ERR_REPORTED || result == DSC_ERR_SIZE0)
        return;
    // The file copy hands on only results nobody has reported yet.
    if (int number = VokDscCom_ResultMessage(result))
        DscCom_Fail(result, number);
    else if (mode != 0)
        DscCom_Fail(result, result == DSC_ERR_NOANSWER || result == DSC_ERR_LINE
                                ? DSC_MSG_ACCESS
                                : DSC_MSG_TRANSFER);
}

struct Run {
    DscConnection* c;
    int mode;
    void* dialog;
    int total;
    int index;
};

struct Source {
    uint16_t folder = 0; // mode 0
    uint16_t image = 0;
    int knownKind = 0;
    uint32_t index = 0; // modes 1 and 2
};

void* openProgress(DscConnection* c, void* parent) {
    return g_hooks.openProgress ? g_hooks.openProgress(c, parent) : nullptr;
}

void closeProgress(Run* run) {
    if (run->dialog && g_hooks.closeProgress)
        g_hooks.closeProgress(run->dialog);
    run->dialog = nullptr;
}

void prepareFile(Run* run, int index, const std::string& itemLine) {
    run->index = index;
    if (run->dialog && g_hooks.prepareProgress)
        g_hooks.prepareProgress(run->dialog, index, run->total);
    if (index == run->total - 1) // the last file cannot be cancelled
        DscCom_Notify(WM_DSC_CANCEL, DSC_CANCEL_SET, 0);
    if (run->dialog && g_hooks.setItemLine)
        g_hooks.setItemLine(run->dialog, itemLine.c_str());
}

void reportBlocks(Run* run, int done, int blocks) {
    if (done == 0 && run->dialog && g_hooks.setRange)
        g_hooks.setRange(run->dialog, blocks);
    if (done > 0 && run->dialog && g_hooks.step)
        g_hooks.step(run->dialog);
    if (g_progress)
        g_progress(g_progressContext, run->index, run->total, done, blocks);
}

int writeFailed(DscFileWriter* writer, int number) {
    DscFiles_Abort(writer);
    DscCom_ShowMessage(number);
    return DSC_ERR_REPORTED;
}

// Copies one image into the destination folder under the next DSC number.
int copyOne(Run* run, const Source& s) {
    DscConnection* c = run->c;
    int32_t k = 0;
    uint32_t size = 0;
    int result = run->mode == 0
                     ? DscCom_ImageInfo(s.folder, s.image, kindRequest(s.knownKind), &k, &size)
                     : indexInfo(s.index, &k, &size);
    if (result == DSC_ERR_SIZE0) {
        DscCom_ShowMessage(VOK_MSG_IMAGE_NOT_SAVED);
        return DSC_ERR_SIZE0;
    }
    if (result != DSC_OK)
        return DscCom_FailureReported() ? DSC_ERR_REPORTED : result;
    uint8_t kind = 0, selector = 0;
    uint32_t blockSize = DscCom_BlockSize();
    uint64_t blocks = (static_cast<uint64_t>(size) + blockSize - 1) / blockSize;
    if (!DscTransfer_KindSelector(run->mode, k, &kind, &selector) || blocks > kMaxBlocks) {
        DscCom_ShowMessage(DSC_MSG_DATA);
        return DSC_ERR_REPORTED;
    }
    if (c->lastNumber >= kHighest) {
        DscCom_ShowMessage(VOK_MSG_FOLDER_NOT_COPYABLE);
        return DSC_ERR_REPORTED;
    }
    if (DscFiles_FreeBytes(c->destFolder) < size) {
        DscCom_ShowMessage(kMsgWriteFailed);
        return DSC_ERR_REPORTED;
    }
    DscFileWriter writer;
    if (DscFiles_Begin(&writer, c->destFolder) != 0)
        return writeFailed(&writer, VOK_MSG_FILE_CREATE_FAILED);
    uint8_t* block = static_cast<uint8_t*>(malloc(blockSize));
    if (!block)
        return writeFailed(&writer, DSC_MSG_MEMORY);
    uint8_t reference[4];
    if (run->mode == 0) {
        reference[0] = static_cast<uint8_t>(s.folder);
        reference[1] = static_cast<uint8_t>(s.folder >> 8);
        reference[2] = static_cast<uint8_t>(s.image);
        reference[3] = static_cast<uint8_t>(s.image >> 8);
    } else {
        for (int i = 0; i < 4; ++i)
            reference[i] = static_cast<uint8_t>(s.index >> (8 * i));
    }
    uint8_t command = run->mode == 0 ? DSC_CMD_READ_BLOCK : DSC_CMD_INDEX_READ_BLOCK;
    reportBlocks(run, 0, static_cast<int>(blocks));
    int error = 0;
    for (uint32_t b = 0; b < blocks && result == DSC_OK && error == 0; ++b) {
        result = DscCom_ReadBlock(DSC_BLOCK_IMAGE, command, reference, sizeof reference,
                                  static_cast<uint16_t>(b), selector, block, blockSize);
        if (result != DSC_OK)
            break;
        uint64_t offset = static_cast<uint64_t>(b) * blockSize;
        uint64_t left = size - offset;
        error = DscFiles_Write(&writer, block, left < blockSize ? left : blockSize);
        reportBlocks(run, static_cast<int>(b + 1), static_cast<int>(blocks));
        DscCom_DispatchOne();
    }
    free(block);
    if (result != DSC_OK) {
        DscFiles_Abort(&writer);
        // Image block reads give up quietly after failed checks; only what was said is settled.
        return DscCom_FailureReported() ? DSC_ERR_REPORTED : result;
    }
    if (error != 0)
        return writeFailed(&writer, kMsgWriteFailed);
    int32_t number = c->lastNumber + 1;
    char name[16];
    error = DscFiles_Commit(&writer, &number, kind, name);
    if (error != 0)
        return writeFailed(&writer, error == EEXIST   ? VOK_MSG_FOLDER_NOT_COPYABLE
                                    : error == ENOENT ? VOK_MSG_FILE_CREATE_FAILED
                                                      : kMsgWriteFailed);
    c->lastNumber = number;
    snprintf(c->destName, sizeof c->destName, "%s", name);
    c->imageKind = kind;
    c->fileSize = size;
    ++g_written;
    return DSC_OK;
}

void notifyWritten(const Run& run, intptr_t mailJob) {
    intptr_t record = reinterpret_cast<intptr_t>(run.c);
    if (run.mode == 2) {
        DscCom_Notify(WM_DSC_STATUS, DSC_STATUS_MAIL_FILE, mailJob);
    } else if (run.mode == 1 && run.total == 1 && run.c->imageKind != 4) {
        DscCom_Notify(WM_DSC_STATUS, DSC_STATUS_SINGLE_IMAGE, record);
    } else {
        DscCom_Notify(WM_DSC_STATUS, DSC_STATUS_ALBUM, 0);
        DscCom_Notify(WM_DSC_STATUS, DSC_STATUS_FILE_WRITTEN, record);
    }
}

// The owner holds the cancel request; a Yes to the question stops after this file.
bool cancelRequested(Run* run) {
    if (!DscCom_Notify(WM_DSC_CANCEL, DSC_CANCEL_POLL, 0))
        return false;
    DscCom_Notify(WM_DSC_CANCEL, DSC_CANCEL_SET, 0);
    int yes = g_hooks.askCancel ? g_hooks.askCancel(run->dialog)
                                : VokDsc_Msg_Query(run->c->owner, VOK_MSG_CANCEL_TRANSFER,
                                                   run->c->appTitle) == VOK_IDYES;
    if (yes)
        return true;
    if (run->dialog && g_hooks.enableCancel)
        g_hooks.enableCancel(run->dialog);
    return false;
}

// Modes 1 and 2: the kept folder, or one the user browses to while it has no room.
int chooseAllDestination(DscConnection* c, int mode, int32_t total, const char* fixed) {
    std::string mail = readFolder(VOK_SUBKEY_EVENT, VOK_VALUE_PATH_MAIL);
    std::string image = readFolder(VOK_SUBKEY_EVENT, VOK_VALUE_PATH_IMAGE);
    std::string folder = fixed ? fixed : (mode == 1 ? image : mail);
    for (;;) {
        int32_t last = FindLastJpegFile(folder.c_str());
        if (DscTransfer_HasRoom(total, last) && setDestination(c, folder, last)) {
            if (!fixed) {
                (mode == 1 ? image : mail) = folder;
                writeFolder(VOK_SUBKEY_EVENT, VOK_VALUE_PATH_MAIL, mail);
                writeFolder(VOK_SUBKEY_EVENT, VOK_VALUE_PATH_IMAGE, image);
            }
            return DSC_OK;
        }
        DscCom_ShowMessage(VOK_MSG_FOLDER_NOT_COPYABLE);
        char chosen[VOK_MAX_PATH];
        snprintf(chosen, sizeof chosen, "%s", folder.c_str());
        if (fixed || !g_hooks.browseFolder || !g_hooks.browseFolder(c, chosen))
            return DSC_ERR_REPORTED;
        folder = chosen;
    }
}

int runAll(int mode, int32_t total, const char* fixed) {
    DscConnection* c = DscCom_Record();
    g_written = 0;
    if ((mode != 1 && mode != 2) || total <= 0)
        return DSC_ERR_NOTHING;
    c->mode = mode;
    intptr_t mailJob = 0;
    if (mode == 2) {
        mailJob = DscCom_Notify(WM_DSC_STATUS, DSC_STATUS_MAIL_START, 0);
        if (mailJob == kMailAbort)
            return DSC_ERR_REPORTED;
    }
    int result = chooseAllDestination(c, mode, total, fixed);
    if (result != DSC_OK)
        return result;
    DscCom_Notify(WM_DSC_CANCEL, DSC_CANCEL_SET, 0);
    DscFiles_StartRun();
    Run run = {c, mode, openProgress(c, nullptr), total, 0};
    for (int i = 0; i < total; ++i) {
        prepareFile(&run, i, vokc::CatalogueText(VOK_MSG_DOWNLOAD_PROGRESS, {i + 1, i + 1, total}));
        Source s;
        s.index = static_cast<uint32_t>(i);
        result = copyOne(&run, s);
        if (result != DSC_OK)
            break;
        notifyWritten(run, mailJob);
        if (i < total - 1 && cancelRequested(&run))
            break;
    }
    closeProgress(&run);
    if (result != DSC_OK)
        reportRunError(result, mode);
    else if (mode == 2)
        DscCom_Notify(WM_DSC_STATUS, DSC_STATUS_MAIL_END, mailJob);
    return result;
}

int runPicked(const DscPickedImage* images, int count, void* parent) {
    DscConnection* c = DscCom_Record();
    c->mode = 0;
    DscCom_Notify(WM_DSC_CANCEL, DSC_CANCEL_SET, 0);
    DscFiles_StartRun();
    Run run = {c, 0, openProgress(c, parent), count, 0};
    int result = DSC_OK;
    for (int i = 0; i < count; ++i) {
        const DscPickedImage& p = images[i];
        prepareFile(&run, i,
                    vokc::CatalogueText(VOK_MSG_DOWNLOAD_PROGRESS, {p.image, i + 1, count}));
        Source s;
        s.folder = static_cast<uint16_t>(p.folder);
        s.image = p.image;
        s.knownKind = p.kind;
        result = copyOne(&run, s);
        if (result != DSC_OK)
            break;
        notifyWritten(run, 0);
        if (i < count - 1 && cancelRequested(&run))
            break;
    }
    closeProgress(&run);
    reportRunError(result, 0);
    return result;
}

// Mode 0: the folder browser and the transfer path dialog until a usable folder with room is
// chosen, or the user declines.
int choosePickedDestination(DscConnection* c, int count, void* parent) {
    std::string folder = readFolder(VOK_SUBKEY_APPLICATION, VOK_VALUE_PATH_DIR);
    if (!isFolder(folder))
        folder = currentFolder();
    for (;;) {
        char chosen[VOK_MAX_PATH];
        snprintf(chosen, sizeof chosen, "%s", folder.c_str());
        if (g_hooks.chooseFolder && !g_hooks.chooseFolder(c, parent, chosen))
            return DSC_TRANSFER_DECLINED;
        folder = chosen;
        int problem = DscTransfer_CheckFolder(folder.c_str());
        int32_t last = problem ? 0 : FindLastJpegFile(folder.c_str());
        if (!problem) {
            writeFolder(VOK_SUBKEY_APPLICATION, VOK_VALUE_PATH_DIR, folder);
            if (!DscTransfer_HasRoom(count, last) || !setDestination(c, folder, last))
                problem = VOK_MSG_FOLDER_NOT_COPYABLE;
        }
        if (!problem)
            return DSC_OK;
        DscCom_ShowMessage(problem);
        if (!g_hooks.chooseFolder) // nobody to ask for another folder
            return DSC_ERR_REPORTED;
    }
}

} // namespace

void DscTransfer_SetSelectionHook(DscSelectionDialogHook hook) {
    g_selection = hook;
}

void DscTransfer_SetHooks(const DscTransferHooks* hooks) {
    g_hooks = hooks ? *hooks : DscTransferHooks{};
}

const DscTransferHooks* DscTransfer_Hooks(void) {
    return &g_hooks;
}

DscSelectionDialogHook DscTransfer_SelectionHook(void) {
    return g_selection;
}

void DscTransfer_SetProgress(VokDscProgress progress, void* context) {
    g_progress = progress;
    g_progressContext = context;
}

int DscTransfer_KindSelector(int mode, int k, uint8_t* kind, uint8_t* selector) {
    uint8_t outKind = 1, outSelector = 0;
    if (k < 0 || k >= 5)
        return 0;
    if (k == 2 && mode != 2) {
        outKind = 2;
        outSelector = 1;
    } else if (k == 3 || k == 4) {
        outKind = static_cast<uint8_t>(k);
        outSelector = 2;
    }
    if (kind)
        *kind = outKind;
    if (selector)
        *selector = outSelector;
    return 1;
}

int DscTransfer_RunAll(int mode, int32_t total) {
    return runAll(mode, total, nullptr);
}

int DscTransfer_RunAllInto(int mode, const char* folder, int32_t* written) {
    g_written = 0;
    int result = DSC_ERR_REPORTED;
    int32_t total = 0;
    if (written)
        *written = 0;
    if (!DscCom_Record()->sendBuffer || !folder)
        return result;
    result = DscCom_CountAll(&total);
    if (result == DSC_ERR_NOTHING)
        DscCom_ShowMessage(VOK_MSG_NO_IMAGES);
    if (result == DSC_OK)
        result = runAll(mode, total, folder);
    if (written)
        *written = g_written;
    return result == DSC_ERR_NOTHING ? DSC_ERR_REPORTED : result;
}

int DscTransfer_RunPicked(const DscPickedImage* images, int count, void* parent) {
    g_written = 0;
    if (!images || count <= 0)
        return DSC_ERR_NOTHING;
    if (!DscCom_Record()->sendBuffer)
        return DSC_ERR_REPORTED;
    int result = choosePickedDestination(DscCom_Record(), count, parent);
    return result == DSC_OK ? runPicked(images, count, parent) : result;
}

int DscTransfer_RunPickedInto(const DscPickedImage* images, int count, const char* folder,
                              void* parent, int32_t* written) {
    g_written = 0;
    if (written)
        *written = 0;
    if (!images || count <= 0)
        return DSC_ERR_NOTHING;
    DscConnection* c = DscCom_Record();
    if (!c->sendBuffer || !folder)
        return DSC_ERR_REPORTED;
    int problem = DscTransfer_CheckFolder(folder);
    if (!problem) {
        int32_t last = FindLastJpegFile(folder);
        if (!DscTransfer_HasRoom(count, last) || !setDestination(c, folder, last))
            problem = VOK_MSG_FOLDER_NOT_COPYABLE;
    }
    if (problem) {
        DscCom_ShowMessage(problem);
        return DSC_ERR_REPORTED;
    }
    int result = runPicked(images, count, parent);
    if (written)
        *written = g_written;
    return result;
}

int32_t VokDscCom_RT70_DSC2PC(int32_t mode) {
    return DscCom_Guarded(0, [&] {
        DscConnection* c = DscCom_Record();
        if (mode < 0 || mode > 2)
            return 0;
        // An open connection belongs to a selection dialog still on screen.
        if (c->sendBuffer)
            return 1;
        c->mode = mode;
        int32_t total = 0;
        int result = DscCom_StartConnection(1, &total);
        if (result == 1)
            return 1;
        if (result != DSC_OK) {
            // A monitor that keeps the camera ends the start without a message.
            if (result == DSC_ERR_NOTHING)
                DscCom_ShowMessage(VOK_MSG_NO_IMAGES);
            else if (result != DSC_ERR_INTERLOCK)
                VokDscCom_ReportResult(result);
            return 0;
        }
        DscCom_CloseConnectingDialog();
        if (mode == 0) {
            if (g_selection && g_selection(c) == 0)
                return 1;
            if (!g_selection)
                DscCom_ShowMessage(DSC_MSG_UNEXPECTED);
            DscCom_CloseConnection();
            return 0;
        }
        runAll(mode, total, nullptr);
        DscCom_CloseConnection();
        return 1;
    });
}
