#pragma once
#include "platform/RegistryApi.h"

namespace platform {

class Win32Registry : public RegistryApi {
public:
    long RegCreateKeyExA(RegKey key, const char* subKey, uint32_t options, uint32_t access,
                         RegKey* result, uint32_t* disposition) override;
    long RegOpenKeyExA(RegKey key, const char* subKey, uint32_t options, uint32_t access,
                       RegKey* result) override;
    long RegCloseKey(RegKey key) override;
    long RegQueryValueExA(RegKey key, const char* name, uint32_t* type, void* data,
                          uint32_t* size) override;
    long RegSetValueExA(RegKey key, const char* name, uint32_t type, const void* data,
                        uint32_t size) override;
    long RegDeleteValueA(RegKey key, const char* name) override;
    long RegDeleteKeyA(RegKey key, const char* subKey) override;
    long RegEnumValueA(RegKey key, uint32_t index, char* name, uint32_t* nameSize) override;
    long RegEnumKeyExA(RegKey key, uint32_t index, char* name, uint32_t* nameSize) override;
    uint32_t ExpandEnvironmentStringsA(const char* source, char* buffer, uint32_t size) override;
};

}  // namespace platform
