#pragma once
#include "platform/DateTimePattern.h"
#include "platform/LocaleTime.h"

namespace platform {

// The variant date conversions of oleaut32 for LOCALE_USER_DEFAULT, the
// same ones the framework's date-time class uses.
class Win32LocaleTime : public LocaleTime {
public:
    LocalDateTime Now() override;
    std::string FormatDateTime(const LocalDateTime& when) override;
    bool ParseDateTime(const std::string& text, LocalDateTime* when) override;
    // The platform's general text-to-date conversion alone, without the
    // quick reader of the locale's own patterns.
    bool ParseDateTimeByPlatform(const std::string& text, LocalDateTime* when);
    // The quick reader alone: false where it leaves the text to the platform.
    bool ParseDateTimeQuickly(const std::string& text, LocalDateTime* when);
    // Whether the quick reader is in use: the locale's patterns were read and
    // gave the platform's own results on sample dates.
    bool QuickReaderInUse();

private:
    // The patterns are read on first use and looked at again at most once a
    // second, so that a change of the user's formats while the program runs
    // is followed before the writer's new texts are read with the old ones.
    void PreparePatterns();
    bool AgreesWithPlatform(int twoDigitYearMax);
    DateTimePattern pattern_;
    std::string patternTexts_;
    uint32_t checkedAt_ = 0;
    bool prepared_ = false;
    bool quick_ = false;
};

}  // namespace platform
