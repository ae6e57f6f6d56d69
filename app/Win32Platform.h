#pragma once
// The program's one set of platform implementations.
#include "monitor/HistoryLog.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32LocaleTime.h"
#include "platform/win32/Win32Modules.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Scm.h"
#include "platform/win32/Win32TextSource.h"
#include "platform/win32/Win32Version.h"

struct Win32Platform {
    platform::Win32Scm scm;
    platform::Win32Registry registry;
    platform::Win32TextSource texts;  // follows the resource module in use
    platform::Win32Clock clock;
    platform::Win32FileSystem files;
    platform::Win32LocaleTime locale;
    platform::Win32Modules modules;
    platform::Win32Version versions;
    // The program-wide history log, open from start-up to exit when a log
    // file is set.
    HistoryLog history{files, locale, texts};
};

Win32Platform& ThePlatform();
