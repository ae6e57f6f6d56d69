#include "document/ServiceCommands.h"

#include "document/MessageText.h"
#include "res/resource.h"
#include "scm/PendingWait.h"

bool ServiceCommands::Report(bool ok, unsigned formatId, const char* name) {
    if (!ok) lastErrorText_ = ComposeMessage(texts_.Text(formatId), name, list_.GetErrorText());
    return ok;
}

bool ServiceCommands::ReportReasonOnly(bool ok) {
    if (!ok) lastErrorText_ = list_.GetErrorText();
    return ok;
}

bool ServiceCommands::StartOrContinue(const ServiceEntry& entry) {
    lastErrorText_.clear();
    bool ok = entry.currentState == platform::scm::kPaused ? list_.Continue(entry.name)
                                                            : list_.Start(entry.name);
    return Report(ok, IDS_ERROR_STARTING_SERVICE, entry.name);
}

bool ServiceCommands::StopService(const ServiceEntry& entry) {
    lastErrorText_.clear();
    return Report(list_.Stop(entry.name), IDS_ERROR_STOPPING_SERVICE, entry.name);
}

bool ServiceCommands::PauseService(const ServiceEntry& entry) {
    lastErrorText_.clear();
    return Report(list_.Pause(entry.name), IDS_ERROR_PAUSING_SERVICE, entry.name);
}

// The wait between stop and start is bounded; a service still pending after
// it gets the start anyway, and the start's own failure tells the user why.
bool ServiceCommands::RestartService(const ServiceEntry& entry) {
    lastErrorText_.clear();
    bool ok = list_.Stop(entry.name);
    if (ok) {
        WaitWhilePending(list_, entry.name, clock_);
        ok = list_.Start(entry.name);
    }
    return Report(ok, IDS_ERROR_RESTARTING_SERVICE, entry.name);
}

bool ServiceCommands::EnsureServiceRunning(const char* name, int attempts) {
    lastErrorText_.clear();
    return Report(list_.EnsureRunning(name, attempts), IDS_ERROR_STARTING_SERVICE, name);
}

bool ServiceCommands::EnsureServiceStopped(const char* name, int attempts) {
    lastErrorText_.clear();
    return Report(list_.EnsureStopped(name, attempts), IDS_ERROR_STOPPING_SERVICE, name);
}

bool ServiceCommands::ChangeConfig(const char* name, uint32_t serviceType, uint32_t startType,
                                   uint32_t errorControl, const char* binaryPathName,
                                   const char* loadOrderGroup, uint32_t* tagId,
                                   const char* dependencies, const char* serviceStartName,
                                   const char* password, const char* displayName) {
    lastErrorText_.clear();
    return ReportReasonOnly(list_.ChangeConfig(name, serviceType, startType, errorControl,
                                               binaryPathName, loadOrderGroup, tagId,
                                               dependencies, serviceStartName, password,
                                               displayName));
}

bool ServiceCommands::ChangeDescription(const char* name, const char* description) {
    lastErrorText_.clear();
    return ReportReasonOnly(list_.ChangeDescription(name, description));
}
