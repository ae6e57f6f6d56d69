#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/ScmApi.h"

// The status record of one service. Inside a ServiceList it is the very
// ENUM_SERVICE_STATUSA record the platform wrote, so a status query can write
// straight into the seven numbers.
struct ServiceEntry {
    char* name;
    char* displayName;
    uint32_t serviceType;
    uint32_t currentState;
    uint32_t controlsAccepted;
    uint32_t win32ExitCode;
    uint32_t serviceSpecificExitCode;
    uint32_t checkPoint;
    uint32_t waitHint;
};

static_assert(sizeof(ServiceEntry) == sizeof(platform::EnumServiceStatus), "entry layout");
static_assert(offsetof(ServiceEntry, displayName) ==
                  offsetof(platform::EnumServiceStatus, displayName),
              "entry layout");
static_assert(offsetof(ServiceEntry, serviceType) == offsetof(platform::EnumServiceStatus, status),
              "entry layout");
static_assert(offsetof(ServiceEntry, waitHint) - offsetof(ServiceEntry, serviceType) ==
                  offsetof(platform::ServiceStatus, waitHint),
              "entry layout");

// The seven status numbers of an entry, as the platform's status record.
inline platform::ServiceStatus* StatusOf(ServiceEntry* entry) {
    return reinterpret_cast<platform::ServiceStatus*>(&entry->serviceType);
}
inline const platform::ServiceStatus* StatusOf(const ServiceEntry* entry) {
    return reinterpret_cast<const platform::ServiceStatus*>(&entry->serviceType);
}

// String-table id of the text for a state, 0 for a value with no text.
unsigned StateTextId(uint32_t currentState);
