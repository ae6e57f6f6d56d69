#pragma once
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/Document.h"
#include "platform/win32/Handles.h"
#include "ui/AppContext.h"
#include "ui/ListTransfer.h"
#include "ui/ServiceViewSupport.h"
#include "views/ServiceFilter.h"
#include "views/ServiceTreeModel.h"

class CVantorelDocument;
struct ServiceEntry;

// The services as a tree by type, by load-order group or by dependency,
// with state icons on the service nodes and the list's service commands. A
// node's item data is its index in the tree model, which names its entry.
// While a filter is typed it shows the services it keeps, opened up, under
// the nodes that hold them.
class CVantorelTreeView : public CView, public FilteredView, public TableSource {
public:
    CVantorelTreeView(AppContext& context, int mode)
        : CView(context.resources),
          context_(context),
          mode_(mode),
          filter_(context.platform.codePage) {}
    bool Create(HWND parent, UINT id);
    int Mode() const { return mode_; }

    void OnInitialUpdate() override;
    void OnUpdate() override;
    // The nodes on screen (the refresh tick), or every node (after a
    // command); each entry's status is read once.
    void RefreshNodes(bool visibleOnly);
    ServiceEntry* GetSelectedEntry();
    void ApplyFilter() override;
    size_t ShownServices() const override { return shown_; }
    size_t TotalServices() const override { return total_; }
    // The services at and under the selected node, or all those shown, each
    // with the node that holds it, its names and its state.
    HWND TableWindow() const override { return m_hWnd; }
    std::vector<std::string> Titles() const override;
    TableRows Lines(bool selectedOnly) const override;

    bool OnCommand(UINT id) override;
    bool OnUpdateCommand(CCmdUI& ui) override;
    bool OnReflectedNotify(NMHDR* header, LRESULT* result) override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    CVantorelDocument* Doc() const;
    // The model node of a tree item, or -1 when the nodes no longer stand
    // for the document's entries.
    int NodeOf(HTREEITEM item) const;
    int EntryOf(HTREEITEM item) const;
    void ShowState(HTREEITEM item, int image);
    void ShowEntry(int32_t entry);
    // The nodes of the model put in, the node of `selected` chosen.
    void InsertNodes(const std::string& selected);
    std::string SelectedText() const;
    void ShowMenuAtSelection();

    AppContext& context_;
    int mode_;
    ServiceTreeModel model_;
    ServiceFilter filter_;
    size_t shown_ = 0, total_ = 0;
    std::vector<HTREEITEM> items_;                // the tree item of each model node
    std::vector<std::vector<int>> nodesOfEntry_;  // the model nodes of each entry
    uint32_t generation_ = 0;                     // of the list the nodes were made from
    ImageList images_;                            // the control does not free it
};
