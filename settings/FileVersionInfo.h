#pragma once
// The version information of one file: its string items under the first
// translation listed, and the name of that translation's language.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/VersionApi.h"

class FileVersionInfo {
public:
    enum Item {
        kProductName,
        kProductVersion,
        kInternalName,
        kOriginalFilename,
        kFileDescription,
        kFileVersion,
        kComments,
        kCompanyName,
        kLegalCopyright,
        kLegalTrademarks,
        kPrivateBuild,
        kSpecialBuild,
        kItemCount
    };

    // A file without version information gives empty items.
    FileVersionInfo(platform::VersionApi& api, const std::string& path);

    // Empty without a version block, a translation or such a string.
    std::string StringItem(int item) const;
    // The platform's name for the first translation's language.
    std::string LanguageName() const;
    bool HasVersionBlock() const { return !block_.empty(); }
    uint16_t Language() const { return language_; }
    uint16_t CodePage() const { return codePage_; }

private:
    platform::VersionApi& api_;
    std::vector<char> block_;
    uint16_t language_ = 0;
    uint16_t codePage_ = 0;
    bool translated_ = false;
};
