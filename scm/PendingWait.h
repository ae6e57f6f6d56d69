#pragma once
#include <cstdint>

#include "platform/Clock.h"

class ServiceList;

// Every wait of the program on a service's wait hint ends after this long:
// a service that never settles must not hold the user interface.
constexpr uint32_t kPendingWaitLimitMs = 30000;

// Re-reads the status of the list's entry of that name while its wait hint
// is not 0, pausing between polls. Stops at the limit or as soon as the
// status can no longer be read. True when the entry settled (wait hint 0).
bool WaitWhilePending(ServiceList& list, const char* name, platform::Clock& clock,
                      uint32_t limitMs = kPendingWaitLimitMs);
