#include "ui/ServiceViewSupport.h"

#include "app/Win32Platform.h"
#include "ui/CVantorelDocument.h"
#include "framework/FrameWnd.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "scm/PendingWait.h"
#include "views/ServiceListModel.h"

HIMAGELIST CreateStateImages() {
    HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR8 | ILC_MASK, 32, 8);
    if (!images) return nullptr;
    for (HINSTANCE module : {ResourceModule(), ::GetModuleHandleA(nullptr)}) {
        auto strip = static_cast<HBITMAP>(::LoadImageA(module, MAKEINTRESOURCEA(IDB_ICON_STRIP),
                                                       IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        if (!strip) continue;
        ImageList_AddMasked(images, strip, RGB(255, 0, 255));
        ::DeleteObject(strip);
        break;
    }
    return images;
}

void ShowContextMenu(int popup) {
    HMENU menu = ::LoadMenuA(ResourceModule(), MAKEINTRESOURCEA(IDR_CONTEXT_MENUS));
    if (!menu) return;
    POINT at;
    ::GetCursorPos(&at);
    HWND owner = CWinApp::Get()->m_pMainWnd->GetSafeHwnd();
    ::TrackPopupMenu(::GetSubMenu(menu, popup), TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0,
                     owner, nullptr);
    ::DestroyMenu(menu);
}

void ReloadServices(CVantorelDocument* document) {
    if (document && document->LoadServices()) document->UpdateAllViews();
}

bool IsServiceCommand(UINT id) {
    return id == ID_SERVICE_START || id == ID_SERVICE_STOP || id == ID_SERVICE_PAUSE ||
           id == ID_SERVICE_RESTART;
}

void RunServiceCommand(CVantorelDocument* document, ServiceEntry* entry, UINT id) {
    if (!document || !entry) return;
    ServiceCommands& commands = document->Commands();
    bool ok = id == ID_SERVICE_START   ? commands.StartOrContinue(*entry)
              : id == ID_SERVICE_STOP  ? commands.StopService(*entry)
              : id == ID_SERVICE_PAUSE ? commands.PauseService(*entry)
                                       : commands.RestartService(*entry);
    if (ok) {
        WaitWhilePending(document->Services(), entry->name, ThePlatform().clock);
        return;
    }
    UINT icon = id == ID_SERVICE_START ? MB_ICONERROR : MB_ICONEXCLAMATION;
    ::MessageBoxA(CWinApp::Get()->m_pMainWnd->GetSafeHwnd(), document->GetLastErrorText().c_str(),
                  CWinApp::Get()->m_appName.c_str(), MB_OK | icon);
}

void UpdateServiceCommand(CCmdUI& ui, const ServiceEntry* entry) {
    ui.Enable(ui.id == ID_SERVICE_START   ? CanStart(entry)
              : ui.id == ID_SERVICE_STOP  ? CanStop(entry)
              : ui.id == ID_SERVICE_PAUSE ? CanPause(entry)
                                          : CanRestart(entry));
}
