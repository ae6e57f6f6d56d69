#include <gtest/gtest.h>

#include "platform/ScmApi.h"
#include "res/resource.h"
#include "scm/ServiceEntry.h"
#include "views/ColumnSort.h"
#include "views/ServiceListModel.h"

namespace sc = platform::scm;

namespace {

TEST(ServiceListModelTest, TheColumnMaskAlwaysShowsTheNameAndPositionsFollowSlotOrder) {
    for (uint32_t mask : {0u, 1u}) {
        ListColumns c = ListColumns::FromMask(mask);
        EXPECT_EQ(c.Position(kColName), 0);
        for (int slot = 1; slot < kColumnCount; ++slot) EXPECT_EQ(c.Position(slot), -1);
    }
    ListColumns six = ListColumns::FromMask(6);
    EXPECT_EQ(six.Position(kColName), 0);
    EXPECT_EQ(six.Position(kColDescription), 1);
    EXPECT_EQ(six.Position(kColState), 2);
    ListColumns all = ListColumns::FromMask(63);
    for (int slot = 0; slot < kColumnCount; ++slot) EXPECT_EQ(all.Position(slot), slot);
    ListColumns gaps = ListColumns::FromMask(0x29);  // name, start type, error control
    EXPECT_EQ(gaps.Position(kColStartType), 1);
    EXPECT_EQ(gaps.Position(kColErrorControl), 2);
    EXPECT_EQ(gaps.Position(kColState), -1);
    EXPECT_EQ(all.Position(-1), -1);
    EXPECT_EQ(all.Position(kColumnCount), -1);
    // Bits beyond the six slots show nothing more.
    EXPECT_EQ(ListColumns::FromMask(0xFFFFFFFF).Position(kColErrorControl), 5);
}

TEST(ServiceListModelTest, ConfigurationValuesOutsideTheTablesHaveNoText) {
    EXPECT_EQ(StartTypeTextId(0), static_cast<unsigned>(IDS_START_TYPE_BASE));
    EXPECT_EQ(StartTypeTextId(4), static_cast<unsigned>(IDS_START_TYPE_BASE + 4));
    EXPECT_EQ(StartTypeTextId(5), 0u);
    EXPECT_EQ(StartTypeTextId(0xFFFFFFFF), 0u);
    EXPECT_EQ(ErrorControlTextId(3), static_cast<unsigned>(IDS_ERROR_CONTROL_BASE + 3));
    EXPECT_EQ(ErrorControlTextId(4), 0u);
}

TEST(ServiceListModelTest, StatesPickTheirIconAndColour) {
    EXPECT_EQ(StateImage(sc::kRunning), 2);
    EXPECT_EQ(StateImage(sc::kStopped), 3);
    EXPECT_EQ(StateImage(sc::kPaused), 4);
    EXPECT_EQ(StateImage(sc::kStartPending), 4);
    EXPECT_EQ(StateColour(sc::kRunning), 0x008000u);
    EXPECT_EQ(StateColour(sc::kStopped), 0x0000FFu);
    EXPECT_EQ(StateColour(sc::kPaused), 0x008080u);
    EXPECT_EQ(StateColour(static_cast<uint32_t>(-1)), 0x008080u);
}

TEST(ServiceListModelTest, CommandsFollowStateAndAcceptedControls) {
    ServiceEntry e{};
    EXPECT_FALSE(CanStart(nullptr));
    e.currentState = sc::kPaused;
    EXPECT_TRUE(CanStart(&e));
    e.currentState = sc::kStopped;
    EXPECT_TRUE(CanStart(&e));
    EXPECT_FALSE(CanStop(&e));
    e.currentState = sc::kRunning;
    EXPECT_FALSE(CanStart(&e));
    e.controlsAccepted = sc::kAcceptPauseContinue;
    EXPECT_FALSE(CanStop(&e));
    EXPECT_FALSE(CanRestart(&e));
    EXPECT_TRUE(CanPause(&e));
    e.controlsAccepted = sc::kAcceptStop;
    EXPECT_TRUE(CanStop(&e));
    EXPECT_TRUE(CanRestart(&e));
    EXPECT_FALSE(CanPause(&e));
    e.currentState = sc::kStartPending;
    EXPECT_FALSE(CanStop(&e));
}

std::vector<std::string> Apply(const std::vector<std::string>& rows, bool descending) {
    std::vector<std::string> sorted;
    for (int row : SortOrder(rows, descending)) sorted.push_back(rows[static_cast<size_t>(row)]);
    return sorted;
}

TEST(ServiceListModelTest, AClickSortsAscendingUnlessTheColumnIsAlreadyAscending) {
    std::vector<std::string> mixed = {"b", "a", "c"};
    EXPECT_FALSE(SortDescending(mixed));
    auto up = Apply(mixed, false);
    EXPECT_EQ(up, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_TRUE(SortDescending(up));
    EXPECT_EQ(Apply(up, true), (std::vector<std::string>{"c", "b", "a"}));
    EXPECT_FALSE(SortDescending({"c", "b", "a"}));
    EXPECT_FALSE(SortDescending({"x", "x"}));
    EXPECT_FALSE(SortDescending({}));
    // Equal neighbours do not decide the order.
    EXPECT_TRUE(SortDescending({"a", "a", "b"}));
    EXPECT_FALSE(SortDescending({"a", "b", "a"}));
}

TEST(ServiceListModelTest, CellsCompareByteForByteWithUpperCaseFirst) {
    EXPECT_EQ(CompareCells("Zeta", "alpha"), -1);
    EXPECT_EQ(CompareCells("abc", "abc"), 0);
    EXPECT_EQ(CompareCells("\xE1rbol", "zeta"), 1);  // high bytes after ASCII
    EXPECT_EQ(CompareCells("10", "9"), -1);          // no number recognition
    EXPECT_EQ(Apply({"beta", "Alpha", "alpha", "Beta"}, false),
              (std::vector<std::string>{"Alpha", "Beta", "alpha", "beta"}));
}

TEST(ServiceListModelTest, RowsWithEqualTextsKeepTheirOrderEitherWay) {
    EXPECT_EQ(SortOrder({"b", "b", "a"}, false), (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(SortOrder({"a", "b", "b"}, true), (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(SortOrder({}, false), std::vector<int>());
    // Every row of a large column comes out in order.
    std::vector<std::string> many;
    for (int i = 0; i < 20000; ++i) many.push_back(std::to_string((i * 7919) % 20000));
    std::vector<int> order = SortOrder(many, false);
    for (size_t i = 1; i < order.size(); ++i)
        EXPECT_LE(CompareCells(many[static_cast<size_t>(order[i - 1])],
                               many[static_cast<size_t>(order[i])]),
                  0);
}

TEST(ServiceListModelTest, TheRefreshPeriodGrowsBySlowRefreshesAndNeverShrinks) {
    EXPECT_EQ(NextRefreshPeriod(2000, 2500), 4500u);
    EXPECT_EQ(NextRefreshPeriod(2000, 2000), 2000u);
    EXPECT_EQ(NextRefreshPeriod(4500, 10), 4500u);
}

}  // namespace
