// Change detection and snapshot files beside the work they cannot avoid:
// the diff against the two entry copies that precede it in every comparison,
// and writing and reading a snapshot against moving the same bytes through
// the file system unformatted.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "document/ChangeList.h"
#include "document/SnapshotFile.h"
#include "tests/fakes/FakeFiles.h"
#include "tests/fakes/FakeScm.h"

namespace sc = platform::scm;

namespace {

// A file of the host, so both sides of the file ratios pay the same calls.
class HostFile : public platform::File {
public:
    HostFile(const std::string& path, bool write)
        : fd_(::open(path.c_str(), write ? O_WRONLY | O_CREAT | O_TRUNC : O_RDONLY, 0600)) {}
    ~HostFile() override { Close(); }
    bool Read(void* buffer, uint32_t size, uint32_t* bytesRead) override {
        ssize_t got = ::read(fd_, buffer, size);
        *bytesRead = got > 0 ? static_cast<uint32_t>(got) : 0;
        return got >= 0;
    }
    bool Write(const void* data, uint32_t size) override {
        const char* p = static_cast<const char*>(data);
        while (size > 0) {
            ssize_t put = ::write(fd_, p, size);
            if (put <= 0) return false;
            p += put;
            size -= static_cast<uint32_t>(put);
        }
        return true;
    }
    bool Flush() override { return true; }
    bool SeekToEnd() override { return ::lseek(fd_, 0, SEEK_END) >= 0; }
    uint64_t Size() override {
        struct stat st {};
        return ::fstat(fd_, &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
    }
    bool Close() override {
        if (fd_ < 0) return true;
        int rc = ::close(fd_);
        fd_ = -1;
        return rc == 0;
    }

private:
    int fd_;
};

// Best of `rounds`, in microseconds.
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

std::string Name(int i) {
    static const char* const stems[] = {"Svc",      "wuauserv", "Net.Tcp Listener", "MSSQL$Inst",
                                        "BthHFSrv", "Spooler_", "lanmanworkstation"};
    return std::string(stems[i % 7]) + std::to_string(i * 7919 % 100000);
}

void AddServices(fake::Scm& scm, int count) {
    for (int i = 0; i < count; ++i) {
        fake::Service& s = scm.Add(Name(i), "Servicio de prueba " + std::to_string(i),
                                   i % 3 ? sc::kRunning : sc::kStopped);
        s.status.serviceType = i % 2 ? sc::kTypeWin32ShareProcess : sc::kTypeWin32OwnProcess;
        s.status.win32ExitCode = i % 5 == 0 ? 1077 : 0;
    }
}

// The matching as the plain rule states it, for scale.
int NestedDiffCount(platform::ScmApi& api, const ServiceEntryArray& n, const ServiceEntryArray& o) {
    int found = 0;
    for (int j = 0; j < o.GetCount(); ++j)
        for (int i = 0; i < n.GetCount(); ++i)
            if (api.lstrcmpiA(o.GetEntry(j)->name, n.GetEntry(i)->name) == 0) {
                ++found;
                break;
            }
    for (int i = 0; i < n.GetCount(); ++i)
        for (int j = 0; j < o.GetCount(); ++j)
            if (api.lstrcmpiA(n.GetEntry(i)->name, o.GetEntry(j)->name) == 0) {
                ++found;
                break;
            }
    return found;
}

void BenchDiff() {
    const int kServices = 2000;
    fake::Scm scm;
    AddServices(scm, kServices);
    ServiceList oldList{scm}, newList{scm};
    oldList.Enumerate();
    // 5% changes: 40 state changes, 30 services gone, 30 new ones.
    for (int i = 0; i < 40; ++i) scm.Get(Name(i * 47))->status.currentState = sc::kPaused;
    for (int i = 0; i < 30; ++i) scm.Remove(Name(i * 61 + 5));
    for (int i = 0; i < 30; ++i) scm.Add("New service " + std::to_string(i), "Nuevo");
    newList.Enumerate();

    ServiceEntryArray newSet, oldSet;
    double copies = Best(50, [&] {
        newSet.CopyFrom(newList);
        oldSet.CopyFrom(oldList);
    });
    ChangeList changes{scm};
    changes.SetCompareType(0);
    double diff = Best(50, [&] { changes.Diff(newSet, oldSet); });
    int nested = 0;
    double scan = Best(3, [&] { nested = NestedDiffCount(scm, newSet, oldSet); });

    std::printf("change detection, %d services, %d changes:\n", kServices, changes.GetCount());
    std::printf("  two CopyFrom copies %9.1f us\n", copies);
    std::printf("  diff                %9.1f us   ratio %.2f (target <= 1.0)\n", diff,
                diff / copies);
    std::printf("  nested name scans   %9.1f us   ratio %.1f (for scale; %d matches)\n", scan,
                scan / copies, nested);
}

void BenchSnapshot() {
    const int kServices = 5000;
    fake::Scm scm;
    AddServices(scm, kServices);
    ServiceList list{scm};
    list.Enumerate();
    fake::LocaleTime time;
    SnapshotFile snapshot(time);

    char folder[] = "/tmp/vantorel-bench-XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
        std::printf("no temporary folder\n");
        return;
    }
    std::string formatted = std::string(folder) + "/formatted.rpt";
    std::string bare = std::string(folder) + "/bare.rpt";

    double write = Best(30, [&] {
        HostFile file(formatted, true);
        snapshot.Write(list, file);
    });
    std::string bytes;
    {
        HostFile file(formatted, false);
        platform::ReadToEnd(file, &bytes);
    }
    double writeBare = Best(30, [&] {
        HostFile file(bare, true);
        file.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
    });

    ServiceEntryArray array;
    bool readOk = true;
    double read = Best(30, [&] {
        HostFile file(formatted, false);
        readOk = snapshot.Read(array, file) && readOk;
    });
    double readBare = Best(30, [&] {
        HostFile file(bare, false);
        std::string text;
        text.reserve(static_cast<size_t>(file.Size()));
        platform::ReadToEnd(file, &text);
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
    ::unlink(formatted.c_str());
    ::unlink(bare.c_str());
    ::rmdir(folder);
}

}  // namespace

int main() {
    BenchDiff();
    BenchSnapshot();
    return 0;
}
