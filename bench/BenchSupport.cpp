#include "bench/BenchSupport.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/Verdict.h"

namespace bench {

namespace {
const char kPrefix[] = "VtBench";
}  // namespace

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Timed(const std::function<void()>& work) {
    double start = Now();
    work();
    return Now() - start;
}

WindowBench::WindowBench(DWORD classes) {
    INITCOMMONCONTROLSEX controls{sizeof controls, classes};
    InitCommonControlsEx(&controls);
}

int WithBenchServices(const std::function<void(SC_HANDLE)>& measure) {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (manager == nullptr) return 1;
    DeleteBenchServices(manager);
    bool ok = RegisterBenchServices(manager);
    if (ok) measure(manager);
    DeleteBenchServices(manager);
    CloseServiceHandle(manager);
    return ok ? ExitStatus() : 1;
}

void DeleteBenchServices(SC_HANDLE manager) {
    DWORD needed = 0, returned = 0, resume = 0;
    EnumServicesStatusA(manager, SERVICE_WIN32, SERVICE_STATE_ALL, nullptr, 0, &needed, &returned,
                        &resume);
    std::vector<char> block(needed + 1);
    auto* records = reinterpret_cast<ENUM_SERVICE_STATUSA*>(block.data());
    if (!EnumServicesStatusA(manager, SERVICE_WIN32, SERVICE_STATE_ALL, records, needed, &needed,
                             &returned, &resume))
        return;
    for (DWORD i = 0; i < returned; ++i) {
        if (std::strncmp(records[i].lpServiceName, kPrefix, sizeof kPrefix - 1) != 0) continue;
        SC_HANDLE service = OpenServiceA(manager, records[i].lpServiceName, DELETE);
        if (service == nullptr) continue;
        DeleteService(service);
        CloseServiceHandle(service);
    }
}

std::string BenchServiceName(int i) {
    return kPrefix + std::to_string(i);
}

bool RegisterBenchServices(SC_HANDLE manager) {
    for (int i = 0; i < kServices; ++i) {
        std::string name = BenchServiceName(i);
        std::string display = "Benchmark service " + std::to_string(i);
        SC_HANDLE service = CreateServiceA(
            manager, name.c_str(), display.c_str(), SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
            SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, "C:\\windows\\system32\\cmd.exe", nullptr,
            nullptr, nullptr, nullptr, nullptr);
        if (service == nullptr) {
            std::printf("CreateServiceA failed: %lu\n", GetLastError());
            return false;
        }
        CloseServiceHandle(service);
    }
    return true;
}

void RecordStoppedRunning(CChangedServicesDlg& window, const std::vector<std::string>& names,
                          const platform::LocalDateTime& when) {
    for (const std::string& name : names) {
        ServiceChange change{const_cast<char*>(name.c_str()),
                             const_cast<char*>(name.c_str()),
                             StateChanged,
                             SERVICE_STOPPED,
                             SERVICE_RUNNING,
                             nullptr};
        window.AddChange(change, when);
    }
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void Report(const char* what, const std::vector<double>& ours, const std::vector<double>& bare,
            double target) {
    double a = Median(ours), b = Median(bare);
    std::printf("%-22s ours %9.3f ms   bare calls %9.3f ms   ratio %.3f (target <= %.2f) %s\n",
                what, a, b, a / b, target, Judge(a / b, target));
}

void BareEnumeration(SC_HANDLE manager) {
    DWORD needed = 0, count = 0, resume = 0;
    EnumServicesStatusA(manager, SERVICE_WIN32, SERVICE_STATE_ALL, nullptr, 0, &needed, &count,
                        &resume);
    std::vector<char> block(needed);
    resume = 0;
    EnumServicesStatusA(manager, SERVICE_WIN32, SERVICE_STATE_ALL,
                        reinterpret_cast<ENUM_SERVICE_STATUSA*>(block.data()), needed, &needed,
                        &count, &resume);
}

}  // namespace bench
