// The snapshot file benchmark on the real file layer and the platform's own
// heap, which is where the program saves and reads its snapshots.
#include <windows.h>

#include <string>

#include "bench/SnapshotBench.h"
#include "bench/Verdict.h"
#include "platform/win32/Win32FileSystem.h"

int main() {
    char temp[MAX_PATH];
    if (GetTempPathA(MAX_PATH, temp) == 0) return 1;
    std::string folder =
        std::string(temp) + "vantorel-bench-" + std::to_string(GetCurrentProcessId());
    if (!CreateDirectoryA(folder.c_str(), nullptr)) return 1;
    platform::Win32FileSystem files;
    bench::BenchSnapshot(files, folder + "\\");
    RemoveDirectoryA(folder.c_str());
    return bench::ExitStatus();
}
