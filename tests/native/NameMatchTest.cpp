#include <gtest/gtest.h>

#include "scm/NameMatch.h"
#include "scm/ServiceList.h"
#include "tests/fakes/FakeScm.h"

namespace {

TEST(NameMatchTest, OnlyPlainNamesThatFoldApartAreKnownToDiffer) {
    struct Case {
        const char* a;
        const char* b;
        bool known;
    } cases[] = {
        {"alpha", "beta", true},   {"ab", "abc", true},      {"", "a", true},
        {"Alpha", "ALPHA", false},  // equal for the platform
        {"same", "same", false},    {"", "", false},
        {"ab", "ab\xE9", false},    // a letter of the code page: only the platform knows
        {"\xC9t\xE9", "\xE9T\xC9", false},
        {"a-b", "ab", false},       // word sorting weighs hyphens and apostrophes its own way
        {"x'y", "xy", false},       {"co-op", "coop", false},
        {"abc", "abd\xE9", false},  // stops at the first byte it cannot judge
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KnownDifferent(c.a, c.b), c.known) << c.a << " / " << c.b;
        EXPECT_EQ(KnownDifferent(c.b, c.a), c.known) << c.b << " / " << c.a;
    }
}

// A platform whose comparison is looser than ASCII folding beyond ASCII.
class LooseScm : public fake::Scm {
public:
    int calls = 0;
    int lstrcmpiA(const char* a, const char* b) override {
        ++calls;
        if (std::string(a) == "stra\xDF" "e" && std::string(b) == "strasse") return 0;
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
    EXPECT_EQ(list.FindIndex("stra\xDF" "e"), 50);  // not plain: every name goes to the platform
    EXPECT_EQ(list.FindIndex("nothing"), -1);
}

}  // namespace
