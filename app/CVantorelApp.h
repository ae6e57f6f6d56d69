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

private:
    bool RegisterFrameClass();
    bool ActivateFirstInstance();
    HANDLE mutex_ = nullptr;
};
