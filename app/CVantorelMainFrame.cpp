#include "app/CVantorelMainFrame.h"

#include "app/Win32Platform.h"
#include "document/CVantorelDocument.h"
#include "res/resource.h"
#include "settings/SettingsStore.h"
#include "views/CVantorelView.h"

namespace {
const char kClassName[] = "VantorelMainFrame";
const UINT kIndicators[] = {ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};
}  // namespace

// The middle two thirds of the screen, unless a remembered placement applies.
RECT CVantorelMainFrame::InitialRect() {
    int width = ::GetSystemMetrics(SM_CXFULLSCREEN), height = ::GetSystemMetrics(SM_CYFULLSCREEN);
    RECT rect{width / 6, height / 6, width / 6 + width * 2 / 3, height / 6 + height * 2 / 3};
    SettingsStore store(ThePlatform().registry);
    WindowPlacement placement;
    if (store.OpenConfiguration() && store.Read(settings::kRememberPlacement) &&
        store.ReadPlacement(settings::kMainWindowPlacement, &placement)) {
        rect = {placement.left, placement.top, placement.right, placement.bottom};
        initialShow_ = static_cast<int>(placement.showCmd);
    }
    return rect;
}

CVantorelMainFrame::~CVantorelMainFrame() { delete listView_; }

bool CVantorelMainFrame::Create(CVantorelDocument* document) {
    RECT rect = InitialRect();
    if (!LoadFrame(IDR_MAINFRAME, kClassName, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, rect))
        return false;
    if (!CreateBars()) return false;
    listView_ = new CVantorelView;
    document->AddView(listView_);
    if (!listView_->Create(m_hWnd, AFX_IDW_PANE_FIRST)) return false;
    SetActiveView(listView_);
    RecalcLayout();
    ::SetTimer(m_hWnd, kRefreshTimer, refreshPeriod_, nullptr);
    return true;
}

bool CVantorelMainFrame::CreateBars() {
    if (!CreateToolBar(IDR_MAINFRAME, ID_VIEW_TOOLBAR, true)) return false;
    hiddenBar_ = CreateToolBar(IDR_HIDDEN_TOOLBAR, ID_VIEW_TOOLBAR, false);
    if (!hiddenBar_) return false;
    return CreateStatusBar(kIndicators, 3);
}

// Keeps the rows on screen current; a refresh slower than its period
// lengthens the period for the rest of the run.
void CVantorelMainFrame::RefreshTick() {
    if (!IsWindowVisible()) return;
    DWORD start = ::GetTickCount();
    if (listView_ && GetActiveView() == listView_) listView_->RefreshRows(true);
    uint32_t next = NextRefreshPeriod(refreshPeriod_, ::GetTickCount() - start);
    if (next != refreshPeriod_) {
        refreshPeriod_ = next;
        ::SetTimer(m_hWnd, kRefreshTimer, refreshPeriod_, nullptr);
    }
}

// Always saved; whether it is applied at the next start is a setting.
void CVantorelMainFrame::SavePlacement() {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (!::GetWindowPlacement(m_hWnd, &wp) || wp.showCmd == 0) return;
    WindowPlacement placement;
    placement.length = wp.length;
    placement.flags = wp.flags;
    placement.showCmd = wp.showCmd;
    placement.minX = wp.ptMinPosition.x;
    placement.minY = wp.ptMinPosition.y;
    placement.maxX = wp.ptMaxPosition.x;
    placement.maxY = wp.ptMaxPosition.y;
    placement.left = wp.rcNormalPosition.left;
    placement.top = wp.rcNormalPosition.top;
    placement.right = wp.rcNormalPosition.right;
    placement.bottom = wp.rcNormalPosition.bottom;
    SettingsStore store(ThePlatform().registry);
    if (store.OpenConfiguration()) store.WritePlacement(settings::kMainWindowPlacement, &placement);
}

bool CVantorelMainFrame::OnUpdateCommand(CCmdUI& ui) {
    if (ui.id == ID_VIEW_LIST) {
        ui.SetRadio(GetActiveView() == listView_);
        return true;
    }
    if (ui.id == ID_TOOLS_COLUMNS) return false;  // arrives with the settings dialog
    return CFrameWnd::OnUpdateCommand(ui);
}

LRESULT CVantorelMainFrame::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_TIMER:
            if (wp == kRefreshTimer) {
                RefreshTick();
                return 0;
            }
            break;
        case WM_SIZE: {
            LRESULT result = CFrameWnd::WindowProc(msg, wp, lp);
            SavePlacement();
            return result;
        }
        case WM_MOVE: {
            LRESULT result = CFrameWnd::WindowProc(msg, wp, lp);
            SavePlacement();
            return result;
        }
        case WM_DESTROY:
            ::KillTimer(m_hWnd, kRefreshTimer);
            break;
        default:
            break;
    }
    return CFrameWnd::WindowProc(msg, wp, lp);
}
