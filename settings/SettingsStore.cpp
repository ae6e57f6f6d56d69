#include "settings/SettingsStore.h"

#include <cstdio>

using settings::Section;
namespace reg = platform::reg;

SettingsStore::SettingsStore(platform::RegistryApi& api, std::string root, std::string runPath)
    : root_(std::move(root)), runPath_(std::move(runPath)), key_(api) {}

bool SettingsStore::OpenSection(Section section, const char* subKey) {
    open_ = Section::None;
    if (!key_.Open(reg::CurrentUser(), (root_ + subKey).c_str(), true)) return false;
    open_ = section;
    return true;
}

bool SettingsStore::OpenConfiguration() {
    return OpenSection(Section::Configuration, "\\Configuration");
}
bool SettingsStore::OpenOpenServices() {
    return OpenSection(Section::OpenServices, "\\OpenServices");
}
bool SettingsStore::OpenLanguage() {
    return OpenSection(Section::Language, "\\Language");
}
bool SettingsStore::OpenLogFile() {
    return OpenSection(Section::LogFile, "\\LogFile");
}

void SettingsStore::Close() {
    key_.Close();
    open_ = Section::None;
}

bool SettingsStore::Enter(Section section) {
    if (In(section)) return true;
    switch (section) {
        case Section::Configuration:
            return OpenConfiguration();
        case Section::OpenServices:
            return OpenOpenServices();
        case Section::Language:
            return OpenLanguage();
        case Section::LogFile:
            return OpenLogFile();
        default:
            return false;  // a service's actions need its name
    }
}

int SettingsStore::Read(const settings::DwordValue& value) {
    return Read(value, value.def);
}

int SettingsStore::Read(const settings::DwordValue& value, int withoutKey) {
    return Enter(value.section) ? key_.ReadDword(value.name, value.def) : withoutKey;
}

bool SettingsStore::Write(const settings::DwordValue& value, int data) {
    return Enter(value.section) && key_.WriteDword(value.name, data);
}

std::string SettingsStore::ReadString(Section section, const char* name, const std::string& def) {
    return Enter(section) ? key_.ReadString(name, def) : def;
}

bool SettingsStore::WriteString(Section section, const char* name, const std::string& text) {
    return Enter(section) && key_.WriteString(name, text);
}

bool SettingsStore::ReadPlacement(const char* name, WindowPlacement* placement) {
    if (placement == nullptr) return false;
    return ParsePlacement(ReadString(Section::Configuration, name, std::string()), placement);
}

bool SettingsStore::WritePlacement(const char* name, const WindowPlacement* placement) {
    if (placement == nullptr) return false;
    return WriteString(Section::Configuration, name, FormatPlacement(*placement));
}

bool SettingsStore::IsColumnVisible(int column) {
    if (column < 0 || column >= 32) return false;
    uint32_t mask = static_cast<uint32_t>(Read(settings::kShowColumns)) | 1u;
    return (mask >> column) & 1u;
}

// One read and one write for the whole set: a read between the writes of
// single columns that failed would start the later ones from the default
// and lose the earlier ones. A read refused for another reason than a
// missing value writes nothing.
bool SettingsStore::SetColumnsVisible(const std::vector<bool>& visible) {
    settings::DwordValue columns = settings::kShowColumns;
    columns.def = 1;
    if (!Enter(columns.section)) return false;
    uint32_t mask = static_cast<uint32_t>(key_.ReadDword(columns.name, columns.def));
    long read = key_.LastResult();
    if (read != platform::reg::kSuccess && read != platform::reg::kFileNotFound) return false;
    for (size_t column = 0; column < visible.size() && column < 32; ++column) {
        if (visible[column] || column == 0)
            mask |= 1u << column;
        else
            mask &= ~(1u << column);
    }
    return Write(columns, static_cast<int>(mask));
}

int SettingsStore::GetMaxRemote() {
    int max = Read(settings::kMaxRemote);
    if (max < 0) return 1;
    return max > 1000 ? 1000 : max;
}

namespace {
std::string SlotName(int slot) {
    char name[32];
    std::snprintf(name, sizeof name, "Remote%03d", slot);
    return name;
}
}  // namespace

std::string SettingsStore::ReadRemoteSlot(int slot) {
    return ReadString(Section::OpenServices, SlotName(slot).c_str(), std::string());
}

bool SettingsStore::WriteRemoteSlot(int slot, const std::string& machine) {
    return WriteString(Section::OpenServices, SlotName(slot).c_str(), machine);
}

bool SettingsStore::DeleteRemoteSlot(int slot) {
    if (!In(Section::OpenServices)) return false;
    std::string machine = ReadRemoteSlot(slot);
    // A machine without an alias has no value to delete; that is no failure.
    if (!machine.empty()) key_.DeleteValue(machine.c_str());
    return key_.DeleteValue(SlotName(slot).c_str());
}

std::string SettingsStore::ReadAlias(const std::string& machine) {
    return ReadString(Section::OpenServices, machine.c_str(), machine);
}

bool SettingsStore::WriteAlias(const std::string& machine, const std::string& alias) {
    return WriteString(Section::OpenServices, machine.c_str(), alias);
}

bool SettingsStore::DeleteValue(const std::string& name) {
    return key_.IsOpen() && key_.DeleteValue(name.c_str());
}

std::string SettingsStore::ReadChosenLanguage() {
    return ReadString(Section::Language, nullptr, std::string());
}

bool SettingsStore::WriteChosenLanguage(const std::string& path) {
    return WriteString(Section::Language, nullptr, path);
}

std::vector<std::string> SettingsStore::ListLanguageModules() {
    std::vector<std::string> paths;
    if (!Enter(Section::Language)) return paths;
    std::string name;
    for (uint32_t i = 0;; ++i) {
        if (key_.EnumValueName(i, &name)) {
            if (!name.empty()) paths.push_back(name);
        } else if (key_.LastResult() != reg::kMoreData) {
            break;  // a name too long to read hides none of those after it
        }
    }
    return paths;
}

bool SettingsStore::AddLanguageModule(const std::string& path) {
    // The default value is the choice, not a module.
    if (path.empty()) return false;
    return WriteString(Section::Language, path.c_str(), std::string());
}

std::string SettingsStore::ReadLogFilePath() {
    return ReadString(Section::LogFile, "LogFilePath", std::string());
}

bool SettingsStore::WriteLogFilePath(const std::string& path) {
    return WriteString(Section::LogFile, "LogFilePath", path);
}

bool SettingsStore::OpenActionsForWriting(const std::string& service) {
    open_ = Section::None;
    // An empty name would open CustomActions itself.
    if (service.empty()) return false;
    if (!key_.Open(reg::CurrentUser(), (root_ + "\\CustomActions\\" + service).c_str(), true))
        return false;
    open_ = Section::Actions;
    return true;
}

bool SettingsStore::OpenActionsForReading(const std::string& service) {
    open_ = Section::None;
    if (service.empty()) {
        key_.Close();
        return false;
    }
    if (!key_.Open(reg::CurrentUser(), (root_ + "\\CustomActions\\" + service).c_str(), false))
        return false;
    open_ = Section::Actions;
    return true;
}

bool SettingsStore::DeleteActions(const std::string& service) {
    open_ = Section::None;
    if (!key_.Open(reg::CurrentUser(), (root_ + "\\CustomActions").c_str(), false))
        return key_.LastResult() == reg::kFileNotFound;
    if (service.empty()) return false;
    // The sub-key is opened with create on its way to deletion, so a service
    // without actions succeeds too.
    return key_.DeleteKeyTree(service.c_str());
}

int SettingsStore::ListServicesWithActions(std::vector<std::string>* services) {
    services->clear();
    open_ = Section::None;
    if (!key_.Open(reg::CurrentUser(), (root_ + "\\CustomActions").c_str(), false)) return 0;
    std::string name;
    for (uint32_t i = 0;; ++i) {
        if (key_.EnumSubKeyName(i, &name))
            services->push_back(name);
        else if (key_.LastResult() != reg::kMoreData)
            break;
    }
    key_.Close();
    return static_cast<int>(services->size());
}

bool SettingsStore::IsStartAtLogon(const std::string& launchPath) {
    open_ = Section::None;
    if (!key_.Open(reg::CurrentUser(), runPath_.c_str(), true)) return false;
    open_ = Section::Run;
    std::string stored = key_.ReadString(settings::kApplicationName, std::string());
    return !launchPath.empty() && stored == launchPath;
}

bool SettingsStore::SetStartAtLogon(bool on, const std::string& launchPath) {
    open_ = Section::None;
    if (!key_.Open(reg::CurrentUser(), runPath_.c_str(), true)) return false;
    open_ = Section::Run;
    if (on) return !launchPath.empty() && key_.WriteString(settings::kApplicationName, launchPath);
    // Already off is off.
    return key_.DeleteValue(settings::kApplicationName) || key_.LastResult() == reg::kFileNotFound;
}
