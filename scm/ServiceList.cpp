#include "scm/ServiceList.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "res/resource.h"
#include "scm/NameMatch.h"

namespace sc = platform::scm;

unsigned StateTextId(uint32_t currentState) {
    if (currentState < sc::kStopped || currentState > sc::kPaused) return 0;
    return IDS_STATE_BASE + currentState;
}

namespace {

char* CopyText(const char* text) {
    if (text == nullptr || *text == '\0') return nullptr;
    size_t size = std::strlen(text) + 1;
    char* copy = static_cast<char*>(std::malloc(size));
    if (copy != nullptr) std::memcpy(copy, text, size);
    return copy;
}

ServiceListError Check(bool ok, ServiceListError failCode) {
    return ok ? kErrNone : failCode;
}

}  // namespace

ServiceList::ServiceList(platform::ScmApi& api) : api_(api) {}

ServiceList::~ServiceList() {
    Release();
    std::free(machineName_);
    std::free(databaseName_);
}

void ServiceList::SetMachineName(const char* name) {
    std::free(machineName_);
    machineName_ = CopyText(name);
}

void ServiceList::SetDatabaseName(const char* name) {
    std::free(databaseName_);
    databaseName_ = CopyText(name);
}

void ServiceList::Swap(ServiceList& other) {
    if (&other == this) return;
    std::swap(win32, other.win32);
    std::swap(driver, other.driver);
    std::swap(active, other.active);
    std::swap(inactive, other.inactive);
    std::swap(accessType, other.accessType);
    std::swap(manager_, other.manager_);
    std::swap(entries_, other.entries_);
    std::swap(machineName_, other.machineName_);
    std::swap(databaseName_, other.databaseName_);
    std::swap(count_, other.count_);
    std::swap(errorText_, other.errorText_);
    std::swap(errorCode_, other.errorCode_);
    // Both now hold other entries than before.
    generation_ = std::max(generation_, other.generation_) + 1;
    other.generation_ = generation_ + 1;
}

void ServiceList::CopyOptions(const ServiceList& other) {
    if (&other == this) return;
    active = other.active;
    inactive = other.inactive;
    win32 = other.win32;
    driver = other.driver;
    accessType = other.accessType;
    SetMachineName(other.machineName_);
    SetDatabaseName(other.databaseName_);
}

void ServiceList::ResetError() {
    errorText_.Clear();
    errorCode_ = kErrNone;
    platformError_ = 0;
}

bool ServiceList::Fail(ServiceListError code, uint32_t platformError) {
    errorCode_ = code;
    platformError_ = platformError;
    errorText_.SetFromCode(api_, platformError_);
    return false;
}

bool ServiceList::FailQuietly(ServiceListError code) {
    errorCode_ = code;
    return false;
}

void ServiceList::Release() {
    if (manager_ != nullptr) {
        api_.CloseServiceHandle(manager_);
        manager_ = nullptr;
    }
    std::free(entries_);
    entries_ = nullptr;
    count_ = 0;
    ++generation_;
}

namespace {

// The service control manager hands out at most about 256 KB per call and
// says so with ERROR_MORE_DATA and a resume handle; a list that grows after
// it was sized does not fit at all. Both are retried within these bounds.
constexpr int kMaxResizes = 8;     // calls that got nothing because the list grew
constexpr int kMaxCalls = 100000;  // every call: far more than any machine needs

// One call's answer: its records, then the texts they point to.
struct EnumPart {
    ServiceEntry* block;
    uint32_t count;
};

void FreeParts(std::vector<EnumPart>* parts) {
    for (const EnumPart& part : *parts) std::free(part.block);
    parts->clear();
}

// All parts in one block, records first and then their texts; null when
// out of memory.
ServiceEntry* JoinParts(const std::vector<EnumPart>& parts, uint32_t total) {
    size_t texts = 0;
    for (const EnumPart& part : parts)
        for (uint32_t i = 0; i < part.count; ++i)
            texts += std::strlen(part.block[i].name ? part.block[i].name : "") +
                     std::strlen(part.block[i].displayName ? part.block[i].displayName : "") + 2;
    auto* joined = static_cast<ServiceEntry*>(std::malloc(total * sizeof(ServiceEntry) + texts));
    if (joined == nullptr) return nullptr;
    char* text = reinterpret_cast<char*>(joined + total);
    ServiceEntry* out = joined;
    for (const EnumPart& part : parts) {
        for (uint32_t i = 0; i < part.count; ++i, ++out) {
            *out = part.block[i];
            for (char** field : {&out->name, &out->displayName}) {
                const char* from = *field ? *field : "";
                size_t size = std::strlen(from) + 1;
                std::memcpy(text, from, size);
                *field = text;
                text += size;
            }
        }
    }
    return joined;
}

}  // namespace

bool ServiceList::Enumerate() {
    Release();
    ResetError();
    uint32_t typeFilter = (win32 ? sc::kTypeWin32 : 0) | (driver ? sc::kTypeDriver : 0);
    uint32_t stateFilter = (active ? sc::kStateActive : 0) | (inactive ? sc::kStateInactive : 0);
    if (typeFilter == 0 || stateFilter == 0) return FailQuietly(kErrArgument);

    manager_ = api_.OpenSCManagerA(machineName_, databaseName_, accessType);
    if (manager_ == nullptr) return Fail(kErrNoConnection);
    ServiceListError result = ReadEntries(typeFilter, stateFilter, &entries_, &count_);
    return result == kErrNone ? true : Fail(result);
}

// Usually one call fills the list and its block is the list's. Otherwise
// each call continues where the last stopped, with the size it asked for,
// and the parts are joined into one block.
ServiceListError ServiceList::ReadEntries(uint32_t typeFilter, uint32_t stateFilter,
                                          ServiceEntry** entries, uint32_t* count) {
    uint32_t bytesNeeded = 0, returned = 0, resume = 0;
    api_.EnumServicesStatusA(manager_, typeFilter, stateFilter, nullptr, 0, &bytesNeeded, &returned,
                             &resume);
    resume = 0;  // the sizing call returned nothing: filling starts at the top
    std::vector<EnumPart> parts;
    uint32_t total = 0;
    int resizes = 0;
    try {
        for (int call = 0;; ++call) {
            if (call == kMaxCalls) {
                FreeParts(&parts);
                return kErrEnumerate;
            }
            // malloc(0) may legitimately return null; an empty answer is not out of memory.
            auto* block =
                static_cast<ServiceEntry*>(std::malloc(bytesNeeded != 0 ? bytesNeeded : 1));
            if (block == nullptr) {
                FreeParts(&parts);
                return kErrMemory;
            }
            returned = 0;
            bool done = api_.EnumServicesStatusA(manager_, typeFilter, stateFilter, block,
                                                 bytesNeeded, &bytesNeeded, &returned, &resume);
            if (!done && api_.GetLastError() != platform::err::kMoreData) {
                std::free(block);
                FreeParts(&parts);
                return kErrEnumerate;
            }
            if (returned > 0 || (done && parts.empty())) {
                parts.push_back({block, returned});
                total += returned;
            } else {
                std::free(block);
            }
            if (done) break;
            if (returned == 0 && ++resizes > kMaxResizes) {
                FreeParts(&parts);
                return kErrEnumerate;
            }
        }
    } catch (const std::bad_alloc&) {
        FreeParts(&parts);
        return kErrMemory;
    }
    if (parts.size() == 1) {
        *entries = parts.front().block;
    } else {
        *entries = JoinParts(parts, total);
        FreeParts(&parts);
        if (*entries == nullptr) return kErrMemory;
    }
    *count = total;
    return kErrNone;
}

bool ServiceList::CopyEntriesOf(const ServiceList& other) {
    if (&other == this) return true;
    Release();
    ResetError();
    CopyOptions(other);
    if (other.count_ == 0) return true;
    entries_ = JoinParts({{other.entries_, other.count_}}, other.count_);
    if (entries_ == nullptr) return FailQuietly(kErrMemory);
    count_ = other.count_;
    return true;
}

ServiceEntry* ServiceList::GetEntry(uint32_t index) {
    ResetError();
    if (index >= count_) {
        FailQuietly(kErrIndex);
        return nullptr;
    }
    return &entries_[index];
}

int ServiceList::FindIndex(const char* name) {
    ResetError();
    int index = IndexOf(name);
    if (index < 0) FailQuietly(kErrNotFound);
    return index;
}

// A few entries are compared one by one; over many (a restore of
// thousands) the names are looked up, made again for other entries.
int ServiceList::IndexOf(const char* name) const {
    if (name == nullptr) return -1;
    if (count_ < kLookupFrom) {
        for (uint32_t i = 0; i < count_; ++i)
            if (SameServiceName(api_, name, entries_[i].name)) return static_cast<int>(i);
        return -1;
    }
    if (!lookupMade_ || lookupGeneration_ != generation_) {
        std::vector<const char*> names(count_);
        for (uint32_t i = 0; i < count_; ++i) names[i] = entries_[i].name;
        lookup_.Make(std::move(names));
        lookupGeneration_ = generation_;
        lookupMade_ = true;
    }
    return lookup_.First(api_, name);
}

int ServiceList::IndexOf(const ServiceEntry& entry) const {
    if (count_ == 0 || &entry < entries_ || &entry >= entries_ + count_) return -1;
    return static_cast<int>(&entry - entries_);
}

ServiceEntry* ServiceList::FindEntry(const char* name) {
    int index = FindIndex(name);
    return index < 0 ? nullptr : GetEntry(static_cast<uint32_t>(index));
}

const ServiceEntry* ServiceList::PeekEntry(const char* name) const {
    int index = IndexOf(name);
    return index < 0 ? nullptr : &entries_[index];
}

bool ServiceList::RefreshEntry(ServiceEntry* entry) {
    platform::ScHandle service = api_.OpenServiceA(manager_, entry->name, sc::kServiceQueryStatus);
    if (service == nullptr) return false;
    bool ok = api_.QueryServiceStatus(service, StatusOf(entry));
    api_.CloseServiceHandle(service);
    return ok;
}

// One enumeration of every state answers for the whole list: two calls,
// where a query per service costs three each. An entry the enumeration no
// longer holds (a deleted service) keeps what it had.
uint32_t ServiceList::RefreshAllStatus() {
    ResetError();
    if (manager_ == nullptr) return 0;
    uint32_t typeFilter = (win32 ? sc::kTypeWin32 : 0) | (driver ? sc::kTypeDriver : 0);
    ServiceEntry* fresh = nullptr;
    uint32_t freshCount = 0;
    ServiceListError result =
        ReadEntries(typeFilter, sc::kStateActive | sc::kStateInactive, &fresh, &freshCount);
    if (result != kErrNone) {
        Fail(result);
        return 0;
    }
    uint32_t updated = 0;
    // The same machine names a service with the same bytes each time, and
    // mostly in the same order: a lookup is built only when the order differs.
    std::unordered_map<std::string, uint32_t> byName;
    for (uint32_t i = 0; i < count_; ++i) {
        const ServiceEntry* from = nullptr;
        if (i < freshCount && std::strcmp(fresh[i].name, entries_[i].name) == 0) {
            from = &fresh[i];
        } else {
            if (byName.empty())
                for (uint32_t f = 0; f < freshCount; ++f) byName.emplace(fresh[f].name, f);
            auto found = byName.find(entries_[i].name);
            if (found != byName.end()) from = &fresh[found->second];
        }
        if (from == nullptr) continue;
        *StatusOf(&entries_[i]) = *StatusOf(from);
        ++updated;
    }
    std::free(fresh);
    return updated;
}

// Per-row queries cost three calls a row, an enumeration two calls for all.
// On this machine the calls cost little and the enumeration's size counts:
// one row's query takes about as long as enumerating kServicesPerStatusQuery
// services. A named machine is taken as remote, where each call is a round
// trip and the enumeration always wins.
bool ServiceList::RowQueriesCheaper(uint32_t rows) const {
    if (machineName_ != nullptr || rows == 0) return rows == 0;
    return uint64_t{rows} * kServicesPerStatusQuery < count_;
}

std::vector<uint32_t> ServiceList::RefreshStatuses(const std::vector<uint32_t>& indexes) {
    std::vector<uint32_t> read;
    if (!RowQueriesCheaper(static_cast<uint32_t>(indexes.size()))) {
        if (RefreshAllStatus() == 0) return read;
        for (uint32_t index : indexes)
            if (index < count_) read.push_back(index);
        return read;
    }
    for (uint32_t index : indexes)
        if (RefreshStatusAt(index)) read.push_back(index);
    return read;
}

bool ServiceList::RefreshStatus(const char* name) {
    int index = IndexOf(name);
    if (index < 0) {
        ResetError();
        return false;
    }
    return RefreshStatusAt(static_cast<uint32_t>(index));
}

bool ServiceList::RefreshStatusAt(uint32_t index) {
    ResetError();
    if (manager_ == nullptr || index >= count_) return false;
    return RefreshEntry(&entries_[index]);
}

template <typename Call>
bool ServiceList::WithService(const char* name, uint32_t access, Call call) {
    if (manager_ == nullptr) return FailQuietly(kErrNoConnection);
    if (name == nullptr) return FailQuietly(kErrArgument);
    platform::ScHandle service = api_.OpenServiceA(manager_, name, access);
    if (service == nullptr) return Fail(kErrOpenService);
    ServiceListError result = call(service);
    // The refused call's own reason: the close may set another, or none.
    uint32_t error = result == kErrNone ? 0 : api_.GetLastError();
    api_.CloseServiceHandle(service);
    return result == kErrNone ? true : Fail(result, error);
}

bool ServiceList::QueryStatus(const char* name, platform::ServiceStatus* status) {
    ResetError();
    if (status == nullptr) return FailQuietly(kErrArgument);
    return WithService(name, sc::kGenericRead, [&](platform::ScHandle service) {
        return Check(api_.QueryServiceStatus(service, status), kErrQueryStatus);
    });
}

// Two-call sizing: the first call only tells the size. The buffer goes to the
// caller as soon as it exists, so the caller frees it even if the second call fails.
bool ServiceList::QueryConfigBuffer(const char* name, void** buffer, uint32_t level) {
    ResetError();
    if (buffer == nullptr) return FailQuietly(kErrArgument);
    auto query = [&](platform::ScHandle service, void* data, uint32_t size, uint32_t* needed) {
        return level == 0 ? api_.QueryServiceConfigA(service, data, size, needed)
                          : api_.QueryServiceConfig2A(service, level, data, size, needed);
    };
    if (level == 0)
        return WithService(name, sc::kGenericRead, [&](platform::ScHandle service) {
            return QueryConfigRecord(service, buffer);
        });
    return WithService(name, sc::kGenericRead, [&](platform::ScHandle service) {
        uint32_t needed = 0;
        query(service, nullptr, 0, &needed);
        if (needed == 0) return kErrQueryConfig;
        // Two zero bytes beyond what the platform fills end any list of
        // names in it, even one that lacks its final empty name.
        uint32_t size = needed;
        void* data = std::calloc(size + 2, 1);
        if (data == nullptr) return kErrMemory;
        *buffer = data;
        ServiceListError result = Check(query(service, data, size, &needed), kErrQueryConfig);
        if (result == kErrNone && level == sc::kConfigFailureActions)
            KeepActionsInside(static_cast<platform::ServiceFailureActions*>(data), size);
        if (result == kErrNone && level == sc::kConfigTriggerInfo)
            KeepTriggersInside(static_cast<platform::ServiceTriggerInfo*>(data), size);
        return result;
    });
}

// The views read every service's configuration: one query answers almost
// every one, in a buffer of the most the platform documents such a record
// to take. A larger one is asked for once more, at the size the first
// answer names. The out-argument is set only with a whole record.
ServiceListError ServiceList::QueryConfigRecord(platform::ScHandle service, void** buffer) {
    uint32_t size = kConfigBufferSize;
    for (int attempt = 0;; ++attempt) {
        // Two zero bytes beyond what the platform fills end the list of
        // dependencies, even one that lacks its final empty name.
        void* data = std::calloc(size + 2, 1);
        if (data == nullptr) return kErrMemory;
        uint32_t needed = 0;
        if (api_.QueryServiceConfigA(service, data, size, &needed)) {
            *buffer = data;
            return kErrNone;
        }
        bool larger = api_.GetLastError() == platform::err::kInsufficientBuffer && needed > size;
        std::free(data);
        if (attempt > 0 || !larger) return kErrQueryConfig;
        size = needed;
    }
}

void ServiceList::FreeBuffer(void* buffer) {
    std::free(buffer);
}

bool ServiceList::QueryConfig(const char* name, platform::ServiceConfigRecord** buffer) {
    return QueryConfigBuffer(name, reinterpret_cast<void**>(buffer), 0);
}

bool ServiceList::QueryDescription(const char* name, platform::ServiceDescription** buffer) {
    return QueryConfigBuffer(name, reinterpret_cast<void**>(buffer), sc::kConfigDescription);
}

bool ServiceList::QueryFailureActions(const char* name, platform::ServiceFailureActions** buffer) {
    return QueryConfigBuffer(name, reinterpret_cast<void**>(buffer), sc::kConfigFailureActions);
}

bool ServiceList::QueryDelayedStart(const char* name,
                                    platform::ServiceDelayedAutoStartInfo** buffer) {
    return QueryConfigBuffer(name, reinterpret_cast<void**>(buffer),
                             sc::kConfigDelayedAutoStartInfo);
}

bool ServiceList::QueryTriggers(const char* name, platform::ServiceTriggerInfo** buffer) {
    return QueryConfigBuffer(name, reinterpret_cast<void**>(buffer), sc::kConfigTriggerInfo);
}

bool ServiceList::QueryConfigAndStart(const char* name, platform::ServiceConfigRecord** buffer,
                                      StartFlags* flags) {
    ResetError();
    if (buffer == nullptr || flags == nullptr) return FailQuietly(kErrArgument);
    *flags = StartFlags();
    return WithService(name, sc::kGenericRead, [&](platform::ScHandle service) {
        ServiceListError result = QueryConfigRecord(service, reinterpret_cast<void**>(buffer));
        if (result == kErrNone) *flags = ReadStartFlags(api_, service, (*buffer)->startType);
        return result;
    });
}

bool ServiceList::ChangeConfig(const char* name, uint32_t serviceType, uint32_t startType,
                               uint32_t errorControl, const char* binaryPathName,
                               const char* loadOrderGroup, uint32_t* tagId,
                               const char* dependencies, const char* serviceStartName,
                               const char* password, const char* displayName) {
    ResetError();
    bool ok = WithService(name, sc::kGenericWrite, [&](platform::ScHandle s) {
        return Check(api_.ChangeServiceConfigA(s, serviceType, startType, errorControl,
                                               binaryPathName, loadOrderGroup, tagId, dependencies,
                                               serviceStartName, password, displayName),
                     kErrChangeConfig);
    });
    if (ok) RefreshStatus(name);
    return ok;
}

bool ServiceList::ChangeDescription(const char* name, const char* description) {
    ResetError();
    platform::ServiceDescription info{const_cast<char*>(description)};
    bool ok = WithService(name, sc::kGenericWrite, [&](platform::ScHandle s) {
        return Check(api_.ChangeServiceConfig2A(s, sc::kConfigDescription, &info),
                     kErrChangeConfig2);
    });
    if (ok) RefreshStatus(name);
    return ok;
}

bool ServiceList::ChangeDelayedStart(const char* name, bool delayed) {
    ResetError();
    platform::ServiceDelayedAutoStartInfo info{delayed ? 1 : 0};
    return WithService(name, sc::kGenericWrite, [&](platform::ScHandle s) {
        return Check(api_.ChangeServiceConfig2A(s, sc::kConfigDelayedAutoStartInfo, &info),
                     kErrChangeConfig2);
    });
}

bool ServiceList::Start(const char* name) {
    ResetError();
    bool ok = WithService(name, sc::kGenericExecute, [&](platform::ScHandle s) {
        return Check(api_.StartServiceA(s, 0, nullptr), kErrStart);
    });
    if (ok) RefreshStatus(name);
    return ok;
}

bool ServiceList::Control(const char* name, uint32_t code) {
    ResetError();
    platform::ServiceStatus status{};
    bool ok = WithService(name, sc::kGenericExecute, [&](platform::ScHandle s) {
        return Check(api_.ControlService(s, code, &status), kErrControl);
    });
    if (ok) {
        if (auto* entry = const_cast<ServiceEntry*>(PeekEntry(name))) *StatusOf(entry) = status;
    }
    return ok;
}

// Attempts follow each other at once: the caller, not this loop, decides
// whether to wait for a pending state to settle.
bool ServiceList::EnsureRunning(const char* name, int attempts) {
    ResetError();
    for (int i = 0; i < (attempts > 1 ? attempts : 1); ++i) {
        platform::ServiceStatus status{};
        if (!QueryStatus(name, &status)) return false;
        switch (status.currentState) {
            case sc::kStartPending:
            case sc::kRunning:
            case sc::kContinuePending:
                return true;
            case sc::kStopped:
            case sc::kStopPending:
                if (Start(name)) return true;
                break;
            case sc::kPausePending:
            case sc::kPaused:
                if (Continue(name)) return true;
                break;
            default:
                break;
        }
    }
    return false;
}

bool ServiceList::EnsureStopped(const char* name, int attempts) {
    ResetError();
    for (int i = 0; i < (attempts > 1 ? attempts : 1); ++i) {
        platform::ServiceStatus status{};
        if (!QueryStatus(name, &status)) return false;
        switch (status.currentState) {
            case sc::kStopped:
            case sc::kStopPending:
                return true;
            case sc::kStartPending:
            case sc::kRunning:
            case sc::kContinuePending:
            case sc::kPausePending:
            case sc::kPaused:
                if (Stop(name)) return true;
                break;
            default:
                break;
        }
    }
    return false;
}
