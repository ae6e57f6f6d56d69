#pragma once
// Resource modules (the kernel's module and resource calls) as the core sees
// them: libraries loaded by path, their strings, and the platform's error texts.
#include <cstdint>
#include <string>

namespace platform {

using ModuleHandle = void*;

namespace module {
constexpr uint32_t kLoadAsDatafile = 0x2;         // LOAD_LIBRARY_AS_DATAFILE
constexpr uint32_t kLoadAsImageResource = 0x20;   // LOAD_LIBRARY_AS_IMAGE_RESOURCE
constexpr uint32_t kResourceNameNotFound = 1814;  // ERROR_RESOURCE_NAME_NOT_FOUND
}  // namespace module

class ModuleApi {
public:
    virtual ~ModuleApi() = default;
    // Null on failure, with the reason in GetLastError().
    virtual ModuleHandle LoadLibraryA(const char* path) = 0;
    virtual ModuleHandle LoadLibraryExA(const char* path, uint32_t flags) = 0;
    virtual bool FreeLibrary(ModuleHandle module) = 0;
    // The string's length without its terminator; 0 when there is none.
    // A null module is the program file.
    virtual int LoadStringA(ModuleHandle module, unsigned id, char* buffer, int size) = 0;
    // The full path of a loaded module; null is the program file.
    virtual std::string GetModuleFileNameA(ModuleHandle module) = 0;
    virtual uint32_t GetLastError() = 0;
    // The system's message for `code`, in the user's default language.
    virtual std::string FormatMessageA(uint32_t code) = 0;
};

}  // namespace platform
