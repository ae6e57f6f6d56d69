// The settings dialog's rules: the period shown for a stored comparison
// timer, what the actions page keeps while comparison or logging is off,
// and the custom actions' working copy with its save.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "settings/SettingsPages.h"
#include "settings/SettingsStore.h"
#include "tests/fakes/FakeRegistry.h"

namespace {

TEST(SettingsPagesTest, AStoredPeriodShowsAsTheFirstListedPeriodNotShorter) {
    EXPECT_EQ(PeriodIndexOf(0), 0);
    EXPECT_EQ(PeriodIndexOf(1000), 1);
    EXPECT_EQ(PeriodIndexOf(45000), 5);
    EXPECT_EQ(PeriodAt(5), 60000u);
    EXPECT_EQ(PeriodIndexOf(3600000), 9);
    EXPECT_EQ(PeriodIndexOf(7200000), -1);
    EXPECT_EQ(PeriodAt(-1), 0u) << "no period chosen stores no comparison";
    EXPECT_EQ(PeriodAt(0), 0u) << "the first position is no comparison, not a short period";
    EXPECT_EQ(PeriodAt(kPeriodCount), 0u);
    EXPECT_EQ(PeriodIndexOf(-5), 0);
    // The registry holds a DWORD: its high values are long periods.
    const uint32_t high = 0x80000000u;
    EXPECT_EQ(PeriodIndexOf(high), -1);
    EXPECT_EQ(MonitorTimerPeriod(high), 0x7FFFFFFFu);
    EXPECT_EQ(MonitorTimerPeriod(0xFFFFFFFFu), 0x7FFFFFFFu);
    EXPECT_EQ(MonitorTimerPeriod(60000), 60000u);
    EXPECT_EQ(MonitorTimerPeriod(0), 0u);
}

TEST(SettingsPagesTest, TheActionsPageKeepsItsChecksAndPathWhileSwitchedOff) {
    ActionsPage page;
    page.showChanges = page.beep = page.logging = true;
    page.logPath = "C:\\logs\\v.log";
    page.autoDelete = true;

    page.SetComparison(false);
    EXPECT_FALSE(page.showChanges || page.beep || page.logging);
    EXPECT_EQ(page.logPath, "") << "with comparison off nothing is logged";
    EXPECT_FALSE(page.autoDelete);
    page.SetComparison(false);  // unchanged: nothing happens
    page.SetComparison(true);
    EXPECT_TRUE(page.showChanges && page.beep && page.logging);
    EXPECT_EQ(page.logPath, "C:\\logs\\v.log");
    EXPECT_TRUE(page.autoDelete);

    // Logging off and on by its own check.
    page.logging = false;
    page.ApplyLogging();
    EXPECT_EQ(page.logPath, "");
    page.logging = true;
    page.ApplyLogging();
    EXPECT_EQ(page.logPath, "C:\\logs\\v.log");
    EXPECT_TRUE(page.autoDelete);

    // Checked with no path anywhere: logging stays off (an empty path).
    ActionsPage empty;
    empty.logging = true;
    empty.ApplyLogging();
    EXPECT_EQ(empty.logPath, "");
}

class CustomActionsCopyTest : public ::testing::Test {
protected:
    std::string Key(const std::string& service) const {
        return std::string(settings::kRootPath) + "\\CustomActions\\" + service;
    }
    void Put(const std::string& service, const char* name) {
        registry.PutDword(Key(service), name, 1);
    }
    fake::Registry registry;
    CustomActionsCopy copy;
};

TEST_F(CustomActionsCopyTest, NamesMatchIgnoringCaseAndASaveWritesEveryRecordItCan) {
    Put("Spooler", "AlwaysRunning");
    Put("W32Time", "DisableLOG");
    copy.Load(registry);
    ASSERT_EQ(copy.Records().size(), 2u);
    EXPECT_TRUE(copy.Find("spooler")->actions.alwaysRunning);
    EXPECT_EQ(copy.Add("SPOOLER").name, "Spooler") << "the stored name stays";
    EXPECT_EQ(copy.Records().size(), 2u);

    copy.Add("Mail").actions.disableNotify = true;
    copy.Find("W32Time")->actions = CustomActions();
    registry.deniedKeys.insert(Key("Mail"));
    EXPECT_FALSE(copy.Save(registry));
    EXPECT_FALSE(registry.KeyExists(Key("W32Time"))) << "no action: the key goes";
    EXPECT_TRUE(registry.KeyExists(Key("Spooler"))) << "the others are still saved";
}

}  // namespace
