// A trigger record comes from the service control manager of any machine
// the user opens: whatever its count and the address of its list, a reader
// stays inside the buffer the platform filled.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "scm/ConfigRecords.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first bytes place the list relative to the record, as a pointer
    // into (or out of) the buffer would; the rest is the record.
    int32_t offset = 0;
    if (size < sizeof offset) return 0;
    std::memcpy(&offset, data, sizeof offset);
    std::vector<uint64_t> aligned((size - sizeof offset) / sizeof(uint64_t) + 1);
    auto* record = reinterpret_cast<unsigned char*>(aligned.data());
    const auto filled = static_cast<uint32_t>(size - sizeof offset);
    std::memcpy(record, data + sizeof offset, filled);
    if (filled < sizeof(platform::ServiceTriggerInfo)) {
        KeepTriggersInside(reinterpret_cast<platform::ServiceTriggerInfo*>(record), filled);
        return 0;
    }
    auto* info = reinterpret_cast<platform::ServiceTriggerInfo*>(record);
    info->triggers =
        reinterpret_cast<platform::ServiceTrigger*>(reinterpret_cast<intptr_t>(record) + offset);
    KeepTriggersInside(info, filled);
    if (StartTriggerKinds(*info).size() > info->triggerCount) __builtin_trap();
    return 0;
}
