// The settings store against the real registry, under a test root of its own
// that is removed again afterwards.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/Win32Registry.h"
#include "settings/SettingsStore.h"

namespace {

class SettingsWindowsTest : public ::testing::Test {
protected:
    SettingsWindowsTest()
        : base("Software\\Quorvex\\Larkspan\\VantorelTest" + std::to_string(GetCurrentProcessId())),
          root(base + "\\Vantorel"),
          run(base + "\\Run"),
          store(api, root, run) {}
    ~SettingsWindowsTest() override {
        store.Close();
        RegDeleteTreeA(HKEY_CURRENT_USER, base.c_str());
    }
    bool KeyExists(const std::string& path) {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }
    void PutRaw(const std::string& path, const char* name, DWORD type, const void* data,
                DWORD size) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    platform::Win32Registry api;
    std::string base, root, run;
    SettingsStore store;
};

// On 64-bit Windows the platform's root is sign-extended; Wine accepts
// either form, so the value itself is compared.
TEST(RegistryRootTest, TheCurrentUserRootIsThePlatformsOwnHandle) {
    EXPECT_EQ(reinterpret_cast<HKEY>(platform::reg::CurrentUser()), HKEY_CURRENT_USER);
}

TEST_F(SettingsWindowsTest, TypedValuesDefaultsAndBadDataInTheRealRegistry) {
    ASSERT_TRUE(store.OpenConfiguration()) << store.LastResult();
    EXPECT_TRUE(KeyExists(root + "\\Configuration"));
    EXPECT_EQ(store.Read(settings::kCompareTimer), 60000);
    ASSERT_TRUE(store.Write(settings::kCompareTimer, -7));
    EXPECT_EQ(store.Read(settings::kCompareTimer), -7);
    DWORD type = 0, data = 0, size = sizeof data;
    ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, (root + "\\Configuration").c_str(), "CompareTimer",
                           RRF_RT_ANY, &type, &data, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(static_cast<int>(data), -7);

    // A value of another type is no value: its default applies.
    PutRaw(root + "\\Configuration", "CompareTimer", REG_SZ, "127", 4);
    PutRaw(root + "\\Configuration", "Driver", REG_BINARY, "\x01\x02\x03\x04", 4);
    EXPECT_EQ(store.Read(settings::kCompareTimer), 60000);
    EXPECT_EQ(store.Read(settings::kDriver), 0);

    WindowPlacement w;
    w.flags = 2;
    w.showCmd = 1;
    w.minX = w.minY = w.maxX = w.maxY = -1;
    w.left = 10, w.top = 20, w.right = 810, w.bottom = 620;
    ASSERT_TRUE(store.WritePlacement(settings::kMainWindowPlacement, &w));
    char text[64] = {};
    DWORD textSize = sizeof text;
    ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, (root + "\\Configuration").c_str(),
                           "MainWindowPlacement", RRF_RT_REG_SZ, nullptr, text, &textSize),
              ERROR_SUCCESS);
    EXPECT_STREQ(text, "2|1|-1|-1|-1|-1|10|20|810|620|");
    WindowPlacement back;
    ASSERT_TRUE(store.ReadPlacement(settings::kMainWindowPlacement, &back));
    EXPECT_EQ(back.right, 810);

    ASSERT_TRUE(store.OpenLanguage());
    ASSERT_TRUE(store.WriteChosenLanguage("C:\\m\\en.dll"));
    ASSERT_TRUE(store.AddLanguageModule("C:\\m\\en.dll"));
    ASSERT_TRUE(store.AddLanguageModule("C:\\m\\en.dll"));
    EXPECT_EQ(store.ReadChosenLanguage(), "C:\\m\\en.dll");
    EXPECT_EQ(store.ListLanguageModules(), std::vector<std::string>{"C:\\m\\en.dll"});

    // An expandable text is expanded by the platform; a number is no text.
    ASSERT_TRUE(store.OpenLogFile());
    ASSERT_TRUE(SetEnvironmentVariableA("VANTOREL_TEST_DIR", "C:\\vantorel test"));
    const char expandable[] = "%VANTOREL_TEST_DIR%\\Vantorel.log";
    PutRaw(root + "\\LogFile", "LogFilePath", REG_EXPAND_SZ, expandable, sizeof expandable);
    EXPECT_EQ(store.ReadLogFilePath(), "C:\\vantorel test\\Vantorel.log");
    std::string deep(3000, 'd');
    ASSERT_TRUE(SetEnvironmentVariableA("VANTOREL_TEST_DIR", deep.c_str()));
    EXPECT_EQ(store.ReadLogFilePath(), deep + "\\Vantorel.log");
    SetEnvironmentVariableA("VANTOREL_TEST_DIR", nullptr);
    DWORD number = 127;
    PutRaw(root + "\\LogFile", "LogFilePath", REG_DWORD, &number, 4);
    EXPECT_EQ(store.ReadLogFilePath(), "");

    ASSERT_TRUE(store.OpenOpenServices());
    DWORD max = static_cast<DWORD>(-5);
    PutRaw(root + "\\OpenServices", "MaxRemote", REG_DWORD, &max, 4);
    EXPECT_EQ(store.GetMaxRemote(), 1);
}

TEST_F(SettingsWindowsTest, CustomActionsAndStartAtLogonInTheRealRegistry) {
    std::vector<std::string> list;
    EXPECT_TRUE(store.DeleteActions("Spooler"));
    EXPECT_EQ(store.ListServicesWithActions(&list), 0);
    EXPECT_FALSE(store.OpenActionsForReading("Spooler"));
    EXPECT_EQ(store.LastResult(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(KeyExists(root));

    ASSERT_TRUE(store.OpenActionsForWriting("Spooler"));
    ASSERT_TRUE(store.Write(settings::kAlwaysStopped, 1));
    PutRaw(root + "\\CustomActions\\Spooler\\Deeper\\Still", "x", REG_SZ, "", 1);
    ASSERT_TRUE(store.OpenActionsForWriting("Beta"));
    ASSERT_TRUE(store.Write(settings::kDisableNotify, 1));
    EXPECT_EQ(store.ListServicesWithActions(&list), 2);
    ASSERT_TRUE(store.OpenActionsForReading("SPOOLER"));
    EXPECT_EQ(store.Read(settings::kAlwaysStopped), 1);
    EXPECT_EQ(store.Read(settings::kAlwaysRunning), 0);
    ASSERT_TRUE(store.DeleteActions("Spooler"));
    EXPECT_FALSE(KeyExists(root + "\\CustomActions\\Spooler"));
    EXPECT_TRUE(store.DeleteActions("Never"));
    EXPECT_EQ(store.ListServicesWithActions(&list), 1);
    EXPECT_EQ(list, std::vector<std::string>{"Beta"});

    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    EXPECT_FALSE(store.IsStartAtLogon(exe));
    ASSERT_TRUE(store.SetStartAtLogon(true, exe));
    EXPECT_TRUE(store.IsStartAtLogon(exe));
    std::string lower(exe);
    CharLowerBuffA(&lower[0], static_cast<DWORD>(lower.size()));
    PutRaw(run, "Vantorel", REG_SZ, lower.c_str(), static_cast<DWORD>(lower.size() + 1));
    EXPECT_EQ(store.IsStartAtLogon(exe), lower == exe);
    ASSERT_TRUE(store.SetStartAtLogon(false, exe));
    EXPECT_FALSE(store.IsStartAtLogon(exe));
}

}  // namespace
