#include "platform/win32/Win32Registry.h"

#include <windows.h>

namespace platform {

namespace {
// A pointer cast is no constant expression, so the check is on the integer
// the platform's headers make HKEY_CURRENT_USER from.
static_assert(sizeof(HKEY) == sizeof(intptr_t), "a key handle is pointer-sized");
static_assert(reg::kCurrentUserValue == static_cast<intptr_t>(static_cast<LONG>(0x80000001)),
              "the portable root key is the platform's HKEY_CURRENT_USER");

// Predefined roots go to the platform as its own constants.
HKEY H(RegKey key) {
    return key == reg::CurrentUser() ? HKEY_CURRENT_USER : static_cast<HKEY>(key);
}
}  // namespace

long Win32Registry::RegCreateKeyExA(RegKey key, const char* subKey, uint32_t options,
                                    uint32_t access, RegKey* result, uint32_t* disposition) {
    HKEY opened = nullptr;
    DWORD how = 0;
    LONG rc =
        ::RegCreateKeyExA(H(key), subKey, 0, nullptr, options, access, nullptr, &opened, &how);
    *result = rc == ERROR_SUCCESS ? opened : nullptr;
    if (disposition != nullptr) *disposition = how;
    return rc;
}

long Win32Registry::RegOpenKeyExA(RegKey key, const char* subKey, uint32_t options, uint32_t access,
                                  RegKey* result) {
    HKEY opened = nullptr;
    LONG rc = ::RegOpenKeyExA(H(key), subKey, options, access, &opened);
    *result = rc == ERROR_SUCCESS ? opened : nullptr;
    return rc;
}

long Win32Registry::RegCloseKey(RegKey key) {
    return ::RegCloseKey(H(key));
}

long Win32Registry::RegQueryValueExA(RegKey key, const char* name, uint32_t* type, void* data,
                                     uint32_t* size) {
    DWORD t = 0, s = size != nullptr ? *size : 0;
    LONG rc = ::RegQueryValueExA(H(key), name, nullptr, &t, static_cast<BYTE*>(data),
                                 size != nullptr ? &s : nullptr);
    if (type != nullptr) *type = t;
    if (size != nullptr) *size = s;
    return rc;
}

long Win32Registry::RegSetValueExA(RegKey key, const char* name, uint32_t type, const void* data,
                                   uint32_t size) {
    return ::RegSetValueExA(H(key), name, 0, type, static_cast<const BYTE*>(data), size);
}

long Win32Registry::RegDeleteValueA(RegKey key, const char* name) {
    return ::RegDeleteValueA(H(key), name);
}

long Win32Registry::RegDeleteKeyA(RegKey key, const char* subKey) {
    return ::RegDeleteKeyA(H(key), subKey);
}

long Win32Registry::RegEnumValueA(RegKey key, uint32_t index, char* name, uint32_t* nameSize) {
    DWORD n = *nameSize;
    LONG rc = ::RegEnumValueA(H(key), index, name, &n, nullptr, nullptr, nullptr, nullptr);
    *nameSize = n;
    return rc;
}

long Win32Registry::RegEnumKeyExA(RegKey key, uint32_t index, char* name, uint32_t* nameSize) {
    DWORD n = *nameSize;
    LONG rc = ::RegEnumKeyExA(H(key), index, name, &n, nullptr, nullptr, nullptr, nullptr);
    *nameSize = n;
    return rc;
}

uint32_t Win32Registry::ExpandEnvironmentStringsA(const char* source, char* buffer, uint32_t size) {
    return ::ExpandEnvironmentStringsA(source, buffer, size);
}

}  // namespace platform
