#include "platform/DateTimePattern.h"

#include <cstdio>

namespace platform {

namespace {
bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}
int DaysIn(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}
}  // namespace

bool DateTimePattern::Tokenize(const std::string& p, bool time, std::vector<Token>* tokens) {
    tokens->clear();
    for (size_t i = 0; i < p.size();) {
        char c = p[i];
        size_t run = 1;
        while (i + run < p.size() && p[i + run] == c) ++run;
        auto add = [&](Field f, int width) { tokens->push_back({f, width, std::string()}); };
        auto literal = [&](const std::string& text) {
            if (!tokens->empty() && tokens->back().field == Field::Literal)
                tokens->back().literal += text;
            else
                tokens->push_back({Field::Literal, 0, text});
        };
        if (c == '\'') {
            // A quoted literal; '' inside quotes is one quote.
            std::string text;
            size_t j = i + 1;
            for (;; ++j) {
                if (j >= p.size()) return false;
                if (p[j] == '\'') {
                    if (j + 1 < p.size() && p[j + 1] == '\'') {
                        text += '\'';
                        ++j;
                        continue;
                    }
                    break;
                }
                text += p[j];
            }
            literal(text);
            i = j + 1;
            continue;
        }
        bool known = true;
        if (!time && c == 'd' && run <= 2)
            add(Field::Day, static_cast<int>(run));
        else if (!time && c == 'M' && run <= 2)
            add(Field::Month, static_cast<int>(run));
        else if (!time && c == 'y' && run == 4)
            add(Field::Year, 4);
        else if (time && c == 'H' && run <= 2)
            add(Field::Hour24, static_cast<int>(run));
        else if (time && c == 'h' && run <= 2)
            add(Field::Hour12, static_cast<int>(run));
        else if (time && c == 'm' && run <= 2)
            add(Field::Minute, static_cast<int>(run));
        else if (time && c == 's' && run <= 2)
            add(Field::Second, static_cast<int>(run));
        else if (time && c == 't' && run <= 2)
            add(Field::Marker, static_cast<int>(run));
        else
            known = false;
        if (!known) {
            // Any other letter is a field this reader does not take.
            if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return false;
            literal(std::string(run, c));
        }
        i += run;
    }
    return true;
}

bool DateTimePattern::Compile(const std::string& shortDate, const std::string& time,
                              const std::string& am, const std::string& pm) {
    ready_ = false;
    am_ = am;
    pm_ = pm;
    if (!Tokenize(shortDate, false, &date_) || !Tokenize(time, true, &time_)) return false;
    // Each field once, and a date needs all three: otherwise the text does
    // not say the date alone.
    int seen[9] = {};
    for (const Token& t : date_) ++seen[static_cast<int>(t.field)];
    for (const Token& t : time_) ++seen[static_cast<int>(t.field)];
    for (int f = 1; f < 9; ++f)
        if (seen[f] > 1) return false;
    if (!seen[int(Field::Day)] || !seen[int(Field::Month)] || !seen[int(Field::Year)]) return false;
    if (seen[int(Field::Hour24)] + seen[int(Field::Hour12)] != 1 || !seen[int(Field::Minute)] ||
        !seen[int(Field::Second)])
        return false;
    // A 12-hour clock needs markers that tell the halves apart.
    if (seen[int(Field::Hour12)]) {
        if (!seen[int(Field::Marker)] || am_.empty() || pm_.empty() || am_ == pm_) return false;
        for (const Token& t : time_)
            if (t.field == Field::Marker && t.width == 1 && am_[0] == pm_[0]) return false;
    }
    // Two numbers in a row with nothing between them cannot be told apart.
    for (const auto* part : {&date_, &time_})
        for (size_t i = 1; i < part->size(); ++i)
            if ((*part)[i].field != Field::Literal && (*part)[i - 1].field != Field::Literal)
                return false;
    twelve_ = seen[int(Field::Hour12)] != 0;
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
            case Field::Marker: {
                const std::string& m = w.hour < 12 ? am_ : pm_;
                *out += t.width == 1 ? m.substr(0, 1) : m;
                continue;
            }
            case Field::Day:
                value = w.day;
                break;
            case Field::Month:
                value = w.month;
                break;
            case Field::Year:
                value = w.year;
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

bool DateTimePattern::ParsePart(const std::vector<Token>& tokens, std::string_view* text,
                                LocalDateTime* w, int* marker) const {
    std::string_view& s = *text;
    for (const Token& t : tokens) {
        if (t.field == Field::Literal) {
            if (s.compare(0, t.literal.size(), t.literal) != 0) return false;
            s.remove_prefix(t.literal.size());
            continue;
        }
        if (t.field == Field::Marker) {
            // Views, not copies: a log holds millions of these.
            std::string_view a = t.width == 1 ? std::string_view(am_).substr(0, 1) : am_;
            std::string_view p = t.width == 1 ? std::string_view(pm_).substr(0, 1) : pm_;
            // The longer first, in case one begins with the other.
            bool amFirst = a.size() >= p.size();
            std::string_view first = amFirst ? a : p;
            std::string_view second = amFirst ? p : a;
            if (!first.empty() && s.compare(0, first.size(), first) == 0) {
                *marker = amFirst ? 0 : 1;
                s.remove_prefix(first.size());
            } else if (!second.empty() && s.compare(0, second.size(), second) == 0) {
                *marker = amFirst ? 1 : 0;
                s.remove_prefix(second.size());
            } else {
                return false;
            }
            continue;
        }
        // Exactly the digits the writer puts: a fixed width, or one or two
        // without a leading zero.
        size_t n = 0;
        while (n < s.size() && n < 4 && s[n] >= '0' && s[n] <= '9') ++n;
        if (t.field == Field::Year) {
            if (n != 4) return false;
        } else if (t.width == 2) {
            if (n < 2) return false;
            n = 2;
        } else {
            if (n == 0) return false;
            if (n > 2 || (n == 2 && s[0] == '0')) return false;
        }
        int value = 0;
        for (size_t i = 0; i < n; ++i) value = value * 10 + (s[i] - '0');
        s.remove_prefix(n);
        switch (t.field) {
            case Field::Day:
                w->day = value;
                break;
            case Field::Month:
                w->month = value;
                break;
            case Field::Year:
                w->year = value;
                break;
            case Field::Hour24:
                w->hour = value;
                break;
            case Field::Hour12:
                w->hour = value == 12 ? 0 : value;
                break;
            case Field::Minute:
                w->minute = value;
                break;
            case Field::Second:
                w->second = value;
                break;
            default:
                break;
        }
        if (t.field == Field::Hour12 && (value < 1 || value > 12)) return false;
    }
    return true;
}

bool DateTimePattern::Parse(std::string_view text, LocalDateTime* when) const {
    if (!ready_) return false;
    LocalDateTime w;
    int marker = -1;
    if (!ParsePart(date_, &text, &w, &marker)) return false;
    if (!text.empty()) {
        if (text[0] != ' ') return false;
        text.remove_prefix(1);
        if (!ParsePart(time_, &text, &w, &marker) || !text.empty()) return false;
        if (twelve_) {
            if (marker == 1) w.hour += 12;
        } else if (marker != -1 && marker != (w.hour < 12 ? 0 : 1)) {
            return false;  // a 24-hour clock with a half the writer would not name
        }
        // The writer leaves out the time at midnight and never writes 0:00:00.
        if (w.hour == 0 && w.minute == 0 && w.second == 0) return false;
    }
    if (w.year < 1900 || w.month < 1 || w.month > 12 || w.day < 1 ||
        w.day > DaysIn(w.year, w.month) || w.hour > 23 || w.minute > 59 || w.second > 59)
        return false;
    *when = w;
    return true;
}

}  // namespace platform
