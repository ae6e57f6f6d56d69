#pragma once
#include <windows.h>

// A dialog's bar of picture buttons, from a toolbar resource, in the place
// and size of a placeholder control, which it hides; null without the
// resource. Its buttons' commands and tooltip requests go to the dialog.
HWND CreateButtonBar(HWND dialog, int placeholderId, UINT toolbarResource);
