// The main window's flows a user drives, in-process over Wine's service
// control manager, registry and files, with one call of the platform
// failing in turn (see WindowFaultSweep.h): the window keeps answering, the
// program says what it documents for that failure, claims no success it
// did not have, and works again once the platform recovers.
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
#include "tests/fakes/MeteredScm.h"
#include "tests/windows/FrameClass.h"
#include "tests/windows/ScriptedDialog.h"
#include "tests/windows/WindowFaultSweep.h"
#include "tests/windows/WindowWatch.h"
#include "tests/windows/WineServices.h"
#include "ui/CChangedServicesDlg.h"
#include "ui/CVantorelDocument.h"

namespace pf = platform::file;
using wintest::ItemText;
using wintest::Joined;
using wintest::kAnswersWithinMs;
using wintest::Over;

namespace {

class TestApp : public CWinApp {
public:
    bool InitInstance() override { return true; }
};

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
// are counted. Where a row is left, the platform recovers and the user
// gives the command again; then the window is closed.
struct RestoreDriver {
    HWND frame = nullptr;
    CVantorelDocument* document = nullptr;
    std::string question;
    std::function<void()> arm, recover;
    bool asked = false, answered = false, retried = false, done = false;
    int rowsFirst = -1, rowsLeft = -1;
    std::vector<std::string> saidFirst, said;
};
RestoreDriver* driver = nullptr;

void CALLBACK DriveRestore(HWND, UINT, UINT_PTR, DWORD) {
    RestoreDriver& d = *driver;
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32770", nullptr)) != nullptr)
        if (GetDlgItem(window, IDC_CHANGES_LIST) && GetWindow(window, GW_OWNER) == d.frame) break;
    if (!window) {
        // No restore window, but a message over the frame: read and closed,
        // so that the run ends and says why.
        if (HWND box = Over(d.frame)) {
            d.said.push_back(ItemText(box));
            SendMessageA(box, WM_COMMAND, IDOK, 0);
        }
        return;
    }
    if (d.done) return;
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
        if (!d.retried) d.rowsFirst = d.rowsLeft;
        if (!d.retried && d.rowsLeft > 0 && d.recover) {
            d.retried = true;
            d.answered = false;
            d.saidFirst.swap(d.said);
            d.recover();
            PostMessageA(window, WM_COMMAND, ID_CHANGES_RESTORE_ALL, 0);
            return;
        }
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
// platform's reason, and "Restaurar todos" again restores it once the
// platform recovers.
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
    flow.retriesInWindow = true;
    flow.prepare = [&] {
        if (svc.State() != SERVICE_RUNNING) {
            EXPECT_TRUE(svc.StartDirectly());
        }
        EXPECT_TRUE(document.RefreshReference());
    };
    flow.run = [&](const std::function<void()>& arm) {
        drive.arm = arm;
        drive.recover = flow.recover;
        drive.asked = drive.answered = drive.retried = drive.done = false;
        drive.rowsFirst = drive.rowsLeft = -1;
        drive.saidFirst.clear();
        drive.said.clear();
        wintest::Watcher watcher(frame->GetSafeHwnd(), "", {}, false);
        UINT_PTR timer = SetTimer(nullptr, 0, 50, DriveRestore);
        frame->RestoreFile(path);
        KillTimer(nullptr, timer);
        watcher.Stop();
        longest = watcher.LongestMs();
        return drive.done && drive.rowsFirst == 0;
    };
    flow.check = [&](bool ok, uint32_t error) {
        EXPECT_TRUE(drive.done) << "the restore window was shown and came back";
        EXPECT_LE(longest, kAnswersWithinMs) << "the window kept answering";
        EXPECT_TRUE(drive.said.empty()) << Joined(drive.said);
        EXPECT_EQ(drive.rowsLeft, 0) << (ok ? "" : "once the platform recovered");
        EXPECT_EQ(svc.State(), static_cast<DWORD>(SERVICE_STOPPED)) << "its row went";
        if (ok) return;
        std::string reason = Reason(error);
        while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r'))
            reason.pop_back();
        EXPECT_EQ(drive.rowsFirst, 1);
        EXPECT_EQ(Joined(drive.saidFirst), "[" + left + ": " + reason + "]");
    };
    EXPECT_GT(wintest::SweepWindowFlow(flow), 0);
    driver = nullptr;
    CloseFrame(frame);
    DeleteFileA(path.c_str());
}

}  // namespace
