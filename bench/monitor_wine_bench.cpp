// The watching side's cost with 500 services on the machine: a monitor pass
// without changes and with 25 changes, each against the one bare
// enumeration it cannot avoid; and 2,000 changes added to an open changed
// services window against inserting the same rows into a bare list drawn
// once at the end.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "document/ChangeList.h"
#include "document/PendingChanges.h"
#include "framework/WinApp.h"
#include "monitor/MonitorCycle.h"
#include "platform/win32/Win32Platform.h"
#include "ui/CChangedServicesDlg.h"

using namespace bench;

namespace {

const int kRounds = 30;

// What the window would be given, kept as the window keeps it.
class KeptDisplay : public ChangeDisplay {
public:
    PendingChanges kept;
    void Alert(const AlertSettings&) override {}
    void Show(const ServiceChange& change, const platform::LocalDateTime& when) override {
        kept.Add(change, when);
    }
};

// The least a pass must do: enumerate the services once.
void BareEnumeration() {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    DWORD needed = 0, returned = 0, resume = 0;
    EnumServicesStatusA(manager, SERVICE_WIN32, SERVICE_STATE_ALL, nullptr, 0, &needed, &returned,
                        &resume);
    std::vector<char> block(needed);
    EnumServicesStatusA(manager, SERVICE_WIN32, SERVICE_STATE_ALL,
                        reinterpret_cast<ENUM_SERVICE_STATUSA*>(block.data()), needed, &needed,
                        &returned, &resume);
    CloseServiceHandle(manager);
}

// 25 services get another display name, so the next pass finds 25 changes.
void ChangeDisplayNames(SC_HANDLE manager, int round) {
    for (int i = 0; i < 25; ++i) {
        std::string name = BenchServiceName(i * 20);
        SC_HANDLE service = OpenServiceA(manager, name.c_str(), SERVICE_CHANGE_CONFIG);
        std::string display =
            "Benchmark service " + std::to_string(i) + " round " + std::to_string(round);
        ChangeServiceConfigA(service, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE,
                             nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, display.c_str());
        CloseServiceHandle(service);
    }
}

void MeasurePasses(SC_HANDLE manager) {
    platform::Win32Platform real;
    std::string path = "monitor-bench.log";
    DeleteFileA(path.c_str());
    HistoryLog log(real.files, real.locale, real.texts);
    log.Open(path, true);
    ServicesDocument document(real.scm, real.registry, real.texts, real.clock);
    document.OpenDocument("localhost");
    KeptDisplay display;
    MonitorCycle cycle(document, real.registry, real.locale, log, display);
    std::printf("monitor pass, %u services, %d rounds each, alternating:\n",
                document.currentList.GetCount(), kRounds);
    std::vector<double> quiet, busy, bareQuiet, bareBusy;
    // Each side first takes in what changed before it (untimed), then runs
    // once with nothing changed and once just after the same 25 changes,
    // which keep the service control manager busy for a while.
    for (int round = 0; round < kRounds; ++round) {
        for (int side = 0; side < 2; ++side) {
            bool ours = (side == 0) == (round % 2 == 0);
            auto run = [&] {
                if (ours)
                    cycle.Tick();
                else
                    BareEnumeration();
            };
            run();
            (ours ? quiet : bareQuiet).push_back(Timed(run));
            ChangeDisplayNames(manager, round * 2 + side);
            (ours ? busy : bareBusy).push_back(Timed(run));
        }
    }
    std::printf("  %zu changes kept from the passes with changes\n", display.kept.Count());
    Report("pass, no change", quiet, bareQuiet, 1.05);
    Report("pass, 25 changes", busy, bareBusy, 1.05);
    log.Close();
    DeleteFileA(path.c_str());
}

// Changes of as many different services, kept alive for the window's use.
struct Changes {
    std::vector<std::string> names;
    std::vector<ServiceChange> records;
    explicit Changes(int count) {
        names.reserve(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) names.push_back("Service" + std::to_string(i));
        for (auto& name : names)
            records.push_back(ServiceChange{&name[0], &name[0], StateChanged, 4, 1, nullptr});
    }
};

void BareRows(HWND list, const Changes& changes) {
    int row = 0;
    for (const ServiceChange& change : changes.records) {
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = row;
        item.pszText = change.name;
        item.iImage = 14;
        ::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        for (int column = 1; column < 6; ++column) {
            LVITEMA cell{};
            cell.iSubItem = column;
            cell.pszText = change.displayName;
            ::SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&cell));
        }
        ++row;
    }
}

// Until every message is handled and the window drawn.
void Settle(HWND window) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    UpdateWindow(window);
}

void MeasureWindow() {
    platform::Win32Platform real;
    HistoryLog log(real.files, real.locale, real.texts);
    AppContext context(real.Interfaces(), log);
    Changes changes(2000);
    platform::LocalDateTime when = real.locale.Now();
    std::vector<double> window, bare;
    for (int round = 0; round < 4; ++round) {
        for (int side = 0; side < 2; ++side) {
            if ((side == 0) == (round % 2 == 0)) {
                CChangedServicesDlg dialog(context, nullptr);
                dialog.ShowChangesWindow(nullptr, true);
                Settle(dialog.m_hWnd);
                window.push_back(Timed([&] {
                    for (const ServiceChange& change : changes.records)
                        dialog.AddChange(change, when);
                    Settle(dialog.m_hWnd);
                }));
            } else {
                HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_POPUP | WS_VISIBLE | LVS_REPORT,
                                            0, 0, 700, 400, nullptr, nullptr, nullptr, nullptr);
                for (int column = 0; column < 6; ++column) {
                    LVCOLUMNA c{};
                    c.mask = LVCF_WIDTH;
                    c.cx = 100;
                    ::SendMessageA(list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&c));
                }
                Settle(list);
                // The least a program can do: draw the list once, at the end.
                bare.push_back(Timed([&] {
                    ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
                    BareRows(list, changes);
                    ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
                    InvalidateRect(list, nullptr, TRUE);
                    Settle(list);
                }));
                DestroyWindow(list);
            }
        }
    }
    Report("2000 changes, window", window, bare, 2.0);
}

}  // namespace

int main() {
    WindowBench app(ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES);
    return WithBenchServices([](SC_HANDLE manager) {
        MeasurePasses(manager);
        MeasureWindow();
    });
}
