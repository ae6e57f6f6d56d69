#include "app/CVantorelApp.h"

#include <objbase.h>
#include <shellapi.h>

#include "framework/AutomationServer.h"
#include "app/CVantorelMainFrame.h"
#include "app/Win32Platform.h"
#include "ui/CVantorelDocument.h"
#include "res/resource.h"
#include "settings/LanguageModule.h"
#include "settings/SettingsStore.h"

namespace {
const char kFrameClass[] = "VantorelMainFrame";

void Message(UINT textId, UINT icon) {
    ::MessageBoxA(nullptr, LoadText(textId).c_str(), LoadText(AFX_IDS_APP_TITLE).c_str(),
                  MB_OK | icon);
}

// The full path of the program file, whatever path it was started by.
std::string ProgramPath() {
    char path[MAX_PATH] = "";
    DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
}
}  // namespace

bool CVantorelApp::RegisterFrameClass() {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSA existing;
    if (::GetClassInfoA(instance, kFrameClass, &existing)) return true;
    WNDCLASSA wc{};
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = instance;
    wc.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME));
    wc.lpszClassName = kFrameClass;
    return ::RegisterClassA(&wc) != 0;
}

// Another instance runs: show its window and give it the focus.
bool CVantorelApp::ActivateFirstInstance() {
    HWND first = ::FindWindowA(kFrameClass, nullptr);
    if (!first) return false;
    if (!::IsWindowVisible(first)) ::ShowWindow(first, SW_SHOW);
    else if (::IsIconic(first)) ::ShowWindow(first, SW_RESTORE);
    ::SetForegroundWindow(first);
    ::SetFocus(first);
    return true;
}

bool CVantorelApp::InitInstance() {
    if (FAILED(::OleInitialize(nullptr))) {
        Message(IDS_OLE_INIT_FAILED, MB_ICONEXCLAMATION);
        return false;
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    ::InitCommonControlsEx(&controls);
    m_appName = LoadText(AFX_IDS_APP_TITLE);
    SetRegistryKey(SettingsStore::FrameworkKeyName());
    LoadStdProfileSettings(4);
    LoadLanguage();
    if (!RegisterFrameClass()) return false;
    SetDocTemplate(
        IDR_MAINFRAME, [] { return new CVantorelDocument; },
        [](CDocument* document) -> CFrameWnd* {
            auto* frame = new CVantorelMainFrame;
            if (frame->Create(static_cast<CVantorelDocument*>(document))) return frame;
            delete frame;
            return nullptr;
        });

    enum { kNormal, kRegister, kUnregister } registration = kNormal;
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    for (int i = 1; argv && i < argc; ++i) {
        const wchar_t* flag = argv[i];
        if (flag[0] != L'/' && flag[0] != L'-') continue;
        ++flag;
        if (lstrcmpiW(flag, L"Automation") == 0 || lstrcmpiW(flag, L"Embedding") == 0)
            automation = true;
        else if (lstrcmpiW(flag, L"RegServer") == 0 || lstrcmpiW(flag, L"Register") == 0)
            registration = kRegister;
        else if (lstrcmpiW(flag, L"UnregServer") == 0 || lstrcmpiW(flag, L"Unregister") == 0)
            registration = kUnregister;
    }
    ::LocalFree(argv);
    if (registration == kRegister) {
        RegisterAutomationServer(ProgramPath());
        RegisterShellFileType(GetDocString(4), GetDocString(6), ProgramPath());
        return false;
    }
    if (registration == kUnregister) return UnregisterAutomationServer(GetDocString(4)) && false;
    if (automation) {
        // No window, no single-instance check and no log: the client decides.
        return StartAutomationServer([]() -> AutomationTarget* {
            auto* document = static_cast<CVantorelApp*>(CWinApp::Get())->AutomationDocument();
            return static_cast<CVantorelDocument*>(document);
        });
    }
    launchPath = ProgramPath();

    mutex_ = ::OpenMutexA(MUTEX_ALL_ACCESS, TRUE, m_appName.c_str());
    if (mutex_) {
        ::CloseHandle(mutex_);
        mutex_ = nullptr;
        if (!ActivateFirstInstance()) Message(IDS_ALREADY_RUNNING, MB_ICONSTOP);
        return false;
    }
    mutex_ = ::CreateMutexA(nullptr, TRUE, m_appName.c_str());
    RegisterAutomationServer(launchPath);
    RegisterShellFileType(GetDocString(4), GetDocString(6), launchPath);

    OpenHistoryLog();
    SettingsStore store(ThePlatform().registry);
    bool runMinimized = store.OpenConfiguration() && store.Read(settings::kRunMinimized);
    // A snapshot named on the command line is not a machine: the program
    // starts on the local machine either way.
    if (!OnFileNew()) return false;
    auto* frame = static_cast<CVantorelMainFrame*>(m_pMainWnd);
    // Without a notification-area icon nothing would reach a hidden window.
    if (runMinimized && frame->TrayIconShown()) return true;
    ::ShowWindow(frame->GetSafeHwnd(), frame->InitialShowCommand());
    ::UpdateWindow(frame->GetSafeHwnd());
    return true;
}

// The chosen language module; when it cannot be used the program says so
// and goes on with its own texts.
void CVantorelApp::LoadLanguage() {
    Win32Platform& p = ThePlatform();
    LanguageModule language(p.registry, p.modules, p.versions, p.texts);
    if (!language.LoadAtStartup())
        ::MessageBoxA(nullptr, language.StartupFailureMessage().c_str(), m_appName.c_str(),
                      MB_OK | MB_ICONEXCLAMATION);
    auto module = static_cast<HINSTANCE>(current_texts::Module());
    SetResourceModule(module);
    p.texts.SetModule(module);
}

void CVantorelApp::OpenHistoryLog() {
    Win32Platform& p = ThePlatform();
    SettingsStore store(p.registry);
    if (!store.OpenLogFile()) return;
    std::string path = store.ReadLogFilePath();
    bool autoDelete = store.Read(settings::kAutoDelete) != 0;
    if (path.empty()) return;
    p.history.SetSessionText(HistoryLog::SessionTextOfCurrentTexts(p.modules, p.versions));
    logOpen = p.history.Open(path, autoDelete);
    if (!logOpen) {
        std::string message = LoadText(IDS_LOG_OPEN_FAILED) + "\n" + p.history.GetErrorText();
        ::MessageBoxA(nullptr, message.c_str(), m_appName.c_str(), MB_OK | MB_ICONEXCLAMATION);
    }
}

CDocument* CVantorelApp::AutomationDocument() {
    if (GetDocument()) return GetDocument();
    if (!CreateDocumentAndFrame()) return nullptr;
    GetDocument()->SetTitle(GetDocString(2));
    GetDocument()->OnNewDocument();
    return GetDocument();
}

int CVantorelApp::ExitInstance() {
    StopAutomationServer();
    ThePlatform().history.Close();
    if (mutex_) ::CloseHandle(mutex_);
    mutex_ = nullptr;
    ::OleUninitialize();
    return CWinApp::ExitInstance();
}
