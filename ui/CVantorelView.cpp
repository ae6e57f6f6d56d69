#include "ui/CVantorelView.h"

#include <vector>

#include "app/Win32Platform.h"
#include "ui/CVantorelDocument.h"
#include "framework/FrameWnd.h"
#include "framework/WinApp.h"
#include "platform/ScmApi.h"
#include "res/resource.h"
#include "settings/SettingsStore.h"
#include "toolkit/ListCtrlSupport.h"
#include "ui/ServiceViewSupport.h"

namespace {

const int kMinColumnWidth = 50;
const int kIconRoom = 35;

}  // namespace

CVantorelView::~CVantorelView() {
    if (images_) ImageList_Destroy(images_);
    if (normalFont_) ::DeleteObject(normalFont_);
    if (boldFont_) ::DeleteObject(boldFont_);
}

bool CVantorelView::Create(HWND parent, UINT id) {
    DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SINGLESEL |
                  LVS_SHOWSELALWAYS;
    return CreateEx(0, WC_LISTVIEWA, "", style, 0, 0, 0, 0, parent,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

CVantorelDocument* CVantorelView::Doc() const {
    return static_cast<CVantorelDocument*>(GetDocument());
}

void CVantorelView::CreateColumns() {
    SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    uint32_t mask = 1;
    SettingsStore store(ThePlatform().registry);
    if (store.OpenConfiguration()) mask = static_cast<uint32_t>(store.Read(settings::kShowColumns));
    columns_ = ListColumns::FromMask(mask);
    int position = 0;
    for (int slot = 0; slot < kColumnCount; ++slot) {
        if (!columns_.visible[slot]) continue;
        std::string title = LoadText(ColumnTitleId(slot));
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
        column.fmt = LVCFMT_LEFT;
        column.cx = kMinColumnWidth;  // a positive start the sizing can grow from
        column.pszText = &title[0];
        SendMessage(LVM_INSERTCOLUMNA, position++, reinterpret_cast<LPARAM>(&column));
    }
    columnsMade_ = true;
}

void CVantorelView::OnInitialUpdate() {
    if (::GetDlgCtrlID(m_hWnd) != AFX_IDW_PANE_FIRST) return;
    if (!columnsMade_) CreateColumns();
    else SendMessage(LVM_DELETEALLITEMS);
    if (!images_) {
        images_ = CreateStateImages();
        SendMessage(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_));
    }
    Rebuild();
}

void CVantorelView::OnUpdate() { Rebuild(); }

void CVantorelView::Rebuild() {
    if (!columnsMade_ || !Doc()) return;
    SendMessage(WM_SETREDRAW, FALSE);
    WaitCursor wait;
    std::string selected;
    int current = static_cast<int>(SendMessage(LVM_GETNEXTITEM, -1, LVNI_SELECTED));
    if (current >= 0) selected = CellText(current, 0);

    rowByName_.clear();
    SendMessage(LVM_DELETEALLITEMS);
    listctrl::AutoSizeColumns(m_hWnd, 0, false);
    ServiceList& list = Doc()->Services();
    list.RefreshAllStatus();
    for (uint32_t i = 0;; ++i) {
        ServiceEntry* entry = list.GetEntry(i);
        if (!entry) break;
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = static_cast<int>(i);
        item.pszText = entry->name;
        item.iImage = kImageNotShown;
        item.lParam = -1;
        int row = static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        rowByName_[entry->name] = row;
        RefreshRow(row, *entry);
        FillConfiguration(row, entry->name);
    }
    auto found = rowByName_.find(selected);
    int select = found != rowByName_.end() ? found->second : 0;
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessage(LVM_SETITEMSTATE, select, reinterpret_cast<LPARAM>(&state));
    SendMessage(LVM_ENSUREVISIBLE, select, FALSE);
    listctrl::AutoSizeColumns(m_hWnd, 0, true);
    LVCOLUMNA first{};
    first.mask = LVCF_WIDTH;
    if (SendMessage(LVM_GETCOLUMNA, 0, reinterpret_cast<LPARAM>(&first)))
        SendMessage(LVM_SETCOLUMNWIDTH, 0, first.cx + kIconRoom);
    SendMessage(WM_SETREDRAW, TRUE);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

// An unchanged row costs one status query and no redraw.
void CVantorelView::RefreshRow(int row, ServiceEntry& entry) {
    Doc()->Services().RefreshStatus(entry.name);
    if (columns_.visible[kColDescription] && CellText(row, columns_.Position(kColDescription)) !=
                                                 entry.displayName)
        SetCell(row, kColDescription, entry.displayName);
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    if (static_cast<LPARAM>(entry.currentState) == item.lParam) return;
    if (columns_.visible[kColState])
        SetCell(row, kColState, ThePlatform().texts.Text(StateTextId(entry.currentState)));
    item.mask = LVIF_PARAM | LVIF_IMAGE;
    item.lParam = static_cast<LPARAM>(entry.currentState);
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
        SetCell(row, kColStartType, LoadText(StartTypeTextId(config->startType)));
    if (columns_.visible[kColAccount])
        SetCell(row, kColAccount, config->serviceStartName ? config->serviceStartName : "");
    if (columns_.visible[kColErrorControl])
        SetCell(row, kColErrorControl, LoadText(ErrorControlTextId(config->errorControl)));
    ServiceList::FreeBuffer(config);
}

void CVantorelView::SetCell(int row, int slot, const std::string& text) {
    int column = columns_.Position(slot);
    if (column >= 0) listctrl::SetCellText(m_hWnd, row, column, text);
}

std::string CVantorelView::CellText(int row, int column) const {
    return listctrl::CellText(m_hWnd, row, column);
}

void CVantorelView::RefreshRows(bool visibleOnly) {
    if (!Doc()) return;
    int count = static_cast<int>(SendMessage(LVM_GETITEMCOUNT));
    int first = visibleOnly ? static_cast<int>(SendMessage(LVM_GETTOPINDEX)) : 0;
    int last = visibleOnly ? first + static_cast<int>(SendMessage(LVM_GETCOUNTPERPAGE)) : count;
    for (int row = first; row < last && row < count; ++row) {
        std::string name = CellText(row, 0);
        if (ServiceEntry* entry = Doc()->Services().FindEntry(name.c_str())) RefreshRow(row, *entry);
    }
    ::UpdateWindow(m_hWnd);
}

ServiceEntry* CVantorelView::GetSelectedEntry() {
    if (!Doc() || !m_hWnd) return nullptr;
    int row = static_cast<int>(SendMessage(LVM_GETNEXTITEM, -1, LVNI_SELECTED));
    if (row < 0) return nullptr;
    std::string name = CellText(row, 0);
    return name.empty() ? nullptr : Doc()->Services().FindEntry(name.c_str());
}

LRESULT CVantorelView::CustomDraw(NMLVCUSTOMDRAW* draw) {
    if (!normalFont_ || !boldFont_) {
        LOGFONTA font{};
        HGDIOBJ current = ::GetCurrentObject(draw->nmcd.hdc, OBJ_FONT);
        if (current && ::GetObjectA(current, sizeof font, &font)) {
            font.lfWeight = FW_NORMAL;
            normalFont_ = ::CreateFontIndirectA(&font);
            font.lfWeight = FW_BOLD;
            boldFont_ = ::CreateFontIndirectA(&font);
        }
    }
    switch (draw->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
            return CDRF_NOTIFYSUBITEMDRAW;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
            draw->clrText = 0x000000;
            if (normalFont_) ::SelectObject(draw->nmcd.hdc, normalFont_);
            if (draw->iSubItem == 0) {
                draw->clrText = kNameColour;
                if (boldFont_) ::SelectObject(draw->nmcd.hdc, boldFont_);
            } else if (draw->iSubItem == columns_.Position(kColState)) {
                draw->clrText = StateColour(static_cast<uint32_t>(draw->nmcd.lItemlParam));
            }
            return CDRF_NEWFONT;
        }
        default:
            return CDRF_DODEFAULT;
    }
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
            ShowContextMenu(CONTEXT_MENU_SERVICES);
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

// The header is the list's own child, so its notifications arrive here.
LRESULT CVantorelView::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lp);
        if (header->hwndFrom == reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER))) {
            if (header->code == HDN_ENDTRACKA || header->code == HDN_ENDTRACKW) {
                auto* change = reinterpret_cast<NMHEADERA*>(lp);
                if (change->pitem && (change->pitem->mask & HDI_WIDTH) &&
                    change->pitem->cxy < kMinColumnWidth)
                    change->pitem->cxy = kMinColumnWidth;
            } else if (header->code == NM_RCLICK) {
                ShowContextMenu(CONTEXT_MENU_LIST);
                return TRUE;
            }
        }
    }
    return CView::WindowProc(msg, wp, lp);
}

bool CVantorelView::OnCommand(UINT id) {
    if (IsServiceCommand(id)) {
        WaitCursor wait;
        RunServiceCommand(Doc(), GetSelectedEntry(), id);
        RefreshRows(false);
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
