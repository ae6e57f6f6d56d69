// The history viewer reads whatever file the user points it at.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "monitor/HistoryLog.h"
#include "platform/DateTimePattern.h"

namespace {

class PatternTime : public platform::LocaleTime {
public:
    PatternTime() { pattern.Compile("dd/MM/yyyy", "H:mm:ss", platform::DateTimeNames()); }
    platform::LocalDateTime Now() override { return {2026, 12, 6, 22, 31, 11}; }
    std::string FormatDateTime(const platform::LocalDateTime& when) override {
        return pattern.Format(when);
    }
    bool ParseDateTime(const std::string& text, platform::LocalDateTime* when) override {
        return pattern.Parse(text, when);
    }
    platform::DateTimePattern pattern;
};

class NoFiles : public platform::FileSystem {
public:
    std::unique_ptr<platform::File> CreateFileA(const char*, uint32_t, uint32_t,
                                                uint32_t) override {
        return nullptr;
    }
    bool MoveFileExA(const char*, const char*, uint32_t) override { return false; }
    bool ReplaceFileA(const char*, const char*, const char*, uint32_t) override { return false; }
    uint32_t GetTempFileNameA(const char*, const char*, uint32_t, char*) override { return 0; }
    bool DeleteFileA(const char*) override { return false; }
    uint32_t GetFileAttributesA(const char*) override {
        return platform::file::kInvalidFileAttributes;
    }
    bool SetFileAttributesA(const char*, uint32_t) override { return false; }
    uint32_t GetLastError() override { return 2; }
    std::string FormatMessageA(uint32_t) override { return "error"; }
};

class Texts : public platform::TextSource {
public:
    std::string Text(unsigned id) override { return std::to_string(id); }
};

bool Blank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static PatternTime time;
    static NoFiles files;
    static Texts texts;
    HistoryLog log(files, time, texts);
    log.LoadText(std::string(reinterpret_cast<const char*>(data), size));

    std::set<std::string> lines;
    for (LogLine line : log.Lines()) {
        if (line.size() < 2 || std::string("!*<>").find(line[0]) == std::string::npos ||
            Blank(line.back()) || line.find_first_of("\t\r\n") != LogLine::npos)
            __builtin_trap();
        lines.insert(std::string(line));
        std::string a, b;
        platform::LocalDateTime when;
        HistoryLog::GetTimestampText(line, &a);
        log.ParseTimestamp(line, &when);
        HistoryLog::GetSessionText(line, &a);
        HistoryLog::GetConnectedMachine(line, &a);
        HistoryLog::GetServiceName(line, &a);
        log.GetKindText(line, &a);
        log.GetStateTexts(line, &a, &b);
    }

    std::vector<std::string> machines, services, selected;
    log.GetMachines(&machines);
    log.GetServices(&services);
    if (std::set<std::string>(services.begin(), services.end()).size() != services.size())
        __builtin_trap();
    platform::LocalDateTime earliest, latest;
    log.GetDateRange(&earliest, &latest);
    machines.push_back(std::string());
    for (const std::string& machine : machines) {
        log.SelectLines(&selected, machine, earliest, latest);
        for (const std::string& line : selected)
            if (!lines.count(line)) __builtin_trap();
    }
    return 0;
}
