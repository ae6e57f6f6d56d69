#pragma once
// The history viewer: the logged activity of one machine over a span of
// days, with or without its sessions and connections, for every service or
// one. It reads the log file with a reader of its own each time it runs and
// lets it go when it closes. The list asks for its texts as it draws them,
// so a day of a hundred thousand changes shows as fast as a few.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <functional>
#include <future>
#include <memory>
#include <string>

#include "framework/Dialog.h"
#include "monitor/HistoryLog.h"
#include "monitor/HistoryRows.h"
#include "platform/win32/Handles.h"
#include "toolkit/ListCtrlSupport.h"
#include "ui/AppContext.h"

class CHistoryDlg : public CDialog {
public:
    // `showProperties` opens a service's properties by name over the viewer.
    CHistoryDlg(AppContext& context, std::function<void(const std::string&, HWND)> showProperties,
                HWND parent = nullptr);

    const HistoryRows& Rows() const { return *rows_; }

protected:
    bool OnInitDialog() override;
    bool OnCommand(UINT id) override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    bool TakeLoadResult();
    void CreateColumns();
    void FillFilters();
    void Refresh();
    HistoryFilter ReadFilter() const;
    void SizeColumns();
    void GiveCell(NMLVDISPINFOA* info);
    LRESULT CustomDraw(NMLVCUSTOMDRAW* draw);
    void ShowSelectedProperties();

    AppContext& context_;
    std::function<void(const std::string&, HWND)> showProperties_;
    HistoryLog reader_;
    std::unique_ptr<HistoryRows> rows_;
    std::future<bool> loaded_;  // joined on destruction, before the reader goes
    bool logRead_ = false;
    HWND list_ = nullptr;
    ImageList images_;
    Icon smallIcon_;
    listctrl::RowFonts fonts_;
    std::string countText_;
    std::string running_, stopped_;  // the state names coloured
    std::string cell_;               // the text last given to the list
};
