#include "document/MessageText.h"

std::string FormatText(const std::string& format, const char* arg) {
    std::string out;
    out.reserve(format.size() + 32);
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            if (format[i + 1] == 's') {
                out += arg != nullptr ? arg : "";
                ++i;
                continue;
            }
            if (format[i + 1] == '%') {
                out += '%';
                ++i;
                continue;
            }
        }
        out += format[i];
    }
    return out;
}

std::string ComposeMessage(const std::string& format, const char* arg, const std::string& reason) {
    return FormatText(format, arg) + "\n" + reason;
}
