#pragma once
// What the benchmarks under Wine share: a machine with many services, a
// clock, and the way results are printed.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/WinApp.h"
#include "ui/CChangedServicesDlg.h"

namespace bench {

const int kServices = 500;
// The name of the i-th service the benchmarks register.
std::string BenchServiceName(int i);

// Milliseconds from the performance counter.
double Now();
// How long `work` takes, in milliseconds.
double Timed(const std::function<void()>& work);

// What a benchmark of windows needs: an application object and the common
// controls of `classes`.
class WindowBench : public CWinApp {
public:
    explicit WindowBench(DWORD classes);
    bool InitInstance() override { return true; }
};

// Runs `measure` with kServices stopped services registered, and removes
// them again; the process's exit code: 1 when they cannot be registered or
// a ratio missed its target.
int WithBenchServices(const std::function<void(SC_HANDLE)>& measure);
// Registers kServices stopped services, after removing any an earlier run left.
bool RegisterBenchServices(SC_HANDLE manager);
void DeleteBenchServices(SC_HANDLE manager);
double Median(std::vector<double> values);
// The restore window as the restore flow fills it: each of `names` was
// stopped in the snapshot and is recorded as running since, but is stopped
// again, so that restoring finds nothing to run.
void RecordStoppedRunning(CChangedServicesDlg& window, const std::vector<std::string>& names,
                          const platform::LocalDateTime& when);
// The least a program does to read every service's state: one enumeration
// over an open connection (sizing, then filling).
void BareEnumeration(SC_HANDLE manager);
// "what  ours  bare  ratio (target) PASS", medians of the samples; a miss
// is kept for ExitStatus().
void Report(const char* what, const std::vector<double>& ours, const std::vector<double>& bare,
            double target);

}  // namespace bench
