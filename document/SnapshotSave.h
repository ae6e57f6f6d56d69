#pragma once
#include <string>

#include "platform/FileApi.h"
#include "platform/LocaleTime.h"
#include "scm/ServiceList.h"

// Writes a snapshot of `list` to `path` without ever leaving a half-written
// file there: the snapshot goes to a temporary file of a unique name in the
// same folder, which replaces the old one only once it is complete and
// flushed, taking over the old file's attributes. On failure the old file is
// untouched and `reason` holds the file system's message.
bool SaveSnapshot(platform::FileSystem& files, platform::LocaleTime& locale,
                  const ServiceList& list, const std::string& path, std::string* reason);

// The part of a path after its last backslash (the whole path without one).
std::string FileNameOf(const std::string& path);
