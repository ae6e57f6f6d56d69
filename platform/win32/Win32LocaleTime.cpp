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

bool Win32LocaleTime::ParseDateTime(const std::string& text, LocalDateTime* when) {
    if (text.empty()) return false;
    int size = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                     nullptr, 0);
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
