#include "settings/FileVersionInfo.h"

#include <cstdio>
#include <cstring>

namespace {
const char* const kItemNames[FileVersionInfo::kItemCount] = {
    "ProductName",     "ProductVersion",  "InternalName", "OriginalFilename",
    "FileDescription", "FileVersion",     "Comments",     "CompanyName",
    "LegalCopyright",  "LegalTrademarks", "PrivateBuild", "SpecialBuild",
};
}  // namespace

FileVersionInfo::FileVersionInfo(platform::VersionApi& api, const std::string& path) : api_(api) {
    uint32_t handle = 0;
    uint32_t size = api_.GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size == 0) return;
    block_.assign(size, '\0');
    if (!api_.GetFileVersionInfoA(path.c_str(), handle, size, block_.data())) {
        block_.clear();
        return;
    }
    void* data = nullptr;
    uint32_t length = 0;
    if (api_.VerQueryValueA(block_.data(), "\\VarFileInfo\\Translation", &data, &length) &&
        data != nullptr && length >= 4) {
        uint16_t entry[2];
        std::memcpy(entry, data, 4);
        language_ = entry[0];
        codePage_ = entry[1];
        translated_ = true;
    }
}

std::string FileVersionInfo::StringItem(int item) const {
    if (item < 0 || item >= kItemCount || block_.empty() || !translated_) return std::string();
    char query[96];
    std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%s", language_, codePage_,
                  kItemNames[item]);
    void* data = nullptr;
    uint32_t length = 0;
    if (!api_.VerQueryValueA(block_.data(), query, &data, &length) || data == nullptr)
        return std::string();
    // Up to the terminator, and never past the length the platform gave.
    const char* text = static_cast<const char*>(data);
    return std::string(text, strnlen(text, length));
}

std::string FileVersionInfo::LanguageName() const {
    char name[256] = {};
    uint32_t n = api_.VerLanguageNameA(language_, name, sizeof name);
    // Some platforms count the terminator in the length: read up to it.
    return std::string(name, strnlen(name, n < sizeof name ? n : sizeof name));
}
