#include "ui/CVantorelTreeView.h"

#include <cstring>
#include <unordered_set>

#include "framework/Resources.h"
#include "res/resource.h"
#include "ui/CVantorelDocument.h"
#include "ui/ServiceViewSupport.h"
#include "views/ServiceListModel.h"
#include "views/TreeTable.h"

bool CVantorelTreeView::Create(HWND parent, UINT id) {
    DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES |
                  TVS_LINESATROOT | TVS_DISABLEDRAGDROP | TVS_SHOWSELALWAYS;
    return CreateEx(0, WC_TREEVIEWA, "", style, 0, 0, 0, 0, parent,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

CVantorelDocument* CVantorelTreeView::Doc() const {
    return static_cast<CVantorelDocument*>(GetDocument());
}

void CVantorelTreeView::OnInitialUpdate() {
    if (::GetDlgCtrlID(m_hWnd) != AFX_IDW_PANE_FIRST) return;
    if (!images_) {
        images_ = Res().LoadImageStrip(IDB_ICON_STRIP);
        SendMessage(TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images_.get()));
    }
    OnUpdate();
}

int CVantorelTreeView::NodeOf(HTREEITEM item) const {
    if (!item || !Doc() || generation_ != Doc()->Services().Generation()) return -1;
    TVITEMA tv{};
    tv.mask = TVIF_PARAM;
    tv.hItem = item;
    if (!SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv))) return -1;
    return tv.lParam >= 0 && static_cast<size_t>(tv.lParam) < model_.Nodes().size()
               ? static_cast<int>(tv.lParam)
               : -1;
}

int CVantorelTreeView::EntryOf(HTREEITEM item) const {
    int node = NodeOf(item);
    return node < 0 ? -1 : model_.Nodes()[static_cast<size_t>(node)].entry;
}

std::string CVantorelTreeView::SelectedText() const {
    int node = NodeOf(reinterpret_cast<HTREEITEM>(SendMessage(TVM_GETNEXTITEM, TVGN_CARET, 0)));
    if (node < 0 || model_.Nodes()[static_cast<size_t>(node)].data == ServiceTreeModel::kGroupData)
        return std::string();
    return model_.Nodes()[static_cast<size_t>(node)].text;
}

// The nodes are made with the icons of the enumeration's states.
void CVantorelTreeView::OnUpdate() {
    // A hidden tree is rebuilt when the frame shows it again.
    if (!Doc() || ::GetDlgCtrlID(m_hWnd) != AFX_IDW_PANE_FIRST) return;
    WaitCursor wait;
    std::string selected = SelectedText();
    ServiceList& list = Doc()->Services();
    model_.SetUserServicesTitle(Res().LoadText(IDS_USER_SERVICES));
    model_.Build(mode_, list);
    generation_ = list.Generation();
    filter_.SetText(Doc()->FilterText());
    if (filter_.Active()) model_.Filter(filter_, list);
    InsertNodes(selected);
}

// The tree as built is filtered again; no status or configuration is read.
void CVantorelTreeView::ApplyFilter() {
    if (!Doc() || ::GetDlgCtrlID(m_hWnd) != AFX_IDW_PANE_FIRST) return;
    if (generation_ != Doc()->Services().Generation()) {
        OnUpdate();
        return;
    }
    std::string selected = SelectedText();
    if (!filter_.SetText(Doc()->FilterText())) return;
    model_.Filter(filter_, Doc()->Services());
    InsertNodes(selected);
}

void CVantorelTreeView::InsertNodes(const std::string& selected) {
    SendMessage(WM_SETREDRAW, FALSE);
    SendMessage(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    ServiceList& list = Doc()->Services();
    items_.clear();
    nodesOfEntry_.assign(list.GetCount(), {});
    shown_ = 0;
    total_ = list.GetCount();
    for (size_t i = 0; i < model_.Nodes().size(); ++i) {
        const TreeNode& n = model_.Nodes()[i];
        const ServiceEntry* entry =
            n.entry >= 0 ? list.EntryAt(static_cast<uint32_t>(n.entry)) : nullptr;
        if (entry) {
            auto& nodes = nodesOfEntry_[static_cast<size_t>(n.entry)];
            if (nodes.empty()) ++shown_;
            nodes.push_back(static_cast<int>(i));
        }
        TVINSERTSTRUCTA insert{};
        insert.hParent = n.parent < 0 ? TVI_ROOT : items_[static_cast<size_t>(n.parent)];
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
        insert.item.pszText = const_cast<char*>(n.text.c_str());
        insert.item.iImage = entry ? StateImage(entry->currentState) : n.image;
        insert.item.iSelectedImage = entry ? insert.item.iImage : n.selectedImage;
        insert.item.lParam = static_cast<LPARAM>(i);
        items_.push_back(reinterpret_cast<HTREEITEM>(
            SendMessage(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert))));
    }
    // What a filter keeps is shown: every node that holds some of it opened.
    if (filter_.Active())
        for (size_t i = 0; i < model_.Nodes().size(); ++i)
            if (model_.Nodes()[i].parent >= 0)
                SendMessage(TVM_EXPAND, TVE_EXPAND,
                            reinterpret_cast<LPARAM>(
                                items_[static_cast<size_t>(model_.Nodes()[i].parent)]));
    std::vector<int> matches = selected.empty() ? std::vector<int>() : model_.Matches(selected);
    if (!matches.empty())
        SendMessage(TVM_SELECTITEM, TVGN_CARET,
                    reinterpret_cast<LPARAM>(items_[static_cast<size_t>(matches.front())]));
    SendMessage(WM_SETREDRAW, TRUE);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

// Only an icon that changes is drawn again.
void CVantorelTreeView::ShowState(HTREEITEM item, int image) {
    TVITEMA tv{};
    tv.mask = TVIF_IMAGE;
    tv.hItem = item;
    if (!SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv)) || tv.iImage == image) return;
    tv.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    tv.iImage = tv.iSelectedImage = image;
    SendMessage(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
}

void CVantorelTreeView::ShowEntry(int32_t entry) {
    const ServiceEntry* e = Doc()->Services().EntryAt(static_cast<uint32_t>(entry));
    if (!e) return;
    for (int node : nodesOfEntry_[static_cast<size_t>(entry)])
        ShowState(items_[static_cast<size_t>(node)], StateImage(e->currentState));
}

void CVantorelTreeView::RefreshNodes(bool visibleOnly) {
    if (!Doc() || generation_ != Doc()->Services().Generation()) return;
    std::unordered_set<int32_t> done;
    std::vector<uint32_t> entries;
    auto refresh = [&](int32_t entry) {
        if (entry >= 0 && done.insert(entry).second)
            entries.push_back(static_cast<uint32_t>(entry));
    };
    if (visibleOnly) {
        // The walk of visible nodes goes on through every expanded node, on
        // screen or not: it stops at the count the control can show.
        int left = static_cast<int>(SendMessage(TVM_GETVISIBLECOUNT)) + 1;
        auto item = reinterpret_cast<HTREEITEM>(SendMessage(TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0));
        for (; item && left-- > 0;
             item = reinterpret_cast<HTREEITEM>(
                 SendMessage(TVM_GETNEXTITEM, TVGN_NEXTVISIBLE, reinterpret_cast<LPARAM>(item))))
            refresh(EntryOf(item));
    } else {
        for (size_t entry = 0; entry < nodesOfEntry_.size(); ++entry)
            if (!nodesOfEntry_[entry].empty()) refresh(static_cast<int32_t>(entry));
    }
    for (uint32_t entry : RefreshedStatuses(*Doc(), std::move(entries)))
        ShowEntry(static_cast<int32_t>(entry));
    ::UpdateWindow(m_hWnd);
}

ServiceEntry* CVantorelTreeView::GetSelectedEntry() {
    int entry = EntryOf(reinterpret_cast<HTREEITEM>(SendMessage(TVM_GETNEXTITEM, TVGN_CARET, 0)));
    return entry < 0 ? nullptr : Doc()->Services().GetEntry(static_cast<uint32_t>(entry));
}

std::vector<std::string> CVantorelTreeView::Titles() const {
    return {Res().LoadText(IDS_TREE_BRANCH_TITLE), Res().LoadText(ColumnTitleId(kColName)),
            Res().LoadText(ColumnTitleId(kColDescription)),
            Res().LoadText(ColumnTitleId(kColState))};
}

TableRows CVantorelTreeView::Lines(bool selectedOnly) const {
    if (!Doc() || generation_ != Doc()->Services().Generation()) return {};
    int node = -1;
    if (selectedOnly) {
        node = NodeOf(reinterpret_cast<HTREEITEM>(SendMessage(TVM_GETNEXTITEM, TVGN_CARET, 0)));
        if (node < 0) return {};
    }
    return TreeLines(model_, Doc()->Services(), node,
                     [this](uint32_t state) { return Res().LoadText(StateTextId(state)); });
}

bool CVantorelTreeView::OnCommand(UINT id) {
    if (RunTableCommand(id, *this, Res(), context_.platform, Doc() ? Doc()->GetTitle() : ""))
        return true;
    if (!IsServiceCommand(id)) return false;
    if (RunServiceCommand(Doc(), GetSelectedEntry(), id, m_hWnd)) RefreshNodes(false);
    return true;
}

bool CVantorelTreeView::OnUpdateCommand(CCmdUI& ui) {
    if (ui.id == ID_EDIT_COPY) {
        ui.Enable(SendMessage(TVM_GETNEXTITEM, TVGN_CARET, 0) != 0);
        return true;
    }
    if (ui.id == ID_FILE_EXPORT) {
        ui.Enable(Doc() != nullptr);
        return true;
    }
    if (!IsServiceCommand(ui.id)) return false;
    UpdateServiceCommand(ui, GetSelectedEntry());
    return true;
}

bool CVantorelTreeView::OnReflectedNotify(NMHDR* header, LRESULT* result) {
    *result = 0;
    switch (header->code) {
        case NM_RCLICK:
            ShowContextMenu(Res(), m_hWnd, CONTEXT_MENU_SERVICES);
            *result = 1;
            return true;
        case NM_DBLCLK:
            // A service's node opens its properties rather than folding.
            if (!GetSelectedEntry()) return false;
            OnCommand(ID_SERVICE_PROPERTIES);
            *result = 1;
            return true;
        case TVN_KEYDOWN:
            if (reinterpret_cast<NMTVKEYDOWN*>(header)->wVKey == VK_RETURN)
                OnCommand(ID_SERVICE_PROPERTIES);
            return true;
        default:
            return false;
    }
}

void CVantorelTreeView::ShowMenuAtSelection() {
    auto item = reinterpret_cast<HTREEITEM>(SendMessage(TVM_GETNEXTITEM, TVGN_CARET, 0));
    // The rectangle carries the item in: the message reads it from there.
    RECT box{};
    std::memcpy(&box, &item, sizeof item);
    POINT at{0, 0};
    if (item && SendMessage(TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&box)))
        at = {box.left, box.bottom};
    ::ClientToScreen(m_hWnd, &at);
    ShowContextMenu(Res(), m_hWnd, CONTEXT_MENU_SERVICES, &at);
}

// The context-menu key (or Shift+F10) opens the menu at the selected node.
LRESULT CVantorelTreeView::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    bool show = false;
    if ((msg == WM_CONTEXTMENU && lp == -1) || TakeContextMenuKey(msg, wp, &show)) {
        if (show || msg == WM_CONTEXTMENU) ShowMenuAtSelection();
        return 0;
    }
    return CView::WindowProc(msg, wp, lp);
}
