#pragma once
// What the application owns and hands to the windows it creates: the
// platform, the history log, the resources and how the program was started.
#include <string>

#include "framework/Resources.h"
#include "monitor/HistoryLog.h"
#include "platform/Platform.h"

struct AppContext {
    AppContext(platform::Platform platformIn, HistoryLog& historyIn)
        : platform(platformIn), history(historyIn), resources(platformIn.textsInUse) {}

    platform::Platform platform;
    HistoryLog& history;
    // The texts, pictures and menus of the texts in use, for every window.
    Resources resources;
    // Started by an automation client: no notification-area icon, no timers.
    bool automation = false;
    // The history log opened at start-up.
    bool logOpen = false;
    // The program file's full path, as the start-at-logon entry holds it.
    std::string launchPath;
};
