// Selection, button states, scrolling and the thumbnail cache trim of the selection dialog:
// pure decisions over the image records, so that the dialog stays a thin layer of widgets.
#include <stdio.h>
#include <string.h>

#include <map>

#include "DscSelection.h"

namespace {

const int32_t kCacheLimit = 47; // more held thumbnails than this start a trim
const int32_t kKeepBehind = 17; // found going backwards from the top image
const int32_t kKeepAhead = 33;  // found going forwards, the top image included
const uint32_t kBehindFromNumber = 16;

int32_t clampPosition(const DscScroll* s, int32_t position) {
    int32_t last = DscSel_ScrollLast(s);
    if (position < 1)
        return 1;
    return position > last ? last : position;
}

} // namespace

DscControlsEnabled DscSel_Controls(int state) {
    switch (state) {
    case DSC_STATE_BUSY:
        return {0, 0, 0, 0, 0};
    case DSC_STATE_EMPTY:
        return {1, 1, 0, 0, 0};
    case DSC_STATE_SELECTION:
        return {1, 1, 1, 1, 1};
    case DSC_STATE_IDLE:
    default:
        return {1, 1, 1, 0, 0};
    }
}

void DscSel_InitRecords(std::vector<DscImageRecord>* records, const uint16_t* numbers,
                        int32_t count) {
    records->assign(count > 0 ? count : 0, DscImageRecord{});
    for (int32_t i = 0; i < count; ++i) {
        DscImageRecord& r = (*records)[i];
        memset(&r, 0, sizeof r);
        r.number = numbers ? numbers[i] : 0;
        snprintf(r.label, sizeof r.label, "%u", static_cast<unsigned>(r.number));
    }
}

int32_t DscSel_SelectedCount(const std::vector<DscImageRecord>& records) {
    int32_t n = 0;
    for (const DscImageRecord& r : records)
        n += r.selected != 0;
    return n;
}

int32_t DscSel_IndexOf(const std::vector<DscImageRecord>& records, uint32_t number) {
    for (size_t i = 0; i < records.size(); ++i)
        if (records[i].number == number)
            return static_cast<int32_t>(i);
    return -1;
}

std::vector<int32_t> DscSel_CarryOver(const std::vector<DscImageRecord>& old,
                                      std::vector<DscImageRecord>* fresh) {
    std::map<uint32_t, int32_t> byNumber;
    for (size_t i = 0; i < old.size(); ++i)
        if (old[i].number != 0 || old[i].hasThumbnail)
            byNumber[old[i].number] = static_cast<int32_t>(i);
    std::vector<int32_t> from(fresh->size(), -1);
    for (size_t i = 0; i < fresh->size(); ++i) {
        DscImageRecord& f = (*fresh)[i];
        auto it = byNumber.find(f.number);
        if (it == byNumber.end())
            continue;
        const DscImageRecord& o = old[it->second];
        f.hasThumbnail = o.hasThumbnail;
        f.thumbWidth = o.thumbWidth;
        f.thumbHeight = o.thumbHeight;
        f.kind = o.kind;
        f.selected = o.selected;
        from[i] = it->second;
    }
    return from;
}

int32_t DscSel_RowStartOf(const std::vector<DscImageRecord>& records, uint32_t number) {
    int32_t index = DscSel_IndexOf(records, number);
    return index < 0 ? 0 : index - index % DSC_GRID_COLUMNS;
}

int DscSel_Click(std::vector<DscImageRecord>* records, int32_t index, int keys, int doubleClick,
                 uint32_t* anchor, int* hasAnchor) {
    if (!records || index < 0 || index >= static_cast<int32_t>(records->size()))
        return 0;
    std::vector<int32_t> before;
    for (const DscImageRecord& r : *records)
        before.push_back(r.selected);
    DscImageRecord& clicked = (*records)[index];
    int32_t selectedCount = DscSel_SelectedCount(*records);

    if (keys & DSC_CLICK_SHIFT) {
        // With nothing selected there is no range yet: the clicked image starts one.
        if (selectedCount == 0 || !*hasAnchor) {
            *anchor = clicked.number;
            *hasAnchor = 1;
        }
        uint32_t low = *anchor < clicked.number ? *anchor : clicked.number;
        uint32_t high = *anchor < clicked.number ? clicked.number : *anchor;
        for (DscImageRecord& r : *records)
            r.selected = r.number >= low && r.number <= high;
    } else if (keys & DSC_CLICK_CONTROL) {
        clicked.selected = doubleClick ? 1 : !clicked.selected;
        *anchor = clicked.number;
        *hasAnchor = 1;
    } else {
        bool onlySelected = clicked.selected && selectedCount == 1;
        for (DscImageRecord& r : *records)
            r.selected = 0;
        clicked.selected = onlySelected && !doubleClick ? 0 : 1;
        *anchor = clicked.number;
        *hasAnchor = 1;
    }

    for (size_t i = 0; i < records->size(); ++i)
        if ((*records)[i].selected != before[i])
            return 1;
    return 0;
}

int DscSel_StateForSelection(const std::vector<DscImageRecord>& records) {
    return DscSel_SelectedCount(records) ? DSC_STATE_SELECTION : DSC_STATE_IDLE;
}

void DscSel_ScrollReset(DscScroll* scroll, int32_t imageCount) {
    int32_t rows = (imageCount + DSC_GRID_COLUMNS - 1) / DSC_GRID_COLUMNS;
    scroll->rows = rows < 1 ? 1 : rows;
    scroll->position = 1;
    scroll->enabled = imageCount > DSC_GRID_BUTTONS;
    scroll->pending = 0;
}

int32_t DscSel_ScrollLast(const DscScroll* scroll) {
    // A page is a whole grid: the box stops where the last grid row is the grid's last row.
    int32_t last = scroll->rows - (DSC_GRID_ROWS - 1);
    return last < 1 ? 1 : last;
}

int32_t DscSel_ScrollRequest(DscScroll* scroll, int action, int32_t target) {
    int32_t p = scroll->position;
    switch (action) {
    case DSC_SCROLL_LINE_UP:
        p -= 1;
        break;
    case DSC_SCROLL_LINE_DOWN:
        p += 1;
        break;
    case DSC_SCROLL_PAGE_UP:
        p -= DSC_GRID_ROWS;
        break;
    case DSC_SCROLL_PAGE_DOWN:
        p += DSC_GRID_ROWS;
        break;
    case DSC_SCROLL_TO:
        p = target;
        break;
    case DSC_SCROLL_TOP:
        p = 1;
        break;
    case DSC_SCROLL_BOTTOM:
        p = DscSel_ScrollLast(scroll);
        break;
    default:
        break;
    }
    scroll->position = clampPosition(scroll, p);
    return scroll->position;
}

int DscSel_ScrollEnded(DscScroll* scroll) {
    if (scroll->pending)
        return 0;
    scroll->pending = 1;
    return 1;
}

int32_t DscSel_ScrollTakeRefetch(DscScroll* scroll) {
    scroll->pending = 0;
    scroll->position = clampPosition(scroll, scroll->position);
    return DscSel_TopIndexForPosition(scroll->position);
}

int32_t DscSel_TopIndexForPosition(int32_t position) {
    return (position < 1 ? 0 : position - 1) * DSC_GRID_COLUMNS;
}

int DscSel_CanScrollUp(const DscScroll* scroll) {
    return scroll->enabled && scroll->position > 1;
}

int DscSel_CanScrollDown(const DscScroll* scroll) {
    return scroll->enabled && scroll->position < DscSel_ScrollLast(scroll);
}

std::vector<int32_t> DscSel_TrimCache(const std::vector<DscImageRecord>& records,
                                      int32_t topIndex) {
    std::vector<int32_t> freed;
    int32_t n = static_cast<int32_t>(records.size());
    int32_t held = 0;
    for (const DscImageRecord& r : records)
        held += r.hasThumbnail != 0;
    if (held <= kCacheLimit)
        return freed;
    if (topIndex < 0 || topIndex >= n)
        topIndex = 0;
    if (n > 0 && records[topIndex].number >= kBehindFromNumber) {
        int32_t found = 0;
        for (int32_t i = topIndex - 1; i >= 0; --i) {
            if (!records[i].hasThumbnail)
                continue;
            if (++found > kKeepBehind)
                freed.push_back(i);
        }
    }
    int32_t found = 0;
    for (int32_t i = topIndex; i < n; ++i) {
        if (!records[i].hasThumbnail)
            continue;
        if (++found > kKeepAhead)
            freed.push_back(i);
    }
    return freed;
}
