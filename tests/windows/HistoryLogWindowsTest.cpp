// The history log on the real file layer and the real locale conversion:
// the bytes of a session, sharing with another process, and the quick
// timestamp reader against the platform's own.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "monitor/HistoryLog.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32LocaleTime.h"
#include "platform/win32/Win32TextSource.h"
#include "res/resource.h"
#include "tests/windows/WineServices.h"

using platform::LocalDateTime;

namespace {

// Sets the user's date and time formats for the test's lifetime.
class PinnedFormats {
public:
    PinnedFormats(const char* shortDate, const char* time, const char* am = "AM",
                  const char* pm = "PM") {
        for (int i = 0; i < 4; ++i) {
            char buffer[128] = {};
            GetLocaleInfoA(LOCALE_USER_DEFAULT, kTypes[i], buffer, sizeof buffer);
            saved_[i] = buffer;
        }
        const char* values[4] = {shortDate, time, am, pm};
        for (int i = 0; i < 4; ++i) SetLocaleInfoA(LOCALE_USER_DEFAULT, kTypes[i], values[i]);
    }
    ~PinnedFormats() {
        for (int i = 0; i < 4; ++i)
            SetLocaleInfoA(LOCALE_USER_DEFAULT, kTypes[i], saved_[i].c_str());
    }

private:
    static constexpr LCTYPE kTypes[4] = {LOCALE_SSHORTDATE, LOCALE_STIMEFORMAT, LOCALE_S1159,
                                         LOCALE_S2359};
    std::string saved_[4];
};

std::string TempPath(const char* name) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name + std::to_string(GetCurrentProcessId()) + ".log";
}

std::string ReadAll(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<unreadable>";
    std::string data;
    char buffer[4096];
    DWORD got;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) data.append(buffer, got);
    CloseHandle(h);
    return data;
}

// Exit code of the helper run on `path`: bit 0 it read, bit 1 it opened for writing.
DWORD OtherProcessAccess(const std::string& path) {
    std::string command = "\"" + wintest::ExeDirectory() + "\\sharecheck.exe\" \"" + path + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return 100;
    DWORD code = 101;
    if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return code;
}

// Each line with its timestamp taken out, the timestamps checked to parse.
std::string WithoutTimestamps(const std::string& data, platform::LocaleTime& time) {
    std::string out;
    size_t start = 0;
    while (start < data.size()) {
        size_t end = data.find('\n', start);
        std::string line = data.substr(start, end == std::string::npos ? end : end + 1 - start);
        size_t bar = line.find('|');
        LocalDateTime when;
        if (!line.empty() && strchr("<>!*", line[0]) && bar != std::string::npos) {
            if (!time.ParseDateTime(line.substr(1, bar - 1), &when))
                return "bad timestamp in " + line;
            line = line.substr(0, 1) + "T" + line.substr(bar);
        }
        out += line;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return out;
}

TEST(HistoryLogWindowsTest, ASessionOnDiskIsExactlyItsRecordsAndOnlyReadableByOthers) {
    PinnedFormats formats("dd/MM/yyyy", "H:mm:ss");
    platform::Win32FileSystem files;
    platform::Win32LocaleTime time;
    platform::Win32TextSource texts;
    std::string path = TempPath("vantorel-history");
    DeleteFileA(path.c_str());
    {
        HistoryLog log(files, time, texts);
        log.SetSessionText(HistoryLog::MakeSessionText("Vantorel", "2, 1, 3, 0"));
        ASSERT_TRUE(log.Open(path, false)) << log.GetErrorText();
        ASSERT_TRUE(log.WriteConnected("localhost"));
        ASSERT_TRUE(log.WriteChange(16, 4, 1, "Spooler"));
        EXPECT_EQ(OtherProcessAccess(path), 1u);
        // The viewer reads the file while this program still writes it.
        HistoryLog viewer(files, time, texts);
        ASSERT_TRUE(viewer.Load(path)) << viewer.GetErrorText();
        EXPECT_EQ(viewer.Lines().size(), 3u);
        ASSERT_TRUE(log.Close()) << log.GetErrorText();
        EXPECT_EQ(OtherProcessAccess(path), 3u);
        EXPECT_EQ(WithoutTimestamps(ReadAll(path), time),
                  ">T|Vantorel v2.1.3.0\r\n"
                  "!T|localhost\r\n"
                  "*T|16|4|1|Spooler\r\n"
                  "<T|Vantorel v2.1.3.0\r\n");

        // A second session is set apart by an empty line; a truncating one starts afresh.
        ASSERT_TRUE(log.Open(path, false));
        ASSERT_TRUE(log.Close());
        EXPECT_EQ(WithoutTimestamps(ReadAll(path), time),
                  ">T|Vantorel v2.1.3.0\r\n"
                  "!T|localhost\r\n"
                  "*T|16|4|1|Spooler\r\n"
                  "<T|Vantorel v2.1.3.0\r\n"
                  "\r\n"
                  ">T|Vantorel v2.1.3.0\r\n"
                  "<T|Vantorel v2.1.3.0\r\n");
    }
    HistoryLog viewer(files, time, texts);
    ASSERT_TRUE(viewer.Load(path));
    ASSERT_EQ(viewer.Lines().size(), 6u);
    std::string kind, from, to;
    ASSERT_TRUE(viewer.GetKindText(viewer.Lines()[2], &kind));
    EXPECT_EQ(kind, texts.Text(IDS_CHANGE_MODIFIED));
    ASSERT_TRUE(viewer.GetStateTexts(viewer.Lines()[2], &from, &to));
    EXPECT_EQ(from, texts.Text(IDS_STATE_RUNNING));
    EXPECT_EQ(to, texts.Text(IDS_STATE_STOPPED));
    LocalDateTime earliest, latest, now = time.Now();
    ASSERT_TRUE(viewer.GetDateRange(&earliest, &latest));
    EXPECT_EQ(earliest.year, now.year);
    std::vector<std::string> lines;
    ASSERT_TRUE(viewer.SelectLines(&lines, "localhost", earliest, latest));
    EXPECT_EQ(lines.size(), 6u);

    HistoryLog truncating(files, time, texts);
    ASSERT_TRUE(truncating.Open(path, true));
    ASSERT_TRUE(truncating.Close());
    EXPECT_EQ(WithoutTimestamps(ReadAll(path), time), ">T| v\r\n<T| v\r\n");
    DeleteFileA(path.c_str());

    EXPECT_FALSE(viewer.Load(path));
    EXPECT_FALSE(viewer.GetErrorText().empty());
}

// Dates that exercise each field: both halves of the day, one and two
// digits, midnight, leap days, year ends.
std::vector<LocalDateTime> SampleDates() {
    std::vector<LocalDateTime> dates;
    uint32_t seed = 12345;
    auto next = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 8) % static_cast<uint32_t>(n));
    };
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int i = 0; i < 1500; ++i) {
        LocalDateTime w;
        w.year = 1990 + next(60);
        w.month = 1 + next(12);
        w.day = 1 + next(days[w.month - 1]);
        w.hour = next(24);
        w.minute = next(60);
        w.second = next(60);
        if (i % 10 == 0) w.hour = w.minute = w.second = 0;
        if (i % 17 == 0) w.hour = 12;
        dates.push_back(w);
    }
    dates.push_back({2024, 2, 29, 0, 0, 1});
    dates.push_back({2026, 12, 31, 23, 59, 59});
    return dates;
}

TEST(HistoryLogWindowsTest, TheQuickReaderGivesThePlatformsResultsForWhatTheWriterWrites) {
    struct Formats {
        const char* date;
        const char* time;
        const char* am;
        const char* pm;
        bool quick;
    } cases[] = {
        {"dd/MM/yyyy", "H:mm:ss", "", "", true},
        {"M/d/yyyy", "h:mm:ss tt", "AM", "PM", true},
        {"yyyy-MM-dd", "HH:mm:ss", "", "", true},
        {"d.M.yyyy", "HH:mm:ss", "", "", true},
        {"dd/MM/yyyy", "hh:mm:ss tt", "a.m.", "p.m.", true},
        {"dd/MM/yy", "H:mm:ss", "", "", true},
        {"dd-MMM-yyyy", "h:mm:ss tt", "AM", "PM", true},
        {"dddd, MMMM d, yyyy", "HH:mm:ss", "", "", true},
        {"ddd d MMM yy", "h:mm:ss tt", "AM", "PM", true},
        {"gg yyyy/MM/dd", "H:mm:ss", "", "", false},  // eras are not for the quick reader
    };
    const std::vector<LocalDateTime> dates = SampleDates();
    for (const Formats& f : cases) {
        PinnedFormats pinned(f.date, f.time, f.am, f.pm);
        platform::Win32LocaleTime time;
        EXPECT_EQ(time.QuickReaderInUse(), f.quick) << f.date << " " << f.time;
        int mismatches = 0;
        for (const LocalDateTime& w : dates) {
            std::string text = time.FormatDateTime(w);
            LocalDateTime quick{}, slow{};
            // Where it is in use, the quick reader alone reads every date written.
            bool a = f.quick ? time.ParseDateTimeQuickly(text, &quick)
                             : time.ParseDateTime(text, &quick);
            bool b = time.ParseDateTimeByPlatform(text, &slow);
            if (a != b || !(quick == slow)) {
                if (++mismatches <= 3)
                    ADD_FAILURE() << f.date << " " << f.time << ": \"" << text << "\" quick " << a
                                  << " " << quick.day << "/" << quick.month << "/" << quick.year
                                  << " " << quick.hour << ", platform " << b;
            }
        }
        // Texts the writer never produces go to the platform and get its answer.
        for (const char* other :
             {"6/12/2026 22:31:11", "2026-12-06", "12/6/2026 10:31:11 PM", "31/02/2026", "junk",
              "06-DEC-2026 10:31:11 PM", "Mon 6 Dec 26 PM10:31:11", "06-Dec-2026x"}) {
            LocalDateTime quick{}, slow{};
            bool a = time.ParseDateTime(other, &quick);
            bool b = time.ParseDateTimeByPlatform(other, &slow);
            EXPECT_EQ(a, b) << other;
            if (a && b) {
                EXPECT_TRUE(quick == slow) << other;
            }
        }
    }
}

}  // namespace

namespace {

TEST(HistoryLogWindowsTest, AChangeOfTheUsersFormatsWhileRunningIsFollowed) {
    platform::Win32LocaleTime time;
    LocalDateTime when{};
    const LocalDateTime fifthOfDecember{2026, 12, 5, 8, 30, 0};
    {
        PinnedFormats days("dd/MM/yyyy", "HH:mm:ss");
        ASSERT_TRUE(time.ParseDateTime(time.FormatDateTime(fifthOfDecember), &when));
        EXPECT_TRUE(when == fifthOfDecember);
        ASSERT_TRUE(time.QuickReaderInUse());
    }
    PinnedFormats months("MM/dd/yyyy", "HH:mm:ss");
    Sleep(1100);
    std::string text = time.FormatDateTime(fifthOfDecember);
    EXPECT_EQ(text.substr(0, 10), "12/05/2026");
    ASSERT_TRUE(time.ParseDateTime(text, &when));
    EXPECT_TRUE(when == fifthOfDecember) << when.day << "/" << when.month;
}

}  // namespace
