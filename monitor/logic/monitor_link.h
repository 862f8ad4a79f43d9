/* The monitor's side of the camera link: VokUsb01 loaded by file name with its operations bound
 * by name, and the two commands it sends (128 reads the button, 134 clears it), framed and
 * judged by the connection library's packet functions. Used by one thread at a time. */
#ifndef QUBEXMON_MONITOR_LINK_H
#define QUBEXMON_MONITOR_LINK_H

#include <stdint.h>

#include <vector>

#include "VokUsb01.h"

namespace qubexmon {

struct MonLink {
    VokUsbHandle (*open_dev)(void) = nullptr;
    VokUsbHandle (*open_file)(const char*) = nullptr;
    int (*preBulkRead_RT70)(VokUsbHandle, const uint16_t*) = nullptr;
    int (*preBulkWrite_RT70)(VokUsbHandle, const uint16_t*) = nullptr;
    int (*WritePipe)(VokUsbHandle, const void*, uint32_t, uint32_t*) = nullptr;
    int (*ReadPipe)(VokUsbHandle, void*, uint32_t, uint32_t*) = nullptr;
    int (*CloseHandle)(VokUsbHandle) = nullptr;
    std::vector<uint8_t> send; /* the two packet buffers */
    std::vector<uint8_t> receive;
};

/* Loads the link library from the program's folder (else the loader's path) and binds it.
 * false when it is missing or lacks an operation. */
bool MonLink_Load(MonLink* link);

/* open_dev alone: whether a camera is attached (the handle is closed at once). */
bool MonLink_CameraPresent(MonLink* link);

/* Command 128, one attempt. DSC_OK and the event byte of the reply, else a result code. */
int MonLink_ReadButton(MonLink* link, int* event);

/* Command 134, up to 20 attempts while the camera gives no answer or a bad one. */
int MonLink_ResetButton(MonLink* link);

} // namespace qubexmon

#endif
