// The service list's cost beside the platform calls it cannot avoid, against
// the real service control manager with at least 500 registered services.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "bench/Verdict.h"
#include "platform/win32/Win32Scm.h"
#include "scm/ServiceList.h"

using namespace bench;

namespace {

const int kRounds = 25;

// What Enumerate cannot avoid: a connection and the sizing and filling calls.
void BareEnumerate() {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    DWORD needed = 0, returned = 0, resume = 0;
    EnumServicesStatusA(manager, SERVICE_WIN32, SERVICE_STATE_ALL, nullptr, 0, &needed, &returned,
                        &resume);
    void* block = std::malloc(needed);
    EnumServicesStatusA(manager, SERVICE_WIN32, SERVICE_STATE_ALL,
                        static_cast<ENUM_SERVICE_STATUSA*>(block), needed, &needed, &returned,
                        &resume);
    std::free(block);
    CloseServiceHandle(manager);
}

}  // namespace

int main() {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (manager == nullptr) {
        std::printf("no service control manager: %lu\n", GetLastError());
        return 1;
    }
    DeleteBenchServices(manager);
    if (!RegisterBenchServices(manager)) {
        DeleteBenchServices(manager);
        return 1;
    }

    platform::Win32Scm api;
    ServiceList list{api};
    list.Enumerate();
    std::printf("%u services enumerated, %d rounds each, alternating\n", list.GetCount(), kRounds);

    std::vector<double> listEnum, bareEnum, listRefresh, bareRefresh;
    // Each pair runs in both orders, so neither side gains from going second.
    auto timed = [](auto&& work) {
        double start = Now();
        work();
        return Now() - start;
    };
    for (int round = 0; round < kRounds; ++round) {
        bool listFirst = round % 2 == 0;
        for (int side = 0; side < 2; ++side) {
            if ((side == 0) == listFirst) {
                listEnum.push_back(timed([&] { list.Enumerate(); }));
                listRefresh.push_back(timed([&] { list.RefreshAllStatus(); }));
            } else {
                bareEnum.push_back(timed(BareEnumerate));
                bareRefresh.push_back(timed([&] { BareEnumeration(manager); }));
            }
        }
    }
    Report("Enumerate", listEnum, bareEnum, 1.05);
    Report("RefreshAllStatus", listRefresh, bareRefresh, 1.05);

    list.Release();
    DeleteBenchServices(manager);
    CloseServiceHandle(manager);
    return ExitStatus();
}
