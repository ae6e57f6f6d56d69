// The history viewer's reading of a large log (a million lines, several
// machines and sessions, mostly changes) beside only reading the file into
// memory and finding its lines, with the real file layer and locale
// conversion, in the user's locale (Wine takes it from LC_ALL). An argument
// is a short-date pattern to use instead of the locale's for the run.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "bench/Verdict.h"
#include "monitor/HistoryLog.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32LocaleTime.h"
#include "platform/win32/Win32TextSource.h"

using platform::LocalDateTime;

namespace {

const int kLines = 1000000;
const int kRounds = 6;

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Heap bytes in use and their peak, counted at the allocator: the platform's
// process counters under Wine do not follow the heap closely enough.
size_t g_inUse = 0, g_peak = 0;

void Advance(LocalDateTime* w, int seconds) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    w->second += seconds;
    w->minute += w->second / 60, w->second %= 60;
    w->hour += w->minute / 60, w->minute %= 60;
    w->day += w->hour / 24, w->hour %= 24;
    if (w->day > days[w->month - 1]) w->day = 1, ++w->month;
    if (w->month > 12) w->month = 1, ++w->year;
}

// About 40 days of sessions on six machines; a monitor pass finds several
// changes at once, so neighbouring records share their timestamp.
// Written in pieces, so that making the file leaves no memory peak of its
// own before the reader is measured.
// Each timestamp written is read by the quick reader alone and by the
// platform; `disagreements` counts those where the two differ.
bool WriteLog(const std::string& path, platform::Win32LocaleTime& time, LocalDateTime* oneDay,
              size_t* bytes, int* stamps, int* disagreements) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    *bytes = 0;
    bool ok = true;
    const char* machines[] = {"localhost",  "SERVIDOR-01", "pc-ventas",
                              "PC-ALMACEN", "srv02",       "portatil7"};
    std::string text;
    auto spill = [&](bool all) {
        if (!all && text.size() < (1u << 20)) return;
        DWORD written = 0;
        ok = ok && WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        *bytes += text.size();
        text.clear();
    };
    LocalDateTime now{2026, 10, 1, 8, 0, 0};
    std::string stamp;
    auto newStamp = [&] {
        stamp = time.FormatDateTime(now);
        LocalDateTime quick, slow;
        ++*stamps;
        if (!time.ParseDateTimeQuickly(stamp, &quick) ||
            !time.ParseDateTimeByPlatform(stamp, &slow) || !(quick == slow))
            ++*disagreements;
    };
    newStamp();
    uint32_t seed = 7;
    auto next = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 8) % static_cast<uint32_t>(n));
    };
    const std::string session = HistoryLog::MakeSessionText("Vantorel", "1, 0, 0, 0");
    int lines = 0;
    while (lines < kLines) {
        if (lines > 0) text += "\r\n";
        text += ">" + stamp + "|" + session + "\r\n";
        ++lines;
        int changesLeft = 8000 + next(8000);
        while (changesLeft > 0 && lines < kLines) {
            text += "!" + stamp + "|" + machines[next(6)] + "\r\n";
            ++lines;
            for (int pass = 0; pass < 300 && changesLeft > 0 && lines < kLines; ++pass) {
                Advance(&now, 20 + next(40));
                newStamp();
                for (int c = 1 + next(8); c > 0 && lines < kLines; --c, --changesLeft, ++lines) {
                    char record[96];
                    std::snprintf(record, sizeof record, "|%d|%d|%d|Servicio%03d\r\n",
                                  next(3) == 0 ? 1 + next(2) : 16, 1 + next(7), 1 + next(7),
                                  next(250));
                    text += "*" + stamp + record;
                }
                spill(false);
            }
        }
        if (lines < kLines) {
            text += "<" + stamp + "|" + session + "\r\n";
            ++lines;
        }
        if (now.month == 10 && now.day == 20 && oneDay->year == 0) *oneDay = now;
        Advance(&now, 3600 * 6);
        newStamp();
    }
    if (oneDay->year == 0) *oneDay = now;
    spill(true);
    return CloseHandle(file) && ok;
}

}  // namespace

void* operator new(size_t size) {
    void* p = std::malloc(size + 16);
    if (p == nullptr) throw std::bad_alloc();
    *static_cast<size_t*>(p) = size;
    g_inUse += size;
    if (g_inUse > g_peak) g_peak = g_inUse;
    return static_cast<char*>(p) + 16;
}
void operator delete(void* p) noexcept {
    if (p == nullptr) return;
    char* block = static_cast<char*>(p) - 16;
    g_inUse -= *reinterpret_cast<size_t*>(block);
    std::free(block);
}
void operator delete(void* p, size_t) noexcept {
    operator delete(p);
}

// The user's short date replaced for the run, and put back.
class ShortDateForTheRun {
public:
    explicit ShortDateForTheRun(const char* pattern) {
        char old[128] = {};
        if (pattern == nullptr ||
            !GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, old, sizeof old))
            return;
        old_ = old;
        set_ = SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, pattern) != FALSE;
    }
    ~ShortDateForTheRun() {
        if (set_) SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, old_.c_str());
    }

private:
    std::string old_;
    bool set_ = false;
};

int main(int argc, char** argv) {
    ShortDateForTheRun shortDate(argc > 1 ? argv[1] : nullptr);
    platform::Win32FileSystem files;
    platform::Win32LocaleTime time;
    platform::TextsInUse programTexts;
    platform::Win32TextSource texts(programTexts);
    char locale[LOCALE_NAME_MAX_LENGTH] = {};
    GetLocaleInfoA(GetUserDefaultLCID(), LOCALE_SNAME, locale, sizeof locale);

    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    std::string path = std::string(dir) + "vantorel-history-bench.log";
    LocalDateTime day{};
    size_t fileSize = 0;
    int stamps = 0, disagreements = 0;
    if (!WriteLog(path, time, &day, &fileSize, &stamps, &disagreements)) {
        std::printf("cannot write %s\n", path.c_str());
        return 1;
    }

    // The reader's work: everything the history viewer asks when it opens.
    size_t selected = 0, machineCount = 0, serviceCount = 0;
    bool loaded = true;
    auto reader = [&] {
        HistoryLog log(files, time, texts);
        if (!log.Load(path)) {
            std::printf("Load failed: %s\n", log.GetErrorText().c_str());
            loaded = false;
            return;
        }
        std::vector<std::string> machines, services, lines;
        log.GetMachines(&machines);
        log.GetServices(&services);
        LocalDateTime earliest, latest;
        log.GetDateRange(&earliest, &latest);
        log.SelectLines(&lines, "SERVIDOR-01", day, day);
        selected = lines.size();
        machineCount = machines.size();
        serviceCount = services.size();
    };
    // The floor, the least a reader could do: the file in memory and its
    // lines found, without a string for each.
    size_t count = 0;
    auto floorWork = [&] {
        std::unique_ptr<platform::File> file =
            files.CreateFileA(path.c_str(), platform::file::kGenericRead,
                              platform::file::kShareRead | platform::file::kShareWrite,
                              platform::file::kOpenExisting);
        std::string text;
        text.reserve(fileSize + 1);
        platform::ReadToEnd(*file, &text);
        size_t lines = 0;
        for (const char *p = text.data(), *end = p + text.size(); p < end; ++lines) {
            const void* found = std::memchr(p, '\n', static_cast<size_t>(end - p));
            p = found ? static_cast<const char*>(found) + 1 : end;
        }
        count = lines;
    };

    // Rounds of the two alternate, each pair in both orders, and the peak of
    // each is taken over its own rounds.
    double best = 1e30, floor = 1e30;
    size_t peak = 0, floorPeak = 0;
    auto measure = [&](const std::function<void()>& work, double* fastest, size_t* highest) {
        size_t before = g_inUse;
        g_peak = g_inUse;
        double start = Now();
        work();
        double took = Now() - start;
        if (took < *fastest) *fastest = took;
        if (g_peak - before > *highest) *highest = g_peak - before;
    };
    for (int round = 0; round < kRounds; ++round) {
        if (round % 2 == 0) {
            measure(reader, &best, &peak);
            measure(floorWork, &floor, &floorPeak);
        } else {
            measure(floorWork, &floor, &floorPeak);
            measure(reader, &best, &peak);
        }
        if (!loaded) return 1;
    }

    // One line a locale. The same dates are written in every locale, so the
    // counts are the same in each.
    const double kTarget = 4;
    std::printf(
        "%-6s \"%s\": ratio %.2f (target <= %.0f) %s, reader %.1f ms, lean read %.1f ms "
        "(%zu lines); quick reader %s, %d of %d timestamps read as the platform reads them; "
        "%zu machines, %zu services, %zu lines of %d/%d/%d; peak memory %.2f times the file "
        "(lean read %.2f)\n",
        locale, time.FormatDateTime({2026, 12, 6, 22, 31, 11}).c_str(), best / floor, kTarget,
        bench::Judge(best / floor, kTarget), best, floor, count,
        time.QuickReaderInUse() ? "in use" : "NOT in use", stamps - disagreements, stamps,
        machineCount, serviceCount, selected, day.day, day.month, day.year,
        static_cast<double>(peak) / fileSize, static_cast<double>(floorPeak) / fileSize);
    DeleteFileA(path.c_str());
    // Timestamps the quick reader reads otherwise than the platform, or left
    // to the platform's slow reading, would make the ratio no result.
    if (disagreements != 0 || !time.QuickReaderInUse()) bench::Fail();
    return bench::ExitStatus();
}
