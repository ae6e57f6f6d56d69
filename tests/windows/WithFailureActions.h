#pragma once
// A service control manager that answers what Wine's cannot: the failure
// actions of a service, which a dialog needs to be editable.
#include <windows.h>

#include "tests/fakes/ForwardingScm.h"

namespace wintest {

// Wine has no failure actions to give; this answers that one query with
// two actions and hands every other call, the writes too, to Wine.
class WithFailureActions : public fake::ForwardingScm {
public:
    using ForwardingScm::ForwardingScm;
    bool QueryServiceConfig2A(platform::ScHandle h, uint32_t level, void* buffer, uint32_t size,
                              uint32_t* needed) override {
        if (level != SERVICE_CONFIG_FAILURE_ACTIONS)
            return ForwardingScm::QueryServiceConfig2A(h, level, buffer, size, needed);
        const uint32_t whole =
            sizeof(platform::ServiceFailureActions) + 2 * sizeof(platform::ScAction);
        *needed = whole;
        if (size < whole || !buffer) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return false;
        }
        auto* record = static_cast<platform::ServiceFailureActions*>(buffer);
        *record = {86400, nullptr, nullptr, 2, reinterpret_cast<platform::ScAction*>(record + 1)};
        record->actions[0] = {1, 60000};
        record->actions[1] = {3, 1500};
        return true;
    }
};

}  // namespace wintest
