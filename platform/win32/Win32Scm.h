#pragma once
#include "platform/ScmApi.h"

namespace platform {

// The service control manager of Windows (or of Wine), call for call.
class Win32Scm : public ScmApi {
public:
    ScHandle OpenSCManagerA(const char* machineName, const char* databaseName,
                            uint32_t desiredAccess) override;
    bool EnumServicesStatusA(ScHandle manager, uint32_t serviceType, uint32_t serviceState,
                             void* buffer, uint32_t bufSize, uint32_t* bytesNeeded,
                             uint32_t* servicesReturned, uint32_t* resumeHandle) override;
    ScHandle OpenServiceA(ScHandle manager, const char* serviceName,
                          uint32_t desiredAccess) override;
    bool QueryServiceStatus(ScHandle service, ServiceStatus* status) override;
    bool QueryServiceConfigA(ScHandle service, void* buffer, uint32_t bufSize,
                             uint32_t* bytesNeeded) override;
    bool QueryServiceConfig2A(ScHandle service, uint32_t infoLevel, void* buffer, uint32_t bufSize,
                              uint32_t* bytesNeeded) override;
    bool ChangeServiceConfigA(ScHandle service, uint32_t serviceType, uint32_t startType,
                              uint32_t errorControl, const char* binaryPathName,
                              const char* loadOrderGroup, uint32_t* tagId, const char* dependencies,
                              const char* serviceStartName, const char* password,
                              const char* displayName) override;
    bool ChangeServiceConfig2A(ScHandle service, uint32_t infoLevel, void* info) override;
    bool StartServiceA(ScHandle service, uint32_t numArgs, const char** args) override;
    bool ControlService(ScHandle service, uint32_t control, ServiceStatus* status) override;
    bool CloseServiceHandle(ScHandle handle) override;
    uint32_t GetLastError() override;
    std::string FormatMessageA(uint32_t code) override;
    int lstrcmpiA(const char* a, const char* b) override;
};

}  // namespace platform
