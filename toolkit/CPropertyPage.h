#pragma once
// A page of a tabbed dialog: a child dialog laid over its host's page area,
// with its lists filled from the items its resources give them. Enter and
// Escape on a page go to the host.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <functional>
#include <string>

#include "framework/Dialog.h"
#include "platform/win32/Handles.h"

class CPropertyPage : public CDialog {
public:
    CPropertyPage(const Resources& resources, UINT templateId)
        : CDialog(resources, templateId), templateId_(templateId) {}

    // Made hidden over the rectangle of `area` (a control of `host`), after
    // it in the tab order; false when it cannot be made.
    bool CreateOver(HWND host, HWND area);

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    void FillLists();
    void Forward(UINT command);

    UINT templateId_;
};

// What the tabbed dialogs share: a tab per page over the dialog's page area,
// one page shown at a time. `pageAt` gives page 0 to `count - 1`.
namespace tabbed {

using PageAt = std::function<CPropertyPage&(int)>;

// Each page made over `area`, each after the one before in the tab order.
bool CreatePages(HWND host, HWND area, int count, const PageAt& pageAt);
// One tab per page, with its text and its picture of `images`.
void AddTabs(HWND tabs, HIMAGELIST images, int count, const std::function<std::string(int)>& text,
             const std::function<int(int)>& image);
int SelectedTab(HWND tabs);
// True for the tab control `tabsId`'s notice that the user chose another tab.
bool IsTabChange(UINT msg, LPARAM lp, int tabsId);
// Selects the page's tab and shows that page alone.
void ShowPage(HWND tabs, int page, int count, const PageAt& pageAt);

// While it lives, Ctrl+Tab and Ctrl+Shift+Tab turn to the next and the
// previous tab of `tabs` from any control of its dialog, going round, as
// in the system's tabbed dialogs; the dialog hears it as a click on the tab.
class PageKeys {
public:
    explicit PageKeys(HWND tabs);
    ~PageKeys();
    PageKeys(const PageKeys&) = delete;
    PageKeys& operator=(const PageKeys&) = delete;

private:
    // A modal dialog's loop hands its messages to the thread's filter first.
    static LRESULT CALLBACK Filter(int code, WPARAM wp, LPARAM lp);
    bool Turn(const MSG& msg) const;

    HWND tabs_;
    HookHandle hook_;
};

}  // namespace tabbed
