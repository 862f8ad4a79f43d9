/* One request and its reply over the bulk pipes: the device prepares each transfer, a pipe is
 * opened per write or read, the reply is peeked for its type byte and then read whole. The
 * monitor sleeps plainly after a send and shows no message for a failed exchange. */
#include "monitor_link.h"

#include <dlfcn.h>

#include "DscPacket.h"
#include "VokComRT70.h"
#include "monitor_timing.h"
#include "vok_dl.h"

namespace qubexmon {
namespace {

constexpr uint8_t kReadButton = 128;
constexpr uint8_t kButtonReply = 129;
constexpr uint8_t kResetButton = 134;
constexpr int kResetAttempts = 20;

/* Opens the device, runs one preparation call on it and closes it. */
bool Prepare(MonLink* l, int (*call)(VokUsbHandle, const uint16_t*)) {
    const VokUsbHandle device = l->open_dev();
    if (device == VOKUSB_INVALID_HANDLE)
        return false;
    const uint16_t zero = 0;
    const int ok = call(device, &zero);
    l->CloseHandle(device);
    return ok != 0;
}

int Send(MonLink* l, uint32_t length) {
    if (!Prepare(l, l->preBulkWrite_RT70))
        return DSC_ERR_WRITE;
    const VokUsbHandle pipe = l->open_file("PIPE00");
    if (pipe == VOKUSB_INVALID_HANDLE)
        return DSC_ERR_PIPE;
    uint32_t done = 0;
    const int ok = l->WritePipe(pipe, l->send.data(), length, &done);
    l->CloseHandle(pipe);
    return ok && done == length ? DSC_OK : DSC_ERR_WRITE;
}

/* One read of wanted bytes from the start of the pending reply. */
int ReadOnce(MonLink* l, uint32_t wanted) {
    if (!Prepare(l, l->preBulkRead_RT70))
        return DSC_ERR_NOANSWER;
    const VokUsbHandle pipe = l->open_file("PIPE01");
    if (pipe == VOKUSB_INVALID_HANDLE)
        return DSC_ERR_PIPE;
    uint32_t done = 0;
    const int ok = l->ReadPipe(pipe, l->receive.data(), wanted, &done);
    l->CloseHandle(pipe);
    return ok && done == wanted ? DSC_OK : DSC_ERR_REPLY;
}

int Exchange(MonLink* l, uint8_t command, int expected) {
    const uint32_t length = DscPacket_Build(l->send.data(), static_cast<uint32_t>(l->send.size()),
                                            DSC_TYPE_SHORT, 0, command, nullptr, 0);
    if (length == 0)
        return DSC_ERR_WRITE;
    int result = Send(l, length);
    if (result != DSC_OK)
        return result;
    MonSleepPlain(kMonSendSleepMs);
    result = ReadOnce(l, 1);
    if (result != DSC_OK)
        return result;
    const uint32_t total = DscPacket_Length(l->receive[0]);
    if (total == 0 || total > l->receive.size())
        return DSC_ERR_FRAME;
    result = ReadOnce(l, total);
    if (result != DSC_OK)
        return result;
    const DscReplyRule rule{0, command, expected, 0};
    return DscPacket_Check(l->receive.data(), total, &rule).result;
}

} // namespace

bool MonLink_Load(MonLink* l) {
    void* module =
        vokc::OpenBeside(reinterpret_cast<const void*>(&MonLink_Load), VOKUSB_LIBRARY_NAME);
    if (!module)
        module = dlopen(VOKUSB_LIBRARY_NAME, RTLD_NOW | RTLD_LOCAL);
    if (!module)
        return false;
    l->send.assign(DSC_BUFFER_SIZE, 0);
    l->receive.assign(DSC_BUFFER_SIZE, 0);
    return vokc::Bind(module, "open_dev", l->open_dev) &&
           vokc::Bind(module, "open_file", l->open_file) &&
           vokc::Bind(module, "preBulkRead_RT70", l->preBulkRead_RT70) &&
           vokc::Bind(module, "preBulkWrite_RT70", l->preBulkWrite_RT70) &&
           vokc::Bind(module, "VokUsb_WritePipe", l->WritePipe) &&
           vokc::Bind(module, "VokUsb_ReadPipe", l->ReadPipe) &&
           vokc::Bind(module, "VokUsb_CloseHandle", l->CloseHandle);
}

bool MonLink_CameraPresent(MonLink* l) {
    const VokUsbHandle device = l->open_dev();
    if (device == VOKUSB_INVALID_HANDLE)
        return false;
    l->CloseHandle(device);
    return true;
}

int MonLink_ReadButton(MonLink* l, int* event) {
    *event = 0;
    const int result = Exchange(l, kReadButton, kButtonReply);
    if (result == DSC_OK)
        *event = l->receive[DSC_HEADER_LENGTH];
    return result;
}

int MonLink_ResetButton(MonLink* l) {
    int result = DSC_ERR_NOANSWER;
    for (int attempt = 0; attempt < kResetAttempts; ++attempt) {
        result = Exchange(l, kResetButton, DSC_REPLY_STATUS);
        if (result != DSC_ERR_REPLY && result != DSC_ERR_NOANSWER)
            break;
    }
    return result;
}

} // namespace qubexmon
