#pragma once
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "app/FilterBar.h"
#include "app/TrayIcon.h"
#include "framework/FrameWnd.h"
#include "monitor/MonitorCycle.h"
#include "platform/win32/Handles.h"
#include "toolkit/MenuImages.h"
#include "ui/AppContext.h"

class CChangedServicesDlg;
class CVantorelDocument;
class CVantorelTreeView;
class CVantorelView;

// The program's window: toolbar, status bar, the services view, the refresh
// and monitor timers, the changed services window, and its placement
// remembered in the settings.
class CVantorelMainFrame : public CFrameWnd, private ChangeDisplay {
public:
    static constexpr UINT kRefreshTimer = 1027;
    static constexpr UINT kMonitorTimer = 1028;
    // A snapshot handed over while a modal dialog runs waits on this one.
    static constexpr UINT kHandOverTimer = 1029;
    static constexpr UINT kHandOverRetryMs = 250;
    static constexpr UINT kInitialRefreshPeriod = 2000;
    static constexpr UINT kTrayNotify = WM_USER + 1;
    static constexpr UINT kTrayMenuDone = WM_USER + 2;
    static constexpr UINT kRestoreNamedFile = WM_USER + 3;
    static constexpr UINT kSessionEnded = WM_USER + 4;
    // WM_COPYDATA from a second start: the path of a snapshot to restore from.
    static constexpr ULONG_PTR kRestoreFileData = 0x56524653;

    CVantorelMainFrame(CWinApp& app, AppContext& context);
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
    bool TrayIconShown() const { return tray_.Shown(); }
    void ShowMainWindow();
    void SetTrayIconImage(HICON icon);
    HICON TrayIconImage() const { return tray_.Image(); }
    // The notification-area icon and the monitor timer follow the settings
    // again (after the settings dialog's OK).
    void Rearm();
    CChangedServicesDlg& ChangesWindow() { return *changes_; }
    // "Restaurar servicios": a snapshot chosen, then its differences shown
    // to be restored.
    void RestoreServices();
    // The same for a snapshot already named (on the command line, from the
    // shell), once the message loop runs.
    void RestoreFileLater(const std::string& path);
    void RestoreFile(const std::string& path);
    CSearchBox& FilterBox() { return filterBar_.Box(); }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool OnCommand(UINT id) override;
    bool OnUpdateCommand(CCmdUI& ui) override;
    void OnClose() override;
    void UpdateIndicatorTexts() override;
    bool Busy() const override;

private:
    void ShowHandedOverSnapshot();
    void EndAlert();
    RECT InitialRect();
    bool CreateBars();
    void RefreshTick();
    void SavePlacement();
    void ArmTrayIcon();
    void OnTrayNotify(UINT mouseMessage);
    void ShowTrayMenu();
    void OnSized(WPARAM how);
    void ArmMonitor();
    void MonitorTick();
    void ShowPendingChanges();
    void ShowProperties(const std::string& service, HWND owner);
    void ShowSettings(int page);
    void AddElevationCommand();
    void RunAsAdministrator();
    void Alert(const AlertSettings& settings) override;
    void Show(const ServiceChange& change, const platform::LocalDateTime& when) override;

    CVantorelTreeView* TreeView(int mode);

    AppContext& context_;
    CVantorelDocument* document_ = nullptr;
    FilterBar filterBar_;
    std::unique_ptr<CChangedServicesDlg> changes_;
    Icon alertIcon_;  // the notification-area icon's alert image, while shown
    std::unique_ptr<CVantorelView> listView_;
    std::unique_ptr<CVantorelTreeView> treeViews_[3];  // made on first use
    HWND hiddenBar_ = nullptr;
    int initialShow_ = SW_SHOW;
    std::string namedSnapshot_;  // to restore from once the loop runs
    uint32_t refreshPeriod_ = kInitialRefreshPeriod;
    TrayIcon tray_;
    // Inside a move or size by the user: the placement is saved at its end.
    bool sizing_ = false;
    MenuImages menuImages_;
};
