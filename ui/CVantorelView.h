#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <unordered_map>

#include "framework/Document.h"
#include "views/ServiceListModel.h"

class CVantorelDocument;
struct ServiceEntry;

// The services as a report list: one row per service, state in colour and
// with an icon, sorted by a click on a column title.
class CVantorelView : public CView {
public:
    ~CVantorelView() override;
    bool Create(HWND parent, UINT id);

    void OnInitialUpdate() override;
    void OnUpdate() override;
    void RefreshRows(bool visibleOnly);
    ServiceEntry* GetSelectedEntry();
    int ColumnPosition(int slot) const { return columns_.Position(slot); }

    bool OnCommand(UINT id) override;
    bool OnUpdateCommand(CCmdUI& ui) override;
    bool OnReflectedNotify(NMHDR* header, LRESULT* result) override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    CVantorelDocument* Doc() const;
    void CreateColumns();
    void Rebuild();
    void RefreshRow(int row, ServiceEntry& entry);
    void FillConfiguration(int row, const char* name);
    void SetCell(int row, int slot, const std::string& text);
    std::string CellText(int row, int column) const;
    LRESULT CustomDraw(NMLVCUSTOMDRAW* draw);

    ListColumns columns_;
    bool columnsMade_ = false;
    std::unordered_map<std::string, int> rowByName_;
    HIMAGELIST images_ = nullptr;
    HFONT normalFont_ = nullptr;
    HFONT boldFont_ = nullptr;
};
