#pragma once
// The rights the program runs with, and starting it again with more.
#include <string>

namespace platform {

class ElevationApi {
public:
    virtual ~ElevationApi() = default;
    // The process has administrator rights.
    virtual bool IsElevated() = 0;
    // Without them, the system would grant them after its prompt.
    virtual bool CanElevate() = 0;
    // Starts `program` with `arguments` and administrator rights, after the
    // system's prompt; false when the user refuses or it cannot start.
    virtual bool StartElevated(const std::string& program, const std::string& arguments) = 0;
};

}  // namespace platform
