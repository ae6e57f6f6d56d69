#pragma once
// A locale's short-date and time patterns (the platform's picture strings:
// "dd/MM/yyyy", "dd-MMM-yy", "h:mm:ss tt", ...), used to read back the
// date-and-time text the platform itself writes without its general, slow
// text-to-date parser. Parse accepts only text in exactly the pattern's
// shape, with names exactly as the locale writes them; anything else is for
// the platform's parser to judge.
#include <bitset>
#include <string>
#include <string_view>
#include <vector>

#include "platform/LocaleTime.h"

namespace platform {

// What a locale writes in dates and times besides digits and the patterns'
// own literals, in the code page of the texts to read.
struct DateTimeNames {
    std::string months[12];       // MMMM, January first
    std::string shortMonths[12];  // MMM
    std::string days[7];          // dddd, Sunday first
    std::string shortDays[7];     // ddd
    std::string am, pm;
    // The last year a two-digit year stands for: yy is the year in
    // (max - 100, max]. Unknown (0), yy is not read.
    int twoDigitYearMax = 0;
    // The bytes that begin a two-byte character in the code page.
    std::bitset<256> leadBytes;
};

class DateTimePattern {
public:
    // False when a pattern uses a field this reader does not take (eras,
    // one-digit years), or when its text could be read two ways (numbers run
    // together, a name that could end where a longer one goes on): the caller
    // keeps the platform's parser.
    bool Compile(const std::string& shortDate, const std::string& time, const DateTimeNames& names);
    // The date, a blank and the time, the time left out at midnight.
    std::string Format(const LocalDateTime& when) const;
    bool Parse(std::string_view text, LocalDateTime* when) const;

private:
    enum class Field {
        Literal,
        Day,
        Month,
        Year,
        Hour24,
        Hour12,
        Minute,
        Second,
        Marker,
        MonthName,
        DayName,
        Count
    };
    // The names a text field takes; the number fields take none.
    enum List { kNoList = -1, kMonths, kShortMonths, kDays, kShortDays, kMarkers, kMarkerLetters };
    struct Token {
        Field field;
        int width;            // digits of a number: 1 (one or two, no leading zero), 2 or 4
        int list;             // for a text field
        std::string literal;  // for Literal
    };
    struct Reading {
        LocalDateTime when;
        int marker = -1;
        int weekday = -1;
    };
    static bool FieldOf(char letter, size_t run, bool time, Token* token);
    size_t CharSize(std::string_view text, size_t at) const;
    bool Tokenize(const std::string& pattern, bool time, std::vector<Token>* tokens) const;
    // The bytes that can begin the text of a token.
    std::string Starts(const Token& token) const;
    bool ReadsOneWay(const std::vector<Token>& tokens, bool date) const;
    bool NameGoesOn(int list, std::string_view with) const;
    void FormatPart(const std::vector<Token>& tokens, const LocalDateTime& when,
                    std::string* out) const;
    bool ParsePart(const std::vector<Token>& tokens, std::string_view* text, Reading* r) const;
    int ReadName(int list, std::string_view* text) const;
    bool Store(const Token& token, int value, Reading* r) const;

    std::vector<Token> date_, time_;
    std::vector<std::string> lists_[6];
    std::bitset<256> leadBytes_;
    int twoDigitYearMax_ = 0;
    bool twelve_ = false;
    bool ready_ = false;
};

}  // namespace platform
