#pragma once
// The texts the program shows, process-wide: the loaded language module
// (null for the program's own texts) and its path (empty then). Set by the
// language module loader at start-up; the framework's resources and the
// text sources follow it.
#include <string>

#include "platform/ModuleApi.h"

namespace current_texts {
platform::ModuleHandle Module();
const std::string& Path();
void Set(platform::ModuleHandle module, const std::string& path);
// The file whose version information describes the texts in use: the
// module's, or the program file's.
std::string VersionFile(platform::ModuleApi& modules);
}  // namespace current_texts
