#pragma once
// The platform as the program's windows and document use it: one reference
// per interface. The application hands it down to what it creates; tests
// and benchmarks hand down their own (in-memory, counting) implementations.
#include "platform/Clock.h"
#include "platform/CodePageApi.h"
#include "platform/ElevationApi.h"
#include "platform/FileApi.h"
#include "platform/LocaleTime.h"
#include "platform/ModuleApi.h"
#include "platform/RegistryApi.h"
#include "platform/ScmApi.h"
#include "platform/SoundApi.h"
#include "platform/TextSource.h"
#include "platform/TextsInUse.h"
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
    SoundApi& sound;
    CodePageApi& codePage;
    // Not a call of the platform: which texts it reads, followed by `texts`.
    TextsInUse& textsInUse;

    // The same platform with one interface replaced: tests and benchmarks put
    // a decorator or a fake over one of them.
    Platform With(ScmApi& other) const {
        return {other,   registry, texts,     clock, files,    locale,
                modules, versions, elevation, sound, codePage, textsInUse};
    }
    Platform With(RegistryApi& other) const {
        return {scm,     other,    texts,     clock, files,    locale,
                modules, versions, elevation, sound, codePage, textsInUse};
    }
    Platform With(FileSystem& other) const {
        return {scm,     registry, texts,     clock, other,    locale,
                modules, versions, elevation, sound, codePage, textsInUse};
    }
    Platform With(ElevationApi& other) const {
        return {scm,     registry, texts, clock, files,    locale,
                modules, versions, other, sound, codePage, textsInUse};
    }
    Platform With(SoundApi& other) const {
        return {scm,     registry, texts,     clock, files,    locale,
                modules, versions, elevation, other, codePage, textsInUse};
    }
    Platform With(CodePageApi& other) const {
        return {scm,     registry, texts,     clock, files, locale,
                modules, versions, elevation, sound, other, textsInUse};
    }
};

}  // namespace platform
