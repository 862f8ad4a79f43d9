// Packet framing and reply checking over the caller's bytes. The checker trusts only the
// bytes that really arrived, never the length a type byte promises, and shows nothing: its
// verdict names the message, and the exchange shows it.
#include "DscPacket.h"

#include <assert.h>
#include <string.h>

#include "VokMsgNumbers.h"

namespace {

// Replies whose bad checksum counts as a framing error (message 8) rather than a retry.
bool checksumIsFraming(int reply) {
    return reply == DSC_REPLY_BLOCK || reply == DSC_REPLY_COUNT_IMAGES ||
           reply == DSC_REPLY_LIST_IMAGES || reply == DSC_REPLY_INFO ||
           reply == DSC_REPLY_COUNT_ALL;
}

bool asksForItem(const DscReplyRule& rule) {
    return rule.request == DSC_CMD_THUMB_INFO || rule.request == DSC_CMD_IMAGE_INFO ||
           rule.request == DSC_CMD_INDEX_INFO ||
           (rule.thumbnail && rule.request == DSC_CMD_READ_BLOCK);
}

DscVerdict pass(int result) {
    return DscVerdict{result, 0};
}

DscVerdict framing() {
    return DscVerdict{DSC_ERR_FRAME, VOK_MSG_DATA_ERROR};
}

DscVerdict statusVerdict(uint8_t status) {
    switch (status) {
    case 0:
        return pass(DSC_OK);
    case 2:
        return pass(DSC_ERR_STATUS2);
    case 3:
        return pass(DSC_ERR_REPLY);
    case 4:
        return pass(DSC_ERR_MEMFULL);
    case 5:
        return pass(DSC_ERR_STATUS5);
    case 8:
        return pass(DSC_ERR_STATUS8);
    case 9:
        return pass(DSC_ERR_PROTECTED);
    default:
        return DscVerdict{DSC_ERR_REPORTED, VOK_MSG_CAMERA_ERROR};
    }
}

} // namespace

uint32_t DscPacket_Length(int type) {
    switch (type) {
    case DSC_TYPE_SHORT:
        return 16;
    case DSC_TYPE_LIST:
        return 262;
    case DSC_TYPE_BLOCK1K:
        return 1030;
    case DSC_TYPE_BLOCK32K:
        return 32774;
    default:
        return 0;
    }
}

uint8_t DscPacket_Checksum(const uint8_t* packet, uint32_t total) {
    assert(packet && total >= 3);
    uint32_t sum = 0;
    for (uint32_t i = 1; i + 2 < total; ++i)
        sum += packet[i];
    return static_cast<uint8_t>(sum);
}

uint32_t DscPacket_Build(uint8_t* buffer, uint32_t capacity, int type, uint8_t sequence,
                         uint8_t command, const void* payload, uint32_t payloadLength) {
    uint32_t total = DscPacket_Length(type);
    if (!buffer || total == 0 || total > capacity ||
        payloadLength > total - DSC_HEADER_LENGTH - DSC_TRAILER_LENGTH ||
        (payloadLength && !payload))
        return 0;
    buffer[0] = static_cast<uint8_t>(type);
    buffer[1] = sequence;
    buffer[2] = static_cast<uint8_t>(~sequence);
    buffer[3] = command;
    if (payloadLength)
        memcpy(buffer + DSC_HEADER_LENGTH, payload, payloadLength);
    memset(buffer + DSC_HEADER_LENGTH + payloadLength, 0,
           total - DSC_HEADER_LENGTH - payloadLength);
    buffer[total - 2] = DscPacket_Checksum(buffer, total);
    return total;
}

DscVerdict DscPacket_Check(const uint8_t* r, uint32_t got, const DscReplyRule* rule) {
    assert(rule);
    if (!r || got == 0)
        return pass(DSC_ERR_REPLY);
    uint32_t total = DscPacket_Length(r[0]);
    if (total == 0)
        return framing();
    if (got < 3)
        return pass(DSC_ERR_REPLY);
    if (r[1] != rule->sequence || r[2] != static_cast<uint8_t>(~rule->sequence))
        return framing();
    if (got < total)
        return pass(DSC_ERR_REPLY);

    bool sumRight = DscPacket_Checksum(r, total) == r[total - 2];
    // A "no such item" answer counts only when its checksum holds; a damaged one is retried.
    if (asksForItem(*rule) && r[3] == DSC_REPLY_STATUS && r[4] == 6 && sumRight)
        return pass(DSC_ERR_NOITEM);
    if (r[3] != rule->expected)
        return pass(DSC_ERR_REPLY);
    if (!sumRight)
        return checksumIsFraming(rule->expected) ? framing() : pass(DSC_ERR_REPLY);
    if (rule->expected == DSC_REPLY_STATUS)
        return statusVerdict(r[4]);
    return pass(DSC_OK);
}

int DscPacket_ResultMessage(int result) {
    switch (result) {
    case 1:
    case 2:
    case 11:
    case 12:
    case 13:
    case 14:
        return VOK_MSG_TRANSFER_ERROR;
    case 10:
    case 15:
    case 16:
        return VOK_MSG_USB_OPEN_FAILED;
    case 17:
    case 20:
        return VOK_MSG_CAMERA_NOT_REACHED;
    case 30:
    case 31:
    case 32:
    case 33:
    case 40:
        return VOK_MSG_DATA_ERROR;
    case 90:
        return VOK_MSG_COMMAND_FAILED;
    case 91:
    case 93:
        return VOK_MSG_CAMERA_ERROR;
    case 92:
        return VOK_MSG_CAMERA_MEMORY_FULL;
    case DSC_ERR_INTERLOCK:
        return VOK_MSG_CAMERA_IN_USE;
    default:
        return 0;
    }
}
