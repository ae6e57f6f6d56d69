#pragma once
// In-memory resource modules and version information: files by path, each
// with its string table, version strings and translation, and a record of
// the libraries loaded and freed.
#include <map>
#include <string>
#include <vector>

#include "platform/ModuleApi.h"
#include "platform/VersionApi.h"

namespace fake {

struct ModuleFile {
    bool library = true;  // false: a file that is not a library
    std::map<unsigned, std::string> strings;
    bool hasVersion = true;
    std::vector<uint16_t> translation{0x0409, 1252};    // first pair used; empty: no table
    std::map<std::string, std::string> versionStrings;  // "040904e4\\FileVersion" -> text
    std::string languageName = "English (United States)";
};

class Modules : public platform::ModuleApi, public platform::VersionApi {
public:
    static constexpr const char* kProgram = "C:\\Program Files\\Vantorel\\Vantorel.exe";
    Modules();

    std::map<std::string, ModuleFile> files;  // by path, exactly
    // Loads by flags, in call order.
    std::vector<uint32_t> loadFlags;
    int Loaded() const { return static_cast<int>(loaded_.size()); }

    platform::ModuleHandle LoadLibraryA(const char* path) override;
    platform::ModuleHandle LoadLibraryExA(const char* path, uint32_t flags) override;
    bool FreeLibrary(platform::ModuleHandle module) override;
    int LoadStringA(platform::ModuleHandle module, unsigned id, char* buffer, int size) override;
    std::string GetModuleFileNameA(platform::ModuleHandle module) override;
    uint32_t GetLastError() override { return lastError; }
    std::string FormatMessageA(uint32_t code) override;

    uint32_t GetFileVersionInfoSizeA(const char* path, uint32_t* handle) override;
    bool GetFileVersionInfoA(const char* path, uint32_t handle, uint32_t size, void* data) override;
    bool VerQueryValueA(const void* block, const char* subBlock, void** buffer,
                        uint32_t* length) override;
    uint32_t VerLanguageNameA(uint32_t language, char* buffer, uint32_t size) override;

    uint32_t lastError = 0;
    // The system's texts by code, as FormatMessageA leaves them (inserts
    // unfilled); codes not here read "System message <code>.".
    std::map<uint32_t, std::string> messages;

private:
    std::map<platform::ModuleHandle, std::string> loaded_;
    uintptr_t next_ = 0x10000;
    std::string queryResult_;
};

}  // namespace fake
