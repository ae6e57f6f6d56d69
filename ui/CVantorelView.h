#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "framework/Document.h"
#include "platform/win32/Handles.h"
#include "toolkit/ListCtrlSupport.h"
#include "ui/AppContext.h"
#include "ui/ListTransfer.h"
#include "ui/ServiceViewSupport.h"
#include "views/ServiceListModel.h"
#include "views/ServiceRows.h"

class CVantorelDocument;
struct ServiceEntry;

// The services as a report list: one row per service the filter keeps,
// state in colour and with an icon, sorted by a click on a column title,
// several rows selectable. The list asks for the texts it draws; the rows
// (ServiceRows) keep every entry's texts, so a filter or a sort asks the
// platform nothing. The state shown is kept per entry.
class CVantorelView : public CView, public FilteredView, public TableSource {
public:
    explicit CVantorelView(AppContext& context)
        : CView(context.resources), context_(context), rows_(context.platform.codePage) {}
    bool Create(HWND parent, UINT id);

    void OnInitialUpdate() override;
    void OnUpdate() override;
    void RefreshRows(bool visibleOnly);
    // The visible columns read again from the settings, and the rows made again.
    void ReloadColumns();
    // The entry of the row a service command acts on (CommandRow).
    ServiceEntry* GetSelectedEntry();
    int ColumnPosition(int slot) const { return columns_.Position(slot); }
    // The rows chosen again for the document's filter text, the selection
    // kept on the services still shown.
    void ApplyFilter() override;
    size_t ShownServices() const override { return rows_.Count(); }
    size_t TotalServices() const override { return rows_.EntryCount(); }
    // As a click on the title of the column at `column`.
    void SortByColumn(int column);
    // The shown columns' titles, and the texts of the shown rows (or of the
    // selected ones) in those columns.
    HWND TableWindow() const override { return m_hWnd; }
    std::vector<std::string> Titles() const override;
    TableRows Lines(bool selectedOnly) const override;

    bool OnCommand(UINT id) override;
    bool OnUpdateCommand(CCmdUI& ui) override;
    bool OnReflectedNotify(NMHDR* header, LRESULT* result) override;

    static constexpr int kMinColumnWidth = 50;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    CVantorelDocument* Doc() const;
    void CreateColumns();
    void Rebuild();
    // The entry of a row while the rows still stand for the document's
    // entries; -1 otherwise.
    int EntryOfRow(int row) const;
    std::vector<int> SelectedRows() const;
    // Shows the rows chosen, selecting the rows of `selected` (entries)
    // and focusing that of `focused`.
    void ShowRows(const std::vector<uint32_t>& selected, int64_t focused);
    void SelectedEntries(std::vector<uint32_t>* selected, int64_t* focused) const;
    // True when the row's texts changed.
    bool ShowEntry(uint32_t index, const ServiceEntry& entry);
    bool ShowsConfiguration() const;
    void FillConfiguration(uint32_t index, const char* name);
    void ShowNoAccess(uint32_t index);
    void SizeColumns();
    const std::string& CachedText(unsigned id);
    void GiveCell(NMLVDISPINFOA* info);
    LRESULT CustomDraw(NMLVCUSTOMDRAW* draw);
    bool KeepColumnWidth(NMHEADERA* change);
    void ShowMenuAtSelection();

    AppContext& context_;
    ListColumns columns_;
    int slotOf_[kColumnCount] = {};  // the slot of each shown column
    bool columnsMade_ = false;
    ServiceRows rows_;
    std::vector<int64_t> shownState_;  // per entry; -1 before any is shown
    uint32_t generation_ = 0;          // of the list the rows were made from
    ImageList images_;                 // shared with the control, freed here
    listctrl::RowFonts fonts_;
    std::unordered_map<unsigned, std::string> texts_;
};
