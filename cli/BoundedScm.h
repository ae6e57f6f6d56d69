#pragma once
// The real service control manager, with a bound on how long reaching a
// machine may take: an unreachable one otherwise holds a script for the
// network's own timeout. A connection still on its way at the bound is
// abandoned to its thread, which closes it if it ever arrives.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <utility>

#include "platform/win32/Win32Scm.h"

namespace cli {

class BoundedScm : public platform::Win32Scm {
public:
    using Connect = std::function<SC_HANDLE(const char*, const char*, DWORD)>;
    // 0: no bound of our own. `connect` reaches a machine (the platform's
    // own call, or a test's).
    explicit BoundedScm(uint32_t timeoutMs, Connect connect = ::OpenSCManagerA)
        : timeoutMs_(timeoutMs), connect_(std::move(connect)) {}
    platform::ScHandle OpenSCManagerA(const char* machineName, const char* databaseName,
                                      uint32_t desiredAccess) override;

private:
    uint32_t timeoutMs_;
    Connect connect_;
};

}  // namespace cli
