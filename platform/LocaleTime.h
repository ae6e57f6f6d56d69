#pragma once
// The local clock and the user's default locale's date-and-time text.
#include <cstdint>
#include <string>

namespace platform {

struct LocalDateTime {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

inline bool operator==(const LocalDateTime& a, const LocalDateTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute && a.second == b.second;
}

class LocaleTime {
public:
    virtual ~LocaleTime() = default;
    // GetLocalTime.
    virtual LocalDateTime Now() = 0;
    // The platform's default date-to-text conversion for the user's default
    // locale with no flags: the short date, a blank and the time with
    // seconds; the time is left out when it is exactly midnight.
    virtual std::string FormatDateTime(const LocalDateTime& when) = 0;
    // The reverse conversion with the same locale; false when `text` does not parse.
    virtual bool ParseDateTime(const std::string& text, LocalDateTime* when) = 0;
};

}  // namespace platform
