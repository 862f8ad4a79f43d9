// The clock dialog's rules (12-hour form, field texts, validation order, register encoding)
// and the deletion walk (order, answers, refusals, Delete All with its cancel question), as
// plain functions without a dialog or a camera.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DscHousekeeping.h"
#include "VokMsgNumbers.h"

namespace {

TEST(ClockRules, TwelveHourFormBothWaysAndTheFieldTexts) {
    DscClockFields f = DscClock_ToFields(VokClock{2001, 3, 4, 0, 5});
    EXPECT_EQ(f.hour12, 0);
    EXPECT_EQ(f.pm, 0);
    f = DscClock_ToFields(VokClock{2001, 3, 4, 12, 5});
    EXPECT_EQ(f.hour12, 0);
    EXPECT_EQ(f.pm, 1);
    f = DscClock_ToFields(VokClock{2001, 3, 4, 23, 59});
    EXPECT_EQ(f.hour12, 11);
    EXPECT_EQ(f.pm, 1);
    std::string texts[5];
    DscClock_FieldTexts(f, texts);
    EXPECT_EQ(texts[0], "2001");
    EXPECT_EQ(texts[1], "3");
    EXPECT_EQ(texts[2], "4");
    EXPECT_EQ(texts[3], "11");
    EXPECT_EQ(texts[4], "59");
    // 0 with PM writes hour 12; AM keeps the hour.
    EXPECT_EQ(DscClock_FromFields(DscClockFields{2001, 3, 4, 0, 7, 1}).hour, 12);
    EXPECT_EQ(DscClock_FromFields(DscClockFields{2001, 3, 4, 0, 7, 0}).hour, 0);
    EXPECT_EQ(DscClock_FromFields(DscClockFields{2001, 3, 4, 11, 7, 1}).hour, 23);
}

TEST(ClockRules, ValidationRefusesInTheDialogsOrder) {
    EXPECT_EQ(VokDscCom_CheckClockFields(2000, 2, 29, 0, 0), 0);
    EXPECT_EQ(VokDscCom_CheckClockFields(2096, 12, 31, 11, 59), 0);
    EXPECT_EQ(VokDscCom_CheckClockFields(1999, 1, 1, 0, 0), DSC_CLOCK_YEAR);
    EXPECT_EQ(VokDscCom_CheckClockFields(2097, 1, 1, 0, 0), DSC_CLOCK_YEAR);
    EXPECT_EQ(VokDscCom_CheckClockFields(2100, 2, 29, 0, 0), DSC_CLOCK_YEAR);
    EXPECT_EQ(VokDscCom_CheckClockFields(2001, 2, 29, 0, 0), DSC_CLOCK_DAY);
    EXPECT_EQ(VokDscCom_CheckClockFields(2004, 2, 29, 0, 0), 0);
    EXPECT_EQ(VokDscCom_CheckClockFields(2001, 4, 31, 0, 0), DSC_CLOCK_DAY);
    EXPECT_EQ(VokDscCom_CheckClockFields(2001, 4, 30, 0, 0), 0);
    EXPECT_EQ(VokDscCom_CheckClockFields(2001, 1, 0, 0, 0), DSC_CLOCK_DAY);
    EXPECT_EQ(VokDscCom_CheckClockFields(2001, 1, 1, 12, 0), DSC_CLOCK_HOUR);
    EXPECT_EQ(VokDscCom_CheckClockFields(2001, 1, 1, 11, 60), DSC_CLOCK_MINUTE);
    // The first field in error wins.
    EXPECT_EQ(VokDscCom_CheckClockFields(1999, 13, 40, 12, 60), DSC_CLOCK_YEAR);
    EXPECT_EQ(VokDscCom_CheckClockFields(2001, 13, 40, 12, 60), DSC_CLOCK_MONTH);
    EXPECT_EQ(VokDscCom_CheckClockFields(2001, 12, 40, 12, 60), DSC_CLOCK_DAY);
    // The leap rule over centuries, beyond the dialog's years.
    EXPECT_TRUE(DscClock_IsLeapYear(2000));
    EXPECT_FALSE(DscClock_IsLeapYear(2100));
    EXPECT_EQ(DscClock_DaysInMonth(2100, 2), 28);
    EXPECT_EQ(DscClock_DaysInMonth(2001, 0), 0);
    EXPECT_EQ(DscClock_DaysInMonth(2001, 13), 0);
}

TEST(ClockRules, ImpossibleCameraValuesAreShownAndRefusedNeverIndexed) {
    // Month 0, minute 75 and hour 30 come from the registers as they are.
    VokClock read =
        DscClock_FromRegisters(2001, DscClock_DateValue(0, 31), DscClock_TimeValue(30, 75));
    EXPECT_EQ(read.month, 0);
    EXPECT_EQ(read.hour, 30);
    EXPECT_EQ(read.minute, 75);
    DscClockFields f = DscClock_ToFields(read);
    std::string texts[5];
    DscClock_FieldTexts(f, texts);
    EXPECT_EQ(texts[1], "0");
    EXPECT_EQ(texts[3], "18");
    EXPECT_EQ(texts[4], "75");
    EXPECT_EQ(VokDscCom_CheckClockFields(f.year, f.month, f.day, f.hour12, f.minute),
              DSC_CLOCK_MONTH);
    EXPECT_EQ(VokDscCom_CheckClockFields(2001, 1, 1, f.hour12, f.minute), DSC_CLOCK_HOUR);
}

TEST(ClockRules, FieldTextsTypingLimitsAndRegisters) {
    EXPECT_EQ(DscClock_FieldValue("2001"), 2001);
    EXPECT_EQ(DscClock_FieldValue("07"), 7);
    EXPECT_EQ(DscClock_FieldValue(""), 0);
    EXPECT_EQ(DscClock_FieldValue("1a"), 11); // 'a' is 0x61: its low four bits are 1
    EXPECT_LT(DscClock_FieldValue("99999999999999999999"), 0x7FFFFFFF);
    EXPECT_FALSE(DscClock_TooLong(DSC_CLOCK_YEAR, 4));
    EXPECT_TRUE(DscClock_TooLong(DSC_CLOCK_YEAR, 5));
    EXPECT_FALSE(DscClock_TooLong(DSC_CLOCK_MONTH, 2));
    EXPECT_TRUE(DscClock_TooLong(DSC_CLOCK_MINUTE, 3));
    EXPECT_EQ(DscClock_Register(2, 0), 0x00C0);
    EXPECT_EQ(DscClock_Register(2, 2), 0x00C2);
    EXPECT_EQ(DscClock_Register(1, 0), 0x0140);
    EXPECT_EQ(DscClock_Register(5, 1), 0x0141);
    EXPECT_EQ(DscClock_DateValue(12, 31), 12 * 256 + 31);
    EXPECT_EQ(DscClock_TimeValue(23, 59), 23 * 256 + 59);
}

// A scripted caller of the deletion walk: answers per image number, results per number.
struct Script {
    std::vector<DscImageRecord> records;
    std::vector<int> answers;     // consumed in order
    std::vector<int> results;     // consumed in order, DSC_OK when exhausted
    std::vector<int> cancelPolls; // consumed in order, 0 when exhausted
    int confirm = 0;
    std::vector<uint32_t> asked, removed;
    std::vector<int> messages, pauses;
    int beginAll = 0, clears = 0;

    explicit Script(std::vector<uint32_t> numbers, std::vector<uint32_t> selected) {
        std::vector<uint16_t> n(numbers.begin(), numbers.end());
        DscSel_InitRecords(&records, n.data(), static_cast<int32_t>(n.size()));
        for (DscImageRecord& r : records)
            for (uint32_t s : selected)
                r.selected |= r.number == s;
    }
    static Script* self(void* c) { return static_cast<Script*>(c); }
    static int take(std::vector<int>* v, int fallback) {
        if (v->empty())
            return fallback;
        int x = v->front();
        v->erase(v->begin());
        return x;
    }
    DscDeleteSteps steps() {
        return DscDeleteSteps{
            this,
            [](void* c, int32_t i) {
                self(c)->asked.push_back(self(c)->records[i].number);
                return take(&self(c)->answers, DSC_DELETE_NO);
            },
            [](void* c, int32_t i) {
                self(c)->removed.push_back(self(c)->records[i].number);
                return take(&self(c)->results, DSC_OK);
            },
            [](void* c) { self(c)->beginAll++; },
            [](void* c) { return take(&self(c)->cancelPolls, 0); },
            [](void* c) { self(c)->clears++; },
            [](void* c) { return self(c)->confirm; },
            [](void* c, int n) { self(c)->messages.push_back(n); },
            [](void* c, int ms) { self(c)->pauses.push_back(ms); },
        };
    }
    std::vector<uint32_t> selected() const {
        std::vector<uint32_t> out;
        for (const DscImageRecord& r : records)
            if (r.selected)
                out.push_back(r.number);
        return out;
    }
};

using Numbers = std::vector<uint32_t>;

TEST(DeleteWalk, AsksFromTheHighestImageAndKeepsTheDeletedSelected) {
    Script s({1, 2, 3, 4, 5}, {2, 3, 5});
    s.answers = {DSC_DELETE_YES, DSC_DELETE_NO, DSC_DELETE_YES};
    EXPECT_EQ(DscDel_Walk(&s.records, s.steps(), 1), DSC_OK);
    EXPECT_EQ(s.asked, (Numbers{5, 3, 2}));
    EXPECT_EQ(s.removed, (Numbers{5, 2}));
    EXPECT_EQ(s.selected(), (Numbers{2, 5})); // the deleted ones, for the grid to drop
    EXPECT_TRUE(s.pauses.empty());            // only Delete All waits between deletions

    int32_t top = -1;
    std::vector<int32_t> kept = DscDel_Remaining(s.records, 1, &top); // image 2 was on top
    EXPECT_EQ(kept, (std::vector<int32_t>{0, 2, 3}));
    EXPECT_EQ(top, 1); // image 3, the first numbered above the deleted top
}

TEST(DeleteWalk, CancelAndRefusalsDeselectTheRest) {
    Script cancel({1, 2, 3}, {1, 2, 3});
    cancel.answers = {DSC_DELETE_YES, DSC_DELETE_CANCEL};
    EXPECT_EQ(DscDel_Walk(&cancel.records, cancel.steps(), 1), DSC_OK);
    EXPECT_EQ(cancel.selected(), (Numbers{3}));

    Script refused({1, 2, 3}, {1, 2, 3});
    refused.answers = {DSC_DELETE_YES, DSC_DELETE_YES};
    refused.results = {DSC_OK, DSC_ERR_STATUS2};
    EXPECT_EQ(DscDel_Walk(&refused.records, refused.steps(), 1), DSC_ERR_STATUS2);
    EXPECT_EQ(refused.messages, (std::vector<int>{VOK_MSG_COMMAND_FAILED}));
    EXPECT_EQ(refused.selected(), (Numbers{3}));
    EXPECT_EQ(refused.asked, (Numbers{3, 2}));

    Script protectedCard({1, 2}, {1, 2});
    protectedCard.answers = {DSC_DELETE_YES};
    protectedCard.results = {DSC_ERR_PROTECTED};
    EXPECT_EQ(DscDel_Walk(&protectedCard.records, protectedCard.steps(), 1), DSC_ERR_PROTECTED);
    EXPECT_EQ(protectedCard.messages, (std::vector<int>{VOK_MSG_CARD_PROTECTED}));
    EXPECT_TRUE(protectedCard.selected().empty());
    int32_t top = -1;
    EXPECT_EQ(DscDel_Remaining(protectedCard.records, 0, &top).size(), 2u);
    EXPECT_EQ(top, 0);

    // A camera that stops answering ends the walk; nothing is taken for deleted.
    Script lost({1, 2}, {1, 2});
    lost.answers = {DSC_DELETE_YES};
    lost.results = {DSC_ERR_NOANSWER};
    EXPECT_EQ(DscDel_Walk(&lost.records, lost.steps(), 1), DSC_ERR_NOANSWER);
    EXPECT_TRUE(lost.messages.empty());
    EXPECT_TRUE(lost.selected().empty());
}

TEST(DeleteWalk, DeleteAllGoesOnWithoutAskingAndHonoursItsCancelQuestion) {
    Script all({1, 2, 3, 4}, {1, 3, 4});
    all.answers = {DSC_DELETE_ALL};
    EXPECT_EQ(DscDel_Walk(&all.records, all.steps(), 1), DSC_OK);
    EXPECT_EQ(all.asked, (Numbers{4}));
    EXPECT_EQ(all.removed, (Numbers{4, 3, 1}));
    EXPECT_EQ(all.pauses, (std::vector<int>{300, 300, 300}));
    EXPECT_EQ(all.beginAll, 3);
    EXPECT_EQ(all.selected(), (Numbers{1, 3, 4}));

    // A cancel request answered No goes on; answered Yes stops and deselects the rest.
    Script no({1, 2, 3}, {1, 2, 3});
    no.cancelPolls = {1};
    no.confirm = 0;
    EXPECT_EQ(DscDel_Walk(&no.records, no.steps(), 0), DSC_OK);
    EXPECT_EQ(no.removed, (Numbers{3, 2, 1}));
    EXPECT_EQ(no.clears, 2); // at the start and after the question

    Script yes({1, 2, 3}, {1, 2, 3});
    yes.cancelPolls = {0, 1};
    yes.confirm = 1;
    EXPECT_EQ(DscDel_Walk(&yes.records, yes.steps(), 0), DSC_OK);
    EXPECT_EQ(yes.removed, (Numbers{3}));
    EXPECT_EQ(yes.selected(), (Numbers{3}));

    Script full({1, 2, 3}, {1, 2, 3});
    full.results = {DSC_OK, DSC_ERR_PROTECTED};
    EXPECT_EQ(DscDel_Walk(&full.records, full.steps(), 0), DSC_ERR_PROTECTED);
    EXPECT_EQ(full.messages, (std::vector<int>{VOK_MSG_CARD_PROTECTED}));
    EXPECT_EQ(full.selected(), (Numbers{3}));
}

TEST(DeleteWalk, RemainingKeepsTheTopOrTheLastImage) {
    Script s({1, 2, 3, 4}, {3, 4});
    int32_t top = -1;
    EXPECT_EQ(DscDel_Remaining(s.records, 3, &top), (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(top, 1); // nothing above the deleted top: the last image stays in view
    Script none({1, 2}, {1, 2});
    EXPECT_TRUE(DscDel_Remaining(none.records, 0, &top).empty());
    EXPECT_EQ(top, 0);
}

} // namespace
