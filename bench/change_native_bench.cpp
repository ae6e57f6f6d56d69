// Change detection and snapshot files beside the work they cannot avoid:
// the diff against the least any program must do to find the differences of
// two sets by name (a hash join on the names, case folded), and saving and
// reading a snapshot against the least a program could do to store and load
// the same bytes.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "bench/SnapshotBench.h"
#include "bench/Verdict.h"
#include "document/ChangeList.h"
#include "tests/fakes/FakeScm.h"

namespace sc = platform::scm;
namespace pf = platform::file;

namespace {

// A file of the host, so both sides of the file ratios pay the same calls.
class HostFile : public platform::File {
public:
    explicit HostFile(int fd) : fd_(fd) {}
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
    bool Flush() override { return ::fsync(fd_) == 0; }
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

// The host's file system behind the platform's calls: no attributes, and a
// replace that is a rename over an existing file.
class HostFileSystem : public platform::FileSystem {
public:
    std::unique_ptr<platform::File> CreateFileA(const char* path, uint32_t access, uint32_t,
                                                uint32_t disposition) override {
        int flags = (access & pf::kGenericWrite) ? O_WRONLY : O_RDONLY;
        if (disposition == pf::kCreateAlways) flags |= O_CREAT | O_TRUNC;
        if (disposition == pf::kCreateNew) flags |= O_CREAT | O_EXCL;
        if (disposition == pf::kOpenAlways) flags |= O_CREAT;
        int fd = ::open(path, flags, 0600);
        if (fd < 0) return Failed(nullptr);
        return std::make_unique<HostFile>(fd);
    }
    bool MoveFileExA(const char* from, const char* to, uint32_t) override {
        return ::rename(from, to) == 0 || Failed(false);
    }
    bool ReplaceFileA(const char* replaced, const char* replacement, const char*,
                      uint32_t) override {
        if (::access(replaced, F_OK) != 0) return Failed(false);
        return ::rename(replacement, replaced) == 0 || Failed(false);
    }
    uint32_t GetTempFileNameA(const char* folder, const char* prefix, uint32_t,
                              char* tempFileName) override {
        std::string dir = folder;
        if (!dir.empty() && dir.back() != '/') dir += '/';
        for (uint32_t n = 1; n <= 0xFFFF; ++n) {
            char name[32];
            std::snprintf(name, sizeof name, "%s%X.tmp", prefix, (n + next_) & 0xFFFF);
            std::string path = dir + name;
            if (path.size() >= pf::kMaxPath) break;
            int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
            if (fd < 0) continue;
            ::close(fd);
            next_ += n;
            std::memcpy(tempFileName, path.c_str(), path.size() + 1);
            return n;
        }
        return Failed(0u);
    }
    bool DeleteFileA(const char* path) override { return ::unlink(path) == 0 || Failed(false); }
    uint32_t GetFileAttributesA(const char* path) override {
        struct stat st {};
        return ::stat(path, &st) == 0 ? pf::kAttributeArchive : Failed(pf::kInvalidFileAttributes);
    }
    bool SetFileAttributesA(const char*, uint32_t) override { return true; }
    uint32_t GetLastError() override { return error_; }
    std::string FormatMessageA(uint32_t code) override { return std::strerror(int(code)); }

private:
    template <typename T>
    T Failed(T result) {
        error_ = errno == ENOENT ? pf::kErrorFileNotFound : static_cast<uint32_t>(errno);
        return result;
    }
    uint32_t error_ = 0;
    uint32_t next_ = 0;
};

// One name in ten with a hyphen or an apostrophe, as "Net-Tcp Listener"
// or "O'Brien".
std::string NotPlainName(int i) {
    std::string name = bench::ServiceName(i);
    if (i % 10 == 0) name.insert(name.size() / 2, i % 20 ? "'" : "-");
    return name;
}

// One difference as the diff reports it: which service, how it changed, and
// its state before and after.
struct Difference {
    const char* name;
    int32_t kind;
    uint32_t oldState, newState;
    bool operator<(const Difference& o) const {
        int byName = std::strcmp(name, o.name);
        return byName != 0
                   ? byName < 0
                   : std::tie(kind, oldState, newState) < std::tie(o.kind, o.oldState, o.newState);
    }
    bool operator==(const Difference& o) const {
        return std::strcmp(name, o.name) == 0 && kind == o.kind && oldState == o.oldState &&
               newState == o.newState;
    }
};

// ASCII letters folded to lower case, by table as a join on names would.
struct FoldTable {
    unsigned char folded[256];
    FoldTable() {
        for (int c = 0; c < 256; ++c)
            folded[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    }
    unsigned char operator()(char c) const { return folded[static_cast<unsigned char>(c)]; }
};
const FoldTable kFold;

// A rotate and an exclusive or per byte, mixed at the end for the table's
// low bits.
uint32_t FoldedHash(const char* name) {
    uint32_t h = 0;
    for (const char* p = name; *p; ++p) h = (h << 5 | h >> 27) ^ kFold(*p);
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    return h ^ (h >> 13);
}

// Identical bytes are settled at once; only names that differ are folded.
bool SameFolded(const char* a, const char* b) {
    if (std::strcmp(a, b) == 0) return true;
    for (; kFold(*a) == kFold(*b); ++a, ++b)
        if (*a == '\0') return true;
    return false;
}

// The least any program must do to find the differences of two sets by
// name: a table of the old set's names, case folded, probed once by each
// new name; a matched pair has its eight fields compared, a new name found
// nowhere is new, an old name never matched is gone.
void HashJoin(const ServiceEntryArray& newSet, const ServiceEntryArray& oldSet,
              std::vector<Difference>* out) {
    out->clear();
    struct Slot {
        uint32_t hash;
        int index;
    };
    const int count = oldSet.GetCount();
    size_t size = 16;
    while (size < static_cast<size_t>(count) * 2) size *= 2;
    const size_t mask = size - 1;
    std::vector<Slot> slots(size, Slot{0, -1});
    std::vector<char> matched(static_cast<size_t>(count), 0);
    for (int j = 0; j < count; ++j) {
        uint32_t hash = FoldedHash(oldSet.GetEntry(j)->name);
        size_t at = hash & mask;
        while (slots[at].index >= 0) at = (at + 1) & mask;
        slots[at] = {hash, j};
    }
    for (int i = 0; i < newSet.GetCount(); ++i) {
        const ServiceEntry* n = newSet.GetEntry(i);
        uint32_t hash = FoldedHash(n->name);
        const ServiceEntry* o = nullptr;
        for (size_t at = hash & mask; slots[at].index >= 0; at = (at + 1) & mask) {
            if (slots[at].hash != hash) continue;
            const ServiceEntry* candidate = oldSet.GetEntry(slots[at].index);
            if (SameFolded(candidate->name, n->name)) {
                o = candidate;
                matched[static_cast<size_t>(slots[at].index)] = 1;
                break;
            }
        }
        if (o == nullptr) {
            out->push_back({n->name, NewService, sc::kStopped, n->currentState});
            continue;
        }
        int32_t kind = 0;
        if (std::strcmp(o->displayName, n->displayName) != 0) kind |= DisplayNameChanged;
        if (o->serviceType != n->serviceType) kind |= TypeChanged;
        if (o->currentState != n->currentState) kind |= StateChanged;
        if (o->controlsAccepted != n->controlsAccepted) kind |= ControlsAcceptedChanged;
        if (o->win32ExitCode != n->win32ExitCode) kind |= Win32ExitCodeChanged;
        if (o->serviceSpecificExitCode != n->serviceSpecificExitCode)
            kind |= SpecificExitCodeChanged;
        if (o->checkPoint != n->checkPoint) kind |= CheckPointChanged;
        if (o->waitHint != n->waitHint) kind |= WaitHintChanged;
        if (kind != 0) out->push_back({n->name, kind, o->currentState, n->currentState});
    }
    for (int j = 0; j < count; ++j) {
        if (matched[static_cast<size_t>(j)]) continue;
        const ServiceEntry* o = oldSet.GetEntry(j);
        out->push_back({o->name, DeletedService, o->currentState, sc::kStopped});
    }
}

void BenchDiff(const char* what, const std::function<std::string(int)>& name) {
    const int kServices = 20000;
    const int kRounds = 30;
    // The diff does more than the bare join for the same differences: it
    // indexes both sets, since a name its key cannot settle goes to the
    // platform's comparison, and each change keeps a copy of its names.
    const double kTarget = 1.25;
    fake::Scm scm;
    for (int i = 0; i < kServices; ++i) {
        fake::Service& s = scm.Add(name(i), "Servicio de prueba " + std::to_string(i),
                                   i % 3 ? sc::kRunning : sc::kStopped);
        s.status.serviceType = i % 2 ? sc::kTypeWin32ShareProcess : sc::kTypeWin32OwnProcess;
    }
    ServiceList oldList{scm}, newList{scm};
    oldList.Enumerate();
    // 5% changes: 400 state changes, 300 services gone, 300 new ones.
    for (int i = 0; i < 400; ++i) scm.Get(name(i * 47))->status.currentState = sc::kPaused;
    for (int i = 0; i < 300; ++i) scm.Remove(name(i * 61 + 5));
    for (int i = 0; i < 300; ++i) scm.Add("New service " + std::to_string(i), "Nuevo");
    newList.Enumerate();

    ServiceEntryArray newSet, oldSet;
    newSet.CopyFrom(newList);
    oldSet.CopyFrom(oldList);
    ChangeList changes{scm};
    changes.SetCompareType(0);
    std::vector<Difference> joined;
    joined.reserve(static_cast<size_t>(kServices));
    double diff, join;
    bench::BestAlternating(
        kRounds, [&] { changes.Diff(newSet, oldSet); }, [&] { HashJoin(newSet, oldSet, &joined); },
        &diff, &join);

    // The two must find the same differences, or the ratio means nothing.
    std::vector<Difference> found;
    for (int i = 0; i < changes.GetCount(); ++i) {
        const ServiceChange* c = changes.GetChange(i);
        found.push_back({c->name, c->kind, c->oldState, c->newState});
    }
    std::sort(found.begin(), found.end());
    std::sort(joined.begin(), joined.end());
    bool same = found == joined;
    if (!same) bench::Fail();

    std::printf("change detection, %d services, %s, %d changes, %d rounds each, alternating%s:\n",
                kServices, what, changes.GetCount(), kRounds,
                same ? "" : " (THE JOIN FOUND OTHER DIFFERENCES)");
    std::printf("  hash join of the names %9.1f us\n", join);
    std::printf("  diff                   %9.1f us   ratio %.2f (target <= %.2f) %s\n", diff,
                diff / join, kTarget, bench::Judge(diff / join, kTarget));
}

}  // namespace

int main() {
    BenchDiff("plain names", bench::ServiceName);
    BenchDiff("one name in ten with a hyphen or an apostrophe", NotPlainName);
    char folder[] = "/tmp/vantorel-bench-XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
        std::printf("no temporary folder\n");
        return 1;
    }
    HostFileSystem files;
    bench::BenchSnapshot(files, std::string(folder) + "/");
    ::rmdir(folder);
    return bench::ExitStatus();
}
