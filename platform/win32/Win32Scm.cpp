#include "platform/win32/Win32Scm.h"

#include <windows.h>

#include <cstddef>

#include "platform/win32/Handles.h"

// The portable records must be the platform's own, byte for byte.
static_assert(sizeof(platform::ServiceStatus) == sizeof(SERVICE_STATUS), "status layout");
static_assert(offsetof(platform::ServiceStatus, waitHint) == offsetof(SERVICE_STATUS, dwWaitHint),
              "status layout");
static_assert(sizeof(platform::EnumServiceStatus) == sizeof(ENUM_SERVICE_STATUSA), "entry layout");
static_assert(offsetof(platform::EnumServiceStatus, serviceName) ==
                  offsetof(ENUM_SERVICE_STATUSA, lpServiceName),
              "entry layout");
static_assert(offsetof(platform::EnumServiceStatus, displayName) ==
                  offsetof(ENUM_SERVICE_STATUSA, lpDisplayName),
              "entry layout");
static_assert(offsetof(platform::EnumServiceStatus, status) ==
                  offsetof(ENUM_SERVICE_STATUSA, ServiceStatus),
              "entry layout");
static_assert(sizeof(platform::ServiceConfigRecord) == sizeof(QUERY_SERVICE_CONFIGA),
              "config layout");
static_assert(offsetof(platform::ServiceConfigRecord, displayName) ==
                  offsetof(QUERY_SERVICE_CONFIGA, lpDisplayName),
              "config layout");
static_assert(sizeof(platform::ServiceFailureActions) == sizeof(SERVICE_FAILURE_ACTIONSA),
              "failure actions layout");
static_assert(offsetof(platform::ServiceFailureActions, actions) ==
                  offsetof(SERVICE_FAILURE_ACTIONSA, lpsaActions),
              "failure actions layout");
static_assert(sizeof(platform::ScAction) == sizeof(SC_ACTION), "action layout");
static_assert(sizeof(platform::ServiceDelayedAutoStartInfo) ==
                  sizeof(SERVICE_DELAYED_AUTO_START_INFO),
              "delayed start layout");
// The trigger records are declared only for newer targets than ours; their
// layout is that of Windows 7's headers, checked here by size.
static_assert(sizeof(platform::ServiceTriggerInfo) == 24 && sizeof(platform::ServiceTrigger) == 32,
              "trigger layout");

namespace platform {

namespace {
SC_HANDLE Sc(ScHandle handle) {
    return static_cast<SC_HANDLE>(handle);
}
DWORD* Dw(uint32_t* value) {
    return reinterpret_cast<DWORD*>(value);
}
}  // namespace

ScHandle Win32Scm::OpenSCManagerA(const char* machineName, const char* databaseName,
                                  uint32_t desiredAccess) {
    return ::OpenSCManagerA(machineName, databaseName, desiredAccess);
}

bool Win32Scm::EnumServicesStatusA(ScHandle manager, uint32_t serviceType, uint32_t serviceState,
                                   void* buffer, uint32_t bufSize, uint32_t* bytesNeeded,
                                   uint32_t* servicesReturned, uint32_t* resumeHandle) {
    return ::EnumServicesStatusA(Sc(manager), serviceType, serviceState,
                                 static_cast<ENUM_SERVICE_STATUSA*>(buffer), bufSize,
                                 Dw(bytesNeeded), Dw(servicesReturned), Dw(resumeHandle)) != FALSE;
}

ScHandle Win32Scm::OpenServiceA(ScHandle manager, const char* serviceName, uint32_t desiredAccess) {
    return ::OpenServiceA(Sc(manager), serviceName, desiredAccess);
}

bool Win32Scm::QueryServiceStatus(ScHandle service, ServiceStatus* status) {
    return ::QueryServiceStatus(Sc(service), reinterpret_cast<SERVICE_STATUS*>(status)) != FALSE;
}

bool Win32Scm::QueryServiceConfigA(ScHandle service, void* buffer, uint32_t bufSize,
                                   uint32_t* bytesNeeded) {
    return ::QueryServiceConfigA(Sc(service), static_cast<QUERY_SERVICE_CONFIGA*>(buffer), bufSize,
                                 Dw(bytesNeeded)) != FALSE;
}

bool Win32Scm::QueryServiceConfig2A(ScHandle service, uint32_t infoLevel, void* buffer,
                                    uint32_t bufSize, uint32_t* bytesNeeded) {
    return ::QueryServiceConfig2A(Sc(service), infoLevel, static_cast<BYTE*>(buffer), bufSize,
                                  Dw(bytesNeeded)) != FALSE;
}

bool Win32Scm::ChangeServiceConfigA(ScHandle service, uint32_t serviceType, uint32_t startType,
                                    uint32_t errorControl, const char* binaryPathName,
                                    const char* loadOrderGroup, uint32_t* tagId,
                                    const char* dependencies, const char* serviceStartName,
                                    const char* password, const char* displayName) {
    return ::ChangeServiceConfigA(Sc(service), serviceType, startType, errorControl, binaryPathName,
                                  loadOrderGroup, Dw(tagId), dependencies, serviceStartName,
                                  password, displayName) != FALSE;
}

bool Win32Scm::ChangeServiceConfig2A(ScHandle service, uint32_t infoLevel, void* info) {
    return ::ChangeServiceConfig2A(Sc(service), infoLevel, info) != FALSE;
}

bool Win32Scm::StartServiceA(ScHandle service, uint32_t numArgs, const char** args) {
    return ::StartServiceA(Sc(service), numArgs, const_cast<LPCSTR*>(args)) != FALSE;
}

bool Win32Scm::ControlService(ScHandle service, uint32_t control, ServiceStatus* status) {
    return ::ControlService(Sc(service), control, reinterpret_cast<SERVICE_STATUS*>(status)) !=
           FALSE;
}

bool Win32Scm::CloseServiceHandle(ScHandle handle) {
    return ::CloseServiceHandle(Sc(handle)) != FALSE;
}

uint32_t Win32Scm::GetLastError() {
    return ::GetLastError();
}

std::string Win32Scm::FormatMessageA(uint32_t code) {
    char* buffer = nullptr;
    DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0x400, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    LocalMemory<char*> message(buffer);  // given back even when the copy throws
    return message ? std::string(message.get(), length) : std::string();
}

int Win32Scm::lstrcmpiA(const char* a, const char* b) {
    return ::lstrcmpiA(a, b);
}

}  // namespace platform
