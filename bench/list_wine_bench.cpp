// The services list's cost beside the status and configuration queries it
// must make, with 500 services on the machine: a full rebuild, and a refresh
// tick of the rows on screen when nothing changed.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/Win32Platform.h"
#include "bench/BenchSupport.h"
#include "ui/CVantorelDocument.h"
#include "framework/FrameWnd.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "settings/SettingsStore.h"
#include "ui/CVantorelView.h"

using namespace bench;

namespace {

const int kRounds = 8;
const int kVisibleRows = 40;

class BenchApp : public CWinApp {
public:
    bool InitInstance() override { return true; }
};

// The queries a rebuild cannot avoid: every status once for the list and once
// for its row, and every configuration when its columns are shown.
void BareRebuild(SC_HANDLE manager, const std::vector<std::string>& names, bool config) {
    for (int pass = 0; pass < 2; ++pass) {
        for (const auto& name : names) {
            SC_HANDLE service = OpenServiceA(manager, name.c_str(), SERVICE_QUERY_STATUS);
            SERVICE_STATUS status;
            QueryServiceStatus(service, &status);
            CloseServiceHandle(service);
        }
    }
    if (!config) return;
    for (const auto& name : names) {
        SC_HANDLE service = OpenServiceA(manager, name.c_str(), GENERIC_READ);
        DWORD needed = 0;
        QueryServiceConfigA(service, nullptr, 0, &needed);
        std::vector<char> buffer(needed);
        QueryServiceConfigA(service, reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data()),
                            needed, &needed);
        CloseServiceHandle(service);
    }
}

void BareRefresh(SC_HANDLE manager, const std::vector<std::string>& names, int first, int rows) {
    for (int i = first; i < first + rows && i < static_cast<int>(names.size()); ++i) {
        SC_HANDLE service = OpenServiceA(manager, names[i].c_str(), SERVICE_QUERY_STATUS);
        SERVICE_STATUS status;
        QueryServiceStatus(service, &status);
        CloseServiceHandle(service);
    }
}

void SetShowColumns(DWORD mask) {
    SettingsStore store(ThePlatform().registry);
    if (store.OpenConfiguration()) store.Write(settings::kShowColumns, static_cast<int>(mask));
}

void Measure(SC_HANDLE manager, DWORD columnMask) {
    SetShowColumns(columnMask);
    CWnd parent;
    parent.CreateEx(0, "STATIC", "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 900, 1000,
                    nullptr, nullptr);
    CVantorelDocument document;
    document.Core().OpenDocument("localhost");
    CVantorelView view;
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
    std::printf("columns mask %lu: %zu services, %d rows on screen\n", columnMask, names.size(),
                visible);

    std::vector<double> rebuild, bareRebuild, refresh, bareRefresh;
    bool config = (columnMask & 0x38) != 0;
    // Each pair runs in both orders, so neither side gains from going second.
    auto timed = [](auto&& work) {
        double start = Now();
        work();
        return Now() - start;
    };
    for (int round = 0; round < kRounds; ++round) {
        for (int side = 0; side < 2; ++side) {
            if ((side == 0) == (round % 2 == 0)) {
                rebuild.push_back(timed([&] { view.OnUpdate(); }));
                view.SendMessage(LVM_ENSUREVISIBLE, first + visible - 1, FALSE);
                refresh.push_back(timed([&] {
                    for (int tick = 0; tick < 10; ++tick) view.RefreshRows(true);
                }));
            } else {
                bareRebuild.push_back(timed([&] { BareRebuild(manager, names, config); }));
                bareRefresh.push_back(timed([&] {
                    for (int tick = 0; tick < 10; ++tick) BareRefresh(manager, names, first, visible);
                }));
            }
        }
    }
    Report("list rebuild", rebuild, bareRebuild, 1.2);
    Report("10 refresh ticks", refresh, bareRefresh, 1.1);
    view.DestroyWindow();
    parent.DestroyWindow();
}

}  // namespace

int main() {
    BenchApp app;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (manager == nullptr) return 1;
    DeleteBenchServices(manager);
    bool ok = RegisterBenchServices(manager);
    if (ok) {
        Measure(manager, 7);
        Measure(manager, 63);
    }
    SetShowColumns(7);
    DeleteBenchServices(manager);
    CloseServiceHandle(manager);
    return ok ? 0 : 1;
}
