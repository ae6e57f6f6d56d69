#include "toolkit/ButtonBar.h"

#include "framework/FrameWnd.h"

HWND CreateButtonBar(HWND dialog, int placeholderId, UINT toolbarResource) {
    HWND bar = CreateToolBarControl(dialog, toolbarResource, 0, WS_VISIBLE);
    HWND placeholder = ::GetDlgItem(dialog, placeholderId);
    if (!bar || !placeholder) return bar;
    RECT r;
    ::GetWindowRect(placeholder, &r);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    ::MoveWindow(bar, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    ::ShowWindow(placeholder, SW_HIDE);
    return bar;
}
