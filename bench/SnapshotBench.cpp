#include "bench/SnapshotBench.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "document/SnapshotFile.h"
#include "tests/fakes/FakeFiles.h"

namespace sc = platform::scm;

namespace bench {

double Best(int rounds, const std::function<void()>& work) {
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        auto start = std::chrono::steady_clock::now();
        work();
        std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

std::string ServiceName(int i) {
    static const char* const stems[] = {"Svc",      "wuauserv", "Net.Tcp Listener", "MSSQL$Inst",
                                        "BthHFSrv", "Spooler_", "lanmanworkstation"};
    return std::string(stems[i % 7]) + std::to_string(i * 7919 % 100000);
}

void AddServices(fake::Scm& scm, int count) {
    for (int i = 0; i < count; ++i) {
        fake::Service& s = scm.Add(ServiceName(i), "Servicio de prueba " + std::to_string(i),
                                   i % 3 ? sc::kRunning : sc::kStopped);
        s.status.serviceType = i % 2 ? sc::kTypeWin32ShareProcess : sc::kTypeWin32OwnProcess;
        s.status.win32ExitCode = i % 5 == 0 ? 1077 : 0;
    }
}

void BenchSnapshot(const FileOpener& open, const std::string& folder) {
    const int kServices = 5000;
    fake::Scm scm;
    AddServices(scm, kServices);
    ServiceList list{scm};
    list.Enumerate();
    fake::LocaleTime time;
    SnapshotFile snapshot(time);

    std::string formatted = folder + "formatted.rpt";
    std::string bare = folder + "bare.rpt";

    double write = Best(30, [&] {
        auto file = open(formatted, true);
        snapshot.Write(list, *file);
    });
    std::string bytes;
    {
        auto file = open(formatted, false);
        platform::ReadToEnd(*file, &bytes);
    }
    double writeBare = Best(30, [&] {
        auto file = open(bare, true);
        file->Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
    });

    ServiceEntryArray array;
    bool readOk = true;
    double read = Best(30, [&] {
        auto file = open(formatted, false);
        readOk = file && snapshot.Read(array, *file) && readOk;
    });
    double readBare = Best(30, [&] {
        auto file = open(bare, false);
        std::string text;
        text.reserve(static_cast<size_t>(file->Size()));
        platform::ReadToEnd(*file, &text);
    });

    // A quick read that reads wrong would be no result.
    bool same = readOk && array.GetCount() == kServices;
    for (int i = 0; same && i < kServices; ++i) {
        const ServiceEntry* want = list.EntryAt(static_cast<uint32_t>(i));
        const ServiceEntry* got = array.GetEntry(i);
        same = got != nullptr && std::strcmp(got->name, want->name) == 0 &&
               std::strcmp(got->displayName, want->displayName) == 0 &&
               std::memcmp(StatusOf(got), StatusOf(want), sizeof(platform::ServiceStatus)) == 0;
    }

    // Not avoidable either, and not file work: one allocation per entry.
    ServiceEntryArray copies;
    double allocations = Best(30, [&] {
        copies.Allocate(kServices);
        for (int i = 0; i < kServices; ++i)
            copies.SetEntry(i, *list.EntryAt(static_cast<uint32_t>(i)));
    });

    std::printf("snapshot file, %d services, %zu bytes%s:\n", kServices, bytes.size(),
                same ? "" : " (READ WRONG)");
    std::printf("  Write %9.1f us, bare write %9.1f us   ratio %.2f (target <= 3)\n", write,
                writeBare, write / writeBare);
    std::printf("  Read  %9.1f us, bare read  %9.1f us   ratio %.2f (target <= 3)\n", read,
                readBare, read / readBare);
    std::printf("        bare read and the %d entry copies %9.1f us   ratio %.2f\n", kServices,
                readBare + allocations, read / (readBare + allocations));
}

}  // namespace bench
