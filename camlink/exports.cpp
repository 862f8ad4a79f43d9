/* The exported operations of VokUsb01: the seven camera-link operations, the pipe calls
 * that stand in for the platform's file calls, and the last-error getter. Each picks
 * its back end at run time: the virtual camera when VOKUSB_SIM is set, else libusb. */
#include "link.h"

#include <cstdlib>
#include <cstring>

using namespace camlink;

namespace {

const char* simSocketPath() {
    const char* path = std::getenv(VOKUSB_ENV_SIM);
    return (path && *path) ? path : nullptr;
}

HandleKind kindOfPipe(const char* name) {
    if (std::strcmp(name, "PIPE00") == 0)
        return HandleKind::PipeOut;
    if (std::strcmp(name, "PIPE01") == 0)
        return HandleKind::PipeIn;
    return HandleKind::PipeOther;
}

OpenResult openLink(const char* name, LinkHandle* out) {
    if (const char* path = simSocketPath())
        return simOpen(path, name, out);
    return usbOpen(name, out);
}

/* One control request on a device handle. The word in *value goes out for the
 * requests without output; the others send two zero bytes and fill *value. */
int control(VokUsbHandle device, uint32_t code, uint16_t* value, bool hasOutput) {
    if (device == VOKUSB_INVALID_HANDLE)
        return 0;
    setLastError(VOKUSB_ERR_NONE);
    if (!value) {
        setLastError(VOKUSB_ERR_INVALID_PARAMETER);
        return 0;
    }
    LinkHandle h;
    if (!findHandle(device, &h)) {
        setLastError(VOKUSB_ERR_INVALID_HANDLE);
        return 0;
    }
    if (h.kind != HandleKind::Device) {
        setLastError(VOKUSB_ERR_INVALID_FUNCTION);
        return 0;
    }
    uint8_t in[2] = {0, 0};
    if (!hasOutput) {
        in[0] = static_cast<uint8_t>(*value & 0xFF);
        in[1] = static_cast<uint8_t>(*value >> 8);
    }
    uint8_t out[2] = {0, 0};
    const uint16_t outLength = hasOutput ? 2 : 0;
    const bool ok = h.sim ? simControl(h, code, in, 2, out, outLength)
                          : usbControl(h, code, in, 2, out, outLength);
    if (!ok)
        return 0;
    if (hasOutput)
        *value = static_cast<uint16_t>(out[0] | (out[1] << 8));
    return 1;
}

} // namespace

VOK_EXTERN_C VokUsbHandle open_dev(void) {
    setLastError(VOKUSB_ERR_NONE);
    LinkHandle h;
    if (openLink("DEV", &h) != OpenResult::Ok) {
        setLastError(VOKUSB_ERR_OPEN);
        return VOKUSB_INVALID_HANDLE;
    }
    h.kind = HandleKind::Device;
    return addHandle(h);
}

VOK_EXTERN_C VokUsbHandle open_file(const char* pipeName) {
    setLastError(VOKUSB_ERR_NONE);
    // A missing name still looks for the camera first, so that "no camera" wins.
    LinkHandle h;
    const OpenResult r = openLink(pipeName ? pipeName : "", &h);
    if (r == OpenResult::NoCamera) {
        setLastError(VOKUSB_ERR_NO_INTERFACE);
        return VOKUSB_INVALID_HANDLE;
    }
    if (r != OpenResult::Ok) {
        setLastError(VOKUSB_ERR_OPEN);
        return VOKUSB_INVALID_HANDLE;
    }
    h.kind = kindOfPipe(pipeName ? pipeName : "");
    return addHandle(h);
}

VOK_EXTERN_C int setBulkWriteSize(VokUsbHandle device, const uint16_t* value) {
    uint16_t word = value ? *value : 0;
    return control(device, VOKUSB_IOCTL_SET_BULK_WRITE_SIZE, value ? &word : nullptr, false);
}

VOK_EXTERN_C int getBulkReadSize(VokUsbHandle device, uint16_t* value) {
    return control(device, VOKUSB_IOCTL_GET_BULK_READ_SIZE, value, true);
}

VOK_EXTERN_C int preBulkRead(VokUsbHandle device, const uint16_t* value) {
    uint16_t word = value ? *value : 0;
    return control(device, VOKUSB_IOCTL_PRE_BULK_READ, value ? &word : nullptr, false);
}

VOK_EXTERN_C int getBulkButtonStatus(VokUsbHandle device, uint16_t* value) {
    return control(device, VOKUSB_IOCTL_GET_BUTTON_STATUS, value, true);
}

VOK_EXTERN_C int preBulkRead_RT70(VokUsbHandle device, const uint16_t* value) {
    uint16_t word = value ? *value : 0;
    return control(device, VOKUSB_IOCTL_PRE_BULK_READ_RT70, value ? &word : nullptr, false);
}

VOK_EXTERN_C int preBulkWrite_RT70(VokUsbHandle device, const uint16_t* value) {
    uint16_t word = value ? *value : 0;
    return control(device, VOKUSB_IOCTL_PRE_BULK_WRITE_RT70, value ? &word : nullptr, false);
}

namespace {

// The checks both pipe calls make before moving bytes: arguments, a live handle, and a pipe
// of the right direction. Sets the last error and gives false when one fails.
bool openPipeFor(VokUsbHandle pipe, const void* data, uint32_t length, HandleKind direction,
                 LinkHandle* h) {
    if (!data && length > 0) {
        setLastError(VOKUSB_ERR_INVALID_PARAMETER);
        return false;
    }
    if (!findHandle(pipe, h)) {
        setLastError(VOKUSB_ERR_INVALID_HANDLE);
        return false;
    }
    if (h->kind != direction && h->kind != HandleKind::PipeOther) {
        setLastError(VOKUSB_ERR_INVALID_FUNCTION);
        return false;
    }
    return true;
}

} // namespace

VOK_EXTERN_C int VokUsb_WritePipe(VokUsbHandle pipe, const void* data, uint32_t length,
                                  uint32_t* done) {
    if (done)
        *done = 0;
    LinkHandle h;
    if (!openPipeFor(pipe, data, length, HandleKind::PipeOut, &h))
        return 0;
    uint32_t moved = 0;
    const bool ok = h.sim ? simWrite(h, data, length, &moved) : usbWrite(h, data, length, &moved);
    if (done)
        *done = moved;
    return ok ? 1 : 0;
}

VOK_EXTERN_C int VokUsb_ReadPipe(VokUsbHandle pipe, void* data, uint32_t length, uint32_t* done) {
    if (done)
        *done = 0;
    LinkHandle h;
    if (!openPipeFor(pipe, data, length, HandleKind::PipeIn, &h))
        return 0;
    uint32_t moved = 0;
    const bool ok = h.sim ? simRead(h, data, length, &moved) : usbRead(h, data, length, &moved);
    if (done)
        *done = moved;
    return ok ? 1 : 0;
}

VOK_EXTERN_C int VokUsb_CloseHandle(VokUsbHandle handle) {
    LinkHandle h;
    if (!takeHandle(handle, &h)) {
        setLastError(VOKUSB_ERR_INVALID_HANDLE);
        return 0;
    }
    if (h.sim)
        simClose(h);
    else
        usbClose(h);
    return 1;
}

VOK_EXTERN_C uint32_t VokUsb_GetLastError(void) {
    return lastError();
}
