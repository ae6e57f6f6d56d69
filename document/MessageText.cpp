#include "document/MessageText.h"

namespace {
// Every "%<conversion>" becomes `arg`, "%%" becomes "%".
std::string Fill(const std::string& format, char conversion, const char* arg) {
    std::string out;
    out.reserve(format.size() + 32);
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            if (format[i + 1] == conversion) {
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
}  // namespace

std::string FormatText(const std::string& format, const char* arg) {
    return Fill(format, 's', arg);
}

std::string FormatNumber(const std::string& format, uint32_t number) {
    return Fill(format, 'u', std::to_string(number).c_str());
}

std::string ComposeMessage(const std::string& format, const char* arg, const std::string& reason) {
    return FormatText(format, arg) + "\n" + reason;
}
