#include "platform/win32/Win32LocaleTime.h"

#include <windows.h>
#include <oleauto.h>

namespace platform {

LocalDateTime Win32LocaleTime::Now() {
    SYSTEMTIME st;
    ::GetLocalTime(&st);
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

std::string Win32LocaleTime::FormatDateTime(const LocalDateTime& when) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(when.year);
    st.wMonth = static_cast<WORD>(when.month);
    st.wDay = static_cast<WORD>(when.day);
    st.wHour = static_cast<WORD>(when.hour);
    st.wMinute = static_cast<WORD>(when.minute);
    st.wSecond = static_cast<WORD>(when.second);
    DATE date = 0;
    BSTR text = nullptr;
    if (!::SystemTimeToVariantTime(&st, &date) ||
        FAILED(::VarBstrFromDate(date, LOCALE_USER_DEFAULT, 0, &text)) || text == nullptr)
        return std::string();
    int wide = static_cast<int>(::SysStringLen(text));
    int size = ::WideCharToMultiByte(CP_ACP, 0, text, wide, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) ::WideCharToMultiByte(CP_ACP, 0, text, wide, &out[0], size, nullptr, nullptr);
    ::SysFreeString(text);
    return out;
}

namespace {
std::string LocaleText(LCTYPE type) {
    char buffer[128];
    int n = ::GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
    return n > 0 ? std::string(buffer) : std::string();
}
}  // namespace

void Win32LocaleTime::PreparePatterns() {
    prepared_ = true;
    quick_ = false;
    std::string date = LocaleText(LOCALE_SSHORTDATE), time = LocaleText(LOCALE_STIMEFORMAT);
    std::string am = LocaleText(LOCALE_S1159), pm = LocaleText(LOCALE_S2359);
    patternTexts_ = date + '\n' + time + '\n' + am + '\n' + pm;
    if (!pattern_.Compile(date, time, am, pm)) return;
    // The quick reader serves only if it agrees with the platform on dates
    // that exercise every field: both halves of the day, one- and two-digit
    // numbers, midnight (time left out) and a leap day.
    const LocalDateTime samples[] = {
        {2026, 12, 6, 22, 31, 11}, {2026, 1, 2, 3, 4, 5},      {2024, 2, 29, 12, 0, 0},
        {2025, 11, 30, 0, 0, 1},   {2026, 7, 15, 0, 0, 0},     {1999, 10, 9, 11, 59, 59},
        {2031, 3, 28, 12, 59, 9},  {2026, 12, 31, 23, 59, 59},
    };
    for (const LocalDateTime& sample : samples) {
        std::string text = FormatDateTime(sample);
        LocalDateTime quick, platform;
        if (text.empty() || pattern_.Format(sample) != text || !pattern_.Parse(text, &quick) ||
            !ParseDateTimeByPlatform(text, &platform) || !(quick == sample) ||
            !(platform == sample))
            return;
    }
    quick_ = true;
}

bool Win32LocaleTime::QuickReaderInUse() {
    uint32_t now = ::GetTickCount();
    if (!prepared_) {
        PreparePatterns();
        checkedAt_ = now;
    } else if (now - checkedAt_ >= 1000) {
        checkedAt_ = now;
        std::string texts = LocaleText(LOCALE_SSHORTDATE) + '\n' + LocaleText(LOCALE_STIMEFORMAT) +
                            '\n' + LocaleText(LOCALE_S1159) + '\n' + LocaleText(LOCALE_S2359);
        if (texts != patternTexts_) PreparePatterns();
    }
    return quick_;
}

bool Win32LocaleTime::ParseDateTime(const std::string& text, LocalDateTime* when) {
    // The platform's conversion costs microseconds a text; a log holds
    // millions. What the writer produced reads by the locale's patterns,
    // anything else goes to the platform.
    if (QuickReaderInUse() && pattern_.Parse(text, when)) return true;
    return ParseDateTimeByPlatform(text, when);
}

bool Win32LocaleTime::ParseDateTimeByPlatform(const std::string& text, LocalDateTime* when) {
    if (text.empty()) return false;
    int size =
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (size <= 0) return false;
    std::wstring wide(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], size);
    DATE date = 0;
    SYSTEMTIME st{};
    if (FAILED(::VarDateFromStr(&wide[0], LOCALE_USER_DEFAULT, 0, &date)) ||
        !::VariantTimeToSystemTime(date, &st))
        return false;
    *when = {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
    return true;
}

}  // namespace platform
