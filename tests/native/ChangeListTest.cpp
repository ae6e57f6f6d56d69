#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <tuple>
#include <vector>

#include "document/ChangeList.h"
#include "document/SnapshotFile.h"
#include "tests/fakes/FakeFiles.h"
#include "tests/fakes/FakeScm.h"

namespace pf = platform::file;
namespace sc = platform::scm;

namespace {

using Record = std::tuple<std::string, std::string, int32_t, uint32_t, uint32_t>;

std::vector<Record> Records(const ChangeList& changes) {
    std::vector<Record> out;
    for (int i = 0; i < changes.GetCount(); ++i) {
        const ServiceChange* c = changes.GetChange(i);
        out.emplace_back(c->name, c->displayName, c->kind, c->oldState, c->newState);
    }
    EXPECT_EQ(changes.GetChange(changes.GetCount()), nullptr);
    // What a list view gives for "no row selected".
    EXPECT_EQ(changes.GetChange(-1), nullptr);
    return out;
}

class ChangeListTest : public ::testing::Test {
protected:
    // Enumerates the fake machine into one of the two lists.
    void Snap(ServiceList& list) { ASSERT_TRUE(list.Enumerate()); }
    bool Compare() { return changes.Compare(newList, oldList); }
    bool CompareWithText(const std::string& text) {
        fs.Put("C:\\s.rpt", text);
        auto file =
            fs.CreateFileA("C:\\s.rpt", pf::kGenericRead, pf::kShareRead, pf::kOpenExisting);
        return changes.CompareWithSnapshot(newList, *file);
    }

    fake::Scm scm;
    fake::FileSystem fs;
    fake::LocaleTime time;
    ServiceList oldList{scm}, newList{scm};
    ChangeList changes{scm};
};

TEST_F(ChangeListTest, IdenticalSetsGiveNoRecords) {
    scm.Add("a", "A", sc::kRunning);
    scm.Add("b", "B");
    Snap(oldList);
    Snap(newList);
    EXPECT_TRUE(Compare());
    EXPECT_EQ(changes.GetCount(), 0);
    EXPECT_EQ(changes.GetChange(0), nullptr);
    EXPECT_EQ(changes.GetLastError(), kChangeErrNone);
}

TEST_F(ChangeListTest, FlagsFollowTheFieldsThatDifferAndTheCompareType) {
    scm.Add("svc", "Service", sc::kRunning);
    scm.Add("quiet", "Quiet", sc::kRunning);
    scm.Add("named", "Named");
    Snap(oldList);
    scm.Get("svc")->status = {sc::kTypeWin32OwnProcess, sc::kStopped, 0, 0, 0, 0, 0};
    scm.Get("quiet")->status.checkPoint = 3;
    scm.Get("named")->displayName = "NAMED";
    Snap(newList);

    EXPECT_EQ(changes.GetCompareType(), 1u);
    ASSERT_TRUE(Compare());
    EXPECT_EQ(Records(changes),
              (std::vector<Record>{
                  {"named", "NAMED", DisplayNameChanged, 1, 1},
                  {"svc", "Service", StateChanged | ControlsAcceptedChanged, 4, 1},
              }));

    changes.SetCompareType(0);
    ASSERT_TRUE(Compare());
    EXPECT_EQ(Records(changes),
              (std::vector<Record>{
                  {"named", "NAMED", DisplayNameChanged, 1, 1},
                  {"quiet", "Quiet", CheckPointChanged, 4, 4},
                  {"svc", "Service", StateChanged | ControlsAcceptedChanged, 4, 1},
              }));

    scm.Get("quiet")->status = {sc::kTypeWin32ShareProcess, 4, 3, 1, 2, 0, 5};
    Snap(newList);
    ASSERT_TRUE(Compare());
    EXPECT_EQ(std::get<2>(Records(changes)[1]),
              TypeChanged | Win32ExitCodeChanged | SpecificExitCodeChanged | WaitHintChanged);
}

TEST_F(ChangeListTest, NewServicesComeFirstThenOldSetChangesBothInReverseOrder) {
    scm.Add("alpha", "Alpha", sc::kRunning);
    scm.Add("beta", "Beta", sc::kRunning);
    scm.Add("gone1", "Gone 1", sc::kRunning);
    scm.Add("gone2", "Gone 2");
    Snap(oldList);
    scm.Get("beta")->status.currentState = sc::kStopped;
    scm.Remove("gone1");
    scm.Remove("gone2");
    scm.Add("gamma", "Gamma", sc::kRunning);
    scm.Add("delta", "Delta");
    Snap(newList);

    ASSERT_TRUE(Compare());
    EXPECT_EQ(Records(changes), (std::vector<Record>{
                                    {"delta", "Delta", NewService, 1, 1},
                                    {"gamma", "Gamma", NewService, 1, 4},
                                    {"gone2", "Gone 2", DeletedService, 1, 1},
                                    {"gone1", "Gone 1", DeletedService, 4, 1},
                                    {"beta", "Beta", StateChanged, 4, 1},
                                }));
    // Asked for out of order, the records are still the right ones.
    EXPECT_STREQ(changes.GetChange(3)->name, "gone1");
    EXPECT_STREQ(changes.GetChange(1)->name, "gamma");
    EXPECT_STREQ(changes.GetChange(4)->name, "beta");
    EXPECT_STREQ(changes.GetChange(0)->name, "delta");
}

TEST_F(ChangeListTest, NamesMatchIgnoringCaseOfTheCodePageAndTheFirstOfRepeatedNames) {
    scm.Add("\xC9t\xE9", "Summer", sc::kRunning);  // Latin-1 capital and small e-acute
    scm.Add("Spooler", "Old", sc::kRunning);
    Snap(oldList);
    scm.Remove("\xC9t\xE9");
    scm.Remove("Spooler");
    scm.Add("\xE9T\xC9", "Summer", sc::kRunning);
    scm.Add("SPOOLER", "First", sc::kRunning);
    scm.Add("spooler", "Second", sc::kRunning);
    Snap(newList);

    ASSERT_TRUE(Compare());
    // Old "Spooler" pairs with the first of the two; the second has a match
    // in the old set too, so it is not new.
    EXPECT_EQ(Records(changes), (std::vector<Record>{
                                    {"SPOOLER", "First", DisplayNameChanged, 4, 4},
                                }));
}

TEST_F(ChangeListTest, AFailedComparisonKeepsThePreviousRecords) {
    scm.Add("a", "A", sc::kRunning);
    Snap(oldList);
    scm.Get("a")->status.currentState = sc::kStopped;
    Snap(newList);
    ASSERT_TRUE(Compare());
    ASSERT_EQ(changes.GetCount(), 1);

    ServiceList empty{scm};
    EXPECT_FALSE(changes.Compare(empty, oldList));  // never enumerated
    EXPECT_EQ(changes.GetLastError(), kChangeErrLoad);
    EXPECT_FALSE(changes.Compare(newList, empty));
    EXPECT_EQ(changes.GetLastError(), kChangeErrLoad);
    newList.active = 0;
    newList.inactive = 1;
    scm.Get("a")->status.currentState = sc::kRunning;
    Snap(newList);  // enumerates no services
    EXPECT_FALSE(Compare());
    EXPECT_EQ(changes.GetLastError(), kChangeErrLoad);
    EXPECT_EQ(Records(changes), (std::vector<Record>{{"a", "A", StateChanged, 4, 1}}));

    changes.Clear();
    EXPECT_EQ(changes.GetCount(), 0);
    EXPECT_EQ(changes.GetChange(0), nullptr);
}

TEST_F(ChangeListTest, SnapshotIsTheOldSideWhenItsOptionsMatchTheList) {
    scm.Add("keep", "Keep", sc::kRunning);
    scm.Add("gone", "Gone", sc::kRunning);
    scm.AddMachine("other");
    oldList.SetMachineName("other");
    Snap(oldList);
    auto out = fs.CreateFileA("C:\\s.rpt", pf::kGenericWrite, 0, pf::kCreateAlways);
    ASSERT_TRUE(SnapshotFile(time).Write(oldList, *out));
    out.reset();
    std::string snapshot = fs.Get("C:\\s.rpt");

    scm.Remove("gone");
    scm.Get("keep")->status.currentState = sc::kStopped;
    Snap(newList);  // local machine: the machine is not compared
    changes.SetCompareType(0);
    ASSERT_TRUE(CompareWithText(snapshot));
    EXPECT_EQ(changes.GetSnapshotDate(), "06/12/2026 22:31:11");
    EXPECT_EQ(changes.GetCompareType(), 0u);
    EXPECT_EQ(Records(changes), (std::vector<Record>{
                                    {"gone", "Gone", DeletedService, 4, 1},
                                    {"keep", "Keep", StateChanged, 4, 1},
                                }));

    // Taken with drivers, compared with a list without them: refused, and
    // the records and the date stay.
    std::string withDrivers = snapshot;
    withDrivers.replace(withDrivers.find("Driver = 0"), 10, "Driver = 1");
    withDrivers.replace(withDrivers.find("Date = "), 7, "Date = x");
    EXPECT_FALSE(CompareWithText(withDrivers));
    EXPECT_EQ(changes.GetLastError(), kChangeErrOptions);
    EXPECT_EQ(changes.GetCount(), 2);
    EXPECT_EQ(changes.GetSnapshotDate(), "06/12/2026 22:31:11");
    std::string otherAccess = snapshot;
    otherAccess.replace(otherAccess.find("983103"), 6, "983104");
    EXPECT_FALSE(CompareWithText(otherAccess));
    EXPECT_EQ(changes.GetLastError(), kChangeErrOptions);

    // Unreadable content, an unreadable file, an empty list: a side failed.
    EXPECT_FALSE(CompareWithText("Active = 1\n"));
    EXPECT_EQ(changes.GetLastError(), kChangeErrLoad);
    EXPECT_FALSE(changes.FileFailed());
    fs.failReads = true;
    EXPECT_FALSE(CompareWithText(snapshot));
    EXPECT_EQ(changes.GetLastError(), kChangeErrLoad);
    EXPECT_TRUE(changes.FileFailed());
    fs.failReads = false;
    newList.Release();
    EXPECT_FALSE(CompareWithText(snapshot));
    EXPECT_EQ(changes.GetLastError(), kChangeErrLoad);
    EXPECT_EQ(changes.GetCount(), 2);
}

// A platform comparison that is neither plain folding nor an equivalence on
// bytes: Latin-1 folding, sharp s equal to "ss", byte 1 ignored, and a
// capital I that is not the small i (as in a Turkish locale).
class LinguisticScm : public fake::Scm {
public:
    static std::string Key(const char* s) {
        std::string key;
        for (; *s; ++s) {
            unsigned char c = static_cast<unsigned char>(*s);
            if (c == 1) continue;
            if (c == 0xDF)
                key += "ss";
            else if (c == 'I')
                key += '\xFD';
            else if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
                key += static_cast<char>(c + 32);
            else
                key += static_cast<char>(c);
        }
        return key;
    }
    int lstrcmpiA(const char* a, const char* b) override { return Key(a).compare(Key(b)); }
};

// Word sorting as it may be: hyphens and apostrophes weigh nothing, the
// soft hyphen and control characters are ignored, and letters fold as in
// Latin-1.
class WordSortScm : public fake::Scm {
public:
    static std::string Key(const char* s) {
        std::string key;
        for (; *s; ++s) {
            unsigned char c = static_cast<unsigned char>(*s);
            if (c == '-' || c == '\'' || c == 0xAD || c < 0x20) continue;
            bool upper = (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
            key += static_cast<char>(upper ? c + 32 : c);
        }
        return key;
    }
    int lstrcmpiA(const char* a, const char* b) override { return Key(a).compare(Key(b)); }
};

// The matching rule written as plainly as possible: nested scans.
std::vector<Record> NestedDiff(platform::ScmApi& api, const ServiceEntryArray& n,
                               const ServiceEntryArray& o, uint32_t compareType) {
    std::vector<Record> added;
    for (int j = 0; j < o.GetCount(); ++j) {
        const ServiceEntry* oe = o.GetEntry(j);
        const ServiceEntry* ne = nullptr;
        for (int i = 0; i < n.GetCount() && ne == nullptr; ++i)
            if (api.lstrcmpiA(n.GetEntry(i)->name, oe->name) == 0) ne = n.GetEntry(i);
        if (ne == nullptr) {
            added.emplace_back(oe->name, oe->displayName, DeletedService, oe->currentState, 1);
            continue;
        }
        int32_t kind = (std::string(oe->displayName) != ne->displayName ? 4 : 0) |
                       (oe->serviceType != ne->serviceType ? 8 : 0) |
                       (oe->currentState != ne->currentState ? 16 : 0) |
                       (oe->controlsAccepted != ne->controlsAccepted ? 32 : 0);
        if (compareType == 0)
            kind |= (oe->win32ExitCode != ne->win32ExitCode ? 64 : 0) |
                    (oe->serviceSpecificExitCode != ne->serviceSpecificExitCode ? 128 : 0) |
                    (oe->checkPoint != ne->checkPoint ? 256 : 0) |
                    (oe->waitHint != ne->waitHint ? 512 : 0);
        if (kind != 0)
            added.emplace_back(ne->name, ne->displayName, kind, oe->currentState, ne->currentState);
    }
    for (int i = 0; i < n.GetCount(); ++i) {
        bool found = false;
        for (int j = 0; j < o.GetCount() && !found; ++j)
            found = api.lstrcmpiA(n.GetEntry(i)->name, o.GetEntry(j)->name) == 0;
        if (!found)
            added.emplace_back(n.GetEntry(i)->name, n.GetEntry(i)->displayName, NewService, 1,
                               n.GetEntry(i)->currentState);
    }
    return std::vector<Record>(added.rbegin(), added.rend());
}

void RandomSet(std::mt19937& rng, ServiceEntryArray& set, int count) {
    static const char* const pieces[] = {"a",   "A",    "s",    "S",  "ss", "\xDF", "i",
                                         "I",   "\xE9", "\xC9", "-",  "'",  "\x01", " x",
                                         "Svc", "SVC",  "--",   "-S", "'s", "\xAD"};
    if (count == 0) {
        set.Clear();
        return;
    }
    ASSERT_TRUE(set.Allocate(count));
    for (int i = 0; i < count; ++i) {
        std::string name;
        for (int k = 1 + static_cast<int>(rng() % 3); k > 0; --k) name += pieces[rng() % 20];
        ASSERT_TRUE(set.SetEntry(i, name.c_str(), rng() % 4 ? "D" : "d"));
        ServiceEntry* e = set.GetEntry(i);
        e->serviceType = rng() % 2 ? 0x10 : 0x20;
        e->currentState = 1 + rng() % 4;
        e->controlsAccepted = rng() % 2;
        e->win32ExitCode = rng() % 2;
        e->checkPoint = rng() % 2;
        e->waitHint = rng() % 2;
    }
}

TEST(ChangeListDiffTest, MatchesTheNestedScanForAnyPlatformComparison) {
    fake::Scm latin1;
    LinguisticScm linguistic;
    WordSortScm wordSort;
    std::mt19937 rng(20261207);
    for (platform::ScmApi* api :
         {static_cast<platform::ScmApi*>(&latin1), static_cast<platform::ScmApi*>(&linguistic),
          static_cast<platform::ScmApi*>(&wordSort)}) {
        ChangeList changes{*api};
        for (int round = 0; round < 400; ++round) {
            ServiceEntryArray n, o;
            RandomSet(rng, n, static_cast<int>(rng() % 40));
            RandomSet(rng, o, static_cast<int>(rng() % 40));
            uint32_t compareType = rng() % 2;
            changes.SetCompareType(compareType);
            changes.Diff(n, o);
            ASSERT_EQ(Records(changes), NestedDiff(*api, n, o, compareType)) << "round " << round;
        }
    }
}

// With one name in ten holding a hyphen or an apostrophe, each name is
// still confirmed by the platform about once, not compared with all the
// others: the diff stays linear.
TEST(ChangeListDiffTest, NamesWithHyphensAndApostrophesAreMatchedWithoutScanning) {
    class CountingScm : public fake::Scm {
    public:
        long calls = 0;
        int lstrcmpiA(const char* a, const char* b) override {
            ++calls;
            return fake::Scm::lstrcmpiA(a, b);
        }
    } scm;
    const int n = 2000;
    auto name = [](int i) {
        std::string stem = i % 10 == 0 ? "Net-Svc" : i % 10 == 5 ? "O'Brien" : "Svc";
        return stem + std::to_string(i);
    };
    ServiceEntryArray o, nw;
    ASSERT_TRUE(o.Allocate(n));
    ASSERT_TRUE(nw.Allocate(n));
    for (int i = 0; i < n; ++i) {
        ASSERT_TRUE(o.SetEntry(i, name(i).c_str(), "D"));
        std::string upper = name(n - 1 - i);
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        ASSERT_TRUE(nw.SetEntry(i, upper.c_str(), "D"));
    }
    nw.GetEntry(9)->currentState = sc::kRunning;  // NET-SVC1990
    ChangeList changes{scm};
    changes.Diff(nw, o);
    ASSERT_EQ(changes.GetCount(), 1);
    EXPECT_EQ(std::string(changes.GetChange(0)->name), "NET-SVC1990");
    EXPECT_LE(scm.calls, 2 * n);
}

}  // namespace
