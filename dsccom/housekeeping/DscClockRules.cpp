// The clock dialog's rules without the dialog: 12-hour form, field texts, the validation in
// the dialog's order and the register encoding. Values read from a camera are never trusted
// as indices: an impossible month or minute only fails the validation.
#include <stdio.h>

#include "DscHousekeeping.h"

namespace {

const int32_t kFirstYear = 2000;
const int32_t kLastYear = 2096;

bool within(int32_t value, int32_t low, int32_t high) {
    return value >= low && value <= high;
}

} // namespace

DscClockFields DscClock_ToFields(const VokClock& clock) {
    DscClockFields f = {clock.year, clock.month, clock.day, clock.hour, clock.minute, 0};
    if (clock.hour >= 12) {
        f.pm = 1;
        f.hour12 = clock.hour - 12;
    }
    return f;
}

VokClock DscClock_FromFields(const DscClockFields& f) {
    return VokClock{f.year, f.month, f.day, f.pm ? f.hour12 + 12 : f.hour12, f.minute};
}

void DscClock_FieldTexts(const DscClockFields& f, std::string texts[5]) {
    char buffer[16];
    const int32_t values[5] = {f.year, f.month, f.day, f.hour12, f.minute};
    for (int i = 0; i < 5; ++i) {
        snprintf(buffer, sizeof buffer, i < 3 ? "%d" : "%02d", static_cast<int>(values[i]));
        texts[i] = buffer;
    }
}

int32_t DscClock_FieldValue(const char* text) {
    // The typing limits keep a field to four characters, so the sum cannot overflow; the
    // cap keeps a longer text from a caller safe all the same.
    int64_t value = 0;
    for (const char* p = text; p && *p; ++p) {
        value = value * 10 + (static_cast<unsigned char>(*p) & 0x0F);
        if (value > 0x7FFFFFFF / 16)
            return 0x7FFFFFFF / 16;
    }
    return static_cast<int32_t>(value);
}

int DscClock_TooLong(int32_t field, size_t length) {
    return length >= (field == DSC_CLOCK_YEAR ? 5u : 3u);
}

int DscClock_IsLeapYear(int32_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int32_t DscClock_DaysInMonth(int32_t year, int32_t month) {
    static const int32_t days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (!within(month, 1, 12))
        return 0;
    return month == 2 && DscClock_IsLeapYear(year) ? 29 : days[month - 1];
}

int32_t VokDscCom_CheckClockFields(int32_t year, int32_t month, int32_t day, int32_t hour12,
                                   int32_t minute) {
    if (!within(year, kFirstYear, kLastYear))
        return DSC_CLOCK_YEAR;
    if (!within(month, 1, 12))
        return DSC_CLOCK_MONTH;
    if (!within(day, 1, DscClock_DaysInMonth(year, month)))
        return DSC_CLOCK_DAY;
    if (!within(hour12, 0, 11))
        return DSC_CLOCK_HOUR;
    if (!within(minute, 0, 59))
        return DSC_CLOCK_MINUTE;
    return 0;
}

uint16_t DscClock_Register(int32_t variant, int which) {
    uint16_t base = variant == 2 ? 0x00C0 : 0x0140;
    return static_cast<uint16_t>(base + which);
}

uint16_t DscClock_DateValue(int32_t month, int32_t day) {
    return static_cast<uint16_t>(((month & 0xFF) << 8) | (day & 0xFF));
}

uint16_t DscClock_TimeValue(int32_t hour, int32_t minute) {
    return static_cast<uint16_t>(((hour & 0xFF) << 8) | (minute & 0xFF));
}

VokClock DscClock_FromRegisters(uint16_t year, uint16_t date, uint16_t time) {
    return VokClock{year, date >> 8, date & 0xFF, time >> 8, time & 0xFF};
}
