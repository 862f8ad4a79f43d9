// Packet framing: building requests into the send buffer and checking replies in the
// receive buffer. The checker trusts only the bytes that really arrived, never the length
// a type byte promises.
#include <string.h>

#include "DscEngine.h"

namespace {

// Replies whose bad checksum counts as a framing error (message 8) rather than a retry.
bool checksumIsFraming(int reply) {
    return reply == DSC_REPLY_BLOCK || reply == DSC_REPLY_COUNT_IMAGES ||
           reply == DSC_REPLY_LIST_IMAGES || reply == DSC_REPLY_INFO ||
           reply == DSC_REPLY_COUNT_ALL;
}

bool asksForItem(const DscConnection* c, uint8_t command) {
    return command == DSC_CMD_THUMB_INFO || command == DSC_CMD_IMAGE_INFO ||
           command == DSC_CMD_INDEX_INFO || (c->thumbnailRead && command == DSC_CMD_READ_BLOCK);
}

int framingError(const DscConnection* c) {
    if (!c->quietFraming)
        DscCom_ShowMessage(DSC_MSG_DATA);
    return DSC_ERR_FRAME;
}

int statusResult(uint8_t status) {
    switch (status) {
    case 0:
        return DSC_OK;
    case 2:
        return DSC_ERR_STATUS2;
    case 3:
        return DSC_ERR_REPLY;
    case 4:
        return DSC_ERR_MEMFULL;
    case 5:
        return DSC_ERR_STATUS5;
    case 8:
        return DSC_ERR_STATUS8;
    case 9:
        return DSC_ERR_PROTECTED;
    default:
        DscCom_ShowMessage(DSC_MSG_CAMERA);
        return DSC_ERR_REPORTED;
    }
}

} // namespace

uint32_t DscCom_PacketLength(int type) {
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

uint8_t DscCom_Checksum(const uint8_t* packet, uint32_t total) {
    // The type byte is never summed: bytes 1 .. total-3.
    uint32_t sum = 0;
    for (uint32_t i = 1; i + 2 < total; ++i)
        sum += packet[i];
    return static_cast<uint8_t>(sum);
}

int DscCom_BuildPacket(int type, uint8_t sequence, uint8_t command, uint32_t payloadLength,
                       const void* payload) {
    DscConnection* c = DscCom_Record();
    uint32_t total = DscCom_PacketLength(type);
    if (!c->sendBuffer || total == 0 ||
        payloadLength > total - DSC_HEADER_LENGTH - DSC_TRAILER_LENGTH ||
        (payloadLength && !payload))
        return DSC_ERR_REPORTED;
    uint8_t* p = c->sendBuffer;
    p[0] = static_cast<uint8_t>(type);
    p[1] = sequence;
    p[2] = static_cast<uint8_t>(~sequence);
    p[3] = command;
    if (payloadLength)
        memcpy(p + DSC_HEADER_LENGTH, payload, payloadLength);
    memset(p + DSC_HEADER_LENGTH + payloadLength, 0, total - DSC_HEADER_LENGTH - payloadLength);
    p[total - 2] = DscCom_Checksum(p, total);
    c->sendLength = total;
    c->seqOut = sequence;
    return DSC_OK;
}

int DscCom_CheckReply(int expectedReply) {
    DscConnection* c = DscCom_Record();
    const uint8_t* r = c->recvBuffer;
    uint32_t got = c->recvLength;
    if (!r || got == 0)
        return DSC_ERR_REPLY;
    if (got > DSC_BUFFER_SIZE)
        got = DSC_BUFFER_SIZE;
    uint32_t total = DscCom_PacketLength(r[0]);
    if (total == 0)
        return framingError(c);
    if (got < 3)
        return DSC_ERR_REPLY;
    if (r[1] != c->seqExpected || r[2] != static_cast<uint8_t>(~c->seqExpected))
        return framingError(c);
    if (got < total)
        return DSC_ERR_REPLY;

    bool sumRight = DscCom_Checksum(r, total) == r[total - 2];
    uint8_t command = c->sendBuffer ? c->sendBuffer[3] : 0;
    // A "no such item" answer counts only when its checksum holds; a damaged one is retried.
    if (asksForItem(c, command) && r[3] == DSC_REPLY_STATUS && r[4] == 6 && sumRight)
        return DSC_ERR_NOITEM;
    if (r[3] != expectedReply)
        return DSC_ERR_REPLY;
    if (!sumRight)
        return checksumIsFraming(expectedReply) ? framingError(c) : DSC_ERR_REPLY;
    if (expectedReply == DSC_REPLY_STATUS)
        return statusResult(r[4]);
    return DSC_OK;
}

int VokDscCom_ResultMessage(int result) {
    switch (result) {
    case 1:
    case 2:
    case 11:
    case 12:
    case 13:
    case 14:
        return DSC_MSG_TRANSFER;
    case 10:
    case 15:
    case 16:
        return DSC_MSG_PORT;
    case 17:
    case 20:
        return DSC_MSG_ACCESS;
    case 30:
    case 31:
    case 32:
    case 33:
    case 40:
        return DSC_MSG_DATA;
    case 90:
        return DSC_MSG_CANNOT_EXECUTE;
    case 91:
    case 93:
        return DSC_MSG_CAMERA;
    case 92:
        return DSC_MSG_MEMFULL;
    case DSC_ERR_INTERLOCK:
        return DSC_MSG_OTHER_APP;
    default:
        return 0;
    }
}

bool DscCom_ResultShownByExchange(int result) {
    return result == DSC_ERR_REPORTED || result == DSC_ERR_FRAME || result == 31 || result == 32 ||
           result == DSC_ERR_REPLY || result == DSC_ERR_WRITE || result == DSC_ERR_PIPE ||
           result == DSC_ERR_SIZE0;
}

int VokDscCom_ReportResult(int result) {
    if (DscCom_ResultShownByExchange(result))
        return 0;
    int number = VokDscCom_ResultMessage(result);
    if (number)
        DscCom_ShowMessage(number);
    return number;
}
