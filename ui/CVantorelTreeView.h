#pragma once
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/Document.h"
#include "views/ServiceTreeModel.h"

class CVantorelDocument;
struct ServiceEntry;

// The services as a tree by type, by load-order group or by dependency,
// with state icons on the service nodes and the list's service commands.
class CVantorelTreeView : public CView {
public:
    explicit CVantorelTreeView(int mode) : mode_(mode) {}
    ~CVantorelTreeView() override;
    bool Create(HWND parent, UINT id);
    int Mode() const { return mode_; }

    void OnInitialUpdate() override;
    void OnUpdate() override;
    void RefreshNodes(bool visibleOnly);
    ServiceEntry* GetSelectedEntry();

    bool OnCommand(UINT id) override;
    bool OnUpdateCommand(CCmdUI& ui) override;
    bool OnReflectedNotify(NMHDR* header, LRESULT* result) override;

private:
    CVantorelDocument* Doc() const;
    // The text and item data of a node.
    std::string NodeText(HTREEITEM item, LPARAM* data = nullptr) const;
    void UpdateNode(HTREEITEM item, int image);
    void RefreshEntry(ServiceEntry& entry, HTREEITEM only);

    int mode_;
    ServiceTreeModel model_;
    std::vector<HTREEITEM> items_;  // the node of each model node
    HIMAGELIST images_ = nullptr;
};
