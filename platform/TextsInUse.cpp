#include "platform/TextsInUse.h"

namespace {
platform::ModuleHandle g_module = nullptr;
std::string& PathText() {
    static std::string path;
    return path;
}
}  // namespace

namespace current_texts {
platform::ModuleHandle Module() {
    return g_module;
}
const std::string& Path() {
    return PathText();
}
void Set(platform::ModuleHandle module, const std::string& path) {
    g_module = module;
    PathText() = path;
}
std::string VersionFile(platform::ModuleApi& modules) {
    return Path().empty() ? modules.GetModuleFileNameA(nullptr) : Path();
}
}  // namespace current_texts
