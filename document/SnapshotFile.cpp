#include "document/SnapshotFile.h"

#include <climits>
#include <cstddef>
#include <cstring>
#include <new>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Space, tab, CR, LF, vertical tab and form feed, as bits by character code.
constexpr uint64_t kBlanks =
    1ull << ' ' | 1ull << '\t' | 1ull << '\r' | 1ull << '\n' | 1ull << '\v' | 1ull << '\f';

inline bool IsBlank(char c) {
    auto u = static_cast<unsigned char>(c);
    return u <= ' ' && (kBlanks >> u & 1) != 0;
}
// A blank inside a line: any but its end.
inline bool IsInlineBlank(char c) {
    auto u = static_cast<unsigned char>(c);
    return u <= ' ' && ((kBlanks & ~(1ull << '\n')) >> u & 1) != 0;
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

inline uint64_t Load8(const char* p) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    return word;
}

#if defined(__SSE2__)
// Three bytes looked for sixteen at a time.
class Wanted {
public:
    Wanted(char a, char b, char c)
        : a_(_mm_set1_epi8(a)), b_(_mm_set1_epi8(b)), c_(_mm_set1_epi8(c)) {}
    // Bit i is set when byte i from `at` is one of the three.
    uint32_t In16(const char* at) const {
        __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        __m128i match = _mm_or_si128(_mm_cmpeq_epi8(bytes, a_), _mm_cmpeq_epi8(bytes, b_));
        return static_cast<uint32_t>(
            _mm_movemask_epi8(_mm_or_si128(match, _mm_cmpeq_epi8(bytes, c_))));
    }

private:
    __m128i a_, b_, c_;
};
#endif

// The first `a`, `b` or `c` in [p, end), or `end`. Sixteen bytes at a time
// where the processor allows: lines are short, and a call per line to find
// its end would cost more than the line itself.
inline const char* Find(const char* p, const char* end, char a, char b, char c) {
#if defined(__SSE2__)
    Wanted wanted(a, b, c);
    for (; end - p >= 16; p += 16)
        if (uint32_t hit = wanted.In16(p)) return p + __builtin_ctz(hit);
#endif
    for (; p < end; ++p)
        if (*p == a || *p == b || *p == c) return p;
    return end;
}

// Find for a line that most likely ends within 32 bytes: both halves are
// looked at before any branch, so that lines of varying length cost no
// mispredicted branch.
inline const char* FindNear(const char* p, const char* end, char a, char b, char c) {
#if defined(__SSE2__)
    if (end - p >= 32) {
        Wanted wanted(a, b, c);
        if (uint32_t hit = wanted.In16(p) | wanted.In16(p + 16) << 16)
            return p + __builtin_ctz(hit);
        p += 32;
    }
#endif
    return Find(p, end, a, b, c);
}

// Where the line that holds `p` ends, past its LF.
inline const char* LineEnd(const char* p, const char* end) {
    if (end - p >= 2 && p[0] == '\r' && p[1] == '\n') return p + 2;
    p = Find(p, end, '\n', '\n', '\n');
    return p < end ? p + 1 : end;
}

// Whether `p`, which has at least that many bytes, starts with `literal`
// (8 to 32 bytes). Whole words against constants: a key is known before
// its line is looked at.
template <size_t N>
inline bool StartsWith(const char* p, const char (&literal)[N]) {
    constexpr size_t n = N - 1;
    static_assert(n >= 8 && n <= 32, "literal size");
    constexpr size_t second = n > 16 ? 8 : n - 8, third = n > 24 ? 16 : n - 8;
    uint64_t diff = Load8(p) ^ Load8(literal);
    diff |= Load8(p + second) ^ Load8(literal + second);
    diff |= Load8(p + third) ^ Load8(literal + third);
    diff |= Load8(p + n - 8) ^ Load8(literal + n - 8);
    return diff == 0;
}

// One line from `p`: trimmed, cut at a NUL as a C string would be, with its
// first "=" (or null). Returns where the next line starts.
const char* NextLine(const char* p, const char* end, Slice* line, const char** equals) {
    const char* first = nullptr;
    const char* q = Find(p, end, '=', '\n', '\0');
    if (q < end && *q == '=') {
        first = q;
        q = Find(q + 1, end, '\n', '\0', '\0');
    }
    *line = Trim(Slice{p, q});
    *equals = first;
    if (q < end && *q == '\0') q = Find(q, end, '\n', '\n', '\n');
    return q < end ? q + 1 : end;
}

// A line without "=" that starts with "[" and ends with "]"; `name` gets
// the trimmed text between the brackets.
bool IsSection(const Slice& line, const char* equals, Slice* name) {
    if (equals != nullptr || line.Size() < 2 || line.begin[0] != '[' || line.end[-1] != ']')
        return false;
    *name = Trim(Slice{line.begin + 1, line.end - 1});
    return true;
}

// Decimal, modulo 2^32: leading blanks, an optional sign, digits up to the
// first non-digit; anything else reads as 0. Stops within the line, and
// returns where it stopped.
inline const char* Number(const char* p, const char* end, uint32_t* number) {
    auto digit = [](char c) { return static_cast<unsigned>(static_cast<unsigned char>(c)) - '0'; };
    bool negative = false;
    // As written, the digits come at once.
    if (p == end || digit(*p) >= 10u) {
        while (p < end && IsInlineBlank(*p)) ++p;
        if (p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
    }
    uint32_t value = 0;
    for (; p < end && digit(*p) < 10u; ++p) value = value * 10u + digit(*p);
    *number = negative ? 0u - value : value;
    return p;
}

// Number for a value as written: the digits come at once, read here without
// a call; anything else goes to Number.
inline const char* WrittenNumber(const char* p, const char* end, uint32_t* number) {
    uint32_t value = static_cast<unsigned char>(*p) - static_cast<unsigned>('0');
    if (value >= 10u) return Number(p, end, number);
    for (unsigned digit;
         ++p < end && (digit = static_cast<unsigned char>(*p) - static_cast<unsigned>('0')) < 10u;)
        value = value * 10u + digit;
    *number = value;
    return p;
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
int FieldIndex(const Field<Record> (&fields)[N], const Slice& key) {
    for (size_t i = 0; i < N; ++i)
        if (key.Is(fields[i].key, fields[i].size)) return static_cast<int>(i);
    return -1;
}

const char kNoText[] = "";

// Reads a snapshot's text in one walk: what the format describes as two
// passes (the header keys before the first section and the number of
// sections, then each section's values) gives the same result when each
// section's copy is made as the section ends. Every section header starts
// its values afresh, so keys outside a named section (before the first one,
// or under empty brackets) reach no entry. Empty brackets make no copy:
// they would leave a slot without an entry.
//
// A section in the form this program writes is read on a quick path that
// expects its lines in the written order and checks each key as a whole;
// from the first line that differs, and in the last few bytes, lines take
// the general path, which applies the rules literally. Both give the same
// values for the same line.
class SectionReader {
public:
    SectionReader(SnapshotHeader* header, ServiceEntryArray::Builder* copies,
                  SnapshotFile::Gaps* gaps)
        : header_(header), copies_(copies), gaps_(gaps) {}

    // False when out of memory.
    bool Read(const char* data, size_t size) {
        const char* p = data;
        const char* end = data + size;
        while (p != end) {
            if (end - p >= kQuickRoom) {
                if (p[0] == '\r' && p[1] == '\n') {
                    p += 2;
                    continue;
                }
                if (p[0] == '[') {
                    const char* next = QuickSection(p, end);
                    if (next == nullptr) return false;
                    if (next != p) {
                        p = next;
                        continue;
                    }
                }
            }
            Slice line, name;
            const char* equals;
            p = NextLine(p, end, &line, &equals);
            if (IsSection(line, equals, &name)) {
                if (!Open(name)) return false;
            } else if (equals != nullptr) {
                // The line is trimmed already: the key's start and the value's end too.
                Value(TrimEnd(Slice{line.begin, equals}), TrimBegin(Slice{equals + 1, line.end}));
            }
        }
        return Close();
    }

private:
    // The longest look ahead of the quick path: a line end and the longest
    // key with its " = ", or a line's first 32 bytes.
    static constexpr ptrdiff_t kQuickRoom = 64;

    // A section from its header line at `p`, as far as its lines are in the
    // written form. Returns where the general path goes on: `p` itself when
    // the header is not in that form, null when out of memory.
    const char* QuickSection(const char* p, const char* end) {
        // A section header unless an "=" comes before the line's end. A NUL
        // would cut the line short: such lines go the general way.
        const char* q = FindNear(p + 1, end, '\n', '=', '\0');
        if (q != end && *q != '\n') return p;
        const char* last = q;
        while (IsBlank(last[-1])) --last;
        if (last - p < 2 || last[-1] != ']') return p;
        if (!Open(Trim(Slice{p + 1, last - 1}))) return nullptr;
        if (q == end) return end;
        p = q + 1;
        if (!named_ || end - p < kQuickRoom || !StartsWith(p, "DisplayName = ")) return p;
        const char* value = p + 14;
        while (value < end && IsInlineBlank(*value)) ++value;
        q = FindNear(value, end, '\n', '\0', '\0');
        if (q != end && *q != '\n') return p;
        displayName_ = TrimEnd(Slice{value, q});
        if (q == end) return end;
        p = q + 1;
        if (end - p < kQuickRoom || !StartsWith(p, "ServiceType = ")) return p;
        p = WrittenNumber(p + 14, end, &status_.serviceType);
        found_ = 1;
        // Each further key is checked together with the line end before it.
#define QUICK_NUMBER(literal, member, bit)                                       \
    if (end - p < kQuickRoom || !StartsWith(p, literal)) return LineEnd(p, end); \
    p = WrittenNumber(p + sizeof literal - 1, end, &status_.member);             \
    found_ |= 1u << bit;
        QUICK_NUMBER("\r\nCurrentState = ", currentState, 1)
        QUICK_NUMBER("\r\nControlsAccepted = ", controlsAccepted, 2)
        QUICK_NUMBER("\r\nWin32ExitCode = ", win32ExitCode, 3)
        QUICK_NUMBER("\r\nServiceSpecificExitCode = ", serviceSpecificExitCode, 4)
        QUICK_NUMBER("\r\nCheckPoint = ", checkPoint, 5)
        QUICK_NUMBER("\r\nWaitHint = ", waitHint, 6)
#undef QUICK_NUMBER
        return LineEnd(p, end);
    }

    void Value(const Slice& key, const Slice& value) {
        if (!inSections_) {
            if (key.Is("Date", 4)) {
                header_->date.assign(value.begin, value.Size());
            } else {
                int i = FieldIndex(kHeaderNumbers, key);
                if (i >= 0) Number(value.begin, value.end, &(header_->*kHeaderNumbers[i].number));
            }
        } else if (named_) {
            if (key.Is("DisplayName", 11)) {
                displayName_ = value;
            } else {
                int i = FieldIndex(kStatusNumbers, key);
                if (i < 0) return;
                Number(value.begin, value.end, &(status_.*kStatusNumbers[i].number));
                found_ |= 1u << i;
            }
        }
    }

    bool Open(const Slice& name) {
        if (!Close()) return false;
        inSections_ = true;
        name_ = name;
        named_ = name.Size() != 0;
        return true;
    }

    // Ends the current section: a copy when it has a name.
    bool Close() {
        if (named_ && !copies_->Add(name_.begin, name_.Size(), displayName_.begin,
                                    displayName_.Size(), status_))
            return false;
        if (named_ && found_ != kAllNumbers && gaps_->count++ == 0)
            gaps_->first.assign(name_.begin, name_.Size());
        found_ = 0;
        named_ = false;
        displayName_ = Slice{kNoText, kNoText};
        status_ = platform::ServiceStatus{};
        return true;
    }

    static constexpr unsigned kAllNumbers = (1u << 7) - 1;

    SnapshotHeader* header_;
    ServiceEntryArray::Builder* copies_;
    SnapshotFile::Gaps* gaps_;
    unsigned found_ = 0;  // the numbers the section gave, a bit each
    bool inSections_ = false;
    bool named_ = false;
    Slice name_{kNoText, kNoText};
    Slice displayName_{kNoText, kNoText};
    platform::ServiceStatus status_{};
};

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
    header_ = SnapshotHeader();
    std::string text;
    try {
        uint64_t size = file.Size();
        if (size < (uint64_t{1} << 31)) text.reserve(static_cast<size_t>(size));
        if (!platform::ReadToEnd(file, &text)) {
            fileFailed_ = true;
            array.Clear();
            return false;
        }
    } catch (const std::bad_alloc&) {
        // A file too big to hold cannot be a snapshot this program wrote.
        array.Clear();
        return false;
    }
    return Parse(array, text.data(), text.size());
}

bool SnapshotFile::Parse(ServiceEntryArray& array, const char* data, size_t size) {
    header_ = SnapshotHeader();
    gaps_ = Gaps();
    // Room for every section of a text in the written form (160 bytes or more
    // each), taken before the old copies go: a large allocation between
    // freeing them and making the new ones would keep the allocator from
    // handing their memory straight back.
    ServiceEntryArray::Builder copies;
    if (size / 128 < INT_MAX) copies.Reserve(static_cast<int>(size / 128) + 1);
    array.Clear();
    bool read;
    try {
        read = SectionReader(&header_, &copies, &gaps_).Read(data, size);
    } catch (const std::bad_alloc&) {
        // Out of memory for the date text: not a snapshot we can use.
        read = false;
    }
    if (read && array.Take(copies)) return true;
    array.Clear();
    return false;
}
