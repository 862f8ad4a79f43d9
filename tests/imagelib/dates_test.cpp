/* Dates: display forms in the three languages, the day of a record's date, the current
 * time's form, and file times as record dates. */
#include "VokExif.h"
#include "img_test_env.h"

#include <cstring>
#include <ctime>
#include <regex>
#include <utime.h>

using namespace imgtest;

namespace {

std::string shown(const char* date, int mode) {
    char out[200] = "unchanged";
    EXPECT_EQ(ChangeDisplayMode(date, out, sizeof out, mode), 1);
    return out;
}

} // namespace

using ImgDateTest = ImgTest;

TEST_F(ImgDateTest, DisplayModesInEnglish) {
    EXPECT_EQ(shown("2000:01:05 13:45:10", 0), "JAN.05.2000 13:45:10");
    EXPECT_EQ(shown("2000:01:05 13:45:10", 1), "05 JAN.,2000 13:45:10");
    EXPECT_EQ(shown("2000:01:05 13:45:10", 2), "05 JAN.,2000 13:45:10");
    EXPECT_EQ(shown("2000:01:05 13:45:10", 3), "2000:01:05 13:45:10");
    EXPECT_EQ(shown("1999:12:31 23:59:59", 0), "DEC.31.1999 23:59:59");
    EXPECT_EQ(shown("", 0), "unchanged");
}

TEST_F(ImgDateTest, MonthNamesFollowTheLanguage) {
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    EXPECT_EQ(shown("2000:03:05 13:45:10", 0), "M\xC3\xA4r.05.2000 13:45:10");
    EXPECT_EQ(shown("2000:10:05 13:45:10", 1), "05 Okt.,2000 13:45:10");
    setenv("LC_ALL", "fr_FR.UTF-8", 1);
    EXPECT_EQ(shown("2000:02:05 13:45:10", 0), "FEV.05.2000 13:45:10");
    EXPECT_EQ(shown("2000:07:05 13:45:10", 1), "05 JUI.,2000 13:45:10");
    unsetenv("LC_ALL");
    setenv("LC_MESSAGES", "", 1);
    setenv("LANG", "en_GB.UTF-8", 1);
    EXPECT_EQ(shown("2000:08:05 13:45:10", 0), "AUG.05.2000 13:45:10");
}

TEST_F(ImgDateTest, TextsThatAreNoDatesAreShownAsTheyAre) {
    EXPECT_EQ(shown("2000:13:05 13:45:10", 0), "2000:13:05 13:45:10");
    EXPECT_EQ(shown("2000:00:05 13:45:10", 1), "2000:00:05 13:45:10");
    EXPECT_EQ(shown("    :  :     :  :  ", 0), "    :  :     :  :  ");
    EXPECT_EQ(shown("20", 0), "20");
    EXPECT_EQ(shown("2000:01:05", 0), "JAN.05.2000 ");
    char small[8] = "";
    EXPECT_EQ(ChangeDisplayMode("2000:01:05 13:45:10", small, sizeof small, 0), 1);
    EXPECT_STREQ(small, "JAN.05.");
    EXPECT_EQ(ChangeDisplayMode(nullptr, small, sizeof small, 0), 0);
}

TEST_F(ImgDateTest, RecordDateDay) {
    ImageInfo info{};
    std::strcpy(info.dateTaken, "1999:12:31 23:59:59");
    ExifDate date{};
    EXPECT_EQ(SetStructExifDate(info, &date), 1);
    EXPECT_EQ(date.year, 1999);
    EXPECT_EQ(date.month, 12);
    EXPECT_EQ(date.day, 31);
    std::strcpy(info.dateTaken, "2001:2x:7");
    SetStructExifDate(info, &date);
    EXPECT_EQ(date.year, 2001);
    EXPECT_EQ(date.month, 2);
    EXPECT_EQ(date.day, 7);
    info.dateTaken[0] = '\0';
    EXPECT_EQ(SetStructExifDate(info, &date), 0);
    EXPECT_EQ(date.year, 0);
}

TEST_F(ImgDateTest, TodayHasTheExifForm) {
    char today[32];
    ASSERT_EQ(GetTodayTime(today, sizeof today), 1);
    EXPECT_TRUE(std::regex_match(today, std::regex(R"(\d{4}:\d\d:\d\d \d\d:\d\d:\d\d)"))) << today;
    char tiny[5];
    EXPECT_EQ(GetTodayTime(tiny, sizeof tiny), 0);
    EXPECT_EQ(std::strlen(tiny), 4u);
}

TEST_F(ImgDateTest, FileTimesWithoutLeadingZeros) {
    std::string path = put("f.jpg", Bytes{1, 2, 3});
    struct utimbuf times = {946684800, 949539906}; // 2000-02-03 01:05:06 UTC
    ASSERT_EQ(utime(path.c_str(), &times), 0);
    ExifDate date{};
    ImageInfo info{};
    ASSERT_EQ(Get_Image_Time_Stamp2(path.c_str(), &date, &info), 1);
    EXPECT_EQ(date.year, 2000);
    EXPECT_EQ(date.month, 2);
    EXPECT_EQ(date.day, 3);
    EXPECT_STREQ(info.dateChanged, "2000:2:3 1:5:6");
    EXPECT_NE(info.dateTaken[0], '\0');
    ASSERT_EQ(Get_Image_Time_Stamp2(path.c_str(), &date, nullptr), 1);
    EXPECT_EQ(Get_Image_Time_Stamp2((dir_ + "/none").c_str(), &date, &info), 0);
}
