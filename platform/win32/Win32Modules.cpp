#include "platform/win32/Win32Modules.h"

#include <windows.h>

#include "platform/win32/Win32Scm.h"
#include "platform/win32/Win32TextSource.h"

namespace platform {

ModuleHandle Win32Modules::LoadLibraryA(const char* path) {
    return ::LoadLibraryA(path);
}

ModuleHandle Win32Modules::LoadLibraryExA(const char* path, uint32_t flags) {
    return ::LoadLibraryExA(path, nullptr, flags);
}

bool Win32Modules::FreeLibrary(ModuleHandle module) {
    return ::FreeLibrary(static_cast<HMODULE>(module)) != FALSE;
}

int Win32Modules::LoadStringA(ModuleHandle module, unsigned id, char* buffer, int size) {
    if (buffer == nullptr || size <= 0) return 0;
    std::string text = ModuleString(module, id);
    size_t length = text.size() < static_cast<size_t>(size - 1) ? text.size() : size - 1;
    text.copy(buffer, length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}

// A path that fills the buffer may have been cut: it is read again into a
// larger one.
std::string Win32Modules::GetModuleFileNameA(ModuleHandle module) {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD n = ::GetModuleFileNameA(static_cast<HMODULE>(module), &path[0],
                                       static_cast<DWORD>(path.size()));
        if (n < path.size() || path.size() >= 32768)
            return path.substr(0, n < path.size() ? n : path.size());
        path.resize(path.size() * 2);
    }
}

uint32_t Win32Modules::GetLastError() {
    return ::GetLastError();
}

std::string Win32Modules::FormatMessageA(uint32_t code) {
    return Win32Scm().FormatMessageA(code);
}

}  // namespace platform
