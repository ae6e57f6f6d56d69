#include "framework/FrameWnd.h"

#include <cstring>

#include "framework/Dpi.h"
#include "framework/Resources.h"
#include "framework/WinApp.h"
#include "res/resource.h"

bool CFrameWnd::LoadFrame(UINT resourceId, const char* className, DWORD style, const RECT& rect) {
    // The window destroys its menu; until it exists, the owner does.
    Menu menu = Res().LoadMenuResource(resourceId);
    app_.m_accelerators = Res().LoadAcceleratorResource(resourceId);
    if (!CreateEx(0, className, app_.GetDocString(0).c_str(), style, rect.left, rect.top,
                  rect.right - rect.left, rect.bottom - rect.top, nullptr, menu.get()))
        return false;
    menu.release();
    return true;
}

HWND CFrameWnd::CreateToolBar(UINT resourceId, UINT barId, bool visible) {
    // A visible bar sits in the dock strip; a hidden one only carries its
    // commands.
    HWND owner = m_hWnd;
    if (visible) {
        dock_ = std::make_unique<CDockBar>();
        if (!dock_->Create(this)) return nullptr;
        owner = dock_->GetSafeHwnd();
    }
    auto made = std::make_unique<ToolBar>();
    if (!made->Create(Res(), owner, resourceId, barId, visible ? WS_VISIBLE : 0)) return nullptr;
    HWND bar = made->Hwnd();
    bars_.push_back(std::move(made));
    // Commands and tooltip requests come to the frame, wherever the bar sits.
    ::SendMessageA(bar, TB_SETPARENT, reinterpret_cast<WPARAM>(m_hWnd), 0);
    if (visible) {
        toolBar_ = bar;
        dock_->Hold(bar);
        dock_->SetSide(CDockBar::kTop);
    }
    return bar;
}

bool CFrameWnd::CreateStatusBar(const UINT* indicators, int count) {
    statusBar_ = ::CreateWindowExA(
        0, STATUSCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, m_hWnd,
        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(ID_VIEW_STATUS_BAR)),
        ::GetModuleHandleA(nullptr), nullptr);
    if (!statusBar_) return false;
    indicators_.assign(indicators, indicators + count);
    SetMessageText(Res().LoadText(AFX_IDS_IDLEMESSAGE));
    RecalcLayout();
    return true;
}

RECT CFrameWnd::DockArea() const {
    RECT area;
    ::GetClientRect(m_hWnd, &area);
    if (statusBar_ && ::IsWindowVisible(statusBar_)) {
        RECT r;
        ::GetWindowRect(statusBar_, &r);
        area.bottom -= r.bottom - r.top;
    }
    return area;
}

// The status bar takes the bottom, the toolbar its side of what is left, the
// view the rest.
void CFrameWnd::RecalcLayout() {
    if (!m_hWnd) return;
    if (statusBar_ && ::IsWindowVisible(statusBar_)) {
        ::SendMessageA(statusBar_, WM_SIZE, 0, 0);
        RECT client;
        ::GetClientRect(m_hWnd, &client);
        LayoutStatusParts(client.right);
    }
    RECT area = DockArea();
    if (dock_ && dock_->IsWindowVisible()) {
        RECT bar = dock_->TakeStrip(dock_->GetSide(), &area);
        ::MoveWindow(dock_->GetSafeHwnd(), bar.left, bar.top, bar.right - bar.left,
                     bar.bottom - bar.top, TRUE);
    }
    if (activeView_ && activeView_->GetSafeHwnd())
        ::MoveWindow(activeView_->GetSafeHwnd(), area.left, area.top,
                     area.right > area.left ? area.right - area.left : 0,
                     area.bottom > area.top ? area.bottom - area.top : 0, TRUE);
}

namespace {
bool IsKeyIndicator(UINT id) {
    return id == ID_INDICATOR_CAPS || id == ID_INDICATOR_NUM || id == ID_INDICATOR_SCRL;
}
}  // namespace

// The message pane takes what the indicators leave.
void CFrameWnd::LayoutStatusParts(int width) {
    std::vector<int> edges(indicators_.size() + 1);
    // At 100 %: the sizing grip's room, a key's indicator's width and that
    // of a pane of text.
    int right = width - dpi::Scale(20);
    for (size_t i = indicators_.size(); i > 0; --i) {
        edges[i] = right;
        right -= dpi::Scale(IsKeyIndicator(indicators_[i - 1]) ? 50 : 170);
    }
    edges[0] = right;
    ::SendMessageA(statusBar_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

void CFrameWnd::InitialUpdateFrame(CDocument* document) {
    if (activeView_ && activeView_->GetSafeHwnd()) activeView_->OnInitialUpdate();
    UpdateTitle(document);
}

void CFrameWnd::UpdateTitle(CDocument* document) {
    std::string appTitle = app_.GetDocString(0);
    std::string title = document && !document->GetTitle().empty()
                            ? document->GetTitle() + " - " + appTitle
                            : appTitle;
    ::SetWindowTextA(m_hWnd, title.c_str());
}

bool CFrameWnd::AllowedWhileBusy(UINT id) {
    return id == ID_APP_EXIT || id == ID_APP_ABOUT || id == ID_VIEW_TOOLBAR ||
           id == ID_VIEW_STATUS_BAR;
}

bool CFrameWnd::RunCommand(UINT id) {
    if (Busy() && !AllowedWhileBusy(id)) {
        ::MessageBeep(MB_ICONEXCLAMATION);
        SetMessageText(Res().LoadText(IDS_BUSY_WAIT));
        return true;
    }
    CCmdUI ui;
    ui.id = id;
    if (!RouteUpdate(ui) || !ui.enabled) return true;  // refused, or nobody knows it
    return RouteCommand(id);
}

bool CFrameWnd::RouteCommand(UINT id) {
    if (activeView_ && activeView_->OnCommand(id)) return true;
    if (CDocument* document = GetActiveDocument())
        if (document->OnCommand(id)) return true;
    if (OnCommand(id)) return true;
    return app_.OnCommand(id);
}

bool CFrameWnd::RouteUpdate(CCmdUI& ui) {
    if (Busy() && !AllowedWhileBusy(ui.id)) {
        ui.Enable(false);
        return true;
    }
    if (activeView_ && activeView_->OnUpdateCommand(ui)) return true;
    if (CDocument* document = GetActiveDocument())
        if (document->OnUpdateCommand(ui)) return true;
    if (OnUpdateCommand(ui)) return true;
    return app_.OnUpdateCommand(ui);
}

bool CFrameWnd::OnCommand(UINT id) {
    HWND bar = id == ID_VIEW_TOOLBAR ? DockHwnd() : id == ID_VIEW_STATUS_BAR ? statusBar_ : nullptr;
    if (!bar) return false;
    ::ShowWindow(bar, ::IsWindowVisible(bar) ? SW_HIDE : SW_SHOW);
    RecalcLayout();
    return true;
}

bool CFrameWnd::OnUpdateCommand(CCmdUI& ui) {
    HWND bar = ui.id == ID_VIEW_TOOLBAR      ? DockHwnd()
               : ui.id == ID_VIEW_STATUS_BAR ? statusBar_
                                             : nullptr;
    if (!bar) return false;
    ui.SetCheck(::IsWindowVisible(bar) != FALSE);
    return true;
}

// A command nobody knows is shown disabled, so commands of parts not built
// yet stay visible but cannot be chosen.
void CFrameWnd::UpdateMenu(HMENU menu) {
    InsertRecentFiles(menu);
    int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        UINT id = ::GetMenuItemID(menu, i);
        if (id == 0 || id == static_cast<UINT>(-1)) continue;
        CCmdUI ui;
        ui.id = id;
        if (!RouteUpdate(ui)) ui.enabled = false;
        ::EnableMenuItem(menu, i, MF_BYPOSITION | (ui.enabled ? MF_ENABLED : MF_GRAYED));
        if (ui.radio) ::CheckMenuRadioItem(menu, i, i, ui.checked ? i : count, MF_BYPOSITION);
        ::CheckMenuItem(menu, i, MF_BYPOSITION | (ui.checked ? MF_CHECKED : MF_UNCHECKED));
    }
}

// The recent list takes the place of its first entry in the menu it is in.
void CFrameWnd::InsertRecentFiles(HMENU menu) {
    int first = -1;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        UINT id = ::GetMenuItemID(menu, i);
        if (id >= ID_FILE_MRU_FILE1 && id <= ID_FILE_MRU_FILE4) {
            if (first < 0)
                first = i;
            else
                ::DeleteMenu(menu, i--, MF_BYPOSITION);
        }
    }
    if (first < 0) return;
    const auto& recent = app_.RecentFiles();
    if (recent.empty()) return;  // the placeholder stays, greyed
    ::DeleteMenu(menu, first, MF_BYPOSITION);
    for (size_t i = 0; i < recent.size(); ++i) {
        std::string text = "&" + std::to_string(i + 1) + " " + recent[i];
        ::InsertMenuA(menu, first + static_cast<int>(i), MF_BYPOSITION | MF_STRING,
                      ID_FILE_MRU_FILE1 + i, text.c_str());
    }
}

void CFrameWnd::UpdateCommandStates() {
    if (toolBar_ && dock_ && dock_->IsWindowVisible()) {
        int count = static_cast<int>(::SendMessageA(toolBar_, TB_BUTTONCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            TBBUTTON b{};
            ::SendMessageA(toolBar_, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&b));
            if (b.fsStyle & BTNS_SEP) continue;
            CCmdUI ui;
            ui.id = static_cast<UINT>(b.idCommand);
            if (!RouteUpdate(ui)) ui.enabled = false;
            ::SendMessageA(toolBar_, TB_ENABLEBUTTON, ui.id, MAKELONG(ui.enabled, 0));
            ::SendMessageA(toolBar_, TB_CHECKBUTTON, ui.id, MAKELONG(ui.checked, 0));
        }
    }
    UpdateIndicators();
    UpdateIndicatorTexts();
}

void CFrameWnd::UpdateIndicators() {
    if (!statusBar_) return;
    for (size_t i = 0; i < indicators_.size(); ++i) {
        if (!IsKeyIndicator(indicators_[i])) continue;
        int key = indicators_[i] == ID_INDICATOR_CAPS  ? VK_CAPITAL
                  : indicators_[i] == ID_INDICATOR_NUM ? VK_NUMLOCK
                                                       : VK_SCROLL;
        std::string text =
            (::GetKeyState(key) & 1) ? Res().LoadText(indicators_[i]) : std::string();
        if (text != PaneText(static_cast<int>(i) + 1))
            ::SendMessageA(statusBar_, SB_SETTEXTA, i + 1, reinterpret_cast<LPARAM>(text.c_str()));
    }
}

std::string CFrameWnd::PaneText(int pane) const {
    // The length comes first: a language module's text may be of any size.
    size_t length = LOWORD(::SendMessageA(statusBar_, SB_GETTEXTLENGTHA, pane, 0));
    std::string text(length + 1, '\0');
    ::SendMessageA(statusBar_, SB_GETTEXTA, pane, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(::strnlen(text.c_str(), length));
    return text;
}

int CFrameWnd::PaneOf(UINT id) const {
    for (size_t i = 0; i < indicators_.size(); ++i)
        if (indicators_[i] == id) return static_cast<int>(i) + 1;
    return -1;
}

void CFrameWnd::SetIndicatorText(UINT id, const std::string& text) {
    int pane = PaneOf(id);
    if (statusBar_ && pane > 0 && text != PaneText(pane))
        ::SendMessageA(statusBar_, SB_SETTEXTA, pane, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string CFrameWnd::IndicatorText(UINT id) const {
    int pane = PaneOf(id);
    return statusBar_ && pane > 0 ? PaneText(pane) : std::string();
}

// Only a control of this frame's own is remembered, and given back only
// while it can take the focus; else the view takes it, as at the start.
void CFrameWnd::RememberFocus() {
    HWND focus = ::GetFocus();
    if (focus && focus != m_hWnd && ::IsChild(m_hWnd, focus)) lastFocus_ = focus;
}

void CFrameWnd::RestoreFocus() {
    HWND target = lastFocus_;
    if (!target || !::IsWindow(target) || !::IsChild(m_hWnd, target) ||
        !::IsWindowVisible(target) || !::IsWindowEnabled(target))
        target = activeView_ ? activeView_->GetSafeHwnd() : nullptr;
    if (target) ::SetFocus(target);
}

void CFrameWnd::SetMessageText(const std::string& text) {
    if (statusBar_)
        ::SendMessageA(statusBar_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void CFrameWnd::ShowPrompt(UINT id) {
    std::string prompt = id != 0 ? Res().CommandPrompt(id) : std::string();
    SetMessageText(prompt.empty() ? Res().LoadText(AFX_IDS_IDLEMESSAGE) : prompt);
}

void CFrameWnd::OnClose() {
    DestroyWindow();
}

void CFrameWnd::PostNcDestroy() {
    if (app_.m_pMainWnd == this) app_.m_pMainWnd = nullptr;
    delete this;
}

LRESULT CFrameWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND:
            if (HIWORD(wp) <= 1 && RunCommand(LOWORD(wp))) return 0;
            break;
        case WM_INITMENUPOPUP:
            if (!HIWORD(lp)) UpdateMenu(reinterpret_cast<HMENU>(wp));
            return 0;
        case WM_MENUSELECT:
            ShowPrompt(HIWORD(wp) == 0xFFFF || (HIWORD(wp) & MF_POPUP) ? 0 : LOWORD(wp));
            return 0;
        case WM_EXITMENULOOP:
            ShowPrompt(0);
            break;
        case WM_SIZE:
            RecalcLayout();
            return 0;
        case WM_SYSCOLORCHANGE:
            // The common controls learn of new colours (a switch to high
            // contrast and back) from their window, and all is drawn again.
            ::EnumChildWindows(
                m_hWnd,
                [](HWND child, LPARAM) -> BOOL {
                    ::SendMessageA(child, WM_SYSCOLORCHANGE, 0, 0);
                    return TRUE;
                },
                0);
            ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            break;
        case WM_ACTIVATE:
            // Leaving, the focus is remembered; coming back (from a dialog
            // too), the system gives it to the frame, which passes it on.
            if (LOWORD(wp) == WA_INACTIVE) RememberFocus();
            break;
        case WM_CANCELMODE:  // the first a frame hears of being disabled for a dialog
            RememberFocus();
            break;
        case WM_SETFOCUS:
            RestoreFocus();
            return 0;
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_DESTROY:
            if (app_.m_pMainWnd == this) ::PostQuitMessage(0);
            break;
        case WM_NOTIFY:
            if (Res().AnswerTooltip(reinterpret_cast<NMHDR*>(lp))) return 0;
            break;
        default:
            break;
    }
    return CWnd::WindowProc(msg, wp, lp);
}
