#include "tests/fakes/FakeModules.h"

#include <cstdio>
#include <cstring>

namespace fake {

namespace {
constexpr uint32_t kFileNotFound = 2;
constexpr uint32_t kBadExeFormat = 193;
constexpr uint32_t kResourceTypeNotFound = 1813;
constexpr uint32_t kInvalidHandle = 6;
// The block a fake GetFileVersionInfoA fills: a marker and the file's path.
constexpr char kBlockMarker[] = "FAKEVERSION:";
}  // namespace

Modules::Modules() {
    ModuleFile& program = files[kProgram];
    program.translation = {0x0c0a, 1252};
    program.languageName = "Spanish (modern sort)";
    program.strings[57344] = "Vantorel";
    program.versionStrings["0c0a04e4\\ProductName"] = "Vantorel";
    program.versionStrings["0c0a04e4\\FileVersion"] = "2, 1, 3, 0";
}

platform::ModuleHandle Modules::LoadLibraryA(const char* path) {
    return LoadLibraryExA(path, 0);
}

platform::ModuleHandle Modules::LoadLibraryExA(const char* path, uint32_t flags) {
    loadFlags.push_back(flags);
    auto it = files.find(path != nullptr ? path : "");
    if (it == files.end()) {
        lastError = kFileNotFound;
        return nullptr;
    }
    if (!it->second.library) {
        lastError = kBadExeFormat;
        return nullptr;
    }
    auto handle = reinterpret_cast<platform::ModuleHandle>(next_);
    next_ += 0x10000;
    loaded_[handle] = it->first;
    lastError = 0;
    return handle;
}

bool Modules::FreeLibrary(platform::ModuleHandle module) {
    if (loaded_.erase(module) == 0) {
        lastError = kInvalidHandle;
        return false;
    }
    return true;
}

int Modules::LoadStringA(platform::ModuleHandle module, unsigned id, char* buffer, int size) {
    std::string path = kProgram;
    if (module != nullptr) {
        auto it = loaded_.find(module);
        if (it == loaded_.end()) {
            lastError = kInvalidHandle;
            return 0;
        }
        path = it->second;
    }
    const ModuleFile& file = files[path];
    auto s = file.strings.find(id);
    if (s == file.strings.end() || size <= 0) {
        // No string table at all is a missing resource type; a missing
        // entry in one leaves the code as it was, as the platform does.
        if (file.strings.empty()) lastError = kResourceTypeNotFound;
        return 0;
    }
    int n = static_cast<int>(s->second.size());
    if (n > size - 1) n = size - 1;
    std::memcpy(buffer, s->second.data(), static_cast<size_t>(n));
    buffer[n] = '\0';
    return n;
}

std::string Modules::GetModuleFileNameA(platform::ModuleHandle module) {
    if (module == nullptr) return kProgram;
    auto it = loaded_.find(module);
    return it == loaded_.end() ? std::string() : it->second;
}

std::string Modules::FormatMessageA(uint32_t code) {
    auto it = messages.find(code);
    if (it != messages.end()) return it->second;
    return "System message " + std::to_string(code) + ".\r\n";
}

uint32_t Modules::GetFileVersionInfoSizeA(const char* path, uint32_t* handle) {
    if (handle != nullptr) *handle = 0;
    auto it = files.find(path);
    if (it == files.end()) {
        lastError = kFileNotFound;
        return 0;
    }
    if (!it->second.library || !it->second.hasVersion) {
        lastError = kResourceTypeNotFound;
        return 0;
    }
    return static_cast<uint32_t>(sizeof kBlockMarker + it->first.size());
}

bool Modules::GetFileVersionInfoA(const char* path, uint32_t, uint32_t size, void* data) {
    std::string block = std::string(kBlockMarker) + path;
    if (size < block.size() + 1) return false;
    std::memcpy(data, block.c_str(), block.size() + 1);
    return true;
}

bool Modules::VerQueryValueA(const void* block, const char* subBlock, void** buffer,
                             uint32_t* length) {
    const char* text = static_cast<const char*>(block);
    if (std::strncmp(text, kBlockMarker, sizeof kBlockMarker - 1) != 0) return false;
    auto it = files.find(text + sizeof kBlockMarker - 1);
    if (it == files.end()) return false;
    const ModuleFile& file = it->second;
    std::string query = subBlock;
    if (query == "\\VarFileInfo\\Translation") {
        if (file.translation.empty()) return false;
        queryResult_.assign(reinterpret_cast<const char*>(file.translation.data()),
                            file.translation.size() * 2);
        *buffer = &queryResult_[0];
        *length = static_cast<uint32_t>(queryResult_.size());
        return true;
    }
    const std::string prefix = "\\StringFileInfo\\";
    if (query.compare(0, prefix.size(), prefix) != 0) return false;
    auto value = file.versionStrings.find(query.substr(prefix.size()));
    if (value == file.versionStrings.end()) return false;
    // The real call points into the block; a copy kept here serves the
    // core just as well, since it only reads up to the terminator.
    queryResult_ = value->second;
    *buffer = &queryResult_[0];
    *length = static_cast<uint32_t>(queryResult_.size() + 1);
    return true;
}

uint32_t Modules::VerLanguageNameA(uint32_t language, char* buffer, uint32_t size) {
    std::string name = "Language Neutral";
    for (const auto& entry : files)
        if (!entry.second.translation.empty() && entry.second.translation[0] == language)
            name = entry.second.languageName;
    if (size == 0) return 0;
    size_t n = name.size() < size - 1 ? name.size() : size - 1;
    std::memcpy(buffer, name.data(), n);
    buffer[n] = '\0';
    return static_cast<uint32_t>(n);
}

}  // namespace fake
