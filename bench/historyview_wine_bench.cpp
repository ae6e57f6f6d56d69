// Opening the history viewer on a million-line log whose last day holds
// 100,000 changes, until that day is on screen, beside the least any
// program must do for it: load the file and select that day's lines.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "bench/Verdict.h"
#include "framework/WinApp.h"
#include "monitor/HistoryLog.h"
#include "platform/win32/Win32Platform.h"
#include "settings/SettingsStore.h"
#include "ui/CHistoryDlg.h"

using namespace bench;
using platform::LocalDateTime;

namespace {

const int kLines = 1000000;
const int kLastDayChanges = 100000;
const int kRounds = 21;

// Ninety days of one machine, a session a day; the last day is the busy one.
bool WriteLog(const std::string& path, platform::LocaleTime& locale, LocalDateTime* lastDay) {
    std::string text;
    text.reserve(64u << 20);
    int lines = 0;
    const int days = 90;
    const int perDay = (kLines - kLastDayChanges) / (days - 1);
    for (int day = 0; day < days && lines < kLines; ++day) {
        LocalDateTime when{2026, 9 + day / 30, 1 + day % 30, 0, 0, 0};
        int changes = day == days - 1 ? kLastDayChanges - 2 : perDay - 2;
        std::string stamp = locale.FormatDateTime(when);
        text += ">" + stamp + "|Vantorel v1.0.0.0\r\n!" + stamp + "|localhost\r\n";
        lines += 2;
        for (int i = 0; i < changes && lines < kLines; ++i, ++lines) {
            if (i % 2 == 0) {
                int second = i / 2;
                when.hour = (second / 3600) % 24, when.minute = (second / 60) % 60,
                when.second = second % 60;
                stamp = locale.FormatDateTime(when);
            }
            text += "*" + stamp + "|16|4|1|Service" + std::to_string(i % 700) + "\r\n";
        }
        *lastDay = when;
    }
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    bool ok = file != INVALID_HANDLE_VALUE &&
              WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return ok;
}

}  // namespace

int main() {
    WindowBench app(ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES);
    platform::Win32Platform real;
    std::string path = "historyview-bench.log";
    char full[MAX_PATH];
    GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    LocalDateTime lastDay{};
    if (!WriteLog(full, real.locale, &lastDay)) return 1;
    SettingsStore store(real.registry);
    std::string previous = store.ReadLogFilePath();
    store.WriteLogFilePath(full);

    HistoryLog history(real.files, real.locale, real.texts);
    AppContext context(real.Interfaces(), history);
    std::vector<double> ours, bare;
    size_t rows = 0;
    for (int round = 0; round < kRounds; ++round) {
        for (int side = 0; side < 2; ++side) {
            if ((side == 0) == (round % 2 == 0)) {
                double start = Now();
                {
                    CHistoryDlg viewer(context, nullptr);
                    viewer.Create(nullptr);
                    ShowWindow(viewer.GetSafeHwnd(), SW_SHOW);
                    UpdateWindow(viewer.GetSafeHwnd());
                    rows = viewer.Rows().Count();
                    ours.push_back(Now() - start);
                }
            } else {
                double start = Now();
                HistoryLog reader(real.files, real.locale, real.texts);
                std::vector<std::string> lines;
                reader.Load(full);
                reader.SelectLines(&lines, "localhost", lastDay, lastDay);
                bare.push_back(Now() - start);
            }
        }
    }
    std::printf("history viewer, %d lines, %zu rows on its last day:\n", kLines, rows);
    // A viewer that showed less of the day would be quicker and wrong.
    if (rows != static_cast<size_t>(kLastDayChanges)) {
        std::printf("  %d rows expected: no result\n", kLastDayChanges);
        Fail();
    }
    Report("viewer open, last day", ours, bare, 2.0);
    store.WriteLogFilePath(previous);
    DeleteFileA(full);
    return ExitStatus();
}
