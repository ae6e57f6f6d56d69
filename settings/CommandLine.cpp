#include "settings/CommandLine.h"

#include <cstdlib>
#include <cstring>

namespace {

bool SameLetters(char a, char b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return lower(a) == lower(b);
}

bool IsFlag(const std::string& flag, const char* name) {
    size_t length = std::strlen(name);
    if (flag.size() != length) return false;
    for (size_t i = 0; i < length; ++i)
        if (!SameLetters(flag[i], name[i])) return false;
    return true;
}

// The text after "name" when the flag begins with it; null otherwise.
const char* ValueOf(const std::string& flag, const char* name) {
    size_t length = std::strlen(name);
    if (flag.size() < length) return nullptr;
    for (size_t i = 0; i < length; ++i)
        if (!SameLetters(flag[i], name[i])) return nullptr;
    return flag.c_str() + length;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    for (const std::string& argument : arguments) {
        if (argument.empty() || (argument[0] != '/' && argument[0] != '-')) {
            if (line.snapshot.empty()) line.snapshot = argument;
            continue;
        }
        const std::string flag = argument.substr(1);
        if (IsFlag(flag, "Automation") || IsFlag(flag, "Embedding"))
            line.automation = true;
        else if (IsFlag(flag, "RegServer") || IsFlag(flag, "Register"))
            line.registration = CommandLine::Registration::kRegister;
        else if (IsFlag(flag, "UnregServer") || IsFlag(flag, "Unregister"))
            line.registration = CommandLine::Registration::kUnregister;
        else if (const char* process = ValueOf(flag, "Handover:"))
            line.handoverProcess = static_cast<uint32_t>(std::strtoul(process, nullptr, 10));
        else if (const char* machine = ValueOf(flag, "Machine:"))
            line.machine = machine;
        else if (const char* view = ValueOf(flag, "View:"))
            line.view = static_cast<int>(std::strtol(view, nullptr, 10));
    }
    return line;
}

// The machine goes in quotes: a name may hold blanks.
std::string HandoverArguments(uint32_t process, int view, const std::string& machine) {
    std::string arguments =
        "/Handover:" + std::to_string(process) + " /View:" + std::to_string(view);
    if (!machine.empty()) arguments += " \"/Machine:" + machine + "\"";
    return arguments;
}
