#pragma once
// A window's placement as the settings keep it.
#include <windows.h>

#include "settings/WindowPlacement.h"

// False when the platform cannot give it or gives a show command of 0,
// which is never worth keeping.
bool PlacementOf(HWND window, WindowPlacement* placement);
// A window with no part on any monitor (one since removed) comes back onto
// the nearest one's work area.
RECT OnSomeMonitor(const RECT& rect);
// Applies a kept placement, on some monitor; a show command that would
// leave the window out of reach counts as normal.
void ApplyPlacement(HWND window, const WindowPlacement& placement);
