#pragma once
#include "platform/LocaleTime.h"

namespace platform {

// The variant date conversions of oleaut32 for LOCALE_USER_DEFAULT, the
// same ones the framework's date-time class uses.
class Win32LocaleTime : public LocaleTime {
public:
    LocalDateTime Now() override;
    std::string FormatDateTime(const LocalDateTime& when) override;
    bool ParseDateTime(const std::string& text, LocalDateTime* when) override;
};

}  // namespace platform
