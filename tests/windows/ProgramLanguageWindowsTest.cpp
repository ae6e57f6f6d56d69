// The program's texts from a language module, and settings chosen in the
// settings dialog taking effect, from outside.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/windows/ProgramUnderTest.h"
#include "tests/windows/WineServices.h"

using namespace wintest;

namespace {

class ProgramLanguageWindowsTest : public wintest::ProgramTest {};

TEST_F(ProgramLanguageWindowsTest, TheEnglishModuleGivesTheProgramItsTexts) {
    TestService running("basic");
    ASSERT_TRUE(running.StartDirectly());
    Configuration language("Software\\Quorvex\\Larkspan\\Vantorel\\Language");
    language.Set("", wintest::ExeDirectory() + "\\Vantorel.en.dll");
    Program program;
    HWND frame = program.Frame(30000);
    ASSERT_NE(frame, nullptr) << "the module was refused";
    char text[256] = "";
    SendMessageA(FindChild(frame, STATUSCLASSNAMEA), WM_GETTEXT, sizeof text,
                 reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "Ready");
    HWND list = FindChild(frame, WC_LISTVIEWA);
    int row = FindRow(program, list, running.Name());
    ASSERT_GE(row, 0);
    EXPECT_EQ(program.Row(list, row, 3)[2], "Running");

    // Another process's menus cannot be read under Wine: read the module's own.
    std::string module = wintest::ExeDirectory() + "\\Vantorel.en.dll";
    HMODULE resources = LoadLibraryExA(module.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(resources, nullptr);
    HMENU menu = LoadMenuA(resources, MAKEINTRESOURCEA(IDR_MAINFRAME));
    GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&File");
    DestroyMenu(menu);
    FreeLibrary(resources);

    // The about box describes the module, in its dialog.
    PostMessageA(frame, WM_COMMAND, ID_APP_ABOUT, 0);
    HWND about = WaitForDialog(program);
    ASSERT_NE(about, nullptr);
    SendMessageA(about, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "About Vantorel");
    std::string version = ControlText(about, IDC_ABOUT_VERSION);
    EXPECT_EQ(version.rfind("Vantorel English texts\n\n", 0), 0u) << version;
    EXPECT_NE(version.find("\n\nEnglish"), std::string::npos) << version;
    SendMessageA(about, WM_COMMAND, IDOK, 0);
}

// The settings window's page that holds `control` visible.
HWND VisiblePageWith(HWND settings, int control) {
    for (HWND page = GetWindow(settings, GW_CHILD); page; page = GetWindow(page, GW_HWNDNEXT))
        if (IsWindowVisible(page) && GetDlgItem(page, control)) return page;
    return nullptr;
}

// Answers the message boxes the program shows over `owner` until none comes.
void AnswerBoxes(const Program& program, HWND owner) {
    while (HWND box = WaitForDialog(program, 20, owner)) SendMessageA(box, WM_COMMAND, IDOK, 0);
}

// The English module chosen on the language page: the program says the
// change waits for a restart, and the next start speaks English.
TEST_F(ProgramLanguageWindowsTest, ALanguageChosenInTheSettingsSpeaksAfterARestart) {
    Configuration language("Software\\Quorvex\\Larkspan\\Vantorel\\Language");
    const std::string module = wintest::ExeDirectory() + "\\Vantorel.en.dll";
    language.Set(module.c_str(), std::string());
    language.Set("", std::string());
    {
        Program program;
        HWND frame = program.Frame(30000);
        ASSERT_NE(frame, nullptr);
        PostMessageA(frame, WM_COMMAND, ID_TOOLS_LANGUAGE, 0);
        HWND settings = WaitForDialog(program);
        ASSERT_NE(settings, nullptr);
        HWND page = VisiblePageWith(settings, IDC_SETTINGS_LIST);
        ASSERT_NE(page, nullptr);
        HWND list = GetDlgItem(page, IDC_SETTINGS_LIST);
        ASSERT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 2);
        EXPECT_EQ(program.Row(list, 1, 1)[0], "English");
        program.Select(list, 1);
        SendMessageA(page, WM_COMMAND, ID_LANGUAGE_SELECT, 0);
        PostMessageA(settings, WM_COMMAND, IDOK, 0);
        HWND told = WaitForDialog(program, 100, settings);
        ASSERT_NE(told, nullptr);
        EXPECT_EQ(MessageText(told).rfind("El cambio de idioma", 0), 0u) << MessageText(told);
        SendMessageA(told, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(language.Get(""), module);
    }
    Program program;
    HWND frame = program.Frame(30000);
    ASSERT_NE(frame, nullptr);
    char text[64] = "";
    SendMessageA(FindChild(frame, STATUSCLASSNAMEA), WM_GETTEXT, sizeof text,
                 reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "Ready");
}

// A comparison period set in the settings starts the passes at once: a
// service started from outside shows up in the changes window.
TEST_F(ProgramLanguageWindowsTest, APeriodSetInTheSettingsStartsWatchingWithoutARestart) {
    TestService svc("basic");
    ASSERT_TRUE(svc.Registered());
    Configuration config;
    config.Set("CompareTimer", DWORD(0));
    config.Set("ShowServiceChanges", DWORD(1));
    Program program;
    HWND frame = program.Frame(30000);
    ASSERT_NE(frame, nullptr);
    PostMessageA(frame, WM_COMMAND, ID_TOOLS_SETTINGS, 0);
    HWND settings = WaitForDialog(program);
    ASSERT_NE(settings, nullptr);
    HWND tabs = GetDlgItem(settings, IDC_SETTINGS_TABS);
    SendMessageA(tabs, TCM_SETCURSEL, 1, 0);
    HWND page = nullptr;
    for (HWND child = GetWindow(settings, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetDlgItem(child, IDC_SETTINGS_PERIOD)) page = child;
    ASSERT_NE(page, nullptr);
    SendDlgItemMessageA(page, IDC_SETTINGS_PERIOD, CB_SETCURSEL, 1, 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_SETTINGS_PERIOD, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_SETTINGS_PERIOD)));
    PostMessageA(settings, WM_COMMAND, IDOK, 0);
    AnswerBoxes(program, settings);
    EXPECT_EQ(config.Get("CompareTimer"), std::string("\xE8\x03"));
    ASSERT_TRUE(svc.StartDirectly());
    HWND changes = WaitForDialog(program, 100);
    ASSERT_NE(changes, nullptr) << "no pass found the change";
    EXPECT_GE(FindRow(program, GetDlgItem(changes, IDC_CHANGES_LIST), svc.Name()), 0);
}

TEST_F(ProgramLanguageWindowsTest, TheEnglishModuleHasEveryStringTheProgramHas) {
    std::string dir = wintest::ExeDirectory();
    HMODULE spanish =
        LoadLibraryExA((dir + "\\Vantorel.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HMODULE english =
        LoadLibraryExA((dir + "\\Vantorel.en.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(spanish && english);
    int strings = 0;
    for (UINT id = 1; id < 0x10000; ++id) {
        char es[16], en[16];
        bool inSpanish = LoadStringA(spanish, id, es, sizeof es) > 0;
        bool inEnglish = LoadStringA(english, id, en, sizeof en) > 0;
        EXPECT_EQ(inSpanish, inEnglish) << "string " << id;
        strings += inSpanish;
    }
    EXPECT_GT(strings, 50);
    FreeLibrary(spanish);
    FreeLibrary(english);
}

}  // namespace
