#include "framework/FrameWnd.h"

#include "framework/WinApp.h"
#include "res/resource.h"

namespace {

const int kImageSize = 16;

// The toolbar resource: the image size, the count and the command ids (0 for
// a separator), in words behind a version word of 1 as Microsoft's resource
// compiler writes it, or in double words as windres writes it.
std::vector<UINT> ToolBarCommands(UINT resourceId) {
    std::vector<UINT> ids;
    HINSTANCE module = ResourceModule();
    HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(241));
    if (!found) {
        module = ::GetModuleHandleA(nullptr);
        found = ::FindResourceA(module, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(241));
    }
    if (!found) return ids;
    const void* data = ::LockResource(::LoadResource(module, found));
    DWORD size = ::SizeofResource(module, found);
    if (!data || size < 8) return ids;
    const WORD* words = static_cast<const WORD*>(data);
    const DWORD* dwords = static_cast<const DWORD*>(data);
    if (words[0] == 1 && size >= 8u + 2u * words[3]) {
        for (WORD i = 0; i < words[3]; ++i) ids.push_back(words[4 + i]);
    } else if (size >= 12 && dwords[2] <= (size - 12) / 4) {
        for (DWORD i = 0; i < dwords[2]; ++i) ids.push_back(dwords[3 + i]);
    }
    return ids;
}

}  // namespace

std::string CommandText(UINT id, bool tooltip) {
    std::string text = LoadText(id);
    size_t br = text.find('\n');
    if (br == std::string::npos) return tooltip ? std::string() : text;
    return tooltip ? text.substr(br + 1) : text.substr(0, br);
}


bool CFrameWnd::LoadFrame(UINT resourceId, const char* className, DWORD style,
                          const RECT& rect) {
    HMENU menu = ::LoadMenuA(ResourceModule(), MAKEINTRESOURCEA(resourceId));
    CWinApp* app = CWinApp::Get();
    app->m_accelerators = ::LoadAcceleratorsA(ResourceModule(), MAKEINTRESOURCEA(resourceId));
    return CreateEx(0, className, app->GetDocString(0).c_str(), style, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top, nullptr, menu);
}

HWND CreateToolBarControl(HWND parent, UINT resourceId, UINT barId, DWORD style) {
    std::vector<UINT> ids = ToolBarCommands(resourceId);
    if (ids.empty()) return nullptr;
    style |= WS_CHILD | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NORESIZE |
             CCS_NOPARENTALIGN;
    HWND bar = ::CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr, style, 0, 0, 0, 0, parent,
                                 reinterpret_cast<HMENU>(static_cast<UINT_PTR>(barId)),
                                 ::GetModuleHandleA(nullptr), nullptr);
    if (!bar) return nullptr;
    ::SendMessageA(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    HIMAGELIST images = nullptr;
    for (HINSTANCE module : {ResourceModule(), ::GetModuleHandleA(nullptr)})
        if (!images)
            images = ImageList_LoadImageA(module, MAKEINTRESOURCEA(resourceId), kImageSize, 0,
                                          RGB(255, 0, 255), IMAGE_BITMAP, LR_CREATEDIBSECTION);
    ::SendMessageA(bar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
    std::vector<TBBUTTON> buttons;
    int image = 0;
    for (UINT id : ids) {
        TBBUTTON b{};
        b.idCommand = static_cast<int>(id);
        b.fsState = TBSTATE_ENABLED;
        b.fsStyle = id == 0 ? BTNS_SEP : BTNS_BUTTON;
        b.iBitmap = id == 0 ? 0 : image++;
        buttons.push_back(b);
    }
    ::SendMessageA(bar, TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    return bar;
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
    HWND bar = CreateToolBarControl(owner, resourceId, barId, visible ? WS_VISIBLE : 0);
    if (!bar) return nullptr;
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
    statusBar_ = ::CreateWindowExA(0, STATUSCLASSNAMEA, nullptr,
                                   WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, m_hWnd,
                                   reinterpret_cast<HMENU>(static_cast<UINT_PTR>(ID_VIEW_STATUS_BAR)),
                                   ::GetModuleHandleA(nullptr), nullptr);
    if (!statusBar_) return false;
    indicators_.assign(indicators, indicators + count);
    SetMessageText(LoadText(AFX_IDS_IDLEMESSAGE));
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

// The message pane takes what the indicators leave.
void CFrameWnd::LayoutStatusParts(int width) {
    std::vector<int> edges(indicators_.size() + 1);
    int right = width - 20;
    for (size_t i = indicators_.size(); i > 0; --i) {
        edges[i] = right;
        right -= 50;
    }
    edges[0] = right;
    ::SendMessageA(statusBar_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

void CFrameWnd::InitialUpdateFrame(CDocument* document) {
    if (activeView_ && activeView_->GetSafeHwnd()) activeView_->OnInitialUpdate();
    UpdateTitle(document);
}

void CFrameWnd::UpdateTitle(CDocument* document) {
    std::string appTitle = CWinApp::Get()->GetDocString(0);
    std::string title = document && !document->GetTitle().empty()
                            ? document->GetTitle() + " - " + appTitle
                            : appTitle;
    ::SetWindowTextA(m_hWnd, title.c_str());
}

bool CFrameWnd::RouteCommand(UINT id) {
    if (activeView_ && activeView_->OnCommand(id)) return true;
    if (CDocument* document = GetActiveDocument())
        if (document->OnCommand(id)) return true;
    if (OnCommand(id)) return true;
    return CWinApp::Get()->OnCommand(id);
}

bool CFrameWnd::RouteUpdate(CCmdUI& ui) {
    if (activeView_ && activeView_->OnUpdateCommand(ui)) return true;
    if (CDocument* document = GetActiveDocument())
        if (document->OnUpdateCommand(ui)) return true;
    if (OnUpdateCommand(ui)) return true;
    return CWinApp::Get()->OnUpdateCommand(ui);
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
        if (ui.radio)
            ::CheckMenuRadioItem(menu, i, i, ui.checked ? i : count, MF_BYPOSITION);
        ::CheckMenuItem(menu, i, MF_BYPOSITION | (ui.checked ? MF_CHECKED : MF_UNCHECKED));
    }
}

// The recent list takes the place of its first entry in the menu it is in.
void CFrameWnd::InsertRecentFiles(HMENU menu) {
    int first = -1;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        UINT id = ::GetMenuItemID(menu, i);
        if (id >= ID_FILE_MRU_FILE1 && id <= ID_FILE_MRU_FILE4) {
            if (first < 0) first = i;
            else ::DeleteMenu(menu, i--, MF_BYPOSITION);
        }
    }
    if (first < 0) return;
    const auto& recent = CWinApp::Get()->RecentFiles();
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
}

void CFrameWnd::UpdateIndicators() {
    if (!statusBar_) return;
    for (size_t i = 0; i < indicators_.size(); ++i) {
        int key = indicators_[i] == ID_INDICATOR_CAPS  ? VK_CAPITAL
                  : indicators_[i] == ID_INDICATOR_NUM ? VK_NUMLOCK
                                                       : VK_SCROLL;
        std::string text = (::GetKeyState(key) & 1) ? LoadText(indicators_[i]) : std::string();
        char current[64] = "";
        ::SendMessageA(statusBar_, SB_GETTEXTA, i + 1, reinterpret_cast<LPARAM>(current));
        if (text != current)
            ::SendMessageA(statusBar_, SB_SETTEXTA, i + 1, reinterpret_cast<LPARAM>(text.c_str()));
    }
}

void CFrameWnd::SetMessageText(const std::string& text) {
    if (statusBar_)
        ::SendMessageA(statusBar_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void CFrameWnd::ShowPrompt(UINT id) {
    std::string prompt = id != 0 ? CommandText(id, false) : std::string();
    SetMessageText(prompt.empty() ? LoadText(AFX_IDS_IDLEMESSAGE) : prompt);
}

void CFrameWnd::OnClose() { DestroyWindow(); }

void CFrameWnd::PostNcDestroy() {
    if (CWinApp::Get()->m_pMainWnd == this) CWinApp::Get()->m_pMainWnd = nullptr;
    delete this;
}

LRESULT CFrameWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND:
            if (HIWORD(wp) <= 1 && RouteCommand(LOWORD(wp))) return 0;
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
        case WM_SETFOCUS:
            if (activeView_ && activeView_->GetSafeHwnd()) ::SetFocus(activeView_->GetSafeHwnd());
            return 0;
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_DESTROY:
            if (CWinApp::Get()->m_pMainWnd == this) ::PostQuitMessage(0);
            break;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lp);
            if (header->code == TTN_GETDISPINFOA) {
                auto* info = reinterpret_cast<NMTTDISPINFOA*>(lp);
                tips_.push_back(CommandText(static_cast<UINT>(header->idFrom), true));
                if (tips_.size() > 8) tips_.erase(tips_.begin());
                info->lpszText = const_cast<char*>(tips_.back().c_str());
                return 0;
            }
            break;
        }
        default:
            break;
    }
    return CWnd::WindowProc(msg, wp, lp);
}
