#pragma once
// The texts the program shows: the loaded language module (null for the
// program's own texts) and its path (empty then). The application owns
// one, set by the language module loader at start-up; the text source and
// the windows' resources follow it.
#include <string>

#include "platform/ModuleApi.h"

namespace platform {

class TextsInUse {
public:
    ModuleHandle Module() const { return module_; }
    const std::string& Path() const { return path_; }
    void Set(ModuleHandle module, const std::string& path) {
        module_ = module;
        path_ = path;
    }
    // The file whose version information describes the texts in use: the
    // module's, or the program file's.
    std::string VersionFile(ModuleApi& modules) const {
        return path_.empty() ? modules.GetModuleFileNameA(nullptr) : path_;
    }

private:
    ModuleHandle module_ = nullptr;
    std::string path_;
};

}  // namespace platform
