#pragma once
// One monitor pass, decided without a window: the document compares the
// machine's services with its reference; every change is shown (unless its
// service's actions say not to) and logged (likewise); then every service
// marked always running or always stopped is brought to that state.
#include <functional>
#include <string>
#include <vector>

#include "document/ServicesDocument.h"
#include "monitor/HistoryLog.h"
#include "platform/LocaleTime.h"
#include "platform/RegistryApi.h"

// How the first shown change of a pass is to be signalled.
struct AlertSettings {
    bool beep = false;         // play the alert sound
    bool independent = true;   // the window stands alone rather than owned by the main one
    bool bringToFront = true;  // the window comes to the front
};

// What a pass shows the user; the window layer does it.
class ChangeDisplay {
public:
    virtual ~ChangeDisplay() = default;
    // Once per pass, before its first shown change: the alert image on the
    // notification-area icon, the sound, and the changed services window.
    virtual void Alert(const AlertSettings& settings) = 0;
    // A change to show, detected at `when`; the display keeps its own copy.
    virtual void Show(const ServiceChange& change, const platform::LocalDateTime& when) = 0;
};

class MonitorCycle {
public:
    MonitorCycle(ServicesDocument& document, platform::RegistryApi& registry,
                 platform::LocaleTime& time, HistoryLog& history, ChangeDisplay& display)
        : document_(document),
          registry_(registry),
          time_(time),
          history_(history),
          display_(display) {}

    // Attempts of one enforcement.
    static constexpr int kEnforceAttempts = 10;

    // Where a pass's waits on the platform run (the comparison's reading of
    // the machine, the enforcement's commands): false when the program ended
    // meanwhile, and the pass stops there. Without one, in place.
    using PlatformRunner = std::function<bool(std::function<void()> work)>;
    void Tick(const PlatformRunner& run = {});
    // Off: always running and always stopped are left to the program.
    void SetEnforcement(bool on) { enforce_ = on; }

private:
    void Report(const std::vector<std::string>& withActions);
    static void Enforce(ServicesDocument& document, platform::RegistryApi& registry,
                        const std::vector<std::string>& withActions);

    ServicesDocument& document_;
    platform::RegistryApi& registry_;
    platform::LocaleTime& time_;
    HistoryLog& history_;
    ChangeDisplay& display_;
    bool enforce_ = true;
};
