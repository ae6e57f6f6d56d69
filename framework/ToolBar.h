#pragma once
// A flat toolbar with tooltips made from a toolbar resource and the bitmap
// of the same id (from the texts in use first, then the program), and the
// image list it shows, which the control itself never frees.
#include <windows.h>

#include "platform/win32/Handles.h"

class Resources;

class ToolBar {
public:
    ToolBar() = default;
    ~ToolBar();
    ToolBar(const ToolBar&) = delete;
    ToolBar& operator=(const ToolBar&) = delete;

    // False when the resource is missing or the control cannot be made.
    bool Create(const Resources& resources, HWND parent, UINT resourceId, UINT barId, DWORD style);
    HWND Hwnd() const { return bar_; }

private:
    HWND bar_ = nullptr;  // a child window: it goes with its parent
    ImageList images_;
};
