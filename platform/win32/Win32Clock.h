#pragma once
#include "platform/Clock.h"

namespace platform {

class Win32Clock : public Clock {
public:
    uint32_t GetTickCount() override;
    void Sleep(uint32_t milliseconds) override;
};

}  // namespace platform
