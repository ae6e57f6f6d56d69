#include "scm/PendingWait.h"

#include <algorithm>

#include "scm/ServiceList.h"

namespace {
// A tenth of the service's own hint, kept short enough for a responsive
// wait cursor and long enough not to hammer the service control manager.
uint32_t PollInterval(uint32_t waitHint) {
    return std::min<uint32_t>(std::max<uint32_t>(waitHint / 10, 50), 250);
}
}  // namespace

bool WaitWhilePending(ServiceList& list, const char* name, platform::Clock& clock,
                      uint32_t limitMs) {
    const ServiceEntry* entry = list.PeekEntry(name);
    if (entry == nullptr) return false;
    const uint32_t start = clock.GetTickCount();
    while (entry->waitHint != 0) {
        // Unsigned difference survives the tick count wrapping around.
        if (clock.GetTickCount() - start >= limitMs) return false;
        clock.Sleep(PollInterval(entry->waitHint));
        if (!list.RefreshStatus(name)) return false;
    }
    return true;
}
