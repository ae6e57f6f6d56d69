#include "ui/CRemoteMachinesDlg.h"

#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <vector>

#include "app/Win32Platform.h"
#include "document/MessageText.h"
#include "framework/FrameWnd.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "toolkit/ButtonBar.h"
#include "toolkit/ListCtrlSupport.h"
#include "ui/ServiceViewSupport.h"

namespace {

const UINT kEditDone = WM_APP + 20;
const int kStoredImage = 12;  // a computer
const int kAddedImage = 30;   // a plus

}  // namespace

// The edit box over a cell: Enter or leaving it keeps the text, Escape
// drops it. The dialog hears of the end once the box is gone.
class CCellEdit : public CWnd {
public:
    bool Create(HWND list, HWND dialog, const RECT& cell, const std::string& text) {
        dialog_ = dialog;
        if (!CreateEx(0, "EDIT", text.c_str(), WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL,
                      cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top, list,
                      nullptr))
            return false;
        SendMessage(WM_SETFONT, ::SendMessageA(list, WM_GETFONT, 0, 0), TRUE);
        SendMessage(EM_SETSEL, 0, -1);
        ::SetFocus(m_hWnd);
        return true;
    }
    bool committed = false;
    std::string text;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
            case WM_GETDLGCODE:
                return DLGC_WANTALLKEYS;
            case WM_KEYDOWN:
                if (wp == VK_RETURN || wp == VK_ESCAPE) {
                    Finish(wp == VK_RETURN);
                    return 0;
                }
                break;
            case WM_KILLFOCUS:
                Finish(true);
                break;
            default:
                break;
        }
        return CWnd::WindowProc(msg, wp, lp);
    }

private:
    void Finish(bool keep) {
        if (done_) return;
        done_ = true;
        committed = keep;
        char buffer[512] = "";
        ::GetWindowTextA(m_hWnd, buffer, sizeof buffer);
        text = buffer;
        ::PostMessageA(dialog_, kEditDone, 0, 0);
        ::DestroyWindow(m_hWnd);
    }
    HWND dialog_ = nullptr;
    bool done_ = false;
};

CRemoteMachinesDlg::CRemoteMachinesDlg(const std::string& initialMachine)
    : CDialog(IDD_REMOTE_MACHINES), initial_(initialMachine) {}

CRemoteMachinesDlg::~CRemoteMachinesDlg() {
    if (images_) ImageList_Destroy(images_);
}

bool CRemoteMachinesDlg::OnInitDialog() {
    list_ = ::GetDlgItem(m_hWnd, IDC_REMOTE_LIST);
    ::SendMessageA(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    images_ = CreateStateImages();
    ::SendMessageA(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_));
    for (int column : {0, 1}) {
        std::string title = LoadText(column ? IDS_REMOTE_COLUMN_ALIAS : IDS_REMOTE_COLUMN_MACHINE);
        LVCOLUMNA c{};
        c.mask = LVCF_TEXT | LVCF_WIDTH;
        c.pszText = const_cast<char*>(title.c_str());
        c.cx = 60;
        ::SendMessageA(list_, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&c));
    }
    bar_ = CreateButtonBar(m_hWnd, IDC_REMOTE_BUTTON_BAR, IDR_REMOTE_BAR);
    Load(true);
    return true;
}

void CRemoteMachinesDlg::Load(bool opening) {
    rows_.Load(ThePlatform().registry);
    int select = -1;
    for (size_t i = 0; opening && !initial_.empty() && i < rows_.rows.size(); ++i)
        if (rows_.rows[i].machine == initial_) select = static_cast<int>(i);
    ShowRows(select);
}

// The list shows the rows as they are; columns only ever widen.
void CRemoteMachinesDlg::ShowRows(int select) {
    ::SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(list_, LVM_DELETEALLITEMS, 0, 0);
    for (size_t i = 0; i < rows_.rows.size(); ++i) {
        const RemoteRow& row = rows_.rows[i];
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<char*>(row.machine.c_str());
        item.iImage = row.added ? kAddedImage : kStoredImage;
        int at = static_cast<int>(
            ::SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        listctrl::SetCellText(list_, at, 1, row.alias);
    }
    listctrl::AutoSizeColumns(list_, 0, false);
    if (select >= 0) {
        LVITEMA state{};
        state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
        ::SendMessageA(list_, LVM_SETITEMSTATE, select, reinterpret_cast<LPARAM>(&state));
        ::SendMessageA(list_, LVM_ENSUREVISIBLE, select, FALSE);
    }
    ::SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_, nullptr, TRUE);
    UpdateCommands();
}

int CRemoteMachinesDlg::Selected() const {
    return static_cast<int>(
        ::SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void CRemoteMachinesDlg::UpdateCommands() {
    if (!bar_) return;
    ::SendMessageA(bar_, TB_ENABLEBUTTON, ID_REMOTE_ADD, rows_.CanAdd());
    ::SendMessageA(bar_, TB_ENABLEBUTTON, ID_REMOTE_BROWSE, rows_.CanAdd());
    ::SendMessageA(bar_, TB_ENABLEBUTTON, ID_REMOTE_DELETE, Selected() >= 0);
}

void CRemoteMachinesDlg::AddRow(const std::string& machine) {
    rows_.rows.push_back(RemoteRow{machine, std::string(), true});
    ShowRows(static_cast<int>(rows_.rows.size()) - 1);
}

void CRemoteMachinesDlg::Add() {
    if (!rows_.CanAdd()) return;
    AddRow(rows_.NewMachineName(LoadText(IDS_REMOTE_NEW_PREFIX)));
    BeginEdit(static_cast<int>(rows_.rows.size()) - 1, 0);
}

void CRemoteMachinesDlg::Delete() {
    int row = Selected();
    if (row < 0) return;
    std::string name = RemoteMachineRows::ResultText(&rows_.rows[static_cast<size_t>(row)]);
    std::string question = FormatText(LoadText(IDS_REMOTE_DELETE_QUESTION), name.c_str());
    if (::MessageBoxA(m_hWnd, question.c_str(),
                      CWinApp::Get() ? CWinApp::Get()->m_appName.c_str() : "",
                      MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    rows_.rows.erase(rows_.rows.begin() + row);
    ShowRows(-1);
}

// A computer of the network neighbourhood, by the name the shell parses.
void CRemoteMachinesDlg::Browse() {
    if (!rows_.CanAdd()) return;
    LPITEMIDLIST network = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(m_hWnd, CSIDL_NETWORK, &network))) return;
    std::string title = LoadText(IDS_REMOTE_BROWSE_TITLE);
    char display[MAX_PATH] = "";
    BROWSEINFOA info{};
    info.hwndOwner = m_hWnd;
    info.pidlRoot = network;
    info.pszDisplayName = display;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_BROWSEFORCOMPUTER;
    LPITEMIDLIST chosen = ::SHBrowseForFolderA(&info);
    IShellFolder* desktop = nullptr;
    if (chosen && SUCCEEDED(::SHGetDesktopFolder(&desktop))) {
        STRRET name{};
        char text[MAX_PATH] = "";
        if (SUCCEEDED(
                desktop->GetDisplayNameOf(chosen, SHGDN_FORPARSING | SHGDN_FORADDRESSBAR, &name)) &&
            SUCCEEDED(::StrRetToBufA(&name, chosen, text, sizeof text))) {
            std::string machine = text;
            machine.erase(std::remove(machine.begin(), machine.end(), '\\'), machine.end());
            AddRow(machine);
        }
        desktop->Release();
    }
    if (chosen) ::CoTaskMemFree(chosen);
    ::CoTaskMemFree(network);
}

void CRemoteMachinesDlg::BeginEdit(int row, int column) {
    if (row < 0 || row >= static_cast<int>(rows_.rows.size())) return;
    RECT cell{};
    cell.top = column;
    cell.left = LVIR_LABEL;
    if (!::SendMessageA(list_, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell))) return;
    if (column == 0) {
        // The first column's rectangle is the whole row; the cell ends where
        // the second column begins.
        RECT second{};
        second.top = 1;
        second.left = LVIR_BOUNDS;
        if (::SendMessageA(list_, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&second)))
            cell.right = second.left;
    }
    const RemoteRow& data = rows_.rows[static_cast<size_t>(row)];
    edit_ = std::make_unique<CCellEdit>();
    editRow_ = row;
    editColumn_ = column;
    if (!edit_->Create(list_, m_hWnd, cell, column ? data.alias : data.machine)) edit_.reset();
}

void CRemoteMachinesDlg::EndEdit(const std::string* text) {
    int row = editRow_, column = editColumn_;
    editRow_ = -1;
    if (!text || row < 0 || row >= static_cast<int>(rows_.rows.size())) return;
    RemoteRow& data = rows_.rows[static_cast<size_t>(row)];
    if (column == 1) {
        data.alias = *text;
        ShowRows(row);
        return;
    }
    // An emptied name keeps the old one; a new name goes on to its alias.
    if (text->empty()) return;
    data.machine = *text;
    ShowRows(row);
    BeginEdit(row, 1);
}

void CRemoteMachinesDlg::SortBy(int column) {
    bool ascending = ascending_[column] = !ascending_[column];
    std::stable_sort(rows_.rows.begin(), rows_.rows.end(),
                     [&](const RemoteRow& a, const RemoteRow& b) {
                         const std::string& x = column ? a.alias : a.machine;
                         const std::string& y = column ? b.alias : b.machine;
                         return ascending ? x < y : y < x;
                     });
    ShowRows(-1);
}

bool CRemoteMachinesDlg::OnListNotify(NMHDR* header) {
    switch (header->code) {
        case LVN_ITEMCHANGED:
            UpdateCommands();
            return true;
        case LVN_COLUMNCLICK:
            SortBy(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem == 1 ? 1 : 0);
            return true;
        case NM_DBLCLK: {
            LVHITTESTINFO hit{};
            ::GetCursorPos(&hit.pt);
            ::ScreenToClient(list_, &hit.pt);
            ::SendMessageA(list_, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
            if (hit.iItem >= 0) BeginEdit(hit.iItem, hit.iSubItem == 1 ? 1 : 0);
            return true;
        }
        case NM_RCLICK: {
            HMENU menu = ::LoadMenuA(ResourceModule(), MAKEINTRESOURCEA(IDR_CONTEXT_MENUS));
            if (!menu) return true;
            HMENU popup = ::GetSubMenu(menu, CONTEXT_MENU_REMOTE);
            UINT add = MF_BYCOMMAND | (rows_.CanAdd() ? MF_ENABLED : MF_GRAYED);
            ::EnableMenuItem(popup, ID_REMOTE_ADD, add);
            ::EnableMenuItem(popup, ID_REMOTE_BROWSE, add);
            ::EnableMenuItem(popup, ID_REMOTE_DELETE,
                             MF_BYCOMMAND | (Selected() >= 0 ? MF_ENABLED : MF_GRAYED));
            POINT at;
            ::GetCursorPos(&at);
            ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, m_hWnd,
                             nullptr);
            ::DestroyMenu(menu);
            return true;
        }
        case LVN_KEYDOWN:
            switch (reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey) {
                case VK_INSERT:
                    Add();
                    break;
                case VK_DELETE:
                    Delete();
                    break;
                case VK_F2:
                    BeginEdit(Selected(), 0);
                    break;
                case VK_F5:
                    Load(false);
                    break;
                default:
                    break;
            }
            return true;
        default:
            return false;
    }
}

bool CRemoteMachinesDlg::OnCommand(UINT id) {
    switch (id) {
        case ID_REMOTE_ADD:
            Add();
            return true;
        case ID_REMOTE_BROWSE:
            Browse();
            return true;
        case ID_REMOTE_DELETE:
            Delete();
            return true;
        default:
            return false;
    }
}

void CRemoteMachinesDlg::OnOK() {
    int row = Selected();
    std::string chosen =
        RemoteMachineRows::ResultText(row >= 0 ? &rows_.rows[static_cast<size_t>(row)] : nullptr);
    if (!rows_.Save(ThePlatform().registry)) {
        ::MessageBoxA(m_hWnd, LoadText(IDS_REGISTRY_ERROR).c_str(),
                      CWinApp::Get() ? CWinApp::Get()->m_appName.c_str() : "", MB_OK | MB_ICONSTOP);
        return;
    }
    result = chosen;
    EndDialog(IDOK);
}

LRESULT CRemoteMachinesDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kEditDone && edit_) {
        std::unique_ptr<CCellEdit> done = std::move(edit_);
        EndEdit(done->committed ? &done->text : nullptr);
        return 0;
    }
    if (msg == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lp);
        if (header->hwndFrom == list_ && OnListNotify(header)) return 0;
        if (header->code == TTN_GETDISPINFOA) {
            auto* info = reinterpret_cast<NMTTDISPINFOA*>(lp);
            std::string text = CommandText(static_cast<UINT>(header->idFrom), true);
            if (!text.empty()) ::lstrcpynA(info->szText, text.c_str(), sizeof info->szText);
            return 0;
        }
    }
    return CDialog::WindowProc(msg, wp, lp);
}
