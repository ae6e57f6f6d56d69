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

#include "bench/SnapshotBench.h"
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
    bench::AddServices(scm, kServices);
    ServiceList oldList{scm}, newList{scm};
    oldList.Enumerate();
    // 5% changes: 40 state changes, 30 services gone, 30 new ones.
    for (int i = 0; i < 40; ++i)
        scm.Get(bench::ServiceName(i * 47))->status.currentState = sc::kPaused;
    for (int i = 0; i < 30; ++i) scm.Remove(bench::ServiceName(i * 61 + 5));
    for (int i = 0; i < 30; ++i) scm.Add("New service " + std::to_string(i), "Nuevo");
    newList.Enumerate();

    ServiceEntryArray newSet, oldSet;
    double copies = bench::Best(50, [&] {
        newSet.CopyFrom(newList);
        oldSet.CopyFrom(oldList);
    });
    ChangeList changes{scm};
    changes.SetCompareType(0);
    double diff = bench::Best(50, [&] { changes.Diff(newSet, oldSet); });
    int nested = 0;
    double scan = bench::Best(3, [&] { nested = NestedDiffCount(scm, newSet, oldSet); });

    std::printf("change detection, %d services, %d changes:\n", kServices, changes.GetCount());
    std::printf("  two CopyFrom copies %9.1f us\n", copies);
    std::printf("  diff                %9.1f us   ratio %.2f (target <= 1.0)\n", diff,
                diff / copies);
    std::printf("  nested name scans   %9.1f us   ratio %.1f (for scale; %d matches)\n", scan,
                scan / copies, nested);
}

}  // namespace

int main() {
    BenchDiff();
    char folder[] = "/tmp/vantorel-bench-XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
        std::printf("no temporary folder\n");
        return 1;
    }
    bench::BenchSnapshot(
        [](const std::string& path, bool write) -> std::unique_ptr<platform::File> {
            return std::make_unique<HostFile>(path, write);
        },
        std::string(folder) + "/");
    for (const char* name : {"/formatted.rpt", "/bare.rpt"})
        ::unlink((folder + std::string(name)).c_str());
    ::rmdir(folder);
    return 0;
}
