#include "app/CVantorelApp.h"

#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/CVantorelMainFrame.h"
#include "framework/Answering.h"
#include "framework/AutomationServer.h"
#include "framework/Resources.h"
#include "res/resource.h"
#include "settings/CommandLine.h"
#include "settings/LanguageModule.h"
#include "settings/SettingsStore.h"
#include "ui/CVantorelDocument.h"

namespace {
const char kFrameClass[] = "VantorelMainFrame";

// In the program's code page, as every path of the program is.
std::string AnsiOf(const wchar_t* text) {
    int size = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return std::string();
    std::string out(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, &out[0], size, nullptr, nullptr);
    out.resize(static_cast<size_t>(size) - 1);
    return out;
}

// The program's arguments, its own path left out. Split by the platform's
// wide-character rules: the 8-bit command line's quoting differs nowhere,
// but its characters may not all have come through the code page.
std::vector<std::string> Arguments() {
    int count = 0;
    LocalMemory<LPWSTR*> argv(::CommandLineToArgvW(::GetCommandLineW(), &count));
    std::vector<std::string> arguments;
    for (int i = 1; argv && i < count; ++i) arguments.push_back(AnsiOf(argv.get()[i]));
    return arguments;
}
}  // namespace

CVantorelApp::CVantorelApp()
    : history_(platform_.files, platform_.locale, platform_.texts),
      context_{platform_.Interfaces(), history_} {}

bool CVantorelApp::RegisterFrameClass() {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (::GetClassInfoExA(instance, kFrameClass, &existing)) return true;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = instance;
    wc.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME));
    // Drawn at the title bar's size, not shrunk from the big one.
    wc.hIconSm = context_.resources.LoadSharedSmallIcon(IDR_MAINFRAME);
    wc.lpszClassName = kFrameClass;
    return ::RegisterClassExA(&wc) != 0;
}

// Another instance runs: show its window and give it the focus.
// A snapshot opened while the program runs is shown by the running one.
bool CVantorelApp::ActivateFirstInstance(const std::string& snapshot) {
    HWND first = ::FindWindowA(kFrameClass, nullptr);
    if (!first) return false;
    if (!snapshot.empty()) {
        COPYDATASTRUCT data{CVantorelMainFrame::kRestoreFileData,
                            static_cast<DWORD>(snapshot.size() + 1),
                            const_cast<char*>(snapshot.c_str())};
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutA(first, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                              SMTO_ABORTIFHUNG, 5000, &ignored);
    }
    if (!::IsWindowVisible(first))
        ::ShowWindow(first, SW_SHOW);
    else if (::IsIconic(first))
        ::ShowWindow(first, SW_RESTORE);
    ::SetForegroundWindow(first);
    ::SetFocus(first);
    return true;
}

bool CVantorelApp::InitInstance() {
    if (FAILED(::OleInitialize(nullptr))) {
        ShowMessage(nullptr, context_.resources.LoadText(IDS_OLE_INIT_FAILED),
                    MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    ::InitCommonControlsEx(&controls);
    m_appName = context_.resources.LoadText(AFX_IDS_APP_TITLE);
    SetRegistryKey(platform_.registry, SettingsStore::FrameworkKeyName());
    LoadStdProfileSettings(4);
    LoadLanguage();
    if (!RegisterFrameClass()) return false;
    SetDocTemplate(
        context_.resources.LoadText(IDR_MAINFRAME),
        [this] { return new CVantorelDocument(*this, context_); },
        [this](CDocument* document) -> CFrameWnd* {
            auto* frame = new CVantorelMainFrame(*this, context_);
            if (frame->Create(static_cast<CVantorelDocument*>(document))) return frame;
            // A window takes its object with it; without one it is freed here.
            if (frame->GetSafeHwnd())
                frame->DestroyWindow();
            else
                delete frame;
            return nullptr;
        });

    const CommandLine line = ParseCommandLine(Arguments());
    context_.automation = line.automation;
    // The full path of the program file, whatever path it was started by.
    const std::string programPath = platform_.modules.GetModuleFileNameA(nullptr);
    if (line.registration == CommandLine::Registration::kRegister) {
        RegisterAutomationServer(platform_.registry, programPath);
        RegisterShellFileType(platform_.registry, GetDocString(4), GetDocString(6), programPath);
        return false;
    }
    if (line.registration == CommandLine::Registration::kUnregister)
        return UnregisterAutomationServer(platform_.registry, GetDocString(4)) && false;
    if (context_.automation) {
        // No window, no single-instance check and no log: the client decides.
        return StartAutomationServer(
            [this]() -> AutomationTarget* { return AutomationDocument(); });
    }
    context_.launchPath = programPath;

    // A program started again with administrator rights takes over once
    // the one that started it has ended, never beside it.
    if (line.handoverProcess != 0) WaitForProgramEnd(line.handoverProcess);
    // Made once: "already exists" is the answer, so two instances started
    // together cannot both run.
    mutex_.reset(::CreateMutexA(nullptr, TRUE, m_appName.c_str()));
    if (!mutex_ || ::GetLastError() == ERROR_ALREADY_EXISTS) {
        mutex_.reset();
        if (!ActivateFirstInstance(line.snapshot))
            ShowMessage(nullptr, context_.resources.LoadText(IDS_ALREADY_RUNNING),
                        MB_OK | MB_ICONSTOP);
        return false;
    }
    RegisterAutomationServer(platform_.registry, context_.launchPath);
    RegisterShellFileType(platform_.registry, GetDocString(4), GetDocString(6),
                          context_.launchPath);

    OpenHistoryLog();
    SettingsStore store(context_.platform.registry);
    bool runMinimized = store.Read(settings::kRunMinimized) != 0;
    // A snapshot named on the command line is not a machine: the program
    // starts on the local machine and shows what restoring it would do.
    if (!OnFileNew()) return false;
    auto* frame = static_cast<CVantorelMainFrame*>(m_pMainWnd);
    if (!line.snapshot.empty()) frame->RestoreFileLater(line.snapshot);
    TakeOver(frame, line);
    // Without a notification-area icon nothing would reach a hidden window.
    if (runMinimized && frame->TrayIconShown()) return true;
    int show = static_cast<int>(StartShowCommand(
        static_cast<uint32_t>(m_nCmdShow), static_cast<uint32_t>(frame->InitialShowCommand())));
    ::ShowWindow(frame->GetSafeHwnd(), show);
    ::UpdateWindow(frame->GetSafeHwnd());
    return true;
}

// Bounded: a program that does not end does not keep this one from starting
// (the single-instance rule then answers as usual).
void CVantorelApp::WaitForProgramEnd(DWORD process) {
    KernelHandle handle(::OpenProcess(SYNCHRONIZE, FALSE, process));
    if (handle) ::WaitForSingleObject(handle.get(), 30000);
}

// The machine and view the program that started this one showed.
void CVantorelApp::TakeOver(CVantorelMainFrame* frame, const CommandLine& line) {
    if (!line.machine.empty()) OpenDocumentFile(line.machine.c_str());
    if (line.view >= 1 && line.view <= 4) frame->SwitchView(line.view);
}

// The chosen language module; when it cannot be used the program says so
// and goes on with its own texts.
void CVantorelApp::LoadLanguage() {
    platform::Platform& p = context_.platform;
    LanguageModule language(p.registry, p.modules, p.versions, p.texts);
    if (!language.LoadAtStartup(p.textsInUse))
        ShowMessage(nullptr, language.StartupFailureMessage(), MB_OK | MB_ICONEXCLAMATION);
}

void CVantorelApp::OpenHistoryLog() {
    platform::Platform& p = context_.platform;
    SettingsStore store(p.registry);
    std::string path = store.ReadLogFilePath();
    bool autoDelete = store.Read(settings::kAutoDelete) != 0;
    if (path.empty()) return;
    history_.SetSessionText(HistoryLog::SessionTextOfTexts(p.textsInUse, p.modules, p.versions));
    context_.logOpen = history_.Open(path, autoDelete);
    if (!context_.logOpen)
        ShowMessage(
            nullptr,
            context_.resources.LoadText(IDS_LOG_OPEN_FAILED) + "\n" + history_.GetErrorText(),
            MB_OK | MB_ICONEXCLAMATION);
}

CVantorelDocument* CVantorelApp::AutomationDocument() {
    if (!GetDocument()) {
        if (!CreateDocumentAndFrame()) return nullptr;
        GetDocument()->SetTitle(GetDocString(2));
        GetDocument()->OnNewDocument();
    }
    return static_cast<CVantorelDocument*>(GetDocument());
}

// The session ends now: what an exit leaves behind is written, and the
// name is let go, since the process may be ended before the loop returns.
void CVantorelApp::OnEndSession() {
    history_.Close();
    context_.logOpen = false;
    mutex_.reset();
}

// What must survive the exit is written first: COM's shutdown may hang.
int CVantorelApp::ExitInstance() {
    OnEndSession();
    StopAutomationServer(kClientReleaseWaitMs);
    UninitializeOle();
    // An opening given up may wait on a machine for its whole timeout yet;
    // the program's objects it may still reach must not go before it.
    if (answering::Outstanding() > 0) ::ExitProcess(0);
    return CWinApp::ExitInstance();
}

namespace {
DWORD WINAPI EndIfNotSignalled(void* done) {
    if (::WaitForSingleObject(done, CVantorelApp::kOleShutdownWaitMs) == WAIT_TIMEOUT)
        ::TerminateProcess(::GetCurrentProcess(), 0);
    return 0;
}
}  // namespace

// Wine's COM can wait for ever in its shutdown for a call that came in late
// (a client's release after the program was asked to exit). Everything the
// program keeps is written by now, so a shutdown that hangs ends the process
// instead of leaving it behind.
void CVantorelApp::UninitializeOle() {
    KernelHandle done(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    KernelHandle watchdog(
        done ? ::CreateThread(nullptr, 0, EndIfNotSignalled, done.get(), 0, nullptr) : nullptr);
    ::OleUninitialize();
    if (!watchdog) return;
    ::SetEvent(done.get());
    ::WaitForSingleObject(watchdog.get(), INFINITE);
}
