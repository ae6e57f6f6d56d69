#include "document/SnapshotFile.h"

#include <climits>
#include <cstring>
#include <new>
#include <vector>

namespace {

// Collects the formatted text in a buffer of fixed size that is handed to
// `flush` whenever the next piece would not fit, so a snapshot of any size
// costs one small buffer. The key, " = " and line end are one copy each.
class Out {
public:
    using Flush = bool (*)(void* context, const char* data, size_t size);
    Out(Flush flush, void* context) : buffer_(64 * 1024), flush_(flush), context_(context) {}

    // Room for `size` more bytes; false once a flush has failed.
    bool Room(size_t size) {
        if (buffer_.size() - used_ >= size) return true;
        if (!Drain()) return false;
        if (buffer_.size() < size) buffer_.resize(size);
        return true;
    }
    bool Drain() {
        if (used_ != 0 && !failed_ && !flush_(context_, buffer_.data(), used_)) failed_ = true;
        used_ = 0;
        return !failed_;
    }
    template <size_t N>
    void Put(const char (&literal)[N]) {
        Put(literal, N - 1);
    }
    void Put(const char* text, size_t size) {
        std::memcpy(buffer_.data() + used_, text, size);
        used_ += size;
    }
    void Number(uint32_t value) {
        char digits[10];
        char* d = digits + sizeof digits;
        do {
            *--d = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
        Put(d, static_cast<size_t>(digits + sizeof digits - d));
    }

private:
    std::vector<char> buffer_;
    size_t used_ = 0;
    bool failed_ = false;
    Flush flush_;
    void* context_;
};

// Room for the fixed text of a section and seven numbers of ten digits.
constexpr size_t kSectionRoom = 256;

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

inline Slice Trim(Slice s) {
    while (s.begin < s.end && IsBlank(*s.begin)) ++s.begin;
    while (s.end > s.begin && IsBlank(s.end[-1])) --s.end;
    return s;
}

Slice TrimEnd(Slice s) {
    while (s.end > s.begin && IsBlank(s.end[-1])) --s.end;
    return s;
}
Slice TrimBegin(Slice s) {
    while (s.begin < s.end && IsBlank(*s.begin)) ++s.begin;
    return s;
}

// Hands out the file's lines, trimmed, each with its first "=" (or null). A
// NUL ends a line's text as it would end a C string, so names and values
// never carry one.
class Lines {
public:
    Lines(const char* data, size_t size)
        : pos_(data),
          end_(data + size),
          hasNul_(size != 0 && std::memchr(data, '\0', size) != nullptr) {}

    bool Next(Slice* line, const char** equals) {
        if (pos_ == end_) return false;
        const char* first = nullptr;
        const char* p = Find(pos_, '=', '\n');
        if (p < end_ && *p == '=') {
            first = p;
            p = Find(p + 1, '\n', '\n');
        }
        Slice s{pos_, p};
        pos_ = p < end_ ? p + 1 : end_;
        if (hasNul_) {
            const char* nul = static_cast<const char*>(std::memchr(s.begin, '\0', s.Size()));
            if (nul != nullptr) {
                s.end = nul;
                if (first != nullptr && first > nul) first = nullptr;
            }
        }
        *line = Trim(s);
        *equals = first;
        return true;
    }

private:
    // The first `a` or `b` from `p`, or the end. Eight bytes at a time:
    // lines are short, and a call per line to find its end would cost more
    // than the line itself.
    const char* Find(const char* p, char a, char b) const {
        constexpr uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
        const uint64_t pa = kOnes * static_cast<unsigned char>(a);
        const uint64_t pb = kOnes * static_cast<unsigned char>(b);
        for (; end_ - p >= 8; p += 8) {
            uint64_t word;
            std::memcpy(&word, p, 8);
            uint64_t xa = word ^ pa, xb = word ^ pb;
            uint64_t hit = ((xa - kOnes) & ~xa & kHighs) | ((xb - kOnes) & ~xb & kHighs);
            // A marked word holds a match; its bytes are then looked at in order.
            if (hit != 0) {
                for (int i = 0; i < 8; ++i)
                    if (p[i] == a || p[i] == b) return p + i;
            }
        }
        for (; p < end_; ++p)
            if (*p == a || *p == b) return p;
        return end_;
    }

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

// Decimal, modulo 2^32: leading blanks, an optional sign, digits up to the
// first non-digit; anything else reads as 0.
inline uint32_t Number(const char* p, const char* end) {
    while (p < end && IsBlank(*p)) ++p;
    bool negative = false;
    if (p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
    uint32_t value = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p)
        value = value * 10u + static_cast<uint32_t>(*p - '0');
    return negative ? 0u - value : value;
}

template <typename Record>
struct Field {
    const char* key;
    size_t size;
    uint32_t Record::*number;
};

#define FIELD(key, type, member) \
    { key, sizeof key - 1, &type::member }
const Field<SnapshotHeader> kHeaderNumbers[] = {
    FIELD("Active", SnapshotHeader, active),         FIELD("Inactive", SnapshotHeader, inactive),
    FIELD("Win32", SnapshotHeader, win32),           FIELD("Driver", SnapshotHeader, driver),
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

std::string MachineText(const ServiceList& list) {
    std::string machine;
    if (const char* name = list.GetMachineName()) {
        machine = name;
        // ASCII is enough: the value is a note for people, never read back.
        for (char& c : machine)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
        Slice trimmed = Trim(Slice{machine.data(), machine.data() + machine.size()});
        machine.assign(trimmed.begin, trimmed.Size());
    }
    return machine.empty() ? "localhost" : machine;
}

const char* TextOrEmpty(const char* text) {
    return text != nullptr ? text : "";
}

bool FormatAll(Out& out, const ServiceList& list, const std::string& machine,
               const std::string& date) {
    if (!out.Room(kSectionRoom + machine.size() + date.size())) return false;
    out.Put("Machine = ");
    out.Put(machine.data(), machine.size());
    out.Put("\r\nDate = ");
    out.Put(date.data(), date.size());
    out.Put("\r\nActive = ");
    out.Number(list.active);
    out.Put("\r\nInactive = ");
    out.Number(list.inactive);
    out.Put("\r\nWin32 = ");
    out.Number(list.win32);
    out.Put("\r\nDriver = ");
    out.Number(list.driver);
    out.Put("\r\nAccessType = ");
    out.Number(list.accessType);
    out.Put("\r\n\r\n");
    for (uint32_t i = 0; i < list.GetCount(); ++i) {
        const ServiceEntry* e = list.EntryAt(i);
        if (e == nullptr) continue;
        const char* name = TextOrEmpty(e->name);
        const char* displayName = TextOrEmpty(e->displayName);
        size_t nameSize = std::strlen(name), displaySize = std::strlen(displayName);
        if (!out.Room(kSectionRoom + nameSize + displaySize)) return false;
        out.Put("[");
        out.Put(name, nameSize);
        out.Put("]\r\nDisplayName = ");
        out.Put(displayName, displaySize);
        out.Put("\r\nServiceType = ");
        out.Number(e->serviceType);
        out.Put("\r\nCurrentState = ");
        out.Number(e->currentState);
        out.Put("\r\nControlsAccepted = ");
        out.Number(e->controlsAccepted);
        out.Put("\r\nWin32ExitCode = ");
        out.Number(e->win32ExitCode);
        out.Put("\r\nServiceSpecificExitCode = ");
        out.Number(e->serviceSpecificExitCode);
        out.Put("\r\nCheckPoint = ");
        out.Number(e->checkPoint);
        out.Put("\r\nWaitHint = ");
        out.Number(e->waitHint);
        out.Put("\r\n\r\n");
    }
    return out.Drain();
}

bool WriteTo(void* file, const char* data, size_t size) {
    // The file layer counts in 32 bits; pieces are far smaller.
    return static_cast<platform::File*>(file)->Write(data, static_cast<uint32_t>(size));
}

}  // namespace

bool SnapshotFile::Write(const ServiceList& list, platform::File& file) {
    fileFailed_ = false;
    if (localeTime_ == nullptr) return false;
    std::string date = localeTime_->FormatDateTime(localeTime_->Now());
    Out out(WriteTo, &file);
    if (!FormatAll(out, list, MachineText(list), date)) {
        fileFailed_ = true;
        return false;
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

    // One walk over the lines gathers what the format reads in two passes
    // (the header keys before the first section and the number of sections,
    // then each section's values), keeping only views into the text until
    // the slots are made. Every section header starts its values afresh, so
    // keys outside a named section (before the first one, or under empty
    // brackets) reach no entry. Empty brackets are not counted: they would
    // leave a slot without an entry.
    struct Section {
        Slice name, displayName;
        platform::ServiceStatus status;
    };
    std::vector<Section> sections;
    Section current{};
    bool inSections = false;
    auto close = [&]() {
        if (current.name.Size() != 0) sections.push_back(current);
        current = Section{};
    };
    try {
        Slice line, name;
        const char* equals;
        for (Lines lines(data, size); lines.Next(&line, &equals);) {
            if (IsSection(line, equals, &name)) {
                close();
                current.name = name;
                inSections = true;
                continue;
            }
            if (equals == nullptr) continue;
            // The line is trimmed already: the key's start and the value's end too.
            Slice key = TrimEnd(Slice{line.begin, equals});
            Slice value = TrimBegin(Slice{equals + 1, line.end});
            if (!inSections) {
                if (key.Is("Date", 4))
                    header_.date.assign(value.begin, value.Size());
                else if (uint32_t* number = NumberFor(kHeaderNumbers, key, &header_))
                    *number = Number(value.begin, value.end);
            } else if (current.name.Size() != 0) {
                if (key.Is("DisplayName", 11))
                    current.displayName = value;
                else if (uint32_t* number = NumberFor(kStatusNumbers, key, &current.status))
                    *number = Number(value.begin, value.end);
            }
        }
        close();
        if (sections.empty() || sections.size() > INT_MAX) return false;
        if (!array.Allocate(static_cast<int>(sections.size()))) return false;

        std::string nameText, displayText;
        for (size_t i = 0; i < sections.size(); ++i) {
            const Section& s = sections[i];
            nameText.assign(s.name.begin, s.name.Size());
            displayText.assign(s.displayName.begin, s.displayName.Size());
            if (!array.SetEntry(static_cast<int>(i), nameText.c_str(), displayText.c_str()))
                return false;
            *StatusOf(array.GetEntry(static_cast<int>(i))) = s.status;
        }
        return true;
    } catch (const std::bad_alloc&) {
        // Out of memory for the text of a file this size: not a snapshot we can use.
        return false;
    }
}
