#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "scm/ServiceEntryArray.h"
#include "scm/ServiceList.h"
#include "tests/fakes/FakeScm.h"

namespace sc = platform::scm;

namespace {

TEST(ServiceEntryArrayTest, SlotsExistOnlyAfterAPositiveAllocation) {
    ServiceEntryArray array;
    EXPECT_FALSE(array.SetEntry(0, "a", "b"));
    EXPECT_FALSE(array.Allocate(0));
    EXPECT_FALSE(array.Allocate(-1));
    EXPECT_EQ(array.GetCount(), 0);
    ASSERT_TRUE(array.Allocate(2));
    EXPECT_EQ(array.GetCount(), 2);
    EXPECT_EQ(array.GetEntry(0), nullptr);
    EXPECT_FALSE(array.SetEntry(2, "a", "b"));
    EXPECT_FALSE(array.SetEntry(-1, "a", "b"));
    EXPECT_EQ(array.GetEntry(2), nullptr);
    EXPECT_EQ(array.GetEntry(-1), nullptr);
}

TEST(ServiceEntryArrayTest, EachCopyIsOneBlockWithBothTextsBehindTheNumbers) {
    ServiceEntryArray array;
    ASSERT_TRUE(array.Allocate(1));
    std::string name = "Spooler", display = "Print Spooler";
    ServiceEntry source{&name[0], &display[0], 0x10, 4, 1, 0, 0, 0, 0};
    ASSERT_TRUE(array.SetEntry(0, source));
    name[0] = 'X';
    const ServiceEntry* copy = array.GetEntry(0);
    EXPECT_STREQ(copy->name, "Spooler");
    EXPECT_STREQ(copy->displayName, "Print Spooler");
    EXPECT_EQ(copy->name, reinterpret_cast<const char*>(copy + 1));
    EXPECT_EQ(copy->displayName, copy->name + 8);
    EXPECT_EQ(copy->currentState, 4u);
    EXPECT_EQ(copy->controlsAccepted, 1u);
    // Refilling a slot replaces the copy; the numbers then belong to the caller.
    ASSERT_TRUE(array.SetEntry(0, "Other", nullptr));
    EXPECT_STREQ(array.GetEntry(0)->displayName, "");
    EXPECT_EQ(array.GetEntry(0)->currentState, 0u);
}

TEST(ServiceEntryArrayTest, CopyFromTakesEveryEntryInOrderAndRefusesAnEmptyList) {
    fake::Scm scm;
    ServiceList list{scm};
    ServiceEntryArray array;
    EXPECT_FALSE(array.CopyFrom(list));  // closed

    scm.Add("b", "B", sc::kRunning);
    scm.Add("a", "A", sc::kStopped);
    ASSERT_TRUE(list.Enumerate());
    ASSERT_TRUE(array.CopyFrom(list));
    ASSERT_EQ(array.GetCount(), 2);
    EXPECT_STREQ(array.GetEntry(0)->name, "b");
    EXPECT_STREQ(array.GetEntry(1)->name, "a");
    EXPECT_EQ(array.GetEntry(0)->currentState, sc::kRunning);
    EXPECT_NE(array.GetEntry(0)->name, list.EntryAt(0)->name);

    list.active = 0;
    list.inactive = 1;
    scm.Remove("a");
    ASSERT_TRUE(list.Enumerate());
    ASSERT_EQ(list.GetCount(), 0u);
    EXPECT_FALSE(array.CopyFrom(list));
    EXPECT_EQ(array.GetCount(), 0);
}

TEST(ServiceEntryArrayTest, ABuilderHandsOverItsCopiesInOrderAndOnlyWhenItHasSome) {
    ServiceEntryArray array;
    ASSERT_TRUE(array.Allocate(3));
    ASSERT_TRUE(array.SetEntry(0, "old", "Old"));
    {
        ServiceEntryArray::Builder empty;
        EXPECT_FALSE(array.Take(empty));
        EXPECT_EQ(array.GetCount(), 0);  // cleared all the same
    }

    // Texts are taken by size from inside longer text, as the reader has them.
    const char text[] = "[Spooler]DisplayName = Print Spooler\r\n";
    ServiceEntryArray::Builder builder;
    ASSERT_TRUE(builder.Reserve(1));  // grows past what was reserved
    for (uint32_t i = 0; i < 100; ++i) {
        platform::ServiceStatus status{0x10, i, 0, 0, 0, 0, i * 2};
        ASSERT_TRUE(builder.Add(i % 2 ? text + 1 : "", i % 2 ? 7 : 0, text + 23, 13, status));
    }
    ASSERT_EQ(builder.GetCount(), 100);
    ASSERT_TRUE(array.Take(builder));
    EXPECT_EQ(builder.GetCount(), 0);
    ASSERT_EQ(array.GetCount(), 100);
    for (int i = 0; i < 100; ++i) {
        const ServiceEntry* e = array.GetEntry(i);
        ASSERT_NE(e, nullptr);
        EXPECT_STREQ(e->name, i % 2 ? "Spooler" : "");
        EXPECT_STREQ(e->displayName, "Print Spooler");
        EXPECT_EQ(e->name, reinterpret_cast<const char*>(e + 1));
        EXPECT_EQ(e->displayName, e->name + std::strlen(e->name) + 1);
        EXPECT_EQ(e->currentState, static_cast<uint32_t>(i));
        EXPECT_EQ(e->waitHint, static_cast<uint32_t>(i * 2));
    }
    // A refilled slot of a taken array is freed like any other.
    EXPECT_TRUE(array.SetEntry(99, "x", "y"));
    EXPECT_FALSE(array.SetEntry(100, "x", "y"));

    // Copies never handed over go with the builder.
    ServiceEntryArray::Builder abandoned;
    EXPECT_TRUE(abandoned.Add("a", 1, "b", 1, platform::ServiceStatus{}));
}

// Copies share blocks of memory: each must stay whole and aligned for its
// pointers wherever it falls, one larger than any block included.
TEST(ServiceEntryArrayTest, CopiesOfEveryLengthStayWholeAcrossTheBuildersBlocks) {
    auto nameOf = [](int i) { return "Service" + std::to_string(i); };
    auto displayOf = [](int i) {
        return i == 1500 ? std::string(100 * 1024, 'L')
                         : std::string(static_cast<size_t>(i % 301), 'a' + i % 26);
    };
    ServiceEntryArray::Builder builder;
    for (int i = 0; i < 3000; ++i) {
        std::string name = nameOf(i), display = displayOf(i);
        platform::ServiceStatus status{0x10, static_cast<uint32_t>(i),    1, 2, 3,
                                       4,    static_cast<uint32_t>(i) * 3};
        ASSERT_TRUE(builder.Add(name.data(), name.size(), display.data(), display.size(), status));
    }
    ServiceEntryArray array;
    ASSERT_TRUE(array.Take(builder));
    ASSERT_EQ(array.GetCount(), 3000);
    for (int i = 0; i < 3000; ++i) {
        const ServiceEntry* e = array.GetEntry(i);
        ASSERT_EQ(reinterpret_cast<uintptr_t>(e) % alignof(ServiceEntry), 0u) << i;
        ASSERT_EQ(e->name, reinterpret_cast<const char*>(e + 1)) << i;
        ASSERT_EQ(nameOf(i), e->name);
        ASSERT_EQ(displayOf(i), e->displayName);
        ASSERT_EQ(e->currentState, static_cast<uint32_t>(i));
        ASSERT_EQ(e->waitHint, static_cast<uint32_t>(i) * 3);
    }
}

// Slots refilled after a take hold copies of their own beside the blocks:
// each copy is freed exactly once, by the refill that replaces it or by the
// clearing (the sanitizer build reports a copy freed twice or never).
TEST(ServiceEntryArrayTest, RefilledSlotsOfATakenArrayAreFreedOnceBesideItsBlocks) {
    ServiceEntryArray array;
    for (int round = 0; round < 2; ++round) {
        ServiceEntryArray::Builder builder;
        for (int i = 0; i < 500; ++i) ASSERT_TRUE(builder.Add("name", 4, "display", 7, {}));
        ASSERT_TRUE(array.Take(builder));
        ASSERT_TRUE(array.SetEntry(0, "first", "refilled"));
        ASSERT_TRUE(array.SetEntry(0, "first", "refilled again"));
        ASSERT_TRUE(array.SetEntry(499, "last", "refilled"));
        EXPECT_STREQ(array.GetEntry(0)->displayName, "refilled again");
        EXPECT_STREQ(array.GetEntry(1)->displayName, "display");
        EXPECT_STREQ(array.GetEntry(499)->name, "last");
    }
    // Slots of their own again after the blocks are gone.
    ASSERT_TRUE(array.Allocate(2));
    ASSERT_TRUE(array.SetEntry(1, "own", "copy"));
    ASSERT_TRUE(array.SetEntry(1, "own", "copy again"));
    EXPECT_STREQ(array.GetEntry(1)->displayName, "copy again");
}

}  // namespace
