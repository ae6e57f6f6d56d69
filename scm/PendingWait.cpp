#include "scm/PendingWait.h"

#include <algorithm>

#include "scm/ServiceList.h"

namespace {
// A tenth of the service's own hint, kept short enough for a responsive
// wait cursor and long enough not to hammer the service control manager.
uint32_t PollInterval(uint32_t waitHint) {
    return std::min<uint32_t>(std::max<uint32_t>(waitHint / 10, 50), 250);
}

template <typename Unsettled>
bool WaitWhile(ServiceList& list, uint32_t index, platform::Clock& clock, uint32_t limitMs,
               Unsettled unsettled) {
    const ServiceEntry* entry = list.EntryAt(index);
    if (entry == nullptr) return false;
    const uint32_t start = clock.GetTickCount();
    while (unsettled(*entry)) {
        // Unsigned difference survives the tick count wrapping around.
        if (clock.GetTickCount() - start >= limitMs) return false;
        clock.Sleep(PollInterval(entry->waitHint));
        if (!list.RefreshStatusAt(index)) return false;
    }
    return true;
}
}  // namespace

bool WaitWhilePending(ServiceList& list, uint32_t index, platform::Clock& clock, uint32_t limitMs) {
    return WaitWhile(list, index, clock, limitMs,
                     [](const ServiceEntry& entry) { return entry.waitHint != 0; });
}

bool WaitWhilePending(ServiceList& list, const char* name, platform::Clock& clock,
                      uint32_t limitMs) {
    int index = list.IndexOf(name);
    return index >= 0 && WaitWhilePending(list, static_cast<uint32_t>(index), clock, limitMs);
}

bool WaitUntilStopped(ServiceList& list, uint32_t index, platform::Clock& clock, uint32_t limitMs) {
    return WaitWhile(list, index, clock, limitMs, [](const ServiceEntry& entry) {
        return entry.currentState != platform::scm::kStopped;
    });
}
