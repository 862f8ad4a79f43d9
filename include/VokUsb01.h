/* VokUsb01: the camera link. Finds the camera, opens the device or one of its bulk
 * pipes per transfer, and issues the control requests that prepare bulk transfers.
 * The connection library and the monitor load it by file name (dlopen) and bind
 * these names (dlsym). Handles belong to the caller, who closes them. */
#ifndef VOK_USB01_H
#define VOK_USB01_H

#include "VokPlatform.h"

/* A device or pipe handle; VOKUSB_INVALID_HANDLE means failure. */
typedef intptr_t VokUsbHandle;
#define VOKUSB_INVALID_HANDLE ((VokUsbHandle)-1)

/* Last-error values. */
#define VOKUSB_ERR_NONE 0x20000000u
#define VOKUSB_ERR_NO_INTERFACE 0x20000001u
#define VOKUSB_ERR_OPEN 0x20000002u
/* Errors of the link itself (the platform's numbers for the same faults), set by a
 * control request or a pipe call that fails. */
#define VOKUSB_ERR_INVALID_FUNCTION 1u   /* wrong kind of handle for the call */
#define VOKUSB_ERR_INVALID_HANDLE 6u     /* not a handle of this library, or closed */
#define VOKUSB_ERR_GEN_FAILURE 31u       /* the camera refused, or the link broke */
#define VOKUSB_ERR_INVALID_PARAMETER 87u /* a null value pointer or buffer */
#define VOKUSB_ERR_TIMEOUT 121u          /* the camera did not answer in time */

/* Control request codes. */
#define VOKUSB_IOCTL_SET_BULK_WRITE_SIZE 0x230020u
#define VOKUSB_IOCTL_GET_BULK_READ_SIZE 0x230024u
#define VOKUSB_IOCTL_PRE_BULK_READ 0x230028u
#define VOKUSB_IOCTL_GET_BUTTON_STATUS 0x23002Cu
#define VOKUSB_IOCTL_PRE_BULK_READ_RT70 0x230030u
#define VOKUSB_IOCTL_PRE_BULK_WRITE_RT70 0x230034u

/* Environment: VOKUSB_SIM=PATH selects the virtual camera on that UNIX socket;
 * otherwise VOKUSB_ID=VVVV:PPPP[,VVVV:PPPP...] names the USB camera (camlink/README.md). */
#define VOKUSB_ENV_SIM "VOKUSB_SIM"
#define VOKUSB_ENV_ID "VOKUSB_ID"

/* The file name the library is loaded by. */
#define VOKUSB_LIBRARY_NAME "libVokUsb01.so"

VOK_BEGIN_DECLS

VOK_API VokUsbHandle open_dev(void);
VOK_API VokUsbHandle open_file(const char* pipeName);
VOK_API int setBulkWriteSize(VokUsbHandle device, const uint16_t* value);
VOK_API int getBulkReadSize(VokUsbHandle device, uint16_t* value);
VOK_API int preBulkRead(VokUsbHandle device, const uint16_t* value);
VOK_API int getBulkButtonStatus(VokUsbHandle device, uint16_t* value);
VOK_API int preBulkRead_RT70(VokUsbHandle device, const uint16_t* value);
VOK_API int preBulkWrite_RT70(VokUsbHandle device, const uint16_t* value);

/* Stand-ins for the platform's file calls on a handle. Each returns 1 and the count
 * moved in *done, or 0 on failure (last error set). */
VOK_API int VokUsb_WritePipe(VokUsbHandle pipe, const void* data, uint32_t length, uint32_t* done);
VOK_API int VokUsb_ReadPipe(VokUsbHandle pipe, void* data, uint32_t length, uint32_t* done);
VOK_API int VokUsb_CloseHandle(VokUsbHandle handle);

/* The calling thread's last-error value. */
VOK_API uint32_t VokUsb_GetLastError(void);

VOK_END_DECLS

#endif
