#pragma once
#include "platform/FileApi.h"

namespace platform {

class Win32FileSystem : public FileSystem {
public:
    std::unique_ptr<File> CreateFileA(const char* path, uint32_t access, uint32_t share,
                                      uint32_t disposition) override;
    bool MoveFileExA(const char* from, const char* to, uint32_t flags) override;
    bool ReplaceFileA(const char* replaced, const char* replacement, const char* backup,
                      uint32_t flags) override;
    uint32_t GetTempFileNameA(const char* folder, const char* prefix, uint32_t unique,
                              char* tempFileName) override;
    bool DeleteFileA(const char* path) override;
    uint32_t GetFileAttributesA(const char* path) override;
    bool SetFileAttributesA(const char* path, uint32_t attributes) override;
    uint32_t GetLastError() override;
    std::string FormatMessageA(uint32_t code) override;
};

}  // namespace platform
