#pragma once
// Decorators that fail one chosen call of a platform interface: counting
// from the moment a plan is armed, its k-th call fails with the chosen
// error, as the platform fails that call (a null handle, false, or the
// registry's code), and every other call is handed on. A test runs a flow
// once to count its calls, then again with each call failing in turn.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Clock.h"
#include "platform/ModuleApi.h"
#include "platform/VersionApi.h"
#include "tests/fakes/ForwardingFiles.h"
#include "tests/fakes/ForwardingRegistry.h"
#include "tests/fakes/ForwardingScm.h"

namespace fake {

// The errors a user meets on a real machine.
namespace fault {
constexpr uint32_t kFileNotFound = 2;
constexpr uint32_t kAccessDenied = 5;
constexpr uint32_t kNotEnoughMemory = 8;
constexpr uint32_t kSharingViolation = 32;
constexpr uint32_t kDiskFull = 112;
constexpr uint32_t kServerUnavailable = 1722;
// Not an error: the leap of a clock through eight hours of sleep.
constexpr uint32_t kSleptThrough = 8 * 3600 * 1000;
}  // namespace fault

class FaultPlan {
public:
    // From now on the `at`-th call fails with `error`; 0 fails none.
    void Arm(int at, uint32_t error) {
        calls_ = 0;
        at_ = at;
        error_ = error;
        fired_ = failing_ = false;
    }
    // The platform recovers: no call fails any more.
    void Disarm() { at_ = 0; }
    int Calls() const { return calls_; }
    bool Fired() const { return fired_; }
    uint32_t Error() const { return error_; }
    // Before every call: true when this one is to fail.
    bool Next() {
        ++calls_;
        failing_ = at_ != 0 && calls_ == at_;
        fired_ = fired_ || failing_;
        return failing_;
    }
    // What GetLastError answers after the failed call, until the next call.
    uint32_t LastError(uint32_t inner) const { return failing_ ? error_ : inner; }

private:
    int calls_ = 0;
    int at_ = 0;
    uint32_t error_ = 0;
    bool fired_ = false;
    bool failing_ = false;
};

// A handle that fails to close is closed all the same, as on the platform,
// so a failure there never shows as a leak of the layer below.
class FaultyScm : public ForwardingScm {
public:
    FaultyScm(platform::ScmApi& inner, FaultPlan& plan) : ForwardingScm(inner), plan_(plan) {}

    platform::ScHandle OpenSCManagerA(const char* m, const char* d, uint32_t a) override {
        return plan_.Next() ? nullptr : ForwardingScm::OpenSCManagerA(m, d, a);
    }
    bool EnumServicesStatusA(platform::ScHandle m, uint32_t t, uint32_t s, void* b, uint32_t n,
                             uint32_t* need, uint32_t* ret, uint32_t* resume) override {
        return !plan_.Next() &&
               ForwardingScm::EnumServicesStatusA(m, t, s, b, n, need, ret, resume);
    }
    platform::ScHandle OpenServiceA(platform::ScHandle m, const char* n, uint32_t a) override {
        return plan_.Next() ? nullptr : ForwardingScm::OpenServiceA(m, n, a);
    }
    bool QueryServiceStatus(platform::ScHandle h, platform::ServiceStatus* s) override {
        return !plan_.Next() && ForwardingScm::QueryServiceStatus(h, s);
    }
    bool QueryServiceConfigA(platform::ScHandle h, void* b, uint32_t n, uint32_t* need) override {
        return !plan_.Next() && ForwardingScm::QueryServiceConfigA(h, b, n, need);
    }
    bool QueryServiceConfig2A(platform::ScHandle h, uint32_t l, void* b, uint32_t n,
                              uint32_t* need) override {
        return !plan_.Next() && ForwardingScm::QueryServiceConfig2A(h, l, b, n, need);
    }
    bool ChangeServiceConfigA(platform::ScHandle h, uint32_t t, uint32_t s, uint32_t e,
                              const char* b, const char* g, uint32_t* tag, const char* d,
                              const char* a, const char* p, const char* n) override {
        return !plan_.Next() &&
               ForwardingScm::ChangeServiceConfigA(h, t, s, e, b, g, tag, d, a, p, n);
    }
    bool ChangeServiceConfig2A(platform::ScHandle h, uint32_t l, void* i) override {
        return !plan_.Next() && ForwardingScm::ChangeServiceConfig2A(h, l, i);
    }
    bool StartServiceA(platform::ScHandle h, uint32_t n, const char** a) override {
        return !plan_.Next() && ForwardingScm::StartServiceA(h, n, a);
    }
    bool ControlService(platform::ScHandle h, uint32_t c, platform::ServiceStatus* s) override {
        return !plan_.Next() && ForwardingScm::ControlService(h, c, s);
    }
    bool CloseServiceHandle(platform::ScHandle h) override {
        bool fail = plan_.Next();
        return ForwardingScm::CloseServiceHandle(h) && !fail;
    }
    uint32_t GetLastError() override { return plan_.LastError(ForwardingScm::GetLastError()); }

private:
    FaultPlan& plan_;
};

// A clock has no error to return; what it does on a real machine is leap:
// a machine put to sleep during a wait wakes with its tick count hours on.
// Its k-th reading leaps forward by the plan's "error", in milliseconds, and
// every later reading keeps the leap.
class FaultyClock : public platform::Clock {
public:
    FaultyClock(platform::Clock& inner, FaultPlan& plan) : inner_(inner), plan_(plan) {}
    uint32_t GetTickCount() override {
        if (plan_.Next()) leap_ += plan_.Error();
        return inner_.GetTickCount() + leap_;
    }
    void Sleep(uint32_t milliseconds) override { inner_.Sleep(milliseconds); }

private:
    platform::Clock& inner_;
    FaultPlan& plan_;
    uint32_t leap_ = 0;
};

class FaultyRegistry : public ForwardingRegistry {
public:
    FaultyRegistry(platform::RegistryApi& inner, FaultPlan& plan)
        : ForwardingRegistry(inner), plan_(plan) {}

    long RegCreateKeyExA(platform::RegKey k, const char* s, uint32_t o, uint32_t a,
                         platform::RegKey* r, uint32_t* d) override {
        return Failed() ? Error() : ForwardingRegistry::RegCreateKeyExA(k, s, o, a, r, d);
    }
    long RegOpenKeyExA(platform::RegKey k, const char* s, uint32_t o, uint32_t a,
                       platform::RegKey* r) override {
        return Failed() ? Error() : ForwardingRegistry::RegOpenKeyExA(k, s, o, a, r);
    }
    long RegCloseKey(platform::RegKey k) override {
        bool fail = Failed();
        long result = ForwardingRegistry::RegCloseKey(k);
        return fail ? Error() : result;
    }
    long RegQueryValueExA(platform::RegKey k, const char* n, uint32_t* t, void* d,
                          uint32_t* s) override {
        return Failed() ? Error() : ForwardingRegistry::RegQueryValueExA(k, n, t, d, s);
    }
    long RegSetValueExA(platform::RegKey k, const char* n, uint32_t t, const void* d,
                        uint32_t s) override {
        return Failed() ? Error() : ForwardingRegistry::RegSetValueExA(k, n, t, d, s);
    }
    long RegDeleteValueA(platform::RegKey k, const char* n) override {
        return Failed() ? Error() : ForwardingRegistry::RegDeleteValueA(k, n);
    }
    long RegDeleteKeyA(platform::RegKey k, const char* s) override {
        return Failed() ? Error() : ForwardingRegistry::RegDeleteKeyA(k, s);
    }
    long RegEnumValueA(platform::RegKey k, uint32_t i, char* n, uint32_t* s) override {
        return Failed() ? Error() : ForwardingRegistry::RegEnumValueA(k, i, n, s);
    }
    long RegEnumKeyExA(platform::RegKey k, uint32_t i, char* n, uint32_t* s) override {
        return Failed() ? Error() : ForwardingRegistry::RegEnumKeyExA(k, i, n, s);
    }
    uint32_t ExpandEnvironmentStringsA(const char* s, char* b, uint32_t n) override {
        return Failed() ? 0 : ForwardingRegistry::ExpandEnvironmentStringsA(s, b, n);
    }

private:
    bool Failed() { return plan_.Next(); }
    long Error() const { return static_cast<long>(plan_.Error()); }
    FaultPlan& plan_;
};

// An open file of FaultyFiles: its calls count in the same plan. A write
// that fails on a full disk has written its first half, as a write that
// crosses the last free cluster does; other failures write nothing.
class FaultyFile : public ForwardingFile {
public:
    FaultyFile(std::unique_ptr<platform::File> inner, FaultPlan& plan)
        : ForwardingFile(std::move(inner)), plan_(plan) {}

    bool Read(void* b, uint32_t s, uint32_t* r) override {
        return !plan_.Next() && ForwardingFile::Read(b, s, r);
    }
    bool Write(const void* d, uint32_t s) override {
        if (!plan_.Next()) return ForwardingFile::Write(d, s);
        if (plan_.Error() == fault::kDiskFull) ForwardingFile::Write(d, s / 2);
        return false;
    }
    bool Flush() override { return !plan_.Next() && ForwardingFile::Flush(); }
    bool SeekToEnd() override { return !plan_.Next() && ForwardingFile::SeekToEnd(); }
    bool Close() override {
        bool fail = plan_.Next();
        return ForwardingFile::Close() && !fail;
    }

private:
    FaultPlan& plan_;
};

class FaultyFiles : public ForwardingFiles {
public:
    FaultyFiles(platform::FileSystem& inner, FaultPlan& plan)
        : ForwardingFiles(inner), plan_(plan) {}

    std::unique_ptr<platform::File> CreateFileA(const char* p, uint32_t a, uint32_t s,
                                                uint32_t d) override {
        if (plan_.Next()) return nullptr;
        auto file = ForwardingFiles::CreateFileA(p, a, s, d);
        if (!file) return nullptr;
        return std::make_unique<FaultyFile>(std::move(file), plan_);
    }
    bool MoveFileExA(const char* f, const char* t, uint32_t flags) override {
        return !plan_.Next() && ForwardingFiles::MoveFileExA(f, t, flags);
    }
    bool ReplaceFileA(const char* r, const char* n, const char* b, uint32_t flags) override {
        return !plan_.Next() && ForwardingFiles::ReplaceFileA(r, n, b, flags);
    }
    uint32_t GetTempFileNameA(const char* f, const char* p, uint32_t u, char* name) override {
        return plan_.Next() ? 0 : ForwardingFiles::GetTempFileNameA(f, p, u, name);
    }
    bool DeleteFileA(const char* p) override {
        return !plan_.Next() && ForwardingFiles::DeleteFileA(p);
    }
    uint32_t GetFileAttributesA(const char* p) override {
        return plan_.Next() ? platform::file::kInvalidFileAttributes
                            : ForwardingFiles::GetFileAttributesA(p);
    }
    bool SetFileAttributesA(const char* p, uint32_t a) override {
        return !plan_.Next() && ForwardingFiles::SetFileAttributesA(p, a);
    }
    uint32_t GetLastError() override { return plan_.LastError(ForwardingFiles::GetLastError()); }

private:
    FaultPlan& plan_;
};

// Resource modules and their version information, one plan for both.
class FaultyModules : public platform::ModuleApi, public platform::VersionApi {
public:
    FaultyModules(platform::ModuleApi& modules, platform::VersionApi& versions, FaultPlan& plan)
        : modules_(modules), versions_(versions), plan_(plan) {}

    platform::ModuleHandle LoadLibraryA(const char* p) override {
        return plan_.Next() ? nullptr : modules_.LoadLibraryA(p);
    }
    platform::ModuleHandle LoadLibraryExA(const char* p, uint32_t f) override {
        return plan_.Next() ? nullptr : modules_.LoadLibraryExA(p, f);
    }
    bool FreeLibrary(platform::ModuleHandle m) override {
        bool fail = plan_.Next();
        return modules_.FreeLibrary(m) && !fail;
    }
    int LoadStringA(platform::ModuleHandle m, unsigned id, char* b, int s) override {
        return plan_.Next() ? 0 : modules_.LoadStringA(m, id, b, s);
    }
    std::string GetModuleFileNameA(platform::ModuleHandle m) override {
        return plan_.Next() ? std::string() : modules_.GetModuleFileNameA(m);
    }
    uint32_t GetLastError() override { return plan_.LastError(modules_.GetLastError()); }
    std::string FormatMessageA(uint32_t code) override { return modules_.FormatMessageA(code); }

    uint32_t GetFileVersionInfoSizeA(const char* p, uint32_t* h) override {
        return plan_.Next() ? 0 : versions_.GetFileVersionInfoSizeA(p, h);
    }
    bool GetFileVersionInfoA(const char* p, uint32_t h, uint32_t s, void* d) override {
        return !plan_.Next() && versions_.GetFileVersionInfoA(p, h, s, d);
    }
    bool VerQueryValueA(const void* b, const char* s, void** out, uint32_t* n) override {
        return !plan_.Next() && versions_.VerQueryValueA(b, s, out, n);
    }
    uint32_t VerLanguageNameA(uint32_t l, char* b, uint32_t s) override {
        return plan_.Next() ? 0 : versions_.VerLanguageNameA(l, b, s);
    }

private:
    platform::ModuleApi& modules_;
    platform::VersionApi& versions_;
    FaultPlan& plan_;
};

}  // namespace fake
