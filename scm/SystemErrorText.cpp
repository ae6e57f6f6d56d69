#include "scm/SystemErrorText.h"

#include <cstring>

#include "platform/ScmApi.h"

void SystemErrorText::SetFromCode(platform::ScmApi& api, uint32_t code) {
    if (code == 0) {
        text_.clear();
        return;
    }
    text_ = api.FormatMessageA(code);
}

void SystemErrorText::SetFromException(const char* message) {
    if (message == nullptr) {
        text_.clear();
        return;
    }
    text_.assign(message, strnlen(message, kExceptionBufferSize - 1));
}
