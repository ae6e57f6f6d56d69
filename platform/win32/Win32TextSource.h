#pragma once
#include "platform/TextSource.h"

namespace platform {

// Strings of a resource module. Made without one, it follows the texts in
// use (the loaded language module, else the program); made with one, it
// reads that module only.
class Win32TextSource : public TextSource {
public:
    Win32TextSource() = default;
    explicit Win32TextSource(void* module) : module_(module), fixed_(true) {}
    std::string Text(unsigned id) override;

private:
    void* module_ = nullptr;
    bool fixed_ = false;
};

}  // namespace platform
