#include "monitor/HistoryLog.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <new>

#include "document/ChangeList.h"
#include "res/resource.h"
#include "settings/FileVersionInfo.h"
#include "settings/LanguageModule.h"

namespace pf = platform::file;
using platform::LocalDateTime;

namespace {

// Leading blanks, an optional sign, then leading digits; no digits give 0.
int32_t ReadNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > int64_t(INT_MAX) + 1) value = int64_t(INT_MAX) + 1;
    }
    if (negative) value = -value;
    return static_cast<int32_t>(value > INT_MAX ? INT_MAX : value);
}

bool IsRecord(LogLine line) {
    return !line.empty() && (line[0] == '!' || line[0] == '*' || line[0] == '<' || line[0] == '>');
}

int64_t Pack(const LocalDateTime& w) {
    return ((((int64_t(w.year) * 100 + w.month) * 100 + w.day) * 100 + w.hour) * 100 + w.minute) *
               100 +
           w.second;
}

LocalDateTime Unpack(int64_t v) {
    LocalDateTime w;
    w.second = int(v % 100), v /= 100;
    w.minute = int(v % 100), v /= 100;
    w.hour = int(v % 100), v /= 100;
    w.day = int(v % 100), v /= 100;
    w.month = int(v % 100), v /= 100;
    w.year = int(v);
    return w;
}

bool IsBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

constexpr int64_t kUnparsed = -2;
constexpr uint32_t kNotEnoughMemory = 8;  // ERROR_NOT_ENOUGH_MEMORY
constexpr int64_t kNoStamp = -1;

}  // namespace

HistoryLog::HistoryLog(platform::FileSystem& files, platform::LocaleTime& time,
                       platform::TextSource& texts)
    : files_(files), time_(time), texts_(texts) {}

HistoryLog::~HistoryLog() {
    // Program exit closes the log through Close(); a log dropped without it
    // still lets its file go.
    if (file_) file_->Close();
}

std::string HistoryLog::MakeSessionText(const std::string& productName,
                                        const std::string& fileVersion) {
    std::string version;
    for (char c : fileVersion) {
        if (c == ' ') continue;
        version += c == ',' ? '.' : c;
    }
    return productName + " v" + version;
}

std::string HistoryLog::SessionTextOfTexts(const platform::TextsInUse& inUse,
                                           platform::ModuleApi& modules,
                                           platform::VersionApi& versions) {
    FileVersionInfo info(versions, inUse.VersionFile(modules));
    return MakeSessionText(info.StringItem(FileVersionInfo::kProductName),
                           info.StringItem(FileVersionInfo::kFileVersion));
}

bool HistoryLog::Fail() {
    error_ = files_.FormatMessageA(files_.GetLastError());
    return false;
}

bool HistoryLog::WriteRecord(char type, const std::string& rest) {
    // A pass writes its records within one second: its time is formatted
    // once, not by the platform's slow conversion for every record.
    LocalDateTime now = time_.Now();
    if (writtenStamp_.empty() || !(now == writtenAt_)) {
        writtenStamp_ = time_.FormatDateTime(now);
        writtenAt_ = now;
    }
    // A write that failed may have left part of its record: the next one
    // starts on a line of its own rather than finish that one.
    std::string line(cut_ ? "\r\n" : "");
    line += type;
    line += writtenStamp_;
    line += '|';
    // Written as a text-mode file does: every line feed ends in CR LF.
    for (char c : rest) {
        if (c == '\n') line += '\r';
        line += c;
    }
    line += "\r\n";
    cut_ = !file_->Write(line.data(), static_cast<uint32_t>(line.size()));
    if (cut_) return Fail();
    unsynced_ = true;
    return true;
}

bool HistoryLog::Sync() {
    if (!file_ || !unsynced_) return true;
    if (!file_->Flush()) return Fail();
    unsynced_ = false;
    return true;
}

bool HistoryLog::Open(const std::string& path, bool truncate) {
    error_.clear();
    Close();
    error_.clear();
    file_ = files_.CreateFileA(path.c_str(), pf::kGenericWrite, pf::kShareRead,
                               truncate ? pf::kCreateAlways : pf::kOpenAlways);
    if (!file_) return Fail();
    cut_ = false;  // a cut line left by an earlier run ends with the line break below
    if (!file_->SeekToEnd() || (file_->Size() != 0 && !file_->Write("\r\n", 2)))
        Fail();
    else if (WriteRecord('>', sessionText_) && Sync())  // each keeps its own reason
        return true;
    // A log that could not start its session is not open: let the file go,
    // so that nothing more is written to it and others may use it.
    std::unique_ptr<platform::File> file = std::move(file_);
    file->Close();
    return false;
}

bool HistoryLog::Close() {
    error_.clear();
    if (!file_) return true;
    if (WriteRecord('<', sessionText_)) Sync();
    error_.clear();
    std::unique_ptr<platform::File> file = std::move(file_);
    if (!file->Close()) return Fail();
    return true;
}

bool HistoryLog::WriteConnected(const std::string& machine) {
    error_.clear();
    if (!file_) return true;
    return WriteRecord('!', machine) && Sync();
}

bool HistoryLog::WriteChange(int32_t kind, int32_t oldState, int32_t newState,
                             const std::string& service) {
    error_.clear();
    if (!file_) return true;
    std::string rest = std::to_string(kind) + '|' + std::to_string(oldState) + '|' +
                       std::to_string(newState) + '|' + service;
    return WriteRecord('*', rest);
}

bool HistoryLog::WriteChange(const ServiceChange& change) {
    // The key name, never the display name, identifies the service.
    return WriteChange(change.kind, static_cast<int32_t>(change.oldState),
                       static_cast<int32_t>(change.newState), change.name ? change.name : "");
}

bool HistoryLog::Load(const std::string& path) {
    error_.clear();
    lines_.clear();
    stamps_.clear();
    loaded_.clear();
    std::unique_ptr<platform::File> file = files_.CreateFileA(
        path.c_str(), pf::kGenericRead, pf::kShareRead | pf::kShareWrite, pf::kOpenExisting);
    if (!file) return Fail();
    std::string text;
    bool ok;
    try {
        // One allocation of the file's size: the loaded lines are views into it.
        uint64_t size = file->Size();
        if (size < (uint64_t(1) << 32)) text.reserve(static_cast<size_t>(size) + 1);
        ok = platform::ReadToEnd(*file, &text);
        if (!ok) {
            Fail();
            // The lines read so far stay loaded; a cut last line is not a line.
            size_t end = text.rfind('\n');
            text.resize(end == std::string::npos ? 0 : end + 1);
        }
        LoadText(std::move(text));
    } catch (const std::bad_alloc&) {
        // A file too big for memory is a failed load, not the viewer's end.
        loaded_.clear();
        loaded_.shrink_to_fit();
        lines_.clear();
        lines_.shrink_to_fit();
        stamps_.clear();
        error_ = files_.FormatMessageA(kNotEnoughMemory);
        return false;
    }
    if (!ok) return false;
    if (!file->Close()) return Fail();
    return true;
}

void HistoryLog::LoadText(std::string text) {
    lines_.clear();
    stamps_.clear();
    loaded_ = std::move(text);
    char* data = loaded_.empty() ? nullptr : &loaded_[0];
    size_t size = loaded_.size();
    // Tabs and carriage returns read as blanks, wherever they are: one pass
    // over the whole text, which the compiler turns into vector code.
    for (size_t i = 0; i < size; ++i) {
        char c = data[i];
        data[i] = c == '\t' || c == '\r' ? ' ' : c;
    }
    for (size_t start = 0; start < size;) {
        const void* found = std::memchr(data + start, '\n', size - start);
        size_t end = found ? static_cast<size_t>(static_cast<const char*>(found) - data) : size;
        size_t next = end + 1;
        while (start < end && IsBlank(data[start])) ++start;
        while (end > start && IsBlank(data[end - 1])) --end;
        if (end - start > 1 && IsRecord(LogLine(data + start, 1)))
            lines_.emplace_back(data + start, end - start);
        start = next;
    }
    stamps_.assign(lines_.size(), kUnparsed);
}

bool HistoryLog::GetTimestampText(LogLine line, std::string* text) {
    if (!IsRecord(line)) return false;
    size_t bar = line.find('|');
    if (bar == LogLine::npos) return false;
    text->assign(line.data() + 1, bar - 1);
    return true;
}

bool HistoryLog::ParseTimestamp(LogLine line, LocalDateTime* when) {
    std::string text;
    if (!GetTimestampText(line, &text) || text.empty()) return false;
    return time_.ParseDateTime(text, when);
}

bool HistoryLog::GetSessionText(LogLine line, std::string* text) {
    if (!IsSessionStart(line) && !IsSessionEnd(line)) return false;
    size_t bar = line.find('|');
    if (bar == LogLine::npos) return false;
    text->assign(line.substr(bar + 1));
    return true;
}

bool HistoryLog::GetConnectedMachine(LogLine line, std::string* machine) {
    if (!IsConnected(line)) return false;
    size_t bar = line.find('|');
    if (bar == LogLine::npos) return false;
    machine->assign(line.substr(bar + 1));
    return true;
}

bool HistoryLog::GetServiceName(LogLine line, std::string* service) {
    if (!IsChange(line)) return false;
    size_t bar = line.rfind('|');
    if (bar == LogLine::npos) return false;
    service->assign(line.substr(bar + 1));
    return true;
}

// The bars are found from the start, at most four: a service name after
// them may hold bars of its own.
HistoryLog::ChangeNumbers HistoryLog::ReadChangeNumbers(LogLine line) {
    ChangeNumbers numbers;
    if (!IsChange(line)) return numbers;
    size_t bars[4];
    int count = 0;
    for (size_t from = 0; count < 4; ++count) {
        const void* bar = std::memchr(line.data() + from, '|', line.size() - from);
        if (!bar) break;
        bars[count] = static_cast<size_t>(static_cast<const char*>(bar) - line.data());
        from = bars[count] + 1;
    }
    auto field = [&](int n) { return line.substr(bars[n - 1] + 1, bars[n] - bars[n - 1] - 1); };
    if (count >= 2) numbers.hasKind = true, numbers.kind = ReadNumber(field(1));
    if (count == 4)
        numbers.hasStates = true, numbers.oldState = ReadNumber(field(2)),
        numbers.newState = ReadNumber(field(3));
    return numbers;
}

bool HistoryLog::GetKind(LogLine line, int32_t* kind) {
    ChangeNumbers numbers = ReadChangeNumbers(line);
    if (numbers.hasKind) *kind = numbers.kind;
    return numbers.hasKind;
}

bool HistoryLog::GetStates(LogLine line, int32_t* oldState, int32_t* newState) {
    ChangeNumbers numbers = ReadChangeNumbers(line);
    if (numbers.hasStates) *oldState = numbers.oldState, *newState = numbers.newState;
    return numbers.hasStates;
}

unsigned HistoryLog::StateNameId(int32_t state) {
    return state >= 1 && state <= 7 ? IDS_STATE_BASE + static_cast<unsigned>(state) : 0;
}

bool HistoryLog::GetKindText(LogLine line, std::string* text) {
    int32_t kind;
    if (!GetKind(line, &kind)) return false;
    *text = ChangeKindText(texts_, kind);
    return true;
}

bool HistoryLog::GetStateTexts(LogLine line, std::string* oldState, std::string* newState) {
    int32_t oldValue, newValue;
    if (!GetStates(line, &oldValue, &newValue)) return false;
    auto name = [this](int32_t state) {
        unsigned id = StateNameId(state);
        return id != 0 ? texts_.Text(id) : std::string();
    };
    *oldState = name(oldValue);
    *newState = name(newValue);
    return true;
}

namespace {
// Distinct names in order of first appearance. Names are few but the lines
// are millions: looked up in an open table of hashes, at most half full, so
// that a line costs one hash and about one comparison.
class DistinctNames {
public:
    void Add(std::string_view name) {
        uint32_t hash = Hash(name);
        size_t mask = slots_.size() - 1;
        for (size_t at = hash & mask;; at = (at + 1) & mask) {
            Slot& slot = slots_[at];
            if (slot.index == kEmpty) {
                slot = {hash, static_cast<uint32_t>(order_.size())};
                order_.push_back(name);
                if (order_.size() * 2 > slots_.size()) Widen();
                return;
            }
            if (slot.hash == hash && order_[slot.index] == name) return;
        }
    }
    void CopyTo(std::vector<std::string>* list) const {
        list->assign(order_.begin(), order_.end());
    }

private:
    static constexpr uint32_t kEmpty = UINT32_MAX;
    struct Slot {
        uint32_t hash;
        uint32_t index;
    };
    // From the length and the first and last eight bytes only: names that
    // share both ends are rare, and the comparison settles them anyway.
    static uint32_t Hash(std::string_view name) {
        uint64_t head = 0, tail = 0;
        size_t n = name.size();
        std::memcpy(&head, name.data(), std::min<size_t>(n, 8));
        if (n > 8) std::memcpy(&tail, name.data() + n - 8, 8);
        uint64_t h = head * 0x9E3779B97F4A7C15ull ^ (tail + n) * 0xC2B2AE3D27D4EB4Full;
        return static_cast<uint32_t>(h ^ (h >> 29) ^ (h >> 47));
    }
    void Widen() {
        std::vector<Slot> wider(slots_.size() * 4, Slot{0, kEmpty});
        size_t mask = wider.size() - 1;
        for (const Slot& slot : slots_) {
            if (slot.index == kEmpty) continue;
            size_t at = slot.hash & mask;
            while (wider[at].index != kEmpty) at = (at + 1) & mask;
            wider[at] = slot;
        }
        slots_.swap(wider);
    }

    std::vector<std::string_view> order_;
    std::vector<Slot> slots_ = std::vector<Slot>(64, Slot{0, kEmpty});
};
}  // namespace

bool HistoryLog::GetMachines(std::vector<std::string>* list) const {
    list->clear();
    if (lines_.empty()) return false;
    DistinctNames names;
    for (LogLine line : lines_) {
        size_t bar;
        if (IsConnected(line) && (bar = line.find('|')) != LogLine::npos)
            names.Add(line.substr(bar + 1));
    }
    names.CopyTo(list);
    return true;
}

bool HistoryLog::GetServices(std::vector<std::string>* list) const {
    list->clear();
    if (lines_.empty()) return false;
    DistinctNames names;
    for (LogLine line : lines_) {
        size_t bar;
        if (IsChange(line) && (bar = line.rfind('|')) != LogLine::npos)
            names.Add(line.substr(bar + 1));
    }
    names.CopyTo(list);
    return true;
}

int64_t HistoryLog::StampOf(size_t index) {
    int64_t& stamp = stamps_[index];
    if (stamp != kUnparsed) return stamp;
    LogLine line = lines_[index];
    size_t bar = line.find('|');
    stamp = kNoStamp;
    if (bar == LogLine::npos || bar < 2) return stamp;
    // Neighbouring records often share their second.
    if (index > 0 && stamps_[index - 1] >= 0) {
        LogLine previous = lines_[index - 1];
        if (previous.size() > bar && previous[bar] == '|' &&
            previous.compare(1, bar - 1, line.substr(1, bar - 1)) == 0)
            return stamp = stamps_[index - 1];
    }
    LocalDateTime when;
    stampText_.assign(line.data() + 1, bar - 1);
    if (time_.ParseDateTime(stampText_, &when)) stamp = Pack(when);
    return stamp;
}

bool HistoryLog::GetDateRange(LocalDateTime* earliest, LocalDateTime* latest) {
    *earliest = {9999, 12, 31, 0, 0, 0};
    *latest = {1900, 1, 1, 0, 0, 0};
    if (lines_.empty()) return false;
    int64_t low = Pack(*earliest), high = Pack(*latest);
    for (size_t i = 0; i < lines_.size(); ++i) {
        int64_t stamp = StampOf(i);
        if (stamp < 0) continue;
        if (stamp < low) low = stamp;
        if (stamp > high) high = stamp;
    }
    *earliest = Unpack(low);
    *latest = Unpack(high);
    return true;
}

bool HistoryLog::SelectLines(std::vector<std::string>* list, const std::string& machine,
                             const LocalDateTime& fromDay, const LocalDateTime& toDay) {
    std::vector<LogLine> lines;
    bool loaded = SelectLines(&lines, machine, fromDay, toDay);
    list->assign(lines.begin(), lines.end());
    return loaded;
}

bool HistoryLog::SelectLines(std::vector<LogLine>* list, const std::string& machine,
                             const LocalDateTime& fromDay, const LocalDateTime& toDay) {
    list->clear();
    if (lines_.empty()) return false;
    int64_t from = Pack({fromDay.year, fromDay.month, fromDay.day, 0, 0, 0});
    int64_t to = Pack({toDay.year, toDay.month, toDay.day, 23, 59, 59});
    std::string_view current;
    for (size_t i = 0; i < lines_.size(); ++i) {
        LogLine line = lines_[i];
        int64_t stamp = StampOf(i);
        if (stamp < 0) continue;
        bool inside = stamp >= from && stamp <= to;
        switch (line[0]) {
            case '!': {
                size_t bar = line.find('|');
                current = line.substr(bar + 1);
                if (inside && current == machine) list->emplace_back(line);
                break;
            }
            case '*':
                if (inside && current == machine) list->emplace_back(line);
                break;
            default:
                current = std::string_view();
                if (inside) list->emplace_back(line);
                break;
        }
    }
    return true;
}
