// The flows a user drives, in-process over Wine's service control manager,
// registry and files, with one call of the platform failing in turn (see
// WindowFaultSweep.h): the window keeps answering, the program says what
// it documents for that failure, claims no success it did not have, and
// works again once the platform recovers.
#include <windows.h>
#include <gtest/gtest.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "app/CVantorelMainFrame.h"
#include "document/SnapshotFile.h"
#include "document/SnapshotSave.h"
#include "framework/WinApp.h"
#include "monitor/HistoryLog.h"
#include "platform/MessageText.h"
#include "platform/win32/Win32Platform.h"
#include "res/resource.h"
#include "settings/CustomActions.h"
#include "settings/SettingsStore.h"
#include "tests/fakes/MeteredScm.h"
#include "tests/windows/FrameClass.h"
#include "tests/windows/ScriptedDialog.h"
#include "tests/windows/WindowFaultSweep.h"
#include "tests/windows/WindowWatch.h"
#include "tests/windows/WineServices.h"
#include "tests/windows/WithFailureActions.h"
#include "ui/CChangedServicesDlg.h"
#include "ui/CServicePropertiesDlg.h"
#include "ui/CSettingsDlg.h"
#include "ui/CVantorelDocument.h"

namespace pf = platform::file;

namespace {

class TestApp : public CWinApp {
public:
    bool InitInstance() override { return true; }
};

// How long the window may take to answer while the flow works: a message
// box or a wait on a thread of its own answers at once.
const DWORD kAnswersWithinMs = 1000;

// The dialog (a message box) this thread shows over `owner`.
HWND Over(HWND owner) {
    HWND box = nullptr;
    while ((box = FindWindowExA(nullptr, box, "#32770", nullptr)) != nullptr)
        if (GetWindow(box, GW_OWNER) == owner) return box;
    return nullptr;
}

// A control's text; 0xFFFF is a message box's.
std::string ItemText(HWND window, int id = 0xFFFF) {
    char text[1024] = "";
    GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}

std::string Joined(const std::vector<std::string>& texts) {
    std::string all;
    for (const std::string& text : texts) all += "[" + text + "]";
    return all;
}

// The platform's own view of a service: its display name and description.
std::string Stored(const std::string& name) {
    std::string stored;
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service = OpenServiceA(manager, name.c_str(), SERVICE_QUERY_CONFIG);
    std::vector<char> buffer(8192);
    DWORD needed = 0;
    if (QueryServiceConfigA(service, reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data()),
                            static_cast<DWORD>(buffer.size()), &needed)) {
        const char* shown = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data())->lpDisplayName;
        stored = shown ? shown : "";
    }
    if (QueryServiceConfig2A(service, SERVICE_CONFIG_DESCRIPTION,
                             reinterpret_cast<BYTE*>(buffer.data()),
                             static_cast<DWORD>(buffer.size()), &needed)) {
        const char* text = reinterpret_cast<SERVICE_DESCRIPTIONA*>(buffer.data())->lpDescription;
        stored += "|" + std::string(text ? text : "");
    }
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return stored;
}

HWND Page(HWND dialog, int control) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetDlgItem(child, control)) return child;
    return nullptr;
}

// A file's bytes, or "" when there is none.
std::string Bytes(const std::string& path) {
    platform::Win32FileSystem files;
    auto in = files.CreateFileA(path.c_str(), pf::kGenericRead, pf::kShareRead, pf::kOpenExisting);
    std::string data;
    if (!in || !platform::ReadToEnd(*in, &data)) return std::string();
    return data;
}

// Whether the file is a whole snapshot of `count` services.
bool WholeSnapshot(const std::string& path, int count) {
    platform::Win32FileSystem files;
    platform::Win32LocaleTime time;
    auto in = files.CreateFileA(path.c_str(), pf::kGenericRead, pf::kShareRead, pf::kOpenExisting);
    ServiceEntryArray read;
    SnapshotFile snapshot(time);
    return in && snapshot.Read(read, *in) && read.GetCount() == count;
}

// The restore window and "Restaurar todos" driven as a user would, from a
// timer of this thread (the window is modal): once the window shows, the
// plan is armed and the command given; the question is answered yes, what
// else is said is read and closed, and once the work is done the rows left
// are counted and the window closed.
struct RestoreDriver {
    HWND frame = nullptr;
    CVantorelDocument* document = nullptr;
    std::string question;
    std::function<void()> arm;
    bool asked = false, answered = false, done = false;
    int rowsLeft = -1;
    std::vector<std::string> said;
};
RestoreDriver* driver = nullptr;

void CALLBACK DriveRestore(HWND, UINT, UINT_PTR, DWORD) {
    RestoreDriver& d = *driver;
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32770", nullptr)) != nullptr)
        if (GetDlgItem(window, IDC_CHANGES_LIST) && GetWindow(window, GW_OWNER) == d.frame) break;
    if (!window || d.done) return;
    HWND box = Over(window);
    if (box && ItemText(box) == d.question) {
        d.answered = true;
        SendMessageA(box, WM_COMMAND, IDYES, 0);
    } else if (box) {
        d.said.push_back(ItemText(box));
        SendMessageA(box, WM_COMMAND, IDOK, 0);
    } else if (!d.asked) {
        d.asked = true;
        d.arm();
        PostMessageA(window, WM_COMMAND, ID_CHANGES_RESTORE_ALL, 0);
    } else if (d.answered && !d.document->Busy() && IsWindowEnabled(window)) {
        d.rowsLeft =
            static_cast<int>(SendDlgItemMessageA(window, IDC_CHANGES_LIST, LVM_GETITEMCOUNT, 0, 0));
        d.done = true;
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    }
}

class FaultsWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(texts_.Loaded());
        wintest::RegisterFrameClass();
    }
    std::string Res(unsigned id) { return context_.resources.LoadText(id); }
    std::string Reason(uint32_t error) { return platform_.scm.FormatMessageA(error); }

    // The main frame over `document`, hidden from the refresh and monitor
    // timers: their calls would be counted with the flow's.
    CVantorelMainFrame* MakeFrame(CVantorelDocument& document, AppContext& context) {
        auto* frame = new CVantorelMainFrame(app_, context);  // it goes with its window
        if (!frame->Create(&document)) return nullptr;
        app_.m_pMainWnd = frame;
        KillTimer(frame->GetSafeHwnd(), CVantorelMainFrame::kRefreshTimer);
        KillTimer(frame->GetSafeHwnd(), CVantorelMainFrame::kMonitorTimer);
        ::ShowWindow(frame->GetSafeHwnd(), SW_SHOW);
        return frame;
    }
    // The main frame's end asks the thread to quit, which no later test wants.
    void CloseFrame(CVantorelMainFrame* frame) {
        frame->DestroyWindow();
        app_.m_pMainWnd = nullptr;
        MSG quit;
        while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }

    TestApp app_;
    platform::Win32Platform platform_;
    wintest::ProgramTexts texts_{platform_.textsInUse};
    HistoryLog history_{platform_.files, platform_.locale, platform_.texts};
    AppContext context_{platform_.Interfaces(), history_};
    fake::FaultPlan scmPlan_, registryPlan_, filesPlan_;
};

// Opening a machine, with the connection and its enumeration failing and
// with the settings that choose what to list unreadable: the status bar
// says whom it waits for, a failure is said with the platform's reason and
// keeps the list shown before, and an opening that claims success lists
// every service.
TEST_F(FaultsWindowsTest, OpeningAMachineSaysWhyItFailedAndKeepsTheListShown) {
    // Each call, the failing one too, takes a while and reads the status
    // bar meanwhile, as a user would while the machine is waited for.
    fake::FaultyScm faulty(platform_.scm, scmPlan_);
    fake::MeteredScm scm(faulty);
    HWND bar = nullptr;
    std::string connecting;
    std::atomic<bool> saidConnecting{false};
    scm.wait = [&](uint32_t ms) {
        char text[256] = "";
        DWORD_PTR answered = 0;
        SendMessageTimeoutA(bar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                            kAnswersWithinMs, &answered);
        if (connecting == text) saidConnecting = true;
        Sleep(ms);
    };
    fake::FaultyRegistry registry(platform_.registry, registryPlan_);
    AppContext context{platform_.Interfaces().With(scm).With(registry), history_};
    CVantorelDocument document(app_, context);
    ASSERT_TRUE(document.Core().OpenDocument("localhost"));
    CVantorelMainFrame* frame = MakeFrame(document, context);
    ASSERT_NE(frame, nullptr);
    bar = FindWindowExA(frame->GetSafeHwnd(), nullptr, STATUSCLASSNAMEA, nullptr);
    const uint32_t everyService = document.Services().GetCount();
    connecting = FormatText(Res(IDS_CONNECTING), "localhost");

    uint32_t generation = 0;
    std::vector<std::string> said;
    DWORD longest = 0;
    auto run = [&](const std::function<void()>& arm) {
        generation = document.Services().Generation();
        saidConnecting = false;
        scm.latencyMs = 20;
        wintest::Watcher watcher(frame->GetSafeHwnd());
        arm();
        bool ok = document.OnOpenDocument("localhost");
        watcher.Stop();
        scm.latencyMs = 0;
        said = watcher.BoxTexts();
        longest = watcher.LongestMs();
        return ok;
    };
    auto common = [&](bool ok) {
        EXPECT_LE(longest, kAnswersWithinMs) << "the window kept answering";
        EXPECT_TRUE(saidConnecting) << connecting;
        EXPECT_FALSE(document.OpeningCancelled());
        EXPECT_FALSE(document.Busy());
        if (ok) {
            EXPECT_TRUE(said.empty()) << Joined(said);
            EXPECT_NE(document.Services().Generation(), generation);
        }
    };
    wintest::WindowFlow flow;
    flow.name = "opening a machine";
    flow.kind = "service control";
    flow.plan = &scmPlan_;
    flow.prepare = [] {};
    flow.run = run;
    flow.check = [&](bool ok, uint32_t error) {
        common(ok);
        if (ok) {
            EXPECT_EQ(document.Services().GetCount(), everyService) << "a list claimed whole";
            return;
        }
        EXPECT_EQ(Joined(said), "[" + Res(IDS_ERROR_LOADING_SERVICES) + "\n" + Reason(error) + "]");
        EXPECT_EQ(document.Services().Generation(), generation) << "the list shown before stays";
        EXPECT_EQ(document.Services().GetCount(), everyService);
    };
    int runs = wintest::SweepWindowFlow(flow);
    EXPECT_GT(runs, 0);

    // Settings that cannot be read leave the program's own choice of what
    // to list, silently.
    flow.kind = "registry";
    flow.plan = &registryPlan_;
    flow.check = [&](bool ok, uint32_t) {
        EXPECT_TRUE(ok);
        common(ok);
    };
    EXPECT_GT(wintest::SweepWindowFlow(flow), 0);
    CloseFrame(frame);
}

// The properties dialog's OK writes on a thread of its own: with a write
// of the configuration refused, the platform's reason is shown and the
// dialog stays with the user's edits; an OK that closes the dialog has
// written them. The service's custom actions are lost without a word when
// their key cannot be written, as documented, and the dialog closes.
TEST_F(FaultsWindowsTest, ThePropertiesOKSaysARefusedWriteAndClosesOnlyOnceWritten) {
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
    std::vector<std::string> said;
    bool stayed = false;
    INT_PTR result = 0;
    // The dialog's owner answers as long as the thread does.
    CWnd owner;
    owner.CreateEx(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                   nullptr);
    wintest::Watcher watcher(owner.GetSafeHwnd(), "", {}, false);
    auto run = [&](const std::function<void()>& arm) {
        edited = "Vantorel fault " + std::to_string(++attempt);
        said.clear();
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
                SendMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
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
        return result == IDOK;
    };
    auto written = [&] {
        EXPECT_EQ(Stored(svc.Name()), edited + "|" + edited) << "closed with OK";
        EXPECT_TRUE(said.empty()) << Joined(said);
    };
    wintest::WindowFlow flow;
    flow.name = "the properties dialog's OK";
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
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_EQ(Joined(said), "[" + Reason(error) + "]");
        EXPECT_TRUE(stayed) << "the dialog stays with the user's edits";
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
// stored every choice the user made. The settings this machine had are
// kept.
TEST_F(FaultsWindowsTest, TheSettingsOKSaysARefusedWriteAndClosesOnlyOnceAllIsStored) {
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

    std::vector<std::string> said;
    bool stayed = false;
    wintest::WindowFlow flow;
    flow.name = "the settings dialog's OK";
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
        stayed = false;
        wintest::Scripted<CSettingsDlg> dialog(context, nullptr, CSettingsDlg::kGeneral);
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
            SendMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
        };
        return dialog.DoModal() == IDOK;
    };
    flow.check = [&](bool ok, uint32_t) {
        if (!ok) {
            ASSERT_EQ(said.size(), 1u) << Joined(said);
            EXPECT_TRUE(said[0] == refused || said[0] == actionsLost) << said[0];
            EXPECT_TRUE(stayed);
            return;
        }
        EXPECT_EQ(Joined(said), "[" + restart + "]");
        EXPECT_EQ(real.Read(settings::kShowTrayIcon), 0);
        EXPECT_EQ(real.Read(settings::kShowColumns), 7 | 32);
        EXPECT_EQ(real.Read(settings::kCompareTimer), 60000);
        CustomActions stored = ReadCustomActions(platform_.registry, "Spooler");
        EXPECT_TRUE(stored.alwaysRunning && stored.disableLog);
    };
    EXPECT_GT(wintest::SweepWindowFlow(flow), 0);

    for (size_t i = 0; i < before.size(); ++i) real.Write(*kept[i], before[i]);
    real.WriteLogFilePath(keptPath);
    WriteCustomActions(platform_.registry, "Spooler", CustomActions());
}

// "Guardar una foto" with each file call failing (a full disk, a file
// another program holds, access denied, ...): the failure is said with the
// platform's reason, and the file on disk is the old one whole, or none
// when there was none; never a part of the new one.
TEST_F(FaultsWindowsTest, SavingASnapshotLeavesTheOldFileWholeAndSaysWhy) {
    fake::FaultyFiles files(platform_.files, filesPlan_);
    AppContext context{platform_.Interfaces().With(files), history_};
    CVantorelDocument document(app_, context);
    ASSERT_TRUE(document.Core().OpenDocument("localhost"));
    CVantorelMainFrame* frame = MakeFrame(document, context);
    ASSERT_NE(frame, nullptr);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder =
        std::string(temp) + "vantorel-faults" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string path = folder + "\\services.rpt";
    const int count = static_cast<int>(document.Core().referenceList.GetCount());
    const std::string format = Res(IDS_ERROR_SAVING_SERVICES);

    bool withOld = true;
    std::string old;
    std::vector<std::string> said;
    DWORD longest = 0;
    wintest::WindowFlow flow;
    flow.name = "saving a snapshot over an old one";
    flow.kind = "files";
    flow.plan = &filesPlan_;
    flow.prepare = [&] {
        DeleteFileA(path.c_str());
        if (withOld) {
            std::string reason;
            EXPECT_TRUE(SaveSnapshot(platform_.files, platform_.locale,
                                     document.Core().referenceList, path, &reason))
                << reason;
        }
        old = Bytes(path);
    };
    flow.run = [&](const std::function<void()>& arm) {
        wintest::Watcher watcher(frame->GetSafeHwnd());
        arm();
        bool ok = document.OnSaveDocument(path.c_str());
        watcher.Stop();
        said = watcher.BoxTexts();
        longest = watcher.LongestMs();
        return ok;
    };
    flow.check = [&](bool ok, uint32_t error) {
        EXPECT_LE(longest, kAnswersWithinMs) << "the window kept answering";
        if (ok) {
            EXPECT_TRUE(said.empty()) << Joined(said);
            EXPECT_TRUE(WholeSnapshot(path, count)) << "a snapshot claimed saved";
            return;
        }
        std::string reason = platform_.files.FormatMessageA(error);
        EXPECT_EQ(Joined(said), "[" + ComposeMessage(format, "services.rpt", reason) + "]");
        EXPECT_EQ(Bytes(path), old) << "the old file stays as it was";
    };
    EXPECT_GT(wintest::SweepWindowFlow(flow), 0);
    withOld = false;
    flow.name = "saving a new snapshot";
    EXPECT_GT(wintest::SweepWindowFlow(flow), 0);

    CloseFrame(frame);
    // A folder that held a temporary file a failure left would stay.
    DeleteFileA(path.c_str());
    EXPECT_TRUE(RemoveDirectoryA(folder.c_str())) << "no temporary file stays behind";
}

// "Restaurar todos" in the restore window after a comparison with a
// snapshot, a service to be brought back to stopped: each call site of the
// restore (a wait's polls are one site) fails in turn. A row goes only for a
// service that is stopped; one left is named in the summary with the
// platform's reason.
TEST_F(FaultsWindowsTest, RestoringAllNamesWhatIsLeftAndRemovesOnlyRowsRestored) {
    wintest::TestService svc("basic");
    ASSERT_TRUE(svc.Registered());
    fake::FaultyScm faulty(platform_.scm, scmPlan_);
    wintest::SiteScm scm(faulty, scmPlan_);
    AppContext context{platform_.Interfaces().With(scm), history_};
    CVantorelDocument document(app_, context);
    ASSERT_TRUE(document.Core().OpenDocument("localhost"));
    const std::string path = wintest::ExeDirectory() + "\\faults-restore.rpt";
    ASSERT_TRUE(document.Core().SaveSnapshot(platform_.files, platform_.locale, path));
    CVantorelMainFrame* frame = MakeFrame(document, context);
    ASSERT_NE(frame, nullptr);
    const std::string left =
        Res(IDS_RESTORE_ERROR_ALL) + "\n" + Res(IDS_RESTORE_NOT_RESTORABLE) + "\n- " + svc.Name();

    RestoreDriver drive;
    drive.frame = frame->GetSafeHwnd();
    drive.document = &document;
    drive.question = Res(IDS_RESTORE_MASS_QUESTION);
    driver = &drive;
    DWORD longest = 0;
    wintest::WindowFlow flow;
    flow.name = "restoring all";
    flow.kind = "service control";
    flow.plan = &scmPlan_;
    flow.sites = &scm;
    flow.prepare = [&] {
        if (svc.State() != SERVICE_RUNNING) {
            EXPECT_TRUE(svc.StartDirectly());
        }
        EXPECT_TRUE(document.RefreshReference());
    };
    flow.run = [&](const std::function<void()>& arm) {
        drive.arm = arm;
        drive.asked = drive.answered = drive.done = false;
        drive.rowsLeft = -1;
        drive.said.clear();
        wintest::Watcher watcher(frame->GetSafeHwnd(), "", {}, false);
        UINT_PTR timer = SetTimer(nullptr, 0, 50, DriveRestore);
        frame->RestoreFile(path);
        KillTimer(nullptr, timer);
        watcher.Stop();
        longest = watcher.LongestMs();
        return drive.done && drive.rowsLeft == 0;
    };
    flow.check = [&](bool ok, uint32_t error) {
        EXPECT_TRUE(drive.done) << "the restore window was shown and came back";
        EXPECT_LE(longest, kAnswersWithinMs) << "the window kept answering";
        if (ok) {
            EXPECT_TRUE(drive.said.empty()) << Joined(drive.said);
            EXPECT_EQ(svc.State(), static_cast<DWORD>(SERVICE_STOPPED)) << "its row went";
            return;
        }
        std::string reason = Reason(error);
        while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r'))
            reason.pop_back();
        ASSERT_EQ(drive.said.size(), 1u) << Joined(drive.said);
        EXPECT_TRUE(drive.said[0] == left + ": " + reason) << drive.said[0];
        EXPECT_EQ(drive.rowsLeft, 1);
    };
    EXPECT_GT(wintest::SweepWindowFlow(flow), 0);
    driver = nullptr;
    CloseFrame(frame);
    DeleteFileA(path.c_str());
}

}  // namespace
