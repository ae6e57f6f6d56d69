#include "document/SnapshotFile.h"

#include <climits>
#include <cstring>
#include <new>

namespace {

constexpr char kLineEnd[] = "\r\n";

void Append(std::string& out, const char* text, size_t size) { out.append(text, size); }
void Append(std::string& out, const char* text) { out.append(text); }

void AppendNumber(std::string& out, uint32_t value) {
    char digits[10];
    char* p = digits + sizeof digits;
    do {
        *--p = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    out.append(p, static_cast<size_t>(digits + sizeof digits - p));
}

template <size_t N>
void TextLine(std::string& out, const char (&key)[N], const char* value) {
    Append(out, key, N - 1);
    Append(out, " = ", 3);
    Append(out, value != nullptr ? value : "");
    Append(out, kLineEnd, 2);
}

template <size_t N>
void NumberLine(std::string& out, const char (&key)[N], uint32_t value) {
    Append(out, key, N - 1);
    Append(out, " = ", 3);
    AppendNumber(out, value);
    Append(out, kLineEnd, 2);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// A view of part of the file's text; never NUL-terminated.
struct Slice {
    const char* begin;
    const char* end;
    size_t Size() const { return static_cast<size_t>(end - begin); }
    bool Is(const char* text, size_t size) const {
        return Size() == size && std::memcmp(begin, text, size) == 0;
    }
};

Slice Trim(Slice s) {
    while (s.begin < s.end && IsBlank(*s.begin)) ++s.begin;
    while (s.end > s.begin && IsBlank(s.end[-1])) --s.end;
    return s;
}

// Hands out the file's lines, trimmed. A NUL ends a line's text as it would
// end a C string, so names and values never carry one.
class Lines {
public:
    Lines(const char* data, size_t size)
        : pos_(data), end_(data + size), hasNul_(std::memchr(data, '\0', size) != nullptr) {}

    bool Next(Slice* line) {
        if (pos_ == end_) return false;
        const char* stop = static_cast<const char*>(
            std::memchr(pos_, '\n', static_cast<size_t>(end_ - pos_)));
        const char* lineEnd = stop != nullptr ? stop : end_;
        Slice s{pos_, lineEnd};
        pos_ = stop != nullptr ? stop + 1 : end_;
        if (hasNul_) {
            const char* nul = static_cast<const char*>(std::memchr(s.begin, '\0', s.Size()));
            if (nul != nullptr) s.end = nul;
        }
        *line = Trim(s);
        return true;
    }

private:
    const char* pos_;
    const char* end_;
    bool hasNul_;
};

// A line without "=" that starts with "[" and ends with "]"; `name` gets
// the trimmed text between the brackets.
bool IsSection(const Slice& line, const char* equals, Slice* name) {
    if (equals != nullptr || line.Size() < 2 || line.begin[0] != '[' || line.end[-1] != ']')
        return false;
    *name = Trim(Slice{line.begin + 1, line.end - 1});
    return true;
}

const char* FindEquals(const Slice& line) {
    return static_cast<const char*>(std::memchr(line.begin, '=', line.Size()));
}

template <typename Record>
struct Field {
    const char* key;
    size_t size;
    uint32_t Record::*number;
};

#define FIELD(key, type, member) {key, sizeof key - 1, &type::member}
const Field<SnapshotHeader> kHeaderNumbers[] = {
    FIELD("Active", SnapshotHeader, active),
    FIELD("Inactive", SnapshotHeader, inactive),
    FIELD("Win32", SnapshotHeader, win32),
    FIELD("Driver", SnapshotHeader, driver),
    FIELD("AccessType", SnapshotHeader, accessType),
};
const Field<platform::ServiceStatus> kStatusNumbers[] = {
    FIELD("ServiceType", platform::ServiceStatus, serviceType),
    FIELD("CurrentState", platform::ServiceStatus, currentState),
    FIELD("ControlsAccepted", platform::ServiceStatus, controlsAccepted),
    FIELD("Win32ExitCode", platform::ServiceStatus, win32ExitCode),
    FIELD("ServiceSpecificExitCode", platform::ServiceStatus, serviceSpecificExitCode),
    FIELD("CheckPoint", platform::ServiceStatus, checkPoint),
    FIELD("WaitHint", platform::ServiceStatus, waitHint),
};
#undef FIELD

// Keys are compared exactly: a key in other letter case is not the key.
template <typename Record, size_t N>
uint32_t* NumberFor(const Field<Record> (&fields)[N], const Slice& key, Record* record) {
    for (const Field<Record>& f : fields)
        if (key.Is(f.key, f.size)) return &(record->*f.number);
    return nullptr;
}

}  // namespace

uint32_t ParseSnapshotNumber(const char* p, const char* end) {
    while (p < end && IsBlank(*p)) ++p;
    bool negative = false;
    if (p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
    uint32_t value = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) value = value * 10u + static_cast<uint32_t>(*p - '0');
    return negative ? 0u - value : value;
}

std::string SnapshotFile::Format(const ServiceList& list, const std::string& date) {
    std::string machine;
    if (const char* name = list.GetMachineName()) {
        machine = name;
        for (char& c : machine)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
        Slice trimmed = Trim(Slice{machine.data(), machine.data() + machine.size()});
        machine.assign(trimmed.begin, trimmed.Size());
    }
    if (machine.empty()) machine = "localhost";

    std::string out;
    out.reserve(256 + static_cast<size_t>(list.GetCount()) * 300);
    TextLine(out, "Machine", machine.c_str());
    TextLine(out, "Date", date.c_str());
    NumberLine(out, "Active", list.active);
    NumberLine(out, "Inactive", list.inactive);
    NumberLine(out, "Win32", list.win32);
    NumberLine(out, "Driver", list.driver);
    NumberLine(out, "AccessType", list.accessType);
    Append(out, kLineEnd, 2);
    for (uint32_t i = 0; i < list.GetCount(); ++i) {
        const ServiceEntry* e = list.EntryAt(i);
        if (e == nullptr) continue;
        out += '[';
        Append(out, e->name != nullptr ? e->name : "");
        out += ']';
        Append(out, kLineEnd, 2);
        TextLine(out, "DisplayName", e->displayName);
        NumberLine(out, "ServiceType", e->serviceType);
        NumberLine(out, "CurrentState", e->currentState);
        NumberLine(out, "ControlsAccepted", e->controlsAccepted);
        NumberLine(out, "Win32ExitCode", e->win32ExitCode);
        NumberLine(out, "ServiceSpecificExitCode", e->serviceSpecificExitCode);
        NumberLine(out, "CheckPoint", e->checkPoint);
        NumberLine(out, "WaitHint", e->waitHint);
        Append(out, kLineEnd, 2);
    }
    return out;
}

bool SnapshotFile::Write(const ServiceList& list, platform::File& file) {
    fileFailed_ = false;
    if (localeTime_ == nullptr) return false;
    std::string text = Format(list, localeTime_->FormatDateTime(localeTime_->Now()));
    // One write per gigabyte at most: the file layer counts in 32 bits.
    constexpr size_t kChunk = size_t{1} << 30;
    for (size_t done = 0; done < text.size(); done += kChunk) {
        size_t part = text.size() - done < kChunk ? text.size() - done : kChunk;
        if (!file.Write(text.data() + done, static_cast<uint32_t>(part))) {
            fileFailed_ = true;
            return false;
        }
    }
    return true;
}

bool SnapshotFile::Read(ServiceEntryArray& array, platform::File& file) {
    fileFailed_ = false;
    array.Clear();
    header_ = SnapshotHeader();
    std::string text;
    try {
        uint64_t size = file.Size();
        if (size < (uint64_t{1} << 31)) text.reserve(static_cast<size_t>(size));
        if (!platform::ReadToEnd(file, &text)) {
            fileFailed_ = true;
            return false;
        }
    } catch (const std::bad_alloc&) {
        // A file too big to hold cannot be a snapshot this program wrote.
        return false;
    }
    return Parse(array, text.data(), text.size());
}

bool SnapshotFile::Parse(ServiceEntryArray& array, const char* data, size_t size) {
    array.Clear();
    header_ = SnapshotHeader();

    // Pass 1: the header keys before the first section, and the number of
    // sections. A section with nothing between its brackets is not counted:
    // it would leave a slot without an entry.
    long long sections = 0;
    bool inSections = false;
    Slice line, name;
    for (Lines lines(data, size); lines.Next(&line);) {
        if (inSections && (line.Size() == 0 || line.begin[0] != '[')) continue;
        const char* equals = FindEquals(line);
        if (IsSection(line, equals, &name)) {
            inSections = true;
            if (name.Size() != 0) ++sections;
            continue;
        }
        if (equals == nullptr || inSections) continue;
        Slice key = Trim(Slice{line.begin, equals});
        Slice value = Trim(Slice{equals + 1, line.end});
        if (key.Is("Date", 4))
            header_.date.assign(value.begin, value.Size());
        else if (uint32_t* number = NumberFor(kHeaderNumbers, key, &header_))
            *number = ParseSnapshotNumber(value.begin, value.end);
    }
    if (sections == 0 || sections > INT_MAX) return false;
    if (!array.Allocate(static_cast<int>(sections))) return false;

    // Pass 2: every section header closes the section before it. The
    // current values start afresh at every header, so keys outside a named
    // section (before the first one, or under empty brackets) reach no entry.
    std::string currentName, currentDisplay;
    platform::ServiceStatus current{};
    int index = 0;
    auto close = [&]() {
        bool ok = true;
        if (!currentName.empty()) {
            ok = array.SetEntry(index, currentName.c_str(), currentDisplay.c_str());
            if (ok) *StatusOf(array.GetEntry(index)) = current;
            ++index;
        }
        currentName.clear();
        currentDisplay.clear();
        current = platform::ServiceStatus{};
        return ok;
    };
    for (Lines lines(data, size); lines.Next(&line);) {
        const char* equals = FindEquals(line);
        if (IsSection(line, equals, &name)) {
            if (!close()) return false;
            currentName.assign(name.begin, name.Size());
            continue;
        }
        if (equals == nullptr || currentName.empty()) continue;
        Slice key = Trim(Slice{line.begin, equals});
        Slice value = Trim(Slice{equals + 1, line.end});
        if (key.Is("DisplayName", 11))
            currentDisplay.assign(value.begin, value.Size());
        else if (uint32_t* number = NumberFor(kStatusNumbers, key, &current))
            *number = ParseSnapshotNumber(value.begin, value.end);
    }
    return close();
}
