#pragma once
// The platform as the program's windows and document use it: one reference
// per interface. The application hands it down to what it creates; tests
// and benchmarks hand down their own (in-memory, counting) implementations.
#include "platform/Clock.h"
#include "platform/ElevationApi.h"
#include "platform/FileApi.h"
#include "platform/LocaleTime.h"
#include "platform/ModuleApi.h"
#include "platform/RegistryApi.h"
#include "platform/ScmApi.h"
#include "platform/TextSource.h"
#include "platform/VersionApi.h"

namespace platform {

struct Platform {
    ScmApi& scm;
    RegistryApi& registry;
    TextSource& texts;
    Clock& clock;
    FileSystem& files;
    LocaleTime& locale;
    ModuleApi& modules;
    VersionApi& versions;
    ElevationApi& elevation;
};

}  // namespace platform
