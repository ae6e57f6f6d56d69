#pragma once
// The real platform: one object of each Win32 implementation.
#include "platform/Platform.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32CodePage.h"
#include "platform/win32/Win32Elevation.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32LocaleTime.h"
#include "platform/win32/Win32Modules.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Scm.h"
#include "platform/win32/Win32Sound.h"
#include "platform/win32/Win32TextSource.h"
#include "platform/win32/Win32Version.h"

namespace platform {

struct Win32Platform {
    Win32Scm scm;
    Win32Registry registry;
    TextsInUse textsInUse;
    Win32TextSource texts{textsInUse};
    Win32Clock clock;
    Win32FileSystem files;
    Win32LocaleTime locale;
    Win32Modules modules;
    Win32Version versions;
    Win32Elevation elevation;
    Win32Sound sound;
    Win32CodePage codePage;

    Platform Interfaces() {
        return Platform{scm,     registry, texts,     clock, files,    locale,
                        modules, versions, elevation, sound, codePage, textsInUse};
    }
};

}  // namespace platform
