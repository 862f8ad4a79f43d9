// Identify, the paged counts and lists, and the information commands. Counts are summed
// without overflow and lists read only the entries the arriving packet really holds; a
// camera that never ends a listing is stopped where the one-byte page number runs out.
#include <assert.h>
#include <string.h>

#include "DscEngine.h"
#include "DscPacket.h"
#include "vok_bytes.h"

namespace {

const int kMaxPages = DSC_MAX_PAGES;
const int64_t kMaxCount = 0x7FFFFFFF;

int dataError() {
    return DscCom_Fail(DSC_ERR_FRAME, DSC_MSG_DATA);
}

// The reply code of a paged count or list command.
int pagedReply(uint8_t command) {
    switch (command) {
    case DSC_CMD_COUNT_FOLDERS:
        return DSC_REPLY_COUNT_FOLDERS;
    case DSC_CMD_COUNT_IMAGES:
        return DSC_REPLY_COUNT_IMAGES;
    case DSC_CMD_LIST_FOLDERS:
        return DSC_REPLY_LIST_FOLDERS;
    case DSC_CMD_LIST_IMAGES:
        return DSC_REPLY_LIST_IMAGES;
    default:
        return 0;
    }
}

int information(uint8_t command, const uint8_t* payload, uint32_t length, int32_t* kind,
                uint32_t* size) {
    int result = DscCom_Command(command, 0, payload, length, DSC_REPLY_INFO);
    if (result != DSC_OK)
        return result;
    const uint8_t* r = DscCom_Record()->recvBuffer;
    if (kind)
        *kind = r[4];
    if (size)
        *size = vokc::GetLe32(r + 5);
    return vokc::GetLe32(r + 5) == 0 ? DSC_ERR_SIZE0 : DSC_OK;
}

} // namespace

int DscCom_Identify(void) {
    DscConnection* c = DscCom_Record();
    int result = DscCom_Command(DSC_CMD_IDENTIFY, 0, nullptr, 0, DSC_REPLY_IDENTIFY);
    if (result != DSC_OK)
        return result;
    const uint8_t* r = c->recvBuffer;
    if (memcmp(r + 4, "DSC", 3) != 0)
        return dataError();
    switch (r[7]) {
    case '1':
        c->variant = 1;
        break;
    case '2':
        c->variant = 2;
        break;
    case '3':
        c->variant = 4;
        break;
    case '6':
        c->variant = 5;
        break;
    default:
        return dataError();
    }
    return DSC_OK;
}

int DscCom_CountPaged(uint8_t command, const void* payload, uint32_t payloadLength,
                      int32_t* total) {
    int reply = pagedReply(command);
    assert(total && reply);
    *total = 0;
    int64_t sum = 0;
    for (int page = 0;; ++page) {
        if (page >= kMaxPages)
            return dataError();
        if (page > 0)
            DscCom_DispatchOne();
        int result =
            DscCom_Command(command, static_cast<uint8_t>(page), payload, payloadLength, reply);
        if (result != DSC_OK)
            return result;
        const uint8_t* r = DscCom_Record()->recvBuffer;
        uint32_t count =
            command == DSC_CMD_COUNT_FOLDERS ? vokc::GetLe32(r + 4) : vokc::GetLe16(r + 4);
        sum += count;
        if (sum > kMaxCount)
            return dataError();
        if (count < DSC_PAGE_ENTRIES)
            break;
    }
    *total = static_cast<int32_t>(sum);
    return DSC_OK;
}

int DscCom_ListPaged(uint8_t command, const void* payload, uint32_t payloadLength, int32_t count,
                     uint16_t* out) {
    int reply = pagedReply(command);
    assert(reply);
    if (count < 0 || (count > 0 && !out))
        return DSC_ERR_REPORTED;
    int64_t pages = (static_cast<int64_t>(count) + DSC_PAGE_ENTRIES - 1) / DSC_PAGE_ENTRIES;
    if (pages > kMaxPages)
        return dataError();
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            DscCom_DispatchOne();
        int entries = DSC_PAGE_ENTRIES;
        if (page == pages - 1 && count % DSC_PAGE_ENTRIES)
            entries = count % DSC_PAGE_ENTRIES;
        int result =
            DscCom_Command(command, static_cast<uint8_t>(page), payload, payloadLength, reply);
        if (result != DSC_OK)
            return result;
        const DscConnection* c = DscCom_Record();
        // Only the payload of the packet that arrived holds entries.
        uint32_t held =
            (DscPacket_Length(c->recvBuffer[0]) - DSC_HEADER_LENGTH - DSC_TRAILER_LENGTH) / 2;
        if (held < static_cast<uint32_t>(entries))
            return dataError();
        for (int i = 0; i < entries; ++i)
            out[page * DSC_PAGE_ENTRIES + i] =
                vokc::GetLe16(c->recvBuffer + DSC_HEADER_LENGTH + 2 * i);
    }
    return DSC_OK;
}

int DscCom_CountAll(int32_t* total) {
    if (!total)
        return DSC_ERR_REPORTED;
    *total = 0;
    int64_t sum = 0;
    for (int page = 0;; ++page) {
        if (page >= kMaxPages)
            return dataError();
        if (page > 0)
            DscCom_DispatchOne();
        int result = DscCom_Command(DSC_CMD_COUNT_ALL, static_cast<uint8_t>(page), nullptr, 0,
                                    DSC_REPLY_COUNT_ALL);
        if (result != DSC_OK)
            return result;
        uint32_t count = vokc::GetLe32(DscCom_Record()->recvBuffer + 4);
        if (count == 0xFFFFFFFFu)
            break;
        sum += count;
        if (sum > kMaxCount)
            return dataError();
    }
    *total = static_cast<int32_t>(sum);
    return sum == 0 ? DSC_ERR_NOTHING : DSC_OK;
}

int DscCom_ThumbnailInfo(uint16_t folder, uint16_t image, int32_t* kind, uint32_t* size) {
    uint8_t payload[4] = {static_cast<uint8_t>(folder), static_cast<uint8_t>(folder >> 8),
                          static_cast<uint8_t>(image), static_cast<uint8_t>(image >> 8)};
    return information(DSC_CMD_THUMB_INFO, payload, sizeof payload, kind, size);
}

int DscCom_ImageInfo(uint16_t folder, uint16_t image, uint8_t kindRequest, int32_t* kind,
                     uint32_t* size) {
    uint8_t payload[5] = {static_cast<uint8_t>(folder), static_cast<uint8_t>(folder >> 8),
                          static_cast<uint8_t>(image), static_cast<uint8_t>(image >> 8),
                          kindRequest};
    return information(DSC_CMD_IMAGE_INFO, payload, sizeof payload, kind, size);
}
