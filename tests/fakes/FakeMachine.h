#pragma once
// A machine like a Windows 11 workstation, built the same on every run: at
// scale 1 about 300 services of every kind (own and shared processes,
// interactive ones, per-user templates and their instances, kernel and
// file-system drivers, recognizers, adapters), in every state and start
// type, delayed and trigger starts, groups with tags, dependencies several
// levels deep, long descriptions and display names with letters of the
// ANSI code page beyond ASCII, and a few whose configuration is refused.
// Scale 10 and 100 give 3,000 and 30,000 services of the same mix.
#include <cstdint>

#include "tests/fakes/FakeScm.h"

namespace fake {

// What was built, by kind, for tests to compare with what they see.
struct Workstation {
    uint32_t services = 0;
    uint32_t win32 = 0;
    uint32_t drivers = 0;
    uint32_t adapters = 0;  // no enumeration of services or drivers lists them
    uint32_t userTemplates = 0;
    uint32_t userInstances = 0;
    uint32_t delayed = 0;    // automatic with the delayed flag
    uint32_t triggered = 0;  // manual with start triggers
    uint32_t denied = 0;
    uint32_t deepestDependency = 0;  // services in the longest chain
};

constexpr uint32_t kWorkstationServices = 300;

Workstation AddWorkstation(Scm& scm, uint32_t scale = 1);

}  // namespace fake
