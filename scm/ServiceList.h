#pragma once
#include <cstdint>
#include <vector>

#include "platform/ScmApi.h"
#include "scm/ConfigRecords.h"
#include "scm/NameLookup.h"
#include "scm/ServiceEntry.h"
#include "scm/SystemErrorText.h"

// Why the last operation of a ServiceList failed.
enum ServiceListError : int32_t {
    kErrNone = 0,
    kErrArgument = 1,      // missing argument, or options that select nothing
    kErrNoConnection = 2,  // OpenSCManagerA failed, or the list is closed
    kErrEnumerate = 3,     // the second EnumServicesStatusA failed
    kErrIndex = 4,
    kErrMemory = 5,
    kErrOpenService = 6,
    kErrStart = 7,
    kErrControl = 8,
    kErrNotFound = 9,
    kErrQueryConfig = 10,
    kErrChangeConfig = 11,
    kErrChangeConfig2 = 12,
    kErrQueryStatus = 13,
};

// The services of one machine as one enumeration returned them, the open
// connection to that machine's service control manager, and the
// per-service operations that use it.
class ServiceList {
public:
    explicit ServiceList(platform::ScmApi& api);
    virtual ~ServiceList();
    ServiceList(const ServiceList&) = delete;
    ServiceList& operator=(const ServiceList&) = delete;

    // Options with which the services are opened.
    uint32_t win32 = 1;
    uint32_t driver = 0;
    uint32_t active = 1;
    uint32_t inactive = 1;
    uint32_t accessType = platform::scm::kManagerAllAccess;

    void SetMachineName(const char* name);
    void SetDatabaseName(const char* name);
    const char* GetMachineName() const { return machineName_; }
    const char* GetDatabaseName() const { return databaseName_; }
    void CopyOptions(const ServiceList& other);
    // Exchanges everything with `other` (of the same platform): options,
    // connection, entries and error state.
    void Swap(ServiceList& other);

    bool Enumerate();
    // The options and entries of `other` as they are, without a connection:
    // what a second enumeration would find, without its round trips.
    bool CopyEntriesOf(const ServiceList& other);
    void Release();
    bool IsOpen() const { return manager_ != nullptr; }

    uint32_t GetCount() const { return count_; }
    ServiceEntry* GetEntry(uint32_t index);
    // The entry at `index` without touching the error state; null past the end.
    const ServiceEntry* EntryAt(uint32_t index) const {
        return index < count_ ? &entries_[index] : nullptr;
    }
    // The first entry of that name (compared as every service name is, see
    // SameServiceName), without touching the error state.
    const ServiceEntry* PeekEntry(const char* name) const;
    // Index of the first entry of that name, or of an entry of this list;
    // -1 for none. The error state stays as it is.
    int IndexOf(const char* name) const;
    int IndexOf(const ServiceEntry& entry) const;
    // Changes whenever the entries are replaced or let go: a row that was
    // made for an index stands for the same entry only while it holds.
    uint32_t Generation() const { return generation_; }
    int FindIndex(const char* name);
    ServiceEntry* FindEntry(const char* name);

    const char* GetErrorText() const { return errorText_.Get().c_str(); }
    int32_t GetErrorCode() const { return errorCode_; }
    // The platform's error code of the last failure; 0 when it had none.
    uint32_t GetPlatformError() const { return platformError_; }

    // Every entry's status from one enumeration; the number of entries read.
    uint32_t RefreshAllStatus();
    // Whether reading `rows` statuses one at a time costs less than
    // RefreshAllStatus.
    bool RowQueriesCheaper(uint32_t rows) const;
    // The statuses of the entries at `indexes`, read the cheaper way; the
    // indexes whose status was read.
    std::vector<uint32_t> RefreshStatuses(const std::vector<uint32_t>& indexes);
    // True when the entry was found and its status read; a failure records
    // nothing either way.
    bool RefreshStatus(const char* name);
    // The same for the entry at `index`, without looking for it by name.
    bool RefreshStatusAt(uint32_t index);

    // Per-service operations.
    bool QueryStatus(const char* name, platform::ServiceStatus* status);
    bool QueryConfig(const char* name, platform::ServiceConfigRecord** buffer);
    bool QueryDescription(const char* name, platform::ServiceDescription** buffer);
    bool QueryFailureActions(const char* name, platform::ServiceFailureActions** buffer);
    bool QueryDelayedStart(const char* name, platform::ServiceDelayedAutoStartInfo** buffer);
    // The count is kept to the triggers the buffer holds.
    bool QueryTriggers(const char* name, platform::ServiceTriggerInfo** buffer);
    // The configuration and, through the same handle, the flags of its
    // start type (see ReadStartFlags): one call more than QueryConfig at most.
    bool QueryConfigAndStart(const char* name, platform::ServiceConfigRecord** buffer,
                             StartFlags* flags);
    bool ChangeConfig(const char* name, uint32_t serviceType, uint32_t startType,
                      uint32_t errorControl, const char* binaryPathName, const char* loadOrderGroup,
                      uint32_t* tagId, const char* dependencies, const char* serviceStartName,
                      const char* password, const char* displayName);
    bool ChangeDescription(const char* name, const char* description);
    bool ChangeDelayedStart(const char* name, bool delayed);
    bool Start(const char* name);
    bool Control(const char* name, uint32_t code);
    bool Stop(const char* name) { return Control(name, platform::scm::kControlStop); }
    bool Pause(const char* name) { return Control(name, platform::scm::kControlPause); }
    bool Continue(const char* name) { return Control(name, platform::scm::kControlContinue); }
    bool EnsureRunning(const char* name, int attempts);
    bool EnsureStopped(const char* name, int attempts);
    // Frees a buffer that a configuration query handed out.
    static void FreeBuffer(void* buffer);

    platform::ScmApi& Api() { return api_; }

private:
    void ResetError();
    // The code and the platform's text: the last error's, or the one given.
    bool Fail(ServiceListError code) { return Fail(code, api_.GetLastError()); }
    bool Fail(ServiceListError code, uint32_t platformError);
    bool FailQuietly(ServiceListError code);  // code alone
    bool RefreshEntry(ServiceEntry* entry);

    // Opens the service, runs `call` on its handle and closes it again; the
    // failed call's error is read before the close, which may set another,
    // and its text made after it.
    // `call` returns kErrNone or the code of its failure.
    template <typename Call>
    bool WithService(const char* name, uint32_t access, Call call);
    ServiceListError ReadEntries(uint32_t typeFilter, uint32_t stateFilter, ServiceEntry** entries,
                                 uint32_t* count);
    // Under Wine with 516 services one enumeration took 10.7 ms and a row's
    // query 1.8 ms, as much as enumerating about 86 services; rounded down,
    // so that a near tie goes to the one enumeration.
    static constexpr uint32_t kServicesPerStatusQuery = 64;
    // The most the platform documents a configuration record to take.
    static constexpr uint32_t kConfigBufferSize = 8192;
    bool QueryConfigBuffer(const char* name, void** buffer, uint32_t level);
    ServiceListError QueryConfigRecord(platform::ScHandle service, void** buffer);

    // Lists this long have their names looked up rather than compared.
    static constexpr uint32_t kLookupFrom = 64;
    platform::ScmApi& api_;
    platform::ScHandle manager_ = nullptr;
    ServiceEntry* entries_ = nullptr;  // one block: the records, then their texts
    char* machineName_ = nullptr;
    char* databaseName_ = nullptr;
    uint32_t count_ = 0;
    uint32_t generation_ = 0;
    SystemErrorText errorText_;
    int32_t errorCode_ = kErrNone;
    uint32_t platformError_ = 0;
    // Made when first asked, for the entries of one generation.
    mutable NameLookup lookup_;
    mutable uint32_t lookupGeneration_ = 0;
    mutable bool lookupMade_ = false;
};
