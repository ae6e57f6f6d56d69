#include "platform/win32/Win32Modules.h"

#include <windows.h>

#include "platform/win32/Win32Scm.h"

namespace platform {

ModuleHandle Win32Modules::LoadLibraryA(const char* path) { return ::LoadLibraryA(path); }

ModuleHandle Win32Modules::LoadLibraryExA(const char* path, uint32_t flags) {
    return ::LoadLibraryExA(path, nullptr, flags);
}

bool Win32Modules::FreeLibrary(ModuleHandle module) {
    return ::FreeLibrary(static_cast<HMODULE>(module)) != FALSE;
}

int Win32Modules::LoadStringA(ModuleHandle module, unsigned id, char* buffer, int size) {
    HINSTANCE instance =
        module != nullptr ? static_cast<HINSTANCE>(module) : ::GetModuleHandleA(nullptr);
    return ::LoadStringA(instance, id, buffer, size);
}

std::string Win32Modules::GetModuleFileNameA(ModuleHandle module) {
    char path[MAX_PATH + 1];
    DWORD n = ::GetModuleFileNameA(static_cast<HMODULE>(module), path, MAX_PATH);
    return std::string(path, n < MAX_PATH ? n : MAX_PATH);
}

uint32_t Win32Modules::GetLastError() { return ::GetLastError(); }

std::string Win32Modules::FormatMessageA(uint32_t code) { return Win32Scm().FormatMessageA(code); }

}  // namespace platform
