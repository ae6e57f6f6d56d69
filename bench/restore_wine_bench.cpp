// Restoring 200 services that are all in their snapshot's state already:
// nothing to run, so the least any program must do is read each one's
// status. Ours goes through the restore window's passes, rows and all.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "bench/Verdict.h"
#include "document/ChangeList.h"
#include "framework/WinApp.h"
#include "platform/win32/Win32Platform.h"
#include "ui/CChangedServicesDlg.h"

using namespace bench;

namespace {

const int kRestored = 200;
const int kRounds = 15;

std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (int i = 0; i < kRestored; ++i) names.push_back(BenchServiceName(i));
    return names;
}

// One status query per service (open, query, close) over a connection
// opened beforehand, as the program reuses its document's.
void BareQueries(SC_HANDLE manager, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        SC_HANDLE service = OpenServiceA(manager, name.c_str(), SERVICE_QUERY_STATUS);
        SERVICE_STATUS status;
        QueryServiceStatus(service, &status);
        CloseServiceHandle(service);
    }
}

// The restore window's passes over services already as their snapshot has
// them.
double OurPasses(AppContext& context, ServicesDocument& document,
                 const std::vector<std::string>& names) {
    CChangedServicesDlg window(context, nullptr);
    platform::LocalDateTime when = context.platform.locale.Now();
    RecordStoppedRunning(window, names, when);
    window.ShowChangesWindow(nullptr, true);
    std::vector<std::string> left = names;
    bool restored = true;
    double elapsed = Timed([&] { restored = window.RestoreNames(&document, &left); });
    if (!restored) {
        std::printf("  %zu names were left: no result\n", left.size());
        Fail();
    }
    return elapsed;
}

}  // namespace

int main() {
    WindowBench app(ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES);
    return WithBenchServices([](SC_HANDLE) {
        platform::Win32Platform real;
        HistoryLog log(real.files, real.locale, real.texts);
        AppContext context(real.Interfaces(), log);
        ServicesDocument document(real.scm, real.registry, real.texts, real.clock);
        document.OpenDocument("localhost");
        SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
        std::vector<std::string> names = Names();
        std::vector<double> ours, bare;
        for (int round = 0; round < kRounds; ++round) {
            for (int side = 0; side < 2; ++side) {
                if ((side == 0) == (round % 2 == 0))
                    ours.push_back(OurPasses(context, document, names));
                else
                    bare.push_back(Timed([&] { BareQueries(manager, names); }));
            }
        }
        CloseServiceHandle(manager);
        Report("restore, 200 in place", ours, bare, 1.2);
    });
}
