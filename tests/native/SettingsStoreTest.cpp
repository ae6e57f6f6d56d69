// The settings store against an in-memory registry: layout, defaults, bad
// data and the custom-action and start-at-logon rules.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "settings/SettingsStore.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FaultyPlatform.h"

namespace {

const std::string kRoot = "Software\\Quorvex\\Larkspan\\Vantorel";
const std::string kConfig = kRoot + "\\Configuration";
const std::string kActions = kRoot + "\\CustomActions";
const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class SettingsStoreTest : public ::testing::Test {
protected:
    fake::Registry registry;
    SettingsStore store{registry};
};

TEST_F(SettingsStoreTest, MissingValuesReadAsTheirDefaultsAndTheFirstOpenCreatesTheRoot) {
    EXPECT_FALSE(registry.KeyExists(kRoot));
    ASSERT_TRUE(store.OpenConfiguration());
    EXPECT_TRUE(registry.KeyExists(kConfig));
    EXPECT_EQ(store.Read(settings::kActive), 1);
    EXPECT_EQ(store.Read(settings::kDriver), 0);
    EXPECT_EQ(store.Read(settings::kIndependentWindow), 1);
    EXPECT_EQ(store.Read(settings::kCompareTimer), 60000);
    EXPECT_EQ(store.Read(settings::kShowColumns), 7);
    ASSERT_TRUE(store.OpenLogFile());
    EXPECT_EQ(store.ReadLogFilePath(), "");
    EXPECT_EQ(store.Read(settings::kAutoDelete), 0);
    ASSERT_TRUE(store.OpenOpenServices());
    EXPECT_EQ(store.GetMaxRemote(), 10);
    EXPECT_EQ(store.ReadAlias("pc7"), "pc7");
    ASSERT_TRUE(store.OpenLanguage());
    EXPECT_EQ(store.ReadChosenLanguage(), "");
    store.Close();
    EXPECT_EQ(registry.OpenHandles(), 0);
}

TEST_F(SettingsStoreTest, AValueIsAlwaysReadFromAndWrittenToItsOwnSection) {
    registry.PutDword(kConfig, "CompareTimer", 5000);
    registry.PutDword(kRoot + "\\LogFile", "CompareTimer", 7);
    // Nothing open: the value's own section opens for it.
    EXPECT_EQ(store.Read(settings::kCompareTimer), 5000);
    // Another section open: still the value's own.
    ASSERT_TRUE(store.OpenLogFile());
    EXPECT_EQ(store.Read(settings::kCompareTimer), 5000);
    ASSERT_TRUE(store.OpenLogFile());
    ASSERT_TRUE(store.Write(settings::kCompareTimer, -3));
    EXPECT_EQ(store.Read(settings::kCompareTimer), -3);
    const auto* v = registry.Find(kConfig, "CompareTimer");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->type, platform::reg::kDword);
    EXPECT_EQ(v->data.size(), 4u);
    EXPECT_EQ(registry.Find(kRoot + "\\LogFile", "CompareTimer")->data.size(), 4u);
    // A service's actions are read only from that service's section.
    EXPECT_EQ(store.Read(settings::kAlwaysRunning), 0);
    EXPECT_FALSE(store.Write(settings::kAlwaysRunning, 1));

    // A section that cannot be opened gives what the caller chose for it.
    store.Close();
    registry.deniedKeys.insert(kConfig);
    EXPECT_EQ(store.Read(settings::kCompareType), 0);
    EXPECT_EQ(store.Read(settings::kCompareType, 1), 1);
    EXPECT_FALSE(store.Write(settings::kCompareType, 1));
}

TEST_F(SettingsStoreTest, AValueOfAnotherTypeReadsAsMissing) {
    registry.PutString(kConfig, "CompareTimer", "127");  // a number written as text
    registry.PutRaw(kConfig, "MessageBeep", platform::reg::kBinary, std::string("\x01\0\0\0", 4));
    registry.PutRaw(kConfig, "ShowTrayIcon", platform::reg::kDword, std::string("\x01", 1));
    registry.PutRaw(kConfig, "Driver", platform::reg::kDword, std::string("\xff\xff\xff\xff", 4));
    registry.PutDword(kRoot + "\\LogFile", "LogFilePath", 7);  // a text written as a number
    registry.PutRaw(kRoot + "\\Language", "", platform::reg::kBinary, "C:\\m\\en.dll");
    ASSERT_TRUE(store.OpenConfiguration());
    EXPECT_EQ(store.Read(settings::kCompareTimer), 60000);
    EXPECT_EQ(store.Read(settings::kMessageBeep), 0);
    EXPECT_EQ(store.Read(settings::kShowTrayIcon), 0);  // too short
    EXPECT_EQ(store.Read(settings::kDriver), -1);       // signed
    ASSERT_TRUE(store.OpenLogFile());
    EXPECT_EQ(store.ReadLogFilePath(), "");
    ASSERT_TRUE(store.OpenLanguage());
    EXPECT_EQ(store.ReadChosenLanguage(), "");
}

TEST_F(SettingsStoreTest, ExpandableTextsAreExpandedWhateverTheirLength) {
    registry.environment["LOCALAPPDATA"] = "C:\\Users\\ana\\AppData\\Local";
    registry.environment["DEEP"] = std::string(400, 'd');
    const std::string key = kRoot + "\\LogFile";
    registry.PutRaw(key, "LogFilePath", platform::reg::kExpandSz,
                    std::string("%LocalAppData%\\Vantorel.log") + '\0');
    ASSERT_TRUE(store.OpenLogFile());
    EXPECT_EQ(store.ReadLogFilePath(), "C:\\Users\\ana\\AppData\\Local\\Vantorel.log");
    // Longer than any first guess at the size, and an unknown variable as written.
    registry.PutRaw(key, "LogFilePath", platform::reg::kExpandSz,
                    std::string("%DEEP%\\%NOSUCH%\\a.log") + '\0');
    EXPECT_EQ(store.ReadLogFilePath(), std::string(400, 'd') + "\\%NOSUCH%\\a.log");
    // A plain text is never expanded.
    registry.PutString(key, "LogFilePath", "%LOCALAPPDATA%\\x.log");
    EXPECT_EQ(store.ReadLogFilePath(), "%LOCALAPPDATA%\\x.log");
}

TEST_F(SettingsStoreTest, StringsEndAtTheirFirstNulAndAreWrittenWithOne) {
    registry.PutRaw(kRoot + "\\LogFile", "LogFilePath", platform::reg::kSz,
                    std::string("C:\\a.log\0junk", 13));
    ASSERT_TRUE(store.OpenLogFile());
    EXPECT_EQ(store.ReadLogFilePath(), "C:\\a.log");
    // Stored without a terminator, as another program may write it.
    registry.PutRaw(kRoot + "\\LogFile", "LogFilePath", platform::reg::kSz, "D:\\b.log");
    EXPECT_EQ(store.ReadLogFilePath(), "D:\\b.log");
    ASSERT_TRUE(store.WriteLogFilePath("E:\\c.log"));
    const auto* v = registry.Find(kRoot + "\\LogFile", "LogFilePath");
    EXPECT_EQ(v->type, platform::reg::kSz);
    EXPECT_EQ(v->data, std::string("E:\\c.log\0", 9));
}

TEST_F(SettingsStoreTest, PlacementRoundTripsAndPartialTextFailsKeepingWhatItRead) {
    ASSERT_TRUE(store.OpenConfiguration());
    WindowPlacement w;
    EXPECT_FALSE(store.ReadPlacement(settings::kMainWindowPlacement, &w));  // missing
    EXPECT_FALSE(store.ReadPlacement(settings::kMainWindowPlacement, nullptr));
    EXPECT_FALSE(store.WritePlacement(settings::kMainWindowPlacement, nullptr));

    registry.PutString(kConfig, "MainWindowPlacement", "2|1|-1|-1|-1|-1|10|20|810|620|");
    ASSERT_TRUE(store.ReadPlacement(settings::kMainWindowPlacement, &w));
    EXPECT_EQ(w.flags, 2u);
    EXPECT_EQ(w.showCmd, 1u);
    EXPECT_EQ(w.minX, -1);
    EXPECT_EQ(w.maxY, -1);
    EXPECT_EQ(w.left, 10);
    EXPECT_EQ(w.top, 20);
    EXPECT_EQ(w.right, 810);
    EXPECT_EQ(w.bottom, 620);

    WindowPlacement partial;
    partial.minX = 99;
    registry.PutString(kConfig, "ChangesWindowPlacement", "2|1|5");
    EXPECT_FALSE(store.ReadPlacement(settings::kChangesWindowPlacement, &partial));
    EXPECT_EQ(partial.flags, 2u);
    EXPECT_EQ(partial.showCmd, 1u);
    EXPECT_EQ(partial.minX, 99);

    WindowPlacement out;
    out.flags = 3;
    out.showCmd = 2;
    out.minX = -32000;
    out.left = -5;
    out.bottom = 1200;
    ASSERT_TRUE(store.WritePlacement(settings::kChangesWindowPlacement, &out));
    EXPECT_EQ(registry.Find(kConfig, "ChangesWindowPlacement")->data,
              std::string("3|2|-32000|0|0|0|-5|0|0|1200|\0", 30));
    WindowPlacement back;
    ASSERT_TRUE(store.ReadPlacement(settings::kChangesWindowPlacement, &back));
    EXPECT_EQ(FormatPlacement(back), FormatPlacement(out));
}

TEST(WindowPlacementText, FieldsReadAsTheCLibraryDoes) {
    WindowPlacement w;
    ASSERT_TRUE(ParsePlacement(" +7|x|-|  -12abc|99999999999|-99999999999|||||tail", &w));
    EXPECT_EQ(w.flags, 7u);
    EXPECT_EQ(w.showCmd, 0u);
    EXPECT_EQ(w.minX, 0);
    EXPECT_EQ(w.minY, -12);
    EXPECT_EQ(w.maxX, 2147483647);
    EXPECT_EQ(w.maxY, -2147483647 - 1);
    EXPECT_EQ(w.bottom, 0);
    EXPECT_FALSE(ParsePlacement("1|2|3|4|5|6|7|8|9|10", &w));  // tenth bar missing
    EXPECT_EQ(w.right, 9);
}

TEST_F(SettingsStoreTest, NameColumnIsAlwaysVisibleAndAPassOverAllColumnsWritesTheFullMask) {
    ASSERT_TRUE(store.OpenConfiguration());
    EXPECT_TRUE(store.IsColumnVisible(2));
    EXPECT_FALSE(store.IsColumnVisible(3));
    registry.PutDword(kConfig, "ShowColumns", 0);
    EXPECT_TRUE(store.IsColumnVisible(0));
    EXPECT_FALSE(store.IsColumnVisible(1));
    registry.PutDword(kConfig, "ShowColumns", 6);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(store.IsColumnVisible(i)) << i;
    EXPECT_FALSE(store.IsColumnVisible(3));
    EXPECT_FALSE(store.IsColumnVisible(-1));
    EXPECT_FALSE(store.IsColumnVisible(40));

    registry.PutDword(kConfig, "ShowColumns", 0x3f);
    ASSERT_TRUE(store.SetColumnsVisible({false, false, true, false, true, false}));
    EXPECT_EQ(store.Read(settings::kShowColumns), 0x15);
}

TEST_F(SettingsStoreTest, MaxRemoteIsClampedAndSlotsCarryTheirAliasesAway) {
    ASSERT_TRUE(store.OpenOpenServices());
    const std::string key = kRoot + "\\OpenServices";
    const std::pair<int, int> cases[] = {{-5, 1}, {5000, 1000}, {0, 0}, {1000, 1000}, {37, 37}};
    for (auto c : cases) {
        registry.PutDword(key, "MaxRemote", static_cast<uint32_t>(c.first));
        EXPECT_EQ(store.GetMaxRemote(), c.second) << c.first;
    }
    ASSERT_TRUE(store.WriteRemoteSlot(0, "pc1"));
    ASSERT_TRUE(store.WriteRemoteSlot(12, "pc2"));
    ASSERT_TRUE(store.WriteAlias("pc1", "Sala"));
    EXPECT_NE(registry.Find(key, "Remote012"), nullptr);
    EXPECT_EQ(store.ReadRemoteSlot(0), "pc1");
    EXPECT_EQ(store.ReadAlias("pc1"), "Sala");
    ASSERT_TRUE(store.DeleteRemoteSlot(0));
    EXPECT_EQ(registry.Find(key, "Remote000"), nullptr);
    EXPECT_EQ(registry.Find(key, "pc1"), nullptr);
    ASSERT_TRUE(store.DeleteRemoteSlot(12));  // no alias to delete
    EXPECT_EQ(registry.Find(key, "Remote012"), nullptr);
    EXPECT_FALSE(store.DeleteRemoteSlot(12));
}

TEST_F(SettingsStoreTest, LanguageModulesAreTheNamedValuesAndTheChoiceIsTheDefaultValue) {
    ASSERT_TRUE(store.OpenLanguage());
    ASSERT_TRUE(store.AddLanguageModule("C:\\m\\en.dll"));
    ASSERT_TRUE(store.AddLanguageModule("C:\\m\\fr.dll"));
    ASSERT_TRUE(store.AddLanguageModule("C:\\m\\en.dll"));  // once only
    ASSERT_TRUE(store.WriteChosenLanguage("C:\\m\\fr.dll"));
    EXPECT_EQ(store.ListLanguageModules(),
              (std::vector<std::string>{"C:\\m\\en.dll", "C:\\m\\fr.dll"}));
    EXPECT_EQ(store.ReadChosenLanguage(), "C:\\m\\fr.dll");
    EXPECT_EQ(registry.Find(kRoot + "\\Language", "C:\\m\\en.dll")->data, std::string(1, '\0'));
    ASSERT_TRUE(store.DeleteValue("C:\\m\\en.dll"));
    EXPECT_EQ(store.ListLanguageModules(), (std::vector<std::string>{"C:\\m\\fr.dll"}));
    // A path longer than the name buffer is passed over, not the end of the list.
    ASSERT_TRUE(store.AddLanguageModule("C:\\" + std::string(300, 'x') + ".dll"));
    ASSERT_TRUE(store.AddLanguageModule("C:\\m\\de.dll"));
    EXPECT_EQ(store.ListLanguageModules(),
              (std::vector<std::string>{"C:\\m\\fr.dll", "C:\\m\\de.dll"}));
    // Listed from a store that was reading another section, as a refill does.
    SettingsStore other(registry);
    other.Read(settings::kCompareTimer);
    EXPECT_EQ(other.ListLanguageModules(),
              (std::vector<std::string>{"C:\\m\\fr.dll", "C:\\m\\de.dll"}));
}

TEST_F(SettingsStoreTest, CustomActionsExistOnlyAsSubKeysAndDeletingNoneSucceeds) {
    std::vector<std::string> list{"stale"};
    EXPECT_EQ(store.ListServicesWithActions(&list), 0);
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(store.DeleteActions("Spooler"));  // no CustomActions key at all
    EXPECT_FALSE(store.OpenActionsForReading("Spooler"));
    EXPECT_FALSE(registry.KeyExists(kRoot));  // reading paths never create

    ASSERT_TRUE(store.OpenActionsForWriting("Spooler"));
    ASSERT_TRUE(store.Write(settings::kAlwaysRunning, 1));
    ASSERT_TRUE(store.Write(settings::kDisableLog, 1));
    ASSERT_TRUE(store.OpenActionsForWriting("W32Time"));
    ASSERT_TRUE(store.Write(settings::kDisableNotify, 1));
    registry.PutDword(kActions + "\\W32Time\\Leftover", "x", 1);  // a deeper tree goes too

    ASSERT_TRUE(store.OpenActionsForReading("spooler"));
    EXPECT_EQ(store.Read(settings::kAlwaysRunning), 1);
    EXPECT_EQ(store.Read(settings::kAlwaysStopped), 0);
    EXPECT_EQ(store.Read(settings::kDisableLog), 1);
    EXPECT_EQ(store.ListServicesWithActions(&list), 2);
    EXPECT_EQ(list, (std::vector<std::string>{"Spooler", "W32Time"}));

    EXPECT_TRUE(store.DeleteActions("Absent"));
    EXPECT_FALSE(registry.KeyExists(kActions + "\\Absent"));
    ASSERT_TRUE(store.DeleteActions("W32Time"));
    EXPECT_FALSE(registry.KeyExists(kActions + "\\W32Time"));
    EXPECT_EQ(store.ListServicesWithActions(&list), 1);

    // A key beneath that cannot be deleted ends the walk; it does not go
    // round that key for ever.
    registry.PutDword(kActions + "\\Spooler\\Nested", "x", 1);
    registry.failKeyDeletes = true;
    EXPECT_FALSE(store.DeleteActions("Spooler"));
    EXPECT_EQ(store.LastResult(), platform::reg::kAccessDenied);
    store.Close();
    EXPECT_EQ(registry.OpenHandles(), 0);
}

TEST_F(SettingsStoreTest, StartAtLogonMatchesTheExactPath) {
    const std::string exe = "C:\\Program Files\\Vantorel\\Vantorel.exe";
    EXPECT_FALSE(store.IsStartAtLogon(exe));
    ASSERT_TRUE(store.SetStartAtLogon(true, exe));
    EXPECT_EQ(registry.Find(kRun, "Vantorel")->data, exe + '\0');
    EXPECT_TRUE(store.IsStartAtLogon(exe));
    registry.PutString(kRun, "Vantorel", "c:\\program files\\vantorel\\vantorel.exe");
    EXPECT_FALSE(store.IsStartAtLogon(exe));
    ASSERT_TRUE(store.SetStartAtLogon(false, exe));
    EXPECT_EQ(registry.Find(kRun, "Vantorel"), nullptr);
    EXPECT_TRUE(store.SetStartAtLogon(false, exe));  // already off
    EXPECT_FALSE(store.SetStartAtLogon(true, ""));
}

TEST_F(SettingsStoreTest, AKeyThatCannotBeOpenedGivesDefaultsAndTheRegistryCode) {
    registry.deniedKeys.insert(kConfig);
    EXPECT_FALSE(store.OpenConfiguration());
    EXPECT_EQ(store.LastResult(), platform::reg::kAccessDenied);
    EXPECT_EQ(store.Read(settings::kShowServiceChanges), 1);
    EXPECT_FALSE(store.Write(settings::kShowServiceChanges, 0));
    EXPECT_TRUE(store.IsColumnVisible(1));

    ASSERT_TRUE(store.OpenLogFile());
    registry.failWrites = true;
    EXPECT_FALSE(store.WriteLogFilePath("x"));
    EXPECT_EQ(store.LastResult(), platform::reg::kAccessDenied);
}

TEST(FrameworkKey, IsTheCompanyAndProductPath) {
    EXPECT_STREQ(SettingsStore::FrameworkKeyName(), "Quorvex\\Larkspan");
}

}  // namespace

// The columns chosen are stored together or not at all, whichever registry
// call fails: a failed read never starts the later columns from the default.
TEST(SettingsStoreFaultsTest, TheColumnsAreStoredAsChosenOrTheWriteSaysItFailed) {
    const std::vector<bool> wanted{true, true, false, true, false, true};
    const std::vector<uint32_t> errors{fake::fault::kAccessDenied, fake::fault::kFileNotFound,
                                       fake::fault::kNotEnoughMemory};
    int calls = 0;
    {
        fake::Registry registry;
        fake::FaultPlan plan;
        fake::FaultyRegistry faulty(registry, plan);
        registry.PutDword(kConfig, "ShowColumns", 0x47);
        SettingsStore store{faulty};
        plan.Arm(0, 0);
        ASSERT_TRUE(store.SetColumnsVisible(wanted));
        calls = plan.Calls();
        EXPECT_EQ(SettingsStore(registry).Read(settings::kShowColumns), 0x6b) << "column 6 kept";
    }
    ASSERT_GT(calls, 0);
    for (uint32_t error : errors) {
        for (int k = 1; k <= calls; ++k) {
            fake::Registry registry;
            fake::FaultPlan plan;
            fake::FaultyRegistry faulty(registry, plan);
            registry.PutDword(kConfig, "ShowColumns", 0x47);
            SettingsStore store{faulty};
            plan.Arm(k, error);
            bool ok = store.SetColumnsVisible(wanted);
            int stored = SettingsStore(registry).Read(settings::kShowColumns);
            // A value said missing loses only the columns past those chosen.
            if (ok) {
                EXPECT_EQ(stored & 0x3f, 0x2b) << k << " " << error;
            } else {
                EXPECT_TRUE(stored == 0x47 || (stored & 0x3f) == 0x2b) << k << " " << error;
            }
        }
    }
}
