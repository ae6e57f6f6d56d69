#include "document/CVantorelDocument.h"

#include "app/CVantorelApp.h"
#include "app/Win32Platform.h"
#include "framework/FrameWnd.h"
#include "framework/WinApp.h"
#include "res/resource.h"

CVantorelDocument::CVantorelDocument()
    : core_(ThePlatform().scm, ThePlatform().registry, ThePlatform().texts, ThePlatform().clock) {}

void CVantorelDocument::ShowError(UINT icon) {
    HWND owner = CWinApp::Get()->m_pMainWnd ? CWinApp::Get()->m_pMainWnd->GetSafeHwnd() : nullptr;
    ::MessageBoxA(owner, core_.lastErrorText.c_str(), CWinApp::Get()->m_appName.c_str(),
                  MB_OK | icon);
}

// The path name is a tick count, never a file; the title is the machine.
void CVantorelDocument::SetPathName(const char* path, bool addToRecent) {
    if (core_.openMode == ServicesDocument::kSaveSnapshot) return;
    SetPathNameOnly(std::to_string(::GetTickCount()));
    char title[256] = "";
    if (path && ::GetFileTitleA(path, title, sizeof title) == 0) SetTitle(title);
    if (addToRecent) CWinApp::Get()->AddToRecentFileList(title);
}

bool CVantorelDocument::LoadServices() {
    bool ok = core_.LoadServices();
    if (ok) SetTitle(core_.title);
    return ok;
}

bool CVantorelDocument::OnNewDocument() {
    core_.lastErrorText.clear();
    if (!CDocument::OnNewDocument()) return false;
    ServicesDocument::NewResult result = core_.NewDocument();
    if (result == ServicesDocument::kNewFailed) {
        ShowError(MB_ICONERROR);
        return false;
    }
    SetTitle(core_.title);
    if (result == ServicesDocument::kNewLoadedWithDefaults) ShowError(MB_ICONEXCLAMATION);
    SetModifiedFlag(false);
    ThePlatform().history.WriteConnected(GetTitle());
    return true;
}

bool CVantorelDocument::OnOpenDocument(const char* path) {
    char title[256] = "";
    if (!path || ::GetFileTitleA(path, title, sizeof title) != 0) title[0] = '\0';
    if (!core_.OpenDocument(title)) {
        ShowError(MB_ICONERROR);
        return false;
    }
    SetTitle(core_.title);
    SetModifiedFlag(false);
    ThePlatform().history.WriteConnected(GetTitle());
    return true;
}

bool CVantorelDocument::OnSaveDocument(const char* path) {
    if (core_.SaveSnapshot(ThePlatform().files, ThePlatform().locale, path ? path : "")) return true;
    ShowError(MB_ICONERROR);
    return false;
}

bool CVantorelDocument::CompareWithFile(const char* path) {
    if (core_.CompareWithFile(ThePlatform().files, path ? path : "")) return true;
    ShowError(MB_ICONERROR);
    return false;
}

void CVantorelDocument::ShowWindow(short showCommand) {
    CFrameWnd* frame = CWinApp::Get()->m_pMainWnd;
    if (!frame || !frame->GetSafeHwnd()) return;
    ::ShowWindow(frame->GetSafeHwnd(), showCommand);
    if (!frame->IsWindowVisible() || frameShown_) return;
    if (static_cast<CVantorelApp*>(CWinApp::Get())->automation) {
        frame->InitialUpdateFrame(this);
        frameShown_ = true;
    }
    SetModifiedFlag(false);
}

short CVantorelDocument::IsWindowVisible() {
    CFrameWnd* frame = CWinApp::Get()->m_pMainWnd;
    return frame && frame->IsWindowVisible() ? 1 : 0;
}

void CVantorelDocument::ExitApplication() {
    CFrameWnd* frame = CWinApp::Get()->m_pMainWnd;
    if (frame && frame->GetSafeHwnd()) frame->DestroyWindow();
}

// A program started for a client ends with the client, unless the user has
// its window in front of them.
void CVantorelDocument::OnLastRelease() {
    if (!static_cast<CVantorelApp*>(CWinApp::Get())->automation) return;
    CFrameWnd* frame = CWinApp::Get()->m_pMainWnd;
    if (frame && frame->IsWindowVisible()) return;
    if (frame && frame->GetSafeHwnd()) frame->DestroyWindow();
    else ::PostQuitMessage(0);
}
