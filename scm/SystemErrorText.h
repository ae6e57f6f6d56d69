#pragma once
#include <cstdint>
#include <string>

namespace platform {
class ScmApi;
}

// The reason for the last failure, as the platform words it. Empty when
// there is no error.
class SystemErrorText {
public:
    virtual ~SystemErrorText() = default;

    void Clear() { text_.clear(); }
    // The system's message for `code`, kept exactly as returned; code 0
    // gives an empty text.
    void SetFromCode(platform::ScmApi& api, uint32_t code);

    const std::string& Get() const { return text_; }
    bool IsEmpty() const { return text_.empty(); }

private:
    std::string text_;
};
