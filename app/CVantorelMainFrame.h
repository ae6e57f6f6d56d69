#pragma once
#include <windows.h>
#include <shellapi.h>

#include <memory>

#include "framework/FrameWnd.h"
#include "toolkit/MenuImages.h"
#include "ui/AppContext.h"

class CVantorelDocument;
class CVantorelTreeView;
class CVantorelView;

// The program's window: toolbar, status bar, the services view, the refresh
// timer, and its placement remembered in the settings.
class CVantorelMainFrame : public CFrameWnd {
public:
    static constexpr UINT kRefreshTimer = 1027;
    static constexpr UINT kInitialRefreshPeriod = 2000;
    static constexpr UINT kTrayNotify = WM_USER + 1;
    static constexpr UINT kTrayMenuDone = WM_USER + 2;

    explicit CVantorelMainFrame(AppContext& context);
    ~CVantorelMainFrame() override;
    bool Create(CVantorelDocument* document);
    CVantorelView* ListView() const { return listView_.get(); }
    // 1 for the list, 2 to 4 for the trees by type, group and dependency.
    int CurrentMode() const;
    void SwitchView(int mode);
    // "Abrir servicios": the open services dialog, then the chosen machine.
    void OpenServices();
    int InitialShowCommand() const { return initialShow_; }
    uint32_t RefreshPeriod() const { return refreshPeriod_; }
    bool TrayIconShown() const { return trayShown_; }
    void ShowMainWindow();
    void SetTrayIconImage(HICON icon);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool OnCommand(UINT id) override;
    bool OnUpdateCommand(CCmdUI& ui) override;
    void OnClose() override;

private:
    RECT InitialRect();
    bool CreateBars();
    void RefreshTick();
    void SavePlacement();
    void ArmTrayIcon();
    void OnTrayNotify(UINT mouseMessage);
    void ShowTrayMenu();
    void OnSized(WPARAM how);

    CVantorelTreeView* TreeView(int mode);

    AppContext& context_;
    std::unique_ptr<CVantorelView> listView_;
    std::unique_ptr<CVantorelTreeView> treeViews_[3];  // made on first use
    HWND hiddenBar_ = nullptr;
    int initialShow_ = SW_SHOW;
    uint32_t refreshPeriod_ = kInitialRefreshPeriod;
    NOTIFYICONDATAA tray_{};
    bool trayShown_ = false;
    // Inside a move or size by the user: the placement is saved at its end.
    bool sizing_ = false;
    MenuImages menuImages_;
};
