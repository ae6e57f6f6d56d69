#pragma once
#include "platform/ElevationApi.h"

namespace platform {

// The process token's elevation, and the shell's "runas" verb.
class Win32Elevation : public ElevationApi {
public:
    bool IsElevated() override;
    bool CanElevate() override;
    bool StartElevated(const std::string& program, const std::string& arguments) override;
};

}  // namespace platform
