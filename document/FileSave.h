#pragma once
#include <functional>
#include <string>

#include "platform/FileApi.h"

// Writes a whole file to `path` without ever leaving a half-written file
// there: `write` fills a temporary file of a unique name in the same
// folder, which replaces the old file only once it is complete and
// flushed, taking over the old file's attributes. On failure the old file
// is untouched, nothing is left behind, and `reason` holds the file
// system's message.
bool SaveWholeFile(platform::FileSystem& files, const std::string& path,
                   const std::function<bool(platform::File&)>& write, std::string* reason);
