#pragma once
// Runs a flow with every platform call it makes failing in turn. A world
// (the fakes, their faulty decorators and the objects of the flow) is built
// afresh for every run; its plans are armed once it is built, so only the
// flow's own calls count. The flow runs once to count its calls per
// interface, then again for each interface, each error that interface can
// return and each call k: call k fails, the world checks what the flow
// claimed, then the platform recovers and the flow must work again. The
// clock is one of them: its reading k leaps as a machine's does that slept.
//
// A world derives from FaultPlans and has:
//   bool Run();              the flow; whether it claimed success
//   void Check(bool ok);     what must hold after a run with a failure
//   void CheckRecovered();   the flow again, on a platform that recovered
#include <gtest/gtest.h>

#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "tests/fakes/FakeFiles.h"
#include "tests/fakes/FakeModules.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeScm.h"
#include "tests/fakes/FaultyPlatform.h"

struct FaultPlans {
    fake::FaultPlan scmPlan, registryPlan, filesPlan, modulesPlan, clockPlan;
};

// The in-memory platform, and the faulty decorators the flows are given.
struct FaultWorld : FaultPlans {
    fake::Scm machine;
    fake::Registry store;
    fake::FileSystem disk;
    fake::Modules libraries;
    fake::Texts texts;
    fake::Clock ticks;
    fake::LocaleTime time;
    fake::FaultyScm scm{machine, scmPlan};
    fake::FaultyRegistry registry{store, registryPlan};
    fake::FaultyFiles files{disk, filesPlan};
    fake::FaultyModules modules{libraries, libraries, modulesPlan};
    fake::FaultyClock clock{ticks, clockPlan};

    // Once the flow's objects are gone: every handle it took was given back.
    void CheckNothingLeftOpen() {
        EXPECT_EQ(machine.OpenHandles(), 0);
        EXPECT_EQ(store.OpenHandles(), 0);
        EXPECT_EQ(libraries.Loaded(), 0);
        for (const auto& file : disk.files) EXPECT_EQ(file.second.openHandles, 0) << file.first;
    }
};

// A write cut by a full disk may leave part of a record, but never two
// records on one line: each starts a line with its type.
inline void CheckRecordLines(const std::string& text, bool closed) {
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        std::string line = text.substr(start, end - start);
        // A session starts with a line break, which ends a cut one.
        if (line.find_first_not_of('\r') == std::string::npos) continue;
        EXPECT_NE(std::string("><!*").find(line[0]), std::string::npos) << line;
        EXPECT_EQ(line.find_first_of("><!*", 1), std::string::npos) << line;
    }
    if (closed) {
        EXPECT_EQ(start, text.size()) << "the log ends in a cut line";
    }
}

struct FaultKind {
    fake::FaultPlan FaultPlans::*plan;
    const char* name;
    std::vector<uint32_t> errors;
};

// What each interface's calls fail with on a real machine.
inline const std::vector<FaultKind>& FaultKinds() {
    namespace f = fake::fault;
    static const std::vector<FaultKind> kinds{
        {&FaultPlans::scmPlan,
         "service control",
         {f::kAccessDenied, f::kServerUnavailable, f::kNotEnoughMemory}},
        {&FaultPlans::registryPlan,
         "registry",
         {f::kAccessDenied, f::kFileNotFound, f::kNotEnoughMemory}},
        {&FaultPlans::filesPlan,
         "files",
         {f::kAccessDenied, f::kDiskFull, f::kSharingViolation, f::kFileNotFound,
          f::kNotEnoughMemory}},
        {&FaultPlans::modulesPlan,
         "modules",
         {f::kFileNotFound, f::kAccessDenied, f::kNotEnoughMemory}},
        {&FaultPlans::clockPlan, "clock", {f::kSleptThrough}},
    };
    return kinds;
}

// Returns the number of runs with a failing call, and prints it.
template <typename World>
int SweepFaults(const char* flow) {
    std::vector<int> counts;
    {
        World world;
        for (const FaultKind& kind : FaultKinds()) (world.*kind.plan).Arm(0, 0);
        EXPECT_TRUE(world.Run()) << flow << " fails with nothing failing";
        for (const FaultKind& kind : FaultKinds()) counts.push_back((world.*kind.plan).Calls());
    }
    int runs = 0;
    for (size_t i = 0; i < FaultKinds().size(); ++i) {
        const FaultKind& kind = FaultKinds()[i];
        for (uint32_t error : kind.errors) {
            for (int k = 1; k <= counts[i]; ++k) {
                SCOPED_TRACE(std::string(flow) + ": " + kind.name + " call " + std::to_string(k) +
                             " fails with " + std::to_string(error));
                World world;
                fake::FaultPlan& plan = world.*kind.plan;
                plan.Arm(k, error);
                bool ok = world.Run();
                EXPECT_TRUE(plan.Fired());
                world.Check(ok);
                plan.Disarm();
                world.CheckRecovered();
                ++runs;
                // One broken rule is enough to read; the rest would repeat it.
                if (::testing::Test::HasFailure()) return runs;
            }
        }
    }
    std::cout << flow << ": " << runs << " runs, each with one failing call (";
    for (size_t i = 0; i < counts.size(); ++i)
        std::cout << (i ? ", " : "") << counts[i] << " " << FaultKinds()[i].name;
    std::cout << " calls)\n";
    return runs;
}
