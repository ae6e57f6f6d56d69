#pragma once
#include "platform/VersionApi.h"

namespace platform {

class Win32Version : public VersionApi {
public:
    uint32_t GetFileVersionInfoSizeA(const char* path, uint32_t* handle) override;
    bool GetFileVersionInfoA(const char* path, uint32_t handle, uint32_t size, void* data) override;
    bool VerQueryValueA(const void* block, const char* subBlock, void** buffer,
                        uint32_t* length) override;
    uint32_t VerLanguageNameA(uint32_t language, char* buffer, uint32_t size) override;
};

}  // namespace platform
