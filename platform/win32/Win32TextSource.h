#pragma once
#include "platform/TextSource.h"
#include "platform/TextsInUse.h"

namespace platform {

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
