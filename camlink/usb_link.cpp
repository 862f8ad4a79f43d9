/* The real camera through libusb-1.0: finds the device by the ids of VOKUSB_ID, opens
 * the bulk endpoint a pipe name stands for, sends control codes as vendor requests (the
 * mapping itself is in usb_map.h), and keeps each camera's reply pending between reads. */
#include "link.h"
#include "usb_calls.h"
#include "usb_map.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace camlink {

UsbCalls& usbCalls() {
    static UsbCalls calls = {libusb_init,
                             libusb_get_device_list,
                             libusb_free_device_list,
                             libusb_get_device_descriptor,
                             libusb_get_bus_number,
                             libusb_get_device_address,
                             libusb_get_active_config_descriptor,
                             libusb_free_config_descriptor,
                             libusb_open,
                             libusb_close,
                             libusb_set_auto_detach_kernel_driver,
                             libusb_claim_interface,
                             libusb_release_interface,
                             libusb_control_transfer,
                             libusb_bulk_transfer};
    return calls;
}

/* The reply a camera handed over on its bulk IN endpoint, kept until a read covers it. A
 * bulk endpoint gives each byte out once, but the callers peek at a reply's first byte and
 * then read it again from its start, with a new pipe handle each time; the device driver
 * of the original platform kept the reply for them, and this stands in for it. */
struct UsbReply {
    std::mutex mutex;
    std::vector<unsigned char> bytes; // empty: no reply pending
};

namespace {

// The largest packet of the camera protocol fits; the camera ends a shorter reply with a
// short packet, so one transfer of this size takes any reply whole.
constexpr int kLargestReply = 33792;

/* The pending reply of the camera at a bus address, made on first use and kept while the
 * library is loaded: the handles on a camera come and go with every transfer. */
UsbReply* replyOf(libusb_device* device) {
    static std::mutex mutex;
    static std::map<unsigned, std::unique_ptr<UsbReply>> replies;
    const unsigned key = (static_cast<unsigned>(usbCalls().getBusNumber(device)) << 8) |
                         usbCalls().getDeviceAddress(device);
    std::lock_guard<std::mutex> lock(mutex);
    std::unique_ptr<UsbReply>& reply = replies[key];
    if (!reply)
        reply = std::make_unique<UsbReply>();
    return reply.get();
}

std::vector<UsbId> configuredIds() {
    const char* text = std::getenv(VOKUSB_ENV_ID);
    return text ? parseUsbIds(text) : std::vector<UsbId>{};
}

/* One libusb context for the process, made on first use; null when USB is unavailable. */
libusb_context* context() {
    static std::once_flag once;
    static libusb_context* ctx = nullptr;
    std::call_once(once, [] {
        if (usbCalls().init(&ctx) != 0)
            ctx = nullptr;
    });
    return ctx;
}

void failUsb(int code) {
    setLastError(code == LIBUSB_ERROR_TIMEOUT ? VOKUSB_ERR_TIMEOUT : VOKUSB_ERR_GEN_FAILURE);
}

/* The interface and address of the first bulk endpoint of a direction, in descriptor order. */
bool findBulkEndpoint(libusb_device* device, bool in, int* interfaceNumber,
                      unsigned char* address) {
    libusb_config_descriptor* config = nullptr;
    if (usbCalls().getActiveConfigDescriptor(device, &config) != 0)
        return false;
    bool found = false;
    for (int i = 0; i < config->bNumInterfaces && !found; ++i) {
        const libusb_interface& itf = config->interface[i];
        if (itf.num_altsetting < 1)
            continue;
        const libusb_interface_descriptor& alt = itf.altsetting[0];
        for (int e = 0; e < alt.bNumEndpoints && !found; ++e) {
            const libusb_endpoint_descriptor& ep = alt.endpoint[e];
            const bool bulk =
                (ep.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK) == LIBUSB_TRANSFER_TYPE_BULK;
            const bool isIn =
                (ep.bEndpointAddress & LIBUSB_ENDPOINT_DIR_MASK) == LIBUSB_ENDPOINT_IN;
            if (bulk && isIn == in) {
                *interfaceNumber = alt.bInterfaceNumber;
                *address = ep.bEndpointAddress;
                found = true;
            }
        }
    }
    usbCalls().freeConfigDescriptor(config);
    return found;
}

} // namespace

OpenResult usbOpen(const char* name, LinkHandle* out) {
    const std::vector<UsbId> ids = configuredIds();
    libusb_context* ctx = ids.empty() ? nullptr : context();
    if (!ctx)
        return OpenResult::NoCamera;

    libusb_device** list = nullptr;
    const ssize_t count = usbCalls().getDeviceList(ctx, &list);
    if (count < 0)
        return OpenResult::NoCamera;

    // As with the original device-interface search: the first matching device that opens wins.
    OpenResult result = OpenResult::NoCamera;
    for (ssize_t i = 0; i < count && result == OpenResult::NoCamera; ++i) {
        libusb_device_descriptor desc{};
        if (usbCalls().getDeviceDescriptor(list[i], &desc) != 0)
            continue;
        bool wanted = false;
        for (const UsbId& id : ids)
            wanted = wanted || (id.vendor == desc.idVendor && id.product == desc.idProduct);
        libusb_device_handle* handle = nullptr;
        if (!wanted || usbCalls().open(list[i], &handle) != 0)
            continue;

        LinkHandle h;
        h.sim = false;
        h.usb = handle;
        h.reply = replyOf(list[i]);
        result = OpenResult::Ok;
        if (std::strcmp(name, "DEV") != 0) {
            const int direction = pipeDirectionOf(name);
            int itf = -1;
            unsigned char ep = 0;
            if (direction < 0 || !findBulkEndpoint(list[i], direction == 1, &itf, &ep)) {
                result = OpenResult::Refused;
            } else {
                usbCalls().setAutoDetachKernelDriver(handle, 1);
                if (usbCalls().claimInterface(handle, itf) != 0)
                    result = OpenResult::Refused;
                h.usbInterface = itf;
                h.endpoint = ep;
            }
        }
        if (result == OpenResult::Ok)
            *out = h;
        else
            usbCalls().close(handle);
    }
    usbCalls().freeDeviceList(list, 1);
    return result;
}

bool usbControl(const LinkHandle& h, uint32_t code, const uint8_t* in, uint16_t inLength,
                uint8_t* out, uint16_t outLength) {
    assert(h.reply);
    {
        // While a reply is pending the camera has handed it over already; the library answers
        // for it, as the virtual camera does: a read may follow, of that many bytes.
        std::lock_guard<std::mutex> lock(h.reply->mutex);
        const size_t pending = h.reply->bytes.size();
        if (pending > 0 && code == VOKUSB_IOCTL_PRE_BULK_READ_RT70)
            return true;
        if (pending > 0 && code == VOKUSB_IOCTL_GET_BULK_READ_SIZE && outLength >= 2) {
            out[0] = static_cast<uint8_t>(pending);
            out[1] = static_cast<uint8_t>(pending >> 8);
            return true;
        }
    }
    const uint8_t request = vendorRequestOf(code);
    // The input word rides in wValue; a request with output reads it in the data stage.
    const uint16_t wValue = inLength >= 2 ? static_cast<uint16_t>(in[0] | (in[1] << 8)) : 0;
    const uint8_t type = LIBUSB_REQUEST_TYPE_VENDOR | LIBUSB_RECIPIENT_DEVICE |
                         (outLength ? LIBUSB_ENDPOINT_IN : LIBUSB_ENDPOINT_OUT);
    const int rc =
        usbCalls().controlTransfer(h.usb, type, request, wValue, 0, outLength ? out : nullptr,
                                   outLength, static_cast<unsigned>(linkTimeoutMs()));
    if (rc < 0) {
        failUsb(rc);
        return false;
    }
    if (rc < outLength) {
        setLastError(VOKUSB_ERR_GEN_FAILURE);
        return false;
    }
    return true;
}

bool usbWrite(const LinkHandle& h, const void* data, uint32_t length, uint32_t* done) {
    assert(h.reply);
    if (length > 0x7FFFFFFF) {
        setLastError(VOKUSB_ERR_INVALID_PARAMETER);
        return false;
    }
    // A new request: whatever is left of the last reply will never be asked for.
    std::lock_guard<std::mutex> lock(h.reply->mutex);
    h.reply->bytes.clear();
    int moved = 0;
    const int rc = usbCalls().bulkTransfer(
        h.usb, h.endpoint, static_cast<unsigned char*>(const_cast<void*>(data)),
        static_cast<int>(length), &moved, static_cast<unsigned>(linkTimeoutMs()));
    *done = static_cast<uint32_t>(moved > 0 ? moved : 0);
    if (rc != 0) {
        failUsb(rc);
        return false;
    }
    return true;
}

bool usbRead(const LinkHandle& h, void* data, uint32_t length, uint32_t* done) {
    assert(h.reply);
    std::lock_guard<std::mutex> lock(h.reply->mutex);
    std::vector<unsigned char>& reply = h.reply->bytes;
    if (reply.empty()) {
        reply.resize(kLargestReply);
        int moved = 0;
        const int rc = usbCalls().bulkTransfer(h.usb, h.endpoint, reply.data(), kLargestReply,
                                               &moved, static_cast<unsigned>(linkTimeoutMs()));
        // Part of a reply is no reply: nothing stays pending after a failed transfer.
        reply.resize(rc == 0 && moved > 0 ? static_cast<size_t>(moved) : 0);
        if (rc != 0) {
            failUsb(rc);
            return false;
        }
    }
    const size_t count = std::min<size_t>(length, reply.size());
    if (count > 0)
        std::memcpy(data, reply.data(), count);
    *done = static_cast<uint32_t>(count);
    if (length >= reply.size())
        reply.clear();
    return true;
}

void usbClose(const LinkHandle& h) {
    if (!h.usb)
        return;
    if (h.usbInterface >= 0)
        usbCalls().releaseInterface(h.usb, h.usbInterface);
    usbCalls().close(h.usb);
}

} // namespace camlink
