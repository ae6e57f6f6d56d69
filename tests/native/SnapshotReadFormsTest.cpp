// The reader takes lines in the written form on a quicker way than other
// lines; whichever way a line goes, it must read as the rules say.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "document/SnapshotFile.h"

namespace {

// What one reading gave, comparable as a whole.
struct Reading {
    bool ok = false;
    SnapshotHeader header;
    std::vector<std::string> entries;

    bool operator==(const Reading& o) const {
        return ok == o.ok && header.date == o.header.date && header.active == o.header.active &&
               header.inactive == o.header.inactive && header.win32 == o.header.win32 &&
               header.driver == o.header.driver && header.accessType == o.header.accessType &&
               entries == o.entries;
    }
};

std::ostream& operator<<(std::ostream& out, const Reading& r) {
    out << (r.ok ? "read" : "rejected") << " date=\"" << r.header.date << "\" " << r.header.active
        << "/" << r.header.inactive << "/" << r.header.win32 << "/" << r.header.driver << "/"
        << r.header.accessType;
    for (const std::string& e : r.entries) out << "\n  " << e;
    return out;
}

std::string Describe(const char* name, const char* display, const uint32_t (&numbers)[7]) {
    std::string s = std::string("[") + name + "] \"" + display + "\"";
    for (uint32_t n : numbers) s += " " + std::to_string(n);
    return s;
}

Reading Read(const std::string& text) {
    SnapshotFile reader;
    ServiceEntryArray array;
    Reading r;
    r.ok = reader.Parse(array, text.data(), text.size());
    r.header = reader.GetHeader();
    for (int i = 0; i < array.GetCount(); ++i) {
        const ServiceEntry* e = array.GetEntry(i);
        if (e == nullptr) {
            r.entries.push_back("<empty slot>");
            continue;
        }
        const uint32_t numbers[7] = {e->serviceType,
                                     e->currentState,
                                     e->controlsAccepted,
                                     e->win32ExitCode,
                                     e->serviceSpecificExitCode,
                                     e->checkPoint,
                                     e->waitHint};
        r.entries.push_back(Describe(e->name, e->displayName, numbers));
    }
    return r;
}

const char* const kNumberKeys[] = {
    "ServiceType", "CurrentState", "ControlsAccepted", "Win32ExitCode", "ServiceSpecificExitCode",
    "CheckPoint",  "WaitHint"};

std::string Trimmed(const std::string& s) {
    const char* blanks = " \t\r\n\v\f";
    size_t first = s.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

uint32_t NumberOf(const std::string& value) {
    size_t i = 0;
    bool negative = i < value.size() && value[i] == '-';
    if (i < value.size() && (value[i] == '-' || value[i] == '+')) ++i;
    uint32_t n = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
        n = n * 10 + (value[i] - '0');
    return negative ? 0 - n : n;
}

// The rules read literally, a line at a time, for reference: a NUL ends a
// line's text, empty brackets hide the keys under them.
Reading Reference(const std::string& text) {
    Reading r;
    bool inSections = false, named = false;
    std::string name, display;
    uint32_t numbers[7] = {};
    auto close = [&] {
        if (named) r.entries.push_back(Describe(name.c_str(), display.c_str(), numbers));
        named = false;
        display.clear();
        std::fill(std::begin(numbers), std::end(numbers), 0u);
    };
    for (size_t start = 0; start < text.size();) {
        size_t lineEnd = std::min(text.find('\n', start), text.size());
        std::string line = text.substr(start, lineEnd - start);
        start = lineEnd + 1;
        line = Trimmed(line.substr(0, line.find('\0')));
        size_t equals = line.find('=');
        if (equals == std::string::npos) {
            if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
                close();
                inSections = true;
                name = Trimmed(line.substr(1, line.size() - 2));
                named = !name.empty();
            }
            continue;
        }
        std::string key = Trimmed(line.substr(0, equals)), value = Trimmed(line.substr(equals + 1));
        if (!inSections) {
            if (key == "Date") r.header.date = value;
            if (key == "Active") r.header.active = NumberOf(value);
            if (key == "Inactive") r.header.inactive = NumberOf(value);
            if (key == "Win32") r.header.win32 = NumberOf(value);
            if (key == "Driver") r.header.driver = NumberOf(value);
            if (key == "AccessType") r.header.accessType = NumberOf(value);
        } else if (named) {
            if (key == "DisplayName") display = value;
            for (size_t i = 0; i < 7; ++i)
                if (key == kNumberKeys[i]) numbers[i] = NumberOf(value);
        }
    }
    close();
    r.ok = !r.entries.empty();
    return r;
}

std::string Section(const std::string& name, const std::string& display,
                    const std::vector<std::string>& numbers) {
    std::string s = "[" + name + "]\r\nDisplayName = " + display + "\r\n";
    for (size_t i = 0; i < 7; ++i) s += std::string(kNumberKeys[i]) + " = " + numbers[i] + "\r\n";
    return s + "\r\n";
}

// As this program writes it: CR LF, one section after another.
std::string Written() {
    return "Machine = localhost\r\nDate = 06/12/2026 22:31:11\r\nActive = 1\r\nInactive = 1\r\n"
           "Win32 = 1\r\nDriver = 0\r\nAccessType = 983103\r\n\r\n" +
           Section("Spooler", "Print Spooler", {"16", "4", "3", "0", "4294967295", "0", "2000"}) +
           Section("Dnscache", "", {"32", "1", "0", "1077", "0", "7", "0"}) +
           Section("a", "Servicio = con igual", {"272", "7", "1", "0", "0", "0", "0"}) +
           Section("Last", "L", {"1", "2", "3", "4", "5", "6", "7"});
}

TEST(SnapshotReadFormsTest, TheWrittenFormReadsAsEveryLineTakenByTheRules) {
    std::string text = Written();
    Reading quick = Read(text);
    ASSERT_TRUE(quick.ok);
    ASSERT_EQ(quick.entries.size(), 4u);
    EXPECT_EQ(quick.entries[0], "[Spooler] \"Print Spooler\" 16 4 3 0 4294967295 0 2000");
    EXPECT_EQ(quick.entries[2], "[a] \"Servicio = con igual\" 272 7 1 0 0 0 0");
    EXPECT_EQ(quick, Reference(text));
    // Line feeds alone, and no blank line between sections.
    std::string bare;
    for (char c : text)
        if (c != '\r') bare += c;
    EXPECT_EQ(Read(bare), quick);
    std::string packed = text;
    for (size_t at; (at = packed.find("\r\n\r\n[")) != std::string::npos;) packed.erase(at, 2);
    EXPECT_EQ(Read(packed), quick);
}

// Every small edit anywhere in a written snapshot: a blank, a sign, a digit,
// an "=", a bracket, a line break, a NUL or a letter put in, or a byte taken
// out, or the text cut short there.
TEST(SnapshotReadFormsTest, AnyEditOfTheWrittenFormReadsAsTheRulesSay) {
    const std::string text = Written();
    const std::string inserts[] = {" ", "\t", "\r", "\n", "\r\n", "=",  "[",   "]",
                                   "-", "+",  "0",  "9",  "x",    "\v", {'\0'}};
    int compared = 0;
    for (size_t at = 0; at <= text.size(); ++at) {
        for (const std::string& insert : inserts) {
            std::string edited = text;
            edited.insert(at, insert);
            ASSERT_EQ(Read(edited), Reference(edited))
                << "inserting " << int(insert[0]) << " at " << at << ":\n"
                << edited;
            ++compared;
        }
        if (at < text.size()) {
            std::string edited = text;
            edited.erase(at, 1);
            ASSERT_EQ(Read(edited), Reference(edited)) << "erasing at " << at << ":\n" << edited;
            std::string cut = text.substr(0, at);
            ASSERT_EQ(Read(cut), Reference(cut)) << "cut at " << at;
            compared += 2;
        }
    }
    EXPECT_GT(compared, 1000);
}

TEST(SnapshotReadFormsTest, ValuesOutOfTheWrittenFormInACrLfFile) {
    std::string text = "Date = x\r\n" +
                       Section(" padded ", "  Two  words  \t",
                               {"+16", "-1", "  3 ; comment", "0x10", "", "012", "9"}) +
                       "[dup]\r\nDisplayName = first\r\nServiceType = 1\r\nServiceType = 2\r\n"
                       "DisplayName = second\r\ncurrentstate = 4\r\nWaitHint = 5 = 6\r\n"
                       "CheckPoint\r\n[  ]\r\nDisplayName = hidden\r\nServiceType = 9\r\n" +
                       Section("z", "Z", {"1", "2", "3", "4", "5", "6", "4294967296"});
    Reading r = Read(text);
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.entries.size(), 3u) << r;
    EXPECT_EQ(r.entries[0], "[padded] \"Two  words\" 16 4294967295 3 0 0 12 9");
    EXPECT_EQ(r.entries[1], "[dup] \"second\" 2 0 0 0 0 0 5");
    EXPECT_EQ(r.entries[2], "[z] \"Z\" 1 2 3 4 5 6 0");
    EXPECT_EQ(r, Reference(text));
}

}  // namespace
