// Reading back the platform's date-and-time text by the locale's patterns:
// exactly what the writer produces, nothing it would not.
#include <gtest/gtest.h>

#include "platform/DateTimePattern.h"

using platform::DateTimePattern;
using platform::LocalDateTime;

namespace {

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
        ASSERT_TRUE(p.Compile(s.date, s.time, s.am, s.pm)) << s.date << " " << s.time;
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
    ASSERT_TRUE(p.Compile("M/d/yyyy", "h:mm:ss tt", "AM", "PM"));
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
    EXPECT_FALSE(p.Compile("dd/MM/yy", "HH:mm:ss", "", ""));       // century unknown
    EXPECT_FALSE(p.Compile("dd MMM yyyy", "HH:mm:ss", "", ""));    // month names
    EXPECT_FALSE(p.Compile("ddMMyyyy", "HH:mm:ss", "", ""));       // numbers run together
    EXPECT_FALSE(p.Compile("dd/MM/yyyy", "h:mm:ss", "AM", "PM"));  // no half of the day
    EXPECT_FALSE(p.Compile("dd/MM/yyyy", "h:mm:ss tt", "", ""));   // halves without names
    EXPECT_FALSE(p.Compile("dd/MM/yyyy", "HH:mm", "", ""));        // no seconds
    EXPECT_FALSE(p.Compile("dd/MM/yyyy 'x", "HH:mm:ss", "", ""));  // open quote
    EXPECT_FALSE(p.Compile("g dd/MM/yyyy", "HH:mm:ss", "", ""));   // era
    LocalDateTime w;
    EXPECT_FALSE(p.Parse("06/12/2026", &w));
}

}  // namespace
