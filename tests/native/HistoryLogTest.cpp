// The history log against an in-memory file system and a fixed locale:
// records as written, sessions, failures, and the reader's selection rules.
#include <cstdio>

#include <gtest/gtest.h>

#include "document/ChangeList.h"
#include "monitor/HistoryLog.h"
#include "res/resource.h"
#include "settings/LanguageModule.h"
#include "tests/fakes/FakeFiles.h"
#include "tests/fakes/FakeModules.h"
#include "tests/fakes/FakeScm.h"

using platform::LocalDateTime;

namespace {

const char* kPath = "C:\\logs\\Vantorel.log";

class HistoryLogTest : public ::testing::Test {
protected:
    HistoryLogTest() {
        texts.strings[IDS_CHANGE_NEW_SERVICE] = "New";
        texts.strings[IDS_CHANGE_DELETED_SERVICE] = "Deleted";
        texts.strings[IDS_CHANGE_MODIFIED] = "Modified";
        for (unsigned s = 1; s <= 7; ++s)
            texts.strings[IDS_STATE_BASE + s] = "S" + std::to_string(s);
        log.SetSessionText(HistoryLog::MakeSessionText("Vantorel", "2, 1, 3, 0"));
    }
    void At(int day, int h, int m, int s) { clock.now = {2026, 12, day, h, m, s}; }

    fake::FileSystem files;
    fake::LocaleTime clock;
    fake::Texts texts;
    HistoryLog log{files, clock, texts};
};

TEST_F(HistoryLogTest, ACompleteSessionIsWrittenRecordByRecordWithCrLf) {
    At(6, 22, 31, 11);
    ASSERT_TRUE(log.Open(kPath, false)) << log.GetErrorText();
    EXPECT_TRUE(log.IsOpen());
    At(6, 22, 31, 12);
    ASSERT_TRUE(log.WriteConnected("localhost"));
    At(6, 22, 41, 12);
    ASSERT_TRUE(log.WriteChange(16, 4, 1, "Spooler"));
    // Every record is on disk as soon as it is written.
    EXPECT_EQ(files.Get(kPath),
              ">06/12/2026 22:31:11|Vantorel v2.1.3.0\r\n"
              "!06/12/2026 22:31:12|localhost\r\n"
              "*06/12/2026 22:41:12|16|4|1|Spooler\r\n");
    char name[] = "W32Time", display[] = "Hora de Windows";
    ServiceChange added{name, display, NewService, 1, 4, nullptr};
    ASSERT_TRUE(log.WriteChange(added));
    EXPECT_NE(files.Get(kPath).find("*06/12/2026 22:41:12|1|1|4|W32Time\r\n"), std::string::npos);
    At(6, 23, 2, 40);
    ASSERT_TRUE(log.Close());
    EXPECT_FALSE(log.IsOpen());
    EXPECT_EQ(files.Get(kPath).substr(files.Get(kPath).rfind('<')),
              "<06/12/2026 23:02:40|Vantorel v2.1.3.0\r\n");
    EXPECT_EQ(files.files[kPath].openHandles, 0);
    EXPECT_TRUE(log.Close());  // not open: nothing to do
}

TEST_F(HistoryLogTest, AppendingSeparatesSessionsAndTruncatingStartsAfresh) {
    files.Put(kPath, "old\r\n");
    ASSERT_TRUE(log.Open(kPath, false));
    ASSERT_TRUE(log.Close());
    EXPECT_EQ(files.Get(kPath).substr(0, 10), "old\r\n\r\n>06");

    ASSERT_TRUE(log.Open(kPath, true));
    EXPECT_EQ(files.Get(kPath), ">06/12/2026 22:31:11|Vantorel v2.1.3.0\r\n");
    // A second Open ends the session in the old file first.
    const char* other = "C:\\logs\\other.log";
    ASSERT_TRUE(log.Open(other, false));
    EXPECT_EQ(files.Get(kPath).back(), '\n');
    EXPECT_NE(files.Get(kPath).find("\r\n<06/12/2026"), std::string::npos);
    EXPECT_EQ(files.Get(other).substr(0, 1), ">");  // empty file: no blank line first
}

TEST_F(HistoryLogTest, TheOpenLogDeniesOtherWritersButNotReaders) {
    ASSERT_TRUE(log.Open(kPath, false));
    EXPECT_EQ(
        files.CreateFileA(kPath, platform::file::kGenericWrite, 7, platform::file::kOpenExisting),
        nullptr);
    HistoryLog viewer(files, clock, texts);
    ASSERT_TRUE(viewer.Load(kPath)) << viewer.GetErrorText();
    EXPECT_EQ(viewer.Lines().size(), 1u);
}

TEST_F(HistoryLogTest, WritesDoNothingWhenClosedAndFailuresKeepTheLogOpen) {
    EXPECT_TRUE(log.WriteConnected("pc"));
    EXPECT_TRUE(log.WriteChange(1, 1, 4, "x"));
    EXPECT_FALSE(files.Exists(kPath));

    files.AddFolder("C:\\ro\\", false);
    EXPECT_FALSE(log.Open("C:\\ro\\a.log", false));
    EXPECT_EQ(log.GetErrorText(), "File system message 5.\r\n");
    EXPECT_FALSE(log.IsOpen());

    ASSERT_TRUE(log.Open(kPath, false));
    EXPECT_TRUE(log.GetErrorText().empty());
    files.spaceLeft = 10;
    EXPECT_FALSE(log.WriteConnected("pc"));
    EXPECT_EQ(log.GetErrorText(), "File system message 39.\r\n");
    EXPECT_TRUE(log.IsOpen());
    files.spaceLeft = -1;
    EXPECT_TRUE(log.WriteChange(2, 4, 1, "gone"));
    EXPECT_TRUE(log.GetErrorText().empty());
    files.failClose = true;
    EXPECT_FALSE(log.Close());
    EXPECT_FALSE(log.IsOpen());
    EXPECT_FALSE(log.GetErrorText().empty());
}

TEST_F(HistoryLogTest, ALogThatCannotStartItsSessionIsClosedAndWritesNothing) {
    files.Put(kPath, "old\r\n");
    struct Case {
        const char* what;
        bool failSeeks;
        long long spaceLeft;  // -1: no limit
        const char* error;
    } cases[] = {
        {"seek", true, -1, "File system message 25.\r\n"},
        {"separator", false, 0, "File system message 39.\r\n"},
        {"start record", false, 2, "File system message 39.\r\n"},
    };
    for (const Case& c : cases) {
        files.failSeeks = c.failSeeks;
        files.spaceLeft = c.spaceLeft;
        EXPECT_FALSE(log.Open(kPath, false)) << c.what;
        EXPECT_EQ(log.GetErrorText(), c.error) << c.what;
        EXPECT_FALSE(log.IsOpen()) << c.what;
        EXPECT_EQ(files.files[kPath].openHandles, 0) << c.what;
        files.failSeeks = false;
        files.spaceLeft = -1;
        std::string before = files.Get(kPath);
        EXPECT_TRUE(log.WriteConnected("pc")) << c.what;
        EXPECT_EQ(files.Get(kPath), before) << c.what;
        // Another writer may have the file now.
        EXPECT_NE(files.CreateFileA(kPath, platform::file::kGenericWrite, 0,
                                    platform::file::kOpenExisting),
                  nullptr)
            << c.what;
    }
    EXPECT_TRUE(log.Close());  // nothing open: no end record
    EXPECT_EQ(files.Get(kPath).find('<'), std::string::npos);
}

TEST_F(HistoryLogTest, SessionTextComesFromTheVersionOfTheTextsInUse) {
    EXPECT_EQ(HistoryLog::MakeSessionText("Vantorel", " 2 , 1,3 ,0 "), "Vantorel v2.1.3.0");
    fake::Modules modules;
    platform::TextsInUse inUse;
    EXPECT_EQ(HistoryLog::SessionTextOfTexts(inUse, modules, modules), "Vantorel v2.1.3.0");
    fake::ModuleFile& english = modules.files["D:\\en.dll"];
    english.versionStrings["040904e4\\ProductName"] = "Vantorel EN";
    english.versionStrings["040904e4\\FileVersion"] = "2, 1, 3, 0";
    inUse.Set(reinterpret_cast<platform::ModuleHandle>(1), "D:\\en.dll");
    EXPECT_EQ(HistoryLog::SessionTextOfTexts(inUse, modules, modules), "Vantorel EN v2.1.3.0");
    english.hasVersion = false;
    EXPECT_EQ(HistoryLog::SessionTextOfTexts(inUse, modules, modules), " v");
}

TEST_F(HistoryLogTest, LoadKeepsRecordLinesTrimmedAndDropsTheRest) {
    files.Put(kPath,
              "  >06/12/2026 22:31:11|V v1\r\n"
              "\r\n"
              "foreign text\r\n"
              "*\r\n"
              "!\t06/12/2026 22:31:12|pc\tone \r\n"
              "*06/12/2026 22:41:12|16|4|1|Spooler");  // no line end at the very end
    ASSERT_TRUE(log.Load(kPath));
    ASSERT_EQ(log.Lines().size(), 3u);
    EXPECT_EQ(log.Lines()[0], ">06/12/2026 22:31:11|V v1");
    EXPECT_EQ(log.Lines()[1], "! 06/12/2026 22:31:12|pc one");
    EXPECT_EQ(log.Lines()[2], "*06/12/2026 22:41:12|16|4|1|Spooler");

    EXPECT_FALSE(log.Load("C:\\logs\\missing.log"));
    EXPECT_EQ(log.GetErrorText(), "File system message 2.\r\n");
    EXPECT_TRUE(log.Lines().empty());
    std::vector<std::string> list{"x"};
    EXPECT_FALSE(log.GetMachines(&list));
    EXPECT_TRUE(list.empty());
    LocalDateTime a, b;
    EXPECT_FALSE(log.GetDateRange(&a, &b));
    EXPECT_FALSE(log.SelectLines(&list, "", a, b));

    files.failReads = true;
    EXPECT_FALSE(log.Load(kPath));
    EXPECT_FALSE(log.GetErrorText().empty());
}

TEST_F(HistoryLogTest, AccessorsTakeTheirFieldsAndRefuseLinesWithoutSeparators) {
    std::string text;
    LocalDateTime when;
    LogLine change = "*06/12/2026 22:41:12|16|4|1|Spo|oler";
    EXPECT_TRUE(HistoryLog::GetServiceName(change, &text));
    EXPECT_EQ(text, "oler");  // after the last bar
    EXPECT_TRUE(log.GetKindText(change, &text));
    EXPECT_EQ(text, "Modified");
    std::string from, to;
    EXPECT_TRUE(log.GetStateTexts(change, &from, &to));
    EXPECT_EQ(from, "S4");
    EXPECT_EQ(to, "S1");
    EXPECT_TRUE(log.ParseTimestamp(change, &when));
    EXPECT_EQ(when, (LocalDateTime{2026, 12, 6, 22, 41, 12}));

    EXPECT_TRUE(log.GetKindText("*t|1x|", &text));
    EXPECT_EQ(text, "New");
    EXPECT_TRUE(log.GetKindText("*t| 2|", &text));
    EXPECT_EQ(text, "Deleted");
    EXPECT_TRUE(log.GetKindText("*t||", &text));
    EXPECT_EQ(text, "Modified");  // no digits read as 0
    EXPECT_TRUE(log.GetStateTexts("*t|1|0|99|x", &from, &to));
    EXPECT_EQ(from, "");
    EXPECT_EQ(to, "");

    text = "untouched";
    for (LogLine bad : {LogLine("*"), LogLine("**"), LogLine("*no bars"), LogLine("")}) {
        EXPECT_FALSE(HistoryLog::GetTimestampText(bad, &text)) << bad;
        EXPECT_FALSE(log.ParseTimestamp(bad, &when)) << bad;
        EXPECT_FALSE(HistoryLog::GetServiceName(bad, &text)) << bad;
        EXPECT_FALSE(log.GetKindText(bad, &text)) << bad;
    }
    EXPECT_FALSE(log.GetKindText("*t|1", &text));
    EXPECT_FALSE(log.GetStateTexts("*t|1|2|3", &from, &to));
    EXPECT_EQ(text, "untouched");
    // Accessors check the record type.
    EXPECT_FALSE(HistoryLog::GetConnectedMachine(change, &text));
    EXPECT_FALSE(HistoryLog::GetSessionText("!t|pc", &text));
    EXPECT_FALSE(log.GetKindText("!t|1|2|3|4", &text));
    EXPECT_TRUE(HistoryLog::GetConnectedMachine("!t|a|b", &text));
    EXPECT_EQ(text, "a|b");
    EXPECT_TRUE(HistoryLog::GetSessionText("<t|", &text));
    EXPECT_EQ(text, "");
    EXPECT_TRUE(HistoryLog::GetTimestampText("!|pc", &text));
    EXPECT_EQ(text, "");
    EXPECT_FALSE(log.ParseTimestamp("!|pc", &when));
    EXPECT_FALSE(log.ParseTimestamp("!6/12/2026 10:31:11 PM|pc", &when));  // another locale
}

class HistoryReadTest : public HistoryLogTest {
protected:
    void SetUp() override {
        log.LoadText(
            ">04/12/2026 23:59:59|V v1\r\n"
            "*04/12/2026 23:59:59|16|4|1|Early\r\n"
            "!05/12/2026|M\r\n"  // midnight: the date alone
            "*05/12/2026 08:00:00|1|1|4|Spooler\r\n"
            "*12/5/2026 9:00:00 AM|1|1|4|OtherLocale\r\n"
            "!05/12/2026 09:00:00|localhost\r\n"
            "*05/12/2026 09:10:00|2|4|1|Spooler\r\n"
            "<05/12/2026 10:00:00|V v1\r\n"
            "\r\n"
            ">05/12/2026 11:00:00|V v1\r\n"
            "*05/12/2026 11:05:00|16|4|7|Orphan\r\n"
            "!05/12/2026 11:06:00|localhost\r\n"
            "!05/12/2026 11:07:00|m\r\n"
            "*06/12/2026 00:00:01|16|7|4|spooler\r\n"
            "!06/12/2026 09:00:00|M\r\n"
            "*06/12/2026 09:01:00|16|7|4|Late\r\n"
            "<06/12/2026 09:02:00|V v1\r\n");
    }
    std::vector<std::string> Select(const std::string& machine, int fromDay, int toDay) {
        std::vector<std::string> list;
        EXPECT_TRUE(log.SelectLines(&list, machine, {2026, 12, fromDay, 17, 0, 0},
                                    {2026, 12, toDay, 3, 0, 0}));
        return list;
    }
};

TEST_F(HistoryReadTest, MachinesAndServicesAreListedOnceInOrderOfFirstAppearance) {
    std::vector<std::string> list;
    ASSERT_TRUE(log.GetMachines(&list));
    EXPECT_EQ(list, (std::vector<std::string>{"M", "localhost", "m"}));
    ASSERT_TRUE(log.GetServices(&list));
    EXPECT_EQ(list, (std::vector<std::string>{"Early", "Spooler", "OtherLocale", "Orphan",
                                              "spooler", "Late"}));
}

TEST_F(HistoryReadTest, ServicesAlikeAtBothEndsStayApart) {
    // Same length, same first and last eight characters, differing inside:
    // enough of them to make the table of names grow twice.
    std::string text;
    std::vector<std::string> names;
    for (int i = 0; i < 300; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Service-%03d-Instance", i);
        names.push_back(name);
        text += std::string("*05/12/2026 08:00:00|1|1|4|") + name + "\r\n";
    }
    log.LoadText(text + text);
    std::vector<std::string> list;
    ASSERT_TRUE(log.GetServices(&list));
    EXPECT_EQ(list, names);
}

TEST_F(HistoryReadTest, DateRangeLeavesOutTimestampsThatDoNotParse) {
    LocalDateTime earliest, latest;
    ASSERT_TRUE(log.GetDateRange(&earliest, &latest));
    EXPECT_EQ(earliest, (LocalDateTime{2026, 12, 4, 23, 59, 59}));
    EXPECT_EQ(latest, (LocalDateTime{2026, 12, 6, 9, 2, 0}));

    log.LoadText("*x|1|1|1|a\r\n!|pc\r\n");
    ASSERT_TRUE(log.GetDateRange(&earliest, &latest));
    EXPECT_EQ(earliest, (LocalDateTime{9999, 12, 31, 0, 0, 0}));
    EXPECT_EQ(latest, (LocalDateTime{1900, 1, 1, 0, 0, 0}));
}

TEST_F(HistoryReadTest, SelectionFollowsTheMachineThroughTheWholeFileButKeepsOnlyItsDays) {
    EXPECT_EQ(Select("M", 5, 5), (std::vector<std::string>{
                                     "!05/12/2026|M",
                                     "*05/12/2026 08:00:00|1|1|4|Spooler",
                                     "<05/12/2026 10:00:00|V v1",
                                     ">05/12/2026 11:00:00|V v1",
                                 }));
    // The change after 23:59:59 of day 5 belongs to "m" (case matters) on day 6.
    EXPECT_EQ(Select("m", 6, 6), (std::vector<std::string>{
                                     "*06/12/2026 00:00:01|16|7|4|spooler",
                                     "<06/12/2026 09:02:00|V v1",
                                 }));
    // Changes before a session's first machine belong to the empty name.
    EXPECT_EQ(Select("", 4, 5), (std::vector<std::string>{
                                    ">04/12/2026 23:59:59|V v1",
                                    "*04/12/2026 23:59:59|16|4|1|Early",
                                    "<05/12/2026 10:00:00|V v1",
                                    ">05/12/2026 11:00:00|V v1",
                                    "*05/12/2026 11:05:00|16|4|7|Orphan",
                                }));
    EXPECT_EQ(Select("localhost", 5, 6).size(), 6u);
    EXPECT_EQ(Select("M", 7, 7).size(), 0u);
    EXPECT_EQ(Select("M", 6, 5).size(), 0u);  // an empty window
}

}  // namespace
