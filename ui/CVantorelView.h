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
#include "views/ServiceListModel.h"

class CVantorelDocument;
struct ServiceEntry;

// The services as a report list: one row per service, state in colour and
// with an icon, sorted by a click on a column title. A row's item data is
// the index of its entry in the document's list; the state it shows is
// kept per entry.
class CVantorelView : public CView {
public:
    explicit CVantorelView(AppContext& context) : CView(context.resources), context_(context) {}
    bool Create(HWND parent, UINT id);

    void OnInitialUpdate() override;
    void OnUpdate() override;
    void RefreshRows(bool visibleOnly);
    // The visible columns read again from the settings, and the rows made again.
    void ReloadColumns();
    ServiceEntry* GetSelectedEntry();
    int ColumnPosition(int slot) const { return columns_.Position(slot); }

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
    void ShowEntry(int row, uint32_t index, const ServiceEntry& entry);
    void FillConfiguration(int row, const char* name);
    void SetCell(int row, int slot, const std::string& text);
    const std::string& CachedText(unsigned id);
    LRESULT CustomDraw(NMLVCUSTOMDRAW* draw);
    bool KeepColumnWidth(NMHEADERA* change);

    AppContext& context_;
    ListColumns columns_;
    bool columnsMade_ = false;
    std::vector<int64_t> shownState_;  // per entry; -1 before any is shown
    uint32_t generation_ = 0;          // of the list the rows were made from
    ImageList images_;                 // shared with the control, freed here
    listctrl::RowFonts fonts_;
    std::unordered_map<unsigned, std::string> texts_;
};
