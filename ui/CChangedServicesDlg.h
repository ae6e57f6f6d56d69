#pragma once
// The window of changed services: one row per service, its latest change
// winning. In monitor mode the main frame keeps one, made modeless on the
// first shown change and hidden (and emptied) when closed; in restore mode
// one is filled with a snapshot's differences and run modally.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "document/PendingChanges.h"
#include "document/Restore.h"
#include "framework/Dialog.h"
#include "framework/ToolBar.h"
#include "platform/win32/Handles.h"
#include "settings/WindowPlacement.h"
#include "toolkit/ListCtrlSupport.h"
#include "ui/AppContext.h"

struct ServiceChange;

class CChangedServicesDlg : public CDialog, private RestoreRows {
public:
    // `onClose` runs when the user closes the window (the frame puts its
    // usual notification-area icon back).
    CChangedServicesDlg(AppContext& context, std::function<void()> onClose);
    // A modeless window goes before the members it draws with.
    ~CChangedServicesDlg() override;

    // Makes the window when it does not exist (owned by `parent`, or a
    // window of its own when that is null) and, with `bringToFront`, shows
    // it in front of all others. False when it cannot be made.
    bool ShowChangesWindow(HWND parent, bool bringToFront);
    // A copy of the change; true when its row is on screen now, false when
    // it waits for the window to be made.
    bool AddChange(const ServiceChange& change, const platform::LocalDateTime& detectedAt);
    // The window exists, is hidden and has rows.
    bool HasPendingRows() const;
    // Drops every entry and row, when the window exists.
    void Clear();
    // Restore mode: the window runs modally over the window the user works
    // in, its rows brought back to their recorded states through
    // `document`'s commands.
    INT_PTR RunRestore(ServicesDocument& document, HWND parent);

    // What a double click on a row runs: the properties of its service, in
    // a dialog owned by this window.
    void SetShowProperties(std::function<void(const std::string& service, HWND owner)> show) {
        showProperties_ = std::move(show);
    }

    // The passes of "Restaurar todos" over `names`, the rows of the
    // restored ones removed; true when none is left.
    bool RestoreNames(ServicesDocument* document, std::vector<std::string>* names);

    const PendingChanges& Entries() const { return pending_; }
    bool RestoreMode() const { return restoreMode_; }

protected:
    bool OnInitDialog() override;
    void OnOK() override {}  // Enter does nothing
    void OnCancel() override;
    bool OnCommand(UINT id) override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    struct Layout {
        SIZE minimum{};
        int listRight = 0, listBottom = 0;  // from the window's right and bottom
        RECT close{};                       // each edge from the right and bottom
        int barTop = 0, barBottom = 0;      // from the bottom
    };

    void RecordLayout();
    void ApplyLayout();
    void CreateColumns();
    // A cell's text with its width on screen.
    struct Measured {
        std::string text;
        int width = 0;
    };

    void ShowEntry(size_t index);
    void HoldRedraw();
    void SetCell(int row, int column, const std::string& text);
    int WidthOf(const std::string& text);
    const Measured& CachedText(unsigned id);
    const Measured& TimeText(const platform::LocalDateTime& when);
    void MapRows();
    void UpdateButtons();
    void SavePlacement();
    void ApplyPlacement();
    void BringToFront();
    LRESULT CustomDraw(NMLVCUSTOMDRAW* draw);
    bool OnListNotify(NMHDR* header, LRESULT* result);
    void ShowSelectedProperties();
    // The entry a row stands for, by the row's item data; null for none.
    const PendingChange* EntryOfRow(int row) const;
    std::vector<std::string> RowNames() const;
    void RestoreSelected();
    void RestoreAll();
    bool Restoring() const;
    void Say(const std::string& text, UINT icon);
    bool Ask(const std::string& text);
    std::string Text(unsigned id) { return context_.platform.texts.Text(id); }
    const PendingChange* RecordOf(const std::string& name) const override;
    void RemoveRow(const std::string& name) override;
    void NoteRefusal(const std::string& name, const std::string& reason) override;

    AppContext& context_;
    std::function<void()> onClose_;
    std::function<void(const std::string&, HWND)> showProperties_;
    PendingChanges pending_;
    std::vector<int> rowOf_;                       // the row of each entry, -1 for none
    std::map<std::string, std::string> refusals_;  // of the last "Restaurar todos"
    bool restoreMode_ = false;
    ServicesDocument* document_ = nullptr;  // restore mode's
    bool initialised_ = false;
    bool sizing_ = false;
    WindowPlacement placement_;
    Layout layout_;
    HWND list_ = nullptr;
    ToolBar bar_;
    ImageList images_;  // the list shares it
    Icon smallIcon_;
    listctrl::RowFonts fonts_;
    std::unordered_map<unsigned, Measured> texts_;
    std::unique_ptr<listctrl::TextWidths> widths_;  // made with the first row
    std::vector<int> widest_;                       // per column, the widest text shown
    platform::LocalDateTime timeOf_;
    Measured time_;
    bool redrawHeld_ = false;
};
