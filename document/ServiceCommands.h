#pragma once
#include <string>

#include "platform/Clock.h"
#include "platform/TextSource.h"
#include "scm/ServiceList.h"

// The document's commands on one service of its current list. Each empties
// the document's last error text first and, on failure, leaves there the
// message the caller shows. A start, stop or pause that succeeds is followed
// until the service settles (within the bound every wait has), so callers
// find the entry's settled state.
class ServiceCommands {
public:
    ServiceCommands(ServiceList& list, std::string& lastErrorText, platform::TextSource& texts,
                    platform::Clock& clock)
        : list_(list), lastErrorText_(lastErrorText), texts_(texts), clock_(clock) {}

    bool StartOrContinue(const ServiceEntry& entry);
    bool StopService(const ServiceEntry& entry);
    bool PauseService(const ServiceEntry& entry);
    // A paused service only; any other is refused by the service manager.
    bool ContinueService(const ServiceEntry& entry);
    bool RestartService(const ServiceEntry& entry);
    bool EnsureServiceRunning(const char* name, int attempts);
    bool EnsureServiceStopped(const char* name, int attempts);
    bool ChangeConfig(const char* name, uint32_t serviceType, uint32_t startType,
                      uint32_t errorControl, const char* binaryPathName, const char* loadOrderGroup,
                      uint32_t* tagId, const char* dependencies, const char* serviceStartName,
                      const char* password, const char* displayName);
    bool ChangeDescription(const char* name, const char* description);
    bool ChangeDelayedStart(const char* name, bool delayed);

private:
    bool Report(bool ok, unsigned formatId, const char* name);
    // Follows the entry while it is pending after a command that succeeded.
    bool Settle(bool ok, const ServiceEntry& entry);
    bool FollowedToItsStop(const ServiceEntry& entry);
    bool ReportReasonOnly(bool ok);

    ServiceList& list_;
    std::string& lastErrorText_;
    platform::TextSource& texts_;
    platform::Clock& clock_;
};
