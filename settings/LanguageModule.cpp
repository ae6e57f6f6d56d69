#include "settings/LanguageModule.h"

#include "platform/MessageText.h"
#include "res/resource.h"
#include "settings/FileVersionInfo.h"

LanguageModule::LanguageModule(platform::RegistryApi& registry, platform::ModuleApi& modules,
                               platform::VersionApi& versions, platform::TextSource& texts,
                               std::string settingsRoot)
    : registry_(registry),
      modules_(modules),
      versions_(versions),
      texts_(texts),
      root_(std::move(settingsRoot)) {}

std::string LanguageModule::SystemMessage(uint32_t code, const std::string& path) {
    // A failure the platform left without a code still needs a reason
    // that does not read as success.
    std::string text =
        modules_.FormatMessageA(code != 0 ? code : platform::module::kResourceNameNotFound);
    // The system's texts for load failures name the file as insert %1
    // ("%1 is not a valid Win32 application."); the platform leaves it
    // unfilled, so it is filled here, with or without a "!s!" format.
    const std::string name = FileNameOf(path);
    std::string filled;
    for (size_t i = 0; i < text.size();) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '%') {
            filled += "%%";
            i += 2;
        } else if (text.compare(i, 2, "%1") == 0 &&
                   (i + 2 == text.size() || text[i + 2] < '0' || text[i + 2] > '9')) {
            filled += name;
            i += 2;
            size_t close = text[i] == '!' ? text.find('!', i + 1) : std::string::npos;
            if (close != std::string::npos) i = close + 1;
        } else {
            filled += text[i++];
        }
    }
    return filled;
}

std::string LanguageModule::FileNameOf(const std::string& path) {
    size_t slash = path.rfind('\\');
    if (slash == std::string::npos || slash == 0) return path;
    return path.substr(slash + 1);
}

bool LanguageModule::Validate(const std::string& path) {
    error_.clear();
    platform::ModuleHandle module =
        modules_.LoadLibraryExA(path.c_str(), platform::module::kLoadAsDatafile);
    if (module == nullptr) {
        error_ = SystemMessage(modules_.GetLastError(), path);
        return false;
    }
    char title[256];
    int length = modules_.LoadStringA(module, kTitleId, title, sizeof title);
    if (length <= 0) {
        error_ = SystemMessage(modules_.GetLastError(), path);
        modules_.FreeLibrary(module);
        return false;
    }
    if (length > static_cast<int>(sizeof title) - 1) length = sizeof title - 1;
    bool sameTitle = std::string(title, static_cast<size_t>(length)) == texts_.Text(kTitleId);
    modules_.FreeLibrary(module);
    if (!sameTitle) {
        error_ = texts_.Text(IDS_LANGUAGE_BAD_FORMAT);
        return false;
    }
    FileVersionInfo own(versions_, modules_.GetModuleFileNameA(nullptr));
    FileVersionInfo theirs(versions_, path);
    if (own.StringItem(FileVersionInfo::kFileVersion) !=
        theirs.StringItem(FileVersionInfo::kFileVersion)) {
        error_ = texts_.Text(IDS_LANGUAGE_BAD_VERSION);
        return false;
    }
    return true;
}

bool LanguageModule::Load(const std::string& path, platform::TextsInUse& inUse) {
    attempted_ = path;
    if (!Validate(path)) return false;
    platform::ModuleHandle module = modules_.LoadLibraryExA(path.c_str(), kLoadFlags);
    if (module == nullptr) {
        error_ = SystemMessage(modules_.GetLastError(), path);
        return false;
    }
    platform::ModuleHandle previous = inUse.Module();
    inUse.Set(module, path);
    if (previous != nullptr && previous != module) modules_.FreeLibrary(previous);
    return true;
}

bool LanguageModule::LoadAtStartup(platform::TextsInUse& inUse) {
    error_.clear();
    attempted_.clear();
    SettingsStore store(registry_, root_);
    if (!store.OpenLanguage()) return true;
    std::string chosen = store.ReadChosenLanguage();
    store.Close();
    if (chosen.empty()) return true;
    return Load(chosen, inUse);
}

bool LanguageModule::Install(const std::string& path) {
    error_.clear();
    SettingsStore store(registry_, root_);
    if (!store.OpenLanguage()) {
        error_ = texts_.Text(IDS_REGISTRY_ERROR);
        return false;
    }
    if (!Validate(path)) return false;
    if (!store.AddLanguageModule(path)) {
        error_ = texts_.Text(IDS_REGISTRY_ERROR);
        return false;
    }
    return true;
}

bool LanguageModule::Uninstall(const std::string& path) {
    error_.clear();
    SettingsStore store(registry_, root_);
    if (!store.OpenLanguage() || !store.DeleteValue(path)) {
        error_ = texts_.Text(IDS_REGISTRY_ERROR);
        return false;
    }
    return true;
}

std::string LanguageModule::DefaultLanguageName() {
    return FileVersionInfo(versions_, modules_.GetModuleFileNameA(nullptr)).LanguageName();
}

std::string LanguageModule::LanguageNameOf(const std::string& path) {
    if (path.empty()) return DefaultLanguageName();
    return FileVersionInfo(versions_, path).LanguageName();
}

std::string LanguageModule::StartupFailureMessage() {
    std::string name = DefaultLanguageName();
    return FileNameOf(attempted_) + ": " + error_ + "\r\n\n\n" +
           FormatText(texts_.Text(IDS_LANGUAGE_DEFAULT_START), name.c_str());
}
