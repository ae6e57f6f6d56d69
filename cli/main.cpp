// The console program: the same core as the windows, for scripts.
#include <windows.h>

#include <string>
#include <vector>

#include "cli/BoundedScm.h"
#include "cli/ConsoleOutput.h"
#include "console/CliRun.h"
#include "monitor/HistoryLog.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32LocaleTime.h"
#include "platform/win32/Win32Modules.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32TextSource.h"
#include "platform/win32/Win32Version.h"
#include "settings/LanguageModule.h"

namespace {

// The arguments in the program's 8-bit code page, as the core works.
std::vector<std::string> Arguments(int count, wchar_t** wide) {
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) {
        int length = ::WideCharToMultiByte(CP_ACP, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string argument(static_cast<size_t>(length > 0 ? length : 1), '\0');
        ::WideCharToMultiByte(CP_ACP, 0, wide[i], -1, &argument[0], length, nullptr, nullptr);
        argument.resize(argument.size() - 1);
        arguments.push_back(argument);
    }
    return arguments;
}

// The parts of the real platform the commands use: no windows, no sound,
// so that starting costs no library they do not need.
struct ConsolePlatform {
    platform::Win32Registry registry;
    platform::TextsInUse textsInUse;
    platform::Win32Clock clock;
    platform::Win32FileSystem files;
    platform::Win32LocaleTime locale;
    platform::Win32Modules modules;
    platform::Win32Version versions;
};

// The language module's text, or the program's own when a module made for
// the windows alone lacks it.
class Texts : public platform::TextSource {
public:
    explicit Texts(const platform::TextsInUse& inUse) : chosen_(inUse) {}
    std::string Text(unsigned id) override {
        std::string text = chosen_.Text(id);
        return text.empty() ? own_.Text(id) : text;
    }

private:
    platform::Win32TextSource chosen_;
    platform::Win32TextSource own_;
};

// Ctrl+C, Ctrl+Break and the console's closing end a watch between passes,
// so that its log ends with the session's end record. A closing console
// ends the process once the handler returns: it waits for the watch.
HANDLE stopEvent = nullptr;
HANDLE endedEvent = nullptr;

BOOL WINAPI OnControl(DWORD type) {
    ::SetEvent(stopEvent);
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) ::WaitForSingleObject(endedEvent, 5000);
    return TRUE;
}

class ConsoleStop : public cli::Stop {
public:
    bool Requested() override { return ::WaitForSingleObject(stopEvent, 0) == WAIT_OBJECT_0; }
    void Wait(uint32_t ms) override { ::WaitForSingleObject(stopEvent, ms); }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    CliRequest request = ReadCliRequest(Arguments(argc, argv));
    ConsolePlatform system;
    Texts texts(system.textsInUse);
    cli::BoundedScm scm(request.timeoutSeconds * 1000);
    cli::ConsoleOutput output(request.format);

    LanguageModule language(system.registry, system.modules, system.versions, texts);
    if (!language.LoadAtStartup(system.textsInUse))
        output.Err(language.StartupFailureMessage() + "\n");

    HistoryLog history(system.files, system.locale, texts);
    if (request.log)
        history.SetSessionText(
            HistoryLog::SessionTextOfTexts(system.textsInUse, system.modules, system.versions));

    stopEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    endedEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    // Only a watch has an end of its own; any other command ends at Ctrl+C
    // as console programs do.
    if (request.command == CliCommand::kWatch && !request.help)
        ::SetConsoleCtrlHandler(OnControl, TRUE);
    ConsoleStop stop;
    cli::Platform platform{scm, system.registry, texts, system.clock, system.files, system.locale};
    int status = cli::Run(request, platform, history, output, stop);
    ::SetEvent(endedEvent);
    return status;
}
