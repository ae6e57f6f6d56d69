#include "toolkit/CPropertyPage.h"

#include <algorithm>
#include <vector>

#include "framework/Resources.h"
#include "res/resource.h"
#include "toolkit/DialogListItems.h"

bool CPropertyPage::CreateOver(HWND host, HWND area) {
    if (!Create(host)) return false;
    RECT r{};
    ::GetWindowRect(area, &r);
    ::MapWindowPoints(nullptr, host, reinterpret_cast<POINT*>(&r), 2);
    ::SetWindowLongPtrA(m_hWnd, GWL_EXSTYLE,
                        ::GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    ::SetWindowPos(m_hWnd, area, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
    return true;
}

bool CPropertyPage::OnInitDialog() {
    FillLists();
    return CDialog::OnInitDialog();
}

// Items that name a string take it from the texts in use; one whose string
// is empty there keeps the number, as the resources wrote it.
void CPropertyPage::FillLists() {
    LPCSTR type = MAKEINTRESOURCEA(RT_DIALOG_ITEMS);
    HINSTANCE module = Res().ModuleWith(templateId_, type);
    HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(templateId_), type);
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data) return;
    for (const DialogListItem& item : ParseDialogListItems(data, ::SizeofResource(module, found))) {
        unsigned id = ItemTextId(item.text);
        std::string text = id != 0 ? Res().LoadText(id) : std::string();
        if (text.empty()) text = item.text;
        ::SendDlgItemMessageA(m_hWnd, item.control, CB_ADDSTRING, 0,
                              reinterpret_cast<LPARAM>(text.c_str()));
    }
}

void CPropertyPage::Forward(UINT command) {
    HWND host = ::GetParent(m_hWnd);
    if (host) ::PostMessageA(host, WM_COMMAND, command, 0);
}

// Only the host ends: a page that ended itself would stay hidden when the
// host then stays open (a No to its question, a refused write).
void CPropertyPage::OnOK() {
    Forward(IDOK);
}

void CPropertyPage::OnCancel() {
    Forward(IDCANCEL);
}

namespace tabbed {

bool IsTabChange(UINT msg, LPARAM lp, int tabsId) {
    if (msg != WM_NOTIFY) return false;
    auto* header = reinterpret_cast<NMHDR*>(lp);
    return static_cast<int>(header->idFrom) == tabsId && header->code == TCN_SELCHANGE;
}

bool CreatePages(HWND host, HWND area, int count, const PageAt& pageAt) {
    HWND after = area;
    for (int page = 0; page < count; ++page) {
        if (!pageAt(page).CreateOver(host, after)) return false;
        after = pageAt(page).GetSafeHwnd();
    }
    return true;
}

void AddTabs(HWND tabs, HIMAGELIST images, int count, const std::function<std::string(int)>& text,
             const std::function<int(int)>& image) {
    ::SendMessageA(tabs, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
    for (int page = 0; page < count; ++page) {
        std::string title = text(page);
        TCITEMA tab{};
        tab.mask = TCIF_TEXT | TCIF_IMAGE;
        tab.pszText = &title[0];
        tab.iImage = image(page);
        ::SendMessageA(tabs, TCM_INSERTITEMA, page, reinterpret_cast<LPARAM>(&tab));
    }
}

int SelectedTab(HWND tabs) {
    return static_cast<int>(::SendMessageA(tabs, TCM_GETCURSEL, 0, 0));
}

void ShowPage(HWND tabs, int page, int count, const PageAt& pageAt) {
    ::SendMessageA(tabs, TCM_SETCURSEL, page, 0);
    for (int other = 0; other < count; ++other)
        ::ShowWindow(pageAt(other).GetSafeHwnd(), other == page ? SW_SHOW : SW_HIDE);
}

namespace {
// The page keys of the dialogs this thread shows, the latest last.
thread_local std::vector<PageKeys*> pageKeys;
}  // namespace

PageKeys::PageKeys(HWND tabs)
    : tabs_(tabs),
      hook_(::SetWindowsHookExA(WH_MSGFILTER, Filter, nullptr, ::GetCurrentThreadId())) {
    pageKeys.push_back(this);
}

PageKeys::~PageKeys() {
    pageKeys.erase(std::find(pageKeys.begin(), pageKeys.end(), this));
}

LRESULT CALLBACK PageKeys::Filter(int code, WPARAM wp, LPARAM lp) {
    if (code == MSGF_DIALOGBOX)
        for (auto keys = pageKeys.rbegin(); keys != pageKeys.rend(); ++keys)
            if ((*keys)->Turn(*reinterpret_cast<MSG*>(lp))) return TRUE;
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

bool PageKeys::Turn(const MSG& msg) const {
    HWND dialog = ::GetParent(tabs_);
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB || ::GetKeyState(VK_CONTROL) >= 0 ||
        !dialog || (msg.hwnd != dialog && !::IsChild(dialog, msg.hwnd)))
        return false;
    int count = static_cast<int>(::SendMessageA(tabs_, TCM_GETITEMCOUNT, 0, 0));
    if (count <= 0) return false;
    int step = ::GetKeyState(VK_SHIFT) < 0 ? count - 1 : 1;
    ::SendMessageA(tabs_, TCM_SETCURSEL, (SelectedTab(tabs_) + step) % count, 0);
    NMHDR header{tabs_, static_cast<UINT_PTR>(::GetDlgCtrlID(tabs_)),
                 static_cast<UINT>(TCN_SELCHANGE)};
    ::SendMessageA(dialog, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    return true;
}

}  // namespace tabbed
