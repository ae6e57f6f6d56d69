#pragma once
// A locale's short-date and time patterns (the platform's picture strings:
// "dd/MM/yyyy", "h:mm:ss tt", ...), used to read back the date-and-time text
// the platform itself writes without its general, slow text-to-date parser.
// Parse accepts only text in exactly the pattern's shape; anything else is
// for the platform's parser to judge.
#include <string>
#include <string_view>
#include <vector>

#include "platform/LocaleTime.h"

namespace platform {

class DateTimePattern {
public:
    // False when a pattern uses a field this reader does not take (names of
    // days or months, two-digit years, eras): the caller keeps the platform's parser.
    bool Compile(const std::string& shortDate, const std::string& time, const std::string& am,
                 const std::string& pm);
    // The date, a blank and the time, the time left out at midnight.
    std::string Format(const LocalDateTime& when) const;
    bool Parse(std::string_view text, LocalDateTime* when) const;

private:
    enum class Field { Literal, Day, Month, Year, Hour24, Hour12, Minute, Second, Marker };
    struct Token {
        Field field;
        int width;            // 1 or 2 digits for numbers (4 for years), 1 or 2 for markers
        std::string literal;  // for Literal
    };
    static bool Tokenize(const std::string& pattern, bool time, std::vector<Token>* tokens);
    void FormatPart(const std::vector<Token>& tokens, const LocalDateTime& when,
                    std::string* out) const;
    bool ParsePart(const std::vector<Token>& tokens, std::string_view* text, LocalDateTime* when,
                   int* marker) const;

    std::vector<Token> date_, time_;
    std::string am_, pm_;
    bool twelve_ = false;
    bool ready_ = false;
};

}  // namespace platform
