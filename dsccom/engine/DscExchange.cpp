// One exchange with the camera (send the packet, read the reply) and the retry loops built
// on it: the ordinary command and the three block transfers that retry differently.
// Every transfer opens and closes its device and pipe handles, as the link requires. The
// messages of a failed exchange are shown here, through DscCom_Fail, and nowhere else.
#include <assert.h>
#include <string.h>

#include "DscEngine.h"
#include "DscPacket.h"

namespace {

const char kWritePipe[] = "PIPE00";
const char kReadPipe[] = "PIPE01";

// Opens the device, issues the read or write preparation with a zero word, closes it.
bool prepareTransfer(const DscLink& link, bool write) {
    VokUsbHandle device = link.open_dev();
    if (device == VOKUSB_INVALID_HANDLE)
        return false;
    uint16_t zero = 0;
    int ok = write ? link.preBulkWrite_RT70(device, &zero) : link.preBulkRead_RT70(device, &zero);
    link.CloseHandle(device);
    return ok != 0;
}

int sendPiece(const DscLink& link, const uint8_t* data, uint32_t length, bool silent) {
    if (!prepareTransfer(link, true))
        return DscCom_Fail(DSC_ERR_WRITE, silent ? 0 : DSC_MSG_ACCESS);
    VokUsbHandle pipe = link.open_file(kWritePipe);
    if (pipe == VOKUSB_INVALID_HANDLE)
        return DscCom_Fail(DSC_ERR_PIPE, silent ? 0 : DSC_MSG_PORT);
    uint32_t done = 0;
    int ok = link.WritePipe(pipe, data, length, &done);
    link.CloseHandle(pipe);
    if (!ok || done != length)
        return DscCom_Fail(DSC_ERR_WRITE, silent ? 0 : DSC_MSG_ACCESS);
    return DSC_OK;
}

// One read of up to `want` bytes into the start of the receive buffer.
int readPiece(const DscLink& link, uint8_t* buffer, uint32_t want, uint32_t* got, bool silent) {
    *got = 0;
    DscCom_DispatchOne();
    if (!prepareTransfer(link, false))
        return DSC_ERR_NOANSWER;
    VokUsbHandle pipe = link.open_file(kReadPipe);
    if (pipe == VOKUSB_INVALID_HANDLE)
        return DscCom_Fail(DSC_ERR_PIPE, silent ? 0 : DSC_MSG_PORT);
    uint32_t done = 0;
    int ok = link.ReadPipe(pipe, buffer, want, &done);
    link.CloseHandle(pipe);
    *got = done < want ? done : want;
    return ok && done >= want ? DSC_OK : DSC_ERR_REPLY;
}

int receive(DscConnection* c, uint8_t command, bool silent) {
    uint32_t got = 0;
    int result = readPiece(c->link, c->recvBuffer, 1, &got, silent);
    c->recvLength = got;
    if (result != DSC_OK)
        return result;
    uint32_t total = DscPacket_Length(c->recvBuffer[0]);
    if (total == 0)
        return DSC_OK; // the checker reports the unknown type as a framing error
    if (command == DSC_CMD_COUNT_IMAGES)
        DscCom_Sleep(100);
    result = readPiece(c->link, c->recvBuffer, total, &got, silent);
    c->recvLength = got;
    return result;
}

bool isBlockReply(const DscConnection* c) {
    return DscPacket_Length(c->recvBuffer[0]) - DSC_HEADER_LENGTH - DSC_TRAILER_LENGTH ==
           DscCom_BlockSize();
}

// Judges the reply in the receive buffer; the verdict's message is shown unless quiet.
int checkReply(const DscConnection* c, const DscReplyRule& rule, bool quiet) {
    DscVerdict v = DscPacket_Check(c->recvBuffer, c->recvLength, &rule);
    return v.result == DSC_OK ? DSC_OK : DscCom_Fail(v.result, quiet ? 0 : v.message);
}

DscReplyRule ruleFor(const DscConnection* c, uint8_t sequence, int expected, bool thumbnail) {
    return DscReplyRule{sequence, c->sendBuffer[3], expected, thumbnail};
}

} // namespace

uint32_t DscCom_BlockSize(void) {
    return DscCom_Record()->transport ? 32768u : 1024u;
}

int DscCom_BuildPacket(int type, uint8_t sequence, uint8_t command, uint32_t payloadLength,
                       const void* payload) {
    DscConnection* c = DscCom_Record();
    c->sendLength = DscPacket_Build(c->sendBuffer, c->sendBuffer ? DSC_BUFFER_SIZE : 0, type,
                                    sequence, command, payload, payloadLength);
    return c->sendLength ? DSC_OK : DSC_ERR_REPORTED;
}

int DscCom_Exchange(void) {
    DscConnection* c = DscCom_Record();
    c->recvLength = 0;
    if (!c->sendBuffer || !c->recvBuffer || !c->linkBound || c->sendLength == 0)
        return DSC_ERR_REPORTED;
    uint8_t command = c->sendBuffer[3];
    bool silent = command == DSC_CMD_END;

    // 262- and 1030-byte packets go as a multiple of 64 bytes and then the last 6.
    uint32_t total = c->sendLength;
    uint32_t first = total;
    if (total == DscPacket_Length(DSC_TYPE_LIST) || total == DscPacket_Length(DSC_TYPE_BLOCK1K))
        first = total / 64 * 64;
    int result = sendPiece(c->link, c->sendBuffer, first, silent);
    if (result == DSC_OK && first < total)
        result = sendPiece(c->link, c->sendBuffer + first, total - first, silent);
    if (result != DSC_OK)
        return result;
    DscCom_Wait(100);

    result = receive(c, command, silent);
    if (result == DSC_ERR_REPLY)
        return DscCom_Fail(result, silent ? 0 : DSC_MSG_READ);
    return result;
}

int DscCom_Command(uint8_t command, uint8_t sequence, const void* payload, uint32_t payloadLength,
                   int expectedReply) {
    DscConnection* c = DscCom_Record();
    int result = DscCom_BuildPacket(DSC_TYPE_SHORT, sequence, command, payloadLength, payload);
    if (result != DSC_OK)
        return result;
    // The silent end command leaves the note of the failure that ended the operation.
    if (command == DSC_CMD_END)
        return DscCom_Exchange();
    DscCom_ClearReported();
    DscReplyRule rule = ruleFor(c, sequence, expectedReply, false);
    for (int attempt = 0; attempt < 3; ++attempt) {
        result = DscCom_Exchange();
        if (result == DSC_OK)
            result = checkReply(c, rule, false);
        if (result != DSC_ERR_REPLY && result != DSC_ERR_NOANSWER)
            return result;
    }
    return DscCom_Fail(result, DSC_MSG_ACCESS);
}

int DscCom_ReadBlock(int reader, uint8_t command, const void* reference, uint32_t referenceLength,
                     uint16_t block, uint8_t selector, uint8_t* out, uint32_t outCapacity) {
    DscConnection* c = DscCom_Record();
    DscCom_ClearReported();
    uint8_t payload[10] = {};
    assert(referenceLength <= 4 && (referenceLength == 0 || reference) && out);
    if (referenceLength)
        memcpy(payload, reference, referenceLength);
    payload[referenceLength] = static_cast<uint8_t>(block & 0xFF);
    payload[referenceLength + 1] = static_cast<uint8_t>(block >> 8);
    payload[referenceLength + 2] = selector;
    uint8_t sequence = static_cast<uint8_t>(block & 0xFF);
    int result =
        DscCom_BuildPacket(DSC_TYPE_SHORT, sequence, command, referenceLength + 3, payload);
    if (result != DSC_OK)
        return result;
    bool thumbnail = reader == DSC_BLOCK_THUMBNAIL;
    DscReplyRule rule = ruleFor(c, sequence, DSC_REPLY_BLOCK, thumbnail);

    bool settled = false; // a success or a result that ends the read without more attempts
    for (int attempt = 0; attempt < 3 && !settled; ++attempt) {
        bool quiet = attempt < 2; // message 8 only on the last attempt
        result = DscCom_Exchange();
        if (result != DSC_OK) {
            bool again = thumbnail ? (result == DSC_ERR_REPLY || result == DSC_ERR_NOANSWER ||
                                      result == DSC_ERR_LINE)
                                   : (result == DSC_ERR_LINE || result == DSC_ERR_NOANSWER);
            settled = !again;
            if (again && attempt < 2 && (thumbnail || result == DSC_ERR_LINE))
                DscCom_Wait(500);
            continue;
        }
        result = checkReply(c, rule, quiet);
        // A well-formed reply of another size cannot fill the block: a data error.
        if (result == DSC_OK && !isBlockReply(c))
            result = DscCom_Fail(DSC_ERR_FRAME, quiet ? 0 : DSC_MSG_DATA);
        if (result == DSC_OK) {
            uint32_t n = DscCom_BlockSize();
            memcpy(out, c->recvBuffer + DSC_HEADER_LENGTH, n < outCapacity ? n : outCapacity);
        }
        settled = result == DSC_OK || (thumbnail && result == DSC_ERR_NOITEM);
    }
    if (!settled && thumbnail)
        return DscCom_Fail(result, DSC_MSG_ACCESS);
    return result;
}

int DscCom_SendBlock(uint32_t blockIndex, const void* data, uint32_t length) {
    DscConnection* c = DscCom_Record();
    DscCom_ClearReported();
    int type = c->transport ? DSC_TYPE_BLOCK32K : DSC_TYPE_BLOCK1K;
    if (length > DscCom_BlockSize())
        return DSC_ERR_REPORTED;
    int result = DscCom_BuildPacket(type, static_cast<uint8_t>(blockIndex & 0xFF),
                                    DSC_CMD_SEND_BLOCK, length, data);
    if (result != DSC_OK)
        return result;
    // The camera answers every block with sequence byte 0.
    DscReplyRule rule = ruleFor(c, 0, DSC_REPLY_STATUS, false);
    for (int attempt = 0; attempt < 3; ++attempt) {
        result = DscCom_Exchange();
        if (result == DSC_ERR_NOANSWER)
            continue;
        if (result == DSC_OK)
            result = checkReply(c, rule, false);
        if (result == DSC_OK)
            return DSC_OK;
        if (result == DSC_ERR_STATUS2) {
            DscCom_Wait(500);
            continue;
        }
        return DscCom_Fail(result, DSC_MSG_TRANSFER);
    }
    return DscCom_Fail(result, DSC_MSG_ACCESS);
}
