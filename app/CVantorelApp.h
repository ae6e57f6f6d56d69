#pragma once
#include <string>

#include "framework/WinApp.h"

class CVantorelApp : public CWinApp {
public:
    bool InitInstance() override;
    int ExitInstance() override;

    std::string launchPath;
    bool automation = false;
    bool logOpen = false;

    // The document a client's object stands for, made on first request.
    CDocument* AutomationDocument();

private:
    bool RegisterFrameClass();
    void LoadLanguage();
    void OpenHistoryLog();
    bool ActivateFirstInstance();
    HANDLE mutex_ = nullptr;
};
