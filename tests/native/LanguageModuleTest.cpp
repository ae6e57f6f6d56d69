// Language modules against in-memory modules, version information and
// registry: which modules are taken, the reasons for refusing the others,
// and what start-up does with the choice.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "settings/FileVersionInfo.h"
#include "settings/LanguageModule.h"
#include "tests/fakes/FakeModules.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeScm.h"

namespace {

const std::string kLanguageKey = "Software\\Quorvex\\Larkspan\\Vantorel\\Language";
const char* kEnglish = "D:\\lang\\english.dll";

class LanguageModuleTest : public ::testing::Test {
protected:
    LanguageModuleTest() {
        texts.strings[LanguageModule::kTitleId] = "Vantorel";
        texts.strings[IDS_REGISTRY_ERROR] = "registry";
        texts.strings[IDS_LANGUAGE_BAD_FORMAT] = "format";
        texts.strings[IDS_LANGUAGE_BAD_VERSION] = "version";
        texts.strings[IDS_LANGUAGE_DEFAULT_START] = "default: %s";
        Module(kEnglish, "Vantorel", "2, 1, 3, 0");
    }
    fake::ModuleFile& Module(const std::string& path, const std::string& title,
                             const std::string& version) {
        fake::ModuleFile& m = modules.files[path];
        if (!title.empty()) m.strings[57344] = title;
        m.versionStrings["040904e4\\FileVersion"] = version;
        m.versionStrings["040904e4\\ProductName"] = "Vantorel";
        return m;
    }

    fake::Registry registry;
    fake::Modules modules;
    fake::Texts texts;
    platform::TextsInUse inUse;
    LanguageModule language{registry, modules, modules, texts};
};

TEST_F(LanguageModuleTest, VersionItemsComeFromTheFirstTranslation) {
    fake::ModuleFile& m = Module("D:\\two.dll", "Vantorel", "9, 9");
    m.translation = {0x0407, 1252, 0x0409, 1252};
    m.versionStrings["040704e4\\FileVersion"] = "1, 2";
    m.versionStrings["040704e4\\SpecialBuild"] = "sb";
    m.languageName = "German (Germany)";
    FileVersionInfo info(modules, "D:\\two.dll");
    EXPECT_EQ(info.Language(), 0x0407);
    EXPECT_EQ(info.StringItem(FileVersionInfo::kFileVersion), "1, 2");
    EXPECT_EQ(info.StringItem(FileVersionInfo::kSpecialBuild), "sb");
    EXPECT_EQ(info.StringItem(FileVersionInfo::kProductName), "");
    EXPECT_EQ(info.StringItem(12), "");
    EXPECT_EQ(info.LanguageName(), "German (Germany)");

    m.translation.clear();
    FileVersionInfo untranslated(modules, "D:\\two.dll");
    EXPECT_EQ(untranslated.StringItem(FileVersionInfo::kFileVersion), "");
    FileVersionInfo missing(modules, "D:\\none.dll");
    EXPECT_FALSE(missing.HasVersionBlock());
    EXPECT_EQ(missing.StringItem(FileVersionInfo::kProductName), "");
}

TEST_F(LanguageModuleTest, ValidationNamesTheReasonForEachKindOfBadModule) {
    EXPECT_TRUE(language.Validate(kEnglish));
    EXPECT_EQ(language.GetErrorText(), "");

    Module("D:\\other.dll", "Otro", "2, 1, 3, 0");
    EXPECT_FALSE(language.Validate("D:\\other.dll"));
    EXPECT_EQ(language.GetErrorText(), "format");

    Module("D:\\spacing.dll", "Vantorel", "2,1,3,0");
    EXPECT_FALSE(language.Validate("D:\\spacing.dll"));
    EXPECT_EQ(language.GetErrorText(), "version");

    modules.files["D:\\text.dll"].library = false;
    EXPECT_FALSE(language.Validate("D:\\text.dll"));
    EXPECT_EQ(language.GetErrorText(), "System message 193.\r\n");

    EXPECT_FALSE(language.Validate("D:\\gone.dll"));
    EXPECT_EQ(language.GetErrorText(), "System message 2.\r\n");

    // A library without any strings, and one whose table lacks the title
    // (the platform then leaves no error code: the reason must not read as success).
    Module("D:\\nostrings.dll", "", "2, 1, 3, 0");
    EXPECT_FALSE(language.Validate("D:\\nostrings.dll"));
    EXPECT_EQ(language.GetErrorText(), "System message 1813.\r\n");
    Module("D:\\notitle.dll", "", "2, 1, 3, 0").strings[1] = "x";
    modules.lastError = 0;
    EXPECT_FALSE(language.Validate("D:\\notitle.dll"));
    EXPECT_EQ(language.GetErrorText(), "System message 1814.\r\n");

    // Validation only reads modules as data and leaves none loaded.
    for (uint32_t flags : modules.loadFlags) EXPECT_EQ(flags, platform::module::kLoadAsDatafile);
    EXPECT_EQ(modules.Loaded(), 0);
}

TEST_F(LanguageModuleTest, StartupLoadsTheChosenModuleAsResourcesOnly) {
    EXPECT_TRUE(language.LoadAtStartup(inUse));  // nothing chosen
    EXPECT_EQ(inUse.Module(), nullptr);
    EXPECT_EQ(inUse.VersionFile(modules), fake::Modules::kProgram);

    registry.PutString(kLanguageKey, "", kEnglish);
    ASSERT_TRUE(language.LoadAtStartup(inUse)) << language.GetErrorText();
    EXPECT_NE(inUse.Module(), nullptr);
    EXPECT_EQ(inUse.Path(), kEnglish);
    EXPECT_EQ(inUse.VersionFile(modules), kEnglish);
    EXPECT_EQ(modules.loadFlags.back(), LanguageModule::kLoadFlags);
    EXPECT_EQ(modules.Loaded(), 1);
    // Loading another frees the one before.
    Module("D:\\lang\\second.dll", "Vantorel", "2, 1, 3, 0");
    ASSERT_TRUE(language.Load("D:\\lang\\second.dll", inUse));
    EXPECT_EQ(modules.Loaded(), 1);
    EXPECT_EQ(inUse.Path(), "D:\\lang\\second.dll");
}

TEST_F(LanguageModuleTest, AFailedStartupNamesTheFileTheReasonAndTheDefaultLanguage) {
    registry.PutString(kLanguageKey, "", "D:\\lang\\deleted.dll");
    EXPECT_FALSE(language.LoadAtStartup(inUse));
    EXPECT_EQ(inUse.Module(), nullptr);
    EXPECT_EQ(language.StartupFailureMessage(),
              "deleted.dll: System message 2.\r\n\r\n\n\ndefault: Spanish (modern sort)");
    EXPECT_EQ(registry.Find(kLanguageKey, "")->data, std::string("D:\\lang\\deleted.dll\0", 20));
    // A settings key that cannot be opened means the built-in texts.
    registry.deniedKeys.insert(kLanguageKey);
    EXPECT_TRUE(language.LoadAtStartup(inUse));
}

TEST_F(LanguageModuleTest, TheSystemsMessageNamesTheModuleInItsInsert) {
    modules.messages[193] = "Bad EXE format for %1.\r\n";
    modules.messages[2] = "%1!s! not found; %10 and 100%% stay.\r\n";
    modules.files["D:\\lang\\text%1.dll"].library = false;
    registry.PutString(kLanguageKey, "", "D:\\lang\\text%1.dll");
    EXPECT_FALSE(language.LoadAtStartup(inUse));
    // The file name goes in once: a "%1" inside it is not filled again.
    EXPECT_EQ(language.StartupFailureMessage(),
              "text%1.dll: Bad EXE format for text%1.dll.\r\n\r\n\n\n"
              "default: Spanish (modern sort)");
    EXPECT_FALSE(language.Install("D:\\gone.dll"));
    EXPECT_EQ(language.GetErrorText(), "gone.dll not found; %10 and 100%% stay.\r\n");
}

TEST_F(LanguageModuleTest, InstallAndUninstallKeepOneValuePerModule) {
    ASSERT_TRUE(language.Install(kEnglish));
    ASSERT_TRUE(language.Install(kEnglish));
    EXPECT_EQ(registry.ValueNames(kLanguageKey), std::vector<std::string>{kEnglish});
    EXPECT_FALSE(language.Install("D:\\gone.dll"));
    EXPECT_EQ(language.GetErrorText(), "System message 2.\r\n");
    EXPECT_EQ(registry.ValueNames(kLanguageKey).size(), 1u);

    ASSERT_TRUE(language.Uninstall(kEnglish));
    EXPECT_TRUE(registry.ValueNames(kLanguageKey).empty());
    EXPECT_FALSE(language.Uninstall(kEnglish));
    EXPECT_EQ(language.GetErrorText(), "registry");

    registry.failWrites = true;
    EXPECT_FALSE(language.Install(kEnglish));
    EXPECT_EQ(language.GetErrorText(), "registry");
    registry.deniedKeys.insert(kLanguageKey);
    EXPECT_FALSE(language.Install(kEnglish));
    EXPECT_EQ(language.GetErrorText(), "registry");
}

TEST_F(LanguageModuleTest, LanguageNamesAndFileNames) {
    EXPECT_EQ(language.DefaultLanguageName(), "Spanish (modern sort)");
    EXPECT_EQ(language.LanguageNameOf(""), "Spanish (modern sort)");
    EXPECT_EQ(language.LanguageNameOf(kEnglish), "English (United States)");
    EXPECT_EQ(LanguageModule::FileNameOf("C:\\a\\b.dll"), "b.dll");
    EXPECT_EQ(LanguageModule::FileNameOf("b.dll"), "b.dll");
    EXPECT_EQ(LanguageModule::FileNameOf("\\b.dll"), "\\b.dll");
    EXPECT_EQ(LanguageModule::FileNameOf("C:\\dir\\"), "");
}

}  // namespace
