#pragma once
#include <string>

namespace platform {

// User texts by string-table id, from the resource module in use.
class TextSource {
public:
    virtual ~TextSource() = default;
    // Empty when the module has no such string.
    virtual std::string Text(unsigned id) = 0;
};

}  // namespace platform
