// What every rt70cam command shares. FOLDER:IMAGE is read digit by digit, so that no sign,
// space, base prefix or overflow of a library number parser slips through.
#include "cam_common.h"

#include "VokDscMsg.h"
#include "VokMsgNumbers.h"

namespace {

// Reads one number of at least one digit; the value stops growing past 16 bits.
const char* readNumber(const char* p, uint16_t* out) {
    const char* start = p;
    uint32_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + static_cast<uint32_t>(*p - '0');
        if (value > 0xFFFF)
            return nullptr;
    }
    if (p == start)
        return nullptr;
    *out = static_cast<uint16_t>(value);
    return p;
}

} // namespace

bool CamArgs_ParseImage(const char* text, VokDscImage* out) {
    VokDscImage image = {0, 0};
    const char* p = text ? readNumber(text, &image.folder) : nullptr;
    if (!p || *p != ':')
        return false;
    p = readNumber(p + 1, &image.image);
    if (!p || *p)
        return false;
    *out = image;
    return true;
}

int Cam_Failed(int result, const char* title) {
    if (result != 1 && !VokDscCom_ReportResult(result) && !VokDscCom_ResultShown(result))
        VokDsc_Msg_Error(nullptr, VOK_MSG_UNEXPECTED_ERROR, title);
    return 1;
}
