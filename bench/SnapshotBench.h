#pragma once
// What the snapshot file and change benchmarks share, natively and under
// Wine: a machine of generated services, a timer, and the snapshot file
// benchmark itself on whatever file layer the caller opens files with.
#include <functional>
#include <memory>
#include <string>

#include "platform/FileApi.h"
#include "tests/fakes/FakeScm.h"

namespace bench {

// Best of `rounds`, in microseconds.
double Best(int rounds, const std::function<void()>& work);
std::string ServiceName(int i);
void AddServices(fake::Scm& scm, int count);

// Opens a file for writing (created or truncated) or for reading.
using FileOpener =
    std::function<std::unique_ptr<platform::File>(const std::string& path, bool write)>;

// Write and Read of a 5,000-service snapshot against writing and reading
// the same bytes unformatted, in `folder` (with its trailing separator).
void BenchSnapshot(const FileOpener& open, const std::string& folder);

}  // namespace bench
