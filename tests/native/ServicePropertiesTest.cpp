// What the service properties dialog shows and writes: delays, tags, the
// dependency order, the service type and the custom-actions write rule.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "res/resource.h"
#include "settings/CustomActions.h"
#include "settings/SettingsStore.h"
#include "tests/fakes/FakeRegistry.h"
#include "views/ServiceProperties.h"

TEST(ServicePropertiesTest, DelaysAreShownInTheLargestWholeUnit) {
    struct Case {
        uint32_t ms;
        unsigned format;
        uint32_t value;
    } cases[] = {
        {500, IDS_DELAY_MILLISECONDS, 500},
        {1500, IDS_DELAY_MILLISECONDS, 1500},
        {60000, IDS_DELAY_MINUTES, 1},
        {90000, IDS_DELAY_SECONDS, 90},
        {0, IDS_DELAY_MILLISECONDS, 0},
        {1000, IDS_DELAY_SECONDS, 1},
        {7200000, IDS_DELAY_MINUTES, 120},
        {4294967295u, IDS_DELAY_MILLISECONDS, 4294967295u},
        {4294967000u, IDS_DELAY_SECONDS, 4294967u},
    };
    for (const Case& c : cases) {
        DelayText delay = DelayOf(c.ms);
        EXPECT_EQ(delay.formatId, c.format) << c.ms;
        EXPECT_EQ(delay.value, c.value) << c.ms;
    }
    EXPECT_EQ(RecoveryActionTextId(3), IDS_RECOVERY_BASE + 3u);
    EXPECT_EQ(RecoveryActionTextId(4), 0u) << "an unknown action has no text";
}

TEST(ServicePropertiesTest, ATagShowsOnlyWithALoadOrderGroupAndTheTypeShowsInItsBoxes) {
    EXPECT_EQ(TagText("Boot Bus Extender", 5), "0x00000005");
    EXPECT_EQ(TagText("", 5), "");
    EXPECT_EQ(TagText(nullptr, 5), "");
    // A driver, and an interactive service sharing its process.
    ServiceTypeBoxes driver = ServiceTypeBoxes::Of(0x2);
    EXPECT_TRUE(driver.fileSystemDriver);
    EXPECT_FALSE(driver.kernelDriver || driver.ownProcess || driver.interactive);
    ServiceTypeBoxes shared = ServiceTypeBoxes::Of(0x120);
    EXPECT_TRUE(shared.sharedProcess && shared.interactive);
    ServiceTypeBoxes own = ServiceTypeBoxes::Of(0x10);
    EXPECT_TRUE(own.ownProcess);
    EXPECT_FALSE(own.sharedProcess || own.interactive || own.kernelDriver);
}

// The state page names each trigger by its kind; the two custom kinds read
// alike, and any other number is unknown.
TEST(ServicePropertiesTest, EachTriggerKindHasItsNameAndAnyOtherIsUnknown) {
    for (uint32_t kind = 1; kind <= 6; ++kind)
        EXPECT_EQ(TriggerKindTextId(kind), IDS_TRIGGER_BASE + kind);
    EXPECT_EQ(TriggerKindTextId(7), IDS_TRIGGER_BASE + 7);
    EXPECT_EQ(TriggerKindTextId(20), IDS_TRIGGER_BASE + 7);
    for (uint32_t kind : {0u, 8u, 19u, 21u, 0xFFFFFFFFu})
        EXPECT_EQ(TriggerKindTextId(kind), IDS_TRIGGER_UNKNOWN) << kind;
}

// Only the interactive bit is the dialog's: per-user services (0x40, 0x80),
// adapters and recognizers keep every other bit.
TEST(ServicePropertiesTest, OKChangesNoTypeBitButTheInteractiveOne) {
    const uint32_t noChange = platform::scm::kNoChange;
    for (uint32_t type : {0x10u, 0x120u, 0x50u, 0xE0u, 0x4u, 0x8u, 0x1D0u}) {
        bool interactive = (type & 0x100) != 0;
        EXPECT_EQ(ServiceTypeToWrite(type, interactive), noChange) << std::hex << type;
        EXPECT_EQ(ServiceTypeToWrite(type, !interactive), type ^ 0x100u) << std::hex << type;
    }
}

TEST(ServicePropertiesTest, DependenciesAreListedInTheReverseOfTheirStoredOrder) {
    const char stored[] = "RpcSs\0Tcpip\0Afd\0\0Hidden\0";
    EXPECT_EQ(DependencyNames(stored), (std::vector<std::string>{"Afd", "Tcpip", "RpcSs"}));
    EXPECT_TRUE(DependencyNames("").empty());
    EXPECT_TRUE(DependencyNames(nullptr).empty());
}

class CustomActionsTest : public ::testing::Test {
protected:
    std::string Key(const std::string& service) const {
        return std::string(settings::kRootPath) + "\\CustomActions\\" + service;
    }
    uint32_t Stored(const std::string& service, const char* name) const {
        const fake::Registry::Value* value = registry.Find(Key(service), name);
        uint32_t data = 0xFFFF;
        if (value && value->data.size() == 4) std::memcpy(&data, value->data.data(), 4);
        return data;
    }
    fake::Registry registry;
};

TEST_F(CustomActionsTest, OppositeFlagsCancelAndNothingLeftOnDeletesTheKey) {
    CustomActions actions;
    actions.alwaysRunning = actions.alwaysStopped = actions.disableNotify = true;
    ASSERT_TRUE(WriteCustomActions(registry, "Web", actions));
    EXPECT_EQ(Stored("Web", "AlwaysRunning"), 0u);
    EXPECT_EQ(Stored("Web", "AlwaysStopped"), 0u);
    EXPECT_EQ(Stored("Web", "DisableNotify"), 1u);
    EXPECT_EQ(Stored("Web", "DisableLOG"), 0u);

    CustomActions running;
    running.alwaysRunning = true;
    ASSERT_TRUE(WriteCustomActions(registry, "Web", running));
    EXPECT_EQ(ReadCustomActions(registry, "Web"), running);

    // Both always-flags and nothing else, or all clear: the key goes.
    CustomActions opposite;
    opposite.alwaysRunning = opposite.alwaysStopped = true;
    ASSERT_TRUE(WriteCustomActions(registry, "Web", opposite));
    EXPECT_FALSE(registry.KeyExists(Key("Web")));
    ASSERT_TRUE(WriteCustomActions(registry, "Web", running));
    ASSERT_TRUE(WriteCustomActions(registry, "Web", CustomActions()));
    EXPECT_FALSE(registry.KeyExists(Key("Web")));
    EXPECT_EQ(ReadCustomActions(registry, "Web"), CustomActions());
    EXPECT_TRUE(WriteCustomActions(registry, "Never", CustomActions())) << "nothing to delete";

    // A key that cannot be written is reported, and nothing is half kept.
    registry.deniedKeys.insert(Key("Mail"));
    EXPECT_FALSE(WriteCustomActions(registry, "Mail", running));
    EXPECT_FALSE(registry.KeyExists(Key("Mail")));
}
