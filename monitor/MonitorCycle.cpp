#include "monitor/MonitorCycle.h"

#include <string>
#include <vector>

#include "settings/SettingsStore.h"

// Enforcement runs on every pass, whether the comparison found changes or
// could run at all.
void MonitorCycle::Tick() {
    if (document_.CompareWithReference() && document_.GetChangeCount() > 0) Report();
    Enforce();
}

// The list just compared becomes the reference before anything is shown, so
// the next pass starts from exactly the state reported now.
void MonitorCycle::Report() {
    document_.AdoptComparedList();
    SettingsStore store(registry_);
    AlertSettings alert;
    alert.independent = store.Read(settings::kIndependentWindow) != 0;
    alert.bringToFront = store.Read(settings::kShowServiceChanges) != 0;
    alert.beep = store.Read(settings::kMessageBeep) != 0;
    bool alerted = false;
    for (int i = 0;; ++i) {
        const ServiceChange* change = document_.GetChange(i);
        if (!change) break;
        bool show = true, log = true;
        if (store.OpenActionsForReading(change->name ? change->name : "")) {
            show = store.Read(settings::kDisableNotify) == 0;
            log = store.Read(settings::kDisableLog) == 0;
        }
        if (show) {
            if (!alerted) display_.Alert(alert);
            alerted = true;
            display_.Show(*change, time_.Now());
        }
        if (log) history_.WriteChange(*change);
    }
    history_.Sync();
}

// Over the services that have actions, not the ones loaded: the filters may
// hide some. Failures are silent; the next pass tries again.
void MonitorCycle::Enforce() {
    SettingsStore store(registry_);
    std::vector<std::string> names;
    store.ListServicesWithActions(&names);
    for (const std::string& name : names) {
        if (!store.OpenActionsForReading(name)) continue;
        bool running = store.Read(settings::kAlwaysRunning) != 0;
        bool stopped = store.Read(settings::kAlwaysStopped) != 0;
        if (running == stopped) continue;
        if (running)
            document_.commands.EnsureServiceRunning(name.c_str(), kEnforceAttempts);
        else
            document_.commands.EnsureServiceStopped(name.c_str(), kEnforceAttempts);
    }
}
