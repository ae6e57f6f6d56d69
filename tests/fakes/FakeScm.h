#pragma once
// An in-memory service control manager: services with types, states,
// accepted controls and pending transitions, failures injected per call and
// per service, and a log of every call made.
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Clock.h"
#include "platform/ScmApi.h"
#include "platform/TextSource.h"

namespace fake {

struct Service {
    std::string name;
    std::string displayName;
    platform::ServiceStatus status{
        platform::scm::kTypeWin32OwnProcess, platform::scm::kStopped, 0, 0, 0, 0, 0};
    // Accepted controls while running.
    uint32_t accepts = platform::scm::kAcceptStop | platform::scm::kAcceptPauseContinue;
    // Status queries a start or stop stays pending for; -1 never settles.
    int pendingPolls = 0;
    uint32_t pendingWaitHint = 3000;
    uint32_t startType = 3;
    uint32_t errorControl = 1;
    std::string binaryPath = "C:\\svc.exe";
    std::string group;
    std::string dependencies;  // NUL-separated, as the platform keeps them
    bool unterminatedDependencies = false;
    uint32_t tag = 0;
    std::string account = "LocalSystem";
    std::string description;
    uint32_t resetPeriod = 0;
    std::vector<platform::ScAction> failureActions;
    // A damaged record: the count claims more actions than it holds.
    uint32_t actionsClaimedBeyond = 0;
    // Its configuration is refused as for a user without the right to read it.
    bool configDenied = false;
    bool delayedAutoStart = false;
    // The kinds of its triggers; each starts the service unless listed in
    // stopTriggers too.
    std::vector<uint32_t> triggers;
    std::set<uint32_t> stopTriggers;
    // A damaged record: the count claims more triggers than it holds.
    uint32_t triggersClaimedBeyond = 0;
    // Given by Add, rising: a resume handle is the number of the last service
    // returned, so services added later come after every earlier one.
    uint32_t sequence = 0;
};

enum class Call {
    OpenSCManager,
    EnumServicesStatus,
    OpenService,
    QueryServiceStatus,
    QueryConfig,
    QueryConfig2,
    ChangeServiceConfig,
    ChangeServiceConfig2,
    StartService,
    ControlService,
};

class Scm : public platform::ScmApi {
public:
    Scm();
    ~Scm() override;

    Service& Add(const std::string& name, const std::string& displayName,
                 uint32_t state = platform::scm::kStopped);
    Service* Get(const std::string& name);
    void Remove(const std::string& name);
    void AddMachine(const std::string& name) { machines_.insert(name); }

    // Every call of that kind (for that service, when one is named) fails
    // with `error`, `times` times or, with -1, until cleared.
    void Fail(Call call, uint32_t error, const std::string& service = "", int times = -1);
    void ClearFailures() { failures_.clear(); }
    // Configuration queries report this size on their first call.
    void ReportConfigSize(uint32_t size) { forcedConfigSize_ = size; }
    // Runs after an enumeration call without a buffer, the one that sizes
    // the list (to change the services before it is filled).
    std::function<void()> afterSizingCall;
    // Runs after every enumeration call.
    std::function<void()> afterEveryEnumCall;
    // The most bytes one enumeration call fills (0: no limit), as Windows
    // hands out at most about 256 KB per call.
    uint32_t enumByteLimit = 0;
    // A buffer too small for the rest of the list gets the services that
    // fit, as on Windows; false: none at all, as on Wine.
    bool enumFillsPartly = true;

    // "Function arg ..." lines, in call order.
    std::vector<std::string> log;
    int OpenHandles() const { return static_cast<int>(handles_.size()); }
    uint32_t lastError = 0;

    platform::ScHandle OpenSCManagerA(const char* machineName, const char* databaseName,
                                      uint32_t desiredAccess) override;
    bool EnumServicesStatusA(platform::ScHandle manager, uint32_t serviceType,
                             uint32_t serviceState, void* buffer, uint32_t bufSize,
                             uint32_t* bytesNeeded, uint32_t* servicesReturned,
                             uint32_t* resumeHandle) override;
    platform::ScHandle OpenServiceA(platform::ScHandle manager, const char* serviceName,
                                    uint32_t desiredAccess) override;
    bool QueryServiceStatus(platform::ScHandle service, platform::ServiceStatus* status) override;
    bool QueryServiceConfigA(platform::ScHandle service, void* buffer, uint32_t bufSize,
                             uint32_t* bytesNeeded) override;
    bool QueryServiceConfig2A(platform::ScHandle service, uint32_t infoLevel, void* buffer,
                              uint32_t bufSize, uint32_t* bytesNeeded) override;
    bool ChangeServiceConfigA(platform::ScHandle service, uint32_t serviceType, uint32_t startType,
                              uint32_t errorControl, const char* binaryPathName,
                              const char* loadOrderGroup, uint32_t* tagId, const char* dependencies,
                              const char* serviceStartName, const char* password,
                              const char* displayName) override;
    bool ChangeServiceConfig2A(platform::ScHandle service, uint32_t infoLevel, void* info) override;
    bool StartServiceA(platform::ScHandle service, uint32_t numArgs, const char** args) override;
    bool ControlService(platform::ScHandle service, uint32_t control,
                        platform::ServiceStatus* status) override;
    bool CloseServiceHandle(platform::ScHandle handle) override;
    uint32_t GetLastError() override { return lastError; }
    std::string FormatMessageA(uint32_t code) override;
    int lstrcmpiA(const char* a, const char* b) override;

private:
    struct Handle {
        bool manager;
        std::string service;
        uint32_t access;
    };
    struct Failure {
        Call call;
        uint32_t error;
        std::string service;
        int times;
    };

    bool Injected(Call call, const std::string& service);
    bool SetError(uint32_t error);
    Handle* Find(platform::ScHandle handle, bool manager);
    Service* ServiceOf(platform::ScHandle handle, uint32_t access, Call call, const char* fn);
    void Advance(Service& service);

    std::string Folded(const std::string& name) const;
    bool QueryTriggerInfo(const Service& s, void* buffer, uint32_t bufSize, uint32_t* bytesNeeded);

    std::list<Service> services_;  // stable addresses for tests that keep a Service&
    // The first service of each folded name, so that a machine of thousands
    // answers a name as fast as one of ten.
    std::unordered_map<std::string, Service*> byName_;
    std::set<std::string> machines_;
    std::map<platform::ScHandle, Handle> handles_;
    std::vector<Failure> failures_;
    uint32_t forcedConfigSize_ = UINT32_MAX;
    uint32_t nextSequence_ = 0;
    uintptr_t nextHandle_ = 0x100;
};

// A clock that moves only when slept on.
class Clock : public platform::Clock {
public:
    uint32_t now = 0;
    int sleeps = 0;
    uint32_t GetTickCount() override { return now; }
    void Sleep(uint32_t milliseconds) override {
        now += milliseconds;
        ++sleeps;
    }
};

// The program's own Spanish strings for the ids the core asks for.
class Texts : public platform::TextSource {
public:
    Texts();
    std::map<unsigned, std::string> strings;
    std::string Text(unsigned id) override;
};

}  // namespace fake
