#include "app/CVantorelMainFrame.h"

#include <cstring>
#include <iterator>

#include "framework/Dialog.h"
#include "framework/FileDialog.h"
#include "framework/Placement.h"
#include "framework/Resources.h"
#include "framework/WinApp.h"
#include "platform/MessageText.h"
#include "res/resource.h"
#include "settings/CommandLine.h"
#include "settings/SettingsPages.h"
#include "settings/SettingsStore.h"
#include "ui/CAboutDlg.h"
#include "ui/CChangedServicesDlg.h"
#include "ui/CHistoryDlg.h"
#include "ui/COpenServicesDlg.h"
#include "ui/CServicePropertiesDlg.h"
#include "ui/CSettingsDlg.h"
#include "ui/CVantorelDocument.h"
#include "ui/CVantorelTreeView.h"
#include "ui/CVantorelView.h"
#include "ui/ServiceViewSupport.h"
#include "views/ServiceFilter.h"
#include "views/ServiceListModel.h"

namespace {
const char kClassName[] = "VantorelMainFrame";
const UINT kIndicators[] = {ID_INDICATOR_SERVICES, ID_INDICATOR_CAPS, ID_INDICATOR_NUM,
                            ID_INDICATOR_SCRL};
const int kAlertImage = 20;

// The view-mode commands, in mode order from 1.
const UINT kModeCommands[] = {ID_VIEW_LIST, ID_VIEW_TREE_TYPES, ID_VIEW_TREE_GROUPS,
                              ID_VIEW_TREE_DEPENDENCIES};

int ModeOfCommand(UINT id) {
    for (int mode = 1; mode <= 4; ++mode)
        if (kModeCommands[mode - 1] == id) return mode;
    return 0;
}

}  // namespace

// Closing the changed services window ends the alert.
CVantorelMainFrame::CVantorelMainFrame(CWinApp& app, AppContext& context)
    : CFrameWnd(app, context.resources),
      context_(context),
      filterBar_(context.resources, context.platform.texts),
      changes_(std::make_unique<CChangedServicesDlg>(context, [this] { EndAlert(); })) {
    changes_->SetShowProperties([this](const std::string& service, HWND owner) {
        if (document_)
            CServicePropertiesDlg::ShowByName(context_, document_->Core(), service, owner);
    });
}

CVantorelMainFrame::~CVantorelMainFrame() = default;

// The middle two thirds of the screen, unless a remembered placement applies.
RECT CVantorelMainFrame::InitialRect() {
    int width = ::GetSystemMetrics(SM_CXFULLSCREEN), height = ::GetSystemMetrics(SM_CYFULLSCREEN);
    RECT rect{width / 6, height / 6, width / 6 + width * 2 / 3, height / 6 + height * 2 / 3};
    SettingsStore store(context_.platform.registry);
    WindowPlacement placement;
    if (store.Read(settings::kRememberPlacement) &&
        store.ReadPlacement(settings::kMainWindowPlacement, &placement)) {
        rect = OnSomeMonitor({placement.left, placement.top, placement.right, placement.bottom});
        initialShow_ = static_cast<int>(RestorableShowCommand(placement.showCmd));
    }
    return rect;
}

int CVantorelMainFrame::CurrentMode() const {
    for (const auto& tree : treeViews_)
        if (tree && GetActiveView() == tree.get()) return tree->Mode();
    return 1;
}

CVantorelTreeView* CVantorelMainFrame::TreeView(int mode) {
    std::unique_ptr<CVantorelTreeView>& tree = treeViews_[mode - 2];
    if (tree) return tree.get();
    auto made = std::make_unique<CVantorelTreeView>(context_, mode);
    if (!made->Create(m_hWnd, AFX_IDW_PANE_FIRST + static_cast<UINT>(mode) - 1)) return nullptr;
    if (CDocument* document = GetActiveDocument()) document->AddView(made.get());
    tree = std::move(made);
    return tree.get();
}

// The dialog comes back, as the user left it, for as long as the chosen
// machine cannot be loaded.
void CVantorelMainFrame::OpenServices() {
    COpenServicesDlg dialog(Res(), context_.platform.registry, m_hWnd);
    CDocument* document = GetActiveDocument();
    dialog.machine = document ? document->GetTitle() : std::string();
    while (dialog.DoModal() == IDOK) {
        std::string machine = dialog.machine.empty() ? "localhost" : dialog.machine;
        if (App().OpenDocumentFile(machine.c_str())) return;
        if (document_ && document_->OpeningCancelled()) return;
    }
}

// The shown view always carries the first pane id, which is what makes a
// view fill itself on its initial update.
void CVantorelMainFrame::SwitchView(int mode) {
    if (mode == CurrentMode()) return;
    CView* old = GetActiveView();
    CView* next = mode == 1 ? static_cast<CView*>(listView_.get()) : TreeView(mode);
    if (!old || !next) return;
    HWND oldWindow = old->GetSafeHwnd(), nextWindow = next->GetSafeHwnd();
    LONG_PTR oldId = ::GetWindowLongPtrA(oldWindow, GWLP_ID);
    ::SetWindowLongPtrA(oldWindow, GWLP_ID, ::GetWindowLongPtrA(nextWindow, GWLP_ID));
    ::SetWindowLongPtrA(nextWindow, GWLP_ID, oldId);
    filterBar_.Show(mode == 1 ? static_cast<FilteredView*>(listView_.get())
                              : static_cast<CVantorelTreeView*>(next),
                    nextWindow);
    ::ShowWindow(nextWindow, SW_SHOW);
    ::ShowWindow(oldWindow, SW_HIDE);
    SetActiveView(next);
    RecalcLayout();
    // The view shown again is made with the states of now: one enumeration.
    if (document_) document_->Services().RefreshAllStatus();
    InitialUpdateFrame(GetActiveDocument());
    ::SetFocus(nextWindow);
}

bool CVantorelMainFrame::Create(CVantorelDocument* document) {
    document_ = document;
    RECT rect = InitialRect();
    if (!LoadFrame(IDR_MAINFRAME, kClassName, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, rect))
        return false;
    if (!CreateBars()) return false;
    listView_ = std::make_unique<CVantorelView>(context_);
    document->AddView(listView_.get());
    if (!listView_->Create(m_hWnd, AFX_IDW_PANE_FIRST)) return false;
    filterBar_.Show(listView_.get(), listView_->GetSafeHwnd());
    SetActiveView(listView_.get());
    RecalcLayout();
    AddElevationCommand();
    ArmTrayIcon();
    ::SetTimer(m_hWnd, kRefreshTimer, refreshPeriod_, nullptr);
    ArmMonitor();
    return true;
}

// Controlling services needs administrator rights: without them, where the
// system would grant them, the File menu offers to start again with them.
void CVantorelMainFrame::AddElevationCommand() {
    platform::ElevationApi& elevation = context_.platform.elevation;
    if (context_.automation || elevation.IsElevated() || !elevation.CanElevate()) return;
    HMENU file = ::GetSubMenu(::GetMenu(m_hWnd), 0);
    int items = file ? ::GetMenuItemCount(file) : 0;
    if (items <= 0) return;
    std::string text = Res().LoadText(IDS_RUN_AS_ADMINISTRATOR);
    // Just before "Salir", the last item.
    ::InsertMenuA(file, static_cast<UINT>(items - 1), MF_BYPOSITION | MF_STRING,
                  ID_FILE_RUN_AS_ADMINISTRATOR, text.c_str());
    ::DrawMenuBar(m_hWnd);
}

// The new program takes over this one's machine and view once this one has
// ended; a refused prompt leaves everything as it was.
void CVantorelMainFrame::RunAsAdministrator() {
    const char* machine = document_ ? document_->Core().currentList.GetMachineName() : nullptr;
    std::string arguments =
        HandoverArguments(::GetCurrentProcessId(), CurrentMode(), machine ? machine : "");
    if (!context_.platform.elevation.StartElevated(context_.launchPath, arguments)) return;
    DestroyWindow();
}

// An automation client's program watches nothing.
void CVantorelMainFrame::ArmMonitor() {
    if (context_.automation) return;
    SettingsStore store(context_.platform.registry);
    uint32_t period =
        MonitorTimerPeriod(static_cast<uint32_t>(store.Read(settings::kCompareTimer, 0)));
    if (period != 0)
        ::SetTimer(m_hWnd, kMonitorTimer, period, nullptr);
    else
        ::KillTimer(m_hWnd, kMonitorTimer);
}

void CVantorelMainFrame::Rearm() {
    ArmMonitor();
    SettingsStore store(context_.platform.registry);
    bool wanted = store.Read(settings::kShowTrayIcon, 0) != 0 && !context_.automation;
    if (wanted == tray_.Shown()) return;
    if (wanted) {
        tray_.Show();
        return;
    }
    tray_.Hide();
    ShowMainWindow();  // nothing else would reach a hidden window
}

bool CVantorelMainFrame::Busy() const {
    return document_ && document_->Busy();
}

// A pass waits while an operation has the document's services: it comes
// with the next period.
void CVantorelMainFrame::MonitorTick() {
    if (!document_ || document_->Busy()) return;
    MonitorCycle cycle(document_->Core(), context_.platform.registry, context_.platform.locale,
                       context_.history, *this);
    CVantorelDocument* document = document_;
    cycle.Tick([document](std::function<void()> work) { return document->RunBusy(work); });
}

// The first shown change of a pass: the alert image in the notification
// area, the sound played to its end, and the changed services window.
void CVantorelMainFrame::Alert(const AlertSettings& settings) {
    ImageList strip = Res().LoadImageStrip(IDB_ICON_STRIP);
    Icon alert(strip ? ImageList_GetIcon(strip.get(), kAlertImage, ILD_TRANSPARENT) : nullptr);
    if (alert) {
        SetTrayIconImage(alert.get());
        alertIcon_ = std::move(alert);
    }
    namespace sound = platform::sound;
    if (settings.beep)
        context_.platform.sound.PlaySoundA(IDR_ALERT_SOUND,
                                           Res().ModuleWith(IDR_ALERT_SOUND, resource_type::Wave()),
                                           sound::kResource | sound::kSync | sound::kNoDefault);
    changes_->ShowChangesWindow(settings.independent ? nullptr : m_hWnd, settings.bringToFront);
}

void CVantorelMainFrame::EndAlert() {
    SetTrayIconImage(Res().LoadSharedSmallIcon(IDI_TRAY));
}

void CVantorelMainFrame::Show(const ServiceChange& change, const platform::LocalDateTime& when) {
    changes_->AddChange(change, when);
}

// Independent unless the settings say otherwise, also when they cannot be read.
// What the dialog changed takes effect at once where it can: the icon, the
// comparison period and the list's columns.
void CVantorelMainFrame::ShowSettings(int page) {
    CSettingsDlg settings(context_, document_ ? &document_->Core() : nullptr, page, m_hWnd);
    if (settings.DoModal() != IDOK) return;
    Rearm();
    if (listView_) listView_->ReloadColumns();
}

void CVantorelMainFrame::ShowProperties(const std::string& service, HWND owner) {
    if (document_) CServicePropertiesDlg::ShowByName(context_, document_->Core(), service, owner);
}

void CVantorelMainFrame::RestoreServices() {
    if (!document_) return;
    std::string path;
    if (ChooseFile(m_hWnd, Res().LoadText(IDS_RESTORE_FILTER), document_->Core().title, nullptr,
                   false, &path))
        RestoreFile(path);
}

void CVantorelMainFrame::RestoreFileLater(const std::string& path) {
    namedSnapshot_ = path;
    ::PostMessageA(m_hWnd, kRestoreNamedFile, 0, 0);
}

// A posted message reaches the frame from inside whatever modal loop runs:
// the restore window waits for the user's dialog to close, tried again on
// a timer. The latest hand-over replaces one that waits.
void CVantorelMainFrame::ShowHandedOverSnapshot() {
    if (namedSnapshot_.empty()) return;
    if (ModalDialogRunning() || Busy()) {
        ::SetTimer(m_hWnd, kHandOverTimer, kHandOverRetryMs, nullptr);
        return;
    }
    ::KillTimer(m_hWnd, kHandOverTimer);
    std::string path;
    path.swap(namedSnapshot_);
    RestoreFile(path);
}

// The window keeps its own copies of the differences: a monitor pass while
// it is open replaces the document's.
void CVantorelMainFrame::RestoreFile(const std::string& path) {
    if (!document_ || !document_->CompareWithFile(path.c_str())) return;
    ServicesDocument& core = document_->Core();
    if (core.GetChangeCount() == 0) {
        ShowMessage(
            m_hWnd,
            FormatText(Res().LoadText(IDS_RESTORE_NO_CHANGES), core.GetChangeDate().c_str()),
            MB_OK | MB_ICONINFORMATION);
        return;
    }
    // Its close ends the alert too, as the monitor's window does.
    CChangedServicesDlg window(context_, [this] { EndAlert(); });
    window.SetShowProperties(
        [this](const std::string& service, HWND owner) { ShowProperties(service, owner); });
    const platform::LocalDateTime now = context_.platform.locale.Now();
    for (int i = 0; const ServiceChange* change = core.GetChange(i); ++i)
        window.AddChange(*change, now);
    window.RunRestore(core, m_hWnd);
}

void CVantorelMainFrame::ShowPendingChanges() {
    SettingsStore store(context_.platform.registry);
    bool independent = store.Read(settings::kIndependentWindow) != 0;
    changes_->ShowChangesWindow(independent ? nullptr : m_hWnd, true);
}

void CVantorelMainFrame::ArmTrayIcon() {
    tray_.Prepare(m_hWnd, kTrayNotify, Res().LoadSharedSmallIcon(IDI_TRAY),
                  Res().LoadText(IDS_TRAY_TIP));
    SettingsStore store(context_.platform.registry);
    if (store.Read(settings::kShowTrayIcon) && !context_.automation) tray_.Show();
}

void CVantorelMainFrame::SetTrayIconImage(HICON icon) {
    tray_.SetImage(icon);
}

void CVantorelMainFrame::ShowMainWindow() {
    if (IsWindowVisible()) return;
    ::ShowWindow(m_hWnd, SW_SHOW);
    if (::IsIconic(m_hWnd)) ::ShowWindow(m_hWnd, SW_RESTORE);
}

// Lets the menu close when the user clicks elsewhere.
void CVantorelMainFrame::ShowTrayMenu() {
    ::SetForegroundWindow(m_hWnd);
    Res().ShowPopupMenu(m_hWnd, IDR_CONTEXT_MENUS, CONTEXT_MENU_TRAY);
    ::PostMessageA(m_hWnd, kTrayMenuDone, 0, 0);
}

void CVantorelMainFrame::OnTrayNotify(UINT mouseMessage) {
    bool left = mouseMessage == WM_LBUTTONDOWN || mouseMessage == WM_LBUTTONDBLCLK;
    if (left && changes_ && changes_->HasPendingRows())
        ShowPendingChanges();
    else if (mouseMessage == WM_LBUTTONDOWN || mouseMessage == WM_RBUTTONDOWN)
        ShowTrayMenu();
    else if (mouseMessage == WM_LBUTTONDBLCLK)
        ShowMainWindow();
}

// With the icon in the notification area, closing only hides the window.
void CVantorelMainFrame::OnClose() {
    if (tray_.Shown() && IsWindowVisible()) {
        ::ShowWindow(m_hWnd, SW_HIDE);
        return;
    }
    CFrameWnd::OnClose();
}

bool CVantorelMainFrame::OnCommand(UINT id) {
    switch (id) {
        case ID_TRAY_RESTORE:
            ShowMainWindow();
            return true;
        case ID_TRAY_EXIT:
            DestroyWindow();
            return true;
        case ID_VIEW_LIST:
        case ID_VIEW_TREE_TYPES:
        case ID_VIEW_TREE_GROUPS:
        case ID_VIEW_TREE_DEPENDENCIES:
            SwitchView(ModeOfCommand(id));
            return true;
        case ID_FILE_OPEN:
            OpenServices();
            return true;
        case ID_VIEW_FILTER:  // the box, with the toolbar that holds it shown
            if (!Dock()->IsWindowVisible()) OnCommand(ID_VIEW_TOOLBAR);
            filterBar_.Box().Focus();
            return true;
        case ID_VIEW_REFRESH:
            ReloadServices(document_);
            return true;
        case ID_TOOLS_PENDING_CHANGES:
            ShowPendingChanges();
            return true;
        case ID_FILE_RESTORE:
            RestoreServices();
            return true;
        case ID_FILE_RUN_AS_ADMINISTRATOR:
            RunAsAdministrator();
            return true;
        case ID_TOOLS_SETTINGS:
        case ID_TRAY_SETTINGS:
            ShowSettings(CSettingsDlg::kGeneral);
            return true;
        case ID_TOOLS_LANGUAGE:
            ShowSettings(CSettingsDlg::kLanguage);
            return true;
        case ID_TOOLS_COLUMNS:
            ShowSettings(CSettingsDlg::kColumns);
            return true;
        case ID_TOOLS_HISTORY: {
            // Over this window: closed, it gives the focus back here.
            CHistoryDlg viewer(
                context_,
                [this](const std::string& service, HWND owner) { ShowProperties(service, owner); },
                m_hWnd);
            viewer.DoModal();
            return true;
        }
        case ID_APP_ABOUT:
        case ID_TRAY_ABOUT: {
            CAboutDlg about(context_, m_hWnd);
            about.DoModal();
            return true;
        }
        default:
            return CFrameWnd::OnCommand(id);
    }
}

bool CVantorelMainFrame::CreateBars() {
    if (!CreateToolBar(IDR_MAINFRAME, ID_VIEW_TOOLBAR, true)) return false;
    hiddenBar_ = CreateToolBar(IDR_HIDDEN_TOOLBAR, ID_VIEW_TOOLBAR, false);
    if (!hiddenBar_) return false;
    menuImages_.AddToolBar(MainToolBar());
    menuImages_.AddToolBar(hiddenBar_);
    if (!Dock() || !filterBar_.Create(*Dock())) return false;
    return CreateStatusBar(kIndicators, static_cast<int>(std::size(kIndicators)));
}

void CVantorelMainFrame::UpdateIndicatorTexts() {
    SetIndicatorText(ID_INDICATOR_SERVICES, filterBar_.CountText(document_));
}

// Keeps the rows on screen current; a refresh slower than its period
// lengthens the period for the rest of the run.
void CVantorelMainFrame::RefreshTick() {
    if (IsWindowVisible() && !Busy()) {
        DWORD start = ::GetTickCount();
        int mode = CurrentMode();
        if (mode == 1 && listView_) listView_->RefreshRows(true);
        if (mode > 1) treeViews_[mode - 2]->RefreshNodes(true);
        uint32_t next = NextRefreshPeriod(refreshPeriod_, ::GetTickCount() - start);
        if (next != refreshPeriod_) {
            refreshPeriod_ = next;
            ::SetTimer(m_hWnd, kRefreshTimer, refreshPeriod_, nullptr);
        }
    }
    tray_.Renew();
}

// Always saved; whether it is applied at the next start is a setting.
void CVantorelMainFrame::SavePlacement() {
    WindowPlacement placement;
    if (!PlacementOf(m_hWnd, &placement)) return;
    SettingsStore store(context_.platform.registry);
    store.WritePlacement(settings::kMainWindowPlacement, &placement);
}

bool CVantorelMainFrame::OnUpdateCommand(CCmdUI& ui) {
    if (int mode = ModeOfCommand(ui.id)) {
        ui.SetRadio(CurrentMode() == mode);
        return true;
    }
    if (ui.id == ID_TRAY_RESTORE) {
        ui.Enable(!IsWindowVisible());
        return true;
    }
    if (ui.id == ID_TOOLS_PENDING_CHANGES) {
        ui.Enable(changes_->HasPendingRows());
        return true;
    }
    if (ui.id == ID_FILE_RUN_AS_ADMINISTRATOR) return true;
    if (ui.id == ID_FILE_RESTORE) {
        ui.Enable(document_ != nullptr);
        return true;
    }
    if (ui.id == ID_TOOLS_HISTORY) {
        ui.Enable(context_.logOpen);
        return true;
    }
    if (ui.id == ID_TRAY_EXIT || ui.id == ID_APP_ABOUT || ui.id == ID_TRAY_ABOUT ||
        ui.id == ID_FILE_OPEN || ui.id == ID_VIEW_FILTER)
        return true;
    if (ui.id == ID_VIEW_REFRESH) {
        ui.Enable(document_ != nullptr);
        return true;
    }
    if (ui.id == ID_TOOLS_SETTINGS || ui.id == ID_TRAY_SETTINGS || ui.id == ID_TOOLS_LANGUAGE ||
        ui.id == ID_TOOLS_COLUMNS)
        return true;
    return CFrameWnd::OnUpdateCommand(ui);
}

// A minimised window with the icon shown may go to the notification area.
void CVantorelMainFrame::OnSized(WPARAM how) {
    if (how == SIZE_MINIMIZED && tray_.Shown() && IsWindowVisible()) {
        SettingsStore store(context_.platform.registry);
        if (store.Read(settings::kHideOnMinimize)) ::ShowWindow(m_hWnd, SW_HIDE);
    }
    if (!sizing_) SavePlacement();
}

LRESULT CVantorelMainFrame::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND:
            if (filterBar_.OnCommand(wp, document_)) {
                UpdateIndicatorTexts();
                return 0;
            }
            break;
        case WM_TIMER:
            if (wp == kRefreshTimer) {
                RefreshTick();
                return 0;
            }
            if (wp == kMonitorTimer) {
                MonitorTick();
                return 0;
            }
            if (wp == kHandOverTimer) {
                ShowHandedOverSnapshot();
                return 0;
            }
            break;
        case WM_SIZE: {
            LRESULT result = CFrameWnd::WindowProc(msg, wp, lp);
            OnSized(wp);
            return result;
        }
        // The placement is saved when a move or size ends, not on each step.
        case WM_ENTERSIZEMOVE:
            sizing_ = true;
            break;
        case WM_EXITSIZEMOVE:
            sizing_ = false;
            SavePlacement();
            break;
        case WM_MOVE: {
            LRESULT result = CFrameWnd::WindowProc(msg, wp, lp);
            if (!sizing_) SavePlacement();
            return result;
        }
        case WM_COPYDATA: {
            auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
            if (!data || data->dwData != kRestoreFileData || !data->lpData) break;
            // Only up to the first end of text, never beyond what came.
            const char* text = static_cast<const char*>(data->lpData);
            RestoreFileLater(std::string(text, strnlen(text, data->cbData)));
            return TRUE;
        }
        case kRestoreNamedFile:
            ShowHandedOverSnapshot();
            return 0;
        case kTrayNotify:
            OnTrayNotify(static_cast<UINT>(lp));
            return 0;
        // Every menu of the frame, the context and tray menus included.
        case WM_INITMENUPOPUP: {
            LRESULT result = CFrameWnd::WindowProc(msg, wp, lp);
            menuImages_.OnInitMenuPopup(reinterpret_cast<HMENU>(wp));
            return result;
        }
        case WM_MEASUREITEM:
            if (menuImages_.OnMeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lp))) return TRUE;
            break;
        case WM_DRAWITEM:
            if (menuImages_.OnDrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lp))) return TRUE;
            break;
        // Logoff and shutdown end the session as an exit does; after this
        // message the system may end the process at any moment.
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            if (wp) {
                SavePlacement();
                App().OnEndSession();
                // Where nothing ends the process for the system, it ends itself.
                ::PostMessageA(m_hWnd, kSessionEnded, 0, 0);
            }
            return 0;
        case kSessionEnded:
            DestroyWindow();
            return 0;
        case WM_DESTROY:
            SavePlacement();
            ::KillTimer(m_hWnd, kRefreshTimer);
            ::KillTimer(m_hWnd, kMonitorTimer);
            ::KillTimer(m_hWnd, kHandOverTimer);
            tray_.Hide();
            break;
        default:
            break;
    }
    return CFrameWnd::WindowProc(msg, wp, lp);
}
