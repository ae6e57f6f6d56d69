#pragma once
#include <string>

#include "framework/WinApp.h"
#include "monitor/HistoryLog.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32Platform.h"
#include "ui/AppContext.h"

class CVantorelDocument;
class CVantorelMainFrame;
struct CommandLine;

// The program: it owns the platform objects and the history log, and hands
// them, with how it was started, to the document and the windows it makes.
class CVantorelApp : public CWinApp {
public:
    CVantorelApp();
    bool InitInstance() override;
    int ExitInstance() override;
    void OnEndSession() override;

    const AppContext& Context() const { return context_; }

    // How long an exit serves clients that still hold the automation object,
    // and how long COM's shutdown may take before the process ends anyway.
    static constexpr DWORD kClientReleaseWaitMs = 2000;
    static constexpr DWORD kOleShutdownWaitMs = 2000;

private:
    bool RegisterFrameClass();
    void LoadLanguage();
    void OpenHistoryLog();
    bool ActivateFirstInstance(const std::string& snapshot);
    static void WaitForProgramEnd(DWORD process);
    static void UninitializeOle();
    void TakeOver(CVantorelMainFrame* frame, const CommandLine& line);
    // The document a client's object stands for, made on first request.
    CVantorelDocument* AutomationDocument();

    platform::Win32Platform platform_;
    HistoryLog history_;
    AppContext context_;
    KernelHandle mutex_;
};
