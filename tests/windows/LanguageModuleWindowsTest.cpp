// Language modules and version information on the real platform: test
// modules built as resource-only libraries, each with the result and the
// message the program gives for it.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/Win32Modules.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32TextSource.h"
#include "platform/win32/Win32Version.h"
#include "res/resource.h"
#include "res/version.h"
#include "settings/FileVersionInfo.h"
#include "settings/LanguageModule.h"
#include "tests/windows/WineServices.h"
#include "tests/windows/modules/module_ids.h"

namespace {

class LanguageModuleWindowsTest : public ::testing::Test {
protected:
    LanguageModuleWindowsTest()
        : base("Software\\Quorvex\\Larkspan\\VantorelLangTest" +
               std::to_string(GetCurrentProcessId())),
          root(base + "\\Vantorel"),
          language(registry, modules, versions, texts, root) {}
    ~LanguageModuleWindowsTest() override {
        if (inUse.Module() != nullptr) FreeLibrary(static_cast<HMODULE>(inUse.Module()));
        RegDeleteTreeA(HKEY_CURRENT_USER, base.c_str());
    }
    static std::string Module(const char* name) { return wintest::ExeDirectory() + "\\" + name; }
    std::string SystemText(DWORD code) { return modules.FormatMessageA(code); }
    void Choose(const std::string& path) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (root + "\\Language").c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>(path.size() + 1));
        RegCloseKey(key);
    }

    std::string base, root;
    platform::Win32Registry registry;
    platform::Win32Modules modules;
    platform::Win32Version versions;
    platform::TextsInUse inUse;
    platform::Win32TextSource texts{inUse};
    LanguageModule language;
};

TEST_F(LanguageModuleWindowsTest, TheProgramsVersionInformationCarriesTheItemsTheModulesMatch) {
    FileVersionInfo own(versions, modules.GetModuleFileNameA(nullptr));
    ASSERT_TRUE(own.HasVersionBlock());
    EXPECT_EQ(own.Language(), 0x0c0a);
    EXPECT_EQ(own.CodePage(), 1252);
    EXPECT_EQ(own.StringItem(FileVersionInfo::kProductName), "Vantorel");
    EXPECT_EQ(own.StringItem(FileVersionInfo::kFileVersion), VANTOREL_FILE_VERSION_TEXT);
    EXPECT_EQ(own.StringItem(FileVersionInfo::kCompanyName), "Quorvex");
    EXPECT_EQ(own.StringItem(FileVersionInfo::kSpecialBuild), "");
    char name[128] = {};
    VerLanguageNameA(0x0c0a, name, sizeof name);
    EXPECT_EQ(own.LanguageName(), name);
    EXPECT_EQ(language.DefaultLanguageName(), name);
    VerLanguageNameA(0x0409, name, sizeof name);
    EXPECT_EQ(language.LanguageNameOf(Module("valid_module.dll")), name);

    FileVersionInfo none(versions, Module("not_a_library.dll"));
    EXPECT_FALSE(none.HasVersionBlock());
    EXPECT_EQ(none.StringItem(FileVersionInfo::kFileVersion), "");
}

TEST_F(LanguageModuleWindowsTest, EachKindOfModuleGetsItsResultAndMessage) {
    EXPECT_TRUE(language.Validate(Module("valid_module.dll"))) << language.GetErrorText();

    EXPECT_FALSE(language.Validate(Module("other_title_module.dll")));
    EXPECT_EQ(language.GetErrorText(), texts.Text(IDS_LANGUAGE_BAD_FORMAT));
    EXPECT_FALSE(language.GetErrorText().empty());

    EXPECT_FALSE(language.Validate(Module("other_version_module.dll")));
    EXPECT_EQ(language.GetErrorText(), texts.Text(IDS_LANGUAGE_BAD_VERSION));
    EXPECT_FALSE(language.GetErrorText().empty());

    EXPECT_FALSE(language.Validate(Module("untitled_module.dll")));
    EXPECT_EQ(language.GetErrorText(), SystemText(ERROR_RESOURCE_NAME_NOT_FOUND));

    // The system's text names the file in an insert, which the message fills.
    EXPECT_FALSE(language.Validate(Module("not_a_library.dll")));
    std::string badFormat = SystemText(ERROR_BAD_EXE_FORMAT);
    size_t insert = badFormat.find("%1");
    ASSERT_NE(insert, std::string::npos) << badFormat;
    badFormat.replace(insert, 2, "not_a_library.dll");
    EXPECT_EQ(language.GetErrorText(), badFormat);

    // Wine reports a missing file, Windows may report a missing module.
    std::string missing = Module("no_such_module.dll");
    EXPECT_FALSE(language.Validate(missing));
    EXPECT_TRUE(language.GetErrorText() == SystemText(ERROR_FILE_NOT_FOUND) ||
                language.GetErrorText() == SystemText(ERROR_MOD_NOT_FOUND))
        << language.GetErrorText();
}

TEST_F(LanguageModuleWindowsTest, AChosenModuleServesEveryKindOfResourceLoadedAsResourcesOnly) {
    Choose(Module("valid_module.dll"));
    ASSERT_TRUE(language.LoadAtStartup(inUse)) << language.GetErrorText();
    HMODULE module = static_cast<HMODULE>(inUse.Module());
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(inUse.Path(), Module("valid_module.dll"));

    platform::Win32TextSource moduleTexts(module);
    EXPECT_EQ(moduleTexts.Text(TEST_STRING), "Stand-in text");
    EXPECT_EQ(moduleTexts.Text(TEST_TITLE), "Vantorel");

    HMENU menu = LoadMenuA(module, MAKEINTRESOURCEA(TEST_MENU));
    EXPECT_NE(menu, nullptr);
    if (menu) DestroyMenu(menu);

    HWND dialog = CreateDialogParamA(
        module, MAKEINTRESOURCEA(TEST_DIALOG), nullptr,
        [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    EXPECT_NE(dialog, nullptr) << GetLastError();
    if (dialog) {
        char label[32] = {};
        GetDlgItemTextA(dialog, TEST_DIALOG_LABEL, label, sizeof label);
        EXPECT_STREQ(label, "Stand-in");
        DestroyWindow(dialog);
    }

    HBITMAP bitmap = LoadBitmapA(module, MAKEINTRESOURCEA(TEST_BITMAP));
    EXPECT_NE(bitmap, nullptr);
    if (bitmap) DeleteObject(bitmap);
    HANDLE image =
        LoadImageA(module, MAKEINTRESOURCEA(TEST_BITMAP), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    EXPECT_NE(image, nullptr);
    if (image) DeleteObject(image);

    HICON icon =
        static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(TEST_ICON), IMAGE_ICON, 16, 16, 0));
    EXPECT_NE(icon, nullptr);
    if (icon) DestroyIcon(icon);
    EXPECT_NE(LoadIconA(module, MAKEINTRESOURCEA(TEST_ICON)), nullptr);

    // The change sound is played from the module by resource name and type.
    HRSRC wave = FindResourceA(module, MAKEINTRESOURCEA(TEST_WAVE), "WAVE");
    ASSERT_NE(wave, nullptr);
    HGLOBAL data = LoadResource(module, wave);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(memcmp(LockResource(data), "RIFF", 4), 0);
    EXPECT_EQ(SizeofResource(module, wave), 20u);
}

TEST_F(LanguageModuleWindowsTest, AMissingChosenModuleFallsBackWithTheStartupMessage) {
    std::string missing = Module("deleted_module.dll");
    Choose(missing);
    EXPECT_FALSE(language.LoadAtStartup(inUse));
    EXPECT_EQ(inUse.Module(), nullptr);
    std::string sentence = texts.Text(IDS_LANGUAGE_DEFAULT_START);
    ASSERT_NE(sentence.find("%s"), std::string::npos);
    sentence.replace(sentence.find("%s"), 2, language.DefaultLanguageName());
    EXPECT_EQ(language.StartupFailureMessage(),
              "deleted_module.dll: " + language.GetErrorText() + "\r\n\n\n" + sentence);
    EXPECT_TRUE(language.GetErrorText() == SystemText(ERROR_FILE_NOT_FOUND) ||
                language.GetErrorText() == SystemText(ERROR_MOD_NOT_FOUND));
}

TEST_F(LanguageModuleWindowsTest, InstallValidatesAndUninstallRemovesTheValueOnly) {
    std::string valid = Module("valid_module.dll");
    ASSERT_TRUE(language.Install(valid)) << language.GetErrorText();
    ASSERT_TRUE(language.Install(valid));
    EXPECT_FALSE(language.Install(Module("other_title_module.dll")));
    EXPECT_EQ(language.GetErrorText(), texts.Text(IDS_LANGUAGE_BAD_FORMAT));
    {
        SettingsStore store(registry, root);
        ASSERT_TRUE(store.OpenLanguage());
        EXPECT_EQ(store.ListLanguageModules(), std::vector<std::string>{valid});
    }
    ASSERT_TRUE(language.Uninstall(valid));
    EXPECT_FALSE(language.Uninstall(valid));
    EXPECT_EQ(language.GetErrorText(), texts.Text(IDS_REGISTRY_ERROR));
    EXPECT_EQ(GetFileAttributesA(valid.c_str()) != INVALID_FILE_ATTRIBUTES, true);
}

}  // namespace
