#include <gtest/gtest.h>

#include <string>

#include "settings/SettingsStore.h"
#include "tests/fakes/FakeRegistry.h"
#include "views/RemoteMachineRows.h"

namespace {

class RemoteMachineRowsTest : public ::testing::Test {
protected:
    const std::string key = std::string(settings::kRootPath) + "\\OpenServices";
    void Slot(int i, const std::string& machine) {
        char name[16];
        std::snprintf(name, sizeof name, "Remote%03d", i);
        registry.PutString(key, name, machine);
    }
    std::string Stored(const std::string& name) const {
        const fake::Registry::Value* v = registry.Find(key, name);
        return v ? v->data.c_str() : "-";
    }

    fake::Registry registry;
    RemoteMachineRows rows;
};

TEST_F(RemoteMachineRowsTest, EachMachineIsOneRowWithItsAliasInLowerCase) {
    Slot(0, " Server1");
    Slot(1, "");
    Slot(2, "SERVER1");
    Slot(3, "db7");
    registry.PutString(key, "db7", "Base");
    ASSERT_TRUE(rows.Load(registry));
    ASSERT_EQ(rows.rows.size(), 2u);
    EXPECT_EQ(rows.rows[0].machine, "server1");
    EXPECT_EQ(rows.rows[1].machine, "db7");
    EXPECT_EQ(rows.rows[1].alias, "base");
    EXPECT_EQ(RemoteMachineRows::ResultText(&rows.rows[1]), "base");
    EXPECT_EQ(RemoteMachineRows::ResultText(&rows.rows[0]), "server1");
    EXPECT_EQ(RemoteMachineRows::ResultText(nullptr), "");
    EXPECT_EQ(rows.Capacity(), 10);

    // A list made shorter keeps its old slots in the registry; they are not
    // its machines any more.
    registry.PutDword(key, "MaxRemote", 3);
    ASSERT_TRUE(rows.Load(registry));
    ASSERT_EQ(rows.rows.size(), 1u);
    EXPECT_EQ(rows.rows[0].machine, "server1");
}

TEST_F(RemoteMachineRowsTest, SavingWritesTheRowsInOrderAndDropsTheDeletedWithTheirAliases) {
    Slot(0, "a");
    Slot(1, "b");
    Slot(2, "c");
    registry.PutString(key, "b", "Bee");
    registry.PutString(key, "c", "Sea");
    ASSERT_TRUE(rows.Load(registry));
    rows.rows.erase(rows.rows.begin() + 1);  // b goes
    rows.rows[1].alias.clear();              // c loses its alias
    rows.rows.push_back(RemoteRow{"d", "Dee", true});
    ASSERT_TRUE(rows.Save(registry));
    EXPECT_EQ(Stored("Remote000"), "a");
    EXPECT_EQ(Stored("Remote001"), "c");
    EXPECT_EQ(Stored("Remote002"), "d");
    EXPECT_EQ(Stored("b"), "-");
    EXPECT_EQ(Stored("c"), "-");
    EXPECT_EQ(Stored("d"), "Dee");

    registry.deniedKeys.insert(key);
    EXPECT_FALSE(rows.Save(registry));
    EXPECT_FALSE(rows.Load(registry));
    EXPECT_TRUE(rows.rows.empty());
    EXPECT_EQ(rows.Capacity(), 10) << "a failed load keeps the capacity";
}

TEST_F(RemoteMachineRowsTest, NewMachinesTakeTheFirstFreeNumberWhileThereIsRoom) {
    registry.PutDword(key, "MaxRemote", 3);
    ASSERT_TRUE(rows.Load(registry));
    rows.rows = {{"Nuevo00", "", true}, {"Nuevo01", "", true}};
    EXPECT_EQ(rows.NewMachineName("Nuevo"), "Nuevo02");
    rows.rows[0].machine = "renamed";
    EXPECT_EQ(rows.NewMachineName("Nuevo"), "Nuevo00");
    EXPECT_TRUE(rows.CanAdd());
    rows.rows.push_back({"x", "", true});
    EXPECT_FALSE(rows.CanAdd());
}

TEST_F(RemoteMachineRowsTest, SortingMovesWholeRowsAndSaysWhereEachCameFrom) {
    rows.rows = {{"b", "", false}, {"a", "zed", true}, {"c", "ay", false}};
    EXPECT_EQ(rows.SortBy(0, true), (std::vector<int>{1, 0, 2}));
    EXPECT_EQ(rows.rows[0].alias, "zed");
    EXPECT_TRUE(rows.rows[0].added);
    // By alias, descending: rows without one come last, in their order.
    EXPECT_EQ(rows.SortBy(1, false), (std::vector<int>{0, 2, 1}));
    EXPECT_EQ(rows.rows[0].machine, "a");
    EXPECT_EQ(rows.rows[1].machine, "c");
}

}  // namespace
