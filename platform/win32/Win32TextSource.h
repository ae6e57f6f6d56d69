#pragma once
#include "platform/TextSource.h"
#include "platform/TextsInUse.h"

namespace platform {

// One string of a module's string table (the program file for null), as
// LoadStringA reads it but through the kernel's resource calls: a program
// without windows then needs no window library to start.
std::string ModuleString(void* module, unsigned id);

// Strings of a resource module: those of the texts in use (the loaded
// language module, else the program), of one module only, or (made with
// nothing) of the program file.
class Win32TextSource : public TextSource {
public:
    Win32TextSource() = default;
    explicit Win32TextSource(const TextsInUse& inUse) : inUse_(&inUse) {}
    explicit Win32TextSource(void* module) : module_(module) {}
    std::string Text(unsigned id) override;

private:
    const TextsInUse* inUse_ = nullptr;
    void* module_ = nullptr;
};

}  // namespace platform
