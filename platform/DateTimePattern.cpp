#include "platform/DateTimePattern.h"

#include <cstdio>
#include <iterator>

namespace platform {

namespace {
bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}
int DaysIn(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}
// 0 for Sunday.
int DayOfWeek(const LocalDateTime& w) {
    static const int shift[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    int y = w.month < 3 ? w.year - 1 : w.year;
    return (y + y / 4 - y / 100 + y / 400 + shift[w.month - 1] + w.day) % 7;
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
const char kDigits[] = "0123456789";
bool WrittenAndDistinct(const std::vector<std::string>& names) {
    for (size_t a = 0; a < names.size(); ++a) {
        if (names[a].empty()) return false;
        for (size_t b = a + 1; b < names.size(); ++b)
            if (names[a] == names[b]) return false;
    }
    return true;
}
}  // namespace

bool DateTimePattern::FieldOf(char c, size_t run, bool time, Token* t) {
    auto field = [t](Field f, size_t width, int list = kNoList) {
        *t = {f, static_cast<int>(width), list, std::string()};
        return true;
    };
    if (!time) {
        if (c == 'd' && run <= 2) return field(Field::Day, run);
        if (c == 'd' && run <= 4) return field(Field::DayName, run, run == 3 ? kShortDays : kDays);
        if (c == 'M' && run <= 2) return field(Field::Month, run);
        if (c == 'M' && run <= 4)
            return field(Field::MonthName, run, run == 3 ? kShortMonths : kMonths);
        if (c == 'y' && (run == 2 || run == 4)) return field(Field::Year, run);
        return false;
    }
    if (run > 2) return false;
    switch (c) {
        case 'H':
            return field(Field::Hour24, run);
        case 'h':
            return field(Field::Hour12, run);
        case 'm':
            return field(Field::Minute, run);
        case 's':
            return field(Field::Second, run);
        case 't':
            return field(Field::Marker, run, run == 1 ? kMarkerLetters : kMarkers);
        default:
            return false;
    }
}

size_t DateTimePattern::CharSize(std::string_view text, size_t at) const {
    return leadBytes_[static_cast<unsigned char>(text[at])] && at + 1 < text.size() ? 2 : 1;
}

bool DateTimePattern::Tokenize(const std::string& p, bool time, std::vector<Token>* tokens) const {
    tokens->clear();
    auto literal = [tokens](const std::string& text) {
        if (text.empty()) return;
        if (!tokens->empty() && tokens->back().field == Field::Literal)
            tokens->back().literal += text;
        else
            tokens->push_back({Field::Literal, 0, kNoList, text});
    };
    for (size_t i = 0; i < p.size();) {
        char c = p[i];
        if (c == '\'') {
            // A quoted literal; '' inside quotes is one quote. The second
            // byte of a two-byte character is never taken for a quote.
            std::string text;
            size_t j = i + 1;
            for (;;) {
                if (j >= p.size()) return false;
                if (p[j] == '\'') {
                    if (j + 1 >= p.size() || p[j + 1] != '\'') break;
                    text += '\'';
                    j += 2;
                    continue;
                }
                size_t size = CharSize(p, j);
                text.append(p, j, size);
                j += size;
            }
            literal(text);
            i = j + 1;
        } else if (IsLetter(c)) {
            // Any letter is a field; those this reader does not take refuse the pattern.
            size_t run = 1;
            while (i + run < p.size() && p[i + run] == c) ++run;
            Token t;
            if (!FieldOf(c, run, time, &t)) return false;
            tokens->push_back(t);
            i += run;
        } else {
            size_t size = CharSize(p, i);
            literal(p.substr(i, size));
            i += size;
        }
    }
    return true;
}

bool DateTimePattern::NameGoesOn(int list, std::string_view with) const {
    for (const std::string& shorter : lists_[list])
        for (const std::string& longer : lists_[list])
            if (longer.size() > shorter.size() && longer.compare(0, shorter.size(), shorter) == 0 &&
                with.find(longer[shorter.size()]) != std::string_view::npos)
                return true;
    return false;
}

std::string DateTimePattern::Starts(const Token& t) const {
    if (t.field == Field::Literal) return t.literal.substr(0, 1);
    if (t.list == kNoList) return kDigits;
    std::string bytes;
    for (const std::string& name : lists_[t.list]) bytes += name.substr(0, 1);
    return bytes;
}

bool DateTimePattern::ReadsOneWay(const std::vector<Token>& tokens, bool date) const {
    for (size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.field == Field::Literal) continue;
        bool name = t.list != kNoList;
        if (name && !WrittenAndDistinct(lists_[t.list])) return false;
        // After the date come the blank before the time, or nothing.
        std::string follows = date ? " " : "";
        if (i + 1 < tokens.size()) {
            const Token& next = tokens[i + 1];
            // Two numbers or two names in a row cannot be told apart.
            if (next.field != Field::Literal && name == (next.list != kNoList)) return false;
            follows = Starts(next);
        }
        // A number takes every digit that follows it. A name is read as the
        // longest that matches, so no shorter name may be followed by what
        // goes on in a longer one.
        if (name ? NameGoesOn(t.list, follows)
                 : follows.find_first_of(kDigits) != std::string::npos)
            return false;
    }
    return true;
}

bool DateTimePattern::Compile(const std::string& shortDate, const std::string& time,
                              const DateTimeNames& names) {
    ready_ = false;
    leadBytes_ = names.leadBytes;
    twoDigitYearMax_ = names.twoDigitYearMax;
    lists_[kMonths].assign(std::begin(names.months), std::end(names.months));
    lists_[kShortMonths].assign(std::begin(names.shortMonths), std::end(names.shortMonths));
    lists_[kDays].assign(std::begin(names.days), std::end(names.days));
    lists_[kShortDays].assign(std::begin(names.shortDays), std::end(names.shortDays));
    lists_[kMarkers] = {names.am, names.pm};
    // 't' writes the first character of the marker.
    lists_[kMarkerLetters].clear();
    for (const std::string& m : lists_[kMarkers])
        lists_[kMarkerLetters].push_back(m.empty() ? m : m.substr(0, CharSize(m, 0)));
    if (!Tokenize(shortDate, false, &date_) || !Tokenize(time, true, &time_)) return false;
    // Each field once; a date needs its day, month and year, a time its hour,
    // minutes and seconds, and a 12-hour clock the halves of the day.
    int seen[static_cast<int>(Field::Count)] = {};
    for (const auto* part : {&date_, &time_})
        for (const Token& t : *part) ++seen[static_cast<int>(t.field)];
    auto count = [&seen](Field f) { return seen[static_cast<int>(f)]; };
    for (int f = 1; f < static_cast<int>(Field::Count); ++f)
        if (seen[f] > 1) return false;
    if (!count(Field::Day) || count(Field::Month) + count(Field::MonthName) != 1 ||
        !count(Field::Year))
        return false;
    if (count(Field::Hour24) + count(Field::Hour12) != 1 || !count(Field::Minute) ||
        !count(Field::Second) || (count(Field::Hour12) && !count(Field::Marker)))
        return false;
    // The century of a two-digit year is the platform's to say; not known, it is not guessed.
    for (const Token& t : date_)
        if (t.field == Field::Year && t.width == 2 && twoDigitYearMax_ < 100) return false;
    if (!ReadsOneWay(date_, true) || !ReadsOneWay(time_, false)) return false;
    twelve_ = count(Field::Hour12) != 0;
    ready_ = true;
    return true;
}

void DateTimePattern::FormatPart(const std::vector<Token>& tokens, const LocalDateTime& w,
                                 std::string* out) const {
    char number[16];
    for (const Token& t : tokens) {
        int value = 0;
        switch (t.field) {
            case Field::Literal:
                *out += t.literal;
                continue;
            case Field::Marker:
                *out += lists_[t.list][w.hour < 12 ? 0 : 1];
                continue;
            case Field::MonthName:
                *out += lists_[t.list][w.month - 1];
                continue;
            case Field::DayName:
                *out += lists_[t.list][DayOfWeek(w)];
                continue;
            case Field::Day:
                value = w.day;
                break;
            case Field::Month:
                value = w.month;
                break;
            case Field::Year:
                value = t.width == 2 ? w.year % 100 : w.year;
                break;
            case Field::Hour24:
                value = w.hour;
                break;
            case Field::Hour12:
                value = w.hour % 12 == 0 ? 12 : w.hour % 12;
                break;
            case Field::Minute:
                value = w.minute;
                break;
            case Field::Second:
                value = w.second;
                break;
            case Field::Count:
                break;
        }
        std::snprintf(number, sizeof number, "%0*d", t.width, value);
        *out += number;
    }
}

std::string DateTimePattern::Format(const LocalDateTime& when) const {
    std::string out;
    FormatPart(date_, when, &out);
    if (when.hour != 0 || when.minute != 0 || when.second != 0) {
        out += ' ';
        FormatPart(time_, when, &out);
    }
    return out;
}

int DateTimePattern::ReadName(int list, std::string_view* text) const {
    std::string_view& s = *text;
    if (s.empty()) return -1;
    // Compiled names are never empty; most differ in their first byte, and a
    // log holds millions of these.
    const std::vector<std::string>& names = lists_[list];
    int found = -1;
    size_t size = 0;
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        if (name[0] == s[0] && name.size() > size && s.substr(0, name.size()) == name) {
            found = static_cast<int>(i);
            size = name.size();
        }
    }
    s.remove_prefix(size);
    return found;
}

bool DateTimePattern::Store(const Token& t, int value, Reading* r) const {
    LocalDateTime& w = r->when;
    switch (t.field) {
        case Field::Day:
            w.day = value;
            return true;
        case Field::Month:
            w.month = value;
            return true;
        case Field::Year:
            w.year = t.width == 2 ? twoDigitYearMax_ - (twoDigitYearMax_ - value) % 100 : value;
            return true;
        case Field::Hour24:
            w.hour = value;
            return true;
        case Field::Hour12:
            w.hour = value % 12;
            return value >= 1 && value <= 12;
        case Field::Minute:
            w.minute = value;
            return true;
        case Field::Second:
            w.second = value;
            return true;
        default:
            return false;
    }
}

bool DateTimePattern::ParsePart(const std::vector<Token>& tokens, std::string_view* text,
                                Reading* r) const {
    std::string_view& s = *text;
    for (const Token& t : tokens) {
        if (t.field == Field::Literal) {
            if (s.substr(0, t.literal.size()) != t.literal) return false;
            s.remove_prefix(t.literal.size());
            continue;
        }
        if (t.list != kNoList) {
            int index = ReadName(t.list, &s);
            if (index < 0) return false;
            if (t.field == Field::MonthName)
                r->when.month = index + 1;
            else if (t.field == Field::DayName)
                r->weekday = index;
            else
                r->marker = index;
            continue;
        }
        // Exactly the digits the writer puts: a fixed width, or one or two
        // without a leading zero.
        size_t n = 0;
        size_t most = t.width == 1 ? 2 : static_cast<size_t>(t.width);
        while (n < s.size() && n < most && IsDigit(s[n])) ++n;
        if (n == 0 || (t.width > 1 && n < most) || (t.width == 1 && n == 2 && s[0] == '0'))
            return false;
        int value = 0;
        for (size_t i = 0; i < n; ++i) value = value * 10 + (s[i] - '0');
        s.remove_prefix(n);
        if (!Store(t, value, r)) return false;
    }
    return true;
}

bool DateTimePattern::Parse(std::string_view text, LocalDateTime* when) const {
    if (!ready_) return false;
    Reading r;
    LocalDateTime& w = r.when;
    if (!ParsePart(date_, &text, &r)) return false;
    if (!text.empty()) {
        if (text[0] != ' ') return false;
        text.remove_prefix(1);
        if (!ParsePart(time_, &text, &r) || !text.empty()) return false;
        if (twelve_) {
            if (r.marker == 1) w.hour += 12;
        } else if (r.marker != -1 && r.marker != (w.hour < 12 ? 0 : 1)) {
            return false;  // a 24-hour clock with a half the writer would not name
        }
        // The writer leaves out the time at midnight and never writes 0:00:00.
        if (w.hour == 0 && w.minute == 0 && w.second == 0) return false;
    }
    if (w.year < 1900 || w.month < 1 || w.month > 12 || w.day < 1 ||
        w.day > DaysIn(w.year, w.month) || w.hour > 23 || w.minute > 59 || w.second > 59)
        return false;
    // A day's name that is not the date's is not the writer's.
    if (r.weekday != -1 && r.weekday != DayOfWeek(w)) return false;
    *when = w;
    return true;
}

}  // namespace platform
