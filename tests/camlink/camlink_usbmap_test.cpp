/* The USB mapping of the camera link for a real camera: ids from VOKUSB_ID, vendor
 * request numbers of the control codes, and the endpoints the pipe names stand for. */
#include "VokUsb01.h"
#include "usb_map.h"

#include <gtest/gtest.h>

namespace {

TEST(CamlinkUsbMap, ControlCodesBecomeVendorRequestsEightToThirteen) {
    EXPECT_EQ(camlink::vendorRequestOf(VOKUSB_IOCTL_SET_BULK_WRITE_SIZE), 8);
    EXPECT_EQ(camlink::vendorRequestOf(VOKUSB_IOCTL_GET_BULK_READ_SIZE), 9);
    EXPECT_EQ(camlink::vendorRequestOf(VOKUSB_IOCTL_PRE_BULK_READ), 10);
    EXPECT_EQ(camlink::vendorRequestOf(VOKUSB_IOCTL_GET_BUTTON_STATUS), 11);
    EXPECT_EQ(camlink::vendorRequestOf(VOKUSB_IOCTL_PRE_BULK_READ_RT70), 12);
    EXPECT_EQ(camlink::vendorRequestOf(VOKUSB_IOCTL_PRE_BULK_WRITE_RT70), 13);
}

TEST(CamlinkUsbMap, IdListParses) {
    auto ids = camlink::parseUsbIds("1234:abCD");
    ASSERT_EQ(ids.size(), 1u);
    EXPECT_EQ(ids[0].vendor, 0x1234);
    EXPECT_EQ(ids[0].product, 0xABCD);
    ids = camlink::parseUsbIds("1:2,bad,12345:1,1:2:3,:5,6:,ffff:0");
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_EQ(ids[0].vendor, 1);
    EXPECT_EQ(ids[0].product, 2);
    EXPECT_EQ(ids[1].vendor, 0xFFFF);
    EXPECT_EQ(ids[1].product, 0);
    EXPECT_TRUE(camlink::parseUsbIds("").empty());
}

TEST(CamlinkUsbMap, PipeNamesPickTheEndpointDirection) {
    EXPECT_EQ(camlink::pipeDirectionOf("PIPE00"), 0);
    EXPECT_EQ(camlink::pipeDirectionOf("PIPE01"), 1);
    EXPECT_EQ(camlink::pipeDirectionOf("pipe00"), -1);
    EXPECT_EQ(camlink::pipeDirectionOf("PIPE02"), -1);
}

} // namespace
