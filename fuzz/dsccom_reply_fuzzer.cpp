// Fuzz target for the connection engine: arbitrary camera replies, of any length, go to the
// reply checker directly and, through an injected link, to every reader of reply contents.
// Nothing may read outside what arrived, hang, or crash.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "DscEngine.h"
#include "DscPacket.h"

namespace {

// The camera side: a queue of replies cut from the input, served like the real link
// (a short read peeks, a full read consumes; no reply left means no answer).
struct Replies {
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t pos = 0;
    size_t curStart = 0, curLen = 0;
    bool has = false;

    void next() {
        has = false;
        if (pos + 2 > size)
            return;
        size_t len = data[pos] | (data[pos + 1] << 8);
        pos += 2;
        if (len > size - pos)
            len = size - pos;
        curStart = pos;
        curLen = len;
        pos += len;
        has = len > 0;
    }
} g_replies;

VokUsbHandle openDev() {
    return 1;
}
VokUsbHandle openFile(const char* name) {
    return strcmp(name, "PIPE00") == 0 ? 2 : 3;
}
int sizeOp(VokUsbHandle, uint16_t* v) {
    *v = 0;
    return 1;
}
int valueOp(VokUsbHandle, const uint16_t*) {
    return 1;
}
int preRead(VokUsbHandle, const uint16_t*) {
    return g_replies.has ? 1 : 0;
}
int writePipe(VokUsbHandle, const void*, uint32_t length, uint32_t* done) {
    *done = length;
    return 1;
}
int readPipe(VokUsbHandle, void* out, uint32_t length, uint32_t* done) {
    *done = 0;
    if (!g_replies.has)
        return 1;
    size_t n = length < g_replies.curLen ? length : g_replies.curLen;
    memcpy(out, g_replies.data + g_replies.curStart, n);
    *done = static_cast<uint32_t>(n);
    if (length >= g_replies.curLen)
        g_replies.next();
    return 1;
}
int closeHandle(VokUsbHandle) {
    return 1;
}

void quietMessage(int) {}

uint16_t word(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("VOK_TIME_SCALE", "0", 1);
    DscCom_SetMessageHook(quietMessage);
    DscLink link = {openDev, openFile, sizeOp,    valueOp,  valueOp,
                    preRead, valueOp,  writePipe, readPipe, closeHandle};
    DscCom_SetLinkOverride(&link);
    VokDscCom_SetApplicationInfo(nullptr, "fuzz", 1, 5, "");
    return DscCom_OpenConnection() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 6)
        return 0;
    DscConnection* c = DscCom_Record();
    uint8_t scenario = data[0] % 10;
    const uint8_t* rest = data + 6;
    size_t restSize = size - 6;
    c->transport = data[5] & 1 ? 0 : 1;

    if (scenario == 0) {
        // The checker alone, on the bytes exactly as they arrived.
        DscReplyRule rule = {data[1], data[2], data[4], data[3] & 1};
        std::vector<uint8_t> reply(rest, rest + restSize);
        DscPacket_Check(reply.empty() ? nullptr : reply.data(), static_cast<uint32_t>(restSize),
                        &rule);
        return 0;
    }

    g_replies = Replies();
    g_replies.data = rest;
    g_replies.size = restSize;
    g_replies.next();
    int32_t count = 0;
    uint16_t folder = word(data + 1);
    switch (scenario) {
    case 1:
        DscCom_Identify();
        break;
    case 2:
        DscCom_CountPaged(DSC_CMD_COUNT_FOLDERS, nullptr, 0, &count);
        break;
    case 3: {
        uint8_t payload[2] = {data[1], data[2]};
        DscCom_CountPaged(DSC_CMD_COUNT_IMAGES, payload, 2, &count);
        break;
    }
    case 4: {
        int32_t n = data[3] % 160;
        std::vector<uint16_t> out(n ? n : 1);
        DscCom_ListPaged(data[4] & 1 ? DSC_CMD_LIST_IMAGES : DSC_CMD_LIST_FOLDERS, data + 1, 2, n,
                         out.data());
        break;
    }
    case 5:
        DscCom_CountAll(&count);
        break;
    case 6:
    case 7: {
        std::vector<uint8_t> block(DscCom_BlockSize());
        DscCom_ReadBlock(scenario == 6 ? DSC_BLOCK_THUMBNAIL : DSC_BLOCK_IMAGE,
                         scenario == 6 ? DSC_CMD_READ_BLOCK : DSC_CMD_INDEX_READ_BLOCK, data + 1, 4,
                         word(data + 3), data[4], block.data(),
                         static_cast<uint32_t>(block.size()));
        break;
    }
    case 8: {
        int32_t kind = 0;
        uint32_t bytes = 0;
        VokDscCom_GetImageInfo(folder, word(data + 3), &kind, &bytes);
        break;
    }
    default: {
        uint8_t payload[2] = {0};
        DscCom_SendBlock(word(data + 1), payload, sizeof payload);
        break;
    }
    }
    return 0;
}
