// Message formats come from language modules, which anyone can write.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/MessageText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    size_t split = text.find('\n');
    std::string format = text.substr(0, split);
    std::string arg = split == std::string::npos ? std::string() : text.substr(split + 1);
    std::string out = FormatText(format, arg.c_str());
    // Filling never loses text that was not a directive.
    if (format.find('%') == std::string::npos && out != format) __builtin_trap();
    return 0;
}
