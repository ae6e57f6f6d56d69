// The snapshot file benchmark on the real file layer and the platform's own
// heap, which is where the program reads and writes its snapshots.
#include <windows.h>

#include <string>

#include "bench/SnapshotBench.h"
#include "platform/win32/Win32FileSystem.h"

namespace pf = platform::file;

int main() {
    char temp[MAX_PATH];
    if (GetTempPathA(MAX_PATH, temp) == 0) return 1;
    std::string folder =
        std::string(temp) + "vantorel-bench-" + std::to_string(GetCurrentProcessId());
    if (!CreateDirectoryA(folder.c_str(), nullptr)) return 1;
    folder += "\\";
    platform::Win32FileSystem files;
    bench::BenchSnapshot(
        [&files](const std::string& path, bool write) {
            return files.CreateFileA(path.c_str(), write ? pf::kGenericWrite : pf::kGenericRead,
                                     write ? 0 : pf::kShareRead,
                                     write ? pf::kCreateAlways : pf::kOpenExisting);
        },
        folder);
    for (const char* name : {"formatted.rpt", "bare.rpt"}) DeleteFileA((folder + name).c_str());
    RemoveDirectoryA(folder.c_str());
    return 0;
}
