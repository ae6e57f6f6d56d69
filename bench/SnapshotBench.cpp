#include "bench/SnapshotBench.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "bench/Verdict.h"
#include "document/SnapshotFile.h"
#include "document/SnapshotSave.h"
#include "tests/fakes/FakeFiles.h"

namespace sc = platform::scm;
namespace pf = platform::file;

namespace bench {

namespace {
double Timed(const std::function<void()>& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - start;
    return took.count();
}
}  // namespace

void BestAlternating(int rounds, const std::function<void()>& ours,
                     const std::function<void()>& bare, double* oursBest, double* bareBest) {
    *oursBest = *bareBest = 1e300;
    for (int i = 0; i < rounds; ++i) {
        if (i % 2 == 0) {
            *oursBest = std::min(*oursBest, Timed(ours));
            *bareBest = std::min(*bareBest, Timed(bare));
        } else {
            *bareBest = std::min(*bareBest, Timed(bare));
            *oursBest = std::min(*oursBest, Timed(ours));
        }
    }
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

void BenchSnapshot(platform::FileSystem& files, const std::string& folder) {
    const int kServices = 5000;
    const int kRounds = 30;
    fake::Scm scm;
    AddServices(scm, kServices);
    ServiceList list{scm};
    list.Enumerate();
    fake::LocaleTime time;
    SnapshotFile snapshot(time);

    const std::string saved = folder + "services.rpt";
    const std::string bare = folder + "bare.rpt", bareTemp = folder + "bare.tmp";
    auto open = [&files](const std::string& path, bool write) {
        return files.CreateFileA(path.c_str(), write ? pf::kGenericWrite : pf::kGenericRead,
                                 write ? 0 : pf::kShareRead,
                                 write ? pf::kCreateAlways : pf::kOpenExisting);
    };

    bool saveOk = true;
    std::string reason;
    auto save = [&] { saveOk = SaveSnapshot(files, time, list, saved, &reason) && saveOk; };
    save();
    std::string bytes;
    {
        auto file = open(saved, false);
        if (file) platform::ReadToEnd(*file, &bytes);
    }
    double write, writeBare;
    BestAlternating(
        kRounds, save,
        [&] {
            auto file = open(bareTemp, true);
            if (!file) return;
            file->Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
            file->Flush();
            file->Close();
            file.reset();
            files.MoveFileExA(bareTemp.c_str(), bare.c_str(), pf::kMoveReplaceExisting);
        },
        &write, &writeBare);

    ServiceEntryArray array;
    bool readOk = true;
    size_t lines = 0;
    double read, readBare;
    BestAlternating(
        kRounds,
        [&] {
            auto file = open(saved, false);
            readOk = file && snapshot.Read(array, *file) && readOk;
        },
        [&] {
            auto file = open(bare, false);
            if (!file) return;
            std::string text;
            text.reserve(static_cast<size_t>(file->Size()));
            platform::ReadToEnd(*file, &text);
            // Any reader of a text of lines looks at every byte for the
            // line ends, at the least in one vectorised pass.
            lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
        },
        &read, &readBare);

    // A quick save or read that does it wrong would be no result.
    bool same = saveOk && readOk && array.GetCount() == kServices && lines > 0;
    for (int i = 0; same && i < kServices; ++i) {
        const ServiceEntry* want = list.EntryAt(static_cast<uint32_t>(i));
        const ServiceEntry* got = array.GetEntry(i);
        same = got != nullptr && std::strcmp(got->name, want->name) == 0 &&
               std::strcmp(got->displayName, want->displayName) == 0 &&
               std::memcmp(StatusOf(got), StatusOf(want), sizeof(platform::ServiceStatus)) == 0;
    }

    std::printf("snapshot file, %d services, %zu bytes, %d rounds each, alternating%s:\n",
                kServices, bytes.size(), kRounds, same ? "" : " (SAVED OR READ WRONG)");
    if (!same) Fail();
    std::printf("  Save  %9.1f us, bare save  %9.1f us   ratio %.2f (target <= 3) %s\n", write,
                writeBare, write / writeBare, Judge(write / writeBare, 3));
    std::printf("  Read  %9.1f us, bare read  %9.1f us   ratio %.2f (target <= 3) %s\n", read,
                readBare, read / readBare, Judge(read / readBare, 3));
    for (const std::string& path : {saved, bare, bareTemp}) files.DeleteFileA(path.c_str());
}

}  // namespace bench
