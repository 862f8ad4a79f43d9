// The deletion walk: from the last selected image to the first, with the question per image,
// "Delete All", the cancel question and the camera's refusals. Images that were deleted stay
// selected so that the caller drops exactly those records afterwards.
#include "DscHousekeeping.h"
#include "VokMsgNumbers.h"

namespace {

const int kPauseAfterDelete = 300;

void deselectFrom(std::vector<DscImageRecord>* records, int32_t index) {
    for (int32_t j = index; j >= 0; --j)
        (*records)[j].selected = 0;
}

// A failed delete ends the walk. The camera's refusal (status 2) and a write-protected card
// are said here; other results were reported by the exchange or are left to the caller. The
// image and those before it are deselected, so what stays selected was really deleted.
int failed(std::vector<DscImageRecord>* records, const DscDeleteSteps& s, int32_t index,
           int result) {
    if (result == DSC_ERR_STATUS2 || result == DSC_ERR_PROTECTED)
        s.showMessage(s.context,
                      result == DSC_ERR_STATUS2 ? VOK_MSG_COMMAND_FAILED : VOK_MSG_CARD_PROTECTED);
    deselectFrom(records, index);
    return result;
}

int deleteAll(std::vector<DscImageRecord>* records, const DscDeleteSteps& s, int32_t from) {
    s.clearCancel(s.context);
    for (int32_t i = from; i >= 0; --i) {
        if (!(*records)[i].selected)
            continue;
        s.beginAll(s.context);
        if (s.cancelRequested(s.context)) {
            bool stop = s.confirmCancel(s.context) != 0;
            s.clearCancel(s.context);
            if (stop) {
                deselectFrom(records, i);
                return DSC_OK;
            }
        }
        int result = s.remove(s.context, i);
        if (result == DSC_OK) {
            s.pause(s.context, kPauseAfterDelete);
            continue;
        }
        return failed(records, s, i, result);
    }
    return DSC_OK;
}

} // namespace

int DscDel_Walk(std::vector<DscImageRecord>* records, const DscDeleteSteps& s, int ask) {
    int32_t last = static_cast<int32_t>(records->size()) - 1;
    if (!ask)
        return deleteAll(records, s, last);
    for (int32_t i = last; i >= 0; --i) {
        if (!(*records)[i].selected)
            continue;
        switch (s.ask(s.context, i)) {
        case DSC_DELETE_YES: {
            int result = s.remove(s.context, i);
            if (result == DSC_OK)
                break;
            return failed(records, s, i, result);
        }
        case DSC_DELETE_ALL:
            return deleteAll(records, s, i);
        case DSC_DELETE_NO:
            (*records)[i].selected = 0;
            break;
        case DSC_DELETE_CANCEL:
        default:
            deselectFrom(records, i);
            return DSC_OK;
        }
    }
    return DSC_OK;
}

std::vector<int32_t> DscDel_Remaining(const std::vector<DscImageRecord>& records, int32_t topIndex,
                                      int32_t* newTop) {
    std::vector<int32_t> kept;
    int32_t top = -1;
    for (int32_t i = 0; i < static_cast<int32_t>(records.size()); ++i) {
        if (records[i].selected)
            continue;
        if (top < 0 && i >= topIndex)
            top = static_cast<int32_t>(kept.size());
        kept.push_back(i);
    }
    if (top < 0)
        top = kept.empty() ? 0 : static_cast<int32_t>(kept.size()) - 1;
    if (newTop)
        *newTop = top;
    return kept;
}
