/* Internal contract of the camera link: the handle table shared by both back ends,
 * the per-thread last error, and the operations each back end provides. */
#ifndef VOK_CAMLINK_LINK_H
#define VOK_CAMLINK_LINK_H

#include "VokUsb01.h"

#include <cstddef>
#include <cstdint>

struct libusb_device_handle;

namespace camlink {

struct UsbReply;

/* PipeOther: a pipe name the caller chose and the camera accepted; both directions. */
enum class HandleKind { Device, PipeOut, PipeIn, PipeOther };

/* One open handle. Sim handles own a socket; USB handles own a libusb device handle
 * (and, for a pipe, the claimed interface and its endpoint) and share their camera's
 * pending reply with every other handle on it. */
struct LinkHandle {
    HandleKind kind = HandleKind::Device;
    bool sim = true;
    int fd = -1;
    libusb_device_handle* usb = nullptr;
    int usbInterface = -1;
    unsigned char endpoint = 0;
    UsbReply* reply = nullptr;
};

void setLastError(uint32_t value);
uint32_t lastError();

/* Registers an open handle and returns its number (never VOKUSB_INVALID_HANDLE). */
VokUsbHandle addHandle(const LinkHandle& handle);
/* Copies the entry of an open handle; false when the number is not open. */
bool findHandle(VokUsbHandle number, LinkHandle* out);
/* Removes the entry and hands it back for closing; false when not open. */
bool takeHandle(VokUsbHandle number, LinkHandle* out);

/* Failure codes of an open, before they become last-error values. */
enum class OpenResult { Ok, NoCamera, Refused };

/* Time a link call may wait for the camera, in milliseconds (VOKUSB_TIMEOUT_MS). */
int linkTimeoutMs();

// The virtual camera link on a UNIX socket.
OpenResult simOpen(const char* socketPath, const char* name, LinkHandle* out);
bool simControl(const LinkHandle& h, uint32_t code, const uint8_t* in, uint16_t inLength,
                uint8_t* out, uint16_t outLength);
bool simWrite(const LinkHandle& h, const void* data, uint32_t length, uint32_t* done);
bool simRead(const LinkHandle& h, void* data, uint32_t length, uint32_t* done);
void simClose(const LinkHandle& h);

// A real camera through libusb-1.0.
OpenResult usbOpen(const char* name, LinkHandle* out);
bool usbControl(const LinkHandle& h, uint32_t code, const uint8_t* in, uint16_t inLength,
                uint8_t* out, uint16_t outLength);
bool usbWrite(const LinkHandle& h, const void* data, uint32_t length, uint32_t* done);
bool usbRead(const LinkHandle& h, void* data, uint32_t length, uint32_t* done);
void usbClose(const LinkHandle& h);

} // namespace camlink

#endif
