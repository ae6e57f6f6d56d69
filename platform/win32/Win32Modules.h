#pragma once
#include "platform/ModuleApi.h"

namespace platform {

class Win32Modules : public ModuleApi {
public:
    ModuleHandle LoadLibraryA(const char* path) override;
    ModuleHandle LoadLibraryExA(const char* path, uint32_t flags) override;
    bool FreeLibrary(ModuleHandle module) override;
    int LoadStringA(ModuleHandle module, unsigned id, char* buffer, int size) override;
    std::string GetModuleFileNameA(ModuleHandle module) override;
    uint32_t GetLastError() override;
    std::string FormatMessageA(uint32_t code) override;
};

}  // namespace platform
