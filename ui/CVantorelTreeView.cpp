#include "ui/CVantorelTreeView.h"

#include "ui/CVantorelDocument.h"
#include "res/resource.h"
#include "views/ServiceListModel.h"
#include "ui/ServiceViewSupport.h"

CVantorelTreeView::~CVantorelTreeView() {
    if (images_) ImageList_Destroy(images_);
}

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
        images_ = CreateStateImages();
        SendMessage(TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images_));
    }
    OnUpdate();
}

std::string CVantorelTreeView::NodeText(HTREEITEM item, LPARAM* data) const {
    char text[512] = "";
    TVITEMA tv{};
    tv.mask = TVIF_TEXT | TVIF_PARAM;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = sizeof text;
    if (!SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv))) return std::string();
    if (data) *data = tv.lParam;
    return text;
}

void CVantorelTreeView::OnUpdate() {
    if (!Doc()) return;
    SendMessage(WM_SETREDRAW, FALSE);
    WaitCursor wait;
    std::string selected;
    LPARAM data = 0;
    if (auto item = reinterpret_cast<HTREEITEM>(SendMessage(TVM_GETNEXTITEM, TVGN_CARET, 0))) {
        std::string text = NodeText(item, &data);
        if (data != ServiceTreeModel::kGroupData) selected = text;
    }
    SendMessage(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    Doc()->Services().RefreshAllStatus();
    model_.Build(mode_, Doc()->Services());
    items_.clear();
    for (const TreeNode& node : model_.Nodes()) {
        TVINSERTSTRUCTA insert{};
        insert.hParent = node.parent < 0 ? TVI_ROOT : items_[static_cast<size_t>(node.parent)];
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
        insert.item.pszText = const_cast<char*>(node.text.c_str());
        insert.item.iImage = node.image;
        insert.item.iSelectedImage = node.selectedImage;
        insert.item.lParam = node.data;
        items_.push_back(reinterpret_cast<HTREEITEM>(
            SendMessage(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert))));
    }
    std::vector<int> matches = selected.empty() ? std::vector<int>() : model_.Matches(selected);
    if (!matches.empty())
        SendMessage(TVM_SELECTITEM, TVGN_CARET,
                    reinterpret_cast<LPARAM>(items_[static_cast<size_t>(matches.front())]));
    SendMessage(WM_SETREDRAW, TRUE);
    RefreshNodes(false);
}

// Service nodes carry no state, so their icon is set on every refresh; only
// an icon that changes is drawn again.
void CVantorelTreeView::UpdateNode(HTREEITEM item, int image) {
    TVITEMA tv{};
    tv.mask = TVIF_IMAGE | TVIF_PARAM;
    tv.hItem = item;
    if (!SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv))) return;
    if (tv.lParam == ServiceTreeModel::kGroupData || tv.iImage == image) return;
    tv.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    tv.iImage = tv.iSelectedImage = image;
    SendMessage(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
}

void CVantorelTreeView::RefreshEntry(ServiceEntry& entry, HTREEITEM only) {
    Doc()->Services().RefreshStatus(entry.name);
    int image = StateImage(entry.currentState);
    if (only) {
        UpdateNode(only, image);
        return;
    }
    for (int node : model_.Matches(entry.name))
        UpdateNode(items_[static_cast<size_t>(node)], image);
}

void CVantorelTreeView::RefreshNodes(bool visibleOnly) {
    if (!Doc()) return;
    ServiceList& services = Doc()->Services();
    if (visibleOnly) {
        auto item = reinterpret_cast<HTREEITEM>(SendMessage(TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0));
        for (; item; item = reinterpret_cast<HTREEITEM>(SendMessage(
                         TVM_GETNEXTITEM, TVGN_NEXTVISIBLE, reinterpret_cast<LPARAM>(item)))) {
            if (ServiceEntry* entry = services.FindEntry(NodeText(item).c_str()))
                RefreshEntry(*entry, item);
        }
    } else {
        for (uint32_t i = 0; i < services.GetCount(); ++i)
            if (ServiceEntry* entry = services.GetEntry(i)) RefreshEntry(*entry, nullptr);
    }
    ::UpdateWindow(m_hWnd);
}

ServiceEntry* CVantorelTreeView::GetSelectedEntry() {
    auto item = reinterpret_cast<HTREEITEM>(SendMessage(TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!item || !Doc()) return nullptr;
    LPARAM data = 0;
    std::string text = NodeText(item, &data);
    if (data == ServiceTreeModel::kGroupData || text.empty()) return nullptr;
    return Doc()->Services().FindEntry(text.c_str());
}

bool CVantorelTreeView::OnCommand(UINT id) {
    if (!IsServiceCommand(id)) return false;
    WaitCursor wait;
    RunServiceCommand(Doc(), GetSelectedEntry(), id);
    RefreshNodes(false);
    return true;
}

bool CVantorelTreeView::OnUpdateCommand(CCmdUI& ui) {
    if (!IsServiceCommand(ui.id)) return false;
    UpdateServiceCommand(ui, GetSelectedEntry());
    return true;
}

bool CVantorelTreeView::OnReflectedNotify(NMHDR* header, LRESULT* result) {
    *result = 0;
    switch (header->code) {
        case NM_RCLICK:
            ShowContextMenu(CONTEXT_MENU_SERVICES);
            *result = 1;
            return true;
        case TVN_KEYDOWN: {
            WORD key = reinterpret_cast<NMTVKEYDOWN*>(header)->wVKey;
            if (key == VK_RETURN) OnCommand(ID_SERVICE_PROPERTIES);
            if (key == VK_F5) ReloadServices(Doc());
            return true;
        }
        default:
            return false;
    }
}
