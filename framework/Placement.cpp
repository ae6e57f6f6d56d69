#include "framework/Placement.h"

namespace {
ScreenRect ToScreenRect(const RECT& r) {
    return ScreenRect{r.left, r.top, r.right, r.bottom};
}
RECT ToRect(const ScreenRect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}
}  // namespace

RECT OnSomeMonitor(const RECT& rect) {
    if (::MonitorFromRect(&rect, MONITOR_DEFAULTTONULL)) return rect;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoA(::MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor))
        return rect;
    return ToRect(MoveInto(ToScreenRect(rect), ToScreenRect(monitor.rcWork)));
}

bool PlacementOf(HWND window, WindowPlacement* placement) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (!::GetWindowPlacement(window, &wp) || wp.showCmd == 0) return false;
    placement->length = wp.length;
    placement->flags = wp.flags;
    placement->showCmd = wp.showCmd;
    placement->minX = wp.ptMinPosition.x;
    placement->minY = wp.ptMinPosition.y;
    placement->maxX = wp.ptMaxPosition.x;
    placement->maxY = wp.ptMaxPosition.y;
    placement->left = wp.rcNormalPosition.left;
    placement->top = wp.rcNormalPosition.top;
    placement->right = wp.rcNormalPosition.right;
    placement->bottom = wp.rcNormalPosition.bottom;
    return true;
}

void ApplyPlacement(HWND window, const WindowPlacement& placement) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    wp.flags = placement.flags;
    wp.showCmd = RestorableShowCommand(placement.showCmd);
    wp.ptMinPosition = {placement.minX, placement.minY};
    wp.ptMaxPosition = {placement.maxX, placement.maxY};
    wp.rcNormalPosition =
        OnSomeMonitor({placement.left, placement.top, placement.right, placement.bottom});
    ::SetWindowPlacement(window, &wp);
}
