#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "scm/NameMatch.h"
#include "scm/ServiceList.h"
#include "tests/fakes/FakeScm.h"

namespace {

TEST(NameMatchTest, OnlyPrintableAsciiNamesOfDifferentKeysAreKnownToDiffer) {
    struct Case {
        const char* a;
        const char* b;
        bool known;
    } cases[] = {
        {"alpha", "beta", true},
        {"ab", "abc", true},
        {"", "a", true},
        {"Alpha", "ALPHA", false},  // equal for the platform
        {"same", "same", false},
        {"", "", false},
        {"ab", "ab\xE9", false},  // a letter of the code page: only the platform knows
        {"\xC9t\xE9", "\xE9T\xC9", false},
        // Word sorting may ignore hyphens and apostrophes, and nothing else of ASCII.
        {"a-b", "ab", false},
        {"x'y", "xy", false},
        {"co-op", "CO'OP", false},
        {"-", "", false},
        {"co-op", "cop", true},
        {"a-b", "a b", true},
        {"it's", "its-", false},
        {"a'b", "a_b", true},
        {"a-b",
         "a\xAD"
         "b",
         false},  // the soft hyphen is not plain
        {"ab",
         "a\x01"
         "b",
         false},                    // nor is a control character
        {"abc", "abd\xE9", false},  // one name not plain: the platform decides
        {"ab\xE9", "abc", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KnownDifferent(c.a, c.b), c.known) << c.a << " / " << c.b;
        EXPECT_EQ(KnownDifferent(c.b, c.a), c.known) << c.b << " / " << c.a;
        uint32_t ha, hb;
        if (PlainHash(c.a, &ha) && PlainHash(c.b, &hb)) {
            // Names the platform may call equal share their key and hash.
            EXPECT_EQ(KeyEqual(c.a, c.b), !c.known) << c.a << " / " << c.b;
            if (!c.known) {
                EXPECT_EQ(ha, hb) << c.a << " / " << c.b;
            }
        }
    }
    uint32_t h;
    EXPECT_FALSE(PlainHash("a\xADz", &h));
    EXPECT_FALSE(PlainHash("tab\there", &h));
}

// A platform whose comparison is looser than ASCII folding beyond ASCII.
class LooseScm : public fake::Scm {
public:
    int calls = 0;
    int lstrcmpiA(const char* a, const char* b) override {
        ++calls;
        const std::string sharp =
            "stra\xDF"
            "e";
        if ((a == sharp && std::string(b) == "strasse") ||
            (b == sharp && std::string(a) == "strasse"))
            return 0;
        return fake::Scm::lstrcmpiA(a, b);
    }
};

TEST(NameMatchTest, LookupAsksThePlatformOnlyWhereItsAnswerIsNotKnown) {
    LooseScm scm;
    for (int i = 0; i < 50; ++i) scm.Add("svc" + std::to_string(i), "Service");
    scm.Add("strasse", "Street");
    scm.Add("Target", "Target");
    ServiceList list{scm};
    ASSERT_TRUE(list.Enumerate());
    scm.calls = 0;
    EXPECT_EQ(list.FindIndex("TARGET"), 51);
    EXPECT_EQ(scm.calls, 1);
    EXPECT_EQ(list.FindIndex("stra\xDF"
                             "e"),
              50);  // not plain: every name goes to the platform
    EXPECT_EQ(list.FindIndex("nothing"), -1);
}

// Over a long list the names are looked up rather than compared one by
// one: the answers stay the comparison's, first match first, and follow the
// list when it is read again.
TEST(NameMatchTest, ALongListLooksNamesUpAndAnswersAsTheComparisonDoes) {
    LooseScm scm;
    for (int i = 0; i < 300; ++i) {
        scm.Add("svc" + std::to_string(i), "Service");
        if (i == 149)  // one the platform alone calls equal to "strasse"
            scm.Add(
                "stra\xDF"
                "e",
                "Sharp");
    }
    scm.Add("strasse", "Street");
    scm.Add("web-cache", "Hyphen");  // the same key as "webcache": the platform decides
    scm.Add("webcache", "Plain");
    ServiceList list{scm};
    ASSERT_TRUE(list.Enumerate());
    for (uint32_t i = 0; i < list.GetCount(); ++i) {
        std::string upper = list.EntryAt(i)->name;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        ASSERT_EQ(list.IndexOf(upper.c_str()), static_cast<int>(i)) << upper;
    }
    // Plain or not, a name finds the first the platform calls equal.
    EXPECT_EQ(list.IndexOf("strasse"), 150);
    EXPECT_EQ(list.IndexOf("stra\xDF"
                           "e"),
              150);
    EXPECT_EQ(list.IndexOf("nothing"), -1);
    EXPECT_EQ(list.IndexOf("caf\xE9"), -1);
    scm.calls = 0;
    EXPECT_EQ(list.IndexOf("SVC120"), 120);
    EXPECT_EQ(scm.calls, 1) << "one candidate asked, not every name";

    scm.Remove("svc0");
    ASSERT_TRUE(list.Enumerate());
    EXPECT_EQ(list.IndexOf("svc0"), -1);
    EXPECT_EQ(list.IndexOf("webcache"), 302);
    EXPECT_EQ(list.IndexOf("svc1"), 0);
}

}  // namespace
