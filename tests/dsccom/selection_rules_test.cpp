// The selection dialog's plain rules: button states, mouse selection with Shift, Control and
// double click, scrolling by grid rows with one deferred refetch, and the thumbnail cache trim.
#include <gtest/gtest.h>

#include "DscSelection.h"

namespace {

std::vector<DscImageRecord> records(std::vector<uint16_t> numbers) {
    std::vector<DscImageRecord> r;
    DscSel_InitRecords(&r, numbers.data(), static_cast<int32_t>(numbers.size()));
    return r;
}

std::vector<uint32_t> selected(const std::vector<DscImageRecord>& r) {
    std::vector<uint32_t> out;
    for (const DscImageRecord& x : r)
        if (x.selected)
            out.push_back(x.number);
    return out;
}

struct Clicker {
    std::vector<DscImageRecord> r;
    uint32_t anchor = 0;
    int hasAnchor = 0;
    explicit Clicker(std::vector<uint16_t> numbers) : r(records(numbers)) {}
    int click(uint32_t number, int keys = DSC_CLICK_PLAIN, int dbl = 0) {
        return DscSel_Click(&r, DscSel_IndexOf(r, number), keys, dbl, &anchor, &hasAnchor);
    }
};

// Folder list, Exit, Preview, Transfer and Delete in a state: 1 where enabled.
std::vector<int> Enabled(int state) {
    DscControlsEnabled c = DscSel_Controls(state);
    return {c.folderList, c.exitButton, c.preview, c.transfer, c.deleteButton};
}

TEST(SelectionRules, ButtonStates) {
    EXPECT_EQ(Enabled(DSC_STATE_IDLE), (std::vector<int>{1, 1, 1, 0, 0}));
    EXPECT_EQ(Enabled(DSC_STATE_BUSY), (std::vector<int>{0, 0, 0, 0, 0}));
    EXPECT_EQ(Enabled(DSC_STATE_EMPTY), (std::vector<int>{1, 1, 0, 0, 0}));
    EXPECT_EQ(Enabled(DSC_STATE_SELECTION), (std::vector<int>{1, 1, 1, 1, 1}));
}

TEST(SelectionRules, RecordsCarryTheirLabel) {
    auto r = records({7, 1234});
    ASSERT_EQ(r.size(), 2u);
    EXPECT_STREQ(r[0].label, "7");
    EXPECT_STREQ(r[1].label, "1234");
    EXPECT_EQ(r[1].number, 1234u);
    EXPECT_EQ(r[1].hasThumbnail, 0);
    EXPECT_EQ(DscSel_IndexOf(r, 1234), 1);
    EXPECT_EQ(DscSel_IndexOf(r, 8), -1);
}

// Preview again: pictures and marks stay with their image numbers, not with positions.
TEST(SelectionRules, PreviewCarriesThumbnailsAndSelectionByNumber) {
    std::vector<DscImageRecord> old = records({1, 2, 5, 6, 7});
    old[0].selected = 1; // image 1 vanishes with its mark
    old[2].hasThumbnail = 1;
    old[2].thumbWidth = 80;
    old[2].thumbHeight = 60;
    old[2].kind = 3;
    old[2].selected = 1;
    std::vector<DscImageRecord> fresh = records({2, 3, 5, 6, 7, 8});
    std::vector<int32_t> from = DscSel_CarryOver(old, &fresh);
    EXPECT_EQ(from, (std::vector<int32_t>{1, -1, 2, 3, 4, -1}));
    EXPECT_EQ(selected(fresh), std::vector<uint32_t>{5});
    EXPECT_TRUE(fresh[2].hasThumbnail);
    EXPECT_EQ(fresh[2].thumbWidth, 80);
    EXPECT_EQ(fresh[2].thumbHeight, 60);
    EXPECT_EQ(fresh[2].kind, 3);
    EXPECT_FALSE(fresh[1].hasThumbnail);
    EXPECT_EQ(std::string(fresh[2].label), "5");

    // Records from before the first Preview carry no numbers and give nothing.
    std::vector<DscImageRecord> placeholders(3);
    fresh = records({0, 1});
    EXPECT_EQ(DscSel_CarryOver(placeholders, &fresh), (std::vector<int32_t>{-1, -1}));

    // The grid stays on the row of its top image; a vanished top image goes to the start.
    EXPECT_EQ(DscSel_RowStartOf(records({2, 3, 5, 6, 7, 8}), 7), 4);
    EXPECT_EQ(DscSel_RowStartOf(records({2, 3, 5, 6, 7, 8}), 1), 0);
}

TEST(SelectionRules, PlainClickSelectsOneAndClearsTheOnlySelected) {
    Clicker c({1, 2, 3, 4});
    EXPECT_TRUE(c.click(2));
    EXPECT_EQ(selected(c.r), std::vector<uint32_t>{2});
    EXPECT_EQ(c.anchor, 2u);
    EXPECT_EQ(DscSel_StateForSelection(c.r), DSC_STATE_SELECTION);
    EXPECT_TRUE(c.click(3));
    EXPECT_EQ(selected(c.r), std::vector<uint32_t>{3});
    // Clicking the only selected image clears it.
    EXPECT_TRUE(c.click(3));
    EXPECT_TRUE(selected(c.r).empty());
    EXPECT_EQ(DscSel_StateForSelection(c.r), DSC_STATE_IDLE);
    // With others selected, a click on a selected one keeps it alone.
    c.click(1);
    c.click(4, DSC_CLICK_CONTROL);
    EXPECT_TRUE(c.click(4));
    EXPECT_EQ(selected(c.r), std::vector<uint32_t>{4});
    // A click that changes nothing says so.
    c.click(2);
    c.click(2, DSC_CLICK_PLAIN, 1);
    EXPECT_FALSE(c.click(2, DSC_CLICK_PLAIN, 1));
}

TEST(SelectionRules, DoubleClickSelectsEvenTheOnlySelectedImage) {
    Clicker c({1, 2, 3});
    // The two clicks of a double click on an unselected image.
    c.click(2);
    c.click(2, DSC_CLICK_PLAIN, 1);
    EXPECT_EQ(selected(c.r), std::vector<uint32_t>{2});
    // On the only selected image: the first click clears it, the second selects it again.
    c.click(2);
    EXPECT_TRUE(selected(c.r).empty());
    c.click(2, DSC_CLICK_PLAIN, 1);
    EXPECT_EQ(selected(c.r), std::vector<uint32_t>{2});
    // A double click alone (no first click seen) never clears the only selected image.
    c.click(2, DSC_CLICK_PLAIN, 1);
    EXPECT_EQ(selected(c.r), std::vector<uint32_t>{2});
}

TEST(SelectionRules, ShiftSelectsTheRangeFromTheAnchor) {
    Clicker c({10, 11, 12, 13, 14, 15});
    // No earlier selection: only the clicked image, which becomes the anchor.
    c.click(12, DSC_CLICK_SHIFT);
    EXPECT_EQ(selected(c.r), std::vector<uint32_t>{12});
    EXPECT_EQ(c.anchor, 12u);
    c.click(14, DSC_CLICK_SHIFT);
    EXPECT_EQ(selected(c.r), (std::vector<uint32_t>{12, 13, 14}));
    EXPECT_EQ(c.anchor, 12u);
    // Backwards from the same anchor; the others are cleared.
    c.click(10, DSC_CLICK_SHIFT);
    EXPECT_EQ(selected(c.r), (std::vector<uint32_t>{10, 11, 12}));
    EXPECT_EQ(c.anchor, 12u);
    // Shift wins over Control when both are held.
    c.click(15, DSC_CLICK_SHIFT | DSC_CLICK_CONTROL);
    EXPECT_EQ(selected(c.r), (std::vector<uint32_t>{12, 13, 14, 15}));
}

TEST(SelectionRules, ShiftRangeGoesByImageNumber) {
    // Numbers not in camera order: the range is by number, not by position.
    Clicker c({5, 1, 9, 3, 7});
    c.click(3);
    c.click(7, DSC_CLICK_SHIFT);
    EXPECT_EQ(selected(c.r), (std::vector<uint32_t>{5, 3, 7}));
}

TEST(SelectionRules, ShiftAfterEverythingWasClearedStartsAfresh) {
    Clicker c({1, 2, 3, 4, 5});
    c.click(2);
    c.click(2); // cleared again; the anchor is 2 but nothing is selected
    c.click(4, DSC_CLICK_SHIFT);
    EXPECT_EQ(selected(c.r), std::vector<uint32_t>{4});
    EXPECT_EQ(c.anchor, 4u);
}

TEST(SelectionRules, ControlTogglesAndMovesTheAnchor) {
    Clicker c({1, 2, 3, 4});
    c.click(1);
    c.click(3, DSC_CLICK_CONTROL);
    EXPECT_EQ(selected(c.r), (std::vector<uint32_t>{1, 3}));
    EXPECT_EQ(c.anchor, 3u);
    c.click(1, DSC_CLICK_CONTROL);
    EXPECT_EQ(selected(c.r), std::vector<uint32_t>{3});
    EXPECT_EQ(c.anchor, 1u);
    // A double click never clears.
    c.click(3, DSC_CLICK_CONTROL, 1);
    EXPECT_EQ(selected(c.r), std::vector<uint32_t>{3});
    // Shift then ranges from the Control anchor.
    c.click(2, DSC_CLICK_CONTROL);
    c.click(4, DSC_CLICK_SHIFT);
    EXPECT_EQ(selected(c.r), (std::vector<uint32_t>{2, 3, 4}));
}

TEST(SelectionRules, ClickOutsideTheRecordsIsIgnored) {
    Clicker c({1, 2});
    EXPECT_FALSE(DscSel_Click(&c.r, 2, DSC_CLICK_PLAIN, 0, &c.anchor, &c.hasAnchor));
    EXPECT_FALSE(DscSel_Click(&c.r, -1, DSC_CLICK_PLAIN, 0, &c.anchor, &c.hasAnchor));
    EXPECT_TRUE(selected(c.r).empty());
}

TEST(SelectionRules, ScrollBarHasOneRowPerPosition) {
    DscScroll s;
    DscSel_ScrollReset(&s, 16);
    EXPECT_EQ(s.rows, 4);
    EXPECT_FALSE(s.enabled);
    EXPECT_EQ(DscSel_ScrollLast(&s), 1);
    DscSel_ScrollReset(&s, 17);
    EXPECT_EQ(s.rows, 5);
    EXPECT_TRUE(s.enabled);
    EXPECT_EQ(s.position, 1);
    // A page is the whole grid: the box stops where the last row is the grid's last.
    EXPECT_EQ(DscSel_ScrollLast(&s), 2);
    DscSel_ScrollReset(&s, 0);
    EXPECT_EQ(s.rows, 1);
    EXPECT_FALSE(s.enabled);
}

TEST(SelectionRules, ScrollRequestsMoveByLineAndPageWithinTheRange) {
    DscScroll s;
    DscSel_ScrollReset(&s, 100); // 25 rows, last position 22
    EXPECT_EQ(DscSel_ScrollLast(&s), 22);
    EXPECT_FALSE(DscSel_CanScrollUp(&s));
    EXPECT_TRUE(DscSel_CanScrollDown(&s));
    EXPECT_EQ(DscSel_ScrollRequest(&s, DSC_SCROLL_LINE_UP, 0), 1);
    EXPECT_EQ(DscSel_ScrollRequest(&s, DSC_SCROLL_LINE_DOWN, 0), 2);
    EXPECT_EQ(DscSel_ScrollRequest(&s, DSC_SCROLL_PAGE_DOWN, 0), 6);
    EXPECT_EQ(DscSel_ScrollRequest(&s, DSC_SCROLL_PAGE_UP, 0), 2);
    EXPECT_EQ(DscSel_ScrollRequest(&s, DSC_SCROLL_PAGE_UP, 0), 1);
    EXPECT_EQ(DscSel_ScrollRequest(&s, DSC_SCROLL_TO, 21), 21);
    EXPECT_EQ(DscSel_ScrollRequest(&s, DSC_SCROLL_PAGE_DOWN, 0), 22);
    EXPECT_FALSE(DscSel_CanScrollDown(&s));
    EXPECT_TRUE(DscSel_CanScrollUp(&s));
    EXPECT_EQ(DscSel_ScrollRequest(&s, DSC_SCROLL_TO, 99), 22);
    EXPECT_EQ(DscSel_ScrollRequest(&s, DSC_SCROLL_TO, -5), 1);
    EXPECT_EQ(DscSel_ScrollRequest(&s, DSC_SCROLL_BOTTOM, 0), 22);
    EXPECT_EQ(DscSel_ScrollRequest(&s, DSC_SCROLL_TOP, 0), 1);
}

TEST(SelectionRules, RefetchIsDeferredUntilTheScrollEnds) {
    DscScroll s;
    DscSel_ScrollReset(&s, 40); // 10 rows
    // Requests only move the box.
    DscSel_ScrollRequest(&s, DSC_SCROLL_LINE_DOWN, 0);
    DscSel_ScrollRequest(&s, DSC_SCROLL_LINE_DOWN, 0);
    EXPECT_EQ(s.pending, 0);
    // The end posts one request; more ends before it runs post nothing more.
    EXPECT_TRUE(DscSel_ScrollEnded(&s));
    DscSel_ScrollRequest(&s, DSC_SCROLL_LINE_DOWN, 0);
    EXPECT_FALSE(DscSel_ScrollEnded(&s));
    // When it runs it takes the position at that moment.
    EXPECT_EQ(DscSel_ScrollTakeRefetch(&s), 12);
    EXPECT_EQ(s.pending, 0);
    EXPECT_TRUE(DscSel_ScrollEnded(&s));
    EXPECT_EQ(DscSel_TopIndexForPosition(1), 0);
    EXPECT_EQ(DscSel_TopIndexForPosition(5), 16);
}

std::vector<DscImageRecord> withThumbnails(int count, int first, int last) {
    std::vector<uint16_t> numbers;
    for (int i = 0; i < count; ++i)
        numbers.push_back(static_cast<uint16_t>(i + 1));
    auto r = records(numbers);
    for (int i = first; i <= last && i < count; ++i)
        r[i].hasThumbnail = 1;
    return r;
}

TEST(SelectionRules, CacheOf47ThumbnailsIsKept) {
    auto r = withThumbnails(200, 0, 46);
    EXPECT_TRUE(DscSel_TrimCache(r, 32).empty());
}

TEST(SelectionRules, CacheKeeps17BehindAnd33AheadOfTheTop) {
    auto r = withThumbnails(200, 0, 99); // 100 held
    std::vector<int32_t> freed = DscSel_TrimCache(r, 48);
    std::vector<bool> gone(200, false);
    for (int32_t i : freed)
        gone[i] = true;
    for (int i = 0; i < 200; ++i) {
        bool keep = i >= 48 - 17 && i < 48 + 33;
        if (!r[i].hasThumbnail)
            keep = true; // nothing to free
        EXPECT_EQ(gone[i], !keep) << i;
    }
    EXPECT_EQ(freed.size(), 100u - 50u);
}

TEST(SelectionRules, CacheCountsHeldThumbnailsNotPositions) {
    // Gaps without thumbnails do not count towards the 17 and 33 kept.
    auto r = withThumbnails(300, 0, 299);
    for (int i = 0; i < 300; i += 2)
        r[i].hasThumbnail = 0; // odd indices hold: 150
    std::vector<int32_t> freed = DscSel_TrimCache(r, 100);
    std::vector<bool> gone(300, false);
    for (int32_t i : freed)
        gone[i] = true;
    // Behind: 99, 97, ... the 17 nearest odd ones (99 down to 67) stay.
    EXPECT_FALSE(gone[67]);
    EXPECT_TRUE(gone[65]);
    // Ahead: the 33 held from 101 on (101 .. 165) stay.
    EXPECT_FALSE(gone[165]);
    EXPECT_TRUE(gone[167]);
    EXPECT_EQ(freed.size(), 150u - 50u);
}

TEST(SelectionRules, CacheBehindALowTopImageStays) {
    // The backward trim starts only from image number 16; ahead is still trimmed.
    auto r = withThumbnails(100, 0, 59);                 // 60 held
    std::vector<int32_t> freed = DscSel_TrimCache(r, 8); // number 9
    for (int32_t i : freed)
        EXPECT_GE(i, 8 + 33);
    EXPECT_EQ(freed.size(), 60u - 8u - 33u);
}

TEST(SelectionRules, CacheWithATopOutsideTheRecordsTrimsFromTheStart) {
    auto r = withThumbnails(60, 0, 59);
    std::vector<int32_t> freed = DscSel_TrimCache(r, 500);
    EXPECT_EQ(freed.size(), 60u - 33u);
    EXPECT_TRUE(DscSel_TrimCache(std::vector<DscImageRecord>(), 0).empty());
}

} // namespace
