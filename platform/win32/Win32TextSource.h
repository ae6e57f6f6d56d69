#pragma once
#include "platform/TextSource.h"

namespace platform {

// Strings of one resource module: the program's own or a language module.
class Win32TextSource : public TextSource {
public:
    // `module` is an HMODULE; null means the program file itself.
    explicit Win32TextSource(void* module = nullptr) : module_(module) {}
    void SetModule(void* module) { module_ = module; }
    std::string Text(unsigned id) override;

private:
    void* module_;
};

}  // namespace platform
