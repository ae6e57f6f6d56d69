#include "ui/CVantorelView.h"

#include "framework/Dpi.h"
#include "framework/Resources.h"
#include "res/resource.h"
#include "settings/SettingsStore.h"
#include "toolkit/ListCtrlSupport.h"
#include "ui/CVantorelDocument.h"
#include "ui/ServiceViewSupport.h"

namespace {
const int kIconRoom = 35;  // at 100 %, as every width here
const int64_t kNoState = -1;
}  // namespace

// The control shares the image list: this view frees it, once.
bool CVantorelView::Create(HWND parent, UINT id) {
    DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SINGLESEL |
                  LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS;
    return CreateEx(0, WC_LISTVIEWA, "", style, 0, 0, 0, 0, parent,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

CVantorelDocument* CVantorelView::Doc() const {
    return static_cast<CVantorelDocument*>(GetDocument());
}

// Without the settings key only the name column is shown.
void CVantorelView::CreateColumns() {
    SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    SettingsStore store(context_.platform.registry);
    columns_ = ListColumns::FromMask(static_cast<uint32_t>(store.Read(settings::kShowColumns, 1)));
    int position = 0;
    for (int slot = 0; slot < kColumnCount; ++slot) {
        if (!columns_.visible[slot]) continue;
        std::string title = Res().LoadText(ColumnTitleId(slot));
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
        column.fmt = LVCFMT_LEFT;
        column.cx = dpi::Scale(kMinColumnWidth);  // a positive start the sizing can grow from
        column.pszText = &title[0];
        SendMessage(LVM_INSERTCOLUMNA, position++, reinterpret_cast<LPARAM>(&column));
    }
    columnsMade_ = true;
}

void CVantorelView::ReloadColumns() {
    if (!columnsMade_) return;
    while (SendMessage(LVM_DELETECOLUMN, 0)) {
    }
    CreateColumns();
    Rebuild();
}

void CVantorelView::OnInitialUpdate() {
    if (::GetDlgCtrlID(m_hWnd) != AFX_IDW_PANE_FIRST) return;
    if (!columnsMade_)
        CreateColumns();
    else
        SendMessage(LVM_DELETEALLITEMS);
    if (!images_) {
        images_ = Res().LoadImageStrip(IDB_ICON_STRIP);
        SendMessage(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_.get()));
    }
    Rebuild();
}

// A hidden view is rebuilt when the frame shows it again.
void CVantorelView::OnUpdate() {
    if (::GetDlgCtrlID(m_hWnd) == AFX_IDW_PANE_FIRST) Rebuild();
}

// The states are the enumeration's, fresh from the platform; only the
// configuration columns cost a query per service, while they are shown.
void CVantorelView::Rebuild() {
    if (!columnsMade_ || !Doc()) return;
    SendMessage(WM_SETREDRAW, FALSE);
    WaitCursor wait;
    std::string selected;
    int current = static_cast<int>(SendMessage(LVM_GETNEXTITEM, -1, LVNI_SELECTED));
    if (current >= 0) selected = listctrl::CellText(m_hWnd, current, 0);

    SendMessage(LVM_DELETEALLITEMS);
    listctrl::AutoSizeColumns(m_hWnd, 0, false);
    texts_.clear();
    ServiceList& list = Doc()->Services();
    generation_ = list.Generation();
    shownState_.assign(list.GetCount(), kNoState);
    SendMessage(LVM_SETITEMCOUNT, list.GetCount());
    for (uint32_t i = 0; i < list.GetCount(); ++i) {
        const ServiceEntry* entry = list.EntryAt(i);
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = static_cast<int>(i);
        item.pszText = entry->name;
        item.iImage = kImageNotShown;
        item.lParam = static_cast<LPARAM>(i);
        int row =
            static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        ShowEntry(row, i, *entry);
        FillConfiguration(row, entry->name);
    }
    // Rows stand in entry order until a sort.
    int select = selected.empty() ? -1 : list.IndexOf(selected.c_str());
    if (select < 0) select = 0;
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessage(LVM_SETITEMSTATE, select, reinterpret_cast<LPARAM>(&state));
    SendMessage(LVM_ENSUREVISIBLE, select, FALSE);
    listctrl::AutoSizeColumns(m_hWnd, 0, true);
    int first = static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, 0));
    if (first > 0) SendMessage(LVM_SETCOLUMNWIDTH, 0, first + dpi::Scale(kIconRoom));
    SendMessage(WM_SETREDRAW, TRUE);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

int CVantorelView::EntryOfRow(int row) const {
    if (!Doc() || generation_ != Doc()->Services().Generation()) return -1;
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return -1;
    if (item.lParam < 0 || static_cast<size_t>(item.lParam) >= shownState_.size()) return -1;
    return static_cast<int>(item.lParam);
}

// An unchanged row costs nothing here and is not drawn again.
void CVantorelView::ShowEntry(int row, uint32_t index, const ServiceEntry& entry) {
    if (columns_.visible[kColDescription] &&
        listctrl::CellText(m_hWnd, row, columns_.Position(kColDescription)) !=
            (entry.displayName ? entry.displayName : ""))
        SetCell(row, kColDescription, entry.displayName ? entry.displayName : "");
    if (shownState_[index] == entry.currentState) return;
    shownState_[index] = entry.currentState;
    if (columns_.visible[kColState])
        SetCell(row, kColState, CachedText(StateTextId(entry.currentState)));
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = StateImage(entry.currentState);
    SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void CVantorelView::FillConfiguration(int row, const char* name) {
    if (!columns_.visible[kColStartType] && !columns_.visible[kColAccount] &&
        !columns_.visible[kColErrorControl])
        return;
    platform::ServiceConfigRecord* config = nullptr;
    if (!Doc()->Services().QueryConfig(name, &config)) {
        ServiceList::FreeBuffer(config);
        return;
    }
    if (columns_.visible[kColStartType])
        SetCell(row, kColStartType, CachedText(StartTypeTextId(config->startType)));
    if (columns_.visible[kColAccount])
        SetCell(row, kColAccount, config->serviceStartName ? config->serviceStartName : "");
    if (columns_.visible[kColErrorControl])
        SetCell(row, kColErrorControl, CachedText(ErrorControlTextId(config->errorControl)));
    ServiceList::FreeBuffer(config);
}

// The few texts of the configuration columns, read once per rebuild.
const std::string& CVantorelView::CachedText(unsigned id) {
    auto found = texts_.find(id);
    if (found == texts_.end()) found = texts_.emplace(id, Res().LoadText(id)).first;
    return found->second;
}

void CVantorelView::SetCell(int row, int slot, const std::string& text) {
    int column = columns_.Position(slot);
    if (column >= 0) listctrl::SetCellText(m_hWnd, row, column, text);
}

// The rows' statuses, read the cheaper way: a query per row or one
// enumeration for all.
void CVantorelView::RefreshRows(bool visibleOnly) {
    if (!Doc()) return;
    ServiceList& list = Doc()->Services();
    int count = static_cast<int>(SendMessage(LVM_GETITEMCOUNT));
    int first = visibleOnly ? static_cast<int>(SendMessage(LVM_GETTOPINDEX)) : 0;
    int last = visibleOnly ? first + static_cast<int>(SendMessage(LVM_GETCOUNTPERPAGE)) : count;
    std::vector<uint32_t> indexes;
    std::vector<int> rowOf(shownState_.size(), -1);
    for (int row = first; row < last && row < count; ++row) {
        int index = EntryOfRow(row);
        if (index < 0) continue;
        indexes.push_back(static_cast<uint32_t>(index));
        rowOf[static_cast<size_t>(index)] = row;
    }
    for (uint32_t index : list.RefreshStatuses(indexes))
        ShowEntry(rowOf[index], index, *list.EntryAt(index));
    ::UpdateWindow(m_hWnd);
}

ServiceEntry* CVantorelView::GetSelectedEntry() {
    if (!Doc() || !m_hWnd) return nullptr;
    int row = static_cast<int>(SendMessage(LVM_GETNEXTITEM, -1, LVNI_SELECTED));
    int index = row < 0 ? -1 : EntryOfRow(row);
    return index < 0 ? nullptr : Doc()->Services().GetEntry(static_cast<uint32_t>(index));
}

// Names in bold in their colour, the state in its own.
LRESULT CVantorelView::CustomDraw(NMLVCUSTOMDRAW* draw) {
    return listctrl::DrawCells(
        draw, fonts_, [this](const NMLVCUSTOMDRAW& cell, listctrl::CellLook* look) {
            look->text = 0x000000;
            if (cell.iSubItem == 0) {
                look->text = kNameColour;
                look->bold = true;
            } else if (cell.iSubItem == columns_.Position(kColState)) {
                auto index = static_cast<size_t>(cell.nmcd.lItemlParam);
                int64_t shown = index < shownState_.size() ? shownState_[index] : kNoState;
                look->text = StateColour(static_cast<uint32_t>(shown));
            }
            return true;
        });
}

bool CVantorelView::OnReflectedNotify(NMHDR* header, LRESULT* result) {
    switch (header->code) {
        case LVN_COLUMNCLICK: {
            int column = reinterpret_cast<NMLISTVIEW*>(header)->iSubItem;
            if (column >= 0) listctrl::SortByColumn(m_hWnd, column);
            return true;
        }
        case NM_DBLCLK:
            if (reinterpret_cast<NMITEMACTIVATE*>(header)->iItem >= 0)
                OnCommand(ID_SERVICE_PROPERTIES);
            return true;
        case NM_RCLICK:
            ShowContextMenu(Res(), m_hWnd, CONTEXT_MENU_SERVICES);
            return true;
        case LVN_KEYDOWN: {
            WORD key = reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey;
            if (key == VK_RETURN) OnCommand(ID_SERVICE_PROPERTIES);
            if (key == VK_F5) ReloadServices(Doc());
            return true;
        }
        case NM_CUSTOMDRAW:
            *result = CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(header));
            return true;
        default:
            return false;
    }
}

// A column is never narrower than the minimum, also while it is being
// dragged: a width below it is refused and the minimum set instead.
bool CVantorelView::KeepColumnWidth(NMHEADERA* change) {
    if (!change->pitem || !(change->pitem->mask & HDI_WIDTH) ||
        change->pitem->cxy >= dpi::Scale(kMinColumnWidth))
        return false;
    if (SendMessage(LVM_GETCOLUMNWIDTH, change->iItem) != dpi::Scale(kMinColumnWidth))
        SendMessage(LVM_SETCOLUMNWIDTH, change->iItem, dpi::Scale(kMinColumnWidth));
    return true;
}

// The header is the list's own child, so its notifications arrive here.
LRESULT CVantorelView::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lp);
        if (header->hwndFrom == reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER))) {
            if (header->code == HDN_ITEMCHANGINGA || header->code == HDN_ITEMCHANGINGW) {
                if (KeepColumnWidth(reinterpret_cast<NMHEADERA*>(lp))) return TRUE;
            } else if (header->code == NM_RCLICK) {
                ShowContextMenu(Res(), m_hWnd, CONTEXT_MENU_LIST);
                return TRUE;
            }
        }
    }
    return CView::WindowProc(msg, wp, lp);
}

bool CVantorelView::OnCommand(UINT id) {
    if (IsServiceCommand(id)) {
        if (RunServiceCommand(Doc(), GetSelectedEntry(), id, m_hWnd)) RefreshRows(false);
        return true;
    }
    switch (id) {
        case ID_FILE_PRINT:  // the standard printing; the list adds nothing to the page
            OnFilePrint();
            return true;
        default:
            return false;
    }
}

bool CVantorelView::OnUpdateCommand(CCmdUI& ui) {
    if (IsServiceCommand(ui.id)) {
        UpdateServiceCommand(ui, GetSelectedEntry());
        return true;
    }
    return ui.id == ID_FILE_PRINT;
}
