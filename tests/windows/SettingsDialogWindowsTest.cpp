// The settings dialog in-process, on the real registry: the comparison
// periods, the actions page while comparison is off, the columns' first row,
// and the custom actions of a service added in another letter case, each
// checked in the registry after OK.
#include <windows.h>
#include <gtest/gtest.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <climits>
#include <functional>
#include <string>

#include "framework/WinApp.h"
#include "monitor/HistoryLog.h"
#include "platform/TextsInUse.h"
#include "platform/win32/Win32Platform.h"
#include "res/resource.h"
#include "settings/CustomActions.h"
#include "settings/SettingsStore.h"
#include "tests/fakes/ForwardingRegistry.h"
#include "tests/windows/ProgramUnderTest.h"
#include "tests/windows/ScriptedDialog.h"
#include "tests/windows/WineServices.h"
#include "ui/CSettingsDlg.h"

namespace {

class TestApp : public CWinApp {
public:
    bool InitInstance() override { return true; }
};

// The dialog this thread shows over `owner` (a message box or the
// add-service dialog).
HWND Over(HWND owner) {
    HWND box = nullptr;
    while ((box = FindWindowExA(nullptr, box, "#32770", nullptr)) != nullptr)
        if (GetWindow(box, GW_OWNER) == owner) return box;
    return nullptr;
}

// The real registry, but for one value it refuses to write.
class RefusingOneValue : public fake::ForwardingRegistry {
public:
    RefusingOneValue(platform::RegistryApi& inner, const char* name)
        : ForwardingRegistry(inner), name_(name) {}
    long RegSetValueExA(platform::RegKey k, const char* n, uint32_t t, const void* d,
                        uint32_t s) override {
        if (n && lstrcmpiA(n, name_) == 0) return platform::reg::kAccessDenied;
        return ForwardingRegistry::RegSetValueExA(k, n, t, d, s);
    }

private:
    const char* name_;
};

class SettingsDialogWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(texts_.Loaded());
        SettingsStore store(platform_.registry);
        for (const settings::DwordValue* value : kKept) kept_.push_back(store.Read(*value));
        keptPath_ = store.ReadLogFilePath();
    }
    void TearDown() override {
        SettingsStore store(platform_.registry);
        for (size_t i = 0; i < kept_.size(); ++i) store.Write(*kKept[i], kept_[i]);
        store.WriteLogFilePath(keptPath_);
        WriteCustomActions(platform_.registry, "Spooler", CustomActions());
    }
    int Read(const settings::DwordValue& value) {
        return SettingsStore(platform_.registry).Read(value);
    }
    void Write(const settings::DwordValue& value, int data) {
        SettingsStore(platform_.registry).Write(value, data);
    }
    // Runs the dialog at `page`: `act` as the user, then OK, the closing
    // message answered.
    INT_PTR RunThenOk(int page,
                      const std::function<void(wintest::Scripted<CSettingsDlg>&, HWND)>& act) {
        wintest::Scripted<CSettingsDlg> dialog(context_, nullptr, page);
        dialog.script = [&](HWND hwnd, int step) {
            if (step == 0) {
                act(dialog, hwnd);
                PostMessageA(hwnd, wintest::kStep, 0, 0);
                SendMessageA(hwnd, WM_COMMAND, IDOK, 0);
            } else if (HWND box = Over(hwnd)) {
                SendMessageA(box, WM_COMMAND, IDOK, 0);
            }
        };
        return dialog.DoModal();
    }

    static constexpr const settings::DwordValue* kKept[] = {
        &settings::kCompareTimer, &settings::kShowServiceChanges, &settings::kMessageBeep,
        &settings::kShowColumns,  &settings::kShowTrayIcon,       &settings::kHideOnMinimize,
        &settings::kRunMinimized, &settings::kAutoDelete};
    TestApp app_;
    platform::Win32Platform platform_;
    wintest::ProgramTexts texts_{platform_.textsInUse};
    HistoryLog history_{platform_.files, platform_.locale, platform_.texts};
    AppContext context_{platform_.Interfaces(), history_};
    std::vector<int> kept_;
    std::string keptPath_;
};

TEST_F(SettingsDialogWindowsTest, PeriodsAreShownAsTheFirstNotShorterAndStoredAsShown) {
    struct Case {
        int stored, shown, written;
    } cases[] = {{45000, 5, 60000}, {7200000, -1, 0}, {1000, 1, 1000}, {INT_MIN, -1, 0}};
    for (const Case& c : cases) {
        Write(settings::kCompareTimer, c.stored);
        int shown = -2;
        EXPECT_EQ(RunThenOk(CSettingsDlg::kComparison,
                            [&](wintest::Scripted<CSettingsDlg>& dialog, HWND) {
                                shown = static_cast<int>(SendDlgItemMessageA(
                                    dialog.PageWindow(CSettingsDlg::kComparison),
                                    IDC_SETTINGS_PERIOD, CB_GETCURSEL, 0, 0));
                            }),
                  IDOK);
        EXPECT_EQ(shown, c.shown) << c.stored;
        EXPECT_EQ(Read(settings::kCompareTimer), c.written) << c.stored;
    }
}

// Comparison off: the three checks cleared and disabled, the warning shown,
// and nothing logged after OK.
TEST_F(SettingsDialogWindowsTest, WithComparisonOffNothingIsShownSoundedOrLogged) {
    Write(settings::kCompareTimer, 0);
    Write(settings::kShowServiceChanges, 1);
    Write(settings::kMessageBeep, 1);
    SettingsStore(platform_.registry).WriteLogFilePath("C:\\logs\\kept.log");
    EXPECT_EQ(
        RunThenOk(CSettingsDlg::kActions,
                  [&](wintest::Scripted<CSettingsDlg>& dialog, HWND hwnd) {
                      HWND page = dialog.PageWindow(CSettingsDlg::kActions);
                      EXPECT_FALSE(IsDlgButtonChecked(page, IDC_SETTINGS_SHOW_CHANGES));
                      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_SETTINGS_LOGGING)));
                      EXPECT_TRUE(GetWindowLongPtrA(GetDlgItem(page, IDC_SETTINGS_COMPARISON_OFF),
                                                    GWL_STYLE) &
                                  WS_VISIBLE);
                      ShowWindow(hwnd, SW_SHOW);
                      for (int p = 0; p < CSettingsDlg::kPages; ++p) {
                          dialog.SelectPage(p);
                          RedrawWindow(
                              hwnd, nullptr, nullptr,
                              RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
                          EXPECT_TRUE(wintest::SaveScreen("settings-" + std::to_string(p)));
                      }
                  }),
        IDOK);
    EXPECT_EQ(Read(settings::kShowServiceChanges), 0);
    EXPECT_EQ(Read(settings::kMessageBeep), 0);
    EXPECT_EQ(SettingsStore(platform_.registry).ReadLogFilePath(), "");
}

// Unchecking "Nombre" is undone; the icon's two options go with it.
TEST_F(SettingsDialogWindowsTest, TheNameColumnStaysAndTheIconOptionsFollowTheIcon) {
    Write(settings::kShowColumns, 7);
    Write(settings::kShowTrayIcon, 1);
    Write(settings::kHideOnMinimize, 1);
    Write(settings::kRunMinimized, 1);
    EXPECT_EQ(RunThenOk(CSettingsDlg::kColumns,
                        [&](wintest::Scripted<CSettingsDlg>& dialog, HWND) {
                            HWND list = GetDlgItem(dialog.PageWindow(CSettingsDlg::kColumns),
                                                   IDC_SETTINGS_LIST);
                            ListView_SetCheckState(list, 0, FALSE);
                            EXPECT_TRUE(ListView_GetCheckState(list, 0));
                            ListView_SetCheckState(list, 2, FALSE);
                            ListView_SetCheckState(list, 5, TRUE);
                            HWND general = dialog.PageWindow(CSettingsDlg::kGeneral);
                            SendDlgItemMessageA(general, IDC_SETTINGS_TRAY_ICON, BM_CLICK, 0, 0);
                            EXPECT_FALSE(IsDlgButtonChecked(general, IDC_SETTINGS_RUN_MINIMIZED));
                        }),
              IDOK);
    EXPECT_EQ(Read(settings::kShowColumns), 1 | 2 | 32);
    EXPECT_EQ(Read(settings::kShowTrayIcon), 0);
    EXPECT_EQ(Read(settings::kHideOnMinimize), 0);
    EXPECT_EQ(Read(settings::kRunMinimized), 0);
}

// A service added in another letter case is the one already there; its
// actions deleted, OK removes its key.
TEST_F(SettingsDialogWindowsTest, AServiceAddedInAnotherCaseIsTheOneThereAndDeletingRemovesIt) {
    CustomActions running;
    running.alwaysRunning = true;
    ASSERT_TRUE(WriteCustomActions(platform_.registry, "Spooler", running));
    wintest::Scripted<CSettingsDlg> dialog(context_, nullptr, CSettingsDlg::kCustom);
    int entries = -1, afterDelete = -1;
    bool shownRunning = false;
    dialog.script = [&](HWND hwnd, int step) {
        HWND page = dialog.PageWindow(CSettingsDlg::kCustom);
        HWND combo = GetDlgItem(page, IDC_SETTINGS_SERVICE);
        switch (step) {
            case 0:
                PostMessageA(hwnd, wintest::kStep, 0, 0);
                SendMessageA(page, WM_COMMAND, ID_ACTIONS_ADD, 0);
                entries = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
                shownRunning =
                    IsDlgButtonChecked(dialog.ActionsWindow(), IDC_ACTIONS_ALWAYS_RUNNING);
                SendMessageA(page, WM_COMMAND, ID_ACTIONS_DELETE, 0);
                afterDelete = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
                PostMessageA(hwnd, wintest::kStep, 0, 0);
                SendMessageA(hwnd, WM_COMMAND, IDOK, 0);
                break;
            case 1: {
                HWND add = Over(hwnd);
                ASSERT_NE(add, nullptr) << "no add-service dialog";
                SetDlgItemTextA(add, IDC_SETTINGS_SERVICE, "  SPOOLER ");
                SendMessageA(add, WM_COMMAND, IDOK, 0);
                break;
            }
            default:
                if (HWND box = Over(hwnd)) SendMessageA(box, WM_COMMAND, IDOK, 0);
                break;
        }
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(entries, 1);
    EXPECT_TRUE(shownRunning);
    EXPECT_EQ(afterDelete, 0);
    std::vector<std::string> left;
    SettingsStore(platform_.registry).ListServicesWithActions(&left);
    for (const std::string& name : left) EXPECT_NE(name, "Spooler");
}

// No log is open, yet the user may switch logging on in this very dialog:
// a service's "do not log" box is there to be set with the others.
TEST_F(SettingsDialogWindowsTest, TheDoNotLogBoxIsEnabledWithTheOthersWithoutAnOpenLog) {
    CustomActions running;
    running.alwaysRunning = true;
    ASSERT_TRUE(WriteCustomActions(platform_.registry, "Spooler", running));
    context_.logOpen = false;
    bool enabled = false;
    EXPECT_EQ(RunThenOk(CSettingsDlg::kCustom,
                        [&](wintest::Scripted<CSettingsDlg>& dialog, HWND) {
                            HWND boxes = dialog.ActionsWindow();
                            enabled = IsWindowEnabled(GetDlgItem(boxes, IDC_ACTIONS_DISABLE_LOG));
                            SendDlgItemMessageA(boxes, IDC_ACTIONS_DISABLE_LOG, BM_CLICK, 0, 0);
                        }),
              IDOK);
    EXPECT_TRUE(enabled);
    CustomActions stored = ReadCustomActions(platform_.registry, "Spooler");
    EXPECT_TRUE(stored.alwaysRunning && stored.disableLog);
}

// A value the registry refuses is said, the values after it are written
// all the same, and the dialog stays open for another try.
TEST_F(SettingsDialogWindowsTest, ARefusedWriteIsSaidAndTheDialogStaysOpen) {
    Write(settings::kCompareTimer, 45000);
    RefusingOneValue registry(platform_.registry, "MessageBeep");
    AppContext context{platform_.Interfaces().With(registry), history_};
    wintest::Scripted<CSettingsDlg> dialog(context, nullptr, CSettingsDlg::kGeneral);
    std::string said;
    dialog.script = [&](HWND hwnd, int step) {
        if (step == 0) {
            PostMessageA(hwnd, wintest::kStep, 0, 0);
            SendMessageA(hwnd, WM_COMMAND, IDOK, 0);
            // Comes back only to a dialog that stayed open.
            PostMessageA(hwnd, wintest::kStep, 0, 0);
        } else if (HWND box = Over(hwnd)) {
            char text[256] = "";
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            said = text;
            SendMessageA(box, WM_COMMAND, IDOK, 0);
        } else {
            SendMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
        }
    };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(said, "Error accediendo al registro de Windows");
    EXPECT_EQ(Read(settings::kCompareTimer), 60000) << "written after the refused value";
}

// After an install or an uninstall the Idioma page lists every module again:
// the one installed beside the others, and the one left after an uninstall.
TEST_F(SettingsDialogWindowsTest, InstallingOrUninstallingAModuleKeepsTheOthersListed) {
    const std::string english = wintest::ExeDirectory() + "\\Vantorel.en.dll";
    const std::string valid = wintest::ExeDirectory() + "\\valid_module.dll";
    {
        SettingsStore store(platform_.registry);
        for (const std::string& module : store.ListLanguageModules()) store.DeleteValue(module);
        ASSERT_TRUE(store.OpenLanguage());
        ASSERT_TRUE(store.AddLanguageModule(english));
    }
    wintest::Scripted<CSettingsDlg> dialog(context_, nullptr, CSettingsDlg::kLanguage);
    int before = -1, afterInstall = -1, afterUninstall = -1;
    dialog.script = [&](HWND hwnd, int step) {
        HWND page = dialog.PageWindow(CSettingsDlg::kLanguage);
        HWND list = GetDlgItem(page, IDC_SETTINGS_LIST);
        auto rows = [&] { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); };
        HWND box = Over(hwnd);
        if (step == 0) {
            before = rows();
            PostMessageA(hwnd, wintest::kStep, 0, 0);
            SendMessageA(page, WM_COMMAND, ID_LANGUAGE_INSTALL, 0);
            afterInstall = rows();
            ListView_SetItemState(list, 1, LVIS_SELECTED | LVIS_FOCUSED,
                                  LVIS_SELECTED | LVIS_FOCUSED);
            PostMessageA(hwnd, wintest::kStep, 0, 0);
            SendMessageA(page, WM_COMMAND, ID_LANGUAGE_UNINSTALL, 0);
            afterUninstall = rows();
            SendMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
        } else if (step == 1 && box) {
            HWND name = wintest::FindChild(box, "Edit");
            ASSERT_NE(name, nullptr) << "no file name box";
            SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(valid.c_str()));
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        } else if (box) {
            SendMessageA(box, WM_COMMAND, IDYES, 0);
        }
    };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    SettingsStore store(platform_.registry);
    std::vector<std::string> left = store.ListLanguageModules();
    for (const std::string& module : left) store.DeleteValue(module);
    EXPECT_EQ(before, 2) << "the program's language and the English module";
    EXPECT_EQ(afterInstall, 3);
    EXPECT_EQ(afterUninstall, 2);
    EXPECT_EQ(left.size(), 1u);
}

// A module whose file went after the list was filled is said so when it
// is chosen, marked as not valid, and not chosen.
TEST_F(SettingsDialogWindowsTest, AModuleGoneSinceTheListWasFilledIsNotChosen) {
    const std::string gone = wintest::ExeDirectory() + "\\gone.en.dll";
    ASSERT_TRUE(
        CopyFileA((wintest::ExeDirectory() + "\\Vantorel.en.dll").c_str(), gone.c_str(), FALSE));
    SettingsStore store(platform_.registry);
    for (const std::string& module : store.ListLanguageModules()) store.DeleteValue(module);
    ASSERT_TRUE(store.OpenLanguage());
    ASSERT_TRUE(store.AddLanguageModule(gone));
    const std::string chosen = store.ReadChosenLanguage();
    wintest::Scripted<CSettingsDlg> dialog(context_, nullptr, CSettingsDlg::kLanguage);
    std::string said;
    int image = -1;
    dialog.script = [&](HWND hwnd, int step) {
        HWND page = dialog.PageWindow(CSettingsDlg::kLanguage);
        HWND list = GetDlgItem(page, IDC_SETTINGS_LIST);
        if (step == 0) {
            DeleteFileA(gone.c_str());
            ListView_SetItemState(list, 1, LVIS_SELECTED | LVIS_FOCUSED,
                                  LVIS_SELECTED | LVIS_FOCUSED);
            PostMessageA(hwnd, wintest::kStep, 0, 0);
            SendMessageA(page, WM_COMMAND, ID_LANGUAGE_SELECT, 0);
            LVITEMA item{};
            item.mask = LVIF_IMAGE;
            item.iItem = 1;
            SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
            image = item.iImage;
            PostMessageA(hwnd, wintest::kStep, 0, 0);
            SendMessageA(hwnd, WM_COMMAND, IDOK, 0);
        } else if (HWND box = Over(hwnd)) {
            char text[512] = "";
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            if (said.empty()) said = text;
            SendMessageA(box, WM_COMMAND, IDOK, 0);
        }
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(said.rfind("gone.en.dll: ", 0), 0u) << said;
    EXPECT_EQ(image, 17) << "the picture of a module that is not valid";
    EXPECT_EQ(store.ReadChosenLanguage(), chosen);
    store.DeleteValue(gone);
}

// Ctrl+Tab and Ctrl+Shift+Tab turn the pages from a control of the page
// shown, going round at the ends, as a click on the tab would.
TEST_F(SettingsDialogWindowsTest, CtrlTabTurnsThePagesBothWays) {
    wintest::Scripted<CSettingsDlg> dialog(context_, nullptr, CSettingsDlg::kGeneral);
    std::vector<int> shown;
    dialog.script = [&](HWND hwnd, int step) {
        int page = TabCtrl_GetCurSel(GetDlgItem(hwnd, IDC_SETTINGS_TABS));
        // The dialog itself stays hidden while scripted: the page's own style says.
        bool visible =
            page >= 0 && (GetWindowLongA(dialog.PageWindow(page), GWL_STYLE) & WS_VISIBLE);
        shown.push_back(visible ? page : -1);
        if (step == 3) {
            SendMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        keys[VK_SHIFT] = step > 0 ? 0x80 : 0;
        SetKeyboardState(keys);
        PostMessageA(GetWindow(dialog.PageWindow(page), GW_CHILD), WM_KEYDOWN, VK_TAB, 1);
        PostMessageA(hwnd, wintest::kStep, 0, 0);
    };
    dialog.DoModal();
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(shown, (std::vector<int>{CSettingsDlg::kGeneral, CSettingsDlg::kComparison,
                                       CSettingsDlg::kGeneral, CSettingsDlg::kLanguage}));
}

}  // namespace
