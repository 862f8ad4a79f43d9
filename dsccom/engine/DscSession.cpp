// The connection record and its life: application info, notifications to the owner, the
// registry interlock with the monitor and other programs, opening and closing a connection.
// Every failure of a connection start leaves no buffers allocated and no dialog open.
#include <assert.h>
#include <errno.h>
#include <limits.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "DscEngine.h"
#include "DscGuard.h"
#include "DscPacket.h"
#include "VokDscMsg.h"
#include "VokReged.h"
#include "VokSharedKeys.h"
#include "vok_process.h"

namespace {

DscConnection g_connection;
VokDscNotifyHandler g_handler = nullptr;
void* g_handlerContext = nullptr;
void (*g_messageHook)(int) = nullptr;
unsigned g_messagesShown = 0;
bool g_failureReported = false;
DscUiHooks g_ui = {nullptr, nullptr, nullptr};

void copyText(char* out, const char* text) {
    if (!text)
        text = "";
    snprintf(out, VOK_MAX_PATH, "%s", text);
}

int32_t readEventNumber(const char* name) {
    char key[VOK_MAX_PATH];
    int32_t value = 0;
    Union2Strings(key, VOK_KEY_ROOT, VOK_KEY_MODEL);
    if (!VokReg_Query_KeyValue(key, VOK_SUBKEY_EVENT, name, VOK_REG_NUMBER, &value))
        value = 0;
    return value;
}

void closeConnectingDialog(DscConnection* c) {
    if (c->connectDialog && g_ui.closeConnecting)
        g_ui.closeConnecting(c, c->connectDialog);
    c->connectDialog = nullptr;
}

void waitCursor(int on) {
    if (g_ui.setWaitCursor)
        g_ui.setWaitCursor(on);
}

} // namespace

DscConnection* DscCom_Record(void) {
    return &g_connection;
}

void VokDscCom_SetNotifyHandler(VokDscNotifyHandler handler, void* context) {
    g_handler = handler;
    g_handlerContext = context;
}

intptr_t DscCom_Notify(unsigned message, uintptr_t wParam, intptr_t lParam) {
    return g_handler ? g_handler(g_handlerContext, message, wParam, lParam) : 0;
}

void DscCom_SetMessageHook(void (*hook)(int number)) {
    g_messageHook = hook;
}

void DscCom_ShowMessage(int number) {
    ++g_messagesShown;
    if (g_messageHook)
        g_messageHook(number);
    else
        VokDsc_Msg_Error(g_connection.owner, number, g_connection.appTitle);
}

unsigned DscCom_MessagesShown(void) {
    return g_messagesShown;
}

int DscCom_Fail(int result, int message) {
    assert(result != DSC_OK);
    if (message) {
        DscCom_ShowMessage(message);
        g_failureReported = true;
    }
    return result;
}

void DscCom_ClearReported(void) {
    g_failureReported = false;
}

bool DscCom_FailureReported(void) {
    return g_failureReported;
}

int VokDscCom_ResultMessage(int result) {
    return DscPacket_ResultMessage(result);
}

void DscCom_ReportEscape(bool noMemory) noexcept {
    try {
        DscCom_ShowMessage(noMemory ? DSC_MSG_MEMORY : DSC_MSG_UNEXPECTED);
    } catch (...) {
    }
}

int VokDscCom_ReportResult(int result) {
    return DscCom_Guarded(0, [&] {
        if (result == DSC_OK || result == DSC_ERR_REPORTED || DscCom_FailureReported())
            return 0;
        int number = DscPacket_ResultMessage(result);
        if (number)
            DscCom_Fail(result, number);
        return number;
    });
}

void DscCom_SetUiHooks(const DscUiHooks* hooks) {
    if (hooks)
        g_ui = *hooks;
    else
        g_ui = DscUiHooks{nullptr, nullptr, nullptr};
}

void VokDscCom_SetApplicationInfo(VokOwner owner, const char* title, int32_t transport,
                                  int32_t variant, const char* settingsPath) {
    DscConnection* c = &g_connection;
    // Clearing an open connection would lose its buffers and dialogs; the owner's busy answer
    // refuses the export that follows anyway.
    if (c->sendBuffer || c->recvBuffer)
        return;
    memset(c, 0, sizeof *c);
    c->owner = owner;
    copyText(c->appTitle, title);
    c->transport = transport;
    c->variant = variant;
    copyText(c->settingsPath, settingsPath);
}

int32_t VokDscCom_GetCameraVariant(void) {
    return g_connection.variant;
}

int DscCom_IsQubexProcess(int32_t pid) {
    return vokc::IsQubexProcess(pid);
}

int DscCom_OtherOwnerActive(void) {
    if (readEventNumber(VOK_VALUE_ACTIVE) == 0)
        return 0;
    int32_t pid = readEventNumber(VOK_VALUE_APP_HANDLE);
    // The owner's own program marks itself active while it connects; only another one counts.
    if (pid == static_cast<int32_t>(getpid()))
        return 0;
    return DscCom_IsQubexProcess(pid);
}

int DscCom_OpenConnection(void) {
    DscConnection* c = &g_connection;
    if (DscCom_BindLink(c) != 0) {
        DscCom_ShowMessage(DSC_MSG_LINK_LIBRARY);
        return 0;
    }
    if (!c->sendBuffer)
        c->sendBuffer = static_cast<uint8_t*>(calloc(1, DSC_BUFFER_SIZE));
    if (!c->recvBuffer)
        c->recvBuffer = static_cast<uint8_t*>(calloc(1, DSC_BUFFER_SIZE));
    if (!c->sendBuffer || !c->recvBuffer) {
        free(c->sendBuffer);
        free(c->recvBuffer);
        c->sendBuffer = c->recvBuffer = nullptr;
        DscCom_ShowMessage(DSC_MSG_MEMORY);
        DscCom_Notify(WM_DSC_STATUS, DSC_STATUS_CONNECTION, 0);
        return 0;
    }
    c->sendLength = c->recvLength = 0;
    DscCom_Notify(WM_DSC_STATUS, DSC_STATUS_CONNECTION, 1);
    return 1;
}

void DscCom_ReleaseBuffers(void) {
    DscConnection* c = &g_connection;
    if (!c->sendBuffer && !c->recvBuffer)
        return;
    free(c->sendBuffer);
    free(c->recvBuffer);
    c->sendBuffer = c->recvBuffer = nullptr;
    c->sendLength = c->recvLength = 0;
    DscCom_Notify(WM_DSC_STATUS, DSC_STATUS_CONNECTION, 0);
}

void DscCom_CloseConnection(void) {
    if (!g_connection.sendBuffer)
        return;
    waitCursor(1);
    DscCom_Command(DSC_CMD_END, 0, nullptr, 0, DSC_REPLY_STATUS);
    waitCursor(0);
    DscCom_ReleaseBuffers();
}

int DscCom_WaitForMonitor(void) {
    DscCom_Wait(5000);
    using Clock = std::chrono::steady_clock;
    auto limit = std::chrono::duration<double, std::milli>(5500 * DscCom_TimeScale());
    auto start = Clock::now();
    for (;;) {
        if (readEventNumber(VOK_VALUE_NOW_TOKING) == 0)
            return 0;
        if (Clock::now() - start >= limit)
            return -1;
        // A short pause between reads spares the processor without slowing the hand-over.
        DscCom_Wait(10);
    }
}

int DscCom_StartConnection(int withDialog, int32_t* imageTotal) {
    DscConnection* c = &g_connection;
    if (DscCom_Notify(WM_DSC_STATUS, DSC_STATUS_BUSY_QUERY, 0))
        return 1;
    DscCom_ClearReported();
    if (DscCom_OtherOwnerActive()) {
        DscCom_ShowMessage(DSC_MSG_OTHER_APP);
        return DSC_ERR_REPORTED;
    }
    if (!DscCom_OpenConnection())
        return DSC_ERR_REPORTED;
    if (withDialog && g_ui.openConnecting) {
        int skipped = 0;
        c->connectDialog = g_ui.openConnecting(c, &skipped);
        if (!c->connectDialog && !skipped) {
            DscCom_ShowMessage(DSC_MSG_UNEXPECTED);
            DscCom_ReleaseBuffers();
            return DSC_ERR_REPORTED;
        }
    }
    int result = DscCom_WaitForMonitor() == 0 ? DSC_OK : DSC_ERR_INTERLOCK;
    if (result == DSC_OK)
        result = DscCom_Identify();
    if (result == DSC_OK && (c->mode == 1 || c->mode == 2)) {
        int32_t total = 0;
        result = DscCom_CountAll(&total);
        if (imageTotal)
            *imageTotal = total;
    }
    if (result != DSC_OK) {
        if (result == DSC_ERR_INTERLOCK)
            closeConnectingDialog(c);
        DscCom_ReleaseBuffers();
        closeConnectingDialog(c);
    }
    return result;
}

bool DscCom_StartExport(int mode, int* answer) {
    DscConnection* c = &g_connection;
    *answer = 1;
    if (c->sendBuffer) // a selection dialog still holds the connection
        return false;
    c->mode = mode;
    const int result = DscCom_StartConnection(1, nullptr);
    if (result == 1)
        return false;
    if (result != DSC_OK) {
        if (result != DSC_ERR_INTERLOCK)
            VokDscCom_ReportResult(result);
        *answer = 0;
        return false;
    }
    return true;
}

void DscCom_CloseConnectingDialog(void) {
    closeConnectingDialog(&g_connection);
}
