// Change detection and snapshot files beside the work they cannot avoid:
// the diff against the two entry copies that precede it in every comparison,
// and saving and reading a snapshot against the least a program could do to
// store and load the same bytes.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

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

void BenchDiff(const char* what, const std::function<std::string(int)>& name) {
    const int kServices = 20000;
    const int kRounds = 30;
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
    ChangeList changes{scm};
    changes.SetCompareType(0);
    double diff, copies;
    newSet.CopyFrom(newList);
    oldSet.CopyFrom(oldList);
    bench::BestAlternating(
        kRounds, [&] { changes.Diff(newSet, oldSet); },
        [&] {
            newSet.CopyFrom(newList);
            oldSet.CopyFrom(oldList);
        },
        &diff, &copies);

    std::printf("change detection, %d services, %s, %d changes, %d rounds each, alternating:\n",
                kServices, what, changes.GetCount(), kRounds);
    std::printf("  two CopyFrom copies %9.1f us\n", copies);
    std::printf("  diff                %9.1f us   ratio %.2f (target <= 1.0) %s\n", diff,
                diff / copies, bench::Judge(diff / copies, 1.0));
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
