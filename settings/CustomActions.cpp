#include "settings/CustomActions.h"

#include "settings/SettingsStore.h"

CustomActions ReadCustomActions(platform::RegistryApi& registry, const std::string& service) {
    CustomActions actions;
    SettingsStore store(registry);
    if (!store.OpenActionsForReading(service)) return actions;
    actions.alwaysRunning = store.Read(settings::kAlwaysRunning) != 0;
    actions.alwaysStopped = store.Read(settings::kAlwaysStopped) != 0;
    actions.disableNotify = store.Read(settings::kDisableNotify) != 0;
    actions.disableLog = store.Read(settings::kDisableLog) != 0;
    return actions;
}

// Two opposite flags cancel each other: neither is kept.
bool WriteCustomActions(platform::RegistryApi& registry, const std::string& service,
                        const CustomActions& actions) {
    const bool running = actions.alwaysRunning && !actions.alwaysStopped;
    const bool stopped = actions.alwaysStopped && !actions.alwaysRunning;
    SettingsStore store(registry);
    if (!running && !stopped && !actions.disableNotify && !actions.disableLog)
        return store.DeleteActions(service);
    if (!store.OpenActionsForWriting(service)) return false;
    // The flag that is off is written first, and the other only once it is:
    // a failure between the two never leaves both on.
    const settings::DwordValue& off = running ? settings::kAlwaysStopped : settings::kAlwaysRunning;
    const settings::DwordValue& other =
        running ? settings::kAlwaysRunning : settings::kAlwaysStopped;
    bool ok = store.Write(off, 0) && store.Write(other, running || stopped);
    ok = store.Write(settings::kDisableNotify, actions.disableNotify) && ok;
    return store.Write(settings::kDisableLog, actions.disableLog) && ok;
}
