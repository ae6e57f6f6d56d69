#include "scm/SystemErrorText.h"

#include "platform/ScmApi.h"

void SystemErrorText::SetFromCode(platform::ScmApi& api, uint32_t code) {
    if (code == 0) {
        text_.clear();
        return;
    }
    text_ = api.FormatMessageA(code);
}
