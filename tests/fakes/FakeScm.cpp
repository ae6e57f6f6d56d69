#include "tests/fakes/FakeScm.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace sc = platform::scm;
namespace er = platform::err;

namespace fake {

namespace {

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

bool IsActive(const Service& s) {
    return s.status.currentState != sc::kStopped;
}

// Appends `text` to the string area that grows down from `end`; returns where it went.
char* PutText(char*& end, const std::string& text) {
    end -= text.size() + 1;
    std::memcpy(end, text.c_str(), text.size() + 1);
    return end;
}

unsigned char FoldLatin1(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
    return c;
}

}  // namespace

Scm::Scm() {
    machines_.insert("");
}

Scm::~Scm() = default;

Service& Scm::Add(const std::string& name, const std::string& displayName, uint32_t state) {
    Service s;
    s.name = name;
    s.displayName = displayName;
    s.status.currentState = state;
    if (state == sc::kRunning || state == sc::kPaused) s.status.controlsAccepted = s.accepts;
    s.sequence = ++nextSequence_;
    services_.push_back(s);
    byName_.emplace(Folded(name), &services_.back());
    return services_.back();
}

std::string Scm::Folded(const std::string& name) const {
    std::string folded = name;
    for (char& c : folded) c = static_cast<char>(FoldLatin1(static_cast<unsigned char>(c)));
    return folded;
}

Service* Scm::Get(const std::string& name) {
    auto found = byName_.find(Folded(name));
    return found == byName_.end() ? nullptr : found->second;
}

void Scm::Remove(const std::string& name) {
    services_.remove_if(
        [&](const Service& s) { return lstrcmpiA(s.name.c_str(), name.c_str()) == 0; });
    std::string folded = Folded(name);
    byName_.erase(folded);
    for (auto& s : services_)
        if (Folded(s.name) == folded) byName_.emplace(folded, &s);
}

void Scm::Fail(Call call, uint32_t error, const std::string& service, int times) {
    failures_.push_back({call, error, service, times});
}

bool Scm::Injected(Call call, const std::string& service) {
    for (auto& f : failures_) {
        if (f.call != call || f.times == 0) continue;
        if (!f.service.empty() && lstrcmpiA(f.service.c_str(), service.c_str()) != 0) continue;
        if (f.times > 0) --f.times;
        lastError = f.error;
        return true;
    }
    return false;
}

bool Scm::SetError(uint32_t error) {
    lastError = error;
    return false;
}

Scm::Handle* Scm::Find(platform::ScHandle handle, bool manager) {
    auto it = handles_.find(handle);
    if (it == handles_.end() || it->second.manager != manager) return nullptr;
    return &it->second;
}

// The service behind a handle, after the checks every per-service call makes.
Service* Scm::ServiceOf(platform::ScHandle handle, uint32_t access, Call call, const char* fn) {
    Handle* h = Find(handle, false);
    log.push_back(std::string(fn) + " " + (h ? h->service : "?"));
    if (h == nullptr) {
        SetError(er::kInvalidHandle);
        return nullptr;
    }
    if ((h->access & access) == 0) {
        SetError(er::kAccessDenied);
        return nullptr;
    }
    Service* s = Get(h->service);
    if (s == nullptr) {
        SetError(er::kServiceMarkedForDelete);
        return nullptr;
    }
    if (Injected(call, s->name)) return nullptr;
    return s;
}

platform::ScHandle Scm::OpenSCManagerA(const char* machineName, const char* databaseName,
                                       uint32_t desiredAccess) {
    std::string machine = machineName ? machineName : "";
    log.push_back("OpenSCManagerA " + (machineName ? machine : std::string("(null)")) + " " +
                  (databaseName ? databaseName : "(null)") + " " + Hex(desiredAccess));
    if (Injected(Call::OpenSCManager, "")) return nullptr;
    if (machines_.count(machine) == 0) {
        SetError(er::kRpcServerUnavailable);
        return nullptr;
    }
    auto handle = reinterpret_cast<platform::ScHandle>(nextHandle_++);
    handles_[handle] = {true, "", desiredAccess};
    return handle;
}

bool Scm::EnumServicesStatusA(platform::ScHandle manager, uint32_t serviceType,
                              uint32_t serviceState, void* buffer, uint32_t bufSize,
                              uint32_t* bytesNeeded, uint32_t* servicesReturned,
                              uint32_t* resumeHandle) {
    log.push_back("EnumServicesStatusA " + Hex(serviceType) + " " + Hex(serviceState) + " " +
                  std::to_string(bufSize));
    if (Find(manager, true) == nullptr) return SetError(er::kInvalidHandle);
    if (Injected(Call::EnumServicesStatus, "")) return false;
    // The services after the resume point, in the platform's order.
    uint32_t from = resumeHandle != nullptr ? *resumeHandle : 0;
    std::vector<const Service*> chosen;
    for (const auto& s : services_) {
        bool typeOk = (s.status.serviceType & serviceType) != 0;
        bool stateOk = IsActive(s) ? (serviceState & sc::kStateActive) != 0
                                   : (serviceState & sc::kStateInactive) != 0;
        if (typeOk && stateOk && s.sequence > from) chosen.push_back(&s);
    }
    auto sizeOf = [](const Service* s) {
        return sizeof(platform::EnumServiceStatus) + s->name.size() + s->displayName.size() + 2;
    };
    size_t room = buffer != nullptr ? bufSize : 0;
    if (enumByteLimit != 0) room = std::min<size_t>(room, enumByteLimit);
    size_t fit = 0;
    for (size_t used = 0; fit < chosen.size() && used + sizeOf(chosen[fit]) <= room; ++fit)
        used += sizeOf(chosen[fit]);
    if (fit < chosen.size() && !enumFillsPartly) fit = 0;

    // Records from the start of the buffer, their texts down from its end.
    auto* records = static_cast<platform::EnumServiceStatus*>(buffer);
    char* end = static_cast<char*>(buffer) + bufSize;
    for (size_t i = 0; i < fit; ++i) {
        records[i].serviceName = PutText(end, chosen[i]->name);
        records[i].displayName = PutText(end, chosen[i]->displayName);
        records[i].status = chosen[i]->status;
    }
    *servicesReturned = static_cast<uint32_t>(fit);
    if (fit < chosen.size()) {
        size_t rest = 0;
        for (size_t i = fit; i < chosen.size(); ++i) rest += sizeOf(chosen[i]);
        *bytesNeeded = static_cast<uint32_t>(rest);
        if (resumeHandle != nullptr) *resumeHandle = fit > 0 ? chosen[fit - 1]->sequence : from;
        if (afterSizingCall && buffer == nullptr) afterSizingCall();
        if (afterEveryEnumCall) afterEveryEnumCall();
        return SetError(er::kMoreData);
    }
    *bytesNeeded = 0;
    if (resumeHandle != nullptr) *resumeHandle = 0;
    if (afterEveryEnumCall) afterEveryEnumCall();
    return true;
}

platform::ScHandle Scm::OpenServiceA(platform::ScHandle manager, const char* serviceName,
                                     uint32_t desiredAccess) {
    std::string name = serviceName ? serviceName : "";
    log.push_back("OpenServiceA " + name + " " + Hex(desiredAccess));
    if (Find(manager, true) == nullptr) {
        SetError(er::kInvalidHandle);
        return nullptr;
    }
    if (Injected(Call::OpenService, name)) return nullptr;
    Service* s = Get(name);
    if (s == nullptr) {
        SetError(er::kServiceDoesNotExist);
        return nullptr;
    }
    auto handle = reinterpret_cast<platform::ScHandle>(nextHandle_++);
    uint32_t access = desiredAccess;
    if (access & sc::kGenericRead) access |= 0x0D;      // query config, status, enum dependents
    if (access & sc::kGenericWrite) access |= 0x02;     // change config
    if (access & sc::kGenericExecute) access |= 0x1F0;  // start, stop, pause, interrogate, user
    handles_[handle] = {false, s->name, access};
    return handle;
}

// A pending state moves on by one poll each time the status is read.
void Scm::Advance(Service& s) {
    auto& st = s.status;
    bool pending = st.currentState == sc::kStartPending || st.currentState == sc::kStopPending ||
                   st.currentState == sc::kContinuePending || st.currentState == sc::kPausePending;
    if (!pending || s.pendingPolls < 0) return;
    if (s.pendingPolls > 0) {
        --s.pendingPolls;
        ++st.checkPoint;
        return;
    }
    switch (st.currentState) {
        case sc::kStartPending:
        case sc::kContinuePending:
            st.currentState = sc::kRunning;
            break;
        case sc::kStopPending:
            st.currentState = sc::kStopped;
            break;
        default:
            st.currentState = sc::kPaused;
            break;
    }
    st.controlsAccepted = st.currentState == sc::kStopped ? 0 : s.accepts;
    st.waitHint = 0;
    st.checkPoint = 0;
}

bool Scm::QueryServiceStatus(platform::ScHandle service, platform::ServiceStatus* status) {
    Service* s =
        ServiceOf(service, sc::kServiceQueryStatus, Call::QueryServiceStatus, "QueryServiceStatus");
    if (s == nullptr) return false;
    Advance(*s);
    *status = s->status;
    return true;
}

bool Scm::QueryServiceConfigA(platform::ScHandle service, void* buffer, uint32_t bufSize,
                              uint32_t* bytesNeeded) {
    Service* s = ServiceOf(service, 0x01, Call::QueryConfig, "QueryServiceConfigA");
    if (s == nullptr) return false;
    if (s->configDenied) return SetError(er::kAccessDenied);
    // Without its final empty name, the list ends the buffer.
    std::string deps =
        s->dependencies + (s->unterminatedDependencies ? std::string() : std::string(2, '\0'));
    size_t needed = sizeof(platform::ServiceConfigRecord) + s->binaryPath.size() + s->group.size() +
                    deps.size() + s->account.size() + s->displayName.size() + 4;
    if (bufSize < needed || buffer == nullptr) {
        *bytesNeeded =
            forcedConfigSize_ != UINT32_MAX ? forcedConfigSize_ : static_cast<uint32_t>(needed);
        return SetError(er::kInsufficientBuffer);
    }
    auto* cfg = static_cast<platform::ServiceConfigRecord*>(buffer);
    char* text = reinterpret_cast<char*>(cfg + 1);
    auto put = [&](const std::string& value) {
        char* at = text;
        std::memcpy(text, value.data(), value.size());
        text += value.size();
        *text++ = '\0';
        return at;
    };
    cfg->serviceType = s->status.serviceType;
    cfg->startType = s->startType;
    cfg->errorControl = s->errorControl;
    cfg->binaryPathName = put(s->binaryPath);
    cfg->loadOrderGroup = put(s->group);
    cfg->tagId = s->tag;
    cfg->serviceStartName = put(s->account);
    cfg->displayName = put(s->displayName);
    cfg->dependencies = text;
    std::memcpy(text, deps.data(), deps.size());
    return true;
}

bool Scm::QueryServiceConfig2A(platform::ScHandle service, uint32_t infoLevel, void* buffer,
                               uint32_t bufSize, uint32_t* bytesNeeded) {
    Service* s = ServiceOf(service, 0x01, Call::QueryConfig2, "QueryServiceConfig2A");
    if (s == nullptr) return false;
    if (s->configDenied) return SetError(er::kAccessDenied);
    if (infoLevel == sc::kConfigTriggerInfo)
        return QueryTriggerInfo(*s, buffer, bufSize, bytesNeeded);
    if (infoLevel == sc::kConfigDelayedAutoStartInfo) {
        *bytesNeeded = sizeof(platform::ServiceDelayedAutoStartInfo);
        if (buffer == nullptr || bufSize < *bytesNeeded) return SetError(er::kInsufficientBuffer);
        static_cast<platform::ServiceDelayedAutoStartInfo*>(buffer)->delayedAutostart =
            s->delayedAutoStart ? 1 : 0;
        return true;
    }
    if (infoLevel != sc::kConfigDescription && infoLevel != sc::kConfigFailureActions)
        return SetError(er::kInvalidParameter);
    size_t needed = infoLevel == sc::kConfigDescription
                        ? sizeof(platform::ServiceDescription) + s->description.size() + 1
                        : sizeof(platform::ServiceFailureActions) +
                              s->failureActions.size() * sizeof(platform::ScAction);
    if (bufSize < needed || buffer == nullptr) {
        *bytesNeeded =
            forcedConfigSize_ != UINT32_MAX ? forcedConfigSize_ : static_cast<uint32_t>(needed);
        return SetError(er::kInsufficientBuffer);
    }
    if (infoLevel == sc::kConfigDescription) {
        auto* d = static_cast<platform::ServiceDescription*>(buffer);
        d->description = reinterpret_cast<char*>(d + 1);
        std::memcpy(d->description, s->description.c_str(), s->description.size() + 1);
        return true;
    }
    auto* fa = static_cast<platform::ServiceFailureActions*>(buffer);
    fa->resetPeriod = s->resetPeriod;
    fa->rebootMsg = nullptr;
    fa->command = nullptr;
    fa->actionCount = static_cast<uint32_t>(s->failureActions.size()) + s->actionsClaimedBeyond;
    fa->actions = reinterpret_cast<platform::ScAction*>(fa + 1);
    std::copy(s->failureActions.begin(), s->failureActions.end(), fa->actions);
    return true;
}

// The triggers follow the record; their subtypes and data items are left out.
bool Scm::QueryTriggerInfo(const Service& s, void* buffer, uint32_t bufSize,
                           uint32_t* bytesNeeded) {
    size_t needed =
        sizeof(platform::ServiceTriggerInfo) + s.triggers.size() * sizeof(platform::ServiceTrigger);
    if (bufSize < needed || buffer == nullptr) {
        *bytesNeeded =
            forcedConfigSize_ != UINT32_MAX ? forcedConfigSize_ : static_cast<uint32_t>(needed);
        return SetError(er::kInsufficientBuffer);
    }
    auto* info = static_cast<platform::ServiceTriggerInfo*>(buffer);
    info->triggerCount = static_cast<uint32_t>(s.triggers.size()) + s.triggersClaimedBeyond;
    info->triggers = reinterpret_cast<platform::ServiceTrigger*>(info + 1);
    info->reserved = nullptr;
    for (size_t i = 0; i < s.triggers.size(); ++i) {
        uint32_t action = s.stopTriggers.count(s.triggers[i]) ? 2 : sc::kTriggerActionStart;
        info->triggers[i] = {s.triggers[i], action, nullptr, 0, nullptr};
    }
    return true;
}

bool Scm::ChangeServiceConfigA(platform::ScHandle service, uint32_t serviceType, uint32_t startType,
                               uint32_t errorControl, const char* binaryPathName,
                               const char* loadOrderGroup, uint32_t* tagId,
                               const char* dependencies, const char* serviceStartName,
                               const char* password, const char* displayName) {
    (void)tagId;
    (void)password;
    Service* s = ServiceOf(service, 0x02, Call::ChangeServiceConfig, "ChangeServiceConfigA");
    if (s == nullptr) return false;
    if (startType != sc::kNoChange && startType > 4) return SetError(er::kInvalidParameter);
    if (serviceType != sc::kNoChange) s->status.serviceType = serviceType;
    if (startType != sc::kNoChange) s->startType = startType;
    if (errorControl != sc::kNoChange) s->errorControl = errorControl;
    if (binaryPathName) s->binaryPath = binaryPathName;
    if (loadOrderGroup) s->group = loadOrderGroup;
    if (dependencies) s->dependencies = dependencies;
    if (serviceStartName) s->account = serviceStartName;
    if (displayName) s->displayName = displayName;
    return true;
}

bool Scm::ChangeServiceConfig2A(platform::ScHandle service, uint32_t infoLevel, void* info) {
    Service* s = ServiceOf(service, 0x02, Call::ChangeServiceConfig2, "ChangeServiceConfig2A");
    if (s == nullptr) return false;
    if (infoLevel == sc::kConfigDelayedAutoStartInfo && info != nullptr) {
        s->delayedAutoStart =
            static_cast<platform::ServiceDelayedAutoStartInfo*>(info)->delayedAutostart != 0;
        return true;
    }
    if (infoLevel != sc::kConfigDescription || info == nullptr)
        return SetError(er::kInvalidParameter);
    const char* text = static_cast<platform::ServiceDescription*>(info)->description;
    s->description = text ? text : "";
    return true;
}

bool Scm::StartServiceA(platform::ScHandle service, uint32_t numArgs, const char** args) {
    Service* s = ServiceOf(service, 0x10, Call::StartService, "StartServiceA");
    if (s == nullptr) return false;
    if (numArgs != 0 || args != nullptr) log.back() += " with arguments";
    if (s->startType == 4) return SetError(er::kServiceDisabled);
    if (s->status.currentState != sc::kStopped) return SetError(er::kServiceAlreadyRunning);
    auto& st = s->status;
    st.win32ExitCode = 0;
    if (s->pendingPolls != 0) {
        st.currentState = sc::kStartPending;
        st.waitHint = s->pendingWaitHint;
        st.controlsAccepted = 0;
    } else {
        st.currentState = sc::kRunning;
        st.controlsAccepted = s->accepts;
    }
    return true;
}

bool Scm::ControlService(platform::ScHandle service, uint32_t control,
                         platform::ServiceStatus* status) {
    Service* s = ServiceOf(service, 0x20 | 0x40, Call::ControlService, "ControlService");
    if (s == nullptr) return false;
    log.back() += " " + std::to_string(control);
    auto& st = s->status;
    if (st.currentState == sc::kStopped) return SetError(er::kServiceNotActive);
    uint32_t needed = control == sc::kControlStop ? sc::kAcceptStop : sc::kAcceptPauseContinue;
    if (control != sc::kControlInterrogate && (st.controlsAccepted & needed) == 0) {
        bool pending = st.currentState != sc::kRunning && st.currentState != sc::kPaused;
        return SetError(pending ? er::kServiceCannotAcceptCtrl : er::kInvalidServiceControl);
    }
    bool settle = s->pendingPolls == 0;
    switch (control) {
        case sc::kControlStop:
            st.currentState = settle ? sc::kStopped : sc::kStopPending;
            break;
        case sc::kControlPause:
            st.currentState = settle ? sc::kPaused : sc::kPausePending;
            break;
        case sc::kControlContinue:
            st.currentState = settle ? sc::kRunning : sc::kContinuePending;
            break;
        default:
            break;
    }
    st.waitHint = settle ? 0 : s->pendingWaitHint;
    st.controlsAccepted = st.currentState == sc::kStopped ? 0 : settle ? s->accepts : 0;
    *status = st;
    return true;
}

bool Scm::CloseServiceHandle(platform::ScHandle handle) {
    auto it = handles_.find(handle);
    log.push_back(std::string("CloseServiceHandle ") + (it == handles_.end() ? "?"
                                                        : it->second.manager ? "(manager)"
                                                                             : it->second.service));
    if (it == handles_.end()) return SetError(er::kInvalidHandle);
    handles_.erase(it);
    return true;
}

std::string Scm::FormatMessageA(uint32_t code) {
    return "System message " + std::to_string(code) + ".\r\n";
}

int Scm::lstrcmpiA(const char* a, const char* b) {
    for (;; ++a, ++b) {
        unsigned char ca = FoldLatin1(static_cast<unsigned char>(*a));
        unsigned char cb = FoldLatin1(static_cast<unsigned char>(*b));
        if (ca != cb) return ca < cb ? -1 : 1;
        if (ca == '\0') return 0;
    }
}

Texts::Texts() {
    // Neutral stand-ins: the tests check how messages are put together; the
    // real wording lives in the string table and is checked on Windows.
    for (unsigned id : {9101u, 9102u, 9103u, 9104u}) strings[id] = "T" + std::to_string(id) + " %s";
}

std::string Texts::Text(unsigned id) {
    auto it = strings.find(id);
    return it == strings.end() ? std::string() : it->second;
}

}  // namespace fake
