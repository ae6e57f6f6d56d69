#include "document/ServiceCommands.h"

#include "platform/MessageText.h"
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

bool ServiceCommands::Settle(bool ok, const ServiceEntry& entry) {
    int index = list_.IndexOf(entry);
    if (ok && index >= 0) WaitWhilePending(list_, static_cast<uint32_t>(index), clock_);
    return ok;
}

bool ServiceCommands::StartOrContinue(const ServiceEntry& entry) {
    lastErrorText_.clear();
    bool ok = entry.currentState == platform::scm::kPaused ? list_.Continue(entry.name)
                                                           : list_.Start(entry.name);
    return Settle(Report(ok, IDS_ERROR_STARTING_SERVICE, entry.name), entry);
}

bool ServiceCommands::StopService(const ServiceEntry& entry) {
    lastErrorText_.clear();
    return Settle(Report(list_.Stop(entry.name), IDS_ERROR_STOPPING_SERVICE, entry.name), entry);
}

bool ServiceCommands::PauseService(const ServiceEntry& entry) {
    lastErrorText_.clear();
    return Settle(Report(list_.Pause(entry.name), IDS_ERROR_PAUSING_SERVICE, entry.name), entry);
}

bool ServiceCommands::ContinueService(const ServiceEntry& entry) {
    lastErrorText_.clear();
    return Settle(Report(list_.Continue(entry.name), IDS_ERROR_STARTING_SERVICE, entry.name),
                  entry);
}

// The start follows only a stop that has finished: one still pending (with
// or without a wait hint) would refuse it as already running. The wait is
// bounded; a service still not stopped after it gets the start anyway, and
// the start's own failure tells the user why.
bool ServiceCommands::RestartService(const ServiceEntry& entry) {
    lastErrorText_.clear();
    bool ok = list_.Stop(entry.name) && FollowedToItsStop(entry) && list_.Start(entry.name);
    return Settle(Report(ok, IDS_ERROR_RESTARTING_SERVICE, entry.name), entry);
}

// False when the service's status can no longer be read, with the reason
// recorded: that, not the start's refusal, is what went wrong.
bool ServiceCommands::FollowedToItsStop(const ServiceEntry& entry) {
    int index = list_.IndexOf(entry);
    if (index < 0 || WaitUntilStopped(list_, static_cast<uint32_t>(index), clock_)) return true;
    platform::ServiceStatus status;
    return list_.QueryStatus(entry.name, &status);
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
                                               binaryPathName, loadOrderGroup, tagId, dependencies,
                                               serviceStartName, password, displayName));
}

bool ServiceCommands::ChangeDescription(const char* name, const char* description) {
    lastErrorText_.clear();
    return ReportReasonOnly(list_.ChangeDescription(name, description));
}

bool ServiceCommands::ChangeDelayedStart(const char* name, bool delayed) {
    lastErrorText_.clear();
    return ReportReasonOnly(list_.ChangeDelayedStart(name, delayed));
}
