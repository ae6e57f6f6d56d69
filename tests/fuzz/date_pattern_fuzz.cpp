// Date patterns come from the user's regional settings and the texts from
// log files: the quick reader must take only what the writer would write.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/DateTimePattern.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    std::string parts[5];
    size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        size_t end = input.find('\n', start);
        if (end == std::string::npos) return 0;
        parts[i] = input.substr(start, end - start);
        start = end + 1;
    }
    parts[4] = input.substr(start);
    // Names with a prefix of another among them, and the lead bytes of a
    // two-byte code page.
    static const platform::DateTimeNames names = [] {
        platform::DateTimeNames n;
        const char* months[] = {"ene", "feb", "ma",    "mar", "may", "jun",
                                "jul", "ago", "sept.", "oct", "nov", "dic"};
        const char* days[] = {"do", "lu", "mar", "mi", "ju", "vi", "s\x81\x40"};
        for (int m = 0; m < 12; ++m) {
            n.shortMonths[m] = months[m];
            n.months[m] = std::string(months[m]) + "io";
        }
        for (int d = 0; d < 7; ++d) n.days[d] = n.shortDays[d] = days[d];
        n.twoDigitYearMax = 2049;
        for (int b = 0x81; b <= 0x9f; ++b) n.leadBytes.set(b);
        return n;
    }();
    platform::DateTimeNames withMarkers = names;
    withMarkers.am = parts[2];
    withMarkers.pm = parts[3];
    platform::DateTimePattern pattern;
    if (!pattern.Compile(parts[0], parts[1], withMarkers)) return 0;
    platform::LocalDateTime when;
    // Whatever it reads, it would have written exactly so.
    if (pattern.Parse(parts[4], &when) && pattern.Format(when) != parts[4]) __builtin_trap();
    return 0;
}
