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
    platform::DateTimePattern pattern;
    if (!pattern.Compile(parts[0], parts[1], parts[2], parts[3])) return 0;
    platform::LocalDateTime when;
    // Whatever it reads, it would have written exactly so.
    if (pattern.Parse(parts[4], &when) && pattern.Format(when) != parts[4]) __builtin_trap();
    return 0;
}
