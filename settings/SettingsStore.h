#pragma once
// The one place that knows the program's registry layout: key paths, value
// names, types and defaults. Short-lived: open the sub-key you need, read or
// write, let it go. Nothing is cached.
#include <string>
#include <vector>

#include "platform/RegistryApi.h"
#include "settings/RegistryKey.h"
#include "settings/WindowPlacement.h"

namespace settings {

enum class Section { None, Configuration, OpenServices, Language, LogFile, Actions, Run };

// A DWORD value: where it lives, its name and what a missing value reads as.
struct DwordValue {
    Section section;
    const char* name;
    int def;
};

constexpr DwordValue kActive{Section::Configuration, "Active", 1};
constexpr DwordValue kInactive{Section::Configuration, "Inactive", 1};
constexpr DwordValue kWin32{Section::Configuration, "Win32", 1};
constexpr DwordValue kDriver{Section::Configuration, "Driver", 0};
constexpr DwordValue kShowTrayIcon{Section::Configuration, "ShowTrayIcon", 0};
constexpr DwordValue kHideOnMinimize{Section::Configuration, "HideOnMinimize", 0};
constexpr DwordValue kRunMinimized{Section::Configuration, "RunMinimized", 0};
constexpr DwordValue kIndependentWindow{Section::Configuration, "IndependentWindow", 1};
constexpr DwordValue kShowServiceChanges{Section::Configuration, "ShowServiceChanges", 1};
constexpr DwordValue kMessageBeep{Section::Configuration, "MessageBeep", 0};
constexpr DwordValue kCompareType{Section::Configuration, "CompareType", 0};
constexpr DwordValue kCompareTimer{Section::Configuration, "CompareTimer", 60000};
constexpr DwordValue kRememberPlacement{Section::Configuration, "RememberPlacement", 0};
constexpr DwordValue kShowColumns{Section::Configuration, "ShowColumns", 7};
constexpr DwordValue kMaxRemote{Section::OpenServices, "MaxRemote", 10};
constexpr DwordValue kAutoDelete{Section::LogFile, "AutoDelete", 0};
constexpr DwordValue kAlwaysRunning{Section::Actions, "AlwaysRunning", 0};
constexpr DwordValue kAlwaysStopped{Section::Actions, "AlwaysStopped", 0};
constexpr DwordValue kDisableNotify{Section::Actions, "DisableNotify", 0};
constexpr DwordValue kDisableLog{Section::Actions, "DisableLOG", 0};

constexpr const char* kMainWindowPlacement = "MainWindowPlacement";
constexpr const char* kChangesWindowPlacement = "ChangesWindowPlacement";

constexpr const char* kRootPath = "Software\\Quorvex\\Larkspan\\Vantorel";
constexpr const char* kRunPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kApplicationName = "Vantorel";
constexpr int kColumnCount = 6;

}  // namespace settings

class SettingsStore {
public:
    // `root` and `runPath` are relative to HKEY_CURRENT_USER; tests point
    // them elsewhere so they never touch a user's own settings.
    explicit SettingsStore(platform::RegistryApi& api, std::string root = settings::kRootPath,
                           std::string runPath = settings::kRunPath);

    // The framework's own profile key, under HKEY_CURRENT_USER\Software.
    static const char* FrameworkKeyName() { return "Quorvex\\Larkspan"; }

    // Each opens (creating it and the root when missing) one sub-key,
    // closing the one open before.
    bool OpenConfiguration();
    bool OpenOpenServices();
    bool OpenLanguage();
    bool OpenLogFile();
    void Close();
    long LastResult() const { return key_.LastResult(); }

    // A value, read or written in one step: its own section is opened for
    // it (the open one is closed first when it is another), so a value can
    // never be taken from the wrong section. Values of a service's actions
    // need that service's section open. A missing value reads as its
    // default; `withoutKey` is what a section that cannot be opened gives.
    int Read(const settings::DwordValue& value);
    int Read(const settings::DwordValue& value, int withoutKey);
    bool Write(const settings::DwordValue& value, int data);

    // Configuration: window placements, the list view's columns.
    bool ReadPlacement(const char* name, WindowPlacement* placement);
    bool WritePlacement(const char* name, const WindowPlacement* placement);
    // Column 0 (the name) is always visible; columns past the mask are not.
    bool IsColumnVisible(int column);
    // Columns 0, 1, ... as `visible` says (the name column always); the
    // columns past them keep what they had.
    bool SetColumnsVisible(const std::vector<bool>& visible);

    // OpenServices: the remote machine list.
    int GetMaxRemote();
    std::string ReadRemoteSlot(int slot);
    bool WriteRemoteSlot(int slot, const std::string& machine);
    // Deletes the slot and the alias of the machine it held.
    bool DeleteRemoteSlot(int slot);
    std::string ReadAlias(const std::string& machine);
    bool WriteAlias(const std::string& machine, const std::string& alias);
    bool DeleteValue(const std::string& name);

    // Language: the chosen module (the default value) and the installed ones.
    std::string ReadChosenLanguage();
    bool WriteChosenLanguage(const std::string& path);
    std::vector<std::string> ListLanguageModules();
    bool AddLanguageModule(const std::string& path);

    // LogFile.
    std::string ReadLogFilePath();
    bool WriteLogFilePath(const std::string& path);

    // CustomActions\<service>: present only while one of its four flags is on.
    bool OpenActionsForWriting(const std::string& service);
    // Fails when the service has no actions.
    bool OpenActionsForReading(const std::string& service);
    bool DeleteActions(const std::string& service);
    int ListServicesWithActions(std::vector<std::string>* services);

    // Start at logon: the Run value named after the program holds exactly
    // `launchPath` (the program file's full path).
    bool IsStartAtLogon(const std::string& launchPath);
    bool SetStartAtLogon(bool on, const std::string& launchPath);

private:
    bool OpenSection(settings::Section section, const char* subKey);
    // The section open now, or opened for a value of it.
    bool Enter(settings::Section section);
    bool In(settings::Section section) const { return key_.IsOpen() && open_ == section; }
    std::string ReadString(settings::Section section, const char* name, const std::string& def);
    bool WriteString(settings::Section section, const char* name, const std::string& text);

    std::string root_;
    std::string runPath_;
    RegistryKey key_;
    settings::Section open_ = settings::Section::None;
};
