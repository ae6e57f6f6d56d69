#include <gtest/gtest.h>

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

}  // namespace
