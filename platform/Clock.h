#pragma once
#include <cstdint>

namespace platform {

// GetTickCount and Sleep, so that waits can be driven by a test clock.
class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t GetTickCount() = 0;
    virtual void Sleep(uint32_t milliseconds) = 0;
};

}  // namespace platform
