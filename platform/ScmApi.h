#pragma once
// The service control manager as the core sees it: the advapi32 calls with
// their own inputs, results and error codes, so the core can run against
// Windows, Wine or an in-memory stand-in without knowing which.
#include <cstdint>
#include <string>

namespace platform {

using ScHandle = void*;

// SERVICE_STATUS, field for field.
struct ServiceStatus {
    uint32_t serviceType;
    uint32_t currentState;
    uint32_t controlsAccepted;
    uint32_t win32ExitCode;
    uint32_t serviceSpecificExitCode;
    uint32_t checkPoint;
    uint32_t waitHint;
};

// ENUM_SERVICE_STATUSA, field for field.
struct EnumServiceStatus {
    char* serviceName;
    char* displayName;
    ServiceStatus status;
};

// QUERY_SERVICE_CONFIGA, field for field.
struct ServiceConfigRecord {
    uint32_t serviceType;
    uint32_t startType;
    uint32_t errorControl;
    char* binaryPathName;
    char* loadOrderGroup;
    uint32_t tagId;
    char* dependencies;
    char* serviceStartName;
    char* displayName;
};

// SERVICE_DESCRIPTIONA.
struct ServiceDescription {
    char* description;
};

// SC_ACTION and SERVICE_FAILURE_ACTIONSA.
struct ScAction {
    uint32_t type;
    uint32_t delay;
};
struct ServiceFailureActions {
    uint32_t resetPeriod;
    char* rebootMsg;
    char* command;
    uint32_t actionCount;
    ScAction* actions;
};

// SERVICE_DELAYED_AUTO_START_INFO.
struct ServiceDelayedAutoStartInfo {
    int32_t delayedAutostart;
};

// SERVICE_TRIGGER and SERVICE_TRIGGER_INFO; the data items are not read.
struct ServiceTrigger {
    uint32_t triggerType;
    uint32_t action;
    void* triggerSubtype;
    uint32_t dataItemCount;
    void* dataItems;
};
struct ServiceTriggerInfo {
    uint32_t triggerCount;
    ServiceTrigger* triggers;
    void* reserved;
};

namespace scm {
constexpr uint32_t kManagerAllAccess = 0xF003F;
constexpr uint32_t kServiceQueryStatus = 0x0004;
constexpr uint32_t kGenericRead = 0x80000000u;
constexpr uint32_t kGenericWrite = 0x40000000u;
constexpr uint32_t kGenericExecute = 0x20000000u;

constexpr uint32_t kTypeKernelDriver = 0x01;
constexpr uint32_t kTypeFileSystemDriver = 0x02;
constexpr uint32_t kTypeAdapter = 0x04;
constexpr uint32_t kTypeRecognizerDriver = 0x08;
constexpr uint32_t kTypeDriver = 0x0B;
constexpr uint32_t kTypeWin32OwnProcess = 0x10;
constexpr uint32_t kTypeWin32ShareProcess = 0x20;
constexpr uint32_t kTypeWin32 = 0x30;
constexpr uint32_t kTypeInteractive = 0x100;
// Per-user services of Windows 10 and later: the template the system
// copies, and the copy it runs for one signed-in user.
constexpr uint32_t kTypeUserService = 0x40;
constexpr uint32_t kTypeUserServiceInstance = 0x80;

constexpr uint32_t kAutoStart = 2;
constexpr uint32_t kDemandStart = 3;

constexpr uint32_t kStateActive = 1;
constexpr uint32_t kStateInactive = 2;
constexpr uint32_t kStateAll = 3;

constexpr uint32_t kStopped = 1;
constexpr uint32_t kStartPending = 2;
constexpr uint32_t kStopPending = 3;
constexpr uint32_t kRunning = 4;
constexpr uint32_t kContinuePending = 5;
constexpr uint32_t kPausePending = 6;
constexpr uint32_t kPaused = 7;

constexpr uint32_t kControlStop = 1;
constexpr uint32_t kControlPause = 2;
constexpr uint32_t kControlContinue = 3;
constexpr uint32_t kControlInterrogate = 4;

constexpr uint32_t kAcceptStop = 1;
constexpr uint32_t kAcceptPauseContinue = 2;

constexpr uint32_t kConfigDescription = 1;
constexpr uint32_t kConfigFailureActions = 2;
constexpr uint32_t kConfigDelayedAutoStartInfo = 3;
constexpr uint32_t kConfigTriggerInfo = 8;

constexpr uint32_t kTriggerActionStart = 1;

constexpr uint32_t kNoChange = 0xFFFFFFFFu;
}  // namespace scm

// Win32 error codes the core and its tests name.
namespace err {
constexpr uint32_t kFileNotFound = 2;
constexpr uint32_t kAccessDenied = 5;
constexpr uint32_t kInvalidHandle = 6;
constexpr uint32_t kNotEnoughMemory = 8;
constexpr uint32_t kInvalidParameter = 87;
constexpr uint32_t kInsufficientBuffer = 122;
constexpr uint32_t kMoreData = 234;
constexpr uint32_t kDependentServicesRunning = 1051;
constexpr uint32_t kInvalidServiceControl = 1052;
constexpr uint32_t kServiceRequestTimeout = 1053;
constexpr uint32_t kServiceAlreadyRunning = 1056;
constexpr uint32_t kServiceDisabled = 1058;
constexpr uint32_t kServiceDoesNotExist = 1060;
constexpr uint32_t kServiceCannotAcceptCtrl = 1061;
constexpr uint32_t kServiceNotActive = 1062;
constexpr uint32_t kServiceMarkedForDelete = 1072;
constexpr uint32_t kInvalidComputerName = 1210;
constexpr uint32_t kRpcServerUnavailable = 1722;
}  // namespace err

class ScmApi {
public:
    virtual ~ScmApi() = default;

    virtual ScHandle OpenSCManagerA(const char* machineName, const char* databaseName,
                                    uint32_t desiredAccess) = 0;
    virtual bool EnumServicesStatusA(ScHandle manager, uint32_t serviceType, uint32_t serviceState,
                                     void* buffer, uint32_t bufSize, uint32_t* bytesNeeded,
                                     uint32_t* servicesReturned, uint32_t* resumeHandle) = 0;
    virtual ScHandle OpenServiceA(ScHandle manager, const char* serviceName,
                                  uint32_t desiredAccess) = 0;
    virtual bool QueryServiceStatus(ScHandle service, ServiceStatus* status) = 0;
    virtual bool QueryServiceConfigA(ScHandle service, void* buffer, uint32_t bufSize,
                                     uint32_t* bytesNeeded) = 0;
    virtual bool QueryServiceConfig2A(ScHandle service, uint32_t infoLevel, void* buffer,
                                      uint32_t bufSize, uint32_t* bytesNeeded) = 0;
    virtual bool ChangeServiceConfigA(ScHandle service, uint32_t serviceType, uint32_t startType,
                                      uint32_t errorControl, const char* binaryPathName,
                                      const char* loadOrderGroup, uint32_t* tagId,
                                      const char* dependencies, const char* serviceStartName,
                                      const char* password, const char* displayName) = 0;
    virtual bool ChangeServiceConfig2A(ScHandle service, uint32_t infoLevel, void* info) = 0;
    virtual bool StartServiceA(ScHandle service, uint32_t numArgs, const char** args) = 0;
    virtual bool ControlService(ScHandle service, uint32_t control, ServiceStatus* status) = 0;
    virtual bool CloseServiceHandle(ScHandle handle) = 0;

    // kernel32 and user32 helpers that travel with the calls above.
    virtual uint32_t GetLastError() = 0;
    // FormatMessageA from the system for `code` in the user's default language,
    // exactly as returned; empty when the system has no text for it.
    virtual std::string FormatMessageA(uint32_t code) = 0;
    virtual int lstrcmpiA(const char* a, const char* b) = 0;
};

}  // namespace platform
