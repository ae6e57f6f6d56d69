// Reading back the platform's date-and-time text by the locale's patterns:
// exactly what the writer produces, nothing it would not.
#include <gtest/gtest.h>

#include "platform/DateTimePattern.h"

using platform::DateTimeNames;
using platform::DateTimePattern;
using platform::LocalDateTime;

namespace {

DateTimeNames English(const char* am = "AM", const char* pm = "PM") {
    DateTimeNames n;
    const char* months[] = {"January", "February", "March",     "April",   "May",      "June",
                            "July",    "August",   "September", "October", "November", "December"};
    const char* days[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                          "Thursday", "Friday", "Saturday"};
    for (int m = 0; m < 12; ++m) {
        n.months[m] = months[m];
        n.shortMonths[m] = std::string(months[m], 3);
    }
    for (int d = 0; d < 7; ++d) {
        n.days[d] = days[d];
        n.shortDays[d] = std::string(days[d], 3);
    }
    n.am = am;
    n.pm = pm;
    n.twoDigitYearMax = 2049;
    return n;
}

TEST(DateTimePattern, ReadsBackWhatItWritesForTheCommonShapes) {
    struct Shape {
        const char* date;
        const char* time;
        const char* am;
        const char* pm;
        const char* sample;  // 6 Dec 2026 22:31:05
    } shapes[] = {
        {"dd/MM/yyyy", "H:mm:ss", "", "", "06/12/2026 22:31:05"},
        {"M/d/yyyy", "h:mm:ss tt", "AM", "PM", "12/6/2026 10:31:05 PM"},
        {"yyyy-MM-dd", "HH:mm:ss", "", "", "2026-12-06 22:31:05"},
        {"d.M.yyyy", "'um' HH.mm.ss", "", "", "6.12.2026 um 22.31.05"},
        {"dd/MM/yyyy", "hh:mm:ss t", "a. m.", "p. m.", "06/12/2026 10:31:05 p"},
        {"yyyy/M/d", "tt h:mm:ss", "AM", "AMX", "2026/12/6 AMX 10:31:05"},
    };
    const LocalDateTime probes[] = {
        {2026, 12, 6, 22, 31, 5}, {2026, 1, 1, 0, 0, 1},  {2024, 2, 29, 12, 0, 0},
        {1999, 9, 9, 0, 59, 59},  {2026, 12, 6, 0, 0, 0}, {2030, 10, 31, 11, 59, 59},
        {2030, 10, 31, 12, 0, 1},
    };
    for (const Shape& s : shapes) {
        DateTimePattern p;
        ASSERT_TRUE(p.Compile(s.date, s.time, English(s.am, s.pm))) << s.date << " " << s.time;
        EXPECT_EQ(p.Format(probes[0]), s.sample);
        for (const LocalDateTime& w : probes) {
            LocalDateTime back;
            std::string text = p.Format(w);
            ASSERT_TRUE(p.Parse(text, &back)) << text;
            EXPECT_EQ(back, w) << text;
        }
    }
}

TEST(DateTimePattern, RefusesTextTheWriterWouldNotProduce) {
    DateTimePattern p;
    ASSERT_TRUE(p.Compile("M/d/yyyy", "h:mm:ss tt", English()));
    LocalDateTime w;
    for (const char* text :
         {"", "12/6/2026 ", "12/6/2026  10:31:05 PM", "12/06/2026", "12/6/26", "2/30/2026",
          "13/1/2026", "12/6/2026 10:31:05", "12/6/2026 13:31:05 PM", "12/6/2026 0:31:05 AM",
          "12/6/2026 10:31:5 PM", "12/6/2026 10:31:05 pm", "12/6/2026 10:31:05 PMx", "1/1/1899",
          "12/6/2026 12:00:00 AM", "x12/6/2026"})
        EXPECT_FALSE(p.Parse(text, &w)) << text;
    ASSERT_TRUE(p.Parse("12/6/2026 12:00:00 PM", &w));
    EXPECT_EQ(w, (LocalDateTime{2026, 12, 6, 12, 0, 0}));
}

TEST(DateTimePattern, LeavesPatternsItCannotReadToThePlatform) {
    DateTimePattern p;
    DateTimeNames unknownCentury = English(), unnamedMay = English();
    unknownCentury.twoDigitYearMax = 0;
    unnamedMay.shortMonths[4].clear();
    EXPECT_FALSE(p.Compile("dd/MM/yy", "HH:mm:ss", unknownCentury));        // century unknown
    EXPECT_FALSE(p.Compile("dd MMM yyyy", "HH:mm:ss", unnamedMay));         // a month unnamed
    EXPECT_FALSE(p.Compile("ddMMyyyy", "HH:mm:ss", English("", "")));       // numbers run together
    EXPECT_FALSE(p.Compile("dd/MM/yyyy", "h:mm:ss", English("AM", "PM")));  // no half of the day
    EXPECT_FALSE(p.Compile("dd/MM/yyyy", "h:mm:ss tt", English("", "")));   // halves without names
    EXPECT_FALSE(p.Compile("dd/MM/yyyy", "HH:mm", English("", "")));        // no seconds
    EXPECT_FALSE(p.Compile("dd/MM/yyyy 'x", "HH:mm:ss", English("", "")));  // open quote
    EXPECT_FALSE(p.Compile("g dd/MM/yyyy", "HH:mm:ss", English("", "")));   // era
    LocalDateTime w;
    EXPECT_FALSE(p.Parse("06/12/2026", &w));
}

// Every month and weekday, one- and two-digit days and hours, both halves
// of the day, both centuries of a two-digit year, midnight.
std::vector<LocalDateTime> YearOfDates() {
    std::vector<LocalDateTime> dates;
    for (int m = 1; m <= 12; ++m) {
        dates.push_back({m % 2 ? 1999 : 2026, m, m * 2 + 1, m, m * 4, m});
        dates.push_back({2049 - m, m, 28 - m, 11 + m, 59 - m, 0});
    }
    dates.push_back({1950, 6, 30, 0, 0, 0});
    return dates;
}

TEST(DateTimePattern, ReadsBackNamesTwoDigitYearsAndTheOtherShapesLocalesUse) {
    struct Shape {
        const char* date;
        const char* time;
        const char* sample;  // 6 Dec 2026 22:31:05
    } shapes[] = {
        {"dd-MMM-yyyy", "h:mm:ss tt", "06-Dec-2026 10:31:05 PM"},
        {"dddd d 'de' MMMM 'de' yyyy", "H:mm:ss", "Sunday 6 de December de 2026 22:31:05"},
        {"ddd, MMM d, yy", "hh:mm:ss t", "Sun, Dec 6, 26 10:31:05 P"},
        {"M/d/yy", "tth:mm:ss", "12/6/26 PM10:31:05"},
        {"MMMMd yyyy", "H:m:s", "December6 2026 22:31:5"},
        {"yy. MM. dd.", "HH 'h' mm 'min' ss 's'", "26. 12. 06. 22 h 31 min 05 s"},
    };
    for (const Shape& s : shapes) {
        DateTimePattern p;
        ASSERT_TRUE(p.Compile(s.date, s.time, English())) << s.date << " " << s.time;
        EXPECT_EQ(p.Format({2026, 12, 6, 22, 31, 5}), s.sample);
        for (const LocalDateTime& w : YearOfDates()) {
            LocalDateTime back;
            std::string text = p.Format(w);
            ASSERT_TRUE(p.Parse(text, &back)) << text;
            EXPECT_EQ(back, w) << text;
        }
    }
    // A two-digit year is in the platform's century window, 1950 to 2049 here.
    DateTimePattern p;
    ASSERT_TRUE(p.Compile("dd/MM/yy", "HH:mm:ss", English()));
    LocalDateTime w;
    ASSERT_TRUE(p.Parse("01/01/00", &w));
    EXPECT_EQ(w.year, 2000);
    ASSERT_TRUE(p.Parse("01/01/50", &w));
    EXPECT_EQ(w.year, 1950);
}

TEST(DateTimePattern, TakesTheLongestNameOnlyWhereTheShorterCannotBeMeant) {
    DateTimeNames n = English();
    n.months[5] = "jun";  // June, a prefix of July
    n.months[6] = "june";
    DateTimePattern p;
    LocalDateTime w;
    for (const char* date : {"d MMMM yyyy", "MMMMd yyyy", "yyyy d MMMM"}) {
        ASSERT_TRUE(p.Compile(date, "HH:mm:ss", n)) << date;
        for (int month : {6, 7}) {
            LocalDateTime written{2026, month, 9, 8, 7, 6};
            ASSERT_TRUE(p.Parse(p.Format(written), &w)) << p.Format(written);
            EXPECT_EQ(w, written);
        }
    }
    // "jun" followed by "e..." or a blank could be either month.
    EXPECT_FALSE(p.Compile("d MMMMe yyyy", "HH:mm:ss", n));
    n.months[6] = "jun x";
    EXPECT_FALSE(p.Compile("yyyy d MMMM", "HH:mm:ss", n));
    // So could a number before a name that begins with a digit ("1月").
    n = English();
    for (int m = 0; m < 12; ++m) n.shortMonths[m] = std::to_string(m + 1) + "\x8c\x8e";
    EXPECT_FALSE(p.Compile("dMMM yyyy", "HH:mm:ss", n));
    EXPECT_TRUE(p.Compile("d-MMM-yyyy", "HH:mm:ss", n));
    EXPECT_FALSE(p.Compile("dddMMM d yyyy", "HH:mm:ss", English()));   // two names in a row
    EXPECT_FALSE(p.Compile("dddd MMMM yyyy", "HH:mm:ss", English()));  // no day number
}

TEST(DateTimePattern, RefusesNamesAndYearsTheWriterWouldNotWrite) {
    DateTimePattern p;
    ASSERT_TRUE(p.Compile("ddd dd-MMM-yy", "HH:mm:ss", English()));
    LocalDateTime w;
    ASSERT_TRUE(p.Parse("Sun 06-Dec-26 22:31:05", &w));
    for (const char* text :
         {"Sun 06-DEC-26 22:31:05", "Sun 06-dec-26", "sun 06-Dec-26", "Sun 06-Dex-26",
          "Sun 06-Decx-26", "Sun 06-December-26", "Mon 06-Dec-26", "Sunday 06-Dec-26",
          "Sun 06-Dec-2026", "Sun 06-Dec-6", "Sun 06-Dec-26x", "Sun 06Dec-26", "Sun 06-Dec-26 "})
        EXPECT_FALSE(p.Parse(text, &w)) << text;
}

TEST(DateTimePattern, ReadsTwoByteCharactersWhole) {
    // Code page 932: the second byte of 年 is 'N', of 窺 'M'; 午 and 後 share
    // their first byte.
    DateTimeNames n = English("\x8c\xdf\x91\x4f", "\x8c\xe3\x8d\x8f");
    for (int b = 0x81; b <= 0x9f; ++b) n.leadBytes.set(b);
    for (int b = 0xe0; b <= 0xfc; ++b) n.leadBytes.set(b);
    DateTimePattern p;
    ASSERT_TRUE(p.Compile("yyyy\x94Nd\x93\xfa'\x89M'M\x8c\x8e", "t h:mm:ss", n));
    EXPECT_EQ(p.Format({2026, 12, 6, 22, 31, 5}),
              "2026\x94N6\x93\xfa\x89M12\x8c\x8e \x8c\xe3 10:31:05");
    LocalDateTime w;
    ASSERT_TRUE(p.Parse("2026\x94N6\x93\xfa\x89M12\x8c\x8e \x8c\xdf 10:31:05", &w));
    EXPECT_EQ(w, (LocalDateTime{2026, 12, 6, 10, 31, 5}));
    EXPECT_FALSE(p.Parse("2026\x94N6\x93\xfa\x89M12\x8c\x8e \x8c 10:31:05", &w));
}

}  // namespace
