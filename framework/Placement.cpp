#include "framework/Placement.h"

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
    wp.rcNormalPosition = {placement.left, placement.top, placement.right, placement.bottom};
    ::SetWindowPlacement(window, &wp);
}
