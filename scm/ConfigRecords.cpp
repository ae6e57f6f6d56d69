#include "scm/ConfigRecords.h"

#include <cstring>

namespace sc = platform::scm;

namespace {

// How many records of `itemSize` bytes fit from `items` to the end of a
// buffer of `size` bytes at `record` of `headSize` bytes; 0 when `items`
// points into the head or beyond the buffer.
uint32_t Room(const void* record, uint32_t headSize, uint32_t size, const void* items,
              size_t itemSize) {
    if (size < headSize) return 0;
    auto begin = reinterpret_cast<uintptr_t>(record);
    auto at = reinterpret_cast<uintptr_t>(items);
    if (at < begin + headSize || at > begin + size) return 0;
    return static_cast<uint32_t>((begin + size - at) / itemSize);
}

}  // namespace

void KeepActionsInside(platform::ServiceFailureActions* record, uint32_t size) {
    if (size < sizeof *record) {
        record->actionCount = 0;
        return;
    }
    uint32_t room = Room(record, sizeof *record, size, record->actions, sizeof(platform::ScAction));
    if (record->actionCount > room) record->actionCount = room;
}

void KeepTriggersInside(platform::ServiceTriggerInfo* record, uint32_t size) {
    if (size < sizeof *record) {
        if (size >= sizeof record->triggerCount) record->triggerCount = 0;
        return;
    }
    uint32_t room =
        Room(record, sizeof *record, size, record->triggers, sizeof(platform::ServiceTrigger));
    if (record->triggerCount > room) record->triggerCount = room;
}

// Copied out, so that a list the platform placed at an odd address is
// read all the same.
std::vector<uint32_t> StartTriggerKinds(const platform::ServiceTriggerInfo& record) {
    std::vector<uint32_t> kinds;
    if (record.triggers == nullptr) return kinds;
    for (uint32_t i = 0; i < record.triggerCount; ++i) {
        platform::ServiceTrigger trigger;
        std::memcpy(&trigger, reinterpret_cast<const char*>(record.triggers) + i * sizeof trigger,
                    sizeof trigger);
        if (trigger.action == sc::kTriggerActionStart) kinds.push_back(trigger.triggerType);
    }
    return kinds;
}

// Most trigger records fit here, so one call tells; a larger one has
// triggers, and a list cell needs no more than that.
StartFlags ReadStartFlags(platform::ScmApi& api, platform::ScHandle service, uint32_t startType) {
    StartFlags flags;
    uint32_t needed = 0;
    if (startType == sc::kAutoStart) {
        platform::ServiceDelayedAutoStartInfo info{};
        if (api.QueryServiceConfig2A(service, sc::kConfigDelayedAutoStartInfo, &info, sizeof info,
                                     &needed))
            flags.delayed = info.delayedAutostart != 0;
    } else if (startType == sc::kDemandStart) {
        alignas(platform::ServiceTriggerInfo) unsigned char buffer[1024] = {};
        auto* info = reinterpret_cast<platform::ServiceTriggerInfo*>(buffer);
        if (api.QueryServiceConfig2A(service, sc::kConfigTriggerInfo, buffer, sizeof buffer,
                                     &needed)) {
            KeepTriggersInside(info, sizeof buffer);
            flags.triggered = !StartTriggerKinds(*info).empty();
        } else {
            flags.triggered =
                api.GetLastError() == platform::err::kInsufficientBuffer && needed > sizeof buffer;
        }
    }
    return flags;
}
