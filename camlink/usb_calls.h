/* The libusb functions the USB back end calls, gathered in one table so that a test can
 * put a fake device behind them. The table starts with libusb's own functions; nothing
 * but a test changes it, and only before the first open. */
#ifndef VOK_CAMLINK_USB_CALLS_H
#define VOK_CAMLINK_USB_CALLS_H

#include <libusb.h>

namespace camlink {

struct UsbCalls {
    int (*init)(libusb_context** ctx);
    ssize_t (*getDeviceList)(libusb_context* ctx, libusb_device*** list);
    void (*freeDeviceList)(libusb_device** list, int unrefDevices);
    int (*getDeviceDescriptor)(libusb_device* device, libusb_device_descriptor* desc);
    uint8_t (*getBusNumber)(libusb_device* device);
    uint8_t (*getDeviceAddress)(libusb_device* device);
    int (*getActiveConfigDescriptor)(libusb_device* device, libusb_config_descriptor** config);
    void (*freeConfigDescriptor)(libusb_config_descriptor* config);
    int (*open)(libusb_device* device, libusb_device_handle** handle);
    void (*close)(libusb_device_handle* handle);
    int (*setAutoDetachKernelDriver)(libusb_device_handle* handle, int enable);
    int (*claimInterface)(libusb_device_handle* handle, int interfaceNumber);
    int (*releaseInterface)(libusb_device_handle* handle, int interfaceNumber);
    int (*controlTransfer)(libusb_device_handle* handle, uint8_t requestType, uint8_t request,
                           uint16_t value, uint16_t index, unsigned char* data, uint16_t length,
                           unsigned int timeout);
    int (*bulkTransfer)(libusb_device_handle* handle, unsigned char endpoint, unsigned char* data,
                        int length, int* transferred, unsigned int timeout);
};

UsbCalls& usbCalls();

} // namespace camlink

#endif
