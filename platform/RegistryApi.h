#pragma once
// The registry as the core sees it: the advapi32 calls with their own inputs,
// results (the registry's error codes, 0 = success) and value types, so the
// settings can live in Windows', Wine's or an in-memory registry.
#include <cstdint>

namespace platform {

using RegKey = void*;

namespace reg {
// The predefined root keys, with the platform's values: its headers make
// them from a 32-bit LONG, so on 64-bit Windows they are sign-extended
// (HKEY_CURRENT_USER is 0xFFFFFFFF80000001 there). The Win32 build checks
// the integer against its own headers.
constexpr intptr_t kCurrentUserValue = -0x7FFFFFFF;  // (LONG)0x80000001
inline RegKey CurrentUser() {
    return reinterpret_cast<RegKey>(kCurrentUserValue);
}

constexpr uint32_t kAllAccess = 0xF003F;
constexpr uint32_t kRead = 0x20019;
constexpr uint32_t kOptionNonVolatile = 0;

constexpr uint32_t kNone = 0;
constexpr uint32_t kSz = 1;
constexpr uint32_t kExpandSz = 2;
constexpr uint32_t kBinary = 3;
constexpr uint32_t kDword = 4;

constexpr uint32_t kDispositionCreatedNewKey = 1;
constexpr uint32_t kDispositionOpenedExistingKey = 2;

constexpr long kSuccess = 0;
constexpr long kFileNotFound = 2;
constexpr long kAccessDenied = 5;
constexpr long kInvalidHandle = 6;
constexpr long kInvalidParameter = 87;
constexpr long kMoreData = 234;
constexpr long kNoMoreItems = 259;
}  // namespace reg

class RegistryApi {
public:
    virtual ~RegistryApi() = default;
    virtual long RegCreateKeyExA(RegKey key, const char* subKey, uint32_t options, uint32_t access,
                                 RegKey* result, uint32_t* disposition) = 0;
    virtual long RegOpenKeyExA(RegKey key, const char* subKey, uint32_t options, uint32_t access,
                               RegKey* result) = 0;
    virtual long RegCloseKey(RegKey key) = 0;
    // `data` may be null to ask for the size; `*size` is in and out as on the platform.
    virtual long RegQueryValueExA(RegKey key, const char* name, uint32_t* type, void* data,
                                  uint32_t* size) = 0;
    virtual long RegSetValueExA(RegKey key, const char* name, uint32_t type, const void* data,
                                uint32_t size) = 0;
    virtual long RegDeleteValueA(RegKey key, const char* name) = 0;
    // Deletes a key that has no sub-keys.
    virtual long RegDeleteKeyA(RegKey key, const char* subKey) = 0;
    // `*nameSize` in characters: the buffer's size in, the name's length out.
    virtual long RegEnumValueA(RegKey key, uint32_t index, char* name, uint32_t* nameSize) = 0;
    virtual long RegEnumKeyExA(RegKey key, uint32_t index, char* name, uint32_t* nameSize) = 0;

    // kernel32's, but it travels with the registry: an expandable text
    // (REG_EXPAND_SZ) means nothing until it is expanded. As the platform:
    // the characters the result needs with its terminator (more than `size`
    // when the buffer is too small), 0 on failure.
    virtual uint32_t ExpandEnvironmentStringsA(const char* source, char* buffer, uint32_t size) = 0;
};

}  // namespace platform
