#include "platform/win32/Win32TextSource.h"

#include <windows.h>

namespace platform {

namespace {

std::string TableString(HMODULE module, unsigned id) {
    HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA((id >> 4) + 1), MAKEINTRESOURCEA(6));
    if (found == nullptr) return std::string();
    HGLOBAL loaded = ::LoadResource(module, found);
    auto* at = static_cast<const WCHAR*>(loaded ? ::LockResource(loaded) : nullptr);
    if (at == nullptr) return std::string();
    // Sixteen counted strings a block; a block cut short holds no more.
    const WCHAR* end = at + ::SizeofResource(module, found) / sizeof(WCHAR);
    for (unsigned skip = id & 15; skip > 0 && at < end; --skip) at += 1 + *at;
    if (at >= end || *at == 0 || at + 1 + *at > end) return std::string();
    int length = *at;
    int size = ::WideCharToMultiByte(CP_ACP, 0, at + 1, length, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_ACP, 0, at + 1, length, &text[0], size, nullptr, nullptr);
    return text;
}

}  // namespace

std::string ModuleString(void* module, unsigned id) {
    return TableString(
        module != nullptr ? static_cast<HMODULE>(module) : ::GetModuleHandleA(nullptr), id);
}

std::string Win32TextSource::Text(unsigned id) {
    return ModuleString(inUse_ ? inUse_->Module() : module_, id);
}

}  // namespace platform
