#pragma once
#include <windows.h>

#include "framework/ToolBar.h"

// A dialog's bar of picture buttons, from a toolbar resource, in the place
// and size of a placeholder control, which it hides; false without the
// resource. Its buttons' commands and tooltip requests go to the dialog.
// A vertical bar puts its buttons one under another.
bool CreateButtonBar(const Resources& resources, ToolBar& bar, HWND dialog, int placeholderId,
                     UINT toolbarResource, bool vertical = false);
