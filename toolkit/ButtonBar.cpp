#include "toolkit/ButtonBar.h"

bool CreateButtonBar(ToolBar& bar, HWND dialog, int placeholderId, UINT toolbarResource) {
    if (!bar.Create(dialog, toolbarResource, 0, WS_VISIBLE)) return false;
    HWND placeholder = ::GetDlgItem(dialog, placeholderId);
    if (!placeholder) return true;
    RECT r;
    ::GetWindowRect(placeholder, &r);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    ::MoveWindow(bar.Hwnd(), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    ::ShowWindow(placeholder, SW_HIDE);
    return true;
}
