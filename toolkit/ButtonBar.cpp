#include "toolkit/ButtonBar.h"

#include <commctrl.h>

#include <vector>

namespace {
// Each button ends a row. The buttons are put in again with that state:
// Wine's toolbar lays them out only when they come.
void StackButtons(HWND bar) {
    int count = static_cast<int>(::SendMessageA(bar, TB_BUTTONCOUNT, 0, 0));
    std::vector<TBBUTTON> buttons(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        ::SendMessageA(bar, TB_GETBUTTON, i,
                       reinterpret_cast<LPARAM>(&buttons[static_cast<size_t>(i)]));
    for (int i = count - 1; i >= 0; --i) ::SendMessageA(bar, TB_DELETEBUTTON, i, 0);
    for (TBBUTTON& button : buttons) button.fsState |= TBSTATE_WRAP;
    ::SendMessageA(bar, TB_ADDBUTTONSA, static_cast<WPARAM>(count),
                   reinterpret_cast<LPARAM>(buttons.data()));
}
}  // namespace

bool CreateButtonBar(const Resources& resources, ToolBar& bar, HWND dialog, int placeholderId,
                     UINT toolbarResource, bool vertical) {
    if (!bar.Create(resources, dialog, toolbarResource, 0, WS_VISIBLE)) return false;
    if (vertical) StackButtons(bar.Hwnd());
    HWND placeholder = ::GetDlgItem(dialog, placeholderId);
    if (!placeholder) return true;
    RECT r;
    ::GetWindowRect(placeholder, &r);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    ::MoveWindow(bar.Hwnd(), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    ::ShowWindow(placeholder, SW_HIDE);
    return true;
}
