// A remote machine as a slow link makes it: every call to the service
// control manager takes 20 ms. For each operation a user drives, the number
// of platform calls, the wall time, and the longest time the main window
// took to answer a message sent every 50 ms from another thread (target:
// 250 ms, where the system's own console freezes for the whole wait).
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/CVantorelMainFrame.h"
#include "bench/BenchSupport.h"
#include "bench/Verdict.h"
#include "framework/Answering.h"
#include "monitor/HistoryLog.h"
#include "platform/win32/Win32Platform.h"
#include "settings/SettingsStore.h"
#include "tests/fakes/MeteredScm.h"
#include "tests/windows/FrameClass.h"
#include "tests/windows/WindowWatch.h"
#include "ui/CChangedServicesDlg.h"
#include "ui/CServicePropertiesDlg.h"
#include "ui/CVantorelDocument.h"
#include "ui/ServiceViewSupport.h"

using namespace bench;

namespace {

const uint32_t kLatencyMs = 20;
const DWORD kLongestAnswerMs = 250;

struct Machine {
    platform::Win32Platform real;
    fake::MeteredScm scm{real.scm};
    HistoryLog history{real.files, real.locale, real.texts};
    AppContext context{real.Interfaces().With(scm), history};
};

// Runs `operation` with the window watched; fails the benchmark when the
// window did not answer in time or the calls exceed `mostCalls` (0: any).
void Measure(const char* what, Machine& m, HWND frame, int mostCalls,
             const std::function<void()>& operation) {
    m.scm.Reset();
    wintest::Watcher watcher(frame);
    double took = Timed(operation);
    watcher.Stop();
    int calls = m.scm.Total();
    bool answered = watcher.LongestMs() <= kLongestAnswerMs;
    bool fewCalls = mostCalls == 0 || calls <= mostCalls;
    std::printf("%-24s %5d calls %9.1f ms  longest unanswered %5lu ms (target <= %lu) %s\n", what,
                calls, took, watcher.LongestMs(), kLongestAnswerMs,
                answered && fewCalls ? "PASS" : "MISS");
    if (!fewCalls) std::printf("  more calls than %d\n", mostCalls);
    if (!answered || !fewCalls) Fail();
}

// The properties dialog as a user opens and closes it once it shows.
class ClosedAtOnce : public CServicePropertiesDlg {
public:
    using CServicePropertiesDlg::CServicePropertiesDlg;

protected:
    bool OnInitDialog() override {
        bool focus = CServicePropertiesDlg::OnInitDialog();
        ::PostMessageA(m_hWnd, WM_COMMAND, IDCANCEL, 0);
        return focus;
    }
};

void RestoreAll(Machine& m, CVantorelDocument& document) {
    CChangedServicesDlg window(m.context, nullptr);
    platform::LocalDateTime when = m.real.locale.Now();
    std::vector<std::string> names;
    for (int i = 0; i < 20; ++i) names.push_back(BenchServiceName(i));
    RecordStoppedRunning(window, names, when);
    window.ShowChangesWindow(nullptr, true);
    if (!window.RestoreNames(&document.Core(), &names)) {
        std::printf("  %zu names were left: no result\n", names.size());
        Fail();
    }
    window.DestroyWindow();
}

}  // namespace

int main() {
    WindowBench app(ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES);
    return WithBenchServices([&app](SC_HANDLE) {
        Machine m;
        SettingsStore(m.real.registry).Write(settings::kShowColumns, 7);
        CVantorelDocument document(app, m.context);
        if (!document.Core().OpenDocument("localhost")) {
            std::printf("the services could not be read\n");
            Fail();
            return;
        }
        wintest::RegisterFrameClass();
        auto* frame = new CVantorelMainFrame(app, m.context);  // it goes with its window
        if (!frame->Create(&document)) {
            std::printf("no main window\n");
            Fail();
            return;
        }
        app.m_pMainWnd = frame;
        HWND window = frame->GetSafeHwnd();
        ::MoveWindow(window, 0, 0, 1000, 800, TRUE);
        ::ShowWindow(window, SW_SHOW);
        frame->InitialUpdateFrame(&document);
        std::printf("%u services, %u ms a call\n", document.Services().GetCount(), kLatencyMs);

        m.scm.wait = [](uint32_t ms) { ::Sleep(ms); };
        m.scm.latencyMs = kLatencyMs;
        // Connect, size, fill: the enumeration's calls, and closing the
        // connection it replaces.
        // Opening and showing the list, as the open command does.
        Measure("open a machine", m, window, 3 + 2, [&] {
            if (document.OnOpenDocument("localhost")) frame->InitialUpdateFrame(&document);
        });
        Measure("reload (F5)", m, window, 3 + 2, [&] { ReloadServices(&document); });
        Measure("refresh tick", m, window, 2,
                [&] { ::SendMessageA(window, WM_TIMER, CVantorelMainFrame::kRefreshTimer, 0); });
        // Connect, size, fill, and closing the connection of the list before.
        Measure("monitor pass", m, window, 4,
                [&] { ::SendMessageA(window, WM_TIMER, CVantorelMainFrame::kMonitorTimer, 0); });
        char temp[MAX_PATH] = "";
        ::GetTempPathA(MAX_PATH, temp);
        std::string snapshot = std::string(temp) + "responsive-bench.vts";
        // Files only: the list in memory written and read back.
        Measure("save a snapshot", m, window, 0,
                [&] { document.OnSaveDocument(snapshot.c_str()); });
        Measure("compare with a snapshot", m, window, 0,
                [&] { document.CompareWithFile(snapshot.c_str()); });
        ::DeleteFileA(snapshot.c_str());
        // Five queries (configuration, description, recovery, the delayed
        // flag, the triggers) of open, query and close; a record larger than
        // the first buffer is asked for a second time.
        Measure("properties, read", m, window, 20, [&] {
            ClosedAtOnce dialog(m.context, document.Core(), window);
            if (dialog.SetEntryByName(BenchServiceName(0), false)) dialog.DoModal();
        });
        // Services already as their snapshot has them: a status read each.
        Measure("restore all, 20 services", m, window, 0, [&] { RestoreAll(m, document); });
        m.scm.MakeUnreachable(20000);
        Measure("unreachable, Esc", m, window, 0, [&] {
            MSG esc{};
            esc.message = WM_KEYDOWN;
            esc.wParam = VK_ESCAPE;
            wintest::Watcher presser(window, "", esc);
            ::Sleep(0);
            document.OnOpenDocument("far");
        });
        m.scm.MakeReachable();
        m.scm.latencyMs = 0;
        // The opening given up still waits on this machine's calls.
        for (int i = 0; i < 300 && answering::Outstanding() > 0; ++i) ::Sleep(100);
        frame->DestroyWindow();
        app.m_pMainWnd = nullptr;
    });
}
