// The camera side of the housekeeping: clock registers, the delete command, the clock and
// button-reset exports, and the tool operations for the clock and for deleting. The clock
// dialog plugs in through DscClock_SetDialogHook.
#include <vector>

#include "../housekeeping/DscHousekeeping.h"
#include "DscEngine.h"
#include "DscGuard.h"
#include "vok_bytes.h"

namespace {

const int kClockMode = 3; // neither a download mode that counts images nor the upload's

DscClockDialogHook g_clockDialog = nullptr;

bool connected() {
    return DscCom_Record()->sendBuffer != nullptr;
}

struct ToolDelete {
    const uint16_t* folders;
    const uint16_t* images;
};

int toolAsk(void*, int32_t) {
    return DSC_DELETE_ALL;
}
int toolRemove(void* context, int32_t index) {
    auto* t = static_cast<ToolDelete*>(context);
    return DscDel_DeleteImage(t->folders[index], t->images[index]);
}
void toolNothing(void*) {}
int toolNoCancel(void*) {
    return 0;
}
// The refusal ends the walk with its result: noted as reported, so that no table repeats it.
void toolMessage(void*, int number) {
    DscCom_Fail(DSC_ERR_REPORTED, number);
}
void toolPause(void*, int milliseconds) {
    DscCom_Wait(milliseconds);
}

} // namespace

void DscClock_SetDialogHook(DscClockDialogHook hook) {
    g_clockDialog = hook;
}

int DscClock_ReadRegister(uint16_t address, uint16_t* value) {
    uint8_t payload[2] = {static_cast<uint8_t>(address), static_cast<uint8_t>(address >> 8)};
    uint32_t length = DscCom_Record()->variant == 2 ? 1 : 2;
    int result = DscCom_Command(DSC_CMD_READ_REGISTER, 0, payload, length, DSC_REPLY_REGISTER);
    if (result == DSC_OK) {
        const uint8_t* r = DscCom_Record()->recvBuffer;
        *value = vokc::GetLe16(r + 4);
    }
    return result;
}

int DscClock_WriteRegister(uint16_t address, uint16_t value) {
    uint8_t payload[4] = {static_cast<uint8_t>(address), static_cast<uint8_t>(address >> 8),
                          static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    return DscCom_Command(DSC_CMD_WRITE_REGISTER, 0, payload, sizeof payload, DSC_REPLY_STATUS);
}

int DscClock_Read(VokClock* clock) {
    int32_t variant = DscCom_Record()->variant;
    uint16_t values[3] = {};
    for (int which = 0; which < 3; ++which) {
        DscCom_Wait(100);
        int result = DscClock_ReadRegister(DscClock_Register(variant, which), &values[which]);
        if (result != DSC_OK)
            return result;
    }
    *clock = DscClock_FromRegisters(values[0], values[1], values[2]);
    return DSC_OK;
}

int DscClock_Write(const VokClock& clock) {
    int32_t variant = DscCom_Record()->variant;
    const uint16_t values[3] = {static_cast<uint16_t>(clock.year),
                                DscClock_DateValue(clock.month, clock.day),
                                DscClock_TimeValue(clock.hour, clock.minute)};
    for (int which = 0; which < 3; ++which) {
        int result = DscClock_WriteRegister(DscClock_Register(variant, which), values[which]);
        if (result != DSC_OK)
            return result;
    }
    return DSC_OK;
}

int DscDel_DeleteImage(uint16_t folder, uint16_t image) {
    uint8_t payload[4] = {static_cast<uint8_t>(folder), static_cast<uint8_t>(folder >> 8),
                          static_cast<uint8_t>(image), static_cast<uint8_t>(image >> 8)};
    return DscCom_Command(DSC_CMD_DELETE, 0, payload, sizeof payload, DSC_REPLY_STATUS);
}

int32_t VokDscCom_RT70_TimeSetup(void) {
    return DscCom_Guarded(0, [&] {
        int answer = 0;
        if (!DscCom_StartExport(kClockMode, &answer))
            return answer;
        DscConnection* c = DscCom_Record();
        if (!g_clockDialog || g_clockDialog(c) != 0) {
            DscCom_CloseConnectingDialog();
            DscCom_ShowMessage(DSC_MSG_UNEXPECTED);
            DscCom_CloseConnection();
            return 0;
        }
        DscCom_CloseConnectingDialog(); // already closed when the clock could be read
        DscCom_CloseConnection();
        return 1;
    });
}

int32_t VokDscCom_ResetButtonStatus(void) {
    return DscCom_Guarded(0, [&] {
        DscConnection* c = DscCom_Record();
        if (DscCom_Notify(WM_DSC_STATUS, DSC_STATUS_BUSY_QUERY, 0))
            return 1;
        if (c->sendBuffer)
            return 1;
        if (DscCom_OtherOwnerActive()) {
            DscCom_ShowMessage(DSC_MSG_OTHER_APP);
            return 0;
        }
        if (!DscCom_OpenConnection())
            return 0;
        if (DscCom_WaitForMonitor() != 0) {
            DscCom_ReleaseBuffers();
            return 0;
        }
        int identify = DscCom_Identify();
        DscCom_Command(DSC_CMD_END, 0, nullptr, 0, DSC_REPLY_STATUS);
        if (identify == DSC_ERR_NOITEM)
            DscCom_Command(DSC_CMD_END, 0, nullptr, 0, DSC_REPLY_STATUS);
        DscCom_ReleaseBuffers();
        return 1;
    });
}

int VokDscCom_ReadClock(VokClock* clock) {
    return DscCom_Guarded(DSC_ERR_REPORTED, [&] {
        if (!connected() || !clock)
            return DSC_ERR_REPORTED;
        return DscClock_Read(clock);
    });
}

int VokDscCom_WriteClock(const VokClock* clock) {
    return DscCom_Guarded(DSC_ERR_REPORTED, [&] {
        if (!connected() || !clock)
            return DSC_ERR_REPORTED;
        return DscClock_Write(*clock);
    });
}

int VokDscCom_DeleteImages(const uint16_t* folders, const uint16_t* images, int32_t count,
                           int32_t* deleted) {
    return DscCom_Guarded(DSC_ERR_REPORTED, [&] {
        if (!connected() || count < 0 || (count > 0 && (!folders || !images)))
            return DSC_ERR_REPORTED;
        std::vector<DscImageRecord> records(static_cast<size_t>(count), DscImageRecord{});
        for (DscImageRecord& r : records)
            r.selected = 1;
        ToolDelete tool = {folders, images};
        DscDeleteSteps steps = {&tool,       toolAsk,      toolRemove,  toolNothing, toolNoCancel,
                                toolNothing, toolNoCancel, toolMessage, toolPause};
        int result = DscDel_Walk(&records, steps, 0);
        for (int32_t i = 0; deleted && i < count; ++i)
            deleted[i] = records[i].selected;
        return result;
    });
}
