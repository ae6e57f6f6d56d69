#pragma once
// A date and time as the platform's own record of one.
#include <windows.h>

#include "platform/LocaleTime.h"

namespace platform {

inline SYSTEMTIME SystemTimeOf(const LocalDateTime& when) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(when.year);
    time.wMonth = static_cast<WORD>(when.month);
    time.wDay = static_cast<WORD>(when.day);
    time.wHour = static_cast<WORD>(when.hour);
    time.wMinute = static_cast<WORD>(when.minute);
    time.wSecond = static_cast<WORD>(when.second);
    return time;
}

}  // namespace platform
