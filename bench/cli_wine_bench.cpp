// The console program's list and compare, process start included, beside
// the least any program must do for the same answer (cli_floor.exe), with
// 500 services on the machine.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "bench/Verdict.h"

using namespace bench;

namespace {

const int kRounds = 7;

std::string ExeDirectory() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path, length);
    return directory.substr(0, directory.rfind('\\'));
}

// Runs `command` with its output to the null device; its exit status, or
// -1 when it could not start.
int RunProcess(const std::string& command) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE null =
        CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = null;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::string line = command;
    PROCESS_INFORMATION pi{};
    DWORD status = static_cast<DWORD>(-1);
    if (CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        WaitForSingleObject(pi.hProcess, INFINITE);
        GetExitCodeProcess(pi.hProcess, &status);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    CloseHandle(null);
    return static_cast<int>(status);
}

void Measure(const char* what, const std::string& ours, const std::string& floor) {
    std::vector<double> ourTimes, floorTimes;
    for (int round = 0; round < kRounds; ++round) {
        int ourStatus = 0;
        ourTimes.push_back(Timed([&] { ourStatus = RunProcess(ours); }));
        floorTimes.push_back(Timed([&] { RunProcess(floor); }));
        // compare finds nothing changed; anything else is a wrong result.
        if (ourStatus != 0) {
            std::printf("%s ended with %d\n", what, ourStatus);
            Fail();
            return;
        }
    }
    Report(what, ourTimes, floorTimes, 1.2);
}

}  // namespace

int main() {
    std::string floor = "\"" + ExeDirectory() + "\\cli_floor.exe\"";
    std::string cli = "\"" + ExeDirectory() + "\\vantorel-cli.exe\"";
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string snapshot = std::string(temp) + "vantorel-cli-bench.rpt";
    return WithBenchServices([&](SC_HANDLE) {
        std::printf("The console program beside the least a program must do, %d services:\n",
                    kServices);
        Measure("list", cli + " list --active --inactive --format csv", floor + " list");
        if (RunProcess(cli + " snapshot --active --inactive \"" + snapshot + "\"") != 0) {
            std::printf("snapshot failed\n");
            Fail();
            return;
        }
        Measure("compare", cli + " compare --active --inactive \"" + snapshot + "\"",
                floor + " compare \"" + snapshot + "\"");
        DeleteFileA(snapshot.c_str());
    });
}
