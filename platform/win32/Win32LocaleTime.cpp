#include "platform/win32/Win32LocaleTime.h"

#include <windows.h>
#include <oleauto.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/win32/SystemTime.h"

namespace platform {

LocalDateTime Win32LocaleTime::Now() {
    SYSTEMTIME st;
    ::GetLocalTime(&st);
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

namespace {
// The platform's texts are wide; the program reads and writes the ANSI code page.
std::string Narrow(const wchar_t* text, int size) {
    int bytes = ::WideCharToMultiByte(CP_ACP, 0, text, size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) ::WideCharToMultiByte(CP_ACP, 0, text, size, &out[0], bytes, nullptr, nullptr);
    return out;
}

std::string LocaleText(LCTYPE type) {
    wchar_t buffer[128];
    int n = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 128);
    return n > 1 ? Narrow(buffer, n - 1) : std::string();
}

// What the patterns are read from: when any of it changes they are read again.
std::string PatternTexts() {
    return std::to_string(::GetUserDefaultLCID()) + '\n' + LocaleText(LOCALE_SSHORTDATE) + '\n' +
           LocaleText(LOCALE_STIMEFORMAT) + '\n' + LocaleText(LOCALE_S1159) + '\n' +
           LocaleText(LOCALE_S2359);
}

DateTimeNames ReadNames() {
    DateTimeNames names;
    for (int m = 0; m < 12; ++m) {
        names.months[m] = LocaleText(LOCALE_SMONTHNAME1 + m);
        names.shortMonths[m] = LocaleText(LOCALE_SABBREVMONTHNAME1 + m);
    }
    // The platform's weeks begin on Monday.
    for (int d = 0; d < 7; ++d) {
        names.days[d] = LocaleText(LOCALE_SDAYNAME1 + (d + 6) % 7);
        names.shortDays[d] = LocaleText(LOCALE_SABBREVDAYNAME1 + (d + 6) % 7);
    }
    names.am = LocaleText(LOCALE_S1159);
    names.pm = LocaleText(LOCALE_S2359);
    // The variant dates are Gregorian; the user sets this year in the
    // regional settings.
    DWORD max = 0;
    if (::GetCalendarInfoW(LOCALE_USER_DEFAULT, CAL_GREGORIAN,
                           CAL_ITWODIGITYEARMAX | CAL_RETURN_NUMBER, nullptr, 0, &max))
        names.twoDigitYearMax = static_cast<int>(max);
    CPINFO info;
    if (::GetCPInfo(CP_ACP, &info))
        for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2)
            for (int b = info.LeadByte[i]; b <= info.LeadByte[i + 1]; ++b) names.leadBytes.set(b);
    return names;
}

// False when the locale has no genitive month names of its own.
bool TakeGenitiveMonths(DateTimeNames* names) {
    bool other = false;
    for (int m = 0; m < 12; ++m) {
        std::string full = LocaleText((LOCALE_SMONTHNAME1 + m) | LOCALE_RETURN_GENITIVE_NAMES);
        std::string brief =
            LocaleText((LOCALE_SABBREVMONTHNAME1 + m) | LOCALE_RETURN_GENITIVE_NAMES);
        if (full.empty() || brief.empty()) return false;
        other = other || full != names->months[m] || brief != names->shortMonths[m];
        names->months[m] = full;
        names->shortMonths[m] = brief;
    }
    return other;
}
}  // namespace

namespace {

// The automation library's date calls, loaded at their first use: most
// runs of the console program never write or read a date, and the library
// brings the window libraries with it.
struct Automation {
    INT(WINAPI* toVariant)(SYSTEMTIME*, DATE*) = nullptr;
    INT(WINAPI* toSystem)(DATE, SYSTEMTIME*) = nullptr;
    HRESULT(WINAPI* fromDate)(DATE, LCID, ULONG, BSTR*) = nullptr;
    HRESULT(WINAPI* toDate)(const OLECHAR*, LCID, ULONG, DATE*) = nullptr;
    UINT(WINAPI* length)(BSTR) = nullptr;
    void(WINAPI* release)(BSTR) = nullptr;

    template <typename F>
    static void Find(HMODULE library, const char* name, F* call) {
        *call = reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
    }
    Automation() {
        HMODULE library = ::LoadLibraryA("oleaut32.dll");
        if (library == nullptr) return;
        Find(library, "SystemTimeToVariantTime", &toVariant);
        Find(library, "VariantTimeToSystemTime", &toSystem);
        Find(library, "VarBstrFromDate", &fromDate);
        Find(library, "VarDateFromStr", &toDate);
        Find(library, "SysStringLen", &length);
        Find(library, "SysFreeString", &release);
    }
    bool Loaded() const { return toVariant && toSystem && fromDate && toDate && length && release; }
};

const Automation& Dates() {
    static const Automation automation;
    return automation;
}

}  // namespace

std::string Win32LocaleTime::FormatDateTime(const LocalDateTime& when) {
    const Automation& oa = Dates();
    SYSTEMTIME st = SystemTimeOf(when);
    DATE date = 0;
    BSTR made = nullptr;
    if (!oa.Loaded() || !oa.toVariant(&st, &date) ||
        FAILED(oa.fromDate(date, LOCALE_USER_DEFAULT, 0, &made)) || made == nullptr)
        return std::string();
    std::unique_ptr<OLECHAR, void(WINAPI*)(BSTR)> owned(made, oa.release);
    return Narrow(made, static_cast<int>(oa.length(made)));
}

void Win32LocaleTime::PreparePatterns() {
    prepared_ = true;
    quick_ = false;
    patternTexts_ = PatternTexts();
    std::string date = LocaleText(LOCALE_SSHORTDATE), time = LocaleText(LOCALE_STIMEFORMAT);
    // Where a locale has genitive month names the formatter may write them
    // (Windows does in dates with a day number, Wine's short dates do not):
    // which names it writes is found by trying.
    DateTimeNames names = ReadNames();
    do {
        if (pattern_.Compile(date, time, names) && AgreesWithPlatform(names.twoDigitYearMax)) {
            quick_ = true;
            return;
        }
    } while (TakeGenitiveMonths(&names));
}

// The quick reader serves only if it writes what the platform writes and
// reads it as the platform does, on dates that exercise every field: each
// month and weekday (names of every length), both halves of the day, one-
// and two-digit numbers, midnight (time left out), a leap day, and for
// two-digit years both ends of the platform's century and the year after.
bool Win32LocaleTime::AgreesWithPlatform(int twoDigitYearMax) {
    std::vector<LocalDateTime> samples = {
        {2026, 12, 6, 22, 31, 11}, {2026, 1, 2, 3, 4, 5},      {2024, 2, 29, 12, 0, 0},
        {2025, 11, 30, 0, 0, 1},   {2026, 7, 15, 0, 0, 0},     {1999, 10, 9, 11, 59, 59},
        {2031, 3, 28, 12, 59, 9},  {2026, 12, 31, 23, 59, 59}, {2026, 4, 7, 9, 8, 7},
        {2026, 5, 18, 13, 0, 0},   {2026, 6, 1, 1, 10, 20},    {2026, 8, 25, 19, 45, 3},
        {2026, 9, 3, 10, 5, 50},
    };
    if (twoDigitYearMax >= 100)
        for (int year : {twoDigitYearMax - 99, twoDigitYearMax, twoDigitYearMax + 1})
            samples.push_back({year, 8, 16, 6, 7, 8});
    for (const LocalDateTime& sample : samples) {
        std::string text = FormatDateTime(sample);
        LocalDateTime quick, platform;
        if (text.empty() || pattern_.Format(sample) != text ||
            !ParseDateTimeByPlatform(text, &platform))
            return false;
        // Past the century a two-digit year stands for, the text names another
        // year, whose weekday may not be the one written: such a text may be
        // left to the platform.
        bool mayLeave = twoDigitYearMax >= 100 && sample.year > twoDigitYearMax;
        if (pattern_.Parse(text, &quick) ? !(quick == platform) : !mayLeave) return false;
    }
    return true;
}

bool Win32LocaleTime::QuickReaderInUse() {
    uint32_t now = ::GetTickCount();
    if (!prepared_) {
        PreparePatterns();
        checkedAt_ = now;
    } else if (now - checkedAt_ >= 1000) {
        checkedAt_ = now;
        if (PatternTexts() != patternTexts_) PreparePatterns();
    }
    return quick_;
}

bool Win32LocaleTime::ParseDateTime(const std::string& text, LocalDateTime* when) {
    // The platform's conversion costs microseconds a text; a log holds
    // millions. What the writer produced reads by the locale's patterns,
    // anything else goes to the platform.
    return ParseDateTimeQuickly(text, when) || ParseDateTimeByPlatform(text, when);
}

bool Win32LocaleTime::ParseDateTimeQuickly(const std::string& text, LocalDateTime* when) {
    return QuickReaderInUse() && pattern_.Parse(text, when);
}

bool Win32LocaleTime::ParseDateTimeByPlatform(const std::string& text, LocalDateTime* when) {
    if (text.empty()) return false;
    int size =
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (size <= 0) return false;
    std::wstring wide(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], size);
    const Automation& oa = Dates();
    DATE date = 0;
    SYSTEMTIME st{};
    if (!oa.Loaded() || FAILED(oa.toDate(&wide[0], LOCALE_USER_DEFAULT, 0, &date)) ||
        !oa.toSystem(date, &st))
        return false;
    *when = {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
    return true;
}

}  // namespace platform
