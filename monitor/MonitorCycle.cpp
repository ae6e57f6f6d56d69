#include "monitor/MonitorCycle.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "settings/SettingsStore.h"

// Enforcement runs on every pass, whether the comparison found changes or
// could run at all.
// The work handed to `run` holds nothing of the pass: a program that ends
// while it waits leaves it to finish on its own.
void MonitorCycle::Tick(const PlatformRunner& run) {
    auto runs = [&run](std::function<void()> work) {
        if (run) return run(std::move(work));
        work();
        return true;
    };
    // The services that have actions, read once for both phases.
    std::vector<std::string> withActions;
    SettingsStore(registry_).ListServicesWithActions(&withActions);
    auto compared = std::make_shared<bool>(false);
    ServicesDocument* document = &document_;
    if (!runs([compared, document] { *compared = document->CompareWithReference(); })) return;
    if (*compared && document_.GetChangeCount() > 0) Report(withActions);
    if (!enforce_) return;
    platform::RegistryApi* registry = &registry_;
    runs([document, registry, withActions] { Enforce(*document, *registry, withActions); });
}

namespace {
bool IsAscii(const char* text) {
    for (; *text; ++text)
        if (static_cast<unsigned char>(*text) >= 0x80) return false;
    return true;
}

// Registry key names are compared without regard to case; beyond ASCII
// only the registry knows, so such a name is always looked up.
struct NoCase {
    bool operator()(const std::string& a, const std::string& b) const {
        return std::lexicographical_compare(
            a.begin(), a.end(), b.begin(), b.end(),
            [](unsigned char x, unsigned char y) { return std::tolower(x) < std::tolower(y); });
    }
};
}  // namespace

// The list just compared becomes the reference before anything is shown, so
// the next pass starts from exactly the state reported now.
void MonitorCycle::Report(const std::vector<std::string>& listed) {
    document_.AdoptComparedList();
    SettingsStore store(registry_);
    AlertSettings alert;
    alert.independent = store.Read(settings::kIndependentWindow) != 0;
    alert.bringToFront = store.Read(settings::kShowServiceChanges) != 0;
    alert.beep = store.Read(settings::kMessageBeep) != 0;
    // Only a service with actions has a key to open: the others are told
    // without a registry call each.
    std::set<std::string, NoCase> withActions(listed.begin(), listed.end());
    bool alerted = false;
    for (int i = 0;; ++i) {
        const ServiceChange* change = document_.GetChange(i);
        if (!change) break;
        const char* name = change->name ? change->name : "";
        bool show = true, log = true;
        bool mayHave = withActions.count(name) != 0 || !IsAscii(name);
        if (mayHave && store.OpenActionsForReading(name)) {
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
void MonitorCycle::Enforce(ServicesDocument& document, platform::RegistryApi& registry,
                           const std::vector<std::string>& names) {
    SettingsStore store(registry);
    for (const std::string& name : names) {
        if (!store.OpenActionsForReading(name)) continue;
        bool running = store.Read(settings::kAlwaysRunning) != 0;
        bool stopped = store.Read(settings::kAlwaysStopped) != 0;
        if (running == stopped) continue;
        if (running)
            document.commands.EnsureServiceRunning(name.c_str(), kEnforceAttempts);
        else
            document.commands.EnsureServiceStopped(name.c_str(), kEnforceAttempts);
    }
}
