#include "platform/win32/Win32TextSource.h"

#include <windows.h>

namespace platform {

std::string Win32TextSource::Text(unsigned id) {
    void* chosen = inUse_ ? inUse_->Module() : module_;
    HINSTANCE module =
        chosen != nullptr ? static_cast<HINSTANCE>(chosen) : ::GetModuleHandleA(nullptr);
    // A string-table entry holds at most 4097 characters with its terminator.
    char buffer[4100];
    int length = ::LoadStringA(module, id, buffer, sizeof buffer);
    return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

}  // namespace platform
