#pragma once
// A service's custom actions as the properties and settings dialogs edit
// them: read from its CustomActions sub-key, and written so that the key
// exists only while one of them is on and the two opposite ones are never
// both stored.
#include <string>

#include "platform/RegistryApi.h"

struct CustomActions {
    bool alwaysRunning = false;
    bool alwaysStopped = false;
    bool disableNotify = false;
    bool disableLog = false;

    bool operator==(const CustomActions& other) const {
        return alwaysRunning == other.alwaysRunning && alwaysStopped == other.alwaysStopped &&
               disableNotify == other.disableNotify && disableLog == other.disableLog;
    }
};

// All clear when the service has no key.
CustomActions ReadCustomActions(platform::RegistryApi& registry, const std::string& service);
// Both always-flags on, or both off, with nothing else on: the key goes.
// False when the key could not be deleted or opened for writing.
bool WriteCustomActions(platform::RegistryApi& registry, const std::string& service,
                        const CustomActions& actions);
