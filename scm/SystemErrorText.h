#pragma once
#include <cstdint>
#include <string>

namespace platform {
class ScmApi;
}

// The reason for the last failure, as the platform or a caught exception
// words it. Empty when there is no error.
class SystemErrorText {
public:
    virtual ~SystemErrorText() = default;

    void Clear() { text_.clear(); }
    // The system's message for `code`, kept exactly as returned; code 0
    // gives an empty text.
    void SetFromCode(platform::ScmApi& api, uint32_t code);
    // An exception's own message, cut to what a 2048-byte buffer holds.
    void SetFromException(const char* message);

    const std::string& Get() const { return text_; }
    bool IsEmpty() const { return text_.empty(); }

    static constexpr size_t kExceptionBufferSize = 2048;

private:
    std::string text_;
};
