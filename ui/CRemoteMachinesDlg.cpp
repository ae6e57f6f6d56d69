#include "ui/CRemoteMachinesDlg.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <vector>

#include "framework/Dpi.h"
#include "framework/Resources.h"
#include "platform/MessageText.h"
#include "res/resource.h"
#include "toolkit/ButtonBar.h"
#include "toolkit/ListCtrlSupport.h"

namespace {

const UINT kEditDone = WM_APP + 20;
const int kStoredImage = 12;  // a computer
const int kAddedImage = 30;   // a plus

}  // namespace

CRemoteMachinesDlg::CRemoteMachinesDlg(const Resources& resources, platform::RegistryApi& registry,
                                       const std::string& initialMachine, HWND parent)
    : CDialog(resources, IDD_REMOTE_MACHINES, parent),
      registry_(registry),
      initial_(initialMachine) {}

bool CRemoteMachinesDlg::OnInitDialog() {
    list_ = ::GetDlgItem(m_hWnd, IDC_REMOTE_LIST);
    ::SendMessageA(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    images_ = Res().LoadImageStrip(IDB_ICON_STRIP);
    ::SendMessageA(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_.get()));
    for (int column : {0, 1})
        listctrl::InsertColumn(
            list_, column,
            Res().LoadText(column ? IDS_REMOTE_COLUMN_ALIAS : IDS_REMOTE_COLUMN_MACHINE), 60);
    CreateButtonBar(Res(), bar_, m_hWnd, IDC_REMOTE_BUTTON_BAR, IDR_REMOTE_BAR);
    Load(true);
    return true;
}

void CRemoteMachinesDlg::Load(bool opening) {
    CommitEdit();
    rows_.Load(registry_);
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
        int at = listctrl::InsertRow(list_, static_cast<int>(i), row.machine,
                                     row.added ? kAddedImage : kStoredImage);
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
    return listctrl::SelectedRow(list_);
}

void CRemoteMachinesDlg::UpdateCommands() {
    if (!bar_.Hwnd()) return;
    ::SendMessageA(bar_.Hwnd(), TB_ENABLEBUTTON, ID_REMOTE_ADD, rows_.CanAdd());
    ::SendMessageA(bar_.Hwnd(), TB_ENABLEBUTTON, ID_REMOTE_BROWSE, rows_.CanAdd());
    ::SendMessageA(bar_.Hwnd(), TB_ENABLEBUTTON, ID_REMOTE_DELETE, Selected() >= 0);
}

void CRemoteMachinesDlg::AddRow(const std::string& machine) {
    rows_.rows.push_back(RemoteRow{machine, std::string(), true});
    ShowRows(static_cast<int>(rows_.rows.size()) - 1);
}

void CRemoteMachinesDlg::Add() {
    CommitEdit();
    if (!rows_.CanAdd()) return;
    AddRow(rows_.NewMachineName(Res().LoadText(IDS_REMOTE_NEW_PREFIX)));
    BeginEdit(static_cast<int>(rows_.rows.size()) - 1, 0);
}

void CRemoteMachinesDlg::Delete() {
    CommitEdit();
    int row = Selected();
    if (row < 0) return;
    std::string name = RemoteMachineRows::ResultText(&rows_.rows[static_cast<size_t>(row)]);
    std::string question = FormatText(Res().LoadText(IDS_REMOTE_DELETE_QUESTION), name.c_str());
    if (ShowMessage(m_hWnd, question, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    rows_.rows.erase(rows_.rows.begin() + row);
    ShowRows(-1);
}

// A computer of the network neighbourhood, by the name the shell parses.
void CRemoteMachinesDlg::Browse() {
    CommitEdit();
    if (!rows_.CanAdd()) return;
    ItemIdList network;
    LPITEMIDLIST root = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(m_hWnd, CSIDL_NETWORK, &root))) return;
    network.reset(root);
    std::string title = Res().LoadText(IDS_REMOTE_BROWSE_TITLE);
    char display[MAX_PATH] = "";
    BROWSEINFOA info{};
    info.hwndOwner = m_hWnd;
    info.pidlRoot = network.get();
    info.pszDisplayName = display;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_BROWSEFORCOMPUTER;
    ItemIdList chosen(::SHBrowseForFolderA(&info));
    ComPtr<IShellFolder> desktop;
    if (!chosen || FAILED(::SHGetDesktopFolder(desktop.put()))) return;
    STRRET name{};
    char text[MAX_PATH] = "";
    if (FAILED(desktop->GetDisplayNameOf(chosen.get(), SHGDN_FORPARSING | SHGDN_FORADDRESSBAR,
                                         &name)) ||
        FAILED(::StrRetToBufA(&name, chosen.get(), text, sizeof text)))
        return;
    std::string machine = text;
    machine.erase(std::remove(machine.begin(), machine.end(), '\\'), machine.end());
    AddRow(machine);
}

void CRemoteMachinesDlg::BeginEdit(int row, int column) {
    CommitEdit();
    if (row < 0 || row >= static_cast<int>(rows_.rows.size())) return;
    const RemoteRow& data = rows_.rows[static_cast<size_t>(row)];
    edit_.Open(list_, row, column, column ? data.alias : data.machine, m_hWnd, kEditDone);
}

void CRemoteMachinesDlg::CommitEdit() {
    edit_.Close(true);
    CellEditResult done;
    if (edit_.TakeResult(&done)) ApplyEdit(done, false);
}

// An emptied name keeps the old one. A name the user ended with Enter goes
// on to its alias; one ended by another action does not.
void CRemoteMachinesDlg::ApplyEdit(const CellEditResult& edit, bool byUser) {
    if (!edit.keep || edit.row < 0 || edit.row >= static_cast<int>(rows_.rows.size())) return;
    RemoteRow& data = rows_.rows[static_cast<size_t>(edit.row)];
    if (edit.column == 0 && edit.text.empty()) return;
    (edit.column == 1 ? data.alias : data.machine) = edit.text;
    ShowRows(byUser ? edit.row : Selected());
    if (byUser && edit.column == 0) BeginEdit(edit.row, 1);
}

// The selected row stays selected wherever the sort puts it.
void CRemoteMachinesDlg::SortBy(int column) {
    CommitEdit();
    int selected = Selected();
    bool ascending = ascending_[column] = !ascending_[column];
    std::vector<int> order = rows_.SortBy(column, ascending);
    auto at = std::find(order.begin(), order.end(), selected);
    ShowRows(selected >= 0 && at != order.end() ? static_cast<int>(at - order.begin()) : -1);
}

void CRemoteMachinesDlg::ShowListMenu() {
    Res().ShowPopupMenu(m_hWnd, IDR_CONTEXT_MENUS, CONTEXT_MENU_REMOTE, [&](HMENU popup) {
        UINT add = MF_BYCOMMAND | (rows_.CanAdd() ? MF_ENABLED : MF_GRAYED);
        ::EnableMenuItem(popup, ID_REMOTE_ADD, add);
        ::EnableMenuItem(popup, ID_REMOTE_BROWSE, add);
        ::EnableMenuItem(popup, ID_REMOTE_DELETE,
                         MF_BYCOMMAND | (Selected() >= 0 ? MF_ENABLED : MF_GRAYED));
    });
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
        case NM_RCLICK:
            ShowListMenu();
            return true;
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
    CommitEdit();
    int row = Selected();
    std::string chosen =
        RemoteMachineRows::ResultText(row >= 0 ? &rows_.rows[static_cast<size_t>(row)] : nullptr);
    if (!rows_.Save(registry_)) {
        ShowMessage(m_hWnd, Res().LoadText(IDS_REGISTRY_ERROR), MB_OK | MB_ICONSTOP);
        return;
    }
    result = chosen;
    EndDialog(IDOK);
}

LRESULT CRemoteMachinesDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    // Only the edit open now may end it: a late word from an earlier one
    // (already taken) changes nothing.
    if (msg == kEditDone) {
        CellEditResult done;
        if (static_cast<unsigned>(wp) == edit_.Serial() && edit_.TakeResult(&done))
            ApplyEdit(done, true);
        return 0;
    }
    if (msg == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lp);
        if (header->hwndFrom == list_ && OnListNotify(header)) return 0;
        if (Res().AnswerTooltip(header)) return 0;
    }
    return CDialog::WindowProc(msg, wp, lp);
}
