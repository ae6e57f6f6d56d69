#include "ui/CVantorelView.h"

#include <algorithm>
#include <optional>

#include "framework/Dpi.h"
#include "framework/Resources.h"
#include "res/resource.h"
#include "settings/SettingsStore.h"
#include "toolkit/ListCtrlSupport.h"
#include "ui/CVantorelDocument.h"
#include "ui/ListTransfer.h"
#include "ui/ServiceViewSupport.h"

namespace {
const int kIconRoom = 35;  // at 100 %, as every width here
const int kColumnMargin = 25;
const int64_t kNoState = -1;
}  // namespace

// The control shares the image list: this view frees it, once. It holds
// no rows of its own: it asks for what it draws.
bool CVantorelView::Create(HWND parent, UINT id) {
    DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA |
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
        slotOf_[position] = slot;
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
    if (!columnsMade_) CreateColumns();
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
// The selection stays on its services by name: the entries are new.
void CVantorelView::Rebuild() {
    if (!columnsMade_ || !Doc()) return;
    // Only the configuration columns wait on the platform; setting the
    // cursor there and back costs Wine about a tenth of a rebuild.
    std::optional<WaitCursor> wait;
    if (ShowsConfiguration()) wait.emplace();
    // The rows still hold the names of the earlier list.
    std::vector<std::string> selectedNames;
    std::string focusedName;
    auto nameOf = [this](int row) {
        return row >= 0 && static_cast<size_t>(row) < rows_.Count()
                   ? rows_.Cell(rows_.EntryOf(static_cast<size_t>(row)), kColName)
                   : std::string();
    };
    for (int row : SelectedRows()) selectedNames.push_back(nameOf(row));
    focusedName = nameOf(static_cast<int>(SendMessage(LVM_GETNEXTITEM, -1, LVNI_FOCUSED)));

    texts_.clear();
    ServiceList& list = Doc()->Services();
    generation_ = list.Generation();
    shownState_.assign(list.GetCount(), kNoState);
    rows_.Reset(list.GetCount());
    for (uint32_t i = 0; i < list.GetCount(); ++i) {
        const ServiceEntry* entry = list.EntryAt(i);
        rows_.SetCell(i, kColName, entry->name ? entry->name : "");
        ShowEntry(i, *entry);
        FillConfiguration(i, entry->name);
    }
    if (!rows_.SetFilter(Doc()->FilterText())) rows_.Choose();

    std::vector<uint32_t> selected;
    for (const std::string& name : selectedNames) {
        int index = name.empty() ? -1 : list.IndexOf(name.c_str());
        if (index >= 0) selected.push_back(static_cast<uint32_t>(index));
    }
    int focused = focusedName.empty() ? -1 : list.IndexOf(focusedName.c_str());
    SizeColumns();
    ShowRows(selected, focused);
}

// A selection that no longer shows falls to the first row, so that the
// keys and commands always have a row to act on. Only the rows whose state
// changes are touched, a focus that stays on its row is left alone, and the
// list is drawn once, at the end: Wine draws at once at each change of every
// row's state, and scrolls to the row that takes the focus; either costs
// more than reading the whole machine again.
void CVantorelView::ShowRows(const std::vector<uint32_t>& selected, int64_t focused) {
    if (SendMessage(LVM_GETITEMCOUNT) != static_cast<LRESULT>(rows_.Count()))
        SendMessage(LVM_SETITEMCOUNT, rows_.Count(), LVSICF_NOINVALIDATEALL);
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED;
    for (int row : SelectedRows())
        SendMessage(LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
    std::vector<int> shown;
    for (uint32_t entry : selected)
        if (rows_.RowOf(entry) >= 0) shown.push_back(rows_.RowOf(entry));
    int focusRow = focused >= 0 ? rows_.RowOf(static_cast<uint32_t>(focused)) : -1;
    if (shown.empty() && rows_.Count() > 0) shown.push_back(focusRow >= 0 ? focusRow : 0);
    if (focusRow < 0 && !shown.empty()) focusRow = *std::min_element(shown.begin(), shown.end());
    state.state = LVIS_SELECTED;
    // Every row at once where every row is selected (thousands of them).
    if (shown.size() == rows_.Count())
        SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
    else
        for (int row : shown) SendMessage(LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
    int oldFocus = static_cast<int>(SendMessage(LVM_GETNEXTITEM, -1, LVNI_FOCUSED));
    if (focusRow != oldFocus) {
        state.stateMask = LVIS_FOCUSED;
        state.state = 0;
        if (oldFocus >= 0)
            SendMessage(LVM_SETITEMSTATE, oldFocus, reinterpret_cast<LPARAM>(&state));
        state.state = LVIS_FOCUSED;
        if (focusRow >= 0) {
            SendMessage(LVM_SETITEMSTATE, focusRow, reinterpret_cast<LPARAM>(&state));
            SendMessage(LVM_ENSUREVISIBLE, focusRow, FALSE);
        }
    }
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CVantorelView::SelectedEntries(std::vector<uint32_t>* selected, int64_t* focused) const {
    for (int row : SelectedRows())
        if (EntryOfRow(row) >= 0) selected->push_back(static_cast<uint32_t>(EntryOfRow(row)));
    *focused = EntryOfRow(static_cast<int>(SendMessage(LVM_GETNEXTITEM, -1, LVNI_FOCUSED)));
}

void CVantorelView::ApplyFilter() {
    if (!columnsMade_ || !Doc()) return;
    if (generation_ != Doc()->Services().Generation()) {
        Rebuild();  // the rows stand for an earlier list
        return;
    }
    std::vector<uint32_t> selected;
    int64_t focused = -1;
    SelectedEntries(&selected, &focused);
    if (rows_.SetFilter(Doc()->FilterText())) ShowRows(selected, focused);
}

void CVantorelView::SortByColumn(int column) {
    if (column < 0 || column >= listctrl::ColumnCount(m_hWnd)) return;
    std::vector<uint32_t> selected;
    int64_t focused = -1;
    SelectedEntries(&selected, &focused);
    rows_.SortBy(slotOf_[column]);
    ShowRows(selected, focused);
}

int CVantorelView::EntryOfRow(int row) const {
    if (!Doc() || generation_ != Doc()->Services().Generation()) return -1;
    if (row < 0 || static_cast<size_t>(row) >= rows_.Count()) return -1;
    uint32_t entry = rows_.EntryOf(static_cast<size_t>(row));
    return entry < shownState_.size() ? static_cast<int>(entry) : -1;
}

std::vector<int> CVantorelView::SelectedRows() const {
    std::vector<int> rows;
    for (int row = -1;
         (row = static_cast<int>(SendMessage(LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0;)
        rows.push_back(row);
    return rows;
}

// An unchanged row costs nothing here and is not drawn again.
bool CVantorelView::ShowEntry(uint32_t index, const ServiceEntry& entry) {
    bool changed =
        rows_.SetCell(index, kColDescription, entry.displayName ? entry.displayName : "");
    if (shownState_[index] == entry.currentState) return changed;
    shownState_[index] = entry.currentState;
    rows_.SetCell(index, kColState, CachedText(StateTextId(entry.currentState)));
    return true;
}

bool CVantorelView::ShowsConfiguration() const {
    return columns_.visible[kColStartType] || columns_.visible[kColAccount] ||
           columns_.visible[kColErrorControl];
}

void CVantorelView::FillConfiguration(uint32_t index, const char* name) {
    if (!ShowsConfiguration()) return;
    platform::ServiceConfigRecord* config = nullptr;
    StartFlags flags;
    // The start type's flags cost a call per row: read only when it shows.
    ServiceList& list = Doc()->Services();
    bool read = columns_.visible[kColStartType] ? list.QueryConfigAndStart(name, &config, &flags)
                                                : list.QueryConfig(name, &config);
    if (!read) {
        ServiceList::FreeBuffer(config);
        if (list.GetPlatformError() == platform::err::kAccessDenied) ShowNoAccess(index);
        return;
    }
    if (columns_.visible[kColStartType])
        rows_.SetCell(index, kColStartType,
                      StartTypeCellText(config->startType, flags,
                                        [this](unsigned id) { return CachedText(id); }));
    if (columns_.visible[kColAccount])
        rows_.SetCell(index, kColAccount, config->serviceStartName ? config->serviceStartName : "");
    if (columns_.visible[kColErrorControl])
        rows_.SetCell(index, kColErrorControl,
                      CachedText(ErrorControlTextId(config->errorControl)));
    ServiceList::FreeBuffer(config);
}

// A service the user may not read says so in each configuration cell shown.
void CVantorelView::ShowNoAccess(uint32_t index) {
    for (int slot : {kColStartType, kColAccount, kColErrorControl})
        if (columns_.visible[slot]) rows_.SetCell(index, slot, CachedText(IDS_CONFIG_NO_ACCESS));
}

// The few texts of the states and configuration columns, read once per rebuild.
const std::string& CVantorelView::CachedText(unsigned id) {
    auto found = texts_.find(id);
    if (found == texts_.end()) found = texts_.emplace(id, Res().LoadText(id)).first;
    return found->second;
}

// Each column as wide as its widest text of every service, shown or not,
// so that typing a filter never moves a column.
void CVantorelView::SizeColumns() {
    listctrl::TextWidths widths(m_hWnd);
    int columns = listctrl::ColumnCount(m_hWnd);
    for (int column = 0; column < columns && column < kColumnCount; ++column) {
        int slot = slotOf_[column];
        int widest = widths.Width(CachedText(ColumnTitleId(slot)));
        for (uint32_t entry = 0; entry < rows_.EntryCount(); ++entry)
            widest = std::max(widest, widths.Width(rows_.Cell(entry, slot)));
        int width = widest + dpi::Scale(kColumnMargin) + (column == 0 ? dpi::Scale(kIconRoom) : 0);
        SendMessage(LVM_SETCOLUMNWIDTH, column, std::max(width, dpi::Scale(kMinColumnWidth)));
    }
}

// The rows' statuses, read the cheaper way: a query per row or one
// enumeration for all.
void CVantorelView::RefreshRows(bool visibleOnly) {
    if (!Doc()) return;
    ServiceList& list = Doc()->Services();
    int count = static_cast<int>(rows_.Count());
    int first = visibleOnly ? static_cast<int>(SendMessage(LVM_GETTOPINDEX)) : 0;
    // The row cut at the bottom is on screen too.
    int last = visibleOnly ? first + static_cast<int>(SendMessage(LVM_GETCOUNTPERPAGE)) + 1 : count;
    std::vector<uint32_t> indexes;
    std::vector<int> rowOf(shownState_.size(), -1);
    for (int row = first; row < last && row < count; ++row) {
        int index = EntryOfRow(row);
        if (index < 0) continue;
        indexes.push_back(static_cast<uint32_t>(index));
        rowOf[static_cast<size_t>(index)] = row;
    }
    for (uint32_t index : RefreshedStatuses(*Doc(), std::move(indexes)))
        if (ShowEntry(index, *list.EntryAt(index)))
            SendMessage(LVM_REDRAWITEMS, rowOf[index], rowOf[index]);
    ::UpdateWindow(m_hWnd);
}

ServiceEntry* CVantorelView::GetSelectedEntry() {
    if (!Doc() || !m_hWnd) return nullptr;
    int focused = static_cast<int>(SendMessage(LVM_GETNEXTITEM, -1, LVNI_FOCUSED));
    bool focusedSelected =
        focused >= 0 && (SendMessage(LVM_GETITEMSTATE, focused, LVIS_SELECTED) & LVIS_SELECTED);
    int first = static_cast<int>(SendMessage(LVM_GETNEXTITEM, -1, LVNI_SELECTED));
    int index = EntryOfRow(CommandRow(focused, focusedSelected, first));
    return index < 0 ? nullptr : Doc()->Services().GetEntry(static_cast<uint32_t>(index));
}

std::vector<std::string> CVantorelView::Titles() const {
    std::vector<std::string> titles;
    for (int slot = 0; slot < kColumnCount; ++slot)
        if (columns_.visible[slot]) titles.push_back(Res().LoadText(ColumnTitleId(slot)));
    return titles;
}

TableRows CVantorelView::Lines(bool selectedOnly) const {
    TableRows lines;
    if (selectedOnly) {
        for (int row : SelectedRows())
            if (static_cast<size_t>(row) < rows_.Count())
                lines.push_back(rows_.Line(static_cast<size_t>(row), columns_));
        return lines;
    }
    lines.reserve(rows_.Count());
    for (size_t row = 0; row < rows_.Count(); ++row) lines.push_back(rows_.Line(row, columns_));
    return lines;
}

// The control copies the text into its own buffer, within its size.
void CVantorelView::GiveCell(NMLVDISPINFOA* info) {
    LVITEMA& item = info->item;
    if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= rows_.Count()) return;
    uint32_t entry = rows_.EntryOf(static_cast<size_t>(item.iItem));
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        bool known = item.iSubItem >= 0 && item.iSubItem < listctrl::ColumnCount(m_hWnd);
        const char* text = known ? rows_.Cell(entry, slotOf_[item.iSubItem]).c_str() : "";
        lstrcpynA(item.pszText, text, item.cchTextMax);
    }
    if (item.mask & LVIF_IMAGE)
        item.iImage = entry < shownState_.size() && shownState_[entry] != kNoState
                          ? StateImage(static_cast<uint32_t>(shownState_[entry]))
                          : kImageNotShown;
    if (item.mask & LVIF_PARAM) item.lParam = static_cast<LPARAM>(entry);
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
                auto row = static_cast<size_t>(cell.nmcd.dwItemSpec);
                size_t index = row < rows_.Count() ? rows_.EntryOf(row) : shownState_.size();
                int64_t shown = index < shownState_.size() ? shownState_[index] : kNoState;
                look->text = StateColour(static_cast<uint32_t>(shown));
            }
            return true;
        });
}

void CVantorelView::ShowMenuAtSelection() {
    int row = static_cast<int>(SendMessage(LVM_GETNEXTITEM, -1, LVNI_FOCUSED | LVNI_SELECTED));
    if (row < 0) row = static_cast<int>(SendMessage(LVM_GETNEXTITEM, -1, LVNI_SELECTED));
    RECT cell{LVIR_LABEL, 0, 0, 0};
    POINT at{0, 0};
    if (row >= 0 && SendMessage(LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&cell)))
        at = {cell.left, cell.bottom};
    ::ClientToScreen(m_hWnd, &at);
    ShowContextMenu(Res(), m_hWnd, CONTEXT_MENU_SERVICES, &at);
}

bool CVantorelView::OnReflectedNotify(NMHDR* header, LRESULT* result) {
    switch (header->code) {
        case LVN_GETDISPINFOA:
            GiveCell(reinterpret_cast<NMLVDISPINFOA*>(header));
            return true;
        case LVN_ODFINDITEMA: {
            auto* find = reinterpret_cast<NMLVFINDITEMA*>(header);
            *result = -1;
            if ((find->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) && find->lvfi.psz &&
                rows_.Count() > 0)
                *result =
                    rows_.FindRow(find->lvfi.psz, static_cast<size_t>(std::max(find->iStart, 0)));
            return true;
        }
        case LVN_COLUMNCLICK:
            SortByColumn(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
            return true;
        case NM_DBLCLK:
            if (reinterpret_cast<NMITEMACTIVATE*>(header)->iItem >= 0)
                OnCommand(ID_SERVICE_PROPERTIES);
            return true;
        case NM_RCLICK:
            ShowContextMenu(Res(), m_hWnd, CONTEXT_MENU_SERVICES);
            *result = 1;  // no second menu from the context-menu message
            return true;
        case LVN_KEYDOWN:
            if (reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey == VK_RETURN)
                OnCommand(ID_SERVICE_PROPERTIES);
            return true;
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
// The context-menu key (or Shift+F10) opens the menu at the selected row.
LRESULT CVantorelView::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    bool show = false;
    if ((msg == WM_CONTEXTMENU && lp == -1) || TakeContextMenuKey(msg, wp, &show)) {
        if (show || msg == WM_CONTEXTMENU) ShowMenuAtSelection();
        return 0;
    }
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
    if (id == ID_FILE_PRINT) {  // the standard printing; the list adds nothing to the page
        OnFilePrint();
        return true;
    }
    return RunTableCommand(id, *this, Res(), context_.platform, Doc() ? Doc()->GetTitle() : "");
}

bool CVantorelView::OnUpdateCommand(CCmdUI& ui) {
    if (IsServiceCommand(ui.id)) {
        UpdateServiceCommand(ui, GetSelectedEntry());
        return true;
    }
    if (ui.id == ID_EDIT_COPY) {
        ui.Enable(SendMessage(LVM_GETSELECTEDCOUNT) > 0);
        return true;
    }
    if (ui.id == ID_FILE_EXPORT) {
        ui.Enable(Doc() != nullptr);
        return true;
    }
    return ui.id == ID_FILE_PRINT;
}
