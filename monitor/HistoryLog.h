#pragma once
// The history log: one line per event while the program runs (session start
// and end, machines loaded, service changes), and the reader the history
// viewer browses it with.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileApi.h"
#include "platform/LocaleTime.h"
#include "platform/ModuleApi.h"
#include "platform/TextSource.h"
#include "platform/TextsInUse.h"
#include "platform/VersionApi.h"

struct ServiceChange;

// One loaded line, a view into the loaded file.
using LogLine = std::string_view;

class HistoryLog {
public:
    HistoryLog(platform::FileSystem& files, platform::LocaleTime& time,
               platform::TextSource& texts);
    ~HistoryLog();
    HistoryLog(const HistoryLog&) = delete;
    HistoryLog& operator=(const HistoryLog&) = delete;

    // "ProductName vFileVersion", the version with "," as "." and no blanks.
    static std::string MakeSessionText(const std::string& productName,
                                       const std::string& fileVersion);
    // The session text of the texts in use: the loaded language module's
    // version information, or the program file's.
    static std::string SessionTextOfTexts(const platform::TextsInUse& inUse,
                                          platform::ModuleApi& modules,
                                          platform::VersionApi& versions);
    // The text of the session start and end records.
    void SetSessionText(std::string text) { sessionText_ = std::move(text); }

    // Writing. Each empties the error text first and returns false on a
    // file error, keeping the platform's description of it.
    bool Open(const std::string& path, bool truncate);
    bool Close();
    bool IsOpen() const { return file_ != nullptr; }
    bool WriteConnected(const std::string& machine);
    // `kind`: 1 new service, 2 deleted, otherwise the difference flags.
    bool WriteChange(int32_t kind, int32_t oldState, int32_t newState, const std::string& service);
    bool WriteChange(const ServiceChange& change);
    // Every record reaches the system as it is written; change records reach
    // the disk at the next synchronisation, which the monitor asks for once
    // per pass (one per record would cost a disk write each). Session and
    // connection records are synchronised at once.
    bool Sync();
    const std::string& GetErrorText() const { return error_; }

    // Reading, for the viewer.
    bool Load(const std::string& path);
    // The same from text already in memory.
    void LoadText(std::string text);
    const std::vector<LogLine>& Lines() const { return lines_; }
    bool GetMachines(std::vector<std::string>* list) const;
    bool GetServices(std::vector<std::string>* list) const;
    bool GetDateRange(platform::LocalDateTime* earliest, platform::LocalDateTime* latest);
    // The lines of `machine` from `fromDay` 00:00:00 to `toDay` 23:59:59
    // (only the dates of the two count), with every session start and end
    // in that window.
    bool SelectLines(std::vector<std::string>* list, const std::string& machine,
                     const platform::LocalDateTime& fromDay, const platform::LocalDateTime& toDay);
    // The same as views into the loaded file, valid while it stays loaded.
    bool SelectLines(std::vector<LogLine>* list, const std::string& machine,
                     const platform::LocalDateTime& fromDay, const platform::LocalDateTime& toDay);

    // Line accessors: false, and nothing written, when the line is not of
    // the record type or lacks the separators the field needs.
    static bool IsSessionStart(LogLine line) { return !line.empty() && line[0] == '>'; }
    static bool IsSessionEnd(LogLine line) { return !line.empty() && line[0] == '<'; }
    static bool IsConnected(LogLine line) { return !line.empty() && line[0] == '!'; }
    static bool IsChange(LogLine line) { return !line.empty() && line[0] == '*'; }
    static bool GetTimestampText(LogLine line, std::string* text);
    bool ParseTimestamp(LogLine line, platform::LocalDateTime* when);
    static bool GetSessionText(LogLine line, std::string* text);
    static bool GetConnectedMachine(LogLine line, std::string* machine);
    static bool GetServiceName(LogLine line, std::string* service);
    // The numbers of a change line: its kind (a line with two bars), its
    // states (four bars).
    struct ChangeNumbers {
        bool hasKind = false, hasStates = false;
        int32_t kind = 0, oldState = 0, newState = 0;
    };
    static ChangeNumbers ReadChangeNumbers(LogLine line);
    static bool GetKind(LogLine line, int32_t* kind);
    static bool GetStates(LogLine line, int32_t* oldState, int32_t* newState);
    // The text id of a state's name; 0 for a value without one.
    static unsigned StateNameId(int32_t state);
    bool GetKindText(LogLine line, std::string* text);
    bool GetStateTexts(LogLine line, std::string* oldState, std::string* newState);

private:
    bool WriteRecord(char type, const std::string& rest);
    bool Fail();
    // The line's timestamp as yyyymmddhhmmss, or -1 when it does not parse.
    int64_t StampOf(size_t index);

    platform::FileSystem& files_;
    platform::LocaleTime& time_;
    platform::TextSource& texts_;
    std::unique_ptr<platform::File> file_;
    bool unsynced_ = false;
    bool cut_ = false;                     // the last write failed, perhaps halfway
    platform::LocalDateTime writtenAt_{};  // the time of the last record and its text
    std::string writtenStamp_;
    std::string sessionText_ = " v";
    std::string error_;

    std::string loaded_;
    std::vector<LogLine> lines_;
    std::vector<int64_t> stamps_;  // per line, parsed on first need
    std::string stampText_;        // reused: a timestamp is longer than a short string
};
