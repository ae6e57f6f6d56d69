#include "platform/MessageText.h"

namespace {
// Every "%<conversion>" becomes the next of `arg()`, "%%" becomes "%".
template <typename Next>
std::string Fill(const std::string& format, char conversion, Next arg) {
    std::string out;
    out.reserve(format.size() + 32);
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            if (format[i + 1] == conversion) {
                out += arg();
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
    const std::string text = arg != nullptr ? arg : "";
    return Fill(format, 's', [&] { return text; });
}

std::string FormatTexts(const std::string& format, const std::vector<std::string>& args) {
    size_t next = 0;
    return Fill(format, 's', [&] { return next < args.size() ? args[next++] : std::string(); });
}

std::string FormatNumber(const std::string& format, uint32_t number) {
    const std::string text = std::to_string(number);
    return Fill(format, 'u', [&] { return text; });
}

std::string ComposeMessage(const std::string& format, const char* arg, const std::string& reason) {
    return FormatText(format, arg) + "\n" + reason;
}
