#include <gtest/gtest.h>

#include <cstring>

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

}  // namespace
