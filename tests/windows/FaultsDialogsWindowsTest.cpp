// The OK of the properties and settings dialogs, in-process over Wine's
// service control manager and registry, with one call of the platform
// failing in turn (see WindowFaultSweep.h): a refusal is said as the
// program documents it and keeps the dialog open with the user's choices,
// an OK that closes the dialog has stored them, and OK again stores them
// once the platform recovers.
#include <windows.h>
#include <gtest/gtest.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/WinApp.h"
#include "monitor/HistoryLog.h"
#include "platform/win32/Win32Platform.h"
#include "res/resource.h"
#include "settings/CustomActions.h"
#include "settings/SettingsStore.h"
#include "tests/windows/ScriptedDialog.h"
#include "tests/windows/WindowFaultSweep.h"
#include "tests/windows/WindowWatch.h"
#include "tests/windows/WineServices.h"
#include "tests/windows/WithFailureActions.h"
#include "ui/CServicePropertiesDlg.h"
#include "ui/CSettingsDlg.h"

using wintest::ItemText;
using wintest::Joined;
using wintest::kAnswersWithinMs;
using wintest::Over;

namespace {

class TestApp : public CWinApp {
public:
    bool InitInstance() override { return true; }
};

// The platform's own view of a service: its display name and description.
std::string Stored(const std::string& name) {
    wintest::StoredService stored = wintest::ReadStoredService(name);
    return stored.displayName + "|" + stored.description;
}

HWND Page(HWND dialog, int control) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetDlgItem(child, control)) return child;
    return nullptr;
}

class FaultsDialogsWindowsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(texts_.Loaded()); }
    std::string Res(unsigned id) { return context_.resources.LoadText(id); }
    std::string Reason(uint32_t error) { return platform_.scm.FormatMessageA(error); }

    TestApp app_;
    platform::Win32Platform platform_;
    wintest::ProgramTexts texts_{platform_.textsInUse};
    HistoryLog history_{platform_.files, platform_.locale, platform_.texts};
    AppContext context_{platform_.Interfaces(), history_};
    fake::FaultPlan scmPlan_, registryPlan_;
};

// The properties dialog's OK writes on a thread of its own: with a write
// of the configuration refused, the platform's reason is shown and the
// dialog stays with the user's edits; an OK that closes the dialog has
// written them, and so has an OK again once the platform recovers. The
// service's custom actions are lost without a word when
// their key cannot be written, as documented, and the dialog closes.
TEST_F(FaultsDialogsWindowsTest, ThePropertiesOKSaysARefusedWriteAndClosesOnlyOnceWritten) {
    wintest::TestService svc("basic");
    ASSERT_TRUE(svc.Registered());
    wintest::WithFailureActions wine(platform_.scm);
    fake::FaultyScm scm(wine, scmPlan_);
    fake::FaultyRegistry registry(platform_.registry, registryPlan_);
    AppContext context{platform_.Interfaces().With(scm).With(registry), history_};
    ServicesDocument document(scm, registry, platform_.texts, platform_.clock);
    ASSERT_TRUE(document.OpenDocument("localhost"));

    int attempt = 0;
    std::string edited, question = Res(IDS_PROPERTIES_QUESTION);
    std::vector<std::string> said, refusal;
    bool stayed = false;
    INT_PTR result = 0;
    wintest::WindowFlow flow;
    // The dialog's owner answers as long as the thread does.
    CWnd owner;
    owner.CreateEx(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                   nullptr);
    wintest::Watcher watcher(owner.GetSafeHwnd(), "", {}, false);
    auto run = [&](const std::function<void()>& arm) {
        edited = "Vantorel fault " + std::to_string(++attempt);
        said.clear();
        refusal.clear();
        stayed = false;
        wintest::Scripted<CServicePropertiesDlg> dialog(context, document, owner.GetSafeHwnd());
        if (!dialog.SetEntryByName(svc.Name(), true)) return false;
        dialog.script = [&](HWND hwnd, int step) {
            if (step == 0) {
                SetDlgItemTextA(hwnd, IDC_PROPERTIES_DISPLAY_NAME, edited.c_str());
                HWND config = Page(hwnd, IDC_PROPERTIES_DESCRIPTION);
                SetDlgItemTextA(config, IDC_PROPERTIES_DESCRIPTION, edited.c_str());
                HWND actions = Page(hwnd, IDC_ACTIONS_ALWAYS_RUNNING);
                if (!IsDlgButtonChecked(actions, IDC_ACTIONS_ALWAYS_RUNNING))
                    SendDlgItemMessageA(actions, IDC_ACTIONS_ALWAYS_RUNNING, BM_CLICK, 0, 0);
                arm();
                PostMessageA(hwnd, wintest::kStep, 0, 0);
                SendMessageA(hwnd, WM_COMMAND, IDOK, 0);
                if (said.empty()) return;  // closed, or the script gives up
                stayed = IsWindow(hwnd) && ItemText(hwnd, IDC_PROPERTIES_DISPLAY_NAME) == edited;
                // The platform recovers, and the user presses OK again.
                refusal.swap(said);
                flow.recover();
                PostMessageA(hwnd, wintest::kStep, 0, 0);
                SendMessageA(hwnd, WM_COMMAND, IDOK, 0);
                if (!said.empty()) SendMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
                return;
            }
            HWND box = Over(hwnd);
            if (box && ItemText(box) == question) {
                PostMessageA(hwnd, wintest::kStep, 0, 0);
                SendMessageA(box, WM_COMMAND, IDYES, 0);
            } else if (box) {
                said.push_back(ItemText(box));
                SendMessageA(box, WM_COMMAND, IDOK, 0);
            } else if (!IsWindowEnabled(hwnd)) {
                dialog.Retry();  // still writing
            }
        };
        result = dialog.DoModal();
        return result == IDOK && refusal.empty();
    };
    auto written = [&] {
        EXPECT_EQ(Stored(svc.Name()), edited + "|" + edited) << "closed with OK";
        EXPECT_TRUE(said.empty()) << Joined(said);
    };
    flow.name = "the properties dialog's OK";
    flow.retriesInWindow = true;
    flow.kind = "service control";
    flow.plan = &scmPlan_;
    flow.prepare = [&] { WriteCustomActions(platform_.registry, svc.Name(), CustomActions()); };
    flow.run = run;
    flow.check = [&](bool ok, uint32_t error) {
        if (ok) {
            written();
            if (error == 0) {
                EXPECT_TRUE(ReadCustomActions(platform_.registry, svc.Name()).alwaysRunning);
            }
            return;
        }
        EXPECT_EQ(Joined(refusal), "[" + Reason(error) + "]");
        EXPECT_TRUE(stayed) << "the dialog stays with the user's edits";
        EXPECT_EQ(result, IDOK) << "OK again once the platform recovered";
        written();
        EXPECT_FALSE(document.busy);
    };
    EXPECT_GT(wintest::SweepWindowFlow(flow), 0);

    flow.kind = "registry";
    flow.plan = &registryPlan_;
    flow.check = [&](bool ok, uint32_t) {
        EXPECT_TRUE(ok) << "the actions are lost, not the dialog's OK";
        if (ok) written();
    };
    EXPECT_GT(wintest::SweepWindowFlow(flow), 0);
    watcher.Stop();
    EXPECT_LE(watcher.LongestMs(), kAnswersWithinMs) << "the windows kept answering";
    WriteCustomActions(platform_.registry, svc.Name(), CustomActions());
}

// The settings dialog's OK writes every page in order: a refused key or
// value is said ("Error accediendo al registro de Windows", or the custom
// actions' own message) and the dialog stays open; an OK that closes it has
// stored every choice the user made, and so has an OK again once the
// platform recovers. The settings this machine had are kept.
TEST_F(FaultsDialogsWindowsTest, TheSettingsOKSaysARefusedWriteAndClosesOnlyOnceAllIsStored) {
    using settings::DwordValue;
    const DwordValue* kept[] = {&settings::kCompareTimer, &settings::kShowColumns,
                                &settings::kShowTrayIcon, &settings::kHideOnMinimize,
                                &settings::kRunMinimized};
    SettingsStore real(platform_.registry);
    std::vector<int> before;
    for (const DwordValue* value : kept) before.push_back(real.Read(*value));
    const std::string keptPath = real.ReadLogFilePath();
    fake::FaultyRegistry registry(platform_.registry, registryPlan_);
    AppContext context{platform_.Interfaces().With(registry), history_};
    const std::string refused = Res(IDS_REGISTRY_ERROR),
                      actionsLost = Res(IDS_SETTINGS_ACTIONS_FAILED),
                      restart = Res(IDS_SETTINGS_RESTART);

    std::vector<std::string> said, refusal;
    bool stayed = false;
    INT_PTR result = 0;
    CWnd owner;
    owner.CreateEx(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                   nullptr);
    wintest::Watcher watcher(owner.GetSafeHwnd(), "", {}, false);
    wintest::WindowFlow flow;
    flow.name = "the settings dialog's OK";
    flow.retriesInWindow = true;
    flow.kind = "registry";
    flow.plan = &registryPlan_;
    flow.prepare = [&] {
        real.Write(settings::kCompareTimer, 45000);
        real.Write(settings::kShowColumns, 7);
        real.Write(settings::kShowTrayIcon, 1);
        CustomActions running;
        running.alwaysRunning = true;
        WriteCustomActions(platform_.registry, "Spooler", running);
    };
    flow.run = [&](const std::function<void()>& arm) {
        said.clear();
        refusal.clear();
        stayed = false;
        wintest::Scripted<CSettingsDlg> dialog(context, nullptr, CSettingsDlg::kGeneral,
                                               owner.GetSafeHwnd());
        dialog.script = [&](HWND hwnd, int step) {
            if (step != 0) {
                if (HWND box = Over(hwnd)) {
                    said.push_back(ItemText(box));
                    SendMessageA(box, WM_COMMAND, IDOK, 0);
                }
                return;
            }
            // The user turns the icon off, shows a column and keeps a
            // service's changes out of the log.
            SendDlgItemMessageA(dialog.PageWindow(CSettingsDlg::kGeneral), IDC_SETTINGS_TRAY_ICON,
                                BM_CLICK, 0, 0);
            HWND list = GetDlgItem(dialog.PageWindow(CSettingsDlg::kColumns), IDC_SETTINGS_LIST);
            ListView_SetCheckState(list, 5, TRUE);
            SendDlgItemMessageA(dialog.ActionsWindow(), IDC_ACTIONS_DISABLE_LOG, BM_CLICK, 0, 0);
            arm();
            PostMessageA(hwnd, wintest::kStep, 0, 0);
            SendMessageA(hwnd, WM_COMMAND, IDOK, 0);
            if (said.empty() || said.back() == restart) return;  // closed
            stayed = IsWindow(hwnd) != FALSE;
            // The platform recovers, and the user presses OK again.
            refusal.swap(said);
            flow.recover();
            PostMessageA(hwnd, wintest::kStep, 0, 0);
            SendMessageA(hwnd, WM_COMMAND, IDOK, 0);
            if (said.empty() || said.back() != restart) SendMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
        };
        result = dialog.DoModal();
        return result == IDOK && refusal.empty();
    };
    flow.check = [&](bool ok, uint32_t) {
        if (!ok) {
            ASSERT_EQ(refusal.size(), 1u) << Joined(refusal);
            EXPECT_TRUE(refusal[0] == refused || refusal[0] == actionsLost) << refusal[0];
            EXPECT_TRUE(stayed);
            EXPECT_EQ(result, IDOK) << "OK again once the platform recovered";
        }
        EXPECT_EQ(Joined(said), "[" + restart + "]");
        EXPECT_EQ(real.Read(settings::kShowTrayIcon), 0);
        EXPECT_EQ(real.Read(settings::kShowColumns), 7 | 32);
        EXPECT_EQ(real.Read(settings::kCompareTimer), 60000);
        CustomActions stored = ReadCustomActions(platform_.registry, "Spooler");
        EXPECT_TRUE(stored.alwaysRunning && stored.disableLog);
    };
    EXPECT_GT(wintest::SweepWindowFlow(flow), 0);
    watcher.Stop();
    EXPECT_LE(watcher.LongestMs(), kAnswersWithinMs) << "the windows kept answering";

    for (size_t i = 0; i < before.size(); ++i) real.Write(*kept[i], before[i]);
    real.WriteLogFilePath(keptPath);
    WriteCustomActions(platform_.registry, "Spooler", CustomActions());
}

}  // namespace
