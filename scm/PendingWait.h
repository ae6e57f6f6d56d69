#pragma once
#include <cstdint>

#include "platform/Clock.h"

class ServiceList;

// Every wait of the program on a pending service ends after this long: a
// service that never settles must not hold the user interface.
constexpr uint32_t kPendingWaitLimitMs = 30000;

// Re-reads the status of the list's entry at `index` while its wait hint is
// not 0, pausing between polls. Stops at the limit or as soon as the status
// can no longer be read. True when the entry settled (wait hint 0).
bool WaitWhilePending(ServiceList& list, uint32_t index, platform::Clock& clock,
                      uint32_t limitMs = kPendingWaitLimitMs);
// The same for the first entry of that name.
bool WaitWhilePending(ServiceList& list, const char* name, platform::Clock& clock,
                      uint32_t limitMs = kPendingWaitLimitMs);
// Re-reads the status of the entry at `index` until the service has
// stopped, under the same limit: a service may report its stop as pending
// without a wait hint, or not report it at all before the stop returns.
bool WaitUntilStopped(ServiceList& list, uint32_t index, platform::Clock& clock,
                      uint32_t limitMs = kPendingWaitLimitMs);
