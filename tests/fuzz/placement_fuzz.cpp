// Placement text comes from the registry, where anyone can change it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "settings/WindowPlacement.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    WindowPlacement w;
    // What was read, written back, reads the same (the unsigned fields only
    // while a signed conversion can carry them).
    if (ParsePlacement(text, &w) && w.flags <= INT32_MAX && w.showCmd <= INT32_MAX) {
        WindowPlacement again;
        if (!ParsePlacement(FormatPlacement(w), &again) ||
            FormatPlacement(again) != FormatPlacement(w))
            __builtin_trap();
    }
    return 0;
}
