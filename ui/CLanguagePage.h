#pragma once
// The settings' language page: the program's own language and every
// installed module, the chosen one in bold; modules are chosen, installed
// and uninstalled here. Installing and uninstalling write at once; the
// choice is written on OK.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/ToolBar.h"
#include "platform/win32/Handles.h"
#include "res/resource.h"
#include "toolkit/CPropertyPage.h"
#include "toolkit/ListCtrlSupport.h"
#include "ui/AppContext.h"

class CLanguagePage : public CPropertyPage {
public:
    explicit CLanguagePage(AppContext& context);
    // Makes the page's list columns and button bar; false when they cannot be made.
    bool CreateParts();
    void Fill();
    // The modules found not valid at the last fill, to be told once.
    std::string TakePendingErrors();
    // True when the choice changed what the next start loads (and it was said).
    bool Apply();

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    HWND List() const { return ::GetDlgItem(m_hWnd, IDC_SETTINGS_LIST); }
    // Messages go over the dialog the page belongs to.
    HWND Host() const { return ::GetParent(m_hWnd); }
    void UpdateCommands();
    void Select();
    bool StillValid(int row);
    void Install();
    void Uninstall();
    LRESULT DrawRow(NMLVCUSTOMDRAW* draw);

    AppContext& context_;
    ImageList images_;
    ToolBar bar_;
    listctrl::RowFonts fonts_;
    struct Row {
        int module;  // index into modules_, -1 for the built-in texts
        int icon;
    };
    std::vector<std::string> modules_;
    std::vector<Row> rows_;
    std::string chosen_;
    std::string pendingErrors_;
};
