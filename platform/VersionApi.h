#pragma once
// File version information (version.dll) as the core sees it: the calls with
// their own inputs and results.
#include <cstdint>

namespace platform {

class VersionApi {
public:
    virtual ~VersionApi() = default;
    // 0 when the file has no version information (GetLastError says why).
    virtual uint32_t GetFileVersionInfoSizeA(const char* path, uint32_t* handle) = 0;
    virtual bool GetFileVersionInfoA(const char* path, uint32_t handle, uint32_t size,
                                     void* data) = 0;
    // `*buffer` points into `block`; `*length` in characters for strings,
    // bytes otherwise.
    virtual bool VerQueryValueA(const void* block, const char* subBlock, void** buffer,
                                uint32_t* length) = 0;
    // The name's length, 0 on failure.
    virtual uint32_t VerLanguageNameA(uint32_t language, char* buffer, uint32_t size) = 0;
};

}  // namespace platform
