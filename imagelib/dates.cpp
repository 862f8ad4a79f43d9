/* Dates of image files: file times as Exif date texts, the day of a record's date, the
 * current time, and dates in display form with month names in the user's language. */
#include "img_internal.h"

#include "VokDscMsg.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vokimg {
namespace {

const char* const kMonthsEnglish[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                        "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
const char* const kMonthsGerman[12] = {"Jan", "Feb", "M\xC3\xA4r", "Apr", "Mai", "Jun",
                                       "Jul", "Aug", "Sep",        "Okt", "Nov", "Dez"};
const char* const kMonthsFrench[12] = {"JAN", "FEV", "MAR", "AVR", "MAI", "JUN",
                                       "JUI", "AOU", "SEP", "OCT", "NOV", "DEC"};

const char* month_name(int month) {
    switch (language()) {
    case VOK_LANG_GERMAN:
        return kMonthsGerman[month - 1];
    case VOK_LANG_FRENCH:
        return kMonthsFrench[month - 1];
    default:
        return kMonthsEnglish[month - 1];
    }
}

// The decimal number in at most n characters, read up to the first non-digit.
int leading_number(const char* text, size_t n) {
    int value = 0;
    for (size_t i = 0; i < n && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        value = value * 10 + (text[i] - '0');
    return value;
}

bool digits(const char* text, size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
    }
    return true;
}

// A text shaped "YYYY:MM:DD..." with a month of 1 to 12.
bool is_exif_date(const char* date) {
    return strnlen(date, 10) == 10 && digits(date, 0, 4) && date[4] == ':' && digits(date, 5, 7) &&
           date[7] == ':' && digits(date, 8, 10) && leading_number(date + 5, 2) >= 1 &&
           leading_number(date + 5, 2) <= 12;
}

bool local_time(time_t t, struct tm* out) {
    return localtime_r(&t, out) != nullptr;
}

// Creation time when the file system keeps one, else the last-write time.
time_t creation_time(int fd, const struct stat& st) {
    struct statx sx;
    if (statx(fd, "", AT_EMPTY_PATH, STATX_BTIME, &sx) == 0 && (sx.stx_mask & STATX_BTIME))
        return time_t(sx.stx_btime.tv_sec);
    return st.st_mtime;
}

} // namespace

int language() {
    return VokDsc_Msg_Language();
}

int record_file_time(int fd, ImageInfo* info) {
    struct stat st;
    if (fstat(fd, &st) != 0)
        return 0;
    struct tm tm;
    // The creation time is written first and the last-write time over it, so the
    // last-write time is what the record keeps whenever it converts.
    const time_t times[2] = {creation_time(fd, st), st.st_mtime};
    for (time_t t : times) {
        if (local_time(t, &tm))
            std::snprintf(info->dateTaken, sizeof info->dateTaken, "%d:%02d:%02d %02d:%02d:%02d",
                          tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                          tm.tm_sec);
    }
    return 1;
}

} // namespace vokimg

using namespace vokimg;

VOK_EXTERN_C int Get_Image_Time_Stamp2(const char* path, ExifDate* date, ImageInfo* info) {
    if (!path || !*path)
        return 0;
    int fd = open_for_reading(path);
    if (fd < 0)
        return 0;
    struct stat st;
    int ok = 0;
    struct tm written;
    if (fstat(fd, &st) == 0 && local_time(st.st_mtime, &written)) {
        ok = 1;
        if (info) {
            struct tm created;
            if (local_time(creation_time(fd, st), &created))
                std::snprintf(info->dateTaken, sizeof info->dateTaken, "%d:%d:%d %d:%d:%d",
                              created.tm_year + 1900, created.tm_mon + 1, created.tm_mday,
                              created.tm_hour, created.tm_min, created.tm_sec);
            std::snprintf(info->dateChanged, sizeof info->dateChanged, "%d:%d:%d %d:%d:%d",
                          written.tm_year + 1900, written.tm_mon + 1, written.tm_mday,
                          written.tm_hour, written.tm_min, written.tm_sec);
        }
        if (date) {
            date->year = written.tm_year + 1900;
            date->month = written.tm_mon + 1;
            date->day = written.tm_mday;
        }
    }
    close(fd);
    return ok;
}

VOK_EXTERN_C int SetStructExifDate(ImageInfo info, ExifDate* date) {
    if (!date)
        return 0;
    const char* text = info.dateTaken;
    size_t length = strnlen(text, sizeof info.dateTaken);
    date->year = leading_number(text, std::min<size_t>(length, 4));
    date->month = length > 5 ? leading_number(text + 5, std::min<size_t>(length - 5, 2)) : 0;
    date->day = length > 8 ? leading_number(text + 8, std::min<size_t>(length - 8, 2)) : 0;
    return date->year != 0 ? 1 : 0;
}

VOK_EXTERN_C int GetTodayTime(char* buffer, uint32_t size) {
    if (!buffer || size == 0)
        return 0;
    struct tm tm;
    if (!local_time(std::time(nullptr), &tm)) {
        buffer[0] = '\0';
        return 0;
    }
    int n = std::snprintf(buffer, size, "%d:%02d:%02d %02d:%02d:%02d", tm.tm_year + 1900,
                          tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return n > 0 && uint32_t(n) < size ? 1 : 0;
}

VOK_EXTERN_C int ChangeDisplayMode(const char* date, char* output, uint32_t outputSize, int mode) {
    if (!date || !output || outputSize == 0)
        return 0;
    if (!*date)
        return 1;
    // A text that is no Exif date has no month to name; it is shown as it is.
    if (mode == 3 || !is_exif_date(date)) {
        copy_text(output, outputSize, date);
        return 1;
    }
    const char* month = month_name(leading_number(date + 5, 2));
    const char* time = strnlen(date, 12) > 11 ? date + 11 : "";
    if (mode == 0)
        std::snprintf(output, outputSize, "%s.%.2s.%.4s %s", month, date + 8, date, time);
    else
        std::snprintf(output, outputSize, "%.2s %s.,%.4s %s", date + 8, month, date, time);
    return 1;
}
