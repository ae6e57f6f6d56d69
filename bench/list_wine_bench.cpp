// The services views against the least any program must do, with 500
// services on the machine: one enumeration, which already holds every
// state. A rebuild of the list (the machine read again and shown), a refresh tick of the rows on
// screen when nothing changed, a tick of the dependency tree; with the configuration columns, one
// configuration query per service besides. The platform calls are counted as well as timed.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "bench/Verdict.h"
#include "framework/WinApp.h"
#include "monitor/HistoryLog.h"
#include "platform/win32/Win32Platform.h"
#include "res/resource.h"
#include "settings/SettingsStore.h"
#include "tests/fakes/MeteredScm.h"
#include "ui/CVantorelDocument.h"
#include "ui/CVantorelTreeView.h"
#include "ui/CVantorelView.h"
#include "ui/ServiceViewSupport.h"

using namespace bench;

namespace {

const int kRounds = 8;
const int kVisibleRows = 40;

// A window for the views, counting the rows they draw.
class CountingParent : public CWnd {
public:
    int rowsDrawn = 0;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_NOTIFY) {
            auto* header = reinterpret_cast<NMHDR*>(lp);
            if (header->code == NM_CUSTOMDRAW &&
                reinterpret_cast<NMCUSTOMDRAW*>(lp)->dwDrawStage == CDDS_ITEMPREPAINT)
                ++rowsDrawn;
        }
        return CWnd::WindowProc(msg, wp, lp);
    }
};

// And the configuration columns: one query a service besides.
void BareConfigurations(SC_HANDLE manager, const std::vector<std::string>& names) {
    std::vector<char> buffer(8192);
    for (const auto& name : names) {
        SC_HANDLE service = OpenServiceA(manager, name.c_str(), SERVICE_QUERY_CONFIG);
        DWORD needed = 0;
        QueryServiceConfigA(service, reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data()),
                            static_cast<DWORD>(buffer.size()), &needed);
        CloseServiceHandle(service);
    }
}

struct Bench {
    platform::Win32Platform real;
    fake::MeteredScm scm{real.scm};
    HistoryLog history{real.files, real.locale, real.texts};
    AppContext context{real.Interfaces().With(scm), history};
};

void MeasureList(CWinApp& app, Bench& b, SC_HANDLE manager, DWORD columnMask) {
    SettingsStore(b.real.registry).Write(settings::kShowColumns, static_cast<int>(columnMask));
    CountingParent parent;
    parent.CreateEx(0, "STATIC", "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 900, 1000,
                    nullptr, nullptr);
    CVantorelDocument document(app, b.context);
    document.Core().OpenDocument("localhost");
    CVantorelView view(b.context);
    document.AddView(&view);
    view.Create(parent.GetSafeHwnd(), AFX_IDW_PANE_FIRST);
    view.OnInitialUpdate();
    // A view just tall enough for the rows a tick refreshes.
    for (int height = 960; height > 100; height -= 4) {
        MoveWindow(view.GetSafeHwnd(), 0, 0, 880, height, FALSE);
        if (view.SendMessage(LVM_GETCOUNTPERPAGE) <= kVisibleRows) break;
    }

    std::vector<std::string> names;
    ServiceList& list = document.Services();
    for (uint32_t i = 0; i < list.GetCount(); ++i) names.push_back(list.EntryAt(i)->name);
    int visible = static_cast<int>(view.SendMessage(LVM_GETCOUNTPERPAGE));
    int first = static_cast<int>(names.size()) / 2;
    view.SendMessage(LVM_ENSUREVISIBLE, first + visible - 1, FALSE);
    first = static_cast<int>(view.SendMessage(LVM_GETTOPINDEX));
    std::printf("list, columns mask %lu: %zu services, %d rows on screen\n", columnMask,
                names.size(), visible);

    // A rebuild as the user meets it (F5, a command's end): the machine's
    // list read again, then every view shown from it.
    auto rebuildList = [&] { ReloadServices(&document); };
    b.scm.Reset();
    rebuildList();
    std::printf("  a rebuild made %d platform calls (%d configuration queries)\n", b.scm.Total(),
                b.scm.Count("QueryServiceConfigA"));
    view.SendMessage(LVM_ENSUREVISIBLE, first + visible - 1, FALSE);
    UpdateWindow(view.GetSafeHwnd());
    b.scm.Reset();
    parent.rowsDrawn = 0;
    view.RefreshRows(true);
    std::printf("  a tick made %d platform calls and drew %d rows again\n", b.scm.Total(),
                parent.rowsDrawn);
    if (parent.rowsDrawn != 0) Fail();

    std::vector<double> rebuild, bareRebuild, refresh, bareRefresh;
    bool config = (columnMask & 0x38) != 0;
    // Each pair runs in both orders, so neither side gains from going second.
    for (int round = 0; round < kRounds; ++round) {
        for (int side = 0; side < 2; ++side) {
            if ((side == 0) == (round % 2 == 0)) {
                rebuild.push_back(Timed(rebuildList));
                view.SendMessage(LVM_ENSUREVISIBLE, first + visible - 1, FALSE);
                UpdateWindow(view.GetSafeHwnd());
                refresh.push_back(Timed([&] {
                    for (int tick = 0; tick < 10; ++tick) view.RefreshRows(true);
                }));
            } else {
                bareRebuild.push_back(Timed([&] {
                    BareEnumeration(manager);
                    if (config) BareConfigurations(manager, names);
                }));
                bareRefresh.push_back(Timed([&] {
                    for (int tick = 0; tick < 10; ++tick) BareEnumeration(manager);
                }));
            }
        }
    }
    if (config)
        std::printf("  per service with the configuration columns: %.3f ms (floor %.3f ms)\n",
                    Median(rebuild) / static_cast<double>(names.size()),
                    Median(bareRebuild) / static_cast<double>(names.size()));
    Report("list rebuild", rebuild, bareRebuild, 1.2);
    Report("10 refresh ticks", refresh, bareRefresh, 1.2);
    view.DestroyWindow();
    parent.DestroyWindow();
}

void MeasureTree(CWinApp& app, Bench& b) {
    CountingParent parent;
    parent.CreateEx(0, "STATIC", "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600, 800, nullptr,
                    nullptr);
    CVantorelDocument document(app, b.context);
    document.Core().OpenDocument("localhost");
    CVantorelTreeView tree(b.context, 4);
    document.AddView(&tree);
    tree.Create(parent.GetSafeHwnd(), AFX_IDW_PANE_FIRST);
    MoveWindow(tree.GetSafeHwnd(), 0, 0, 580, 760, FALSE);
    tree.OnInitialUpdate();
    int onScreen = static_cast<int>(tree.SendMessage(TVM_GETVISIBLECOUNT));
    b.scm.Reset();
    tree.RefreshNodes(true);
    std::printf("dependency tree: %d nodes on screen, a tick made %d platform calls\n", onScreen,
                b.scm.Total());
    tree.DestroyWindow();
    parent.DestroyWindow();
}

}  // namespace

int main() {
    WindowBench app(ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES);
    return WithBenchServices([&app](SC_HANDLE manager) {
        Bench b;
        MeasureList(app, b, manager, 7);
        MeasureList(app, b, manager, 63);
        MeasureTree(app, b);
        SettingsStore(b.real.registry).Write(settings::kShowColumns, 7);
    });
}
