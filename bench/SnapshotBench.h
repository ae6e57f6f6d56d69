#pragma once
// What the snapshot file and change benchmarks share, natively and under
// Wine: a machine of generated services, timers, and the snapshot file
// benchmark itself on whatever file layer the caller gives it.
#include <functional>
#include <memory>
#include <string>

#include "platform/FileApi.h"
#include "tests/fakes/FakeScm.h"

namespace bench {

// Rounds of `ours` alternating with rounds of its baseline `bare`, each
// pair in both orders so that neither side gains from going second; the
// best of each side, in microseconds.
void BestAlternating(int rounds, const std::function<void()>& ours,
                     const std::function<void()>& bare, double* oursBest, double* bareBest);
std::string ServiceName(int i);
void AddServices(fake::Scm& scm, int count);

// A 5,000-service snapshot saved as a user saves it (temporary file, flush,
// replace) against the least a program could do to store the same bytes
// (one write to a file, flushed, moved over the old one), and read against
// reading the same bytes unformatted, in `folder` (with its trailing
// separator).
void BenchSnapshot(platform::FileSystem& files, const std::string& folder);

}  // namespace bench
