#pragma once
// Language modules: libraries that carry the program's resources in another
// language. A module is valid only for this program (same application
// title) and this build (same file version text).
#include <string>

#include "platform/ModuleApi.h"
#include "platform/RegistryApi.h"
#include "platform/TextSource.h"
#include "platform/TextsInUse.h"
#include "platform/VersionApi.h"
#include "settings/SettingsStore.h"

class LanguageModule {
public:
    // The program's application title, the string both must share.
    static constexpr unsigned kTitleId = 57344;

    // `texts` are the program's texts in use (the error texts and the title
    // to compare with). `settingsRoot` is the program's settings key.
    LanguageModule(platform::RegistryApi& registry, platform::ModuleApi& modules,
                   platform::VersionApi& versions, platform::TextSource& texts,
                   std::string settingsRoot = settings::kRootPath);

    // The chosen module, if any; true with the built-in texts when none is
    // chosen or the settings cannot be read.
    bool LoadAtStartup(platform::TextsInUse& inUse);
    bool Load(const std::string& path, platform::TextsInUse& inUse);
    bool Validate(const std::string& path);
    bool Install(const std::string& path);
    bool Uninstall(const std::string& path);

    std::string DefaultLanguageName();
    // The default language's name for an empty path.
    std::string LanguageNameOf(const std::string& path);
    const std::string& GetErrorText() const { return error_; }
    // What start-up shows when the chosen module failed to load: its file
    // name, the reason and the sentence naming the language used instead.
    std::string StartupFailureMessage();

    // The part of `path` after its last backslash; the whole path when there
    // is none or it comes first.
    static std::string FileNameOf(const std::string& path);

    // How a chosen module is loaded: as resources only, so that none of its
    // code runs.
    static constexpr uint32_t kLoadFlags =
        platform::module::kLoadAsImageResource | platform::module::kLoadAsDatafile;

private:
    // The system's message for `code`, its file insert filled with the
    // file name of `path`.
    std::string SystemMessage(uint32_t code, const std::string& path);

    platform::RegistryApi& registry_;
    platform::ModuleApi& modules_;
    platform::VersionApi& versions_;
    platform::TextSource& texts_;
    std::string root_;
    std::string error_;
    std::string attempted_;
};
