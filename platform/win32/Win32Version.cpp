#include "platform/win32/Win32Version.h"

#include <windows.h>

namespace platform {

uint32_t Win32Version::GetFileVersionInfoSizeA(const char* path, uint32_t* handle) {
    DWORD h = 0;
    DWORD size = ::GetFileVersionInfoSizeA(path, &h);
    if (handle != nullptr) *handle = h;
    return size;
}

bool Win32Version::GetFileVersionInfoA(const char* path, uint32_t handle, uint32_t size,
                                       void* data) {
    return ::GetFileVersionInfoA(path, handle, size, data) != FALSE;
}

bool Win32Version::VerQueryValueA(const void* block, const char* subBlock, void** buffer,
                                  uint32_t* length) {
    UINT n = 0;
    BOOL ok = ::VerQueryValueA(block, subBlock, buffer, &n);
    *length = n;
    return ok != FALSE;
}

uint32_t Win32Version::VerLanguageNameA(uint32_t language, char* buffer, uint32_t size) {
    return ::VerLanguageNameA(language, buffer, size);
}

}  // namespace platform
