/* How the camera link's device requests map onto USB for a real camera, in one place: the
 * vendor:product ids of VOKUSB_ID, the vendor request number of a control code, and
 * which pipe name is which bulk endpoint. Pure functions, so tests can check them. */
#ifndef VOK_CAMLINK_USB_MAP_H
#define VOK_CAMLINK_USB_MAP_H

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace camlink {

struct UsbId {
    uint16_t vendor;
    uint16_t product;
};

/* "VVVV:PPPP[,VVVV:PPPP...]", hexadecimal, 1 to 4 digits each; malformed entries are
 * skipped. */
inline std::vector<UsbId> parseUsbIds(const std::string& text) {
    std::vector<UsbId> ids;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string item = text.substr(start, end - start);
        const size_t colon = item.find(':');
        const bool wellFormed =
            colon != std::string::npos && colon >= 1 && colon <= 4 &&
            item.size() - colon - 1 >= 1 && item.size() - colon - 1 <= 4 &&
            item.find_first_not_of("0123456789abcdefABCDEF:") == std::string::npos &&
            item.find(':', colon + 1) == std::string::npos;
        if (wellFormed) {
            ids.push_back(
                {static_cast<uint16_t>(std::strtoul(item.substr(0, colon).c_str(), nullptr, 16)),
                 static_cast<uint16_t>(std::strtoul(item.substr(colon + 1).c_str(), nullptr, 16))});
        }
        start = end + 1;
    }
    return ids;
}

/* The function code of a device request (bits 2 to 13): 0x230020 gives 8 ... 0x230034
 * gives 13. It is the vendor request number sent to the camera. */
constexpr uint8_t vendorRequestOf(uint32_t code) {
    return static_cast<uint8_t>((code >> 2) & 0xFF);
}

/* PIPE00 is the first bulk OUT endpoint, PIPE01 the first bulk IN endpoint; -1 for any
 * other name, 0 for OUT, 1 for IN. */
inline int pipeDirectionOf(const std::string& name) {
    if (name == "PIPE00")
        return 0;
    if (name == "PIPE01")
        return 1;
    return -1;
}

} // namespace camlink

#endif
